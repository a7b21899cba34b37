#include "app/cli.h"

#include <cstdio>
#include <functional>
#include <map>
#include <optional>

#include "app/cli_internal.h"
#include "core/context.h"
#include "platform/cp1252.h"
#include "platform/text.h"
#include "search/harvest.h"
#include "search/profile_file.h"
#include "search/query_plan.h"

namespace orvi {
namespace cli {

std::string Printable(std::string_view text) {
  // Page-borne text must not drive the terminal. That also keeps one record
  // per line and tabs as separators.
  return Cp1252ToPrintableUtf8(text);
}

std::string OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& command) {
  if (i + 1 >= args.size()) throw UsageError(command + ": " + args[i] + " needs a value");
  return args[++i];
}

ProfileInputs ReadProfileInputs(const std::vector<std::string>& args, const std::string& command) {
  std::optional<std::string> name;
  ProfileInputs out;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::optional<std::string>* target = arg == "--profile" ? &name
                                         : arg == "--input"  ? &out.input1
                                         : arg == "--input2" ? &out.input2
                                                             : nullptr;
    if (target == nullptr) throw UsageError(command + ": unexpected argument '" + arg + "'");
    if (*target) throw UsageError(command + ": " + arg + " given twice");
    *target = OptionValue(args, i, command);
  }
  if (!name || name->empty()) throw UsageError(command + ": --profile NAME is required");
  out.name = *name;
  return out;
}

int PositiveNumber(const std::string& text, const std::string& what) {
  bool digits = !text.empty() && text.size() <= 9 &&
                text.find_first_not_of("0123456789") == std::string::npos;
  if (!digits || ParseIntLoose(text) < 1) throw UsageError(what + " needs a whole number of at least 1");
  return ParseIntLoose(text);
}

}  // namespace cli

