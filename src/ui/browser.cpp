#include "ui/browser.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cctype>

#include "ui/common.h"
#include "ui/gui_env.h"
#include "ui/qt_ui_port.h"

namespace orvi::ui {
namespace {

constexpr int kMaxCommand = 259;

// The value of a key in one section of a desktop-style file.
QString IniValue(const QString& path, const QString& section, const QString& key) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  bool inSection = false;
  while (!file.atEnd()) {
    QString line = QString::fromUtf8(file.readLine()).trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inSection = line == QLatin1Char('[') + section + QLatin1Char(']');
    } else if (inSection && line.startsWith(key + QLatin1Char('='))) {
      return line.mid(key.size() + 1).trimmed();
    }
  }
  return {};
}

QStringList SplitDirs(const char* variable, const QString& fallback) {
  QString value = qEnvironmentVariable(variable);
  if (value.isEmpty()) value = fallback;
  return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QString ConfigHome() {
  QString v = qEnvironmentVariable("XDG_CONFIG_HOME");
  return v.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : v;
}

QString DataHome() {
  QString v = qEnvironmentVariable("XDG_DATA_HOME");
  return v.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : v;
}

QStringList DataDirs() {
  return QStringList{DataHome()} + SplitDirs("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

// The desktop entry named as the default handler of web addresses.
QString DefaultBrowserEntry() {
  QStringList lists{ConfigHome() + QStringLiteral("/mimeapps.list")};
  for (const QString& dir : SplitDirs("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"))) {
    lists << dir + QStringLiteral("/mimeapps.list");
  }
  for (const QString& dir : DataDirs()) lists << dir + QStringLiteral("/applications/mimeapps.list");
  for (const QString& list : lists) {
    for (const char* type : {"x-scheme-handler/http", "text/html"}) {
      QString entries = IniValue(list, QStringLiteral("Default Applications"), QString::fromLatin1(type));
      QString first = entries.section(QLatin1Char(';'), 0, 0).trimmed();
      if (!first.isEmpty()) return first;
    }
  }
  // The desktop's own tool knows desktops that keep the choice elsewhere.
  QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-settings"));
  if (tool.isEmpty()) return {};
  QProcess process;
  process.start(tool, {QStringLiteral("get"), QStringLiteral("default-web-browser")});
  if (!process.waitForFinished(3000) || process.exitCode() != 0) {
    process.kill();
    return {};
  }
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QString DesktopEntryPath(const QString& entry) {
  if (entry.isEmpty() || entry.contains(QLatin1Char('/'))) return {};
  for (const QString& dir : DataDirs()) {
    QString path = dir + QStringLiteral("/applications/") + entry;
    if (QFileInfo::exists(path)) return path;
  }
  return {};
}

void SayNoBrowser(GuiEnv& env, const std::string& address) {
  env.port.MessageBox({"Aucun navigateur n'a pu \xEAtre lanc\xE9 pour ouvrir " + address, "ORVI", MsgIcon::Warning});
}

}  // namespace

void OpenInBrowserOrSay(GuiEnv& env, const std::string& address) {
  if (!env.browser.OpenInBrowser(address, env.ctx.settings.NewWindow)) SayNoBrowser(env, address);
}

void ShellOpenOrSay(GuiEnv& env, const std::string& address) {
  if (!env.browser.ShellOpen(address)) SayNoBrowser(env, address);
}

std::string CutRegisteredCommand(const std::string& value) {
  std::string text = value;
  if (size_t p = text.find('%'); p != std::string::npos) text.resize(p);
  if (size_t p = text.find(' '); p != std::string::npos) text.resize(p);
  if (size_t p = text.find('"', 1); p != std::string::npos) text.resize(p);
  if (!text.empty() && text[0] == '"') text.erase(0, 1);
  return text;
}

std::string NewWindowOption(const std::string& command) {
  std::string name = command.substr(command.rfind('/') + 1);
  for (const char* firefox : {"firefox", "firefox-esr", "iceweasel", "librewolf", "seamonkey"}) {
    if (name == firefox) return "-new-window";
  }
  for (const char* chromium : {"chromium", "chromium-browser", "google-chrome", "google-chrome-stable", "brave-browser",
                               "microsoft-edge", "vivaldi", "vivaldi-stable", "opera", "epiphany", "epiphany-browser"}) {
    if (name == chromium) return "--new-window";
  }
  return "";
}

const std::string& DesktopBrowser::BrowserCommand() {
  if (!lookedUp_) {
    lookedUp_ = true;
    QString entry = DesktopEntryPath(DefaultBrowserEntry());
    QString exec = entry.isEmpty() ? QString() : IniValue(entry, QStringLiteral("Desktop Entry"), QStringLiteral("Exec"));
    command_ = CutRegisteredCommand(exec.toStdString()).substr(0, kMaxCommand);
    std::transform(command_.begin(), command_.end(), command_.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
  }
  return command_;
}

bool DesktopBrowser::OpenInBrowser(const std::string& address, bool newWindow) {
  if (newWindow) {
    const std::string& command = BrowserCommand();
    if (!command.empty()) {
      QStringList args;
      if (std::string option = NewWindowOption(command); !option.empty()) args << QString::fromStdString(option);
      args << ToQt(address);  // one argument, as typed: nothing parses it
      if (QProcess::startDetached(QString::fromStdString(command), args)) return true;
    }
  }
  return ShellOpen(address);
}

bool DesktopBrowser::ShellOpen(const std::string& address) {
  return QDesktopServices::openUrl(QUrl::fromUserInput(ToQt(address)));
}

void DesktopBrowser::CopyToClipboard(const std::string& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToQt(text));
}

}  // namespace orvi::ui
