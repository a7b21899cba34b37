// The sandbox's translation service, product site and text pages.
#include <gtest/gtest.h>

#include "sandbox/fixture.h"
#include "sandbox/site.h"
#include "search/translation.h"

namespace orvi::sandbox {
namespace {

Response Get(const Site& site, const std::string& target) {
  Request request;
  EXPECT_EQ(ParseRequest("GET " + target + " HTTP/1.1\r\n\r\n", request), ParseResult::Complete) << target;
  return site.Respond(request, "http://127.0.0.1:8421");
}

TEST(SandboxServices, TranslationsReportsAndTexts) {
  Fixture fixture;
  std::string error;
  ASSERT_TRUE(fixture.Parse("[translate] Le  Chat\nthe cat\n[translate] \xC3\xA7" "a va\nhow are you\n"
                            "[text] /files/version.txt\nVersion 2\n# not part of it\nDeux lignes\n",
                            "s.txt", error))
      << error;
  const Site site(std::move(fixture), "");
  struct Case {
    std::string input;                 // as typed in the window
    std::optional<std::string> shown;  // what the program reads back
  } cases[] = {{"le chat", "the cat"}, {"LE CHAT", "the cat"}, {"\xE7" "a va", "how are you"},
               {"\xC7" "a va", std::nullopt},  // only A-Z are lowered
               {"le chien", std::nullopt}, {"", std::nullopt}};
  for (const Case& c : cases) {
    Response r = Get(site, TranslationPath("fr_en", c.input));
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(ReadTranslation(r.body), c.shown) << c.input;
  }
  Response text = Get(site, "/files/version.txt");
  EXPECT_EQ(text.status, 200);
  EXPECT_EQ(text.body, "Version 2\nDeux lignes\n");
  EXPECT_EQ(Get(site, "/addtop10.php3?requete=harry+potter").status, 200);
  EXPECT_EQ(Get(site, "/files/other.txt").status, 404);
}

TEST(SandboxServices, MistakesInTheBlocks) {
  struct Case {
    const char* text;
    const char* error;
  } cases[] = {
      {"[translate]\nx\n", "s.txt:1: [translate] needs the input it translates"},
      {"[translate] a\nb\nc\n", "s.txt:3: a translation is one line"},
      {"[translate] a\nb\n[translate] A\nc\n", "s.txt:3: a second translation of 'a'"},
      {"[text] ../x\n", "s.txt:1: [text] needs a page path such as /files/version.txt"},
      {"[text] /a\nx\n[text] /a\n", "s.txt:3: '/a' is given twice"},
  };
  for (const Case& c : cases) {
    Fixture fixture;
    std::string error;
    EXPECT_FALSE(fixture.Parse(c.text, "s.txt", error)) << c.text;
    EXPECT_EQ(error, c.error);
  }
}

}  // namespace
}  // namespace orvi::sandbox
