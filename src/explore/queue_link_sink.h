#pragma once

#include <string>

#include "core/context.h"
#include "explore/link_sink.h"

namespace orvi {

// The sink of a real search: pages go to the exploration queue as found by
// the exploration (engine 0), file links and server folders to the main
// catalogue. Both take their own locks, so one sink may serve any thread.
// Once the search phase of `generation` has ended, both refuse everything.
class QueueLinkSink final : public LinkSink {
 public:
  explicit QueueLinkSink(Context& ctx, uint64_t generation = kAnyGeneration)
      : ctx_(ctx), generation_(generation) {}

  bool AcceptUrl(const std::string& url, FoundBy how, int depth) override;
  bool AddFoundLink(const std::string& name, const std::string& url, const std::string& page,
                    bool lettered, int seriesLength) override;

 private:
  Context& ctx_;
  const uint64_t generation_;
};

}  // namespace orvi
