// Browser launch and clipboard: the command cut from a desktop entry, a fake
// default browser that records its arguments, and the default handler as the
// last resort.
#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QObject>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "gui_test_support.h"
#include "platform/file_io.h"
#include "ui/browser.h"

namespace orvi::ui {
namespace {

class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

TEST(Browser, CommandCutAsARegisteredCommand) {
  struct Case {
    std::string value, command, option;
  } cases[] = {
      {"\"c:\\progra~1\\intern~1\\iexplore.exe\" -nohome", "c:\\progra~1\\intern~1\\iexplore.exe", ""},
      {"c:\\netscape\\netscape.exe \"%1\"", "c:\\netscape\\netscape.exe", ""},
      {"firefox %u", "firefox", "-new-window"},
      {"/usr/bin/chromium %U", "/usr/bin/chromium", "--new-window"},
      {"\"/opt/web browser/run\" %u", "/opt/web", ""},  // a path with a space is cut there
      {"%u", "", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CutRegisteredCommand(c.value), c.command) << c.value;
    EXPECT_EQ(NewWindowOption(c.command), c.option) << c.value;
  }
}

// A temporary desktop: its data and config folders, and a browser program
// named like a known browser that writes its arguments to a file.
class FakeDesktop : public ::testing::Test {
 protected:
  static constexpr const char* kVars[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"};
  void SetUp() override {
    // Lower case throughout: the browser command is kept in lower case.
    root = "/tmp/orvi-fake-desktop-" + std::to_string(::getpid()) + "/";
    for (const char* dir : {"data/applications", "config", "bin"}) std::filesystem::create_directories(root + dir);
    ASSERT_TRUE(WriteWholeFile(root + "bin/firefox", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > " + root +
                                                        "args.tmp\nmv " + root + "args.tmp " + root + "args\n"));
    ::chmod((root + "bin/firefox").c_str(), 0755);
    ASSERT_TRUE(WriteWholeFile(root + "data/applications/fake-web.desktop",
                               "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + root + "bin/firefox %u\n"));
    SetDefault("fake-web.desktop");
    for (size_t i = 0; i < 4; ++i) {
      saved_[i] = qgetenv(kVars[i]);
      qputenv(kVars[i], QByteArray::fromStdString(root + (i == 0 ? "data" : i == 1 ? "config" : "none")));
    }
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &recorder, "Open");
  }
  void TearDown() override {
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    for (size_t i = 0; i < 4; ++i) {
      if (saved_[i].isEmpty()) qunsetenv(kVars[i]);
      else qputenv(kVars[i], saved_[i]);
    }
    std::filesystem::remove_all(root);
  }
  void SetDefault(const std::string& entry) {
    ASSERT_TRUE(WriteWholeFile(root + "config/mimeapps.list",
                               "[Added Associations]\nx-scheme-handler/http=other.desktop;\n"
                               "[Default Applications]\nx-scheme-handler/http=" + entry + ";\n"));
  }
  std::string Args() {
    EXPECT_TRUE(test::PumpUntil([&] { return std::filesystem::exists(root + "args"); }, 30));
    return ReadWholeFile(root + "args").value_or("");
  }

  std::string root;
  UrlRecorder recorder;
  std::array<QByteArray, 4> saved_;
};

TEST_F(FakeDesktop, NewWindowStartsTheDefaultBrowserWithTheAddressAsOneArgument) {
  DesktopBrowser browser;
  EXPECT_EQ(browser.BrowserCommand(), root + "bin/firefox");
  const std::string address = "http://127.0.0.1/a b \"q\" 'x' $(touch " + root + "pwned) ;.html";
  EXPECT_TRUE(browser.OpenInBrowser(address, true));
  EXPECT_EQ(Args(), "2\n-new-window\n" + address + "\n");
  EXPECT_FALSE(std::filesystem::exists(root + "pwned"));
  EXPECT_TRUE(recorder.urls.isEmpty());
}

TEST_F(FakeDesktop, TheDefaultHandlerOpensWhatTheBrowserCannot) {
  // Without a new window.
  {
    DesktopBrowser browser;
    EXPECT_TRUE(browser.OpenInBrowser("http://127.0.0.1/page.html", false));
    ASSERT_EQ(recorder.urls.size(), 1);
    EXPECT_EQ(recorder.urls[0], QUrl(QStringLiteral("http://127.0.0.1/page.html")));
    EXPECT_FALSE(std::filesystem::exists(root + "args"));
  }
  // A missing entry, looked up once: found later, it is not looked up again.
  SetDefault("missing.desktop");
  {
    DesktopBrowser browser;
    EXPECT_TRUE(browser.OpenInBrowser("http://127.0.0.1/one.html", true));
    EXPECT_EQ(browser.BrowserCommand(), "");
    SetDefault("fake-web.desktop");
    EXPECT_TRUE(browser.OpenInBrowser("http://127.0.0.1/two.html", true));
    ASSERT_EQ(recorder.urls.size(), 3);
    EXPECT_EQ(recorder.urls[2], QUrl(QStringLiteral("http://127.0.0.1/two.html")));
  }
  // A browser that cannot start.
  ASSERT_TRUE(WriteWholeFile(root + "data/applications/fake-web.desktop",
                             "[Desktop Entry]\nExec=" + root + "bin/no-such-browser %u\n"));
  DesktopBrowser browser;
  EXPECT_TRUE(browser.OpenInBrowser("http://127.0.0.1/x.html", true));
  EXPECT_EQ(recorder.urls.size(), 4);
}

TEST(Clipboard, CopiesWindows1252Text) {
  DesktopBrowser browser;
  for (std::string text : {std::string("http://h/r\xE9sum\xE9.zip"), std::string()}) {
    browser.CopyToClipboard(text);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              text.empty() ? "" : "http://h/r\xC3\xA9sum\xC3\xA9.zip");
  }
}

}  // namespace
}  // namespace orvi::ui

#include "browser_test.moc"
