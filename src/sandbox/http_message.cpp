#include "sandbox/http_message.h"

#include <algorithm>
#include <cstring>

#include "core/url_text.h"
#include "net/http_response.h"
#include "platform/text.h"
#include "sandbox/fixture.h"

namespace orvi::sandbox {
namespace {

constexpr size_t kNpos = std::string_view::npos;

bool IsTokenChar(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::strchr("!#$%&'*+-.^_`|~", c) != nullptr && c != '\0';
}

bool IsToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

// Visible ASCII and bytes from 0x80 up (some clients send Latin-1 unescaped).
bool IsTargetChar(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte > 0x20 && byte != 0x7F;
}

std::string_view StripCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool ParseRequestLine(std::string_view line, Request& request) {
  size_t first = line.find(' ');
  if (first == kNpos) return false;
  size_t second = line.find(' ', first + 1);
  if (second == kNpos || line.find(' ', second + 1) != kNpos) return false;
  std::string_view method = line.substr(0, first);
  std::string_view target = line.substr(first + 1, second - first - 1);
  std::string_view version = line.substr(second + 1);
  if (!IsToken(method) || target.empty() || !std::all_of(target.begin(), target.end(), IsTargetChar)) {
    return false;
  }
  if (version != "HTTP/1.0" && version != "HTTP/1.1") return false;
  request.method = std::string(method);
  request.target = std::string(target);

  // An absolute target, as a proxy would get it, names its path after the host.
  std::string_view pathAndQuery = target;
  if (StartsWithIgnoreCase(target, "http://")) {
    size_t slash = target.find('/', 7);
    pathAndQuery = slash == kNpos ? std::string_view("/") : target.substr(slash);
  } else if (target[0] != '/') {
    return false;
  }
  size_t question = pathAndQuery.find('?');
  request.path = std::string(pathAndQuery.substr(0, question));
  UrlDecode(request.path);
  request.rawQuery = question == kNpos ? std::string() : std::string(pathAndQuery.substr(question + 1));
  return true;
}

}  // namespace

std::string Request::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (EqualsIgnoreCase(key, name)) return value;
  }
  return {};
}

std::string Request::Param(std::string_view name, bool* present) const {
  bool inQuery = false;
  std::string value = QueryField(rawQuery, name, &inQuery);
  if (!inQuery && !body.empty()) return QueryField(body, name, present);
  if (present) *present = inQuery;
  return value;
}

ParseResult ParseRequest(std::string_view bytes, Request& request) {
  HeaderEnd end = FindHeaderEnd(bytes);
  if (!end.found()) {
    return bytes.size() > kMaxRequestHead ? ParseResult::TooLarge : ParseResult::Incomplete;
  }
  if (end.bodyStart() > kMaxRequestHead) return ParseResult::TooLarge;
  std::string_view head = bytes.substr(0, end.marker);
  request = Request{};
  size_t lineEnd = head.find('\n');
  if (!ParseRequestLine(StripCr(head.substr(0, lineEnd)), request)) return ParseResult::Malformed;
  head = lineEnd == kNpos ? std::string_view() : head.substr(lineEnd + 1);
  while (!head.empty()) {
    lineEnd = head.find('\n');
    std::string_view line = StripCr(head.substr(0, lineEnd));
    head = lineEnd == kNpos ? std::string_view() : head.substr(lineEnd + 1);
    size_t colon = line.find(':');
    if (colon == kNpos || !IsToken(line.substr(0, colon))) return ParseResult::Malformed;
    std::string_view value = TrimWhite(line.substr(colon + 1));
    if (std::any_of(value.begin(), value.end(), [](char c) { return c == '\0' || c == '\r'; })) {
      return ParseResult::Malformed;
    }
    request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(value));
  }
  // A form body (DuckDuckGo's POST) comes whole before the request is.
  const std::string length = request.Header("Content-Length");
  if (!length.empty()) {
    if (length.size() > 9 || length.find_first_not_of("0123456789") != kNpos) return ParseResult::Malformed;
    const size_t size = std::stoul(length);
    if (size > kMaxRequestHead) return ParseResult::TooLarge;
    if (bytes.size() - end.bodyStart() < size) return ParseResult::Incomplete;
    request.body = std::string(bytes.substr(end.bodyStart(), size));
  }
  return ParseResult::Complete;
}

std::string QueryField(std::string_view rawQuery, std::string_view name, bool* present) {
  if (present) *present = false;
  while (!rawQuery.empty()) {
    size_t amp = rawQuery.find('&');
    std::string_view field = rawQuery.substr(0, amp);
    rawQuery = amp == kNpos ? std::string_view() : rawQuery.substr(amp + 1);
    size_t equals = field.find('=');
    if (field.substr(0, equals) != name) continue;
    if (present) *present = true;
    return equals == kNpos ? std::string() : FormDecode(field.substr(equals + 1));
  }
  return {};
}

std::string CookieField(std::string_view cookie, std::string_view name) {
  for (size_t at = cookie.find(name); at != kNpos; at = cookie.find(name, at + 1)) {
    bool starts = at == 0 || std::strchr("&; =", cookie[at - 1]) != nullptr;
    size_t after = at + name.size();
    if (!starts || after >= cookie.size() || cookie[after] != '=') continue;
    std::string_view value = cookie.substr(after + 1);
    return std::string(value.substr(0, value.find_first_of("&; ")));
  }
  return {};
}

const char* StatusText(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
  }
  return "Unknown";
}

std::string ResponseHead(const Response& response) {
  std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + StatusText(response.status) + "\r\n";
  head += "Server: orvilane-sandbox\r\n";
  head += "Content-Type: " + response.contentType + "\r\n";
  head += "Content-Length: " + std::to_string(response.ContentLength()) + "\r\n";
  for (const auto& [name, value] : response.headers) head += name + ": " + value + "\r\n";
  head += "Connection: close\r\n\r\n";
  return head;
}

Response ErrorResponse(int status, std::string_view detail) {
  Response response;
  response.status = status;
  std::string title = std::to_string(status) + " " + StatusText(status);
  response.body = "<html><head><title>" + title + "</title></head><body><h1>" + title + "</h1>";
  if (!detail.empty()) response.body += "<p>" + std::string(detail) + "</p>";
  response.body += "</body></html>\n";
  return response;
}

void FillerBytes(const Response& response, uint64_t offset, char* out, size_t size) {
  const std::string& pattern = response.body;
  if (pattern.empty()) {
    std::memset(out, 0, size);
    return;
  }
  size_t at = static_cast<size_t>(offset % pattern.size());
  for (size_t i = 0; i < size; ++i) {
    out[i] = pattern[at];
    if (++at == pattern.size()) at = 0;
  }
}

}  // namespace orvi::sandbox
