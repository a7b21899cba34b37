#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "ui/browser.h"

namespace orvi::test {

// Runs the GUI thread's events until the condition holds; false when it did
// not within a generous bound (a safety net, not a measure of speed).
bool PumpUntil(const std::function<bool()>& condition, int maxSeconds = 60);
// Runs the events already queued.
void PumpEvents();

// Answers the next modal box or dialog when it appears: the callback gets it
// (it is what QApplication::activeModalWidget() returns) and closes it.
void WhenModal(std::function<void(QWidget*)> answer);
// Answers the next message box with this button (or closes it when none is
// named); its text goes to text.
void AnswerBox(QString* text, const QString& button = {});
// Answers the next file dialog with this file (a name in its folder, or a
// path), or cancels it when the name is empty; what it showed goes to title
// and folder.
void AnswerFileDialog(const QString& file, QString* title = nullptr, QString* folder = nullptr);
// Clicks the button of the active modal widget whose text is this (mnemonic
// marks ignored).
void ClickButton(QWidget* modal, const QString& text);

// Records what would have gone to the desktop.
struct RecordingBrowser final : ui::Browser {
  bool OpenInBrowser(const std::string& address, bool) override {
    opened.push_back(address);
    return true;
  }
  bool ShellOpen(const std::string& address) override {
    shell.push_back(address);
    return true;
  }
  void CopyToClipboard(const std::string& text) override { copied.push_back(text); }
  std::vector<std::string> opened, shell, copied;
};

}  // namespace orvi::test
