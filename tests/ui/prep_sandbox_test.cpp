// A whole search from the windows against the sandbox web: the tree, the
// input, "1. Lancer la recherche", "AutoStart", phase 2 and the verification
// end with the results and the query log of orvilane-cli search; the search
// is then reported to the product site.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/cli.h"
#include "core/commands.h"
#include "frame_fixture.h"
#include "sandbox/fixture.h"
#include "sandbox/sandbox_server.h"
#include "sandbox/site.h"
#include "search/search_report.h"
#include "support/manual_clock.h"
#include "ui/prep_window.h"

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

class PrepSandboxTest : public FrameFixture {
 protected:
  void SetUp() override {
    sandbox::Fixture fixture;
    std::string error;
    ASSERT_TRUE(sandbox::LoadFixtureFolder(ORVI_SANDBOX_DATA, fixture, error)) << error;
    // One more answer, for the report: the query of the profile below.
    ASSERT_TRUE(fixture.Parse("[google] \"harry potter\" +mp3\n{base}/mp3/mozart/ Index of /mp3/mozart\n",
                              "harry.txt", error))
        << error;
    server = std::make_unique<sandbox::Server>(
        std::make_shared<const sandbox::Site>(std::move(fixture), std::string(ORVI_SANDBOX_DATA) + "/sites"));
    ASSERT_TRUE(server->Start({}, error)) << error;
    const std::string base = server->baseUrl();
    ini = "NbRetry=1\r\nVerifyTimeOut=10\r\nStartWindow=0\r\n[Engines]\r\nGoogleUrl=" + base +
          "\r\nGoogleFallbackUrl=" + base + "\r\nFastUrl=" + base + "\r\nWiseNutUrl=" + base +
          "\r\nTranslateUrl=" + base + "\r\nSiteUrl=" + base + "\r\n";
    std::filesystem::copy(ORVI_PROFILES, home.path() + "Profils", std::filesystem::copy_options::recursive);
  }

  // "&Nouvelle recherche": the profile chosen in the tree, the input typed,
  // the log ticked or not, then "1. Lancer la recherche" with AutoStart.
  void SearchFromTheWindows(const QString& folder, const QString& name, const QString& input, bool log) {
    WhenModal([=](QWidget* modal) {
      auto* w = dynamic_cast<PrepWindow*>(modal);
      ASSERT_NE(w, nullptr);
      QTreeWidgetItem* leaf = nullptr;
      for (QTreeWidgetItem* item : w->Tree()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive)) {
        if (item->parent() && item->parent()->text(0) == folder) leaf = item;
      }
      ASSERT_NE(leaf, nullptr);
      w->Tree()->setCurrentItem(leaf);
      w->Control<QCheckBox>(PrepWindow::kLog)->setChecked(log);
      w->Control<QCheckBox>(PrepWindow::kAutoStart)->setChecked(true);
      QTest::keyClicks(w->Control<QLineEdit>(PrepWindow::kInput1), input);
      QTest::mouseClick(w->Control<QPushButton>(PrepWindow::kLaunch), Qt::LeftButton);
    });
    MenuItem(cmd::kNewSearch)->trigger();
  }

  std::string Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), 0) << err.str();
    return out.str();
  }

  std::string ini;
  std::unique_ptr<sandbox::Server> server;
};

TEST_F(PrepSandboxTest, AWholeSearchGivesTheResultsOfTheCommandLine) {
  MakeFrame(ini);
  // The report's 40 seconds pass at once.
  ManualClock reportClock;
  env->reports = std::make_shared<SearchReports>(*ctx, &reportClock);

  SearchFromTheWindows("Musique", "mp3", QStringLiteral("mozart"), true);
  PumpUntil([&] { return frame->windowTitle() == QStringLiteral("mp3 -> mozart"); }, 10);
  EXPECT_EQ(frame->windowTitle(), QStringLiteral("mp3 -> mozart"));
  WatchToTheEnd();
  AnswerFileDialog(QStringLiteral("gui"));
  MenuItem(cmd::kSaveResults)->trigger();
  const std::string saved = home.Read("Save/gui.txt");
  const std::string log = home.Read("Log.txt");
  EXPECT_NE(saved.find("[mozart-requiem-lacrimosa,"), std::string::npos) << saved;

  TempDir cliHome;
  cliHome.Write("ORVI.ini", home.Read("ORVI.ini"));
  std::filesystem::copy(ORVI_PROFILES, cliHome.path() + "Profils", std::filesystem::copy_options::recursive);
  Cli({"--home", cliHome.path(), "-q", "search", "--profile", "/Musique/mp3", "--input", "mozart", "--log"});
  // The exploration's threads may find the files in another order.
  EXPECT_EQ(SortedLines(saved), SortedLines(cliHome.Read("Save/mozart.txt")));
  // The three engines run at once: which one meets a page first ("!", the
  // others "=") changes from run to run, on the command line too.
  EXPECT_EQ(SortedLines(WithoutFirstMarks(log)), SortedLines(WithoutFirstMarks(cliHome.Read("Log.txt"))));

  env->reports->JoinAll();
  std::vector<std::string> requests = server->RequestLog();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /addtop10.php3?requete=mozart"), 1);
}

TEST_F(PrepSandboxTest, HarryPotterIsReportedAsHarryPlusPotter) {
  Put("Profils/Test/harry.ini", "[Config]\r\nLibS1=Titre :\r\nFindS=1\r\nKey0=+mp3\r\nGoogleUse=1\r\nAtwUse=0\r\n"
                                "WiseUse=0\r\nZip=1\r\nExtensions=mp3\r\nMaxDomains=32\r\n");
  MakeFrame(ini);
  ManualClock reportClock;
  env->reports = std::make_shared<SearchReports>(*ctx, &reportClock);
  SearchFromTheWindows("Test", "harry", QStringLiteral("harry potter"), false);
  WatchToTheEnd();
  env->reports->JoinAll();
  std::vector<std::string> requests = server->RequestLog();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "GET /addtop10.php3?requete=harry+potter"), 1)
      << ::testing::PrintToString(requests);
}

}  // namespace
}  // namespace orvi::test
