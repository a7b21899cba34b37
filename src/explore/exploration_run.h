#pragma once

#include <functional>

#include "core/context.h"
#include "explore/queue.h"

namespace orvi {

enum class RunMode {
  Search,  // after the harvest of a new search
  Resume,  // after a saved search state was reloaded
  Scan,    // the analysis of one web page (and, on request, its site)
};

// Starts phase 2 on the queue as it stands: resets the run, empties the
// catalogue, builds the run's lists from the active profile and the search
// text, and starts the scheduler when the queue holds anything. The caller has
// done what comes before (the preparation window, a reload, or the scan set-up).
// beforeStart runs once the catalogue is empty and before the scheduler
// starts, so that what it loads there (the saved results of a resume) cannot
// be thrown away by a clear that follows the first pages.
void StartExplorationRun(Context& ctx, RunMode mode, const std::function<void()>& beforeStart = {});

// Every 80 ms: starts one worker on a waiting page while fewer than the
// target are running. Ends when the collecting flag is cleared or when the
// run of this generation has been stopped.
void SchedulerThread(Context& ctx, uint64_t generation);
void ExplorationWorker(Context& ctx, QueueEntryPtr entry, uint64_t generation);

// The results window's timer (every 250 ms): counters, progress, and on each
// new second the speed, the regulator, the clocks and the end test. What it
// counts is published in ctx.run.progress.
void OnRunTimer(Context& ctx);

// A copy of the run's progress as the windows and the command line show it,
// with the lost-connection notice and the probes running read now.
RunProgress ReadRunProgress(Context& ctx);

// Pause/Continue (also posted by the page client when the network is gone).
void TogglePause(Context& ctx);
// Brakes the run for about 30 s while the user reads a page in the browser.
void YieldToBrowser(Context& ctx);
// The speed slider moved by the user: 0 (slowest) to 20 (no brake).
void SetThrottle(Context& ctx, int position);

// The waiting page the scheduler would start next, or null; the caller holds
// QueueLock.
QueueEntryPtr PickEntry(Context& ctx);

// Waits for the scheduler and every worker of the ended runs (off the window
// thread: a command-line run, a test).
void JoinRunThreads(Context& ctx);

// "12:03:07"
std::string ClockText(int seconds);

}  // namespace orvi
