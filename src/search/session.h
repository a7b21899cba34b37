#pragma once

// The sequences a user starts: a new search (with its resume and page
// analysis forms), the stop, the drive of a run to its end and the commands
// posted while it runs. The windows and the command line call these; what
// only a front end can decide (the stop confirmation's answer, the
// preparation window, a file name) comes in through the UI port or a
// callback. Everything here runs on the caller's thread (the window thread
// in the program).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/commands.h"
#include "core/context.h"
#include "search/harvest.h"

namespace orvi {

// The choices of the page analysis dialog ("Go !").
struct PageAnalysisChoices {
  std::string address;          // the page, as typed (Windows-1252)
  bool archives = true;         // "Archives (zip/rar/ace)"
  bool executables = true;      // "Exécutables"
  bool smartArchives = true;    // "Smart Archive Detection"
  bool wholeSite = false;       // "Rechercher également sur toutes les pages du site"
  std::string extensions;       // "Autres extensions", comma-separated
};

// What "Go !" sets up: a throw-away active profile in systematic mode and an
// exploration queue of the one page.
void SetUpPageAnalysis(Context& ctx, const PageAnalysisChoices& choices);

// A search phase runs (the harvest or the exploration).
bool SearchRunning(Context& ctx);

// The stop confirmation: asks `Arrêter la recherche de "%s" ?` through the UI
// port (caption "ORVI", Yes/No, question icon, No by default); Yes stops the
// search. True when no search runs any more.
bool ConfirmStop(Context& ctx);

enum class SessionMode { Search, Resume, Scan };

// The step before phase 2 of a new search: the preparation window in the
// program, the harvest alone on the command line. True to go on to phase 2.
using PrepareSearch = std::function<bool(Context&)>;

enum class StartOutcome {
  Started,       // the exploration runs
  NoBasePage,    // reset and shown, but nothing to explore: nothing started
  Cancelled,     // the preparation or the reload gave nothing: nothing changed
  StillRunning,  // the user kept the running search
};

// New search (command 4000): stops a running search after confirmation, runs
// the preparation (Search), the reload of the saved state (Resume) or nothing
// (Scan, already set up), then starts phase 2. afterReset runs once the
// catalogue is empty and before the scheduler starts.
StartOutcome NewSearch(Context& ctx, SessionMode mode, const PrepareSearch& prepare,
                       const std::function<void()>& afterReset = {});

// Resume (command 4011): a new search on the saved state, with the files
// found before the save back in the catalogue (read after afterReset).
StartOutcome ResumeSearch(Context& ctx, const std::function<void()>& afterReset = {});

// Web page analysis (command 4012) after the dialog closed with "Go !": the
// search text of an earlier search goes.
StartOutcome StartPageAnalysis(Context& ctx, const PageAnalysisChoices& choices,
                               const std::function<void()>& afterReset = {});

// A command posted to the results window while a run goes (Pause/Continue,
// the search-state save). False for a command that is not a run's.
bool DispatchRunCommand(Context& ctx, int commandId);

// What only a front end can do for the search commands.
struct SessionFrontEnd {
  // The search preparation window for a new search; none: the command is
  // not offered.
  PrepareSearch prepare;
  // The page analysis dialog: true with the choices when closed with "Go !".
  std::function<bool(PageAnalysisChoices&)> pageAnalysisDialog;
  // The front end's part of a new search's reset: once the catalogue is
  // empty, before the saved results of a resume come back and before the
  // scheduler starts.
  std::function<void()> onReset;
  // After a new search has reset the run, whether or not it found a page.
  std::function<void()> onNewRun;
};

// Runs a search command (new search, stop, search-state save, resume, page
// analysis, pause/continue); false for any other id, which the front end
// handles itself (the results files' dialogs, the toggles, the windows).
bool DispatchSessionCommand(Context& ctx, int commandId, const SessionFrontEnd& frontEnd);

// Whether a command of the menu can be chosen now: saving the results while
// the catalogue holds an entry; loading results, resume and page analysis
// while no search runs; stop, search-state save and pause while one runs;
// any other command always.
bool SessionCommandEnabled(Context& ctx, int commandId);

// The interrupt of a run (Ctrl-C, a bound reached): the state is saved as
// command 4010 saves it, then the search stops. The results found so far stay
// in the catalogue.
void InterruptRun(Context& ctx);

// Driving a run to its end without windows.
struct RunDrive {
  // Waits up to ms for the next tick; true when the user interrupts.
  std::function<bool(int ms)> wait;
  // The commands posted since the last tick, in order.
  std::function<std::vector<int>()> takeCommands;
  // After each tick (tick counts from 0), with the run's progress as shown
  // then (progress lines).
  std::function<void(int tick, const RunProgress& progress)> afterTick;
  // The clock's time (ms) at which the whole command must end; 0: none.
  int64_t deadlineMs = 0;
  // How long to wait for the verification once the run has ended.
  int verifySeconds = 120;
};

enum class RunEnd { Finished, Interrupted, TimedOut };

struct RunReport {
  RunEnd end = RunEnd::Finished;
  bool allVerified = false;  // no file was left waiting or being probed
};

// Ticks the run as the results window's timer does until it ends, handles
// the posted commands, interrupts it on request or at the deadline (saving
// the state first), joins its threads and waits for the verification.
RunReport DriveRunToEnd(Context& ctx, const RunDrive& drive);

}  // namespace orvi
