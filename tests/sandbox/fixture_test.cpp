#include "sandbox/fixture.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace orvi::sandbox {
namespace {

Fixture Parsed(std::string_view text) {
  Fixture fixture;
  std::string error;
  EXPECT_TRUE(fixture.Parse(text, "f.txt", error)) << error;
  return fixture;
}

std::vector<std::string> UrlsOf(const EngineAnswer* answer) {
  std::vector<std::string> urls;
  for (const auto& result : answer ? answer->results : std::vector<SearchResult>{}) urls.push_back(result.url);
  return urls;
}

TEST(SandboxFixture, AHeaderFillsEachEngineItNamesWithTheLinesBelow) {
  Fixture f = Parsed(
      "# comment\r\n"
      "[google, fast] mozart mp3\r\n"
      "total 1,234\r\n"
      "{base}/p{8..10}.html   Page {8..10}  \r\n"
      "{base}/d{01..2}.zip\r\n"
      "\r\n"
      "[wisenut] mozart\n"
      "ftp://ftp.test/pub/\n");
  const EngineAnswer* google = f.Answer(Engine::Google, "mozart mp3");
  ASSERT_NE(google, nullptr);
  EXPECT_EQ(google->total, 1234u);
  EXPECT_EQ(UrlsOf(google), (std::vector<std::string>{"{base}/p8.html", "{base}/p9.html", "{base}/p10.html",
                                                      "{base}/d01.zip", "{base}/d02.zip"}));
  EXPECT_EQ(google->results[2].title, "Page 10");
  EXPECT_EQ(google->results[3].title, "");
  EXPECT_EQ(UrlsOf(f.Answer(Engine::Fast, "mozart mp3")), UrlsOf(google));
  EXPECT_EQ(f.Answer(Engine::WiseNut, "mozart mp3"), nullptr);
  EXPECT_EQ(f.Answer(Engine::WiseNut, "mozart")->total, 1u);  // by default, the results listed
}

TEST(SandboxFixture, QueriesMatchInEveryFormTheEnginesReceive) {
  Fixture f = Parsed(
      "[google] mozart \"index of\" mp3\n{base}/a\n"
      "[fast] zebrapad+%28telecharger%20download%29%20+freeware\n{base}/b\n"
      "[wisenut] Beyonc\xC3\xA9\n{base}/c\n");
  // The server hands over the decoded q value; case and spacing do not matter.
  EXPECT_NE(f.Answer(Engine::Google, FormDecode("mozart+%22index%20of%22%20+mp3")), nullptr);
  EXPECT_NE(f.Answer(Engine::Google, "  MOZART  \"Index Of\"\tmp3 "), nullptr);
  EXPECT_NE(f.Answer(Engine::Fast, "zebrapad (telecharger download) freeware"), nullptr);
  // Fixtures are UTF-8; the program sends Windows-1252 (%E9 for e acute).
  EXPECT_NE(f.Answer(Engine::WiseNut, FormDecode("beyonc%E9")), nullptr);
  EXPECT_EQ(f.Answer(Engine::Google, "mozart index of mp3"), nullptr);
}

TEST(SandboxFixture, MistakesNameTheFileAndLine) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"\n\n{base}/a\n", "f.txt:3: a line before any"},
      {"[altavista] q\n", "f.txt:1: unknown engine 'altavista'"},
      {"[google q\n", "f.txt:1: a header needs a closing ']'"},
      {"[] q\n", "f.txt:1: a header names at least one engine"},
      {"[google]  \n", "f.txt:1: the header gives no query"},
      {"[google] q\nwww.example.test/\n", "f.txt:2: 'www.example.test/' is neither"},
      {"[google] q\ntotal 1000000000\n", "f.txt:2: total needs a number"},
      {"[google] Q\n[fast google] q\n", "f.txt:2: a second answer of google to 'q'"},
      {"[google] q\n{base}/{9..1}\n", "f.txt:2: a range reads"},
      {"[files] q\n", "f.txt:1: [files] stands alone"},
      {"[files]\nmp3/a.mp3 1 2003-01-01\n", "f.txt:2: 'mp3/a.mp3' is no file path"},
      {"[files]\n/a/../b 1 2003-01-01\n", "f.txt:2: '/a/../b' is no file path"},
      {"[files]\n/a x 2003-01-01\n", "f.txt:2: a file line reads: PATH SIZE YYYY-MM-DD [HH:MM[:SS]]; bad size"},
      {"[files]\n/a 1\n", "bad date"},
      {"[files]\n/a 1 2003-01-01 24:00\n", "bad date"},
      {"[files]\n/a 1 2003-01-01\n/a 2 2003-01-01\n", "f.txt:3: '/a' is listed twice"},
      {"[files]\n/a/b 1 2003-01-01\n/a 1 2003-01-01\n", "'/a' is already a folder"},
      {"[files]\n/a 1 2003-01-01\n/a/b 1 2003-01-01\n", "'/a' is a served file, not a folder"},
      {"[translate]\nx\n", "f.txt:1: [translate] needs the input it translates"},
      {"[translate] a\nb\nc\n", "f.txt:3: a translation is one line"},
      {"[translate] a\nb\n[translate] A\nc\n", "f.txt:3: a second translation of 'a'"},
      {"[text] ../x\n", "f.txt:1: [text] needs a page path such as /files/version.txt"},
      {"[text] /a\nx\n[text] /a\n", "f.txt:3: '/a' is given twice"},
  };
  for (const auto& [text, message] : cases) {
    Fixture fixture;
    std::string error;
    EXPECT_FALSE(fixture.Parse(text, "f.txt", error)) << text;
    EXPECT_NE(error.find(message), std::string::npos) << text << " gave: " << error;
  }
  // A fixture cannot make the sandbox hold more than it can serve.
  std::string huge = "[google fast wisenut] q\n";
  for (int i = 0; i < 7; ++i) huge += "{base}/" + std::to_string(i) + "/{1..10000}\n";
  Fixture fixture;
  std::string error;
  EXPECT_FALSE(fixture.Parse(huge, "f.txt", error));
  EXPECT_NE(error.find("too many results"), std::string::npos);
}

