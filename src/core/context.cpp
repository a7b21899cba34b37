#include "core/context.h"

#include "platform/file_io.h"

#include <chrono>
#include <thread>

namespace orvi {
namespace {

UtcDate DateOrToday(UtcDate date) { return date.year != 0 ? date : CurrentUtcDate(); }

}  // namespace

Context::Context(ContextOptions options) : Context(options, DateOrToday(options.startDate)) {}

// The date is read once, so month and year agree even at the turn of a month.
Context::Context(const ContextOptions& options, UtcDate startDate)
    : AppFolder(WithTrailingSlash(options.appFolder.empty() ? ExecutableFolder()
                                                            : options.appFolder)),
      StartMonth(startDate.month),
      StartYear(startDate.year),
      clock_(options.clock ? options.clock : std::make_shared<RealClock>()),
      ui_(options.ui ? options.ui : std::make_shared<NullUi>()) {}

Context::~Context() {
  // The run first: its workers add to the catalogue.
  run.collecting = false;
  run.yieldCount = 30;
  sockets.CloseAllSockets();
  if (run.scheduler.joinable()) run.scheduler.join();
  run.workers.JoinAll();
  run.helpers.JoinAll();

  verification.VerificationRunning = false;
  // Break the probes' sockets until every probe has ended: one may open its
  // next socket just after a pass.
  for (;;) {
    {
      std::lock_guard lock(CatalogueLock);
      for (const auto& entry : catalogue.entries) {
        if (!entry) continue;
        for (const auto& file : entry->owned) file->probeSocket.Break();
      }
    }
    if (verification.probes.AllEnded()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  verification.JoinAll();
}

void Context::LoadSettings() {
  IniFile ini = IniFile::Load(SettingsPath());
  settings = ReadGlobalSettings(ini);
  engines = ReadEngineSettings(ini);
  hosts = ReadHostSettings(ini);
}

bool Context::SaveSettings() {
  IniFile ini = IniFile::Load(SettingsPath());
  WriteGlobalSettings(settings, ini);
  return ini.Save();
}

void Context::BuildProxyAuthHeader() {
  settings.ProxyAuthHeader = orvi::BuildProxyAuthHeader(settings.ProxyLogin, settings.ProxyPass);
}

}  // namespace orvi
