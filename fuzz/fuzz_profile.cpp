// A profile file of any content: a record written into it reads back as the
// same record written into an empty file (whatever surrounds the section),
// and writing the same record twice changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>

#include "search/profile_file.h"

namespace {

auto Fields(const orvi::SearchProfile& p) {
  return std::tie(p.HelpText, p.LibS1, p.LibS2, p.FindS, p.GoogleCache, p.MaxDomains, p.Keys,
                  p.GoogleUse, p.AtwUse, p.WiseUse, p.ExtractAll, p.Zip, p.Archiv, p.Exe,
                  p.Serveurs, p.ExtensionCount, p.Extensions, p.AjourURL, p.MinFiles,
                  p.FileNameMode, p.SexFilter, p.AddExtSais, p.Translate, p.AddLinkAway,
                  p.FilesAway, p.SDM, p.Slnk, p.SAD, p.SiteScan, p.Protected_X, p.DateLimit,
                  p.EnableNews, p.URLKeysFirst);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  orvi::IniFile ini = orvi::IniFile::Parse(bytes);
  orvi::SearchProfile first = orvi::ReadSearchProfile(ini);
  if (first.HelpText.size() > orvi::kHelpTextChars || first.ExtensionCount < 0 ||
      first.ExtensionCount > orvi::SearchProfile::kMaxExtensions) {
    __builtin_trap();
  }
  orvi::WriteSearchProfile(first, ini);
  std::string written = ini.Serialize();
  orvi::SearchProfile second = orvi::ReadSearchProfile(orvi::IniFile::Parse(written));
  orvi::IniFile empty;
  orvi::WriteSearchProfile(first, empty);
  orvi::SearchProfile expected = orvi::ReadSearchProfile(orvi::IniFile::Parse(empty.Serialize()));
  if (Fields(second) != Fields(expected)) __builtin_trap();
  orvi::WriteSearchProfile(first, ini);
  if (ini.Serialize() != written) __builtin_trap();
  return 0;
}
