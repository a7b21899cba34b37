#include "sandbox/fixture.h"

#include <gtest/gtest.h>

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
      {"[google] q\nwww.example.test/\n", "f.txt:2: 'www.example.test/' is neither"},
      {"[google] Q\n[fast google] q\n", "f.txt:2: a second answer of google to 'q'"},
      {"[google] q\n{base}/{9..1}\n", "f.txt:2: a range reads"},
      {"[files]\n/a x 2003-01-01\n", "f.txt:2: a file line reads: PATH SIZE YYYY-MM-DD [HH:MM[:SS]]; bad size"},
      {"[files]\n/a 1\n", "bad date"},
      {"[files]\n/a 1 2003-01-01\n/a 2 2003-01-01\n", "f.txt:3: '/a' is listed twice"},
      {"[translate] a\nb\nc\n", "f.txt:3: a translation is one line"},
      {"[text] ../x\n", "f.txt:1: [text] needs a page path such as /files/version.txt"},
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

}  // namespace
}  // namespace orvi::sandbox
