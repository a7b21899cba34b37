#include <iostream>

#include "app/cli.h"
#include "core/program_folder.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  // The options come before the command; without --home the program folder
  // is found the way the windows find it.
  bool hasHome = false;
  for (const std::string& arg : args) {
    if (arg == "--home") hasHome = true;
    if (arg.empty() || arg[0] != '-') break;
  }
  if (!hasHome) {
    args.insert(args.begin(), {"--home", orvi::ResolveProgramFolder("")});
  }
  return orvi::RunCli(args, std::cout, std::cerr);
}
