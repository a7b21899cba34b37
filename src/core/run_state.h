#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace orvi {

// 60 per-second counters of bytes received, fed by every page fetch and file
// probe; the run's timer moves the slot once a second.
struct SpeedRing {
  static constexpr int kSlots = 60;
  std::array<std::atomic<int32_t>, kSlots> bytes{};
  std::atomic<int> slot{0};
  std::atomic<bool> full{false};

  void Add(int64_t n) { bytes[static_cast<size_t>(slot.load()) % kSlots] += static_cast<int32_t>(n); }
  void Reset() {
    for (auto& b : bytes) b = 0;
    slot = 0;
    full = false;
  }
};

// The state of the current search run that the page client and the other
// network readers share with the scheduler. Written by several threads, so
// every field is atomic.
struct ExplorationRun {
  std::atomic<bool> collecting{false};  // a search phase runs; clearing it stops everything
  std::atomic<bool> schedulerActive{false};
  std::atomic<bool> paused{false};
  std::atomic<int> inProgress{0};       // connections in progress
  std::atomic<int> addedCount{0};       // pages the exploration added to the queue
  std::atomic<int> finishedCount{0};
  std::atomic<int> throttle{0};         // 0-20: the speed brake
  SpeedRing speedRing;
  std::atomic<int64_t> totalBytes{0};
  std::atomic<int> timeoutCount{0};

  std::atomic<int> serverCounter{0};  // numbering of server folders found in the run

  // Built from the profile and the search text when a run starts, before any
  // worker exists; only read while the run goes on.
  std::vector<std::string> Extensions;    // up to 16 wanted extensions, lower case, no dot
  bool ImageMode = false;                 // Extensions hold jpg, jpeg or gif
  std::vector<std::string> NamePrefixes;  // up to 9: first 3 letters of each word of 3 or more
  std::vector<std::string> UrlKeywords;   // up to 9 of 15 characters
  std::string BareName;                   // the search text without its extension
  int LinksPerAnchor = 8;

  void CountReceived(int64_t n) {
    speedRing.Add(n);
    totalBytes += n;
  }
};

// Network status that outlives a run.
struct NetStatus {
  std::atomic<int> nameFailureStreak{0};
  std::atomic<bool> disconnectedShown{false};
};

}  // namespace orvi
