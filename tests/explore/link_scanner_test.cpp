#include "explore/link_scanner.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace orvi {
namespace {

// The value after the start of `page`, searched in lower case and copied from
// the page as given, and the position returned.
struct Found {
  std::optional<size_t> pos;
  std::string value;
};

Found Extract(const std::string& page, bool withOpen = false, size_t start = 0) {
  Found f;
  f.pos = ExtractLinkValue(AsciiLower(page), page, start, f.value, withOpen);
  return f;
}

TEST(ExtractLinkValue, ValuesAreCopiedFromTheFetchedTextAtTheSameOffsets) {
  std::string page = "<A HREF = \"Setup.ZIP\">x</a>";
  Found f = Extract(page);
  EXPECT_EQ(f.value, "Setup.ZIP");
  EXPECT_EQ(f.pos, page.find("\">"));  // the closing quote

  // Unquoted: up to ">" without trailing spaces; the position follows the value.
  page = "<a href=file.zip   >";
  EXPECT_EQ(Extract(page).value, "file.zip");
  EXPECT_EQ(Extract(page).pos, page.find("p ") + 1);

  // Long values are cut; the position stays the real end.
  page = "<a href=\"" + std::string(300, 'v') + "\">";
  EXPECT_EQ(Extract(page).value, std::string(kMaxLinkChars, 'v'));
  EXPECT_EQ(Extract(page).pos, page.size() - 2);
}

TEST(ExtractLinkValue, AnEqualsSignSeventeenAwayBelongsToTheValue) {
  // From the "h" of "href" to "=": 16 characters, then 17.
  EXPECT_EQ(Extract("<a href" + std::string(12, 'x') + "=\"v.zip\">").value, "v.zip");
  EXPECT_EQ(Extract("<a href" + std::string(13, 'x') + "=\"v.zip\">").value, "=\"v.zip\"");
}

TEST(ExtractLinkValue, ScriptCallsAndOpenCalls) {
  std::string page = "<a href=\"javascript:get('Pack.zip')\">";
  EXPECT_EQ(Extract(page).value, "Pack.zip");
  EXPECT_EQ(Extract(page).pos, page.find("')"));
  // The second apostrophe must come before the closing double quote.
  EXPECT_FALSE(Extract("<a href=\"it's.zip\">x</a> 'later'").pos);

  page = "<a onclick=\"window.open('a.zip')\" href=\"b.zip\">";
  EXPECT_EQ(Extract(page, true).value, "a.zip");  // the earlier start wins
  EXPECT_EQ(Extract(page, false).value, "b.zip");
}

TEST(ExtractLinkValue, MissingPartsGiveNothing) {
  for (const char* page : {"<a href=\"file.zip>", "<a href='file.zip>", "<a href=file.zip",
                           "<a href=   ", "<a href", "<a onclick=\"open(", ""}) {
    SCOPED_TRACE(page);
    Found f = Extract(page, true);
    EXPECT_FALSE(f.pos);
    EXPECT_EQ(f.value, "");
  }
  EXPECT_FALSE(Extract("<a href=\"x\">", false, 100).pos);
}

TEST(ResolveUrl, AgainstThePageFolder) {
  const char* cases[][3] = {
      {"http://host/a/b/page.html", "file.zip", "http://host/a/b/file.zip"},
      {"http://host/a/b/page.html", "/x/file.zip", "http://host/x/file.zip"},
      {"http://host/a/b/page.html", "../../c/../file.zip", "http://host/file.zip"},
      {"http://host/a/b/page.html", "Www.Other.com/f.zip", "http://Www.Other.com/f.zip"},
      {"http://host/a/b/page.html", "sub/", "http://host/a/b/sub"},
      {"http://host/a/b/page.html", "my file.zip ", "http://host/a/b/my%20file.zip"},
      {"http://host/folder/", "f.zip", "http://host/folder/f.zip"},
      {"http://host", "f.zip", "http://host/f.zip"},
      {"http://host/", "f.zip", "http://host/f.zip"},
      // ".." never climbs into the host.
      {"http://host/a/page.html", "../../../f.zip", "http://host/f.zip"},
      {"http://host/", "/../f.zip", "http://host/f.zip"},
      // A folder listing's "../" is the parent folder, not a folder named "..".
      {"http://host/sub/", "../", "http://host"},
      {"http://host/a/b/", "../", "http://host/a"},
      {"http://host/a/b/", "..", "http://host/a"},
      {"http://host/a/b/page.html", "../..", "http://host"},
      {"http://host/", "../", "http://host"},
      {"http://host/a/", "x..", "http://host/a/x.."},
      // A cache link stands for the page it caches.
      {"http://216.239.1.1/search?q=cache:Ab1:www.site.com/d/p.html+zip", "f.zip",
       "http://www.site.com/d/f.zip"},
      {"http://g/search?q=cache:www.site.com/d/p.html", "/f.zip", "http://www.site.com/f.zip"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveUrl(c[0], c[1]), c[2]) << c[0] << " + " << c[1];
}

// A redirection's Location against the address fetched: relative forms are
// what many servers send, and a folder keeps its final "/".
TEST(ResolveLocation, AgainstTheFetchedAddress) {
  const char* cases[][3] = {
      {"http://h:81/sub", "http://h:81/sub/", "http://h:81/sub/"},
      {"http://h:81/sub", "/sub/", "http://h:81/sub/"},
      {"http://h/a/b/page.html", "other.html", "http://h/a/b/other.html"},
      {"http://h/a/b/page.html?x=/y/z", "c/", "http://h/a/b/c/"},
      {"http://h/a/b/", "../", "http://h/a/"},
      {"http://h/a/b/", "..", "http://h/a/"},
      {"http://h/a/b/", "./x/./y/../z", "http://h/a/b/x/z"},
      {"http://h/a", "/../../x", "http://h/x"},
      {"http://h", "x.html", "http://h/x.html"},
      {"http://h", "/", "http://h/"},
      {"http://h/a", "//other.example/p/", "http://other.example/p/"},
      {"http://h/a", "  /q?a=../b  ", "http://h/q?a=../b"},
      {"http://h/a", "HTTP://Other/x", "HTTP://Other/x"},
      {"http://h/a", "https://secure/x", "https://secure/x"},
      {"http://h/a", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveLocation(c[0], c[1]), c[2]) << c[0] << " + " << c[1];
  EXPECT_EQ(ResolveLocation("http://h/", std::string(400, 'x')).size(), kMaxLinkChars);
}

TEST(ResolveUrl, CutsAt239AndTheCachedPageAt233) {
  EXPECT_EQ(ResolveUrl("http://host/page.html", std::string(300, 'f')).size(), kMaxLinkChars);
  EXPECT_EQ(ResolveUrl("http://host/", "www." + std::string(300, 'w')).size(), kMaxLinkChars);
  std::string host(300, 'h');
  EXPECT_EQ(ResolveUrl("http://g/search?q=cache:" + host, "f"),
            "http://" + host.substr(0, kMaxCacheBaseChars - 7) + "/f");
}

TEST(HasWantedExtension, UpToFiveLettersAfterTheDot) {
  const std::vector<std::string> ext = {"zip", "jpeg", "abcde", "abcdef"};
  EXPECT_TRUE(HasWantedExtension("http://h/photo.jpeg", ext));
  EXPECT_TRUE(HasWantedExtension("x.abcde", ext));
  EXPECT_FALSE(HasWantedExtension("x.abcdef", ext));  // six letters: never
  EXPECT_FALSE(HasWantedExtension("zip", ext));
  EXPECT_FALSE(HasWantedExtension("file.", {"zip", ""}));
}

// The series test on the first "href" value of `page`.
bool Series(const std::string& page, bool& flag) {
  size_t start = page.find("href=\"") + 6;
  return IsNumberedSeries(page, start, page.find('"', start), flag);
}

TEST(IsNumberedSeries, ConsecutiveNumbersWithTheSameExtension) {
  bool flag = false;
  EXPECT_TRUE(Series("<a href=\"part1.rar\">1</a> <a href=\"part2.rar\">2</a>", flag));
  EXPECT_TRUE(flag);
  EXPECT_TRUE(Series("<a href=\"get.php?f=cd1.zip\">1</a><a href=\"/x/cd2.zip\">", flag));

  flag = false;
  for (const char* page : {
           "<a href=\"part1.rar\">1</a> <a href=\"part2.zip\">2</a>",
           "<a href=\"file9.zip\">1</a> <a href=\"file10.zip\">2</a>",
           "<a href=\"page1.html\">1</a> <a href=\"page2.html\">2</a>",
           "<a href=\"part1.rar\">only one</a>",
           // A shorter next name ends the walk at its own end.
           "<a href=\"abcdefgh1.zip\"></a><a href=\"b2.zip\">",
       }) {
    EXPECT_FALSE(Series(page, flag)) << page;
  }
  EXPECT_FALSE(flag);
  // Values at or past the page's end.
  EXPECT_FALSE(IsNumberedSeries("a1.zip", 0, 6, flag));
  EXPECT_FALSE(IsNumberedSeries("a1.zip", 0, 1000, flag));
  EXPECT_FALSE(IsNumberedSeries("a1.zip", 4, 2, flag));
}

TEST(IsNumberedSeries, TheNextLinkMustEndWithin300Characters) {
  // From the value's last character to the next value's closing quote: filler + 18.
  for (size_t filler : {281u, 282u, 283u}) {
    std::string page = "<a href=\"v1.zip\">" + std::string(filler, '.') + "<a href=\"v2.zip\">";
    bool flag = false;
    EXPECT_EQ(Series(page, flag), filler + 18 <= 300) << filler;
  }
}

TEST(MatchesFileName, StrictWantsTheBareNameApproachAPrefixOfTheSearchWords) {
  EXPECT_TRUE(MatchesFileName("setup.zip", 2, {}, "setup"));
  EXPECT_FALSE(MatchesFileName("setup1.zip", 2, {}, "setup"));
  EXPECT_TRUE(MatchesFileName("set%75p.zip", 2, {}, "setup"));
  // A dot farther back than the last five characters stays in the name.
  EXPECT_FALSE(MatchesFileName("setup.backup", 2, {}, "setup"));

  const std::vector<std::string> prefixes = {"fla", "pla"};
  EXPECT_TRUE(MatchesFileName("my%20player.zip", 1, prefixes, ""));
  EXPECT_FALSE(MatchesFileName("setup.zip", 1, prefixes, ""));
  EXPECT_FALSE(MatchesFileName("a.pla", 1, prefixes, ""));  // not in the extension
  EXPECT_TRUE(MatchesFileName("anything.zip", 0, {}, ""));
}

}  // namespace
}  // namespace orvi
