#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/settings.h"
#include "core/url_text.h"

namespace orvi {

// An http:// URL (any letter case) split into its host text (at most 239
// characters, up to the first "/") and the path after that "/". False for any
// other scheme, and for a URL holding CR, LF or NUL, which could only smuggle
// lines into a request.
bool SplitHttpUrl(std::string_view url, std::string& host, std::string_view& path);
// The same, also taking an https:// URL when allowHttps is set; secure tells
// which scheme it was.
bool SplitWebUrl(std::string_view url, bool allowHttps, std::string& host, std::string_view& path,
                 bool& secure);

// The path and query of a URL as a request line carries them: every space,
// control byte and byte above 127 percent-encoded ("%20", UTF-8 é as
// "%C3%A9"); anything else, "%" and what is already encoded included, as it
// is. Servers refuse or miss a bare space or a raw byte; the address itself
// is kept as it was found.
std::string EncodeRequestTarget(std::string_view path);
// A whole http:// or https:// URL for the request line of a proxy: its
// scheme and host as they are, its path and query as EncodeRequestTarget
// writes them.
std::string EncodeAbsoluteTarget(std::string_view url, std::string_view path);

// Builds the GET request of a page. The URL must begin with "http://" (any
// letter case). host receives the host text of the URL (at most 239
// characters, up to the first "/"), or ProxyName when a proxy is set. Extra
// header lines are empty or whole lines each ending in CR LF. False for any
// other scheme, and for a URL holding CR, LF or NUL, which could only smuggle
// lines into the request.
bool BuildGetRequest(const GlobalSettings& settings, std::string_view url, std::string& host,
                     std::string& request, std::string_view extraHeaders);
// The same, also for an https:// URL when allowHttps is set (secure tells):
// its request is the one for the server itself, also through a proxy, which
// only carries the tunnel, and host is always the URL's.
bool BuildGetRequest(const GlobalSettings& settings, std::string_view url, std::string& host,
                     std::string& request, std::string_view extraHeaders, bool allowHttps,
                     bool& secure);

// A request as a browser sends it, for the engines that refuse any other:
// method, URL, the header lines (each ending in CR LF) after Host, and a
// form body (sent with its Content-Type and Content-Length when not empty).
struct WebRequest {
  std::string method = "GET";
  std::string url;
  std::string headers;
  std::string body;
};
// As BuildGetRequest, for any method, with "Connection: close".
bool BuildWebRequest(const GlobalSettings& settings, const WebRequest& web, bool allowHttps,
                     std::string& host, std::string& request, bool& secure);

// Where a host text connects to: "name:port" names its port, anything else
// means defaultPort (80, or 443 for https). False when the text names a port
// outside 1-65535.
struct HostPort {
  std::string name;
  uint16_t port = 80;
};
bool SplitHostPort(std::string_view host, HostPort& out, uint16_t defaultPort = 80);

}  // namespace orvi
