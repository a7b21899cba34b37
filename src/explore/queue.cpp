#include "explore/queue.h"

#include "core/url_text.h"
#include "explore/url_filter.h"
#include "platform/text.h"

namespace orvi {

namespace {

// Where the host of a queued address starts.
size_t SchemeLength(std::string_view url) { return StartsWithIgnoreCase(url, "https://") ? 8 : 7; }

}  // namespace

std::string NormaliseQueueUrl(std::string_view url) {
  std::string normal = CleanLinkUrl(url);
  for (std::string_view marker : {">", "<", "#"}) CutAt(normal, marker);
  return normal;
}

QueueEntryPtr AcceptUrl(Context& ctx, std::string_view url, bool& added, int engine,
                        FoundBy foundBy, int depth, uint64_t generation) {
  added = false;
  bool cacheLink = false;
  // The count read here may be a few entries stale; the capacity is checked
  // again under the lock.
  if (!PassesUrlFilters(ctx, AsciiLower(url.substr(0, kMaxLinkChars)), QueueCount(ctx), cacheLink)) {
    return nullptr;
  }
  std::string normal = NormaliseQueueUrl(url);
  if (!ctx.run.collecting) return nullptr;

  // The host: after "http://" (or "https://"), up to the first "/"; without
  // a "/" no quota.
  std::string_view host;
  const size_t schemeEnd = SchemeLength(normal);
  size_t slash = normal.find('/', schemeEnd);
  if (slash != std::string::npos && normal.size() >= schemeEnd) {
    host = std::string_view(normal).substr(schemeEnd, slash - schemeEnd);
  }
  const bool quota = !host.empty() && !cacheLink;
  int limit = ctx.activeProfile.MaxDomains;
  if (engine != 0) limit = static_cast<int>(limit * 0.75);

  std::lock_guard lock(ctx.QueueLock);
  // Again under the lock: a stop that came since must win.
  if (!ctx.run.collecting) return nullptr;
  if (generation != kAnyGeneration && generation != ctx.run.generation) return nullptr;
  int sameHost = 0;
  for (const QueueEntryPtr& entry : ctx.queue.entries) {
    if (EqualsIgnoreCase(entry->url, normal)) return entry;
    const size_t entrySchemeEnd = SchemeLength(entry->url);
    if (quota && entry->url.size() >= entrySchemeEnd &&
        StartsWithIgnoreCase(std::string_view(entry->url).substr(entrySchemeEnd), host) &&
        ++sameHost > limit) {
      return nullptr;
    }
  }
  if (ctx.queue.count() >= kQueueCapacity) return nullptr;
  auto entry = std::make_shared<QueueEntry>(std::move(normal), engine, foundBy, depth);
  ctx.queue.entries.push_back(entry);
  if (engine == 0) ++ctx.run.AddedCount;
  added = true;
  return entry;
}

uint64_t BeginSearchPhase(Context& ctx) {
  std::lock_guard lock(ctx.QueueLock);
  uint64_t generation = ++ctx.run.generation;
  ctx.run.collecting = true;
  return generation;
}

void EndSearchPhase(Context& ctx, uint64_t generation) {
  std::lock_guard lock(ctx.QueueLock);
  if (ctx.run.generation == generation) ctx.run.collecting = false;
}

int QueueCount(Context& ctx) {
  std::lock_guard lock(ctx.QueueLock);
  return ctx.queue.count();
}

PagesInFetch PagesBeingFetched(Context& ctx) {
  PagesInFetch fetching;
  std::lock_guard lock(ctx.QueueLock);
  const auto& entries = ctx.queue.entries;
  fetching.queueCount = ctx.queue.count();
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i]->state < 0) fetching.pages.push_back({static_cast<int>(i), entries[i]->url});
  }
  return fetching;
}

// No grace period for the workers to see the flag: a worker of the stopped
// phase can no longer add anything (its generation has passed) and holds its
// own entry, so the stop returns at once.
void StopAndClearQueue(Context& ctx) {
  ExplorationRun& run = ctx.run;
  std::lock_guard lock(ctx.QueueLock);
  run.collecting = false;
  ++run.generation;
  ctx.sockets.CloseAllSockets();
  ctx.queue.entries.clear();
  // The stopped run's scheduler leaves without a word: the stop ends the run.
  if (run.SchedulerActive.exchange(false)) {
    run.progress.Reset();
    run.progress.Clip(false);
  }
}

}  // namespace orvi
