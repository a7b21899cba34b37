#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/context.h"

namespace orvi::cli {

struct Invocation {
  std::string home;               // --home, or empty
  bool quiet = false;             // -q
  std::vector<std::string> args;  // after the command name
  // For an in-process caller: raises the interrupt once it holds.
  std::function<bool(const Context&)> interruptWhen;
};

// A usage error: one line on stderr, exit code 2.
class UsageError {
 public:
  explicit UsageError(std::string text) : message(std::move(text)) {}
  std::string message;
};

// The value after an option, or a usage error.
std::string OptionValue(const std::vector<std::string>& args, size_t& i, const std::string& command);
// A whole number of at least 1, or a usage error.
int PositiveNumber(const std::string& text, const std::string& what);

// Texts are Windows-1252 inside and UTF-8 on the terminal.
std::string Printable(std::string_view text);

// One line per entry that is not deleted: key, type, Nb, Hits, Taille, status.
void PrintResultsTable(Context& ctx, std::ostream& out);

int RunResults(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunVerify(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunScan(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunSearch(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunHarvestOnly(const Invocation& inv, std::ostream& out, std::ostream& err);
int RunResume(const Invocation& inv, std::ostream& out, std::ostream& err);

}  // namespace orvi::cli
