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

// Pages written today send names in UTF-8; the program keeps Windows-1252.
TEST(UrlText, DecodeFileNameKeepsWindows1252AndNeverMakesMojibake) {
  const std::string e = "%C3%A9";  // é in UTF-8
  const std::string de = "%D0%B4";  // Cyrillic д
  const char* cases[][2] = {
      {"\xC3\xA9t\xC3\xA9 2002.zip", "\xE9t\xE9 2002.zip"},  // raw UTF-8, no "%"
      {"%E2%82%AC%C5%93.zip", "\x80\x9C.zip"},                 // the 0x80-0x9F row
      // Not UTF-8: already Windows-1252, decoded or raw, or a broken sequence.
      {"%E9t%E9.zip", "\xE9t\xE9.zip"},
      {"%C3%28.zip", "\xC3(.zip"},
      {"%C3%A9%E9.zip", "\xC3\xA9\xE9.zip"},
      // A character Windows-1252 cannot hold: the link's text, percent-encoded.
      {"\xE4\xB8\xAD.zip", "%E4%B8%AD.zip"},
      {"caf%C3%A9 %D0%B4%20x.zip", "caf%C3%A9 %D0%B4%20x.zip"},
  };
  for (const auto& c : cases) EXPECT_EQ(DecodeFileName(c[0]), c[1]) << c[0];
  // Cut at kMaxNameChars once converted, and between characters.
  std::string many;
  for (int i = 0; i < 100; ++i) many += e;
  EXPECT_EQ(DecodeFileName(many), std::string(kMaxNameChars, '\xE9'));
  many = "ab";
  for (int i = 0; i < 20; ++i) many += de;
  EXPECT_EQ(DecodeFileName(many), many.substr(0, 2 + 12 * de.size()));
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
