#pragma once

#include <atomic>
#include <thread>

#include "core/context.h"
#include "search/harvest.h"

namespace orvi {

// Phase 1 of a search on a thread of its own, as the preparation window and
// the command line run it: started with the inputs, stopped or cancelled,
// joined for its result. The thread that owns the job starts, stops and
// joins it; its board can be read from any thread.
class HarvestJob {
 public:
  explicit HarvestJob(Context& ctx) : ctx_(ctx) {}
  // Cancels a harvest under way and waits for it.
  ~HarvestJob();
  HarvestJob(const HarvestJob&) = delete;
  HarvestJob& operator=(const HarvestJob&) = delete;

  // Sets the run flag and starts the harvest on an empty board (an ended
  // one not yet joined is joined first, its result dropped).
  void Start(HarvestInputs inputs);
  // "Stop !": every loop ends after its current page, whose fetch is broken;
  // the harvest then ends as usual, with its message when nothing was found.
  void Stop();
  // The front end goes away: as Stop, and the harvest ends without a word
  // (no message, no AutoStart). Does not wait; any thread may call it.
  void Cancel();

  // Started and not yet joined.
  bool Busy() const { return thread_.joinable(); }
  // Busy, and the harvest has ended: Join returns at once.
  bool Ended() const { return ended_; }
  // Waits for the harvest; its result.
  HarvestResult Join();
  HarvestProgress Progress() const { return board_.Snapshot(); }

 private:
  Context& ctx_;
  HarvestBoard board_;
  std::atomic<bool> abandoned_{false};
  std::atomic<bool> started_{false};  // a thread was started and not yet joined
  std::atomic<bool> ended_{false};
  HarvestResult result_;  // written by the thread, read after the join
  std::thread thread_;
};

}  // namespace orvi
