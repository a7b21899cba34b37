// The commands that read results files, verify links and explore pages.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <cstdio>
#include <optional>
#include <mutex>
#include <thread>
#include <utility>

#include "app/cli_internal.h"
#include "explore/exploration_run.h"
#include "explore/queue.h"
#include "platform/cp1252.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "results/catalogue.h"
#include "results/link_export.h"
#include "results/results_file.h"
#include "results/results_view.h"
#include "results/verification.h"
#include "search/engine_table.h"
#include "search/harvest_job.h"
#include "search/profile_file.h"
#include "search/query.h"
#include "search/search_state.h"
#include "search/session.h"

namespace orvi::cli {
namespace {

constexpr int kDefaultVerifySeconds = 120;

// The windows' side of a run without windows: posted commands are carried out
// on the command's own thread at its next tick, as a window would on its own.
class CliUi final : public UiPort {
 public:
  void PostCommand(int id) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(id);
  }
  void MessageBox(const MessageSpec& box) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(box.text);
  }

  std::vector<int> TakeCommands() {
    std::lock_guard lock(mutex_);
    return std::exchange(posted_, {});
  }
  std::vector<std::string> TakeMessages() {
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
  }

 private:
  std::mutex mutex_;
  std::vector<int> posted_;
  std::vector<std::string> messages_;
};

