#include <iostream>

#include "app/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return orvi::RunCli(args, std::cout, std::cerr);
}
