#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/context.h"
#include "explore/found_by.h"

namespace orvi {

// Pages the exploration queue holds at most; a full queue accepts nothing.
constexpr int kQueueCapacity = 3999;

enum QueueState : int { kWaiting = 0, kTaken = -1, kDone = 1 };

// One page of the exploration queue.
struct QueueEntry {
  QueueEntry(std::string pageUrl, int engineId, FoundBy how, int linkDepth)
      : url(std::move(pageUrl)), engine(engineId), foundBy(how), depth(linkDepth) {}

  const std::string url;  // at most 239 characters, as accepted
  std::string cacheUrl;   // the engine's cache link of the page; guarded by QueueLock
  std::atomic<int> state{kWaiting};
  std::atomic<int> engine;  // 1 Google, 2 Fast, 3 WiseNut, 0 the exploration or several engines
  const FoundBy foundBy;
  const int depth;  // link distance from the engine results
};

using QueueEntryPtr = std::shared_ptr<QueueEntry>;

// The one door into the queue: filters, normalises, and refuses duplicates
// (letter case ignored), pages over the host quota and pages past the
// capacity. Gives the new entry (added true), the entry already queued with
// that URL (added false), or null when refused or when no search phase runs.
// generation: the search phase the calling thread serves; once that phase
// has ended, nothing it offers enters (nor the queue of a later phase).
QueueEntryPtr AcceptUrl(Context& ctx, std::string_view url, bool& added, int engine,
                        FoundBy foundBy, int depth, uint64_t generation = kAnyGeneration);

// Starts a search phase (a harvest or a run): sets the collecting flag and
// gives the phase's generation; threads of earlier phases add nothing more.
uint64_t BeginSearchPhase(Context& ctx);
// Ends that phase (the collecting flag cleared), unless another has begun.
void EndSearchPhase(Context& ctx, uint64_t generation);

// The form in which a URL is stored: tag leftovers and fragments cut, spaces
// encoded, at most 239 characters.
std::string NormaliseQueueUrl(std::string_view url);

// How many pages the queue holds.
int QueueCount(Context& ctx);

// The pages being fetched, in queue order, for the connections list.
struct PageInFetch {
  int index;  // in the queue
  std::string url;
};
struct PagesInFetch {
  int queueCount = 0;
  std::vector<PageInFetch> pages;
};
PagesInFetch PagesBeingFetched(Context& ctx);

// Ends the search phase and empties the queue: the collecting flag is
// cleared, the phase's threads are told they serve nothing any more, every
// registered socket is broken and the run is no longer active. Returns at
// once: the old threads end by themselves and are joined later.
void StopAndClearQueue(Context& ctx);

}  // namespace orvi
