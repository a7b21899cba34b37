#pragma once

#include <string>

#include "core/context.h"
#include "explore/link_sink.h"

namespace orvi {

// The sink of a real search: pages go to the exploration queue as found by
// the exploration (engine 0), file links and server folders to the main
// catalogue. Both take their own locks, so one sink may serve any thread.
class QueueLinkSink final : public LinkSink {
 public:
  explicit QueueLinkSink(Context& ctx) : ctx_(ctx) {}

  bool AcceptUrl(const std::string& url, FoundBy how, int depth) override;
  bool AddFoundLink(const std::string& name, const std::string& url, const std::string& page,
                    bool lettered, int seriesLength) override;

 private:
  Context& ctx_;
};

}  // namespace orvi
