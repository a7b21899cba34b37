#include "platform/text.h"

#include <gtest/gtest.h>

namespace orvi {
namespace {

TEST(ParseIntLoose, ReadsLikeTheDecimalRuleModulo2To32) {
  EXPECT_EQ(ParseIntLoose("4294967295"), -1);
  EXPECT_EQ(ParseIntLoose("-1"), -1);
  EXPECT_EQ(ParseIntLoose("  \t+42xyz"), 42);
  EXPECT_EQ(ParseIntLoose("-17 8"), -17);
  EXPECT_EQ(ParseIntLoose(""), 0);
  EXPECT_EQ(ParseIntLoose("abc"), 0);
  EXPECT_EQ(ParseIntLoose("-"), 0);
  EXPECT_EQ(ParseIntLoose("4294967296"), 0);
  EXPECT_EQ(ParseIntLoose("11527930"), 0xAFE6FA);
  // Far too many digits wrap instead of overflowing.
  EXPECT_EQ(ParseIntLoose("99999999999999999999999"), -159383553);
}

TEST(Text, CaseAndTrimHelpers) {
  EXPECT_TRUE(EqualsIgnoreCase("MaxConnect", "maxCONNECT"));
  EXPECT_FALSE(EqualsIgnoreCase("Max", "MaxConnect"));
  EXPECT_EQ(AsciiLower("ZIP \xC9t\xE9"), "zip \xC9t\xE9");  // only A to Z
  EXPECT_EQ(TrimWhite(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimWhite("   "), "");
  EXPECT_TRUE(StartsWithIgnoreCase("HTTP://x", "http://"));
}

}  // namespace
}  // namespace orvi
