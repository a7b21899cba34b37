#include "platform/cp1252.h"

#include <gtest/gtest.h>

namespace orvi {
namespace {

TEST(Cp1252, EveryByteSurvivesUtf8AndTheHighRowIsNotLatin1) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
  EXPECT_EQ(Cp1252ToUtf8("\x80\x92\x9F\xE9"), "\xE2\x82\xAC\xE2\x80\x99\xC5\xB8\xC3\xA9");
  // An undefined byte is the C1 control of its number; Latin-1's other ones have no byte.
  EXPECT_EQ(Cp1252ToUnicode(0x8D), U'\u008D');
  EXPECT_EQ(UnicodeToCp1252(U'\u0080'), std::nullopt);
  EXPECT_EQ(Utf8ToCp1252("\xC5\x93uvre \xE4\xB8\xAD \xF0\x9F\x98\x80"), "\x9Cuvre ? ?");
  // Folded for a search: lower case, no accents.
  EXPECT_EQ(FoldForSearch("\xC9T\xE9 \x8Cuvre Stra\xDF" "e \x8A\x9F\xFF \xD7\xF7 1-Z"), "ete oeuvre strasse syy \xD7\xF7 1-z");
}

TEST(Cp1252, BytesThatAreNotUtf8AreKept) {
  for (std::string bad : {"caf\xE9", "\x80\xBF", "\xC3", "\xE2\x82" "A", "\xC0\xAF",
                          "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80"}) {
    EXPECT_EQ(Utf8ToCp1252(bad), bad);
  }
}

}  // namespace
}  // namespace orvi
