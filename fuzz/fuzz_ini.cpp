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
      first.StartWindow != second.StartWindow || first.VerifyTimeOut != second.VerifyTimeOut) {
    __builtin_trap();
  }
  // Nothing loads that would hang a run or fail every check.
  if (first.MaxConnect < 1 || first.MinConnect < 1 || first.HttpTimeOut < 1 ||
      first.VerifyTimeOut < 1 || first.NbRetry < 1 || first.ProxyPort < 0 ||
      first.ProxyPort > 65535 || first.Autosave < 0) {
    __builtin_trap();
  }
  // A byte-order mark in front changes nothing.
  orvi::GlobalSettings marked =
      orvi::ReadGlobalSettings(orvi::IniFile::Parse("\xEF\xBB\xBF" + std::string(bytes)));
  if (bytes.starts_with("\xEF\xBB\xBF")) return 0;
  if (marked.MaxConnect != first.MaxConnect || marked.HttpTimeOut != first.HttpTimeOut ||
      marked.ProxyName != first.ProxyName) {
    __builtin_trap();
  }
  return 0;
}
