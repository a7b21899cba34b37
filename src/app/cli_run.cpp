// The commands that read results files, verify links and explore pages.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <optional>
#include <tuple>
#include <mutex>
#include <thread>
#include <utility>

#include "app/cli_internal.h"
#include "explore/exploration_run.h"
#include "platform/cp1252.h"
#include "platform/file_io.h"
#include "platform/text.h"
#include "results/catalogue.h"
#include "results/results_file.h"
#include "results/results_view.h"
#include "results/verification.h"
#include "search/harvest.h"
#include "search/profile_file.h"
#include "search/query.h"
#include "search/search_state.h"

namespace orvi::cli {
namespace {

constexpr int kTickMs = 250;
constexpr int kDefaultVerifySeconds = 120;

// The windows' side of a run without windows: posted commands are carried out
// on the command's own thread at its next tick, as a window would on its own.
class CliUi final : public UiPort {
 public:
  void SetFieldText(int id, const std::string& text) override {
    std::lock_guard lock(mutex_);
    fields_[id] = text;
  }
  void ShowControl(int, bool) override {}
  std::string Field(int id) {
    std::lock_guard lock(mutex_);
    auto it = fields_.find(id);
    return it == fields_.end() ? std::string() : it->second;
  }
  void PostCommand(int id) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(id);
  }
  void MessageBox(const MessageSpec& box) override {
    std::lock_guard lock(mutex_);
    messages_.push_back(box.text);
  }
  bool WindowExists(int) override { return false; }

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
  std::map<int, std::string> fields_;
};

// Ctrl-C arrives on a descriptor instead of interrupting a thread; the tick
// loop waits on it, so it is also the loop's clock.
class InterruptWatch {
 public:
  InterruptWatch() {
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
  // Waits up to ms; true when an interrupt came.
  bool Wait(int ms) {
    pollfd p{fd_, POLLIN, 0};
    if (fd_ < 0 || ::poll(&p, 1, ms) <= 0) {
      if (fd_ < 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      return false;
    }
    signalfd_siginfo info;
    return ::read(fd_, &info, sizeof info) == sizeof info;
  }

 private:
  sigset_t mask_;
  sigset_t old_;
  int fd_ = -1;
};

std::vector<FoundFile*> OpenFiles(Context& ctx) {
  std::vector<FoundFile*> open;
  std::lock_guard lock(ctx.CatalogueLock);
  for (const auto& entry : ctx.catalogue.entries) {
    if (!entry || entry->deleted || entry->key.starts_with("@")) continue;
    for (FoundFile* g = entry->files; g; g = g->nextGroup) {
      for (FoundFile* f = g; f; f = f->nextCopy) {
        if (f->state <= 0) open.push_back(f);
      }
    }
  }
  return open;
}

// Waits until no file waits for its probe or is being probed; false when the
// time ran out or the user interrupted.
bool WaitVerified(Context& ctx, InterruptWatch& interrupts, int seconds) {
  for (int waited = 0; !OpenFiles(ctx).empty(); waited += 50) {
    if (waited >= seconds * 1000 || interrupts.Wait(50)) return false;
  }
  return true;
}

std::string ResultsPath(Context& ctx, const std::string& out, const std::string& name) {
  if (!out.empty()) return out;
  std::string folder = ctx.AppFolder + "Save";
  ::mkdir(folder.c_str(), 0755);
  return folder + "/" + name;
}

// The rest of a run from the command line: ticks until the run ends (Ctrl-C
// stops it), waits for the verification, writes and prints the results.
void RunToTheEnd(Context& ctx, CliUi& ui, InterruptWatch& interrupts, bool quiet, int seconds,
                 const std::string& resultsPath, std::ostream& out, std::ostream& err) {
  bool interrupted = false;
  for (int tick = 0; ctx.run.SchedulerActive; ++tick) {
    if (interrupts.Wait(kTickMs)) {
      interrupted = true;
      StopAndClearQueue(ctx);
      break;
    }
    for (int id : ui.TakeCommands()) {
      if (id == ids::kPauseContinue) TogglePause(ctx);
      if (id == ids::kSaveSearchState) SaveSearchStateCommand(ctx);
    }
    OnRunTimer(ctx);
    const ExplorationRun& r = ctx.run;
    if (!quiet && tick % 4 == 0) {
      char line[256];
      std::snprintf(line, sizeof line,
                    "Base %d  Ajout\xC3\xA9" "es %d  Attente %d  Finies %d  Connexions %d  Liens %d  "
                    "%.1f K/s  Load (Kb) %lld  %s\n",
                    r.BaseCount.load(), r.AddedCount.load(), r.WaitingCount.load(),
                    r.FinishedCount.load(), std::max(0, r.InProgress.load()),
                    ctx.verification.ActiveProbeCount(), r.Speed,
                    static_cast<long long>(r.TotalBytes / 1024), ClockText(r.ElapsedSeconds).c_str());
      err << line << std::flush;
    }
  }
  JoinRunThreads(ctx);
  bool settled = !interrupted && WaitVerified(ctx, interrupts, seconds);
  if (!WriteResultsFile(ctx, resultsPath)) err << "orvilane-cli: cannot write " << resultsPath << '\n';
  PrintResultsTable(ctx, out);
  if (!quiet) {
    for (const std::string& message : ui.TakeMessages()) err << Printable(message) << '\n';
    if (!settled) err << "orvilane-cli: not every link was verified\n";
  }
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
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--rewrite") rewrite = OptionValue(inv.args, i, "results");
    else if (arg.starts_with("-")) throw UsageError("results: unknown option '" + arg + "'");
    else if (file.empty()) file = arg;
    else throw UsageError("results: unexpected argument '" + arg + "'");
  }
  if (file.empty()) throw UsageError("results: no results file given");
  Context ctx(ContextOptions{.appFolder = inv.home});
  // Only read: a fresh catalogue, and no verification runs.
  if (!ReadResultsFile(ctx, ctx.catalogue, file)) {
    err << "orvilane-cli: cannot read " << file << '\n';
    return 1;
  }
  PrintResultsTable(ctx, out);
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
    else urls.push_back(Utf8ToCp1252(arg));
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

  InterruptWatch interrupts;
  Context ctx(ContextOptions{.appFolder = inv.home});
  ctx.LoadSettings();
  std::vector<FoundFile*> files;
  {
    std::lock_guard lock(ctx.CatalogueLock);
    for (size_t i = 0; i < urls.size() && ctx.catalogue.count() < ctx.catalogue.capacity; ++i) {
      auto entry = std::make_shared<FoundEntry>();
      entry->key = "link" + std::to_string(i + 1);
      entry->files = entry->NewFile();
      entry->files->url = urls[i].substr(0, 239);
      std::string_view name = entry->files->url;
      entry->files->name = std::string(name.substr(name.rfind('/') + 1)).substr(0, kMaxName);
      files.push_back(entry->files);
      ctx.catalogue.entries.push_back(std::move(entry));
    }
  }
  StartVerification(ctx);
  bool settled = WaitVerified(ctx, interrupts, seconds);
  for (FoundFile* f : files) {
    out << FileStateName(f->State()) << '\t' << f->size << '\t' << Printable(f->Date()) << '\t'
        << Printable(f->url) << '\n';
  }
  if (!settled) err << "orvilane-cli: not every link was verified in time\n";
  return settled ? 0 : 1;
}

int RunScan(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string url;
  std::string extensions;
  std::string outFile;
  bool archives = true, executables = true, sad = true, site = false;
  int seconds = kDefaultVerifySeconds;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--no-archives") archives = false;
    else if (arg == "--no-exe") executables = false;
    else if (arg == "--no-sad") sad = false;
    else if (arg == "--site") site = true;
    else if (arg == "--ext") extensions = Utf8ToCp1252(OptionValue(inv.args, i, "scan"));
    else if (arg == "--out") outFile = OptionValue(inv.args, i, "scan");
    else if (arg == "--timeout") seconds = PositiveNumber(OptionValue(inv.args, i, "scan"), "--timeout");
    else if (arg.starts_with("-")) throw UsageError("scan: unknown option '" + arg + "'");
    else if (url.empty()) url = Utf8ToCp1252(arg);
    else throw UsageError("scan: unexpected argument '" + arg + "'");
  }
  if (url.empty()) throw UsageError("scan: no page address given");

