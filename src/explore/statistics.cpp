#include "explore/statistics.h"

#include <mutex>

#include "explore/queue.h"

namespace orvi {

FoundByCounts CountQueueByFoundBy(Context& ctx) {
  FoundByCounts result;
  std::lock_guard lock(ctx.QueueLock);
  for (const QueueEntryPtr& entry : ctx.queue.entries) {
    const int code = static_cast<int>(entry->foundBy);
    if (code > 0 && code < kFoundByCount) ++result.counts[static_cast<size_t>(code)];
  }
  return result;
}

std::vector<std::string> QueueUrlsFoundBy(Context& ctx, FoundBy code) {
  std::vector<std::string> urls;
  std::lock_guard lock(ctx.QueueLock);
  for (const QueueEntryPtr& entry : ctx.queue.entries) {
    if (entry->foundBy == code && entry->engine == 0) urls.push_back(entry->url);
  }
  return urls;
}

}  // namespace orvi
