#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/search_profile.h"
#include "platform/ini_file.h"

namespace orvi {

// Field sizes of the record, in characters.
constexpr size_t kHelpTextChars = 1999;
constexpr size_t kLabelChars = 79;
constexpr size_t kKeyRowChars = 149;
constexpr size_t kExtensionChars = 15;
constexpr size_t kSlnkChars = 99;

// Fills every field from section "Config"; a missing key gives its default,
// so an empty IniFile gives the defaults of a profile file.
SearchProfile ReadSearchProfile(const IniFile& ini);
// Reads a profile file; a missing or unreadable file reads as one without keys.
SearchProfile LoadSearchProfile(const std::string& path);

// The keys of section "Config" in the order they are written, each with its
// text as it stands in the file.
std::vector<std::pair<std::string, std::string>> ProfileAsWritten(const SearchProfile& profile);
// Writes every key in that order; other keys of the file stay as they are.
void WriteSearchProfile(const SearchProfile& profile, IniFile& ini);
// Writes the record into its file, creating it when missing; false when the
// file cannot be written.
bool SaveSearchProfile(const std::string& path, const SearchProfile& profile);

// Cuts a comma-separated list into the record's extensions, each stripped of
// spaces at both ends, in order (an empty piece between two commas stays an
// empty extension). Case is left as given. The record holds 16 extensions of
// 15 characters: further pieces are dropped and longer ones cut.
void SplitExtensions(std::string_view list, SearchProfile& profile);
// The extensions joined by commas, as the profile file holds them.
std::string JoinExtensions(const SearchProfile& profile);

// The file of a profile: AppFolder + "Profils" + name + ".ini", the name being
// the path under Profils without extension, beginning with "/" ("/Musique/mp3").
std::string ProfilePath(std::string_view appFolder, std::string_view name);
// The name as shown to the user: the file name without folder ("mp3").
std::string ProfileShortName(std::string_view name);

}  // namespace orvi
