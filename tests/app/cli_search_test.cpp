#include <gtest/gtest.h>

#include "cli_runner.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "app/cli.h"
#include "platform/cp1252.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::Cli;
using test::CliRun;

// The profiles that the build put beside the program.
std::string ShippedProfiles() {
  std::string program = ORVI_CLI_PATH;
  return program.substr(0, program.rfind('/')) + "/Profils";
}

TEST(CliProfile, PrintsAndSavesTheShippedProfilesByteForByte) {
  namespace fs = std::filesystem;
  test::TempDir home;
  fs::copy(ShippedProfiles(), home.File("Profils"), fs::copy_options::recursive);
  const std::string root = home.File("Profils");
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string path = entry.path().string();
    std::string name = path.substr(root.size(), path.size() - root.size() - 4);  // "/Musique/mp3"
    SCOPED_TRACE(name);
    std::string bytes = *ReadWholeFile(path);
    // The printed lines are the file's lines after its header, in UTF-8.
    std::string expected = bytes.substr(std::string("[Config]\r\n").size());
    for (size_t pos; (pos = expected.find("\r\n")) != std::string::npos;) {
      expected.replace(pos, 2, "\n");
    }
    CliRun run = Cli({"--home", home.path(), "profile", name});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, Cp1252ToUtf8(expected));
    ASSERT_EQ(Cli({"--home", home.path(), "profile", name, "--save"}).code, 0);
    EXPECT_EQ(*ReadWholeFile(path), bytes);
    ++count;
  }
  EXPECT_GE(count, 4);
}

TEST(CliProfile, AMissingFileReadsAsOneWithoutKeys) {
  test::TempDir home;
  CliRun run = Cli({"--home", home.path(), "profile", "/Nouveau"});
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 40);
  EXPECT_NE(run.out.find("\nGoogleUse=-1\nAtwUse=-1\nWiseUse=-1\n"), std::string::npos);
  // No Profils folder: nothing can be saved.
  run = Cli({"--home", home.path(), "profile", "/Nouveau", "--save"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("cannot write"), std::string::npos);
}

class CliQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(home.File("Profils/Test"));
    home.Write("ORVI.ini",
               "[Engines]\r\nGoogleUrl=http://g.test\r\nFastUrl=http://f.test/\r\n"
               "WiseNutUrl=http://w.test\r\n");
  }
  CliRun Queries(std::vector<std::string> args) {
    args.insert(args.begin(), {"--home", home.path(), "queries"});
    return Cli(args);
  }
  test::TempDir home;
};

TEST_F(CliQueries, PrintsTheFirstRequestsInHarvestOrder) {
  home.Write("Profils/Test/Deux.ini",
             "[Config]\r\nLibS1=Artiste\r\nLibS2=Titre\r\nFindS=1\r\nSexFilter=1\r\n"
             "Key0=+mp3\r\nKey1=%s.zip\r\nKey2=+(ogg OR wma)\r\nKey3=\r\nKey4=+never\r\n"
             "GoogleUse=1\r\nAtwUse=2\r\nWiseUse=4\r\n");
  CliRun run = Queries({"--input", "Harry Potter", "--profile", "/Test/Deux", "--input2", "DVD"});
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out,
            "#\t\"harry potter\" +dvd +mp3\n"
            "G\thttp://g.test/search?q=%22harry+potter%22+dvd+mp3&num=50&hl=en&lr=&safe=off&"
            "start=0&sa=N\n"
            "#\tHarryPotter.zip\n"
            "F\thttp://f.test/search?t=all&o=0&q=HarryPotter.zip+-sex&c=web&s=full&l=any&no=off&"
            "hits=50&s=title\n"
            "#\t\"harry potter\" +dvd +(ogg OR wma)\n"
            "W\thttp://w.test/search/query.dll?p=0&q=%22harry+potter%22+dvd+ogg+-sex\n"
            "W\thttp://w.test/search/query.dll?p=0&q=%22harry+potter%22+dvd+wma+-sex\n"
            "#\t\"harry potter\" +mp3\n"
            "G\thttp://g.test/search?q=%22harry+potter%22+mp3&num=50&hl=en&lr=&safe=off&"
            "start=0&sa=N\n"
            "#\t\"harry potter\" +(ogg OR wma)\n"
            "W\thttp://w.test/search/query.dll?p=0&q=%22harry+potter%22+ogg+-sex\n"
            "W\thttp://w.test/search/query.dll?p=0&q=%22harry+potter%22+wma+-sex\n"
            "#\tdvd +mp3\n"
            "G\thttp://g.test/search?q=dvd+mp3&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"
            "#\tdvd +(ogg OR wma)\n"
            "W\thttp://w.test/search/query.dll?p=0&q=dvd+ogg+-sex\n"
            "W\thttp://w.test/search/query.dll?p=0&q=dvd+wma+-sex\n");
}

