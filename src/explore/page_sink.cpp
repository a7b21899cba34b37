#include "explore/page_sink.h"

namespace orvi {

void AppendField(std::string& key, std::string_view text) {
  key += std::to_string(text.size());
  key += ':';
  key += text;
}

bool OncePerPageSink::AcceptUrl(const std::string& url, FoundBy how, int depth) {
  std::string key;
  AppendField(key, url);
  key += std::to_string(static_cast<int>(how));
  key += ' ';
  key += std::to_string(depth);
  if (!offered_.insert(std::move(key)).second) return false;
  return target_.AcceptUrl(url, how, depth);
}

bool OncePerPageSink::AddFoundLink(const std::string& name, const std::string& url,
                                   const std::string& page, bool lettered, int seriesLength) {
  std::string key;
  AppendField(key, name);
  AppendField(key, url);
  key += lettered ? '1' : '0';
  key += std::to_string(seriesLength);
  if (!handed_.insert(std::move(key)).second) return false;
  return target_.AddFoundLink(name, url, page, lettered, seriesLength);
}

}  // namespace orvi
