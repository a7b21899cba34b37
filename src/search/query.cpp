#include "search/query.h"

#include <algorithm>

#include "platform/text.h"

namespace orvi {
namespace {

constexpr std::string_view kOr = "%20OR%20";

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool EscapeAt(std::string_view text, size_t i) {
  return i + 2 < text.size() && text[i] == '%' && IsHexDigit(text[i + 1]) &&
         IsHexDigit(text[i + 2]);
}

// Cuts a composed text to its size, moving the cut before an escape that it
// would split, so the engine never gets half an escape.
std::string CutEncoded(std::string text, size_t chars) {
  if (text.size() <= chars) return text;
  size_t cut = chars;
  if (cut >= 1 && EscapeAt(text, cut - 1)) {
    cut -= 1;
  } else if (cut >= 2 && EscapeAt(text, cut - 2)) {
    cut -= 2;
  }
  text.resize(cut);
  return text;
}

// One expansion step: appends prefix + alternative + tail for each
// alternative of the first group. False when the text holds no group (a
// "%29" before the first "%28" is none either) or the list is full.
bool ExpandStep(std::string_view text, std::vector<std::string>& list) {
  size_t open = text.find("%28");
  size_t close = text.find("%29");
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
    return false;
  }
  std::string_view prefix = text.substr(0, open);
  std::string_view group = text.substr(open + 3, close - open - 3);
  std::string_view tail = text.substr(close + 3);
  size_t pos = 0;
  while (true) {
    size_t split = std::min(group.find(kOr, pos), group.size());
    if (list.size() >= kMaxExpansions) return false;
    std::string expanded(prefix);
    expanded.append(group.substr(pos, split - pos)).append(tail);
    list.push_back(CutEncoded(std::move(expanded), kExpandedChars));
    if (split == group.size()) return true;
    pos = split + kOr.size();
  }
}

}  // namespace

std::string HexPair(char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto value = static_cast<unsigned char>(byte);
  return {kDigits[value >> 4], kDigits[value & 0x0F]};
}

uint32_t HexValue(std::string_view text) {
  uint32_t value = 0;
  uint32_t weight = 1;
  for (size_t i = text.size(); i-- > 0;) {
    char c = text[i];
    if (c == ' ') continue;
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return 0;
    }
    value += digit * weight;
    weight *= 16;
  }
  return value;
}

std::string EncodeInput(std::string_view input) {
  std::string out;
  bool phrase = false;
  for (char c : input) {
    auto byte = static_cast<unsigned char>(c);
    if (c == ' ' || (byte >= 46 && byte <= 122)) {
      out += c == ' ' ? '+' : c;
      phrase = phrase || c == ' ' || c == '.';
    } else {
      out += '%';
      out += HexPair(c);
    }
  }
  if (!phrase) return CutEncoded(std::move(out), kEncodedInputChars);
  // Cut inside the quotes, so that a long phrase still ends with its quote.
  return "%22" + CutEncoded(std::move(out), kEncodedInputChars - 6) + "%22";
}

std::vector<std::string> ComposeVariants(std::string_view encoded1, std::string_view encoded2) {
  if (!encoded1.empty() && !encoded2.empty()) {
    std::string both(encoded1);
    both.append("+").append(encoded2);
    return {CutEncoded(std::move(both), kEncodedInputChars), std::string(encoded1),
            std::string(encoded2)};
  }
  return {std::string(encoded1.empty() ? encoded2 : encoded1)};
}

std::string EncodeRow(std::string_view row) {
  while (!row.empty() && row.back() == ' ') row.remove_suffix(1);
  std::string out;
  for (char c : row) {
    switch (c) {
      case ' ': out += "%20"; break;
      case '"': out += "%22"; break;
      case '(': out += "%28"; break;
      case ')': out += "%29"; break;
      default: out += c;
    }
  }
  return out;
}

