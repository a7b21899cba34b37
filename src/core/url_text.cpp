#include "core/url_text.h"

#include <optional>

#include "platform/cp1252.h"
#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t npos = std::string_view::npos;

bool IsFoldedWhite(char c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; }

// The byte that UrlDecode makes of text[i, i + 3), or -1 when it leaves it.
// A NUL byte has no place in a name or a URL: "%00" stays as written.
int EscapedByte(std::string_view text, size_t i) {
  if (text[i] != '%' || i + 2 >= text.size()) return -1;
  int high = HexValue(text[i + 1]);
  int low = HexValue(text[i + 2]);
  return high >= 0 && low >= 0 && (high | low) != 0 ? high * 16 + low : -1;
}

// The link's own text with every byte above 127 written "%XX", cut after the
// last whole character that fits in kMaxNameChars. The decoded text is
// UTF-8, so a continuation byte always belongs to the character before it.
std::string EncodedName(std::string_view linkName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  size_t whole = 0;  // out's length after its last complete character
  for (size_t i = 0; i < linkName.size();) {
    const int escaped = EscapedByte(linkName, i);
    const auto byte = static_cast<unsigned char>(escaped >= 0 ? escaped : linkName[i]);
    if ((byte & 0xC0) != 0x80) whole = out.size();
    if (escaped >= 0) {
      out.append(linkName.substr(i, 3));
      i += 3;
    } else if (byte >= 0x80) {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
      ++i;
    } else {
      out += linkName[i++];
    }
    if (out.size() > kMaxNameChars) {
      out.resize(whole);
      return out;
    }
  }
  return out;
}

struct UrlParts {
  std::optional<std::string_view> scheme;
  std::optional<std::string_view> authority;
  std::string_view path;
  std::optional<std::string_view> query;
  std::optional<std::string_view> fragment;
};

// A scheme is a letter, then letters, digits, "+", "-" or ".".
bool IsScheme(std::string_view text) {
  if (text.empty() || !((text[0] | 0x20) >= 'a' && (text[0] | 0x20) <= 'z')) return false;
  for (char c : text) {
    const bool ok = ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || IsDigit(c) || c == '+' ||
                    c == '-' || c == '.';
    if (!ok) return false;
  }
  return true;
}

// The five components (RFC 3986 appendix B). A text before ":" that is no
// scheme ("my file:1.zip") leaves the reference a relative path.
UrlParts SplitUrl(std::string_view url) {
  UrlParts parts;
  size_t colon = url.find_first_of(":/?#");
  if (colon != npos && url[colon] == ':' && IsScheme(url.substr(0, colon))) {
    parts.scheme = url.substr(0, colon);
    url.remove_prefix(colon + 1);
  }
  if (url.starts_with("//")) {
    size_t end = url.find_first_of("/?#", 2);
    parts.authority = url.substr(2, end == npos ? npos : end - 2);
    url.remove_prefix(end == npos ? url.size() : end);
  }
  size_t hash = url.find('#');
  if (hash != npos) {
    parts.fragment = url.substr(hash + 1);
    url = url.substr(0, hash);
  }
  size_t question = url.find('?');
  if (question != npos) {
    parts.query = url.substr(question + 1);
    url = url.substr(0, question);
  }
  parts.path = url;
  return parts;
}

// RFC 3986 section 5.2.4, step by step on the input's head.
std::string RemoveDotSegments(std::string_view in) {
  std::string out;
  const auto dropLastSegment = [&out] {
    size_t slash = out.rfind('/');
    out.resize(slash == npos ? 0 : slash);
  };
  while (!in.empty()) {
    if (in.starts_with("../")) {
      in.remove_prefix(3);
    } else if (in.starts_with("./") || in.starts_with("/./")) {
      in.remove_prefix(2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.starts_with("/../")) {
      in.remove_prefix(3);
      dropLastSegment();
    } else if (in == "/..") {
      in = "/";
      dropLastSegment();
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      size_t end = in.find('/', 1);
      if (end == npos) end = in.size();
      out.append(in.substr(0, end));
      in.remove_prefix(end);
    }
  }
  return out;
}

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
    const int byte = EscapedByte(text, in);
    if (byte >= 0) {
      text[out++] = static_cast<char>(byte);
      in += 3;
    } else {
      text[out++] = text[in++];
    }
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

std::string DecodeFileName(std::string_view linkName) {
  std::string decoded(linkName);
  UrlDecode(decoded);
  if (!IsUtf8(decoded)) return Cut(decoded, kMaxNameChars);
  if (std::optional<std::string> text = Utf8ToCp1252Exactly(decoded)) {
    return Cut(*text, kMaxNameChars);
  }
  return EncodedName(linkName);
}

std::string ResolveReference(std::string_view base, std::string_view reference) {
  const UrlParts b = SplitUrl(base);
  const UrlParts r = SplitUrl(reference);
  UrlParts t;
  std::string path;
  if (r.scheme) {
    t = r;
    path = RemoveDotSegments(r.path);
  } else {
    t.scheme = b.scheme;
    if (r.authority) {
      t.authority = r.authority;
      path = RemoveDotSegments(r.path);
      t.query = r.query;
    } else {
      t.authority = b.authority;
      if (r.path.empty()) {
        // A base is normally free of dot segments; a page's address as
        // another page wrote it may not be.
        path = RemoveDotSegments(b.path);
        t.query = r.query ? r.query : b.query;
      } else {
        if (r.path.starts_with('/')) {
          path = RemoveDotSegments(r.path);
        } else {
          // The base's folder: its path up to its last "/", or "/" for a
          // bare host.
          std::string merged;
          if (b.authority && b.path.empty()) {
            merged = "/";
          } else {
            size_t slash = b.path.rfind('/');
            if (slash != npos) merged = b.path.substr(0, slash + 1);
          }
          merged += r.path;
          path = RemoveDotSegments(merged);
        }
        t.query = r.query;
      }
    }
    t.fragment = r.fragment;
  }
  std::string url;
  if (t.scheme) url.append(*t.scheme).append(":");
  if (t.authority) url.append("//").append(*t.authority);
  url += path;
  if (t.query) url.append("?").append(*t.query);
  if (t.fragment) url.append("#").append(*t.fragment);
  return url;
}

std::string TrimSpaces(std::string_view text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return std::string(text.substr(begin, end - begin + 1));
}

std::string ResolveLocation(std::string_view fetchedUrl, std::string_view location) {
  location = TrimWhite(location);
  if (location.empty()) return {};
  std::string url = ResolveReference(fetchedUrl, location);
  if (url.size() > kMaxLinkChars) url.resize(kMaxLinkChars);
  return url;
}

std::string FormEncode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '*') {
      out += c;
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

}  // namespace orvi
