#include "net/http_request.h"

#include "platform/text.h"

namespace orvi {
namespace {

constexpr char kAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, image/png, */*\r\n";

bool NeedsEncoding(unsigned char c) { return c <= 0x20 || c >= 0x7F; }

}  // namespace

std::string EncodeRequestTarget(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    if (NeedsEncoding(c)) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string EncodeAbsoluteTarget(std::string_view url, std::string_view path) {
  // path is the tail of url (SplitWebUrl's view into it).
  std::string out(url.substr(0, url.size() - path.size()));
  return out.append(EncodeRequestTarget(path));
}

bool SplitHttpUrl(std::string_view url, std::string& host, std::string_view& path) {
  bool secure = false;
  return SplitWebUrl(url, false, host, path, secure);
}

bool SplitWebUrl(std::string_view url, bool allowHttps, std::string& host, std::string_view& path,
                 bool& secure) {
  constexpr std::string_view kScheme = "http://";
  constexpr std::string_view kSecureScheme = "https://";
  secure = allowHttps && StartsWithIgnoreCase(url, kSecureScheme);
  if (!secure && !StartsWithIgnoreCase(url, kScheme)) return false;
  if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
  std::string_view rest = url.substr(secure ? kSecureScheme.size() : kScheme.size());
  size_t slash = rest.find('/');
  host = std::string(rest.substr(0, std::min(slash, kMaxLinkChars)));
  path = slash == std::string_view::npos ? std::string_view{} : rest.substr(slash + 1);
  return true;
}

bool BuildGetRequest(const GlobalSettings& settings, std::string_view url, std::string& host,
                     std::string& request, std::string_view extraHeaders) {
  bool secure = false;
  return BuildGetRequest(settings, url, host, request, extraHeaders, false, secure);
}

bool BuildGetRequest(const GlobalSettings& settings, std::string_view url, std::string& host,
                     std::string& request, std::string_view extraHeaders, bool allowHttps,
                     bool& secure) {
  std::string_view path;
  if (!SplitWebUrl(url, allowHttps, host, path, secure)) return false;
  request.clear();
  request.reserve(url.size() + host.size() + 160 + extraHeaders.size());
  if (settings.ProxyName.empty() || secure) {
    request.append("GET /").append(EncodeRequestTarget(path));
    request.append(" HTTP/1.1\r\nHost: ").append(host);
    request.append("\r\n").append(kAccept).append(extraHeaders).append("\r\n");
  } else {
    request.append("GET ").append(EncodeAbsoluteTarget(url, path));
    request.append(" HTTP/1.1\r\nHost: ").append(host);
    request.append("\r\n").append(kAccept).append(settings.ProxyAuthHeader);
    request.append(extraHeaders).append("\r\n");
    host = settings.ProxyName;
  }
  return true;
}

bool BuildWebRequest(const GlobalSettings& settings, const WebRequest& web, bool allowHttps,
                     std::string& host, std::string& request, bool& secure) {
  std::string_view path;
  if (!SplitWebUrl(web.url, allowHttps, host, path, secure)) return false;
  if (web.method.empty() || web.method.find_first_of(" \r\n") != std::string::npos) return false;
  const bool viaProxy = !settings.ProxyName.empty() && !secure;
  request = web.method + " ";
  request += viaProxy ? EncodeAbsoluteTarget(web.url, path) : "/" + EncodeRequestTarget(path);
  request += " HTTP/1.1\r\nHost: " + host + "\r\n" + web.headers;
  if (viaProxy) {
    request += settings.ProxyAuthHeader;
    host = settings.ProxyName;
  }
  if (!web.body.empty()) {
    request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
               std::to_string(web.body.size()) + "\r\n";
  }
  request += "Connection: close\r\n\r\n" + web.body;
  return true;
}

bool SplitHostPort(std::string_view host, HostPort& out, uint16_t defaultPort) {
  out = {std::string(host), defaultPort};
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