TEST_F(CliQueries, Utf8InputsRowsAloneAndNoRows) {
  struct Case {
    const char* profile;
    std::string input, input2;
    std::string out;
  } cases[] = {
      // "Été": UTF-8 on the command line, Windows-1252 inside; only A to Z are
      // lowered, and the placeholder row takes the input as typed.
      {"[Config]\r\nFindS=1\r\nKey0=+mp3\r\nKey1=%s.zip\r\nGoogleUse=3\r\nAtwUse=0\r\nWiseUse=0\r\n",
       "\xC3\x89t\xC3\xA9", "",
       "#\t\xC3\x89t\xC3\xA9 +mp3\n"
       "G\thttp://g.test/search?q=%C9t%E9+mp3&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"
       "#\t\xC3\x89t\xC3\xA9.zip\n"
       "G\thttp://g.test/search?q=\xC3\x89t\xC3\xA9.zip&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"},
      {"[Config]\r\nFindS=0\r\nExtractAll=1\r\nKey0=\"index of\" mp3\r\nAtwUse=0\r\nWiseUse=0\r\n", "", "",
       "#\t\"index of\" mp3\n"
       "G\thttp://g.test/search?q=%22index%20of%22%20mp3&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"},
      // Without FindS each of the three variants sends the rows alone; a row
      // ticked for no engine is shown all the same.
      {"[Config]\r\nLibS1=A\r\nLibS2=B\r\nKey0=mp3\r\nKey1=+zip\r\nGoogleUse=2\r\nAtwUse=0\r\nWiseUse=2\r\n", "a", "b",
       "#\tmp3\n#\t +zip\nG\thttp://g.test/search?q=+zip&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"
       "W\thttp://w.test/search/query.dll?p=0&q=+zip\n"
       "#\tmp3\n#\t +zip\nG\thttp://g.test/search?q=+zip&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"
       "W\thttp://w.test/search/query.dll?p=0&q=+zip\n"
       "#\tmp3\n#\t +zip\nG\thttp://g.test/search?q=+zip&num=50&hl=en&lr=&safe=off&start=0&sa=N\n"
       "W\thttp://w.test/search/query.dll?p=0&q=+zip\n"},
      {"[Config]\r\nLibS1=A\r\n", "madonna", "", ""},  // no rows: nothing to ask
  };
  for (const Case& c : cases) {
    home.Write("Profils/Test/Un.ini", c.profile);
    std::vector<std::string> args = {"--profile", "/Test/Un", "--input", c.input};
    if (!c.input2.empty()) args.insert(args.end(), {"--input2", c.input2});
    CliRun run = Queries(args);
    EXPECT_EQ(run.code, 0) << c.profile << run.err;
    EXPECT_EQ(run.out, c.out) << c.profile;
  }
}

// Engine1..3 put today's engines in the slots, each at its <Name>Url; a
// harvest that queues nothing exits 3 with one summary line per engine.
TEST_F(CliQueries, TodaysEnginesInTheSlots) {
  home.Write("ORVI.ini", "[Engines]\r\nEngine1=mojeek\r\nEngine2=Bing\r\nEngine3=nothing\r\n"
                         "MojeekUrl=http://m.test/\r\nBingUrl=http://b.test\r\nWiseNutUrl=http://w.test\r\n");
  home.Write("Profils/Test/Un.ini", "[Config]\r\nFindS=1\r\nKey0=+mp3\r\nGoogleUse=1\r\nAtwUse=1\r\nWiseUse=1\r\n");
  CliRun run = Queries({"--profile", "/Test/Un", "--input", "\xC3\xA9t\xC3\xA9"});
  EXPECT_EQ(run.out, "#\t\xC3\xA9t\xC3\xA9 +mp3\n"
                     "Mojeek\thttp://m.test/search?q=%C3%A9t%C3%A9+mp3\n"
                     "Bing\thttp://b.test/search?q=%C3%A9t%C3%A9+mp3\n"
                     "W\thttp://w.test/search/query.dll?p=0&q=%E9t%E9+mp3\n");
  home.Write("Profils/Test/Un.ini", "[Config]\r\nFindS=1\r\nKey0=+mp3\r\nGoogleUse=0\r\nAtwUse=0\r\nWiseUse=0\r\n");
  run = Cli({"--home", home.path(), "harvest", "--profile", "/Test/Un", "--input", "x"});
  EXPECT_EQ(std::pair(run.code, run.out), std::pair(3, std::string()));
  EXPECT_EQ(run.err, "Mojeek: pages asked 0, results read 0, queued 0\nBing: pages asked 0, results read 0, queued 0\n"
                     "WiseNut: pages asked 0, results read 0, queued 0\n");
}

// Every usage error of every command is one line and exit code 2.
TEST_F(CliQueries, UsageErrorsAreOneLineAndExitTwo) {
  home.Write("Profils/Test/Un.ini", "[Config]\r\nFindS=1\r\nKey0=+mp3\r\n");
  for (auto args : std::vector<std::vector<std::string>>{
           {"queries", "--input", "x"},
           {"queries", "--profile", "/Test/Un"},
           {"queries", "--profile", "/Test/Un", "--input"},
           {"queries", "--profile", "/Test/Un", "--input", "a", "--input", "b"},
           {"queries", "--profile", "/Test/Un", "--input", "a", "extra"},
           {"queries", "--profile", "/Test/Un", "--input", "a", "--input2", "b"},  // one input
           {"queries", "--profile", "/Test/Un", "--input", ""},  // nothing to look for
           {"profile"},
           {"profile", "/a", "/b"},
           {"profile", "/a", "--force"}, {}, {"--home"}, {"frobnicate"}, {"--bogus"}, {"config", "--force"},
           {"harvest", "--input", "x"}, {"harvest", "--profile", "/Test/Un", "--input", ""},
           {"harvest", "--profile", "/Test/Un", "--input", "a", "--log"}}) {
    if (!args.empty() && args[0] != "--home") args.insert(args.begin(), {"--home", home.path()});
    CliRun run = Cli(args);
    EXPECT_EQ(run.code, 2) << (args.empty() ? "" : args.back());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_EQ(Queries({"--profile", "/Test/Un", "--input", ""}).err,
            "orvilane-cli: queries: Indiquez ce que vous recherchez, please ...\n");
}

}  // namespace
}  // namespace orvi
