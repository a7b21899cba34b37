#include "explore/queue_link_sink.h"

#include "explore/queue.h"
#include "results/catalogue.h"

namespace orvi {

bool QueueLinkSink::AcceptUrl(const std::string& url, FoundBy how, int depth) {
  bool added = false;
  orvi::AcceptUrl(ctx_, url, added, 0, how, depth, generation_);
  return added;
}

bool QueueLinkSink::AddFoundLink(const std::string& name, const std::string& url,
                                 const std::string& page, bool lettered, int seriesLength) {
  return orvi::AddFoundLink(ctx_, ctx_.catalogue, name, url, page, lettered, seriesLength,
                            generation_);
}

}  // namespace orvi
