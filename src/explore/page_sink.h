#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "explore/link_sink.h"

namespace orvi {

// Appends a field to a look-up key so that no two field lists give one key:
// its length, ":", then the text.
void AppendField(std::string& key, std::string_view text);

// A repeated hand-off with the same arguments changes nothing: the queue
// answers with the entry it holds (or refuses again), the catalogue finds the
// URL it holds (or is still full). So each distinct call reaches the sink
// once per page: a page that repeats the searched text thousands of times
// would otherwise cost a queue or catalogue scan per repetition.
class OncePerPageSink final : public LinkSink {
 public:
  explicit OncePerPageSink(LinkSink& target) : target_(target) {}

  bool AcceptUrl(const std::string& url, FoundBy how, int depth) override;
  bool AddFoundLink(const std::string& name, const std::string& url, const std::string& page,
                    bool lettered, int seriesLength) override;

 private:
  LinkSink& target_;
  std::unordered_set<std::string> offered_;
  std::unordered_set<std::string> handed_;
};

}  // namespace orvi
