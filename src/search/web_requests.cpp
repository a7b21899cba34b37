#include "search/web_requests.h"

#include "platform/cp1252.h"
#include "platform/text.h"
#include "search/query.h"

namespace orvi {
namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

// The query is composed in Windows-1252 with its own %XX escapes; those of
// ASCII are kept as they are, the others become UTF-8's.
std::string WebQuery(std::string_view query) {
  std::string out;
  auto encoded = [&](unsigned char byte) {
    if (byte < 0x80) {
      out += '%';
      out += HexPair(static_cast<char>(byte));
      return;
    }
    for (char c : Cp1252ToUtf8(std::string(1, static_cast<char>(byte)))) {
      out += '%';
      out += HexPair(c);
    }
  };
  for (size_t i = 0; i < query.size(); ++i) {
    const auto byte = static_cast<unsigned char>(query[i]);
    if (byte == '%' && i + 2 < query.size() && IsHexDigit(query[i + 1]) && IsHexDigit(query[i + 2])) {
      const auto escaped = static_cast<unsigned char>(HexValue(query.substr(i + 1, 2)));
      if (escaped >= 0x80) {
        encoded(escaped);
      } else {
        out.append(query.substr(i, 3));
      }
      i += 2;
    } else if (byte <= 0x20 || byte >= 0x7F) {
      encoded(byte);
    } else {
      out += query[i];
    }
  }
  return out;
}

namespace {

// "fr_FR": language "fr", country "fr".
std::string LocaleLanguage(const Context& ctx) { return AsciiLower(ctx.engines.Locale.substr(0, 2)); }
std::string LocaleCountry(const Context& ctx) {
  const std::string& locale = ctx.engines.Locale;
  size_t bar = locale.find('_');
  return bar == std::string::npos ? "us" : AsciiLower(locale.substr(bar + 1, 2));
}

std::string FillWeb(std::string_view text, const Context& ctx, const WebEngine& web, std::string_view query) {
  const std::pair<std::string_view, std::string> values[] = {
      {"{query}", WebQuery(query)},
      {"{lang}", LocaleLanguage(ctx)},
      {"{country}", LocaleCountry(ctx)},
      {"{region}", LocaleCountry(ctx) + "-" + LocaleLanguage(ctx)},
      {"{key}", web.Key},
  };
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool filled = false;
    for (const auto& [name, value] : values) {
      if (text.substr(i).starts_with(name)) {
        out += value;
        i += name.size();
        filled = true;
        break;
      }
    }
    if (!filled) out += text[i++];
  }
  return out;
}

// A current Firefox's headers: these engines turn away other clients.
std::string BrowserHeaders(const Context& ctx, const WebEngine& web) {
  const std::string lang = LocaleLanguage(ctx), country = ctx.engines.Locale.substr(ctx.engines.Locale.find('_') + 1, 2);
  std::string headers = "User-Agent: Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0\r\n";
  headers += "Accept: " + web.Accept + "\r\n";
  headers += "Accept-Language: " + lang + "-" + country + "," + lang + ";q=0.9" + (lang == "en" ? "" : ",en;q=0.8") + "\r\n";
  std::string extra = FillWeb(web.Headers, ctx, web, "");
  for (size_t start = 0; start < extra.size();) {
    size_t bar = extra.find('|', start);
    std::string_view line = TrimWhite(std::string_view(extra).substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    // A line break would smuggle a header of its own.
    if (!line.empty() && line.find('\r') == std::string_view::npos) headers.append(line).append("\r\n");
    start = bar == std::string::npos ? extra.size() : bar + 1;
  }
  if (!web.Cookies.empty()) headers += "Cookie: " + FillWeb(web.Cookies, ctx, web, "") + "\r\n";
  return headers;
}
}  // namespace

WebRequest FirstWebRequest(const Context& ctx, const WebEngine& web, std::string_view engineQuery) {
  WebRequest request;
  request.method = web.Method;
  request.url = web.Url + FillWeb(web.Request, ctx, web, engineQuery);
  request.body = FillWeb(web.Body, ctx, web, engineQuery);
  request.headers = BrowserHeaders(ctx, web);
  return request;
}

}  // namespace orvi
