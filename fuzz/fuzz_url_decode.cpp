// The shared text utilities on any bytes: decoding, file names, link
// resolution, space encoding, white space folding and trimming, with the
// properties their users rely on.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>

#include "core/url_text.h"
#include "platform/cp1252.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

bool IsFolded(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// RFC 3986: a letter, then letters, digits, "+", "-" or ".".
bool IsScheme(std::string_view text) {
  if (text.empty() || !IsLetter(text[0])) return false;
  for (char c : text) {
    if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);

  std::string decoded = input;
  orvi::UrlDecode(decoded);
  // Each decoding takes three bytes for one; a text without "%" is left alone.
  Check(decoded.size() <= input.size() && (input.size() - decoded.size()) % 2 == 0);
  if (input.find('%') == std::string::npos) Check(decoded == input);

  // A name is bounded; a UTF-8 name it cannot convert stays encoded, in
  // ASCII, and is cut between whole characters.
  const std::string name = orvi::DecodeFileName(input);
  Check(name.size() <= orvi::kMaxNameChars);
  if (orvi::IsUtf8(decoded) && !orvi::Utf8ToCp1252Exactly(decoded)) {
    for (char c : name) Check(static_cast<unsigned char>(c) < 0x80);
    std::string back = name;
    orvi::UrlDecode(back);
    Check(decoded.starts_with(back) && orvi::IsUtf8(back));
  }

  // The first line as a base, absolute as every page's address is, the rest
  // as a reference: the target's path holds no dot segment.
  const size_t newline = input.find('\n');
  const size_t baseColon = input.find(':');
  if (newline != std::string::npos && baseColon < newline &&
      baseColon < input.find_first_of("/?#") && IsScheme(std::string_view(input).substr(0, baseColon))) {
    std::string target = orvi::ResolveReference(std::string_view(input).substr(0, newline),
                                                std::string_view(input).substr(newline + 1));
    std::string_view path = std::string_view(target).substr(0, target.find_first_of("?#"));
    const size_t colon = path.find(':');
    if (colon != std::string_view::npos && colon < path.find('/') && IsScheme(path.substr(0, colon))) {
      path.remove_prefix(colon + 1);
    }
    if (path.starts_with("//")) path = path.substr(std::min(path.size(), path.find('/', 2)));
    Check(path != "." && path != ".." && !path.starts_with("./") && !path.starts_with("../"));
    for (std::string_view dot : {"/./", "/../"}) Check(path.find(dot) == std::string_view::npos);
    Check(!path.ends_with("/.") && !path.ends_with("/.."));
  }

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
