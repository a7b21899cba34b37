#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/thread_set.h"

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

// What the windows and the command line show of the run, as the run last set
// it: a plain copy, taken by each reader on its own tick.
struct RunProgress {
  // Moved on by every reset of the display (a run's start and its end): a
  // reader that saw another number clears what it shows of the run.
  uint64_t run = 0;
  // Empty: not shown since the last reset.
  std::optional<int> base, added, waiting, inProgress, finished;
  std::optional<int> progress;  // percent
  std::optional<int> timeouts;
  std::optional<int64_t> loadKb;
  std::optional<double> speed, referenceSpeed;  // K/s
  std::optional<int> elapsed, remaining;        // seconds
  int sliderPosition = 20;  // the speed slider, where the run last put it
  bool paused = false;      // the last pause or continue: the button reads "Continue"
  // Whether the progress clip plays; clipOrders counts the run's orders to
  // it, so that a reader obeys each one even when it repeats the last.
  bool clipPlays = false;
  uint64_t clipOrders = 0;
  // Read live when the copy is taken.
  bool disconnected = false;  // the lost-connection notice is up
  int probes = 0;             // "Liens": the file probes running
};

// Where the run publishes its progress. Written by the timer, the scheduler,
// the stop and the courtesy pause; every access holds the mutex.
class RunProgressBoard {
 public:
  RunProgress Copy() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  void Update(const std::function<void(RunProgress&)>& change) {
    std::lock_guard lock(mutex_);
    change(shown_);
  }
  // A new display: the counters go; the slider, the button and the clip stay.
  void Reset() {
    Update([](RunProgress& p) {
      RunProgress fresh;
      fresh.run = p.run + 1;
      fresh.sliderPosition = p.sliderPosition;
      fresh.paused = p.paused;
      fresh.clipPlays = p.clipPlays;
      fresh.clipOrders = p.clipOrders;
      p = fresh;
    });
  }
  void Clip(bool plays) {
    Update([plays](RunProgress& p) {
      p.clipPlays = plays;
      ++p.clipOrders;
    });
  }

 private:
  mutable std::mutex mutex_;
  RunProgress shown_;
};

// The state of the current search run that the page client and the other
// network readers share with the scheduler. Written by several threads, so
// every field is atomic.
struct QueueEntry;

// For a caller that serves whatever search phase runs (a set-up on the
// window thread, a test) rather than one it was started for.
inline constexpr uint64_t kAnyGeneration = UINT64_MAX;

struct ExplorationRun {
  std::atomic<bool> collecting{false};  // a search phase runs; clearing it stops everything
  // Moved on by every start and every stop of a search phase (under
  // QueueLock). A thread keeps the generation it was started for: once it
  // has moved on, the thread adds nothing to the queue or the catalogue and
  // ends by itself, whatever phase runs now.
  std::atomic<uint64_t> generation{0};
  bool Serves(uint64_t g) const { return collecting && generation == g; }
  // Workers analysing a page; a run that starts waits for the analyses of
  // older runs (a few milliseconds of reading, never the network) before it
  // rebuilds the lists and the profile fields they read.
  std::atomic<int> analysing{0};
  std::atomic<bool> SchedulerActive{false};
  std::atomic<bool> Paused{false};
  std::atomic<int> InProgress{0};       // connections in progress
  std::atomic<int> AddedCount{0};       // pages the exploration added to the queue
  std::atomic<int> FinishedCount{0};
  std::atomic<int> Throttle{0};         // 0-20: the speed brake
  SpeedRing speedRing;
  std::atomic<int64_t> TotalBytes{0};
  std::atomic<int> timeoutCount{0};

  std::atomic<int> ServerCounter{0};  // numbering of server folders found in the run

  // Written by the scheduler, read by the timer.
  std::atomic<int> BaseCount{0};
  std::atomic<int> WaitingCount{0};
  std::atomic<int> TargetConnections{0};

  // Written by the timer (the window thread) only; the scheduler reads the clock.
  std::atomic<int> ElapsedSeconds{0};
  double ReferenceSpeed = 0;
  int SteadySeconds = 0;
  int ReduceVotes = 0;
  int IdleSeconds = 0;
  int RegulatorChecks = 0;   // seconds counted by the regulator since the ring filled
  int AutosaveTicks = 0;
  int64_t LastSecond = -1;   // the clock's second at the last tick

  RunProgressBoard progress;

  // The courtesy pause while a page is open in the browser: seconds counted.
  std::atomic<int> yieldCount{0};

  // What a worker of the given generation does with its page; the page
  // analysis unless a test says otherwise. False when the run was stopped
  // during the fetch.
  std::function<bool(QueueEntry&, uint64_t generation)> pageWork;

  // The scheduler of each run, and every worker, until joined: a stopped
  // run's threads end by themselves and are joined later, never by the stop.
  ThreadSet schedulers;
  ThreadSet workers;
  ThreadSet helpers;  // the courtesy pause

  // Built from the profile and the search text when a run starts, before any
  // worker exists; only read while the run goes on.
  std::vector<std::string> Extensions;    // up to 16 wanted extensions, lower case, no dot
  bool ImageMode = false;                 // Extensions hold jpg, jpeg or gif
  std::vector<std::string> NamePrefixes;  // up to 9: first 3 letters of each word of 3 or more
  std::vector<std::string> UrlKeywords;   // up to 9 of 15 characters
  std::string BareName;                   // the search text without its extension
  int LinksPerAnchor = 8;
  // The analysis of one page, without its site: its redirections are followed
  // in place, since nothing else would explore them.
  bool SinglePage = false;

  void CountReceived(int64_t n) {
    speedRing.Add(n);
    TotalBytes += n;
  }
};

// Network status that outlives a run.
struct NetStatus {
  std::atomic<int> NameFailureStreak{0};
  // The lost-connection notice is up.
  std::atomic<bool> DisconnectedShown{false};
};

}  // namespace orvi
