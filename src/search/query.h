#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvi {

// Sizes of the composed texts, in characters; longer ones are cut, never in
// the middle of a %XX escape.
constexpr size_t kInputChars = 79;
constexpr size_t kEncodedInputChars = 99;  // also a query variant
constexpr size_t kEngineQueryChars = 319;
constexpr size_t kExpandedChars = 149;
constexpr size_t kMaxExpansions = 48;

// Queries are composed in the form in which they go into a URL. All texts
// are Windows-1252 bytes.

// Encodes an input whose letters A to Z are already lowered: space and the
// bytes 46 to 122 are kept, every other byte becomes %XX; an input holding a
// space or a full stop becomes a phrase, "%22" ... "%22" with "+" for spaces.
std::string EncodeInput(std::string_view input);

// Three variants (both inputs, input 1, input 2) when both encoded inputs are
// given, otherwise the one given (or an empty one).
std::vector<std::string> ComposeVariants(std::string_view encoded1, std::string_view encoded2);

// Drops trailing spaces of a keyword row and escapes space, '"', '(' and ')'.
std::string EncodeRow(std::string_view row);

// What one search composes its queries from; lives for the whole harvest.
struct SearchInputs {
  std::string input1;  // as typed, at most 79 characters
  std::string input2;
  std::string searchText;         // input 1 lowered, or input 2 when input 1 is empty
  std::string encodedSearchText;  // the same input encoded
  std::vector<std::string> variants;
  bool placeholderUsed = false;  // a "%s" row has been sent in this search
};

// Takes the inputs as typed (cut to 79 characters) and composes the search
// text and the variants.
SearchInputs PrepareSearchInputs(std::string_view input1, std::string_view input2);

// The engine query of one variant and one encoded row, or nothing when the
// row is skipped. With findS clear the row is the query; a row holding "%s"
// takes input 1 as typed, without spaces, once per search; any other row is
// appended to the variant.
std::optional<std::string> ComposeEngineQuery(std::string_view variant, std::string_view encodedRow,
                                              bool findS, SearchInputs& inputs);

// Fast receives alternatives as plain words: every "%20OR%20" of a request
// URL made "%20".
std::string FastAlternatives(std::string url);

// The queries WiseNut is asked, in order: the OR expansion of the engine
// query, or the query alone (a single word as a "%22" phrase).
std::vector<std::string> WiseNutQueries(std::string_view engineQuery);
// A WiseNut query as it is sent, just before its pages: "+-sex" appended under
// the profile's filter unless the query already holds 9 "+".
std::string WithWiseNutFilter(std::string_view query, bool sexFilter);

// Expands the first "%28...%29" group at every "%20OR%20", level after level
// while every text of a level still holds a group, at most 48 texts in all;
// the last complete level. Empty when the query has no group.
std::vector<std::string> ExpandOr(std::string_view query);

// The readable form of an engine query for the status line.
std::string DisplayForm(std::string_view query);

// Two upper-case hexadecimal digits of a byte.
std::string HexPair(char byte);
// The value of a hexadecimal text, read without regard to case and skipping
// spaces; 0 when any other character is met (0 means "no escape").
uint32_t HexValue(std::string_view text);

}  // namespace orvi
