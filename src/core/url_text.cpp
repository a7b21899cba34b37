#include "core/url_text.h"

#include <vector>

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

namespace {

constexpr size_t npos = std::string_view::npos;

// "scheme://" at the start: letters, digits, "+", "-" or "." before it.
size_t SchemeEnd(std::string_view url) {
  size_t colon = url.find("://");
  if (colon == npos || colon == 0) return npos;
  for (size_t i = 0; i < colon; ++i) {
    char c = url[i];
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '+' || c == '-' || c == '.';
    if (!ok) return npos;
  }
  return colon + 3;
}

// Removes "." and ".." segments of a path that begins with "/", keeping a
// final "/" (a ".." at the end leaves its folder's "/"). Never climbs above "/".
std::string RemovePathDots(std::string_view path) {
  std::vector<std::string_view> kept;
  bool folder = false;  // the path ends in "/" once resolved
  size_t pos = 1;
  while (pos <= path.size()) {
    size_t slash = path.find('/', pos);
    std::string_view segment = path.substr(pos, slash == npos ? npos : slash - pos);
    bool last = slash == npos;
    if (segment == ".") {
      folder = last;
    } else if (segment == "..") {
      if (!kept.empty()) kept.pop_back();
      folder = last;
    } else {
      kept.push_back(segment);
      folder = false;
    }
    if (last) break;
    pos = slash + 1;
  }
  std::string out;
  for (std::string_view segment : kept) out.append("/").append(segment);
  if (folder || out.empty()) out += '/';
  return out;
}

}  // namespace

std::string ResolveLocation(std::string_view fetchedUrl, std::string_view location) {
  location = TrimWhite(location);
  if (location.empty()) return {};
  std::string url;
  if (SchemeEnd(location) != npos) {
    url = location;
  } else {
    size_t hostStart = SchemeEnd(fetchedUrl);
    if (hostStart == npos) hostStart = 0;
    size_t pathStart = fetchedUrl.find('/', hostStart);
    if (pathStart == npos) pathStart = fetchedUrl.size();
    std::string_view origin = fetchedUrl.substr(0, pathStart);
    if (location.starts_with("//")) {
      // The scheme of the page that was fetched.
      url = (StartsWithIgnoreCase(fetchedUrl, "https://") ? "https:" : "http:") +
            std::string(location);
    } else if (location.front() == '/') {
      url = std::string(origin) + std::string(location);
    } else {
      // The fetched page's folder: its path up to the last "/" before any query.
      std::string_view path = fetchedUrl.substr(pathStart);
      path = path.substr(0, path.find_first_of("?#"));
      size_t lastSlash = path.rfind('/');
      std::string folder = lastSlash == npos ? "/" : std::string(path.substr(0, lastSlash + 1));
      url = std::string(origin) + folder + std::string(location);
    }
  }
  // Dot segments of the path only: the query is left as it is.
  size_t hostStart = SchemeEnd(url);
  size_t pathStart = url.find('/', hostStart == npos ? 0 : hostStart);
  if (pathStart != npos) {
    size_t queryStart = url.find_first_of("?#", pathStart);
    std::string tail = queryStart == npos ? std::string() : url.substr(queryStart);
    url = url.substr(0, pathStart) +
          RemovePathDots(std::string_view(url).substr(
              pathStart, queryStart == npos ? npos : queryStart - pathStart)) +
          tail;
  }
  if (url.size() > kMaxLinkChars) url.resize(kMaxLinkChars);
  return url;
}

}  // namespace orvi
