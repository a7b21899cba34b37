#include "site/news.h"

#include <gtest/gtest.h>

#include "platform/file_io.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

TEST(NormaliseNews, LineEndsAndEdges) {
  struct Case {
    const char* name;
    std::string fetched;
    std::string stored;
  } cases[] = {
      {"CR LF keeps its CR", "Hello\r\nWorld\r\n", "Hello\r\r\nWorld\r\r\n"},
      {"leading empty lines dropped", "\r\n\n\r\nHello\n", "Hello\r\n"},
      {"text after the last line feed dropped", "one\ntwo", "one\r\n"},
      {"no line feed at all", "one line", ""},
      {"only line ends", "\r\n\r\n\n", ""},
      {"Windows-1252 bytes pass", "Nouveaut\xE9 \x80\n", "Nouveaut\xE9 \x80\r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(NormaliseNews(c.fetched), c.stored) << c.name;
}

// Each step is one start of the program: what the site serves, and whether a
// message shows.
TEST(TakeNewNews, AMessageShowsOnceAcrossStarts) {
  test::TempDir home;
  struct Start {
    const char* name;
    std::string served;
    bool shown;
  } starts[] = {
      {"first start: no copy, and an empty message is new", "no line feed", true},
      {"a message after the empty one", "Version 0.42\n", true},
      {"same text", "Version 0.42\n", false},
      {"one character changed", "Version 0.43\n", true},
      {"CR LF lines", "Version 0.43\r\nBeta\r\n", true},
      {"compared in their stored form", "Version 0.43\r\nBeta\r\n", false},
      {"leading empty lines do not make it new", "\r\n\nVersion 0.43\r\nBeta\r\n", false},
      {"an empty file against a non-empty copy", "", true},
  };
  for (const Start& s : starts) {
    std::optional<std::string> shown = TakeNewNews(home.path(), s.served);
    EXPECT_EQ(shown.has_value(), s.shown) << s.name;
    // The copy always holds the last message, written before it shows.
    EXPECT_EQ(ReadWholeFile(home.File("version.txt")), NormaliseNews(s.served)) << s.name;
    if (shown) {
      EXPECT_EQ(*shown, NormaliseNews(s.served)) << s.name;
    }
  }
}

}  // namespace
}  // namespace orvi
