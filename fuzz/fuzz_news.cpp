// The product site's message file is whatever the network delivers: its
// normalisation must hold for any bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "site/news.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view fetched(reinterpret_cast<const char*>(data), size);
  std::string stored = orvi::NormaliseNews(fetched);
  size_t start = fetched.find_first_not_of("\r\n");
  size_t last = fetched.rfind('\n');
  if (start == std::string_view::npos || last == std::string_view::npos || last < start) {
    if (!stored.empty()) std::abort();
    return 0;
  }
  // Every kept line gains one CR: the text up to its last line feed, plus a byte a line.
  std::string_view kept = fetched.substr(start, last + 1 - start);
  size_t lines = 0;
  for (char c : kept) lines += c == '\n';
  if (stored.size() != kept.size() + lines) std::abort();
  if (stored.size() < 2 || stored.compare(stored.size() - 2, 2, "\r\n") != 0) std::abort();
  if (stored.front() == '\r' || stored.front() == '\n') std::abort();
  return 0;
}
