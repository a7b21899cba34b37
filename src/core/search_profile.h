#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace orvi {

// One search profile: the keyword rows sent to the engines and the settings
// that steer the exploration of their result pages. A value-initialised
// record is all zeros, as the page analysis dialog starts from; reading a
// profile file applies the file's defaults. Texts hold at most the number of
// characters noted (longer ones are cut on reading).
struct SearchProfile {
  static constexpr int kKeyRows = 10;
  static constexpr int kMaxExtensions = 16;

  std::string HelpText;  // 1999, CR LF line breaks
  std::string LibS1;     // 79: label of the first input
  std::string LibS2;     // 79: label of the second input; empty: one input only
  bool FindS = false;    // combine the input with the keyword rows
  bool GoogleCache = false;
  int32_t MaxDomains = 0;  // pages explored per host
  std::array<std::string, kKeyRows> Keys;  // 149 each; the first empty row ends the list
  int32_t GoogleUse = 0;  // bit i: row i goes to Google
  int32_t AtwUse = 0;     // ... to Fast
  int32_t WiseUse = 0;    // ... to WiseNut
  bool ExtractAll = false;  // systematic mode
  bool Zip = false;
  bool Archiv = false;  // rar and ace
  bool Exe = false;
  bool Serveurs = false;  // folders on free hosting services
  int32_t ExtensionCount = 0;
  std::array<std::string, kMaxExtensions> Extensions;  // 15 each, lower case, no dot
  bool AjourURL = false;  // add and explore page links near the input
  int32_t MinFiles = 0;
  int32_t FileNameMode = 0;  // 0 anonyme, 1 approché, 2 strict
  bool SexFilter = false;
  bool AddExtSais = false;
  bool Translate = false;
  int32_t AddLinkAway = 0;
  int32_t FilesAway = 0;
  bool SDM = false;
  std::string Slnk;  // 99: comma-separated site-link terms
  bool SAD = false;
  bool SiteScan = false;  // never stored; set only by the page analysis dialog
  bool Protected_X = false;
  int32_t DateLimit = 0;  // months; 0: no page-age test
  bool EnableNews = false;
  bool URLKeysFirst = false;

  // Whether the search reads the first input: a profile in systematic mode
  // that does not combine the input with its rows needs none.
  bool UsesInput1() const { return !(ExtractAll && !FindS); }
};

// Whether bit `row` of an engine's mask (GoogleUse, AtwUse, WiseUse) is set.
inline bool Ticked(int32_t mask, int row) { return (static_cast<uint32_t>(mask) >> row) & 1u; }

}  // namespace orvi
