// The windows end to end against nginx on 127.0.0.1: a page analysis from
// the dialog to the saved results, a search-state save and resume, and the
// program's end during a scan.
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <optional>
#include <sstream>

#include "app/cli.h"
#include "core/commands.h"
#include "platform/file_io.h"
#include "frame_fixture.h"
#include "support/real_servers.h"
#include "support/script_server.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

constexpr char kIni[] = "NbRetry=1\r\nVerifyTimeOut=10\r\nHttpTimeOut=10\r\nStartWindow=0\r\n";

class GuiScanTest : public FrameFixture {
 protected:
  void SetUp() override {
    std::string index = "<html><body><h1>Downloads</h1>\n<p><a href=\"files/tool.zip\">tool</a>"
                        " <a href=\"files/setup.exe\">setup</a></p>\n<p>";
    for (int i = 1; i <= 3; ++i) index += "<a href=\"files/disk" + std::to_string(i) + ".zip\">" + std::to_string(i) + "</a> ";
    index += "</p>\n<p><a href=\"files/missing.rar\">gone</a></p>\n";
    // Pages without files: they keep the site scan busy for a while.
    for (int i = 0; i < 12; ++i) {
      index += "<a href=\"page" + std::to_string(i) + ".html\">page " + std::to_string(i) + "</a>\n";
      nginx.AddFile("page" + std::to_string(i) + ".html", "<html><body>nothing here</body></html>");
    }
    nginx.AddFile("index.html", index + "</body></html>\n");
    for (const char* name : {"tool.zip", "setup.exe", "disk1.zip", "disk2.zip", "disk3.zip"}) {
      nginx.AddFile(std::string("files/") + name, std::string(2500, 'x'));
    }
    ASSERT_TRUE(nginx.Start()) << nginx.error();
  }

  // "&Analyser une page Web ..." filled from the keyboard and confirmed with Return.
  void AnalyseFromTheMenu(const std::string& url, bool wholeSite) {
    WhenModal([url, wholeSite](QWidget* modal) {
      auto* d = dynamic_cast<ui::ScanDialog*>(modal);
      ASSERT_NE(d, nullptr);
      d->Control<QCheckBox>(ui::ScanDialog::kWholeSite)->setChecked(wholeSite);
      QLineEdit* address = d->Control<QLineEdit>(ui::ScanDialog::kAddress);
      QTest::keyClicks(address, QString::fromStdString(url));
      QTest::keyClick(address, Qt::Key_Return);
    });
    ASSERT_TRUE(MenuItem(cmd::kAnalysePage)->isEnabled());
    MenuItem(cmd::kAnalysePage)->trigger();
  }

  Nginx nginx;
};

TEST_F(GuiScanTest, PageAnalysisToSavedResultsEqualsTheCommandLine) {
  MakeFrame(kIni);
  AnalyseFromTheMenu(nginx.Url("/index.html"), true);
  EXPECT_TRUE(ctx->run.collecting);
  PumpUntil([&] { return frame->windowTitle() == QStringLiteral("Mode Scan"); }, 5);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("Mode Scan"));
  EXPECT_FALSE(MenuItem(cmd::kAnalysePage)->isEnabled());  // no second scan while one runs
  QString endBox;
  WatchToTheEnd(&endBox);
  EXPECT_EQ(endBox, QString::fromUtf8("Recherche terminée"));

  QString title, folder;
  AnswerFileDialog(QStringLiteral("gui"), &title, &folder);
  ASSERT_TRUE(MenuItem(cmd::kSaveResults)->isEnabled());
  MenuItem(cmd::kSaveResults)->trigger();
  EXPECT_EQ(title, QString::fromUtf8("Sauvegarder les résultats de recherche"));
  EXPECT_EQ(QDir(folder).canonicalPath(), QDir(QString::fromStdString(home.File("Save"))).canonicalPath());
  std::string saved = home.Read("Save/gui.txt");  // the default extension is added

  TempDir cliHome;
  cliHome.Write("ORVI.ini", std::string("[Config]\r\n") + kIni);
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"--home", cliHome.path(), "-q", "scan", nginx.Url("/index.html"), "--site", "--out",
                    cliHome.File("cli.txt")},
                   out, err),
            0)
      << err.str();
  EXPECT_EQ(saved, cliHome.Read("cli.txt"));
  EXPECT_NE(saved.find("disk2.zip," + nginx.Url("/files/disk2.zip")), std::string::npos) << saved;
  EXPECT_NE(saved.find("[missing,"), std::string::npos) << saved;
}

