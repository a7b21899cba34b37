// The series test on any page: the value given by the input's first four bytes
// (positions that may lie past the page) and every double-quoted value of the
// page. Its look-backs and its read of the next link must stay in the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "explore/link_scanner.h"
#include "fuzz_exact_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  size_t start = data[0] | (size_t{data[1]} << 8);
  size_t end = data[2] | (size_t{data[3]} << 8);
  ExactText page(std::string_view(reinterpret_cast<const char*>(data) + 4, size - 4));
  std::string_view lower = page.view();

  bool flag = false;
  if (orvi::IsNumberedSeries(lower, start, end, flag) != flag) __builtin_trap();
  for (size_t open = lower.find('"'); open != std::string_view::npos;) {
    size_t close = lower.find('"', open + 1);
    if (close == std::string_view::npos) break;
    flag = false;
    if (orvi::IsNumberedSeries(lower, open + 1, close, flag) != flag) __builtin_trap();
    open = close;
  }
  return 0;
}
