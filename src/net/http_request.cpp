#include "net/http_request.h"

#include "platform/text.h"

namespace orvi {
namespace {

constexpr char kAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, image/png, */*\r\n";

}  // namespace

bool SplitHttpUrl(std::string_view url, std::string& host, std::string_view& path) {
  constexpr std::string_view kScheme = "http://";
  if (!StartsWithIgnoreCase(url, kScheme)) return false;
  if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
  std::string_view rest = url.substr(kScheme.size());
  size_t slash = rest.find('/');
  host = std::string(rest.substr(0, std::min(slash, kMaxLinkChars)));
  path = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
  return true;
}

bool BuildGetRequest(const GlobalSettings& settings, std::string_view url, std::string& host,
                     std::string& request, std::string_view extraHeaders) {
  std::string_view path;
  if (!SplitHttpUrl(url, host, path)) return false;
  request.clear();
  request.reserve(url.size() + host.size() + 160 + extraHeaders.size());
  if (settings.ProxyName.empty()) {
    request.append("GET /").append(path).append(" HTTP/1.1\r\nHost: ").append(host);
    request.append("\r\n").append(kAccept).append(extraHeaders).append("\r\n");
  } else {
    request.append("GET ").append(url).append(" HTTP/1.1\r\nHost: ").append(host);
    request.append("\r\n").append(kAccept).append(settings.ProxyAuthHeader);
    request.append(extraHeaders).append("\r\n");
    host = settings.ProxyName;
  }
  return true;
}

bool SplitHostPort(std::string_view host, HostPort& out) {
  out = {std::string(host), 80};
  size_t colon = host.rfind(':');
  if (colon == std::string_view::npos) return true;
  std::string_view digits = host.substr(colon + 1);
  for (char c : digits) {
    if (c < '0' || c > '9') return true;  // not a port: the whole text is the name
  }
  out.name = std::string(host.substr(0, colon));
  if (digits.empty()) return true;  // "host:" is the default port
  if (digits.size() > 5) return false;
  int port = ParseIntLoose(digits);
  if (port < 1 || port > 65535) return false;
  out.port = static_cast<uint16_t>(port);
  return true;
}

}  // namespace orvi
