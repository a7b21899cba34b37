#pragma once

#include <functional>
#include <string>
#include <vector>

#include "explore/link_sink.h"

namespace orvi::test {

// Records "<how> <depth> <url>" for the queue (whose answer is `accept`) and
// "<name> <url> <lettered> <length>" for the catalogue.
class RecordingSink final : public LinkSink {
 public:
  bool AcceptUrl(const std::string& url, FoundBy how, int depth) override {
    offers.push_back(std::to_string(static_cast<int>(how)) + " " + std::to_string(depth) + " " +
                     url);
    return accept(url);
  }
  bool AddFoundLink(const std::string& name, const std::string& url, const std::string& page,
                    bool lettered, int seriesLength) override {
    links.push_back(name + " " + url + " " + std::to_string(lettered) + " " +
                    std::to_string(seriesLength));
    pages.push_back(page);
    return true;
  }

  std::function<bool(const std::string&)> accept = [](const std::string&) { return true; };
  std::vector<std::string> offers, links, pages;
};

}  // namespace orvi::test
