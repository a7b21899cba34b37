#include "core/context.h"

#include <cstdlib>

#include "platform/file_io.h"

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
  {
    std::lock_guard lock(QueueLock);
    run.collecting = false;
    ++run.generation;
  }
  run.yieldCount = 30;
  sockets.CloseAllSockets();
  run.schedulers.JoinAll();
  run.workers.JoinAll();
  run.helpers.JoinAll();

  verification.VerificationRunning = false;
  verification.NewGeneration();
  // Every probe's sockets are broken for good, also those it opens later.
  {
    std::lock_guard lock(CatalogueLock);
    for (const auto& entry : catalogue.entries) {
      if (!entry) continue;
      for (const auto& file : entry->owned) file->probeSocket.Break();
    }
  }
  verification.JoinAll();
}

void Context::LoadSettings() {
  IniFile ini = IniFile::Load(SettingsPath());
  settings = ReadGlobalSettings(ini);
  engines = ReadEngineSettings(ini);
  hosts = ReadHostSettings(ini);
  netSettings = ReadNetSettings(ini);
  const char* lang = std::getenv("LANG");
  engines.Locale = LocaleOfLang(lang != nullptr ? lang : "");
  webEngines = ReadWebEngines(IniFile::Load(EnginesPath()));
  ApplyEngineOverrides(ini, webEngines);
}

bool Context::SaveSettings(bool engineChoices) {
  IniFile ini = IniFile::Load(SettingsPath());
  WriteGlobalSettings(settings, ini);
  WriteNetSettings(netSettings, ini);
  if (engineChoices) {
    for (size_t i = 0; i < engines.slotEngines.size(); ++i) {
      ini.Set("Engines", "Engine" + std::to_string(i + 1), engines.slotEngines[i]);
    }
    if (const WebEngine* row = FindWebEngine(webEngines, "searxng")) ini.Set("Engines", "SearxngUrl", row->Url);
    if (const WebEngine* row = FindWebEngine(webEngines, "marginalia")) ini.Set("Engines", "MarginaliaKey", row->Key);
  }
  return ini.Save();
}

void Context::BuildProxyAuthHeader() {
  settings.ProxyAuthHeader = orvi::BuildProxyAuthHeader(settings.ProxyLogin, settings.ProxyPass);
}

}  // namespace orvi