  InterruptWatch interrupts;
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  ctx.LoadSettings();

  // What the page analysis dialog's "Go !" sets up: a throw-away profile in
  // systematic mode and a queue of the one page.
  SearchProfile& p = ctx.activeProfile;
  p = SearchProfile{};
  p.ExtractAll = true;
  p.EnableNews = true;
  p.Zip = p.Archiv = archives;
  p.Exe = executables;
  p.SAD = sad;
  p.SiteScan = site;
  p.MaxDomains = site ? 999 : 0;
  if (!extensions.empty()) {
    for (size_t pos = 0; pos <= extensions.size() && p.ExtensionCount < SearchProfile::kMaxExtensions;) {
      size_t comma = extensions.find(',', pos);
      if (comma == std::string::npos) comma = extensions.size();
      std::string_view piece = std::string_view(extensions).substr(pos, comma - pos);
      while (!piece.empty() && piece.front() == ' ') piece.remove_prefix(1);
      while (!piece.empty() && piece.back() == ' ') piece.remove_suffix(1);
      p.Extensions[static_cast<size_t>(p.ExtensionCount++)] = std::string(piece.substr(0, 15));
      pos = comma + 1;
    }
  }
  {
    std::lock_guard lock(ctx.QueueLock);
    ctx.queue.entries.clear();
    ctx.queue.entries.push_back(
        std::make_shared<QueueEntry>(url.substr(0, 239), 0, FoundBy::FromEngine, 0));
  }
  ctx.SearchText.clear();

