// The windows end to end on 127.0.0.1: a whole search against the sandbox
// web as orvilane-cli search gives it; the program's end during a scan.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <optional>
#include <sstream>

#include "app/cli.h"
#include "core/commands.h"
#include "gui_test_support.h"
#include "platform/file_io.h"
#include "sandbox/fixture.h"
#include "sandbox/sandbox_server.h"
#include "sandbox/site.h"
#include "site/search_report.h"
#include "support/manual_clock.h"
#include "support/script_server.h"
#include "ui/prep_window.h"
#include "ui/scan_dialog.h"

namespace orvi::test {
namespace {

using ui::PrepWindow;

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::string WithoutFirstMarks(std::string log) {
  for (size_t at = log.find("!] "); at != std::string::npos; at = log.find("!] ", at + 1)) log[at] = '=';
  return log;
}

using PrepSandbox = FrameFixture;

TEST_F(PrepSandbox, AWholeSearchGivesTheResultsOfTheCommandLine) {
  sandbox::Fixture fixture;
  std::string error;
  ASSERT_TRUE(sandbox::LoadFixtureFolder(ORVI_SANDBOX_DATA, fixture, error)) << error;
  sandbox::Server server(
      std::make_shared<const sandbox::Site>(std::move(fixture), std::string(ORVI_SANDBOX_DATA) + "/sites"));
  ASSERT_TRUE(server.Start({}, error)) << error;
  const std::string base = server.baseUrl();
  std::filesystem::copy(ORVI_PROFILES, home.path() + "Profils", std::filesystem::copy_options::recursive);
  MakeFrame("NbRetry=1\r\nVerifyTimeOut=10\r\nStartWindow=0\r\n[Engines]\r\nGoogleUrl=" + base +
            "\r\nGoogleFallbackUrl=" + base + "\r\nFastUrl=" + base + "\r\nWiseNutUrl=" + base +
            "\r\nTranslateUrl=" + base + "\r\nSiteUrl=" + base + "\r\n");
  // The report's 40 seconds pass at once.
  ManualClock reportClock;
  env->reports = std::make_shared<SearchReports>(*ctx, &reportClock);

  // "&Nouvelle recherche": the profile chosen in the tree, the input typed,
  // the log ticked, then "1. Lancer la recherche" with AutoStart.
  WhenModal([](QWidget* modal) {
    auto* w = dynamic_cast<PrepWindow*>(modal);
    ASSERT_NE(w, nullptr);
    w->Tree()->setCurrentItem(w->Tree()->findItems(QStringLiteral("mp3"), Qt::MatchExactly | Qt::MatchRecursive)[0]);
    w->Control<QCheckBox>(PrepWindow::kLog)->setChecked(true);
    w->Control<QCheckBox>(PrepWindow::kAutoStart)->setChecked(true);
    QTest::keyClicks(w->Control<QLineEdit>(PrepWindow::kInput1), QStringLiteral("mozart"));
    QTest::mouseClick(w->Control<QPushButton>(PrepWindow::kLaunch), Qt::LeftButton);
  });
  Commands().Execute(cmd::kNewSearch);
  EXPECT_TRUE(PumpUntil([&] { return frame->windowTitle() == QStringLiteral("mp3 -> mozart"); }, 10))
      << frame->windowTitle().toStdString();
  // Closes the boxes that come until the run is over and every found file has had its probe.
  QString endBox, title;
  ASSERT_TRUE(PumpUntil([&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      endBox = box->text();
      box->close();
    }
    std::lock_guard lock(ctx->CatalogueLock);
    for (const auto& entry : ctx->catalogue.entries) {
      if (!entry) continue;
      for (const FoundFile* f : FilesOf(*entry)) {
        if (f->state <= 0) return false;
      }
    }
    return RunOver();
  }, 120));
  EXPECT_EQ(endBox, QString::fromUtf8("Recherche terminée"));
  AnswerFileDialog(QStringLiteral("gui"), &title);
  Commands().Execute(cmd::kSaveResults);
  EXPECT_EQ(title, QString::fromUtf8("Sauvegarder les résultats de recherche"));
  const std::string saved = home.Read("Save/gui.txt");  // the default extension is added
  const std::string log = home.Read("Log.txt");
  EXPECT_NE(saved.find("[mozart-requiem-lacrimosa,"), std::string::npos) << saved;
  // The export offers its own name, neither the results save's nor a folder; the file type gives the format.
  ctx->SearchText = "mozart/live";
  QString offered;
  WhenModal([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    offered = dialog->findChild<QLineEdit*>()->text();
    QTest::keyClick(dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_End);  // CSV
    static_cast<QDialog*>(dialog)->accept();
  });
  Commands().Execute(cmd::kExportLinks);
  EXPECT_EQ(offered, QStringLiteral("mozart_live liens"));
  EXPECT_TRUE(home.Read("Save/mozart_live liens.csv").starts_with("key,type,name,url,page,state,size,date\r\n"));

  TempDir cliHome;
  cliHome.Write("ORVI.ini", home.Read("ORVI.ini"));
  std::filesystem::copy(ORVI_PROFILES, cliHome.path() + "Profils", std::filesystem::copy_options::recursive);
  std::ostringstream out, err;
  EXPECT_EQ(RunCli({"--home", cliHome.path(), "-q", "search", "--profile", "/Musique/mp3", "--input", "mozart",
                    "--log"}, out, err), 0) << err.str();
  // The exploration's threads may find the files in another order.
  EXPECT_EQ(SortedLines(saved), SortedLines(cliHome.Read("Save/mozart.txt")));
  // The three engines run at once: which one meets a page first ("!", the
  // others "=") changes from run to run, on the command line too.
  EXPECT_EQ(SortedLines(WithoutFirstMarks(log)), SortedLines(WithoutFirstMarks(cliHome.Read("Log.txt"))));

  env->reports->JoinAll();
  std::vector<std::string> requests = server.RequestLog();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /addtop10.php3?requete=mozart"), 1);
}

// The child's side: a scan of a page that never answers, then the close box.
void CloseDuringScan(const std::string& folder, const std::string& url) {
  WriteWholeFile(folder + "ORVI.ini",
                 "[Config]\r\nNbRetry=1\r\nVerifyTimeOut=10\r\nHttpTimeOut=10\r\nStartWindow=0\r\n");
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
