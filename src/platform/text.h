#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// The pieces of a comma-separated text, in order, as views into it: "a,,b"
// gives "a", "", "b"; an empty text gives one empty piece.
std::vector<std::string_view> CommaPieces(std::string_view text);

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The value of a hexadecimal digit of either case; -1 for any other byte.
inline int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Space, tab, CR, LF, VT or FF.
inline bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// True when the piece stands anywhere in the text.
inline bool Holds(std::string_view text, std::string_view piece) {
  return text.find(piece) != std::string_view::npos;
}
inline bool Holds(std::string_view text, char c) { return text.find(c) != std::string_view::npos; }

// The text's first `max` characters at most.
inline std::string Cut(std::string_view text, size_t max) { return std::string(text.substr(0, max)); }

// Drops everything from the first occurrence of the marker on.
inline void CutAt(std::string& text, std::string_view marker) {
  size_t at = text.find(marker);
  if (at != std::string::npos) text.resize(at);
}
inline void CutAt(std::string& text, char c) {
  size_t at = text.find(c);
  if (at != std::string::npos) text.resize(at);
}

inline bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace orvi
