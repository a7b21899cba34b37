#include "search/query.h"

#include <gtest/gtest.h>

#include <tuple>

#include "search/engine_table.h"

namespace orvi {
namespace {

using Texts = std::vector<std::string>;

TEST(Query, InputsAndVariants) {
  EXPECT_EQ(EncodeInput("setup.exe"), "%22setup.exe%22");
  EXPECT_EQ(EncodeInput("l'\xE9t\xE9\t"), "l%27%E9t%E9%09");
  // The edges of the kept range 46-122.
  EXPECT_EQ(EncodeInput("-./09:@AZ[`az{"), "%22%2D./09:@AZ[`az%7B%22");
  // The variants of two inputs are checked by the command line's queries.
  SearchInputs in = PrepareSearchInputs("Harry Potter", "");
  EXPECT_EQ(std::tie(in.searchText, in.encodedSearchText), std::tuple("harry potter", "%22harry+potter%22"));
  EXPECT_EQ(PrepareSearchInputs("", "").variants, Texts{""});
}

TEST(Query, ComposedTextsAreCutBetweenEscapes) {
  std::string accents(78, '\xE9');
  std::string escapes;
  for (int i = 0; i < 32; ++i) escapes += "%E9";
  EXPECT_EQ(EncodeInput("a" + accents), "a" + escapes);  // 99 would split the 33rd
  std::string phrase = EncodeInput("x " + accents);  // keeps its closing quote
  EXPECT_EQ(phrase.size(), 98u);
  EXPECT_EQ(phrase.substr(phrase.size() - 6), "%E9%22");
  SearchInputs in = PrepareSearchInputs("a", "");
  std::string row = std::string(317, 'r') + "%E9x";
  EXPECT_EQ(ComposeEngineQuery("aa", row, true, in)->size(), 319u);
  EXPECT_EQ(ComposeEngineQuery("a", row, true, in)->size(), 318u);
}

// How the placeholder row goes out for each variant is checked by the command line's queries.
TEST(Query, EngineQueryOfARow) {
  EXPECT_EQ(EncodeRow(" \"index of\" (mp3)  "), "%20%22index%20of%22%20%28mp3%29");
  SearchInputs in = PrepareSearchInputs("madonna", "");
  std::optional<std::string> q = ComposeEngineQuery("madonna", EncodeRow("+mp3 zip"), true, in);
  EXPECT_EQ(q, "madonna+mp3%20zip");
  EXPECT_EQ(DisplayForm(*q), "madonna +mp3 zip");
  EXPECT_EQ(DisplayForm("50%zz%00%41%e9%4 1%2"), "50%zz%00A\xE9%4 1%2");  // broken escapes stay
  EXPECT_EQ(ComposeEngineQuery("madonna", EncodeRow("mp3 zip"), true, in), "madonnamp3%20zip");
  EXPECT_EQ(ComposeEngineQuery("madonna", EncodeRow("+mp3 zip"), false, in), "+mp3%20zip");
  // The placeholder takes input one as typed, once; without input one the row goes nowhere.
  SearchInputs one = PrepareSearchInputs("Harry Potter", ""), none = PrepareSearchInputs("", "dvd");
  EXPECT_EQ(ComposeEngineQuery("harry", "%s%20%s", true, one), "HarryPotter%20%s");
  EXPECT_EQ(ComposeEngineQuery("dvd", "%s.zip", true, none), std::nullopt);
}

// Each engine's full request line is checked where it goes out (harvest, command line).
TEST(Query, NothingFromARowOrAnInputEndsTheRequestLine) {
  EXPECT_EQ(EngineRequestUrl(SlotEngine(2), "http://w", "a\r\nHost: b\x7F{paging}", 0),
            "http://w/search/query.dll?p=0&q=a%0D%0AHost:%20b%7F{paging}");
}

TEST(Query, AlternativesPerEngineAndTheFilter) {
  std::string q = EncodeRow("(crack OR serial)");
  EXPECT_EQ(q, "%28crack%20OR%20serial%29");
  SearchProfile plain{}, filtered{};
  filtered.SexFilter = true;
  EXPECT_NE(FirstPageUrls(SlotEngine(0), "http://g", q, filtered).at(0).find("q=" + q + "&"), std::string::npos);
  EXPECT_EQ(FirstPageUrls(SlotEngine(1), "http://f", q, filtered),
            Texts{"http://f/search?t=all&o=0&q=%28crack%20serial%29+-sex&c=web&s=full&l=any&no=off&"
                  "hits=50&s=title"});
  EXPECT_NE(FirstPageUrls(SlotEngine(1), "http://f", "a%20OR%20OR%20b", plain).at(0).find("q=a%20b&"),
            std::string::npos);
  EXPECT_EQ(WiseNutQueries("%E9t%E9"), Texts{"%E9t%E9"});
  EXPECT_EQ(WithWiseNutFilter("a+b+c+d+e+f+g+h+i", true), "a+b+c+d+e+f+g+h+i+-sex");
  EXPECT_EQ(WithWiseNutFilter("a+b+c+d+e+f+g+h+i+j", true), "a+b+c+d+e+f+g+h+i+j");
}

std::string Group(int alternatives, char letter) {
  std::string group = "%28";
  for (int i = 0; i < alternatives; ++i) {
    group += (i > 0 ? "%20OR%20" : "") + std::string{letter, static_cast<char>('0' + i)};
  }
  return group + "%29";
}

TEST(Query, OrExpansion) {
  EXPECT_EQ(ExpandOr("%28a%20or%20b%29"), Texts{"a%20or%20b"});  // upper-case OR only
  EXPECT_EQ(ExpandOr("%28a%20OR%20b"), Texts{});
  EXPECT_EQ(ExpandOr("a%29%20OR%20%28b"), Texts{});  // ")" before "(" is no group
  // 4 + 16 texts fit in 48, the next level of 64 does not.
  Texts texts = ExpandOr(Group(4, 'a') + Group(4, 'b') + Group(4, 'c'));
  ASSERT_EQ(texts.size(), 16u);
  EXPECT_EQ(texts.front(), "a0b0" + Group(4, 'c'));
  EXPECT_EQ(ExpandOr(Group(48, 'a')).size(), 48u);
  EXPECT_EQ(ExpandOr(Group(49, 'a')), Texts{});
  EXPECT_EQ(ExpandOr(Group(2, 'a') + std::string(145, 'x') + "%E9")[0],
            "a0" + std::string(145, 'x'));  // cut to 149 before the escape
}

}  // namespace
}  // namespace orvi
