#include "explore/url_filter.h"

#include "platform/text.h"

namespace orvi {
namespace {

bool EndsWith(std::string_view text, std::string_view end) {
  return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

constexpr std::string_view kRefusedEndings[] = {".mp3", ".wav", ".ico", ".jpg", ".gif",
                                                ".zip", ".exe", ".txt", ".pdf", "lass",
                                                ".swf", ".mid", ".doc", ".mov", ".bmp"};
constexpr std::string_view kRefusedWords[] = {"proxy", "stats", "tracker"};
constexpr std::string_view kNewsWords[] = {"board",   "forum",    "message", "/news",
                                           "article", "/stories", "msg"};
constexpr std::string_view kScriptWords[] = {"vote",    "cgi",     "counter",  "hit",
                                             "in.php", "out.php", "exit.php", "top.php"};

}  // namespace

const HostingServer* ServerHostOf(const HostSettings& hosts, std::string_view lowerUrl) {
  for (const HostingServer& server : hosts.servers) {
    if (!server.fragment.empty() && Holds(lowerUrl, server.fragment)) return &server;
  }
  return nullptr;
}

bool PassesUrlFilters(const Context& ctx, std::string_view url, int queueCount,
                      bool& isCacheLink) {
  url = url.substr(0, kMaxLinkChars);
  isCacheLink = Holds(url, "q=cache:");
  // https addresses only when the user allows them.
  const size_t schemeEnd = ctx.netSettings.Https && url.starts_with("https://") ? 8 : 7;
  if (schemeEnd == 7 && !url.starts_with("http://")) return false;
  if (ServerHostOf(ctx.hosts, url) != nullptr) return false;
  if (EndsWith(url, ".rm")) return false;
  for (std::string_view ending : kRefusedEndings) {
    if (EndsWith(url, ending)) return false;
  }
  if (queueCount >= kQueueCapacity) return false;
  for (std::string_view word : kRefusedWords) {
    if (Holds(url, word)) return false;
  }
  for (const std::string& site : ctx.hosts.refusedSites) {
    if (!site.empty() && Holds(url, site)) return false;
  }
  if (ctx.activeProfile.EnableNews) return true;
  for (std::string_view word : kNewsWords) {
    if (Holds(url, word)) return false;
  }
  if (Holds(url, "?")) {
    for (std::string_view word : kScriptWords) {
      if (Holds(url, word)) return false;
    }
  }
  // Date-stamped article paths: eight digits or more in a path without query.
  size_t slash = url.find('/', schemeEnd);
  if (slash != std::string_view::npos && !isCacheLink) {
    std::string_view path = url.substr(slash);
    if (!Holds(path, "?")) {
      int digits = 0;
      for (char c : path) digits += c >= '0' && c <= '9';
      if (digits >= 8) return false;
    }
  }
  return true;
}

}  // namespace orvi