// Ctrl-C arrives on a descriptor instead of interrupting a thread; the tick
// loop waits on it, so it is also the loop's clock. An in-process caller may
// raise the interrupt itself at a point of its choosing.
class InterruptWatch {
 public:
  explicit InterruptWatch(const Invocation& inv) : raise_(inv.interruptWhen) {
    sigemptyset(&mask_);
    sigaddset(&mask_, SIGINT);
    sigaddset(&mask_, SIGTERM);
    // Blocked before any thread starts, so every thread inherits the mask.
    pthread_sigmask(SIG_BLOCK, &mask_, &old_);
    fd_ = signalfd(-1, &mask_, SFD_CLOEXEC);
  }
  ~InterruptWatch() {
    if (fd_ >= 0) ::close(fd_);
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  InterruptWatch(const InterruptWatch&) = delete;
  InterruptWatch& operator=(const InterruptWatch&) = delete;
  // The run whose state the caller's own interrupt looks at.
  void Watch(const Context& ctx) { ctx_ = &ctx; }
  // Waits up to ms; true when an interrupt came.
  bool Wait(int ms) {
    if (raise_ && ctx_ != nullptr && raise_(*ctx_)) return true;
    pollfd p{fd_, POLLIN, 0};
    if (fd_ < 0 || ::poll(&p, 1, ms) <= 0) {
      if (fd_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      return false;
    }
    signalfd_siginfo info;
    return ::read(fd_, &info, sizeof info) == sizeof info;
  }

 private:
  std::function<bool(const Context&)> raise_;
  const Context* ctx_ = nullptr;
  sigset_t mask_;
  sigset_t old_;
  int fd_ = -1;
};

std::string ResultsPath(Context& ctx, const std::string& out, const std::string& name) {
  if (!out.empty()) return out;
  std::string folder = ctx.AppFolder + "Save";
  ::mkdir(folder.c_str(), 0755);
  return folder + "/" + name;
}

// What ends a run command: the exit code of an interrupt, as shells expect.
constexpr int kInterruptedExit = 130;

// The bound of a whole command: --timeout S, from the command's start.
struct CommandBound {
  int seconds = 0;  // 0: none given
  int64_t deadlineMs = 0;
  void Start(Context& ctx) {
    if (seconds > 0) deadlineMs = ctx.clock().NowMs() + int64_t{seconds} * 1000;
  }
  int VerifySeconds() const { return seconds > 0 ? seconds : kDefaultVerifySeconds; }
};

// The rest of a run from the command line: ticks until the run ends (Ctrl-C
// or the bound stops it, its state saved first), waits for the verification,
// writes and prints the results. Gives the exit code.
int RunToTheEnd(Context& ctx, CliUi& ui, InterruptWatch& interrupts, bool quiet,
                const CommandBound& bound, const std::string& resultsPath, std::ostream& out,
                std::ostream& err) {
  RunDrive drive;
  drive.wait = [&](int ms) { return interrupts.Wait(ms); };
  drive.takeCommands = [&] { return ui.TakeCommands(); };
  drive.deadlineMs = bound.deadlineMs;
  drive.verifySeconds = bound.VerifySeconds();
  drive.afterTick = [&](int tick, const RunProgress& p) {
    // No line once the run's end has cleared its display.
    if (quiet || tick % 4 != 0 || !p.base) return;
    char line[256];
    std::snprintf(line, sizeof line,
                  "Base %d  Ajout\xC3\xA9" "es %d  Attente %d  Finies %d  Connexions %d  Liens %d  "
                  "%.1f K/s  Load (Kb) %lld  %s\n",
                  *p.base, p.added.value_or(0), p.waiting.value_or(0), p.finished.value_or(0),
                  p.inProgress.value_or(0), p.probes, p.speed.value_or(0),
                  static_cast<long long>(p.loadKb.value_or(0)), ClockText(p.elapsed.value_or(0)).c_str());
    err << line << std::flush;
  };
  RunReport report = DriveRunToEnd(ctx, drive);
  if (!WriteResultsFile(ctx, resultsPath)) err << "orvilane-cli: cannot write " << resultsPath << '\n';
  PrintResultsTable(ctx, out);
  if (!quiet) {
    for (const std::string& message : ui.TakeMessages()) err << Printable(message) << '\n';
  }
  if (!report.allVerified) err << "orvilane-cli: not every link was verified\n";
  switch (report.end) {
    case RunEnd::Finished: return 0;
    case RunEnd::Interrupted:
      err << "orvilane-cli: interrupted; the state is saved for resume\n";
      return kInterruptedExit;
    case RunEnd::TimedOut:
      err << "orvilane-cli: stopped after " << bound.seconds << " s (--timeout); the state is saved for resume\n";
      return 1;
  }
  return 1;
}

}  // namespace

void PrintResultsTable(Context& ctx, std::ostream& out) {
  ResultsView view;
  view.RefreshList(ctx, ViewToggles{});
  for (const ListRow& row : view.Rows()) {
    if (!row.listed) continue;
    out << Printable(row.key) << '\t' << Printable(row.typeText) << '\t' << row.nbText << '\t'
        << row.hitsText << '\t' << row.sizeText << '\t' << EntryStatusName(row.status) << '\n';
  }
}

int RunResults(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string file;
  std::string rewrite;
  std::optional<ExportFormat> format;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--rewrite") {
      rewrite = OptionValue(inv.args, i, "results");
    } else if (arg == "--export") {
      format = ExportFormatNamed(OptionValue(inv.args, i, "results"));
      if (!format) throw UsageError("results: --export takes list, aria2 or csv");
    } else if (arg.starts_with("-")) {
      throw UsageError("results: unknown option '" + arg + "'");
    } else if (file.empty()) {
      file = arg;
    } else {
      throw UsageError("results: unexpected argument '" + arg + "'");
    }
  }
  if (file.empty()) throw UsageError("results: no results file given");
  Context ctx(ContextOptions{.appFolder = inv.home});
  // Only read: a fresh catalogue, and no verification runs.
  int notLoaded = 0;
  if (!ReadResultsFile(ctx, ctx.catalogue, file, &notLoaded)) {
    err << "orvilane-cli: cannot read " << file << '\n';
    return 1;
  }
  // Every entry is listed: the command line has no toggles and no filter.
  if (format) out << ExportLinks(ctx, ViewToggles{}, KeyFilter{}, *format);
  else PrintResultsTable(ctx, out);
  if (notLoaded > 0) {
    err << "orvilane-cli: " << notLoaded << " entries did not fit in the catalogue ("
        << ctx.catalogue.capacity << " at most) and are not listed\n";
    // A rewrite would lose them.
    if (!rewrite.empty()) {
      err << "orvilane-cli: " << rewrite << " not written\n";
      return 1;
    }
  }
  if (!rewrite.empty() && !WriteResultsFile(ctx, rewrite)) {
    err << "orvilane-cli: cannot write " << rewrite << '\n';
    return 1;
  }
  return 0;
}

