#include "ui/browser.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

#include "ui/qt_text.h"

namespace orvi::ui {

std::string CutRegisteredCommand(const std::string& value) {
  std::string text = value;
  if (size_t p = text.find('%'); p != std::string::npos) text.resize(p);
  if (size_t p = text.find(' '); p != std::string::npos) text.resize(p);
  if (size_t p = text.find('"', 1); p != std::string::npos && !text.empty()) text.resize(p);
  if (!text.empty() && text[0] == '"') text.erase(0, 1);
  return text;
}

const std::string& DesktopBrowser::BrowserCommand() {
  lookedUp_ = true;
  return command_;
}

bool DesktopBrowser::OpenInBrowser(const std::string& address, bool) { return ShellOpen(address); }

bool DesktopBrowser::ShellOpen(const std::string& address) {
  return QDesktopServices::openUrl(QUrl::fromUserInput(ToQt(address)));
}

void DesktopBrowser::CopyToClipboard(const std::string& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQt(text));
}

}  // namespace orvi::ui
