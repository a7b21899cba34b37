#include "explore/exploration_run.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "explore/page_analysis.h"
#include "platform/text.h"
#include "results/catalogue.h"

namespace orvi {
namespace {

constexpr int kSchedulerPassMs = 80;
constexpr int kMaxListItems = 9;
constexpr int kIdleSecondsToEnd = 5;
constexpr int kYieldSeconds = 30;
// "Recherche terminée"
constexpr char kSearchEnded[] = "Recherche termin\xE9" "e";

void Show(Context& ctx, int id, const std::string& text) { ctx.ui().SetFieldText(id, text); }
void Show(Context& ctx, int id, int64_t value) { Show(ctx, id, FormatInt(value)); }

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

// Shows a counter only when it differs from what is shown.
void ShowChanged(Context& ctx, int id, int value, int& shown) {
  if (value == shown) return;
  shown = value;
  Show(ctx, id, value);
}

void BuildRunLists(Context& ctx) {
  ExplorationRun& run = ctx.run;
  SearchProfile& profile = ctx.activeProfile;
  const std::string& text = ctx.SearchText;

  run.Extensions.clear();
  // Pages are searched in lower case: an extension typed in capitals in the
  // page analysis dialog must still match.
  for (int i = 0; i < profile.ExtensionCount && i < SearchProfile::kMaxExtensions; ++i) {
    run.Extensions.push_back(AsciiLower(profile.Extensions[static_cast<size_t>(i)]));
  }
  if (profile.Zip) run.Extensions.push_back("zip");
  if (profile.Exe) run.Extensions.push_back("exe");
  size_t dot = text.find('.');
  if (profile.AddExtSais && dot != std::string::npos) run.Extensions.push_back(text.substr(dot + 1));
  if (run.Extensions.size() > SearchProfile::kMaxExtensions) run.Extensions.resize(SearchProfile::kMaxExtensions);
  run.ImageMode = std::any_of(run.Extensions.begin(), run.Extensions.end(), [](const std::string& e) {
    return e == "jpg" || e == "jpeg" || e == "gif";
  });

  run.NamePrefixes.clear();
  for (size_t pos = 0; pos <= text.size() && run.NamePrefixes.size() < kMaxListItems;) {
    size_t space = text.find(' ', pos);
    if (space == std::string::npos) space = text.size();
    if (space - pos >= 3) run.NamePrefixes.push_back(text.substr(pos, 3));
    pos = space + 1;
  }

  run.UrlKeywords.clear();
  if (profile.AjourURL) {
    const std::string& slnk = profile.Slnk;
    for (size_t pos = 0; pos <= slnk.size() && run.UrlKeywords.size() < kMaxListItems;) {
      size_t comma = slnk.find(',', pos);
      if (comma == std::string::npos) comma = slnk.size();
      std::string item = std::string(TrimWhite(std::string_view(slnk).substr(pos, comma - pos)));
      // An empty keyword would match at every position of every page.
      if (!item.empty()) run.UrlKeywords.push_back(item.substr(0, 15));
      pos = comma + 1;
    }
  }

  // The search text without its extension: a dot among its last five characters.
  run.BareName = text;
  for (size_t back = 1; back <= 5 && back <= text.size(); ++back) {
    if (text[text.size() - back] == '.') {
      run.BareName = text.substr(0, text.size() - back);
      break;
    }
  }
}

}  // namespace

// The scheduler's choice among the waiting pages; the caller holds QueueLock.
QueueEntryPtr PickEntry(Context& ctx) {
  const auto& entries = ctx.queue.entries;
  const ExplorationRun& run = ctx.run;
  auto waiting = [](const QueueEntryPtr& e) { return e->state == kWaiting; };
  if (ctx.activeProfile.URLKeysFirst && !run.UrlKeywords.empty()) {
    for (const QueueEntryPtr& e : entries) {
      if (!waiting(e)) continue;
      std::string lower = AsciiLower(e->url);
      size_t slash = lower.find('/', lower.starts_with("https://") ? 8 : 7);
      if (slash == std::string::npos) continue;
      std::string_view path = std::string_view(lower).substr(slash);
      for (const std::string& keyword : run.UrlKeywords) {
        if (path.find(keyword) != std::string_view::npos) return e;
      }
    }
  }
  // Every fifth second, pages found by the exploration go before engine results.
  if (run.ElapsedSeconds % 5 == 0 || ctx.activeProfile.SiteScan) {
    for (size_t i = static_cast<size_t>(std::max(0, run.BaseCount.load())); i < entries.size(); ++i) {
      if (waiting(entries[i])) return entries[i];
    }
  }
  for (const QueueEntryPtr& e : entries) {
    if (waiting(e) && e->url.find('?') == std::string::npos) return e;
  }
  for (const QueueEntryPtr& e : entries) {
    if (waiting(e)) return e;
  }
  return nullptr;
}

std::string ClockText(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2i:%.2i:%.2i", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

void StartExplorationRun(Context& ctx, RunMode mode, const std::function<void()>& beforeStart) {
  ExplorationRun& run = ctx.run;
  // A running search must be stopped first (the caller asks the user). A
  // run that has just ended may still have its scheduler for a pass: the new
  // generation sends it away.
  if (run.SchedulerActive && run.collecting) return;
  // Threads of earlier runs that have ended are joined; those still running
  // serve an older generation and are joined later, never waited for here.
  run.schedulers.Reap();
  run.workers.Reap();
  // The new phase first, so that no worker of an older run starts analysing;
  // then the analyses under way end before their lists change.
  const uint64_t generation = BeginSearchPhase(ctx);
  while (run.analysing > 0) std::this_thread::yield();
  if (ctx.activeProfile.ExtractAll) ctx.activeProfile.AjourURL = false;

  run.AddedCount = 0;
  run.Paused = false;
  run.timeoutCount = 0;
  {
    std::lock_guard lock(ctx.QueueLock);
    run.BaseCount = ctx.queue.count();
  }
  run.speedRing.Reset();
  run.WaitingCount = 0;
  run.TotalBytes = 0;
  run.InProgress = 0;
  run.FinishedCount = 0;
  run.SteadySeconds = 0;
  run.TargetConnections = ctx.settings.MinConnect;
  run.ReferenceSpeed = 0;
  run.ReduceVotes = 0;
  run.RegulatorChecks = 0;
  run.Throttle = 0;
  run.ElapsedSeconds = 0;
  run.ServerCounter = 0;
  run.LastSecond = ctx.clock().NowMs() / 1000;
  run.Progress = 0;
  run.ShownWaiting = run.ShownInProgress = run.ShownFinished = run.ShownProgress = -1;
  ClearCatalogue(ctx);
  ctx.sockets.CloseAllSockets();
  run.LinksPerAnchor = 8;
  run.SinglePage = mode == RunMode::Scan && !ctx.activeProfile.SiteScan;
  BuildRunLists(ctx);

  if (beforeStart) beforeStart();

  ctx.ui().Signal(UiSignal::ResetResults);
  Show(ctx, ids::kBase, run.BaseCount);
  ctx.ui().SetFieldNumber(ids::kSpeedSlider, 20);
  ctx.ui().SetTitle(mode == RunMode::Scan ? std::string("Mode Scan")
                                          : ctx.ProfileName + " -> " + ctx.SearchText);
  run.SchedulerActive = false;
  if (run.BaseCount != 0) {
    ctx.ui().Signal(UiSignal::AnimationPlay);
    run.IdleSeconds = 0;
    run.AutosaveTicks = 0;
    if (!run.pageWork) {
      run.pageWork = [&ctx](QueueEntry& entry, uint64_t g) { return AnalysePage(ctx, entry, g); };
    }
    run.SchedulerActive = true;
    run.schedulers.Start([&ctx, generation] { SchedulerThread(ctx, generation); });
  }
}

void SchedulerThread(Context& ctx, uint64_t generation) {
  ExplorationRun& run = ctx.run;
  while (run.Serves(generation)) {
    ctx.clock().SleepMs(kSchedulerPassMs);
    {
      std::lock_guard lock(ctx.QueueLock);
      if (!run.Serves(generation)) break;
      if (!run.Paused && run.InProgress < run.TargetConnections) {
        if (QueueEntryPtr picked = PickEntry(ctx)) {
          picked->state = kTaken;
          // Counted here, so that the next pass sees it even before the
          // worker thread runs. The worker holds its entry: a stop that
          // empties the queue cannot free it under the worker.
          run.InProgress++;
          run.workers.Start(
              [&ctx, picked, generation] { ExplorationWorker(ctx, picked, generation); });
        }
      }
      int waiting = 0;
      for (const QueueEntryPtr& e : ctx.queue.entries) waiting += e->state == kWaiting;
      run.WaitingCount = waiting;
    }
    run.workers.Reap();
  }
  // The end of the run, unless a stop or a later run has taken over (the
  // stop then speaks for this run, and the new run is not to be touched).
  std::lock_guard lock(ctx.QueueLock);
  if (run.generation != generation) return;
  run.SchedulerActive = false;
  ctx.ui().Signal(UiSignal::ResetResults);
  ctx.ui().Signal(UiSignal::AnimationStop);
  ctx.sockets.CloseAllSockets();
}

void ExplorationWorker(Context& ctx, QueueEntryPtr entry, uint64_t generation) {
  ExplorationRun& run = ctx.run;
  // InProgress was counted by the scheduler when it started this worker.
  bool analysed = run.Serves(generation) && run.pageWork(*entry, generation);
  // A stop or a later run has set the counters anew: a worker of an older
  // generation leaves them alone.
  std::lock_guard lock(ctx.QueueLock);
  if (run.generation != generation) return;
  run.InProgress--;
  if (analysed) run.FinishedCount++;
}

void OnRunTimer(Context& ctx) {
  ExplorationRun& run = ctx.run;
  if (!run.SchedulerActive) return;
  const int waiting = run.WaitingCount;
  const int InProgress = std::max(0, run.InProgress.load());
  const int finished = run.FinishedCount;
  Show(ctx, ids::kTimeouts, run.timeoutCount);
  Show(ctx, ids::kAdded, run.AddedCount);
  ShowChanged(ctx, ids::kWaiting, waiting, run.ShownWaiting);
  ShowChanged(ctx, ids::kInProgress, InProgress, run.ShownInProgress);
  ShowChanged(ctx, ids::kFinished, finished, run.ShownFinished);
  int sum = finished + waiting + InProgress;
  run.Progress = sum == 0 ? 0 : static_cast<int>(int64_t{finished} * 100 / sum);
  if (run.Progress != run.ShownProgress) {
    ShowChanged(ctx, ids::kProgressText, run.Progress, run.ShownProgress);
    ctx.ui().SetFieldNumber(ids::kProgressBar, run.Progress);
  }

  int64_t second = ctx.clock().NowMs() / 1000;
  if (second == run.LastSecond) return;
  run.LastSecond = second;

  // Speed over the last minute.
  SpeedRing& ring = run.speedRing;
  int slot = (ring.slot + 1) % SpeedRing::kSlots;
  if (slot == 0) ring.full = true;
  ring.bytes[static_cast<size_t>(slot)] = 0;
  ring.slot = slot;
  int64_t bytes = 0;
  for (const auto& b : ring.bytes) bytes += b;
  double speed = static_cast<double>(bytes) * 0.001 / (ring.full ? SpeedRing::kSlots : slot);
  run.Speed = speed;
  Show(ctx, ids::kSpeed, OneDecimal(speed));
  Show(ctx, ids::kLoadKb, run.TotalBytes / 1024);

  // The regulator: more connections while the speed stays below what the
  // run has shown it can reach, fewer while it is near it.
  if (run.Paused) {
    run.SteadySeconds = 0;
  } else if (ring.full) {
    run.SteadySeconds = run.Throttle != 0 ? 0 : run.SteadySeconds + 1;
    if (speed > run.ReferenceSpeed && run.SteadySeconds > 60) {
      run.ReferenceSpeed = 0.05 * speed + 0.95 * run.ReferenceSpeed;
      Show(ctx, ids::kReferenceSpeed, OneDecimal(run.ReferenceSpeed));
    }
    if (++run.RegulatorChecks % 10 == 0) {
      double base = run.SteadySeconds >= 40 ? run.ReferenceSpeed : 0;
      int target = run.TargetConnections;
      if (speed > 0.84 * base) {
        if (run.ReduceVotes > 2) {
          --target;
          run.ReduceVotes = 0;
        } else {
          ++run.ReduceVotes;
        }
      } else {
        run.ReduceVotes = 0;
        if (speed < 0.76 * base) ++target;
      }
      const int minimum = ctx.settings.MinConnect;
      const int ceiling = std::max(minimum, ctx.settings.MaxConnect - ctx.verification.ActiveProbeCount());
      run.TargetConnections = std::min(std::max(minimum, target), ceiling);
    }
  }

  ++run.ElapsedSeconds;
  Show(ctx, ids::kElapsed, ClockText(run.ElapsedSeconds));
  if (run.Progress > 0) {
    Show(ctx, ids::kRemaining, ClockText(run.ElapsedSeconds * 100 / run.Progress - run.ElapsedSeconds));
  }

  // The end: nothing waiting and nothing running for more than five seconds.
  if (!run.Paused && run.ElapsedSeconds >= 11 && waiting == 0 && InProgress == 0) {
    ++run.IdleSeconds;
  } else {
    run.IdleSeconds = 0;
  }
  if (run.IdleSeconds > kIdleSecondsToEnd) {
    ctx.ui().SetFieldNumber(ids::kProgressBar, 100);
    Show(ctx, ids::kProgressText, 100);
    run.collecting = false;
    int count;
    {
      std::lock_guard lock(ctx.QueueLock);
      count = ctx.queue.count();
    }
    if (count != 1) ctx.ui().MessageBox({kSearchEnded, "ORVI", MsgIcon::Information});
  }

  // The save runs where commands run, never on the timer's own call.
  if (ctx.settings.Autosave > 0 && ++run.AutosaveTicks >= ctx.settings.Autosave * 60) {
    run.AutosaveTicks = 0;
    ctx.ui().PostCommand(ids::kSaveSearchState);
  }
}

void TogglePause(Context& ctx) {
  ExplorationRun& run = ctx.run;
  run.Paused = !run.Paused;
  if (run.Paused) {
    run.TargetConnections = ctx.settings.MinConnect;
    ctx.ui().Signal(UiSignal::AnimationStop);
  } else {
    ctx.ui().Signal(UiSignal::AnimationPlay);
  }
  Show(ctx, ids::kPauseContinue, run.Paused ? "Continue" : "Pause");
}

void YieldToBrowser(Context& ctx) {
  ExplorationRun& run = ctx.run;
  if (!run.collecting) return;
  // A yield in progress starts its 30 seconds again.
  if (run.yieldCount != 0) {
    run.yieldCount = 0;
    return;
  }
  run.yieldCount = 1;
  run.helpers.Reap();
  run.helpers.Start([&ctx] {
    ExplorationRun& r = ctx.run;
    int kept = r.Throttle.exchange(20);
    ctx.ui().SetFieldNumber(ids::kSpeedSlider, 0);
    while (r.collecting) {
      if (++r.yieldCount >= kYieldSeconds) break;
      ctx.clock().SleepMs(1000);
    }
    r.Throttle = kept;
    ctx.ui().SetFieldNumber(ids::kSpeedSlider, 20 - kept);
    r.yieldCount = 0;
  });
}

void SetThrottle(Context& ctx, int position) { ctx.run.Throttle = 20 - std::clamp(position, 0, 20); }

void JoinRunThreads(Context& ctx) {
  ctx.run.schedulers.JoinAll();
  ctx.run.workers.JoinAll();
}

}  // namespace orvi