int RunVerify(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::vector<std::string> urls;
  std::string listFile;
  int seconds = kDefaultVerifySeconds;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--in") listFile = OptionValue(inv.args, i, "verify");
    else if (arg == "--timeout") seconds = PositiveNumber(OptionValue(inv.args, i, "verify"), "--timeout");
    else if (arg.starts_with("-")) throw UsageError("verify: unknown option '" + arg + "'");
    // An address is bytes: as typed, so that "é" from a UTF-8 terminal goes
    // out as %C3%A9, the name the server has.
    else urls.push_back(arg);
  }
  if (!listFile.empty()) {
    std::optional<std::string> text = ReadWholeFile(listFile);
    if (!text) {
      err << "orvilane-cli: cannot read " << listFile << '\n';
      return 1;
    }
    for (size_t pos = 0; pos < text->size();) {
      size_t end = text->find('\n', pos);
      if (end == std::string::npos) end = text->size();
      std::string_view line = TrimWhite(std::string_view(*text).substr(pos, end - pos));
      if (!line.empty()) urls.emplace_back(line);
      pos = end + 1;
    }
  }
  if (urls.empty()) throw UsageError("verify: no link given");

  InterruptWatch interrupts(inv);
  Context ctx(ContextOptions{.appFolder = inv.home});
  ctx.LoadSettings();
  const std::vector<FoundFile*> files = AddLinksToVerify(ctx, urls);
  StartVerification(ctx);
  const VerifyWaitEnd end = WaitForVerification(ctx, ctx.clock().NowMs() + int64_t{seconds} * 1000,
                                                [&](int ms) { return interrupts.Wait(ms); });
  const bool interrupted = end == VerifyWaitEnd::Interrupted;
  const bool settled = end == VerifyWaitEnd::Settled || (interrupted && OpenFileCount(ctx) == 0);
  for (FoundFile* f : files) {
    // The address shown as it was typed (or as the list file has it).
    out << FileStateName(f->State()) << '\t' << f->size << '\t' << Printable(f->Date()) << '\t'
        << Printable(Utf8ToCp1252(f->url)) << '\n';
  }
  if (!settled) err << "orvilane-cli: not every link was verified" << (interrupted ? "" : " in time") << '\n';
  if (interrupted) return kInterruptedExit;
  return settled ? 0 : 1;
}

int RunScan(const Invocation& inv, std::ostream& out, std::ostream& err) {
  PageAnalysisChoices choices;
  std::string outFile;
  CommandBound bound;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--no-archives") choices.archives = false;
    else if (arg == "--no-exe") choices.executables = false;
    else if (arg == "--no-sad") choices.smartArchives = false;
    else if (arg == "--site") choices.wholeSite = true;
    else if (arg == "--ext") choices.extensions = Utf8ToCp1252(OptionValue(inv.args, i, "scan"));
    else if (arg == "--out") outFile = OptionValue(inv.args, i, "scan");
    else if (arg == "--timeout") bound.seconds = PositiveNumber(OptionValue(inv.args, i, "scan"), "--timeout");
    else if (arg.starts_with("-")) throw UsageError("scan: unknown option '" + arg + "'");
    else if (choices.address.empty()) choices.address = Utf8ToCp1252(arg);
    else throw UsageError("scan: unexpected argument '" + arg + "'");
  }
  if (choices.address.empty()) throw UsageError("scan: no page address given");

  InterruptWatch interrupts(inv);
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  interrupts.Watch(ctx);
  bound.Start(ctx);
  ctx.LoadSettings();
  StartPageAnalysis(ctx, choices);
  return RunToTheEnd(ctx, *ui, interrupts, inv.quiet, bound, ResultsPath(ctx, outFile, "scan.txt"), out, err);
}

