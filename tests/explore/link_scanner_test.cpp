#include "explore/link_scanner.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace orvi {
namespace {

// The value after `start` in the page, searched in lower case and copied from
// the page as given, and the position returned: the end of the value (its
// closing quote); past the page, or with a part missing, nothing.
TEST(ExtractLinkValue, ValuesPositionsAndMissingParts) {
  const std::string longValue = "<a href=\"" + std::string(300, 'v') + "\">";
  const std::string none = "(none)";
  struct {
    std::string page;
    bool withOpen;
    std::string value;  // none: no value
    size_t pos = std::string::npos;  // npos: not checked
    size_t start = 0;
  } cases[] = {
      {"<A HREF = \"Setup.ZIP\">x</a>", false, "Setup.ZIP", 20},
      // Unquoted: up to ">" without trailing spaces; the position follows the value.
      {"<a href=file.zip   >", false, "file.zip", 16},
      // Long values are cut; the position stays the real end.
      {longValue, false, std::string(kMaxLinkChars, 'v'), longValue.size() - 2},
      // From the "h" of "href" to "=": 16 characters, then 17, which belongs to the value.
      {"<a href" + std::string(12, 'x') + "=\"v.zip\">", false, "v.zip"},
      {"<a href" + std::string(13, 'x') + "=\"v.zip\">", false, "=\"v.zip\""},
      {"<a href=\"javascript:get('Pack.zip')\">", false, "Pack.zip", 33},
      // The second apostrophe must come before the closing double quote.
      {"<a href=\"it's.zip\">x</a> 'later'", false, none},
      // The earlier start wins.
      {"<a onclick=\"window.open('a.zip')\" href=\"b.zip\">", true, "a.zip"},
      {"<a onclick=\"window.open('a.zip')\" href=\"b.zip\">", false, "b.zip"},
      {"<a href=\"file.zip>", true, none},
      {"<a href=file.zip", true, none},
      {"<a href=   ", true, none},
      {"<a href", true, none},
      {"<a onclick=\"open(", true, none},
      {"", true, none},
      {"<a href=\"x\">", false, none, std::string::npos, 100},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    std::string value;
    std::optional<size_t> pos = ExtractLinkValue(AsciiLower(c.page), c.page, c.start, value, c.withOpen);
    EXPECT_EQ(pos.has_value(), c.value != none);
    EXPECT_EQ(value, c.value == none ? "" : c.value);
    if (c.pos != std::string::npos) {
      EXPECT_EQ(pos, c.pos);
    }
  }
}

TEST(ResolveUrl, AgainstThePageFolder) {
  const char* cases[][3] = {
      {"http://host/a/b/page.html", "../../c/../file.zip", "http://host/file.zip"},
      {"http://host/a/b/page.html", "Www.Other.com/f.zip", "http://Www.Other.com/f.zip"},
      {"http://host/a/b/page.html", "sub/", "http://host/a/b/sub"},
      {"http://host/a/b/page.html", "my file.zip ", "http://host/a/b/my%20file.zip"},
      {"http://host", "f.zip", "http://host/f.zip"},
      // A folder listing's "../" is the parent folder, not a folder named "..",
      // and never climbs into the host.
      {"http://host/sub/", "../", "http://host"},
      // A scheme-relative link (CDNs) keeps the page's scheme.
      {"https://host:81/a/", "//cdn:82/dir/file.zip", "https://cdn:82/dir/file.zip"},
      // A "/" in the page's query is no folder.
      {"http://host/a/page.php?go=/x/y", "f.zip", "http://host/a/f.zip"},
      // A cache link stands for the page it caches.
      {"http://216.239.1.1/search?q=cache:Ab1:www.site.com/d/p.html+zip", "f.zip",
       "http://www.site.com/d/f.zip"},
      {"http://g/search?q=cache:www.site.com/d/p.html", "/f.zip", "http://www.site.com/f.zip"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveUrl(c[0], c[1]), c[2]) << c[0] << " + " << c[1];
}

// RFC 3986 section 5.4, its abnormal examples: a redirection's
// Location resolves exactly so, and a link too, less its final "/".
TEST(ResolveLocation, AsRfc3986AndALinkLessItsFinalSlash) {
  const char* base = "http://a/b/c/d;p?q";
  const char* cases[][2] = {
      {"", "http://a/b/c/d;p?q"}, {".", "http://a/b/c/"},
      {"../../../../g", "http://a/g"}, {"/../g", "http://a/g"}, {"..g", "http://a/b/c/..g"},
      {"./g/.", "http://a/b/c/g/"}, {"g;x=1/../y", "http://a/b/c/y"}, {"g?y/../x", "http://a/b/c/g?y/../x"},
      {"g#s/../x", "http://a/b/c/g#s/../x"}, {"http:g", "http:g"},
  };
  for (const auto& c : cases) {
    std::string link = c[1];
    if (link.ends_with('/')) link.pop_back();
    // An empty Location sends nowhere (below).
    if (*c[0] != '\0') {
      EXPECT_EQ(ResolveLocation(base, c[0]), c[1]) << c[0];
    }
    EXPECT_EQ(ResolveUrl(base, c[0]), link) << c[0];
  }
  // What a server sends: white space around, an empty field, a long one.
  EXPECT_EQ(ResolveLocation("https://h/a", "  //other/p/  "), "https://other/p/");
  EXPECT_EQ(ResolveLocation("http://h/a", " \t "), "");
  EXPECT_EQ(ResolveLocation("http://h/", std::string(400, 'x')).size(), kMaxLinkChars);
}

// Cut at 239 characters, and the cached page at 233.
TEST(ResolveUrl, CutsAt239AndTheCachedPageAt233) {
  EXPECT_EQ(ResolveUrl("http://host/page.html", std::string(300, 'f')).size(), kMaxLinkChars);
  EXPECT_EQ(ResolveUrl("http://host/", "www." + std::string(300, 'w')).size(), kMaxLinkChars);
  std::string host(300, 'h');
  EXPECT_EQ(ResolveUrl("http://g/search?q=cache:" + host, "f"),
            "http://" + host.substr(0, kMaxCacheBaseChars - 7) + "/f");
}

TEST(HasWantedExtension, UpToFiveLettersAfterTheDot) {
  const std::vector<std::string> ext = {"zip", "jpeg", "abcde", "abcdef"};
  EXPECT_TRUE(HasWantedExtension("http://h/photo.jpeg", ext) && HasWantedExtension("x.abcde", ext));
  EXPECT_FALSE(HasWantedExtension("x.abcdef", ext));  // six letters: never
  EXPECT_FALSE(HasWantedExtension("zip", ext) || HasWantedExtension("file.", {"zip", ""}));
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
  // Today's volumes: the same kind, whatever their extensions read.
  for (const char* page : {"<a href=\"movie.part1.rar\"></a><a href=\"movie.part2.rar\">",
                           "<a href=\"game.7z.001\"></a><a href=\"game.7z.002\">", "<a href=\"split.z01\"><a href=\"split.z02\">"})
    EXPECT_TRUE(Series(page, flag)) << page;

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
  EXPECT_FALSE(IsNumberedSeries("a1.zip", 0, 6, flag) || IsNumberedSeries("a1.zip", 0, 1000, flag) ||
               IsNumberedSeries("a1.zip", 4, 2, flag));
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
  EXPECT_TRUE(MatchesFileName("setup.zip", 2, {}, "setup") && MatchesFileName("set%75p.zip", 2, {}, "setup"));
  EXPECT_FALSE(MatchesFileName("setup1.zip", 2, {}, "setup"));
  // A dot farther back than the last five characters stays in the name.
  EXPECT_FALSE(MatchesFileName("setup.backup", 2, {}, "setup"));

  const std::vector<std::string> prefixes = {"fla", "pla"};
  EXPECT_TRUE(MatchesFileName("my%20player.zip", 1, prefixes, "") && MatchesFileName("anything.zip", 0, {}, ""));
  EXPECT_FALSE(MatchesFileName("setup.zip", 1, prefixes, ""));
  EXPECT_FALSE(MatchesFileName("a.pla", 1, prefixes, ""));  // not in the extension
}

}  // namespace
}  // namespace orvi
