#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"

namespace orvi::test {

// One run of the command-line front end, in the test's own process.
struct CliRun {
  int code;
  std::string out;
  std::string err;
};

inline CliRun Cli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int code = RunCli(args, out, err);
  return {code, out.str(), err.str()};
}

}  // namespace orvi::test
