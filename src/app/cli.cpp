#include "app/cli.h"

#include <functional>
#include <map>

#include "core/context.h"

namespace orvi {
namespace {

constexpr char kVersion[] = "0.41";

constexpr char kHelp[] =
    "Usage: orvilane-cli [--home DIR] COMMAND [OPTIONS]\n"
    "\n"
    "Runs the Orvilane core without windows.\n"
    "\n"
    "Global options:\n"
    "  --home DIR     use DIR as the program folder (ORVI.ini, Profils, Save)\n"
    "                 instead of the folder of the executable\n"
    "  --help         show this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Commands:\n"
    "  config [--save]\n"
    "      Print the effective settings of section \"Config\" of ORVI.ini, one\n"
    "      Key=value line per key, in the order they are saved. With --save,\n"
    "      write them back to ORVI.ini (so a hand-edited file gets its clamped\n"
    "      values).\n"
    "\n"
    "Exit codes: 0 done, 1 failed, 2 usage error.\n";

struct Invocation {
  std::string home;
  std::vector<std::string> args;  // after the command name
};

class UsageError {
 public:
  explicit UsageError(std::string text) : message(std::move(text)) {}
  std::string message;
};

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
  if (save && !ctx.SaveSettings()) {
    err << "orvilane-cli: cannot write " << ctx.SettingsPath() << '\n';
    return 1;
  }
  return 0;
}

using Command = std::function<int(const Invocation&, std::ostream&, std::ostream&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"config", RunConfig},
  };
  return commands;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Invocation inv;
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
