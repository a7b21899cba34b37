// A settings file of any content: loaded with its rules and saved; what was
// saved must load back to the same numbers.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orvi::IniFile ini = orvi::IniFile::Parse(bytes);
  orvi::GlobalSettings first = orvi::ReadGlobalSettings(ini);
  orvi::ReadEngineSettings(ini);
  orvi::ReadHostSettings(ini);
  orvi::WriteGlobalSettings(first, ini);
  orvi::GlobalSettings second = orvi::ReadGlobalSettings(orvi::IniFile::Parse(ini.Serialize()));
  if (first.MaxConnect != second.MaxConnect || first.MinConnect != second.MinConnect ||
      first.HttpTimeOut != second.HttpTimeOut || first.NbRetry != second.NbRetry ||
      first.ProxyPort != second.ProxyPort || first.NewWindow != second.NewWindow ||
      first.ColorPrinc != second.ColorPrinc || first.ColorDialog != second.ColorDialog ||
      first.ColorProfil != second.ColorProfil || first.Autosave != second.Autosave ||
      first.StartWindow != second.StartWindow) {
    __builtin_trap();
  }
  return 0;
}
