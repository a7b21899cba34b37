#include "search/profile_file.h"

#include <algorithm>

#include "platform/text.h"

namespace orvi {
namespace {

constexpr char kConfig[] = "Config";
constexpr char kAllRows[] = "4294967295";

bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// A stored value is one line; a stray CR inside it cannot be a line break of
// the record, and the writer could not give it back.
std::string Text(const IniFile& ini, std::string_view key, std::string_view fallback,
                 size_t readSize) {
  std::string value = ini.Get(kConfig, key, fallback, readSize);
  std::replace_if(value.begin(), value.end(), IsLineBreak, ' ');
  return value;
}

int32_t Number(const IniFile& ini, std::string_view key, std::string_view fallback,
               size_t readSize = 400) {
  return ParseIntLoose(ini.Get(kConfig, key, fallback, readSize));
}

bool Flag(const IniFile& ini, std::string_view key) { return Number(ini, key, "") != 0; }

// Backslashes stand for the line breaks: CR and LF alternately, CR first, so
// that the CR LF pairs of a multi-line field read back as they were.
std::string DecodeHelpText(std::string_view stored) {
  std::string text(stored);
  bool cr = true;
  for (char& c : text) {
    if (c != '\\') continue;
    c = cr ? '\r' : '\n';
    cr = !cr;
  }
  return text;
}

std::string EncodeHelpText(std::string_view text) {
  std::string stored(text.substr(0, kHelpTextChars));
  std::replace_if(stored.begin(), stored.end(), IsLineBreak, '\\');
  return stored;
}

std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string Bool(bool value) { return value ? "1" : "0"; }

}  // namespace

SearchProfile ReadSearchProfile(const IniFile& ini) {
  SearchProfile p;
  p.HelpText = DecodeHelpText(Text(ini, "HelpText", "", kHelpTextChars + 1));
  p.LibS1 = Text(ini, "LibS1", "", kLabelChars + 1);
  p.LibS2 = Text(ini, "LibS2", "", kLabelChars + 1);
  p.FindS = Flag(ini, "FindS");
  p.GoogleCache = Flag(ini, "GoogleCache");
  p.MaxDomains = Number(ini, "MaxDomains", "");
  for (int i = 0; i < SearchProfile::kKeyRows; ++i) {
    p.Keys[i] = Text(ini, "Key" + std::to_string(i), "", kKeyRowChars + 1);
  }
  p.GoogleUse = Number(ini, "GoogleUse", kAllRows);
  // Without WiseUse, WiseNut gets the rows of Fast.
  std::string atw = ini.Get(kConfig, "AtwUse", kAllRows, 20);
  p.AtwUse = ParseIntLoose(atw);
  p.WiseUse = Number(ini, "WiseUse", atw);
  p.ExtractAll = Flag(ini, "ExtractAll");
  p.Zip = Flag(ini, "Zip");
  p.Archiv = Flag(ini, "Archiv");
  p.Exe = Flag(ini, "Exe");
  p.Serveurs = Flag(ini, "Serveurs");
  SplitExtensions(AsciiLower(Text(ini, "Extensions", "", 400)), p);
  p.AjourURL = Flag(ini, "AjourURL");
  p.MinFiles = Number(ini, "MinFiles", "");
  p.FileNameMode = Number(ini, "FileNameMode", "");
  p.SexFilter = Flag(ini, "SexFilter");
  p.AddExtSais = Flag(ini, "AddExtSais");
  p.Translate = Flag(ini, "Translate");
  p.AddLinkAway = Number(ini, "AddLinkAway", "1600");
  p.FilesAway = Number(ini, "FilesAway", "2400");
  p.SDM = Flag(ini, "SDM");
  p.Slnk = Text(ini, "Slnk", "", kSlnkChars + 1);
  p.SAD = Flag(ini, "SAD");
  p.SiteScan = false;
  p.Protected_X = Flag(ini, "Protected_X");
  p.DateLimit = Number(ini, "DateLimit", "");
  p.EnableNews = Flag(ini, "EnableNews");
  p.URLKeysFirst = Number(ini, "URLKeysFirst", "1") != 0 && !p.Slnk.empty();
  return p;
}

SearchProfile LoadSearchProfile(const std::string& path) {
  return ReadSearchProfile(IniFile::Load(path));
}

std::vector<std::pair<std::string, std::string>> ProfileAsWritten(const SearchProfile& p) {
  std::vector<std::pair<std::string, std::string>> keys = {
      {"HelpText", EncodeHelpText(p.HelpText)},
      {"LibS1", Cut(p.LibS1, kLabelChars)},
      {"LibS2", Cut(p.LibS2, kLabelChars)},
      {"FindS", Bool(p.FindS)},
      {"GoogleCache", Bool(p.GoogleCache)},
      {"MaxDomains", FormatInt(p.MaxDomains)},
  };
  for (int i = 0; i < SearchProfile::kKeyRows; ++i) {
    keys.emplace_back("Key" + std::to_string(i), Cut(p.Keys[i], kKeyRowChars));
  }
  keys.insert(keys.end(), {
                              {"GoogleUse", FormatInt(p.GoogleUse)},
                              {"AtwUse", FormatInt(p.AtwUse)},
                              {"WiseUse", FormatInt(p.WiseUse)},
                              {"ExtractAll", Bool(p.ExtractAll)},
                              {"Zip", Bool(p.Zip)},
                              {"Archiv", Bool(p.Archiv)},
                              {"Exe", Bool(p.Exe)},
                              {"Serveurs", Bool(p.Serveurs)},
                              {"Extensions", JoinExtensions(p)},
                              {"AjourURL", Bool(p.AjourURL)},
                              {"MinFiles", FormatInt(p.MinFiles)},
                              {"FileNameMode", FormatInt(p.FileNameMode)},
                              {"SexFilter", Bool(p.SexFilter)},
                              {"AddExtSais", Bool(p.AddExtSais)},
                              {"Translate", Bool(p.Translate)},
                              {"AddLinkAway", FormatInt(p.AddLinkAway)},
                              {"FilesAway", FormatInt(p.FilesAway)},
                              {"SDM", Bool(p.SDM)},
                              {"Slnk", Cut(p.Slnk, kSlnkChars)},
                              {"SAD", Bool(p.SAD)},
                              {"Protected_X", Bool(p.Protected_X)},
                              {"DateLimit", FormatInt(p.DateLimit)},
                              {"EnableNews", Bool(p.EnableNews)},
                              {"URLKeysFirst", Bool(p.URLKeysFirst)},
                          });
  return keys;
}

void WriteSearchProfile(const SearchProfile& profile, IniFile& ini) {
  for (const auto& [key, value] : ProfileAsWritten(profile)) ini.Set(kConfig, key, value);
}

bool SaveSearchProfile(const std::string& path, const SearchProfile& profile) {
  IniFile ini = IniFile::Load(path);
  WriteSearchProfile(profile, ini);
  return ini.Save();
}

void SplitExtensions(std::string_view list, SearchProfile& profile) {
  profile.Extensions = {};
  profile.ExtensionCount = 0;
  if (list.empty()) return;
  int count = 0;
  for (std::string_view piece : CommaPieces(list)) {
    if (count == SearchProfile::kMaxExtensions) break;
    // Stripped again after the cut, so that a cut piece never ends in a space
    // that the file would not keep.
    std::string_view trimmed = TrimSpaces(piece);
    profile.Extensions[count++] = std::string(TrimSpaces(trimmed.substr(0, kExtensionChars)));
  }
  // A list of nothing but spaces names no extension.
  if (count == 1 && profile.Extensions[0].empty()) count = 0;
  profile.ExtensionCount = count;
}

std::string JoinExtensions(const SearchProfile& profile) {
  std::string list;
  int count = std::clamp(profile.ExtensionCount, 0, SearchProfile::kMaxExtensions);
  for (int i = 0; i < count; ++i) {
    list.append(Cut(profile.Extensions[i], kExtensionChars)).append(",");
  }
  if (!list.empty()) list.pop_back();
  return list;
}

std::string ProfilePath(std::string_view appFolder, std::string_view name) {
  std::string path(appFolder);
  path.append("Profils");
  if (!name.starts_with('/')) path.append("/");
  path.append(name).append(".ini");
  return path;
}

std::string ProfileShortName(std::string_view name) {
  size_t slash = name.rfind('/');
  return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

}  // namespace orvi
