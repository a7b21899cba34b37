// orvilane-sandbox: the search engines and web sites of a fixture folder,
// served on the loopback interface, so that a whole search runs offline.
#include <signal.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "platform/text.h"
#include "sandbox/sandbox_server.h"

namespace {

constexpr char kUsage[] =
    "Usage: orvilane-sandbox [--port N] [--bind ADDRESS] [--max-connections N] [--quiet]\n"
    "                        FIXTURE_DIR\n"
    "\n"
    "Serves the result pages of Google, Fast and WiseNut for the queries that the\n"
    "*.txt files of FIXTURE_DIR describe, the files of their [files] blocks, and\n"
    "the sites under FIXTURE_DIR/sites, until Ctrl-C or SIGTERM.\n"
    "\n"
    "  --port N              port to listen on; 0 (the default) picks a free one\n"
    "  --bind ADDRESS        IPv4 address to listen on (default 127.0.0.1)\n"
    "  --max-connections N   connections served at once (default 64)\n"
    "  --quiet               no line per request on stderr\n"
    "\n"
    "The first line on stdout is \"listening on ADDRESS:PORT\".\n"
    "Exit codes: 0 stopped by a signal, 1 cannot listen, 2 usage or fixture error.\n";

bool ParseNumber(const std::string& text, unsigned long max, unsigned long& value) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  value = std::stoul(text);
  return value <= max;
}

int Usage(const std::string& message) {
  std::cerr << "orvilane-sandbox: " << message << "\n\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace orvi::sandbox;
  ServerOptions options;
  bool quiet = false;
  std::string folder;
  std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    unsigned long number = 0;
    bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (arg == "--quiet" || arg == "-q") {
      quiet = true;
    } else if (arg == "--port") {
      if (!hasValue || !ParseNumber(args[++i], 65535, number)) return Usage("--port needs a number from 0 to 65535");
      options.port = static_cast<uint16_t>(number);
    } else if (arg == "--bind") {
      if (!hasValue) return Usage("--bind needs an IPv4 address");
      options.bindAddress = args[++i];
    } else if (arg == "--max-connections") {
      if (!hasValue || !ParseNumber(args[++i], 4096, number) || number == 0) {
        return Usage("--max-connections needs a number from 1 to 4096");
      }
      options.maxConnections = number;
    } else if (arg.starts_with("-")) {
      return Usage("unknown option '" + arg + "'");
    } else if (folder.empty()) {
      folder = arg;
    } else {
      return Usage("one fixture folder only");
    }
  }
  if (folder.empty()) return Usage("no fixture folder given");

  Fixture fixture;
  std::string error;
  if (!LoadFixtureFolder(folder, fixture, error)) {
    std::cerr << "orvilane-sandbox: " << error << "\n";
    return 2;
  }
  size_t answers = fixture.AnswerCount(), files = fixture.FileCount();
  auto site = std::make_shared<const Site>(std::move(fixture), folder + "/sites");

  // The signals are taken by sigwait below; blocked before any thread starts,
  // they stay blocked in all of them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  if (!quiet) options.log = &std::cerr;
  Server server(site);
  if (!server.Start(options, error)) {
    std::cerr << "orvilane-sandbox: " << error << "\n";
    return 1;
  }
  std::cout << "listening on " << options.bindAddress << ":" << server.port() << std::endl;
  std::cerr << "orvilane-sandbox: " << answers << " engine answers, " << files << " served files, sites in "
            << folder << "/sites\n"
            << "Point ORVI.ini at it:\n[Engines]\n";
  for (const char* key : {"GoogleUrl", "GoogleFallbackUrl", "FastUrl", "WiseNutUrl", "TranslateUrl", "SiteUrl"}) {
    std::cerr << key << "=" << server.baseUrl() << "\n";
  }
  // Today's engines live under a path each; /blocked/ before it refuses.
  for (const char* engine : {"Mojeek", "DuckDuckGo", "Bing"}) {
    std::cerr << engine << "Url=" << server.baseUrl() << "/" << orvi::AsciiLower(engine) << "\n";
  }
  std::cerr << "Ctrl-C stops.\n";

  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.Stop();
  if (!quiet) std::cerr << "orvilane-sandbox: stopped\n";
  return 0;
}
