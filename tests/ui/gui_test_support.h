#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/context.h"
#include "support/temp_dir.h"
#include "ui/browser.h"
#include "ui/controls.h"
#include "ui/gui_env.h"
#include "ui/main_frame.h"
#include "ui/qt_ui_port.h"
#include "ui/results_window.h"

namespace orvi::test {

// Runs the GUI thread's events until the condition holds; false when it did
// not within a generous bound (a safety net, not a measure of speed).
bool PumpUntil(const std::function<bool()>& condition, int maxSeconds = 60);

// Answers the next modal box or dialog when it appears: the callback gets it
// (it is what QApplication::activeModalWidget() returns) and closes it.
void WhenModal(std::function<void(QWidget*)> answer);
// Answers the next message box with this button (or closes it when none is
// named); its text goes to text.
void AnswerBox(QString* text, const QString& button = {});
// Answers the next file dialog with this file (a name in its folder, or a
// path), or cancels it when the name is empty; its title goes to title.
void AnswerFileDialog(const QString& file, QString* title = nullptr);
// Fails when a control of the window (its place in window coordinates) leaves
// the window or overlaps another (frames hold theirs), or a label, button or
// frame cuts its text. Controls hidden on purpose are left out.
void ExpectNothingOverlappedOrCut(const ui::ControlSet& set, const QWidget& window);
// Clicks the button of the active modal widget whose text is this (mnemonic
// marks ignored).
void ClickButton(QWidget* modal, const QString& text);

// Records what would have gone to the desktop.
struct RecordingBrowser final : ui::Browser {
  bool OpenInBrowser(const std::string& address, bool) override { return opened.push_back(address), works; }
  bool ShellOpen(const std::string& address) override { return shell.push_back(address), works; }
  void CopyToClipboard(const std::string& text) override { copied.push_back(text); }
  std::vector<std::string> opened, shell, copied;
  bool works = true;  // false: as if no browser were installed
};

// The windows over a real core, in a temporary program folder.
class FrameFixture : public ::testing::Test {
 protected:
  // ini: the body of section "Config".
  void MakeFrame(const std::string& ini = "", QSize screen = QSize(1024, 768)) {
    home.Write("ORVI.ini", "[Config]\r\n" + ini);
    ctx = std::make_unique<Context>(ContextOptions{.appFolder = home.path(), .ui = port});
    ctx->LoadSettings();
    env = std::make_unique<ui::GuiEnv>(ui::GuiEnv{*ctx, *port, browser, screen, {}});
    frame = std::make_unique<ui::MainFrame>(*env, [this] { ++ends; });
  }
  // Writes a file of the program folder, making its folders.
  void Put(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(home.File(name)).parent_path());
    home.Write(name, bytes);
  }
  void TearDown() override {
    frame.reset();
    env.reset();
    ctx.reset();
  }
  ui::CommandTable& Commands() { return frame->Results().Commands(); }
  bool RunOver() { return !ctx->run.collecting && !ctx->run.SchedulerActive; }

  TempDir home;
  std::shared_ptr<ui::QtUiPort> port = std::make_shared<ui::QtUiPort>();
  std::unique_ptr<Context> ctx;
  RecordingBrowser browser;  // nothing reaches the desktop
  std::unique_ptr<ui::GuiEnv> env;
  std::unique_ptr<ui::MainFrame> frame;
  int ends = 0;
};

}  // namespace orvi::test
