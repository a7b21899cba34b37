#include "core/url_text.h"

#include <gtest/gtest.h>

namespace orvi {
namespace {

template <void (*Edit)(std::string&)>
std::string Apply(std::string text) {
  Edit(text);
  return text;
}

TEST(UrlText, CollapseWhitespaceFoldsRunsOfCrLfTabAndSpace) {
  EXPECT_EQ(Apply<CollapseWhitespace>("<a\r\n\thref = x>\n\n"), "<a href = x> ");
  EXPECT_EQ(Apply<CollapseWhitespace>("a\vb\fc"), "a\vb\fc");
}

TEST(UrlText, UrlDecodeTakesOnlyTwoHexDigitsOfNonZeroValue) {
  EXPECT_EQ(Apply<UrlDecode>("a%20b%2fc%2F%e9"), "a b/c/\xE9");
  EXPECT_EQ(Apply<UrlDecode>("%00|%zz|%g1|%4"), "%00|%zz|%g1|%4");
  EXPECT_EQ(Apply<UrlDecode>("%2541"), "%41");  // a decoded "%" is not read again
  EXPECT_EQ(Apply<UrlDecode>("%%41"), "%A");
}

TEST(UrlText, EncodeSpacesAndTrimSpaces) {
  EXPECT_EQ(Apply<EncodeSpaces>("http://h/my file.zip  "), "http://h/my%20file.zip");
  std::string encoded = Apply<EncodeSpaces>("http://h/" + std::string(100, ' ') + "x");
  EXPECT_EQ(encoded.size(), kMaxLinkChars);
  EXPECT_EQ(encoded.substr(0, 12), "http://h/%20");
  EXPECT_EQ(TrimSpaces("  zip, rar  "), "zip, rar");
  EXPECT_EQ(TrimSpaces("\tzip "), "\tzip");
  EXPECT_EQ(TrimSpaces("    "), "");
}

}  // namespace
}  // namespace orvi
