#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvi {

// The decimal reading used for every number in the program's INI files: leading
// white space skipped, one optional sign, then digits up to the first other
// character, accumulated modulo 2^32 (so "4294967295" reads as -1). No digit
// gives 0. Never fails and never overflows.
int32_t ParseIntLoose(std::string_view text);

// A size in bytes written as decimal digits, with white space around them:
// nothing when anything else stands there or when it has more digits than a
// 64-bit size can hold (18), so that no length ever wraps.
std::optional<int64_t> ParseSize(std::string_view text);

// A size field of a file the program wrote: read like ParseIntLoose, but to
// 64 bits; a negative or overlong number is no size and gives 0.
int64_t ParseSizeLoose(std::string_view text);

// "%i" formatting.
std::string FormatInt(int64_t value);

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// Lowers the letters A to Z only (the other bytes of Windows-1252 are left).
std::string AsciiLower(std::string_view text);

// Removes spaces, tabs, CR, LF, VT and FF at both ends.
std::string_view TrimWhite(std::string_view text);

inline bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace orvi
