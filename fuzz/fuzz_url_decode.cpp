// The shared text utilities on any bytes: decoding, space encoding, white
// space folding and trimming, with the properties their users rely on.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/url_text.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool IsFolded(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  std::string decoded = input;
  orvi::UrlDecode(decoded);
  // Each decoding takes three bytes for one; a text without "%" is left alone.
  Check(decoded.size() <= input.size() && (input.size() - decoded.size()) % 2 == 0);
  if (input.find('%') == std::string::npos) Check(decoded == input);

  std::string encoded = input;
  orvi::EncodeSpaces(encoded);
  Check(encoded.size() <= orvi::kMaxLinkChars && encoded.find(' ') == std::string::npos);

  std::string folded = input;
  orvi::CollapseWhitespace(folded);
  for (size_t i = 0; i < folded.size(); ++i) {
    Check(folded[i] == ' ' || !IsFolded(folded[i]));
    Check(i == 0 || folded[i] != ' ' || folded[i - 1] != ' ');
  }

  std::string trimmed = orvi::TrimSpaces(input);
  Check(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
  return 0;
}
