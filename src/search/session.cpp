#include "search/session.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "explore/exploration_run.h"
#include "explore/queue.h"
#include "platform/text.h"
#include "results/catalogue.h"
#include "results/results_file.h"
#include "results/verification.h"
#include "search/profile_file.h"
#include "search/query.h"
#include "search/search_state.h"

namespace orvi {
namespace {

constexpr int kTickMs = 250;
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
    for (std::string_view piece : CommaPieces(text)) {
      if (p.ExtensionCount == SearchProfile::kMaxExtensions) break;
      p.Extensions[static_cast<size_t>(p.ExtensionCount++)] = Cut(TrimSpaces(piece), kExtensionChars);
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
  ctx.run.progress.Clip(false);
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

StartOutcome ResumeSearch(Context& ctx, const std::function<void()>& afterReset) {
  // The files found before the save come back before the first page is
  // explored, so none found by the resumed run is thrown away by the reload;
  // those saved as waiting are probed again.
  return NewSearch(ctx, SessionMode::Resume, {}, [&ctx, &afterReset] {
    if (afterReset) afterReset();
    ReadResultsFile(ctx, ctx.catalogue, SavedResultsPath(ctx));
  });
}

StartOutcome StartPageAnalysis(Context& ctx, const PageAnalysisChoices& choices,
                               const std::function<void()>& afterReset) {
  if (SearchRunning(ctx) && !ConfirmStop(ctx)) return StartOutcome::StillRunning;
  SetUpPageAnalysis(ctx, choices);
  ctx.SearchText.clear();
  return NewSearch(ctx, SessionMode::Scan, {}, afterReset);
}

bool DispatchRunCommand(Context& ctx, int commandId) {
  switch (commandId) {
    case cmd::kPauseContinue:
      TogglePause(ctx);
      return true;
    case cmd::kSaveSearchState:
      SaveSearchStateCommand(ctx);
      return true;
  }
  return false;
}

bool DispatchSessionCommand(Context& ctx, int commandId, const SessionFrontEnd& frontEnd) {
  std::optional<StartOutcome> started;
  switch (commandId) {
    case cmd::kNewSearch:
      if (frontEnd.prepare) started = NewSearch(ctx, SessionMode::Search, frontEnd.prepare, frontEnd.onReset);
      break;
    case cmd::kStopSearch:
      ConfirmStop(ctx);
      break;
    case cmd::kResumeSearch:
      started = ResumeSearch(ctx, frontEnd.onReset);
      break;
    case cmd::kAnalysePage: {
      PageAnalysisChoices choices;
      if (frontEnd.pageAnalysisDialog && frontEnd.pageAnalysisDialog(choices)) {
        started = StartPageAnalysis(ctx, choices, frontEnd.onReset);
      }
      break;
    }
    default:
      return DispatchRunCommand(ctx, commandId);
  }
  const bool reset = started == StartOutcome::Started || started == StartOutcome::NoBasePage;
  if (reset && frontEnd.onNewRun) frontEnd.onNewRun();
  return true;
}

bool SessionCommandEnabled(Context& ctx, int commandId) {
  switch (commandId) {
    case cmd::kSaveResults:
    case cmd::kExportLinks: return CatalogueCount(ctx) > 0;
    case cmd::kLoadResults:
    case cmd::kResumeSearch:
    case cmd::kAnalysePage: return !SearchRunning(ctx);
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
    if (drive.afterTick) drive.afterTick(tick, ReadRunProgress(ctx));
  }
  JoinRunThreads(ctx);
  if (report.end == RunEnd::Finished) {
    // The probes go on after the last page; wait for them within the bounds.
    const int64_t verifyUntil = Now(ctx) + int64_t{drive.verifySeconds} * 1000;
    const int64_t until = drive.deadlineMs != 0 ? std::min(verifyUntil, drive.deadlineMs) : verifyUntil;
    switch (WaitForVerification(ctx, until, drive.wait)) {
      case VerifyWaitEnd::Settled: break;
      case VerifyWaitEnd::OutOfTime:
        // The command's bound, unless the verification's own came first.
        if (Now(ctx) < verifyUntil) report.end = RunEnd::TimedOut;
        break;
      case VerifyWaitEnd::Interrupted: report.end = RunEnd::Interrupted; break;
    }
  }
  report.allVerified = OpenFileCount(ctx) == 0;
  return report;
}

}  // namespace orvi
