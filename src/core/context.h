#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/found_files.h"
#include "core/harvest_state.h"
#include "core/run_state.h"
#include "core/search_profile.h"
#include "core/settings.h"
#include "core/socket_registry.h"
#include "core/ui_port.h"
#include "core/verification_state.h"
#include "core/web_engines.h"
#include "platform/clock.h"

namespace orvi {

struct QueueEntry;  // a page of the exploration queue (explore/queue.h)

// The pages of the current search, in the order they were accepted; an
// entry's index never changes during a run. Guarded by QueueLock. Entries are
// shared, so a worker still analysing its page keeps it alive after a stop
// has emptied the queue.
struct ExplorationQueue {
  std::vector<std::shared_ptr<QueueEntry>> entries;
  int count() const { return static_cast<int>(entries.size()); }
};

// The TLS client configuration of a context, built by the page client on the
// first https connection and rebuilt when the certificate bundle changes.
// Opaque here: the core needs no TLS library.
struct TlsState {
  std::mutex mutex;
  std::shared_ptr<void> client;  // guarded by mutex; connections hold their own copy
  std::string caFile;            // the bundle client was built with
};

struct ContextOptions {
  // The program folder; empty: the folder of the executable.
  std::string appFolder;
  // The start-up date; year 0: today's UTC date.
  UtcDate startDate{};
  // Both optional: the real clock and a UI that drops every call by default.
  std::shared_ptr<Clock> clock;
  std::shared_ptr<UiPort> ui;
};

// Everything that lives for the whole process: the program folder and start
// date, the settings, the socket registry, the three locks and the run state.
// The program makes one; tests make as many independent ones as they like.
class Context {
 public:
  explicit Context(ContextOptions options = {});
  // Stops the link verification and joins its threads.
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  const std::string AppFolder;  // ends in "/"
  const int StartMonth;         // 1-12, UTC, at start-up
  const int StartYear;

  std::string SettingsPath() const { return AppFolder + "ORVI.ini"; }
  std::string EnginesPath() const { return AppFolder + "Moteurs.ini"; }

  // Reads ORVI.ini: section "Config" with its rules, then the service
  // addresses and host fragments, and builds the proxy authorization; then
  // the rows of Moteurs.ini.
  void LoadSettings();
  // Writes section "Config" of ORVI.ini, and with engineChoices the slots'
  // engines, the SearXNG address and the Marginalia key of section
  // "Engines"; false when the file cannot be written.
  bool SaveSettings(bool engineChoices = false);
  void BuildProxyAuthHeader();

  Clock& clock() { return *clock_; }
  UiPort& ui() { return *ui_; }

  GlobalSettings settings;
  EngineSettings engines;
  std::vector<WebEngine> webEngines = BuiltInWebEngines();
  HostSettings hosts;
  NetSettings netSettings;
  TlsState tls;

  // The profile the running search reads, and the profile editor's copy.
  SearchProfile activeProfile;
  SearchProfile editorProfile;
  // The lower-cased input of the search (Windows-1252) and the profile name.
  std::string SearchText;
  std::string ProfileName;

  ExplorationQueue queue;
  // Every file link the search found; guarded by CatalogueLock.
  FileCatalogue catalogue{FileCatalogue::kMainCapacity};

  VerificationState verification;

  HarvestState harvest;
  ExplorationRun run;
  NetStatus net;
  SocketRegistry sockets{run.InProgress};

  // No path holds two of them, except a stop, which takes SocketLock (inside
  // the registry) while it holds QueueLock.
  std::mutex QueueLock;
  std::mutex CatalogueLock;

 private:
  Context(const ContextOptions& options, UtcDate startDate);

  std::shared_ptr<Clock> clock_;
  std::shared_ptr<UiPort> ui_;
};

}  // namespace orvi