TEST_F(GuiScanTest, StateSavedDuringTheRunAndResumed) {
  MakeFrame(kIni);
  AnalyseFromTheMenu(nginx.Url("/index.html"), true);
  // Saved while pages still wait.
  ASSERT_TRUE(PumpUntil([&] { return ctx->run.WaitingCount >= 3 && Catalogued() > 0; }));
  ASSERT_TRUE(MenuItem(cmd::kSaveSearchState)->isEnabled());
  MenuItem(cmd::kSaveSearchState)->trigger();
  std::string state = home.Read("rechsvg.ini");
  EXPECT_NE(state.find(nginx.Url("/page")), std::string::npos) << state;
  EXPECT_NE(home.Read("profilsvg.ini"), "<missing>");
  std::string results = home.Read("Resultsvg.txt");
  EXPECT_NE(results.find("tool.zip,"), std::string::npos) << results;

  // Stopped, then resumed from the menu.
  WhenModal([](QWidget* modal) { ClickButton(modal, QStringLiteral("Oui")); });
  MenuItem(cmd::kStopSearch)->trigger();
  ASSERT_TRUE(PumpUntil([&] { return RunOver(); }));
  ASSERT_TRUE(MenuItem(cmd::kResumeSearch)->isEnabled());
  MenuItem(cmd::kResumeSearch)->trigger();
  EXPECT_TRUE(ctx->run.collecting);
  EXPECT_GE(Catalogued(), 1);  // the found files came back from the save
  {
    std::lock_guard lock(ctx->QueueLock);
    EXPECT_GE(ctx->queue.count(), 1);
  }
  WatchToTheEnd();
  EXPECT_EQ(ctx->run.FinishedCount, ctx->run.BaseCount + ctx->run.AddedCount);
}

// The child's side: a scan of a page that never answers, then the close box.
void CloseDuringScan(const std::string& folder, const std::string& url) {
  WriteWholeFile(folder + "ORVI.ini", std::string("[Config]\r\nHttpTimeOut=60\r\n") + kIni);
  auto port = std::make_shared<ui::QtUiPort>();
  Context ctx(ContextOptions{.appFolder = folder, .ui = port});
  ctx.LoadSettings();
  ui::DesktopBrowser browser;
  ui::GuiEnv env{ctx, *port, browser, QSize(1024, 768), {}};
  ui::MainFrame frame(env, [&ctx] { ui::EndProgram(ctx); });
  frame.show();
  WhenModal([&](QWidget* modal) {
    auto* d = dynamic_cast<ui::ScanDialog*>(modal);
    d->Control<QLineEdit>(ui::ScanDialog::kAddress)->setText(QString::fromStdString(url));
    d->accept();
  });
  frame.Results().Commands().Execute(cmd::kAnalysePage);
  PumpUntil([&] { return ctx.run.InProgress > 0; });
  frame.close();
  std::_Exit(3);  // not reached when the close ends the program
}

// Closing the frame during a scan: the process ends at once with exit code 0
// and saves nothing. The page never answers, so a worker stays blocked. The
// child is this program started again (fork and exec), running the frame
// in the parent's program folder.
TEST(GuiEnd, ClosingTheFrameDuringAScanEndsTheProcessAtOnce) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The child (which ends without clean-up) makes no folder of its own.
  const char* inherited = std::getenv("ORVI_TEST_END_HOME");
  std::optional<TempDir> own;
  if (!inherited) own.emplace();
  const std::string folder = inherited ? inherited : own->path();
  setenv("ORVI_TEST_END_HOME", folder.c_str(), 1);
  ScriptServer silent([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.HoldUntilClosed();
  });
  EXPECT_EXIT(CloseDuringScan(folder, silent.Url("/slow.html")), ::testing::ExitedWithCode(0), "");
  unsetenv("ORVI_TEST_END_HOME");
  EXPECT_FALSE(ReadWholeFile(folder + "Resultsvg.txt").has_value());
  EXPECT_FALSE(ReadWholeFile(folder + "rechsvg.ini").has_value());
  EXPECT_TRUE(ReadWholeFile(folder + "ORVI.ini").has_value());  // the child did run here
}

}  // namespace
}  // namespace orvi::test