TEST(SandboxFixture, ServedFilesCarrySizeAndDateAndMakeFolders) {
  Fixture f = Parsed(
      "[files]\n/mp3/mozart/requiem.mp3 4213556 2002-11-03 21:14:05\n"
      "/mp3/mozart/sub/x.zip 1,024 2003-02-28\n/mp3/a%20b.ogg 0 2003-01-01 00:01\n");
  const ServedFile* requiem = f.File("/mp3/mozart/requiem.mp3");
  ASSERT_NE(requiem, nullptr);
  EXPECT_EQ(requiem->size, 4213556u);
  EXPECT_EQ(HttpDate(requiem->modified), "Sun, 03 Nov 2002 21:14:05 GMT");
  EXPECT_EQ(HttpDate(f.File("/mp3/mozart/sub/x.zip")->modified), "Fri, 28 Feb 2003 00:00:00 GMT");
  EXPECT_NE(f.File("/mp3/a b.ogg"), nullptr);  // written encoded, served decoded
  auto entries = f.FolderEntries("/mp3/mozart/");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (std::pair<std::string, const ServedFile*>{"requiem.mp3", requiem}));
  EXPECT_EQ(entries[1], (std::pair<std::string, const ServedFile*>{"sub/", nullptr}));
  EXPECT_EQ(f.FolderEntries("/mp3/").size(), 2u);
  EXPECT_TRUE(f.FolderEntries("/mp3/moz/").empty());
}

TEST(SandboxFixture, AFolderIsReadFileByFileInNameOrder) {
  orvi::test::TempDir dir;
  dir.Write("b.txt", "[google] two\n{base}/2\n");
  dir.Write("a.txt", "[google] one\n{base}/1\n");
  dir.Write("notes.md", "[nonsense\n");
  Fixture fixture;
  std::string error;
  ASSERT_TRUE(LoadFixtureFolder(dir.path(), fixture, error)) << error;
  EXPECT_EQ(fixture.Queries(Engine::Google), (std::vector<std::string>{"one", "two"}));
  dir.Write("c.txt", "[google] one\n{base}/again\n");
  Fixture again;
  EXPECT_FALSE(LoadFixtureFolder(dir.path(), again, error));
  EXPECT_NE(error.find("c.txt:1: a second answer"), std::string::npos) << error;
  EXPECT_FALSE(LoadFixtureFolder(dir.path() + "missing", again, error));
}

}  // namespace
}  // namespace orvi::sandbox
