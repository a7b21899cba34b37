#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvi {

// The command-line front end: parses the arguments, runs the command and
// returns the exit code (0 done, 2 usage error). Output goes to out, messages
// to err.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace orvi
