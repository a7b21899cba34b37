#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace orvi {

// The command-line front end: parses the arguments, runs the command and
// returns the exit code (0 done, 2 usage error). Output goes to out, messages
// to err.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

class Context;
// What an in-process caller (a test) adds: an interrupt raised at a point of
// its choosing, as Ctrl-C would raise it, checked at every tick of a run.
struct CliHooks {
  std::function<bool(const Context&)> interruptWhen;
};
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const CliHooks& hooks);

}  // namespace orvi