namespace {

// Save/<search text>.txt: the name the save dialog offers.
std::string SearchFileName(const Context& ctx) {
  std::string name = ctx.SearchText.empty() ? "search" : ctx.SearchText;
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name + ".txt";
}

// The preparation window's board: per row and engine, the total announced and
// the pages queued; then the pages found by one engine alone and in all.
void PrintBoard(const HarvestProgress& p, std::ostream& err) {
  auto shown = [](const std::optional<int>& value) { return value ? std::to_string(*value) : std::string(); };
  for (size_t r = 0; r < SearchProfile::kKeyRows; ++r) {
    std::string line;
    for (size_t slot = 0; slot < kEngineSlots; ++slot) {
      const HarvestProgress::Cell& cell = p.cells[slot][r];
      if (!cell.total && !cell.ok) continue;
      line += "  " + p.names[slot] + " " +
              std::to_string(cell.total.value_or(0)) + "/" + std::to_string(cell.ok.value_or(0));
    }
    if (!line.empty()) err << "row " << r << ":" << line << '\n';
  }
  for (size_t slot = 0; slot < kEngineSlots; ++slot) {
    err << p.names[slot] << " " << shown(p.unique[slot]) << "  ";
  }
  err << "pages " << shown(p.found) << '\n';
  // A blocked engine says why, one that could not be read what to look at.
  for (const std::string& note : p.notes) {
    if (!note.empty()) err << Printable(note) << '\n';
  }
}

}  // namespace

int RunSearch(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string name, outFile;
  std::optional<std::string> input1, input2;
  int stopAt = kStopAtLimits[kDefaultStopAtPosition];
  bool log = false;
  CommandBound bound;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--profile") name = OptionValue(inv.args, i, "search");
    else if (arg == "--input") input1 = Utf8ToCp1252(OptionValue(inv.args, i, "search"));
    else if (arg == "--input2") input2 = Utf8ToCp1252(OptionValue(inv.args, i, "search"));
    else if (arg == "--stop-at") stopAt = PositiveNumber(OptionValue(inv.args, i, "search"), "--stop-at");
    else if (arg == "--log") log = true;
    else if (arg == "--out") outFile = OptionValue(inv.args, i, "search");
    else if (arg == "--timeout") bound.seconds = PositiveNumber(OptionValue(inv.args, i, "search"), "--timeout");
    else throw UsageError("search: unexpected argument '" + arg + "'");
  }
  if (name.empty()) throw UsageError("search: --profile NAME is required");
  InterruptWatch interrupts(inv);
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  interrupts.Watch(ctx);
  bound.Start(ctx);
  ctx.LoadSettings();
  ctx.activeProfile = LoadSearchProfile(ProfilePath(ctx.AppFolder, name));
  ctx.ProfileName = name;
  ctx.harvest.stopAt = stopAt;
  ctx.harvest.logEnabled = log;
  const HarvestInputs inputs{input1.value_or("").substr(0, kInputChars), input2.value_or("").substr(0, kInputChars),
                             ctx.activeProfile.UsesInput1()};
  if (!InputsGiven(inputs)) {
    err << "orvilane-cli: Indiquez ce que vous recherchez, please ...\n";
    return 2;
  }

  // Phase 1 runs on a thread of its own, so that Ctrl-C and the bound reach
  // it: either stops the harvest.
  int stoppedWith = 0;
  auto watchedHarvest = [&](Context& c) {
    HarvestJob job(c);
    job.Start(inputs);
    while (!job.Ended()) {
      const bool interrupted = interrupts.Wait(50);
      if (interrupted || (bound.deadlineMs != 0 && c.clock().NowMs() >= bound.deadlineMs)) {
        stoppedWith = interrupted ? kInterruptedExit : 1;
        job.Stop();
        break;
      }
    }
    const HarvestResult harvest = job.Join();
    ui->TakeMessages();
    if (!inv.quiet) PrintBoard(job.Progress(), err);
    return harvest.found && stoppedWith == 0;
  };
  if (NewSearch(ctx, SessionMode::Search, watchedHarvest) == StartOutcome::Cancelled) {
    if (stoppedWith == kInterruptedExit) err << "orvilane-cli: interrupted\n";
    else if (stoppedWith != 0) err << "orvilane-cli: stopped after " << bound.seconds << " s (--timeout)\n";
    else err << Printable("Aucune correspondance trouv\xE9" "e...") << '\n';
    return stoppedWith != 0 ? stoppedWith : 1;
  }
  return RunToTheEnd(ctx, *ui, interrupts, inv.quiet, bound, ResultsPath(ctx, outFile, SearchFileName(ctx)),
                     out, err);
}

