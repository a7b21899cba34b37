#include "explore/link_values.h"

#include <algorithm>

#include "core/url_text.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

constexpr size_t kHrefEqualsReach = 17;      // as ExtractLinkValue: a farther "=" opens the value
constexpr size_t kOpenLength = 5;            // "open("

}  // namespace

MarkerPositions::MarkerPositions(std::string_view text, std::string_view marker) {
  if (marker.empty()) return;
  for (size_t p = text.find(marker); p != npos; p = text.find(marker, p + 1)) Add(p);
}

size_t MarkerPositions::IndexFrom(size_t pos) const {
  return static_cast<size_t>(
      std::lower_bound(at_.begin(), at_.end(), pos,
                       [](uint32_t at, size_t p) { return static_cast<size_t>(at) < p; }) -
      at_.begin());
}

size_t MarkerPositions::NextFrom(size_t pos) const {
  size_t i = IndexFrom(pos);
  return i < at_.size() ? at_[i] : npos;
}

size_t MarkerPositions::LastBefore(size_t pos) const {
  size_t i = IndexFrom(pos);
  return i > 0 ? at_[i - 1] : npos;
}

LinkValueIndex::LinkValueIndex(std::string_view lower)
    : lower_(lower), href_(lower, "href"), open_(lower, "open(") {
  for (size_t i = 0; i < lower.size(); ++i) {
    switch (lower[i]) {
      case '=': equals_.Add(i); break;
      case '"': quotes_.Add(i); break;
      case '\'': apostrophes_.Add(i); break;
      case '>': closings_.Add(i); break;
      default: break;
    }
  }
}

std::optional<LinkValueSpan> LinkValueIndex::Find(size_t start, bool withOpen) const {
  const size_t n = lower_.size();
  size_t from = npos;
  const size_t href = href_.NextFrom(start);
  if (href != npos) {
    const size_t equals = equals_.NextFrom(href + 4);
    if (equals != npos) from = equals - href < kHrefEqualsReach ? equals + 1 : equals;
  }
  if (withOpen) {
    const size_t open = open_.NextFrom(start);
    if (open != npos && open + kOpenLength < from) from = open + kOpenLength;
  }
  if (from == npos) return std::nullopt;
  while (from < n && lower_[from] == ' ') ++from;
  if (from >= n) return std::nullopt;

  LinkValueSpan span;
  size_t valueEnd = 0;
  if (lower_[from] == '"') {
    const size_t close = quotes_.NextFrom(from + 1);
    if (close == npos) return std::nullopt;
    const size_t apostrophe = apostrophes_.NextFrom(from + 1);
    if (apostrophe < close) {
      // A script call: the quoted argument, which must close inside.
      const size_t closeApostrophe = apostrophes_.NextFrom(apostrophe + 1);
      if (closeApostrophe > close) return std::nullopt;
      span.begin = apostrophe + 1;
      valueEnd = closeApostrophe;
    } else {
      span.begin = from + 1;
      valueEnd = close;
    }
    span.end = valueEnd;
    span.extent = close;
  } else if (lower_[from] == '\'') {
    const size_t close = apostrophes_.NextFrom(from + 1);
    if (close == npos) return std::nullopt;
    span.begin = from + 1;
    valueEnd = span.end = span.extent = close;
  } else {
    const size_t close = closings_.NextFrom(from);
    if (close == npos) return std::nullopt;
    valueEnd = close;
    while (valueEnd > from && lower_[valueEnd - 1] == ' ') --valueEnd;
    span.begin = from;
    span.end = valueEnd;
    span.extent = close;
  }
  span.length = std::min(valueEnd - span.begin, kMaxLinkChars);
  return span;
}

}  // namespace orvi