SearchInputs PrepareSearchInputs(std::string_view input1, std::string_view input2) {
  SearchInputs in;
  in.input1 = std::string(input1.substr(0, kInputChars));
  in.input2 = std::string(input2.substr(0, kInputChars));
  std::string lower1 = AsciiLower(in.input1);
  std::string lower2 = AsciiLower(in.input2);
  std::string encoded1 = EncodeInput(lower1);
  std::string encoded2 = EncodeInput(lower2);
  in.searchText = lower1.empty() ? lower2 : lower1;
  in.encodedSearchText = lower1.empty() ? encoded2 : encoded1;
  in.variants = ComposeVariants(encoded1, encoded2);
  return in;
}

std::optional<std::string> ComposeEngineQuery(std::string_view variant, std::string_view encodedRow,
                                              bool findS, SearchInputs& inputs) {
  if (!findS) return CutEncoded(std::string(encodedRow), kEngineQueryChars);
  size_t placeholder = encodedRow.find("%s");
  if (placeholder == std::string_view::npos) {
    std::string query(variant);
    query.append(encodedRow);
    return CutEncoded(std::move(query), kEngineQueryChars);
  }
  if (inputs.input1.empty()) return std::nullopt;
  // With two inputs, the placeholder row goes with input 1 in the first pass only.
  if (inputs.placeholderUsed && !inputs.input2.empty()) return std::nullopt;
  inputs.placeholderUsed = true;
  std::string query(encodedRow.substr(0, placeholder));
  for (char c : inputs.input1) {
    if (c != ' ') query += c;
  }
  query.append(encodedRow.substr(placeholder + 2));
  return CutEncoded(std::move(query), kEngineQueryChars);
}

std::string FastAlternatives(std::string url) {
  // The search goes on from the replacement itself: in "%20OR%20OR%20" the
  // replaced "%20" starts a second match.
  size_t pos = 0;
  while ((pos = url.find(kOr, pos)) != std::string::npos) url.replace(pos, kOr.size(), "%20");
  return url;
}

std::vector<std::string> WiseNutQueries(std::string_view engineQuery) {
  std::vector<std::string> queries = ExpandOr(engineQuery);
  if (!queries.empty()) return queries;
  if (engineQuery.find('+') == std::string_view::npos && !engineQuery.starts_with('%')) {
    return {"%22" + std::string(engineQuery) + "%22"};
  }
  return {std::string(engineQuery)};
}

std::string WithWiseNutFilter(std::string_view query, bool sexFilter) {
  std::string out(query);
  if (sexFilter && std::count(query.begin(), query.end(), '+') < 9) out += "+-sex";
  return out;
}

std::vector<std::string> ExpandOr(std::string_view query) {
  std::vector<std::string> list;
  if (!ExpandStep(query, list)) return {};
  size_t levelBegin = 0;
  size_t levelEnd = list.size();
  // Ends: the list holds at most 48 texts and every pass adds to it.
  while (true) {
    for (size_t i = levelBegin; i < levelEnd; ++i) {
      std::string text = list[i];  // the step appends to the list
      if (!ExpandStep(text, list)) {
        return {list.begin() + static_cast<std::ptrdiff_t>(levelBegin),
                list.begin() + static_cast<std::ptrdiff_t>(levelEnd)};
      }
    }
    levelBegin = levelEnd;
    levelEnd = list.size();
  }
}

std::string DisplayForm(std::string_view query) {
  std::string out;
  // Inside a leading phrase, "+" is only the space between its words.
  bool leadingPhrase = query.starts_with("%2");
  size_t i = 0;
  while (i < query.size()) {
    char c = query[i];
    uint32_t value = EscapeAt(query, i) ? HexValue(query.substr(i + 1, 2)) : 0;
    if (value != 0) {
      out += static_cast<char>(value);
      i += 3;
    } else if (c == '+') {
      out += ' ';
      ++i;
      char sign = '+';
      if (i < query.size() && query[i] == '-') {
        sign = '-';
        ++i;
      }
      if (!leadingPhrase) out += sign;
    } else {
      out += c;
      ++i;
    }
    if (i < query.size() && query[i] == '%') leadingPhrase = false;
  }
  return out;
}

}  // namespace orvi
