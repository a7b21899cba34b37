#include "platform/text.h"

#include <algorithm>

namespace orvi {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

}  // namespace

int32_t ParseIntLoose(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsWhite(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

namespace {
constexpr size_t kMaxSizeDigits = 18;
}  // namespace

std::optional<int64_t> ParseSize(std::string_view text) {
  text = TrimWhite(text);
  if (text.empty() || text.size() > kMaxSizeDigits) return std::nullopt;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

int64_t ParseSizeLoose(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsWhite(text[i])) ++i;
  if (i < text.size() && text[i] == '+') ++i;
  size_t digits = i;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  return ParseSize(text.substr(i, digits - i)).value_or(0);
}

std::string FormatInt(int64_t value) { return std::to_string(value); }

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

std::string_view TrimWhite(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsWhite(text[begin])) ++begin;
  while (end > begin && IsWhite(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::vector<std::string_view> CommaPieces(std::string_view text) {
  std::vector<std::string_view> pieces;
  for (size_t pos = 0;;) {
    const size_t comma = std::min(text.find(',', pos), text.size());
    pieces.push_back(text.substr(pos, comma - pos));
    if (comma == text.size()) return pieces;
    pos = comma + 1;
  }
}

}  // namespace orvi