  StartExplorationRun(ctx, RunMode::Scan);
  RunToTheEnd(ctx, *ui, interrupts, inv.quiet, seconds, ResultsPath(ctx, outFile, "scan.txt"), out, err);
  return 0;
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
void PrintBoard(CliUi& ui, std::ostream& err) {
  for (int r = 0; r < 10; ++r) {
    std::string line;
    for (auto [name, total, ok] : {std::tuple{"Google", prep_ids::kGoogleTotal, prep_ids::kGoogleOk},
                                   std::tuple{"Fast", prep_ids::kFastTotal, prep_ids::kFastOk},
                                   std::tuple{"WiseNut", prep_ids::kWiseNutTotal, prep_ids::kWiseNutOk}}) {
      std::string t = ui.Field(total + r), o = ui.Field(ok + r);
      if (!t.empty() || !o.empty()) line += std::string("  ") + name + " " + (t.empty() ? "0" : t) + "/" + (o.empty() ? "0" : o);
    }
    if (!line.empty()) err << "row " << r << ":" << line << '\n';
  }
  err << "Google " << ui.Field(prep_ids::kUniqueGoogle) << "  Fast " << ui.Field(prep_ids::kUniqueFast)
      << "  WiseNut " << ui.Field(prep_ids::kUniqueWiseNut) << "  pages " << ui.Field(prep_ids::kFound) << '\n';
}

}  // namespace

int RunSearch(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string name, outFile;
  std::optional<std::string> input1, input2;
  int stopAt = 500, seconds = kDefaultVerifySeconds;
  bool log = false;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--profile") name = OptionValue(inv.args, i, "search");
    else if (arg == "--input") input1 = Utf8ToCp1252(OptionValue(inv.args, i, "search"));
    else if (arg == "--input2") input2 = Utf8ToCp1252(OptionValue(inv.args, i, "search"));
    else if (arg == "--stop-at") stopAt = PositiveNumber(OptionValue(inv.args, i, "search"), "--stop-at");
    else if (arg == "--log") log = true;
    else if (arg == "--out") outFile = OptionValue(inv.args, i, "search");
    else if (arg == "--timeout") seconds = PositiveNumber(OptionValue(inv.args, i, "search"), "--timeout");
    else throw UsageError("search: unexpected argument '" + arg + "'");
  }
  if (name.empty()) throw UsageError("search: --profile NAME is required");
  InterruptWatch interrupts;
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  ctx.LoadSettings();
  ctx.activeProfile = LoadSearchProfile(ProfilePath(ctx.AppFolder, name));
  ctx.ProfileName = name;
  const SearchProfile& p = ctx.activeProfile;
  bool input1Enabled = !(p.ExtractAll && !p.FindS);
  std::string in1 = input1.value_or("").substr(0, 79), in2 = input2.value_or("").substr(0, 79);
  if (in1.empty() && in2.empty() && input1Enabled) {
    err << "orvilane-cli: Indiquez ce que vous recherchez, please ...\n";
    return 2;
  }
  ctx.harvest.stopAt = stopAt;
  ctx.harvest.logEnabled = log;
  ctx.harvest.running = true;
  HarvestResult harvest = RunHarvest(ctx, in1, in2, input1Enabled);
  ui->TakeMessages();
  if (!inv.quiet) PrintBoard(*ui, err);
  if (!harvest.found) {
    err << Printable("Aucune correspondance trouv\xE9" "e...") << '\n';
    return 1;
  }
  StartExplorationRun(ctx, RunMode::Search);
  RunToTheEnd(ctx, *ui, interrupts, inv.quiet, seconds, ResultsPath(ctx, outFile, SearchFileName(ctx)), out, err);
  return 0;
}

int RunResume(const Invocation& inv, std::ostream& out, std::ostream& err) {
  std::string outFile;
  int seconds = kDefaultVerifySeconds;
  for (size_t i = 0; i < inv.args.size(); ++i) {
    const std::string& arg = inv.args[i];
    if (arg == "--out") outFile = OptionValue(inv.args, i, "resume");
    else if (arg == "--timeout") seconds = PositiveNumber(OptionValue(inv.args, i, "resume"), "--timeout");
    else throw UsageError("resume: unexpected argument '" + arg + "'");
  }
  InterruptWatch interrupts;
  auto ui = std::make_shared<CliUi>();
  Context ctx(ContextOptions{.appFolder = inv.home, .ui = ui});
  ctx.LoadSettings();
  if (!RestoreSearchState(ctx)) {
    for (const std::string& message : ui->TakeMessages()) err << Printable(message) << '\n';
    return 1;
  }
  StartExplorationRun(ctx, RunMode::Resume);
  // The files found before the save come back; waiting ones are probed again.
  ClearCatalogue(ctx);
  ReadResultsFile(ctx, ctx.catalogue, SavedResultsPath(ctx));
  RunToTheEnd(ctx, *ui, interrupts, inv.quiet, seconds, ResultsPath(ctx, outFile, SearchFileName(ctx)), out, err);
  return 0;
}

}  // namespace orvi::cli
