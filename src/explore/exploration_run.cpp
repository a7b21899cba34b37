#include "explore/exploration_run.h"

#include <algorithm>
#include <cstdio>
#include <thread>

#include "core/commands.h"
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
    for (std::string_view piece : CommaPieces(profile.Slnk)) {
      if (run.UrlKeywords.size() == kMaxListItems) break;
      std::string_view item = TrimWhite(piece);
      // An empty keyword would match at every position of every page.
      if (!item.empty()) run.UrlKeywords.push_back(Cut(item, 15));
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
  run.BaseCount = QueueCount(ctx);
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
  ClearCatalogue(ctx);
  ctx.sockets.CloseAllSockets();
  run.LinksPerAnchor = 8;
  run.SinglePage = mode == RunMode::Scan && !ctx.activeProfile.SiteScan;
  BuildRunLists(ctx);

  if (beforeStart) beforeStart();

  run.progress.Reset();
  run.progress.Update([base = run.BaseCount.load()](RunProgress& p) {
    p.base = base;
    p.sliderPosition = 20;
  });
  ctx.ui().SetTitle(mode == RunMode::Scan ? std::string("Mode Scan")
                                          : ctx.ProfileName + " -> " + ctx.SearchText);
  run.SchedulerActive = false;
  if (run.BaseCount != 0) {
    run.progress.Clip(true);
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
  run.progress.Reset();
  run.progress.Clip(false);
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
  const int inProgress = std::max(0, run.InProgress.load());
  const int finished = run.FinishedCount;
  const int sum = finished + waiting + inProgress;
  const int progress = sum == 0 ? 0 : static_cast<int>(int64_t{finished} * 100 / sum);
  run.progress.Update([&](RunProgress& p) {
    p.timeouts = run.timeoutCount.load();
    p.added = run.AddedCount.load();
    p.waiting = waiting;
    p.inProgress = inProgress;
    p.finished = finished;
    p.progress = progress;
  });

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
  bool referenceMoved = false;

  // The regulator: more connections while the speed stays below what the
  // run has shown it can reach, fewer while it is near it.
  if (run.Paused) {
    run.SteadySeconds = 0;
  } else if (ring.full) {
    run.SteadySeconds = run.Throttle != 0 ? 0 : run.SteadySeconds + 1;
    if (speed > run.ReferenceSpeed && run.SteadySeconds > 60) {
      run.ReferenceSpeed = 0.05 * speed + 0.95 * run.ReferenceSpeed;
      referenceMoved = true;
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

  // The end: nothing waiting and nothing running for more than five seconds.
  if (!run.Paused && run.ElapsedSeconds >= 11 && waiting == 0 && inProgress == 0) {
    ++run.IdleSeconds;
  } else {
    run.IdleSeconds = 0;
  }
  const bool ended = run.IdleSeconds > kIdleSecondsToEnd;
  run.progress.Update([&](RunProgress& p) {
    p.speed = speed;
    p.loadKb = run.TotalBytes / 1024;
    if (referenceMoved) p.referenceSpeed = run.ReferenceSpeed;
    p.elapsed = run.ElapsedSeconds.load();
    if (progress > 0) p.remaining = run.ElapsedSeconds * 100 / progress - run.ElapsedSeconds;
    if (ended) p.progress = 100;
  });
  if (ended) {
    run.collecting = false;
    if (QueueCount(ctx) != 1) ctx.ui().MessageBox({kSearchEnded, "ORVI", MsgIcon::Information});
  }

  // The save runs where commands run, never on the timer's own call.
  if (ctx.settings.Autosave > 0 && ++run.AutosaveTicks >= ctx.settings.Autosave * 60) {
    run.AutosaveTicks = 0;
    ctx.ui().PostCommand(cmd::kSaveSearchState);
  }
}

void TogglePause(Context& ctx) {
  ExplorationRun& run = ctx.run;
  run.Paused = !run.Paused;
  if (run.Paused) run.TargetConnections = ctx.settings.MinConnect;
  run.progress.Clip(!run.Paused);
  run.progress.Update([paused = run.Paused.load()](RunProgress& p) { p.paused = paused; });
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
    r.progress.Update([](RunProgress& p) { p.sliderPosition = 0; });
    while (r.collecting) {
      if (++r.yieldCount >= kYieldSeconds) break;
      ctx.clock().SleepMs(1000);
    }
    r.Throttle = kept;
    r.progress.Update([kept](RunProgress& p) { p.sliderPosition = 20 - kept; });
    r.yieldCount = 0;
  });
}

void SetThrottle(Context& ctx, int position) {
  position = std::clamp(position, 0, 20);
  ctx.run.Throttle = 20 - position;
  // The slider stays where the user put it until the run moves it.
  ctx.run.progress.Update([position](RunProgress& p) { p.sliderPosition = position; });
}

RunProgress ReadRunProgress(Context& ctx) {
  RunProgress progress = ctx.run.progress.Copy();
  progress.disconnected = ctx.net.DisconnectedShown;
  progress.probes = ctx.verification.ActiveProbeCount();
  return progress;
}

void JoinRunThreads(Context& ctx) {
  ctx.run.schedulers.JoinAll();
  ctx.run.workers.JoinAll();
}

}  // namespace orvi
