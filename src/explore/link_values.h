#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace orvi {

// The start positions of one marker in a text, for look-ups that a page
// makes again and again: each is a binary search, never a scan to the end.
class MarkerPositions {
 public:
  MarkerPositions() = default;
  MarkerPositions(std::string_view text, std::string_view marker);

  void Add(size_t pos) { at_.push_back(static_cast<uint32_t>(pos)); }
  size_t size() const { return at_.size(); }
  size_t operator[](size_t i) const { return at_[i]; }
  // Index of the first position at or after pos (size() when none).
  size_t IndexFrom(size_t pos) const;
  // The first position at or after pos, npos when none.
  size_t NextFrom(size_t pos) const;
  // The last position before pos, npos when none.
  size_t LastBefore(size_t pos) const;

 private:
  std::vector<uint32_t> at_;
};

// Where ExtractLinkValue would find the link value at or after a start: the
// first character copied, how many (at most kMaxLinkChars), the position it
// returns, and the extent: the last character the result depends on (the
// closing quote or ">", which for a script call lies beyond the value).
struct LinkValueSpan {
  size_t begin = 0;
  size_t length = 0;
  size_t end = 0;
  size_t extent = 0;
};

// ExtractLinkValue over one lower-case page, answered from the positions of
// the characters it looks for. Gives exactly what ExtractLinkValue gives, at
// the cost of a few binary searches, so that the scans around thousands of
// anchors of a hostile page stay linear.
class LinkValueIndex {
 public:
  explicit LinkValueIndex(std::string_view lower);

  std::optional<LinkValueSpan> Find(size_t start, bool withOpen) const;

  const MarkerPositions& hrefs() const { return href_; }
  const MarkerPositions& equals() const { return equals_; }
  const MarkerPositions& quotes() const { return quotes_; }
  const MarkerPositions& apostrophes() const { return apostrophes_; }
  const MarkerPositions& closings() const { return closings_; }

 private:
  std::string_view lower_;
  MarkerPositions href_;
  MarkerPositions open_;
  MarkerPositions equals_;       // "="
  MarkerPositions quotes_;       // double quotes
  MarkerPositions apostrophes_;  // '
  MarkerPositions closings_;     // ">"
};

}  // namespace orvi
