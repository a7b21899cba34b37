#pragma once

#include <string_view>

namespace orvi {

// How a page came into the exploration queue. The values are stored in queue
// entries and in saved search states, and the statistics count by them.
enum class FoundBy : int {
  FromEngine = 0,      // a result link of a search engine
  ScriptRedirect = 1,  // a script's ".location"
  FrameSource = 2,     // a frame of a frameset
  ServerRedirect = 3,  // a 3xx answer's Location
  KeywordLink = 4,     // an internal link whose text holds a URL keyword
  NearbyLink = 5,      // a link close to the searched text
  CacheFallback = 6,   // the search engine's cached copy of an empty page
};

constexpr int kFoundByCount = 7;

// The statistics label of a code (Windows-1252); empty for FromEngine, which
// is not counted, and for any value outside the table.
constexpr std::string_view FoundByLabel(FoundBy how) {
  switch (how) {
    case FoundBy::FromEngine: return "";
    case FoundBy::ScriptRedirect: return "Redirig\xE9 par [Window.Location]";
    case FoundBy::FrameSource: return "Frames [services redirection,  frames]";
    case FoundBy::ServerRedirect: return "Redirig\xE9 par code 30X [Serveur]";
    case FoundBy::KeywordLink: return "Liens internes comportant des mots-clefs";
    case FoundBy::NearbyLink: return "Liens proches de la recherche";
    case FoundBy::CacheFallback: return "Exploitation du cache-google sur erreur";
  }
  return "";
}

}  // namespace orvi
