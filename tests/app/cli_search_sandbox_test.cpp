// A whole search from the command line against the sandbox web: engines,
// exploration, verification, results; then a saved state resumed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/cli.h"
#include "core/context.h"
#include "sandbox/fixture.h"
#include "sandbox/sandbox_server.h"
#include "sandbox/site.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

class SandboxSearchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sandbox::Fixture fixture;
    std::string error;
    ASSERT_TRUE(sandbox::LoadFixtureFolder(ORVI_SANDBOX_DATA, fixture, error)) << error;
    server = std::make_unique<sandbox::Server>(
        std::make_shared<const sandbox::Site>(std::move(fixture), std::string(ORVI_SANDBOX_DATA) + "/sites"));
    ASSERT_TRUE(server->Start({}, error)) << error;
    std::string base = server->baseUrl();
    home.Write("ORVI.ini", "[Config]\r\nNbRetry=1\r\nVerifyTimeOut=10\r\n[Engines]\r\nGoogleUrl=" + base +
                               "\r\nGoogleFallbackUrl=" + base + "\r\nFastUrl=" + base +
                               "\r\nWiseNutUrl=" + base + "\r\n");
    std::filesystem::copy(ORVI_PROFILES, home.path() + "Profils",
                          std::filesystem::copy_options::recursive);
  }
  std::string Cli(std::vector<std::string> args, int expected) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), expected) << err.str();
    return out.str();
  }

  test::TempDir home;
  std::unique_ptr<sandbox::Server> server;
};

TEST_F(SandboxSearchTest, FromTheEnginesToAVerifiedResultsFile) {
  std::string table = Cli({"--home", home.path(), "-q", "search", "--profile", "/Musique/mp3",
                           "--input", "mozart", "--log"}, 0);
  EXPECT_NE(table.find("mozart-requiem-lacrimosa\tmp3\t1\t1\t4213k\tSingleValid\n"), std::string::npos)
      << table;
  EXPECT_NE(home.Read("Save/mozart.txt").find("[mozart-requiem-lacrimosa,"), std::string::npos);
  EXPECT_EQ(home.Read("Log.txt").rfind("----- ORVI rapport d'interrogation moteurs", 0), 0u);

  // Nothing for an unknown search; no input at all is a usage error.
  Cli({"--home", home.path(), "-q", "search", "--profile", "/Musique/mp3", "--input", "zzqx"}, 1);
  Cli({"--home", home.path(), "-q", "search", "--profile", "/Musique/mp3", "--input", ""}, 2);
}

TEST_F(SandboxSearchTest, AResumeWithoutASaveAndWithOne) {
  Cli({"--home", home.path(), "-q", "resume"}, 1);
  // A saved state: one page of the sandbox left to explore, whose zip comes
  // beside the files found before the save only if the queue came back.
  home.Write("profilsvg.ini", "[Config]\r\nZip=1\r\nExtractAll=1\r\nEnableNews=1\r\nMaxDomains=99\r\n");
  home.Write("rechsvg.ini", "/Musique/mp3\r\nmozart\r\n" + server->baseUrl() +
                                "/musique-classique/mozart-opera.html\r\n");
  home.Write("Resultsvg.txt", "[earlier,1]\r\nearlier.zip,http://127.0.0.1:9/earlier.zip,p,1,10,?? ??\r\n>\r\n");
  std::string table = Cli({"--home", home.path(), "-q", "resume"}, 0);
  EXPECT_NE(table.find("earlier\tzip\t1\t1\t10\tSingleValid\n"), std::string::npos) << table;
  EXPECT_NE(table.find("mozart-don-giovanni-extraits\tzip\t1\t1\t18874k\tSingleValid\n"),
            std::string::npos)
      << table;
}

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line != ">\r") lines.push_back(line);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Ctrl-C in the middle of phase 2 saves the state; the resume goes on from
// there to what an uninterrupted search of the same input finds.
TEST_F(SandboxSearchTest, AnInterruptedSearchResumesToTheSameResults) {
  // One page at a time, so that pages are still waiting when the first ends.
  home.Write("ORVI.ini", home.Read("ORVI.ini") + "[Config]\r\nMinConnect=1\r\nMaxConnect=1\r\n");
  const std::vector<std::string> search = {"--home", home.path(), "-q", "search", "--profile",
                                           "/Musique/mp3", "--input", "mozart"};
  std::vector<std::string> whole = search;
  whole.insert(whole.end(), {"--out", home.File("whole.txt")});
  const std::string wholeTable = Cli(whole, 0);

  std::vector<std::string> broken = search;
  broken.insert(broken.end(), {"--out", home.File("broken.txt")});
  std::ostringstream out, err;
  bool interruptedWhileWaiting = false;
  CliHooks hooks{.interruptWhen = [&](const Context& ctx) {
    const bool now = ctx.run.SchedulerActive && ctx.run.FinishedCount >= 1 && ctx.run.WaitingCount >= 1;
    interruptedWhileWaiting |= now;
    return now;
  }};
  EXPECT_EQ(RunCli(broken, out, err, hooks), 130) << err.str();
  EXPECT_TRUE(interruptedWhileWaiting);
  EXPECT_NE(err.str().find("interrupted"), std::string::npos) << err.str();
  // Pages were left to explore; how many files the first part had found
  // depends on the machine's pace, so only the resumed end is compared.
  EXPECT_NE(home.Read("rechsvg.ini").find("http://"), std::string::npos);

  const std::string resumedTable =
      Cli({"--home", home.path(), "-q", "resume", "--out", home.File("resumed.txt")}, 0);
  EXPECT_EQ(SortedLines(resumedTable), SortedLines(wholeTable));
  EXPECT_EQ(SortedLines(home.Read("resumed.txt")), SortedLines(home.Read("whole.txt")));
}

}  // namespace
}  // namespace orvi
