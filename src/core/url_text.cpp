#include "core/url_text.h"

#include "platform/text.h"

namespace orvi {
namespace {

bool IsFoldedWhite(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

}  // namespace

void CollapseWhitespace(std::string& text) {
  size_t out = 0;
  for (size_t in = 0; in < text.size();) {
    if (IsFoldedWhite(text[in])) {
      while (in < text.size() && IsFoldedWhite(text[in])) ++in;
      text[out++] = ' ';
    } else {
      text[out++] = text[in++];
    }
  }
  text.resize(out);
}

void UrlDecode(std::string& text) {
  size_t out = 0;
  for (size_t in = 0; in < text.size();) {
    if (text[in] == '%' && in + 2 < text.size()) {
      int high = HexValue(text[in + 1]);
      int low = HexValue(text[in + 2]);
      // A NUL byte has no place in a name or a URL: "%00" stays as written.
      if (high >= 0 && low >= 0 && (high | low) != 0) {
        text[out++] = static_cast<char>(high * 16 + low);
        in += 3;
        continue;
      }
    }
    text[out++] = text[in++];
  }
  text.resize(out);
}

void EncodeSpaces(std::string& url) {
  size_t end = url.find_last_not_of(' ');
  url.resize(end == std::string::npos ? 0 : end + 1);
  if (url.find(' ') != std::string::npos) {
    std::string encoded;
    encoded.reserve(url.size() + 16);
    for (char c : url) {
      if (c == ' ') {
        encoded += "%20";
      } else {
        encoded += c;
      }
    }
    url = std::move(encoded);
  }
  if (url.size() > kMaxLinkChars) url.resize(kMaxLinkChars);
}

std::string CleanLinkUrl(std::string_view url) {
  std::string clean(url.substr(0, kMaxLinkChars));
  for (std::string_view tail : {"%20class", "%20target", "%20TARGET"}) CutAt(clean, tail);
  EncodeSpaces(clean);
  return clean;
}

std::string TrimSpaces(std::string_view text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(begin, end - begin + 1));
}

}  // namespace orvi