namespace {

using cli::Invocation;
using cli::Printable;
using cli::UsageError;

constexpr char kVersion[] = "0.41";

constexpr char kHelp[] =
    "Usage: orvilane-cli [--home DIR] [-q] COMMAND [OPTIONS]\n"
    "\n"
    "Runs the Orvilane core without windows.\n"
    "\n"
    "Global options:\n"
    "  --home DIR     use DIR as the program folder (ORVI.ini, Profils, Save);\n"
    "                 without it: the program's own folder when it holds a\n"
    "                 writable ORVI.ini, else ~/.local/share/orvilane\n"
    "  -q             no progress lines on stderr\n"
    "  --help         show this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Commands:\n"
    "  config [--save]\n"
    "      Print the effective settings of section \"Config\" of ORVI.ini, one\n"
    "      Key=value line per key, in the order they are saved. With --save,\n"
    "      write them back to ORVI.ini (so a hand-edited file gets its clamped\n"
    "      values).\n"
    "  profile NAME [--save]\n"
    "      Print the search profile NAME, its path under Profils without .ini\n"
    "      (for example /Musique/mp3), one Key=value line per key, in the order\n"
    "      and form they are saved. A missing file prints the defaults. With\n"
    "      --save, write the profile back to its file.\n"
    "  queries --profile NAME --input TEXT [--input2 TEXT]\n"
    "      Send nothing; print what a search with this profile and input would\n"
    "      request first, in order: for each keyword row asked a line\n"
    "      \"#<TAB>query\", then \"G<TAB>url\" (Google), \"F<TAB>url\" (Fast) and\n"
    "      one \"W<TAB>url\" per WiseNut query, for the engines the row is ticked\n"
    "      for. TEXT is UTF-8; the second input needs a profile with two.\n"
    "  results FILE [--rewrite OUT] [--export list|aria2|csv]\n"
    "      Read a results file and print one line per entry: key, type, Nb,\n"
    "      Hits, Taille and status, tab-separated, as the results list shows\n"
    "      them. Nothing is verified. With --rewrite, write what was read to OUT.\n"
    "      With --export, print instead the files for a download manager or a\n"
    "      spreadsheet: list, the address of each valid file, one a line (for\n"
    "      wget -i or curl); aria2, an input file for aria2c -i (the copies of\n"
    "      one file as mirrors, each set's volumes in a folder named by its\n"
    "      key); csv, every file with key,type,name,url,page,state,size,date.\n"
    "      In UTF-8, addresses percent-encoded as they are asked for.\n"
    "      Entries beyond the catalogue's 4096 are counted on stderr; with\n"
    "      --rewrite they make the command fail rather than be dropped.\n"
    "  verify [--in FILE] [--timeout S] [URL ...]\n"
    "      Check each link (http:// or ftp://, the arguments or one per line of\n"
    "      FILE) on its server with the settings of ORVI.ini, then print one\n"
    "      line per link: state, size, date and the link. Exit 1 when not\n"
    "      every link was checked within S seconds (default 120).\n"
    "  scan URL [--no-archives] [--no-exe] [--no-sad] [--ext LIST] [--site]\n"
    "       [--out FILE] [--timeout S]\n"
    "      Analyse one web page for links to files, as the page analysis\n"
    "      window does: archives (zip, rar, ace, 7z, with their volumes),\n"
    "      executables and smart archive detection unless turned off, other\n"
    "      extensions as a comma-separated LIST, and with --site every page of\n"
    "      the same site too. Runs to the end, waits up to 120 seconds for the\n"
    "      links to be checked, writes the results (default Save/scan.txt in\n"
    "      the program folder) and prints them as the results command does.\n"
    "      Unless -q, a progress line every second.\n"
    "  search --profile NAME --input TEXT [--input2 TEXT] [--stop-at N] [--log]\n"
    "       [--out FILE] [--timeout S]\n"
    "      Ask the engines with the profile's keyword rows (stop at N pages,\n"
    "      default 500; --log writes Log.txt), print the board on stderr, then\n"
    "      explore the pages, verify the files and write the results (default\n"
    "      Save/<search text>.txt). Exit 1 when the engines gave nothing.\n"
    "  harvest --profile NAME --input TEXT [--input2 TEXT]\n"
    "      Ask the engines of [Engines] Engine1..3 with the profile's keyword\n"
    "      rows, as a search's first phase, and explore nothing. Prints one\n"
    "      line per page queued, in queue order: engine name<TAB>address\n"
    "      (\"several\" when more than one engine gave it); on stderr one line\n"
    "      per engine: pages asked, results read, pages queued, and why it\n"
    "      was blocked. Exit 0 when a page was queued, 3 when none.\n"
    "  resume [--out FILE] [--timeout S]\n"
    "      Continue the search saved in profilsvg.ini, rechsvg.ini and\n"
    "      Resultsvg.txt, then as search.\n"
    "\n"
    "  For scan, search and resume: --timeout S ends the whole command within\n"
    "  S seconds (harvest, exploration and checks): the run is stopped there\n"
    "  as Ctrl-C stops it, and the command exits 1. Ctrl-C saves the state of\n"
    "  the search as the program's \"save the search state\" does (resume goes\n"
    "  on from there), stops the run, writes and prints what was found, and\n"
    "  exits 130.\n"
    "\n"
    "Exit codes: 0 done, 1 failed, 2 usage error, 3 nothing queued (harvest),\n"
    "130 interrupted.\n"
    "Text that comes from web pages is printed with its control bytes shown\n"
    "as \\xHH.\n";

int RunConfig(const Invocation& inv, std::ostream& out, std::ostream& err) {
  bool save = false;
  for (const std::string& arg : inv.args) {
    if (arg == "--save") save = true;
    else throw UsageError("config: unknown option '" + arg + "'");
  }
  Context ctx(ContextOptions{.appFolder = inv.home});
  ctx.LoadSettings();
  for (const auto& [key, value] : SettingsAsWritten(ctx.settings)) {
    out << key << '=' << value << '\n';
  }
  // Section "Net" only when the user set something in it.
  if (ctx.netSettings.Https) out << "Https=1\n";
  if (!ctx.netSettings.CaFile.empty()) out << "CaFile=" << Printable(ctx.netSettings.CaFile) << '\n';
  if (save && !ctx.SaveSettings()) {
    err << "orvilane-cli: cannot write " << ctx.SettingsPath() << '\n';
    return 1;
  }
  return 0;
}

int RunProfile(const Invocation& inv, std::ostream& out, std::ostream& err) {
  bool save = false;
  std::string name;
  for (const std::string& arg : inv.args) {
    if (arg == "--save") {
      save = true;
    } else if (arg.starts_with("-")) {
      throw UsageError("profile: unknown option '" + arg + "'");
    } else if (name.empty()) {
      name = arg;
    } else {
      throw UsageError("profile: unexpected argument '" + arg + "'");
    }
  }
  if (name.empty()) throw UsageError("profile: no profile name given");
  Context ctx(ContextOptions{.appFolder = inv.home});
  // The name stays in the bytes of the command line: it names a file.
  std::string path = ProfilePath(ctx.AppFolder, name);
  ctx.editorProfile = LoadSearchProfile(path);
  for (const auto& [key, value] : ProfileAsWritten(ctx.editorProfile)) {
    out << key << '=' << Printable(value) << '\n';
  }
  if (save && !SaveSearchProfile(path, ctx.editorProfile)) {
    err << "orvilane-cli: cannot write " << path << '\n';
    return 1;
  }
  return 0;
}

int RunQueries(const Invocation& inv, std::ostream& out, std::ostream&) {
  const auto [name, input1, input2] = cli::ReadProfileInputs(inv.args, "queries");
  if (!input1) throw UsageError("queries: --input TEXT is required");

  Context ctx(ContextOptions{.appFolder = inv.home});
  ctx.LoadSettings();
  ctx.activeProfile = LoadSearchProfile(ProfilePath(ctx.AppFolder, name));
  ctx.ProfileName = Utf8ToCp1252(ProfileShortName(name));
  const SearchProfile& profile = ctx.activeProfile;
  // The window hides the second input of a one-input profile and empties it.
  std::string text2 = Utf8ToCp1252(input2.value_or(""));
  if (!text2.empty() && profile.LibS2.empty()) {
    throw UsageError("queries: profile " + name + " has one input; --input2 is not used");
  }
  SearchInputs inputs = PrepareSearchInputs(Utf8ToCp1252(*input1), text2);
  // A profile that needs no input disables the first field; otherwise a
  // search needs something to look for.
  if (!InputsGiven({inputs.input1, inputs.input2, profile.UsesInput1()})) {
    throw UsageError("queries: Indiquez ce que vous recherchez, please ...");
  }
  ctx.SearchText = inputs.searchText;
  for (const PlannedRow& row : PlanFirstRequests(ctx, profile, inputs)) {
    out << "#\t" << Printable(row.display) << '\n';
    for (const PlannedRequest& request : row.requests) {
      // The designed engines by their letter, today's by their name.
      if (request.row != nullptr) out << request.row->letter;
      else out << Printable(request.name);
      out << '\t' << Printable(request.url);
      if (!request.body.empty()) out << '\t' << Printable(request.body);
      out << '\n';
    }
  }
  return 0;
}

using Command = std::function<int(const Invocation&, std::ostream&, std::ostream&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"config", RunConfig},
      {"profile", RunProfile},
      {"queries", RunQueries},
      {"results", cli::RunResults},
      {"verify", cli::RunVerify},
      {"scan", cli::RunScan},
      {"search", cli::RunSearch},
      {"harvest", cli::RunHarvestOnly},
      {"resume", cli::RunResume},
  };
  return commands;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  return RunCli(args, out, err, CliHooks{});
}

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliHooks& hooks) {
  Invocation inv;
  inv.interruptWhen = hooks.interruptWhen;
  const Command* command = nullptr;
  try {
    size_t i = 0;
    for (; i < args.size() && command == nullptr; ++i) {
      const std::string& arg = args[i];
      if (arg == "--help" || arg == "-h") {
        out << kHelp;
        return 0;
      }
      if (arg == "--version") {
        out << kVersion << '\n';
        return 0;
      }
      if (arg == "-q") {
        inv.quiet = true;
        continue;
      }
      if (arg == "--home") {
        if (i + 1 >= args.size() || args[i + 1].empty()) throw UsageError("--home needs a folder");
        inv.home = args[++i];
        continue;
      }
      auto found = Commands().find(arg);
      if (found == Commands().end()) {
        throw UsageError(arg.starts_with("-") ? "unknown option '" + arg + "'"
                                              : "unknown command '" + arg + "'");
      }
      command = &found->second;
    }
    if (command == nullptr) throw UsageError("no command given (try --help)");
    inv.args.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    return (*command)(inv, out, err);
  } catch (const UsageError& e) {
    err << "orvilane-cli: " << e.message << '\n';
    return 2;
  }
}

}  // namespace orvi
