#include "platform/text.h"

#include <gtest/gtest.h>

#include <optional>

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

TEST(ParseSize, SixtyFourBitsAndNothingThatIsNotANumber) {
  struct {
    const char* text;
    std::optional<int64_t> strict;
    int64_t loose;
  } cases[] = {
      {"1234", 1234, 1234},
      {" 5000000000 ", INT64_C(5000000000), INT64_C(5000000000)},
      {"2147483647", INT64_C(2147483647), INT64_C(2147483647)},
      {"999999999999999999", INT64_C(999999999999999999), INT64_C(999999999999999999)},
      {"12345678901234567890123", std::nullopt, 0},  // too long for any size: no wrap
      {"12abc", std::nullopt, 12},
      {"-5", std::nullopt, 0},
      {"+7", std::nullopt, 7},
      {"0x10", std::nullopt, 0},
      {"", std::nullopt, 0},
      {"  ", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseSize(c.text), c.strict) << c.text;
    EXPECT_EQ(ParseSizeLoose(c.text), c.loose) << c.text;
  }
}

}  // namespace
}  // namespace orvi