int RunHarvestOnly(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const auto [name, input1, input2] = ReadProfileInputs(inv.args, "harvest");
  InterruptWatch interrupts(inv);
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  interrupts.Watch(ctx);
  ctx.LoadSettings();
  ctx.activeProfile = LoadSearchProfile(ProfilePath(ctx.AppFolder, name));
  ctx.ProfileName = name;
  ctx.harvest.autoStart = false;
  const HarvestInputs inputs{Utf8ToCp1252(input1.value_or("")).substr(0, kInputChars),
                             Utf8ToCp1252(input2.value_or("")).substr(0, kInputChars),
                             ctx.activeProfile.UsesInput1()};
  if (!InputsGiven(inputs)) throw UsageError("harvest: Indiquez ce que vous recherchez, please ...");

  HarvestJob job(ctx);
  job.Start(inputs);
  bool interrupted = false;
  while (!job.Ended()) {
    if (interrupts.Wait(50)) {
      interrupted = true;
      job.Stop();
      break;
    }
  }
  job.Join();
  ui->TakeMessages();
  const HarvestProgress board = job.Progress();
  int queued = 0;
  {
    std::lock_guard lock(ctx.QueueLock);
    for (const QueueEntryPtr& entry : ctx.queue.entries) {
      // 0: more than one engine gave the page.
      const int engine = entry->engine;
      out << (engine >= 1 && engine <= kEngineSlots ? Printable(board.names[static_cast<size_t>(engine - 1)])
                                                    : std::string("several"))
          << '\t' << Printable(entry->url) << '\n';
      ++queued;
    }
  }
  for (size_t slot = 0; slot < kEngineSlots; ++slot) {
    const HarvestProgress::Tally& t = board.tallies[slot];
    err << Printable(board.names[slot]) << ": pages asked " << t.pages << ", results read " << t.results
        << ", queued " << t.queued;
    // The status line's note without the engine's name, said already.
    std::string_view note = board.notes[slot];
    if (note.starts_with(board.names[slot] + " : ")) note.remove_prefix(board.names[slot].size() + 3);
    if (board.engines[slot] == EngineState::Blocked) err << Printable(", bloqu\xE9 (" + std::string(note) + ")");
    else if (board.engines[slot] == EngineState::GaveUp) err << ", " << Printable(note);
    else if (!note.empty()) err << " (" << Printable(note) << ")";
    err << '\n';
  }
  if (interrupted) return kInterruptedExit;
  return queued > 0 ? 0 : 3;
}

int RunResume(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string outFile;
  CommandBound bound;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--out") outFile = OptionValue(inv.args, i, "resume");
    else if (arg == "--timeout") bound.seconds = PositiveNumber(OptionValue(inv.args, i, "resume"), "--timeout");
    else throw UsageError("resume: unexpected argument '" + arg + "'");
  }
  InterruptWatch interrupts(inv);
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  interrupts.Watch(ctx);
  bound.Start(ctx);
  ctx.LoadSettings();
  if (ResumeSearch(ctx) == StartOutcome::Cancelled) {
    for (const std::string& message : ui->TakeMessages()) err << Printable(message) << '\n';
    return 1;
  }
  return RunToTheEnd(ctx, *ui, interrupts, inv.quiet, bound, ResultsPath(ctx, outFile, SearchFileName(ctx)),
                     out, err);
}

}  // namespace orvi::cli
