#include "search/session.h"

#include <algorithm>
#include <mutex>

#include "explore/exploration_run.h"
#include "explore/queue.h"
#include "results/catalogue.h"
#include "results/results_file.h"
#include "search/profile_file.h"
#include "search/query.h"
#include "search/search_state.h"

namespace orvi {
namespace {

constexpr int kTickMs = 250;
constexpr int kVerifyPollMs = 50;
constexpr int kSiteScanDomains = 999;

int64_t Now(Context& ctx) { return ctx.clock().NowMs(); }

bool PastDeadline(Context& ctx, int64_t deadlineMs) { return deadlineMs != 0 && Now(ctx) >= deadlineMs; }

}  // namespace

void SetUpPageAnalysis(Context& ctx, const PageAnalysisChoices& choices) {
  SearchProfile& p = ctx.activeProfile;
  p = SearchProfile{};
  p.ExtractAll = true;
  p.EnableNews = true;
  p.Zip = p.Archiv = choices.archives;
  p.Exe = choices.executables;
  p.SAD = choices.smartArchives;
  p.SiteScan = choices.wholeSite;
  p.MaxDomains = choices.wholeSite ? kSiteScanDomains : 0;
  // Pieces are cut at commas and trimmed of spaces; an empty piece is an
  // empty entry. What does not fit the profile's list is left out.
  const std::string text = choices.extensions.substr(0, kInputChars);
  if (!text.empty()) {
    for (size_t pos = 0; pos <= text.size() && p.ExtensionCount < SearchProfile::kMaxExtensions;) {
      size_t comma = text.find(',', pos);
      if (comma == std::string::npos) comma = text.size();
      std::string_view piece = std::string_view(text).substr(pos, comma - pos);
      while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
      while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
      p.Extensions[static_cast<size_t>(p.ExtensionCount++)] = std::string(piece.substr(0, kExtensionChars));
      pos = comma + 1;
    }
  }
  std::lock_guard lock(ctx.QueueLock);
  ctx.queue.entries.clear();
  ctx.queue.entries.push_back(std::make_shared<QueueEntry>(choices.address.substr(0, kMaxLinkChars), 0,
                                                           FoundBy::FromEngine, 0));
}

bool SearchRunning(Context& ctx) { return ctx.run.collecting || ctx.run.SchedulerActive; }

bool ConfirmStop(Context& ctx) {
  if (!SearchRunning(ctx)) return true;
  // "Arrêter la recherche de "%s" ?"
  MessageSpec question{"Arr\xEAter la recherche de \"" + ctx.SearchText + "\" ?", "ORVI",
                       MsgIcon::Question, MsgButtons::YesNo, MsgAnswer::No};
  if (ctx.ui().Ask(question) != MsgAnswer::Yes) return false;
  // The stop returns at once: the old threads serve a past generation and
  // are joined later, never waited for on the window thread.
  StopHarvest(ctx);
  StopAndClearQueue(ctx);
  return true;
}

StartOutcome NewSearch(Context& ctx, SessionMode mode, const PrepareSearch& prepare,
                       const std::function<void()>& afterReset) {
  if (SearchRunning(ctx) && !ConfirmStop(ctx)) return StartOutcome::StillRunning;
  ctx.ui().Signal(UiSignal::AnimationStop);
  if (mode == SessionMode::Resume) {
    if (!RestoreSearchState(ctx)) return StartOutcome::Cancelled;
  } else if (mode == SessionMode::Search) {
    if (!prepare || !prepare(ctx)) return StartOutcome::Cancelled;
  }
  StartExplorationRun(ctx, mode == SessionMode::Scan     ? RunMode::Scan
                           : mode == SessionMode::Resume ? RunMode::Resume
                                                         : RunMode::Search,
                      afterReset);
  if (ctx.run.SchedulerActive) return StartOutcome::Started;
  // Nothing to explore: no search runs, so none is left to stop (the stop
  // command and its question would otherwise stay on for a run that never
  // started).
  ctx.run.collecting = false;
  return StartOutcome::NoBasePage;
}

StartOutcome ResumeSearch(Context& ctx) {
  // The files found before the save come back before the first page is
  // explored, so none found by the resumed run is thrown away by the reload;
  // those saved as waiting are probed again.
  return NewSearch(ctx, SessionMode::Resume, {},
                   [&ctx] { ReadResultsFile(ctx, ctx.catalogue, SavedResultsPath(ctx)); });
}

StartOutcome StartPageAnalysis(Context& ctx, const PageAnalysisChoices& choices) {
  if (SearchRunning(ctx) && !ConfirmStop(ctx)) return StartOutcome::StillRunning;
  SetUpPageAnalysis(ctx, choices);
  ctx.SearchText.clear();
  return NewSearch(ctx, SessionMode::Scan, {});
}

bool DispatchRunCommand(Context& ctx, int commandId) {
  switch (commandId) {
    case ids::kPauseContinue:
      TogglePause(ctx);
      return true;
    case ids::kSaveSearchState:
      SaveSearchStateCommand(ctx);
      return true;
  }
  return false;
}

bool DispatchSessionCommand(Context& ctx, int commandId, const SessionFrontEnd& frontEnd) {
  switch (commandId) {
    case cmd::kNewSearch:
      if (frontEnd.prepare) NewSearch(ctx, SessionMode::Search, frontEnd.prepare);
      return true;
    case cmd::kStopSearch:
      ConfirmStop(ctx);
      return true;
    case cmd::kResume:
      ResumeSearch(ctx);
      return true;
    case cmd::kPageAnalysis: {
      PageAnalysisChoices choices;
      if (frontEnd.pageAnalysisDialog && frontEnd.pageAnalysisDialog(choices)) {
        StartPageAnalysis(ctx, choices);
      }
      return true;
    }
  }
  return DispatchRunCommand(ctx, commandId);
}

bool SessionCommandEnabled(Context& ctx, int commandId) {
  switch (commandId) {
    case cmd::kSaveResults: {
      std::lock_guard lock(ctx.CatalogueLock);
      return ctx.catalogue.count() > 0;
    }
    case cmd::kLoadResults:
    case cmd::kResume:
    case cmd::kPageAnalysis: return !SearchRunning(ctx);
    case cmd::kStopSearch:
    case cmd::kSaveSearchState:
    case cmd::kPauseContinue: return SearchRunning(ctx);
  }
  return true;
}

void InterruptRun(Context& ctx) {
  if (ctx.run.SchedulerActive) SaveSearchStateCommand(ctx);
  StopAndClearQueue(ctx);
}

int OpenFileCount(Context& ctx) {
  int open = 0;
  std::lock_guard lock(ctx.CatalogueLock);
  for (const auto& entry : ctx.catalogue.entries) {
    if (!entry || entry->deleted || entry->key.starts_with("@")) continue;
    for (const FoundFile* g = entry->files; g; g = g->nextGroup) {
      for (const FoundFile* f = g; f; f = f->nextCopy) open += f->state <= 0;
    }
  }
  return open;
}

RunReport DriveRunToEnd(Context& ctx, const RunDrive& drive) {
  RunReport report;
  for (int tick = 0; ctx.run.SchedulerActive; ++tick) {
    const bool interrupted = drive.wait && drive.wait(kTickMs);
    if (interrupted || PastDeadline(ctx, drive.deadlineMs)) {
      report.end = interrupted ? RunEnd::Interrupted : RunEnd::TimedOut;
      InterruptRun(ctx);
      break;
    }
    if (drive.takeCommands) {
      for (int id : drive.takeCommands()) DispatchRunCommand(ctx, id);
    }
    OnRunTimer(ctx);
    if (drive.afterTick) drive.afterTick(tick);
  }
  JoinRunThreads(ctx);
  if (report.end == RunEnd::Finished) {
    // The probes go on after the last page; wait for them within the bounds.
    const int64_t until = Now(ctx) + int64_t{drive.verifySeconds} * 1000;
    while (OpenFileCount(ctx) > 0) {
      if (Now(ctx) >= until) break;
      if (PastDeadline(ctx, drive.deadlineMs)) {
        report.end = RunEnd::TimedOut;
        break;
      }
      if (drive.wait ? drive.wait(kVerifyPollMs) : (ctx.clock().SleepMs(kVerifyPollMs), false)) {
        report.end = RunEnd::Interrupted;
        break;
      }
    }
  }
  report.allVerified = OpenFileCount(ctx) == 0;
  return report;
}

}  // namespace orvi
