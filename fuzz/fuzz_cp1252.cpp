// Bytes of any kind as UTF-8 (command-line arguments) and as Windows-1252
// (the program's own text): conversions never fail, and Windows-1252 text
// survives the trip through UTF-8.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string narrow = orvi::Utf8ToCp1252(bytes);
  if (narrow.size() > bytes.size()) __builtin_trap();
  std::string utf8 = orvi::Cp1252ToUtf8(bytes);
  if (orvi::Utf8ToCp1252(utf8) != bytes) __builtin_trap();
  // Well-formed UTF-8 goes through unchanged.
  if (orvi::Cp1252ToUtf8(orvi::Utf8ToCp1252(utf8)) != utf8) __builtin_trap();
  // The exact conversion answers only for UTF-8, and then as the lenient one.
  if (!orvi::IsUtf8(utf8)) __builtin_trap();
  std::optional<std::string> exact = orvi::Utf8ToCp1252Exactly(bytes);
  if (exact && (!orvi::IsUtf8(bytes) || *exact != narrow)) __builtin_trap();
  return 0;
}
