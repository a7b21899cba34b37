// The parts every window stands on: the UI port's questions from a core
// thread, the browser launch (a fake default browser records its arguments)
// and the progress clip (its reader, the drawn clip and the widget).
#include <QDesktopServices>
#include <QObject>
#include <QPushButton>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "gui_test_support.h"
#include "platform/file_io.h"
#include "ui/animation.h"
#include "ui/avi_clip.h"
#include "ui/common.h"

namespace orvi::ui {
namespace {

TEST(QtUiPort, AskFromACoreThreadWaitsForTheAnswer) {
  test::TempDir home;
  auto port = std::make_shared<QtUiPort>();
  Context ctx{ContextOptions{.appFolder = home.path(), .ui = port}};
  QString shown;
  test::WhenModal([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    shown = box->windowTitle() + ": " + box->text() + " " + box->defaultButton()->text();
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    test::ClickButton(box, QStringLiteral("Oui"));
  });
  std::atomic<bool> done{false};
  MsgAnswer answer = MsgAnswer::Cancel;
  std::thread core([&] {
    answer = port->Ask({"Arr\xEAter ?", "ORVI", MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No});
    done = true;
  });
  ASSERT_TRUE(test::PumpUntil([&] { return done.load(); }));
  core.join();
  EXPECT_EQ(answer, MsgAnswer::Yes);
  EXPECT_EQ(shown, QString::fromUtf8("ORVI: Arrêter ? &Non"));
}

class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void Open(const QUrl& url) { urls << url; }
};

TEST(Browser, CommandCutAsARegisteredCommand) {
  struct {
    std::string value, command, option;
  } cases[] = {
      {"\"c:\\progra~1\\intern~1\\iexplore.exe\" -nohome", "c:\\progra~1\\intern~1\\iexplore.exe", ""},
      {"/usr/bin/chromium %U", "/usr/bin/chromium", "--new-window"},
      {"\"/opt/web browser/run\" %u", "/opt/web", ""},  // a path with a space is cut there
  };
  for (const auto& c : cases) {
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
    ASSERT_TRUE(WriteWholeFile(root + "config/mimeapps.list",
                               "[Added Associations]\nx-scheme-handler/http=other.desktop;\n"
                               "[Default Applications]\nx-scheme-handler/http=fake-web.desktop;\n"));
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

  std::string root;
  UrlRecorder recorder;
  std::array<QByteArray, 4> saved_;
};

TEST_F(FakeDesktop, NewWindowStartsTheDefaultBrowserWithTheAddressAsOneArgument) {
  DesktopBrowser browser;
  EXPECT_EQ(browser.BrowserCommand(), root + "bin/firefox");
  const std::string address = "http://127.0.0.1/a b \"q\" 'x' $(touch " + root + "pwned) ;.html";
  EXPECT_TRUE(browser.OpenInBrowser(address, true));
  EXPECT_TRUE(test::PumpUntil([&] { return std::filesystem::exists(root + "args"); }, 30));
  EXPECT_EQ(ReadWholeFile(root + "args"), "2\n-new-window\n" + address + "\n");
  EXPECT_FALSE(std::filesystem::exists(root + "pwned"));
  EXPECT_TRUE(recorder.urls.isEmpty());
}

TEST_F(FakeDesktop, TheDefaultHandlerOpensWhatTheBrowserCannotStart) {
  ASSERT_TRUE(WriteWholeFile(root + "data/applications/fake-web.desktop",
                             "[Desktop Entry]\nExec=" + root + "bin/no-such-browser %u\n"));
  EXPECT_TRUE(DesktopBrowser().OpenInBrowser("http://127.0.0.1/x.html", true));
  EXPECT_EQ(recorder.urls, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1/x.html"))});
}

AviClip Sample(int w, int h, int frames) {
  AviClip clip{.width = w, .height = h, .frameMs = 70};
  for (int f = 0; f < frames; ++f) {
    std::vector<uint32_t> px;
    for (int i = 0; i < w * h; ++i) px.push_back(0xFF000000u | static_cast<uint32_t>(f * 0x10101 + i * 0x30507));
    clip.frames.push_back(px);
  }
  return clip;
}

// Replaces 4 bytes of the file at the first occurrence of a tag plus an offset.
std::string Patch(std::string bytes, const char* tag, size_t offset, uint32_t value) {
  size_t at = bytes.find(tag) + offset;
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

// A negative height means the top row comes first (the writer writes the bottom row first).
TEST(AviClip, TopDownFrames) {
  AviClip clip = Sample(2, 2, 1);
  AviClip flipped = ReadAviClip(Patch(WriteAviClip(clip), "strf", 8 + 8, static_cast<uint32_t>(-2)));
  ASSERT_EQ(flipped.frames.size(), 1u);
  EXPECT_EQ(flipped.frames[0][0], clip.frames[0][2]);
  EXPECT_EQ(flipped.frames[0][2], clip.frames[0][0]);
}

TEST(AviClip, BrokenFilesGiveAnEmptyClip) {
  const std::string good = WriteAviClip(Sample(4, 3, 2));
  struct Case {
    const char* what;
    std::string bytes;
    size_t frames;
  } cases[] = {
      {"empty", "", 0},
      {"not RIFF", "RIFX" + good.substr(4), 0},
      {"a WAVE file", good.substr(0, 8) + "WAVE" + good.substr(12), 0},
      {"header only", good.substr(0, 200), 0},
      {"cut in the second frame", good.substr(0, good.find("00db", good.find("00db") + 4) + 20), 1},
      {"compressed", Patch(good, "strf", 8 + 16, 0x34363248 /* H264 */), 0},
      {"16 bits", Patch(good, "strf", 8 + 12, 0x00100001), 0},
      {"huge width", Patch(good, "strf", 8 + 4, 0x7FFFFFFF), 0},
      {"negative width", Patch(good, "strf", 8 + 4, 0xFFFFFFFF), 0},
      {"zero height", Patch(good, "strf", 8 + 8, 0), 0},
      {"frame list claiming more than the file", Patch(good, "movi", -4, 0xFFFFFFF0), 2},
      {"frame chunk too small: the rest is out of step", Patch(good, "00db", 4, 3), 0},
      {"no video stream", Patch(good, "vids", 0, 0x73647561 /* auds */), 0},
  };
  for (const Case& c : cases) {
    AviClip clip = ReadAviClip(c.bytes);
    EXPECT_EQ(clip.frames.size(), c.frames) << c.what;
    for (const auto& f : clip.frames) EXPECT_EQ(f.size(), 12u) << c.what;
  }
}

TEST(AnimationClip, PlaysTheDrawnClipAndStaysEmptyOnABadFile) {
  test::TempDir dir;
  AnimationClip clip;
  dir.Write("bad.avi", "RIFF\x10\0\0\0AVI garbage");
  EXPECT_TRUE(!clip.Open(dir.File("bad.avi")) && clip.FrameCount() == 0);
  clip.Play();
  EXPECT_FALSE(clip.IsPlaying());
  ASSERT_TRUE(clip.Open(ORVI_CLIP_PATH));
  EXPECT_TRUE(clip.FrameCount() == 16 && clip.sizeHint() == QSize(48, 48));
  clip.Play();
  EXPECT_TRUE(clip.IsPlaying());
  clip.Stop();
  EXPECT_EQ(clip.CurrentFrame(), 0);
  clip.grab();  // paints without a fault
}

}  // namespace
}  // namespace orvi::ui

#include "parts_test.moc"
