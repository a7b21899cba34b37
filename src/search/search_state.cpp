#include "search/search_state.h"

#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "explore/queue.h"
#include "platform/file_io.h"
#include "results/results_file.h"
#include "search/profile_file.h"

namespace orvi {
namespace {

constexpr std::string_view kCacheMark = " *cache* ";
// "Pas de sauvegarde trouvée !"
constexpr char kNoSave[] = "Pas de sauvegarde trouv\xE9" "e !";

}  // namespace

std::string SavedProfilePath(const Context& ctx) { return ctx.AppFolder + "profilsvg.ini"; }
std::string SavedSearchPath(const Context& ctx) { return ctx.AppFolder + "rechsvg.ini"; }
std::string SavedResultsPath(const Context& ctx) { return ctx.AppFolder + "Resultsvg.txt"; }

namespace {

// A save writes the whole set under temporary names, then a marker that
// names the set, then renames each file into place, then removes the marker.
// Whatever instant a crash strikes, the marker tells the next reader which
// set is whole: with it, the new files are (or were being) put in place;
// without it, temporary files are the leftovers of a save that never
// finished and the previous set still stands.
constexpr char kNewSuffix[] = ".new";
constexpr char kMarkerName[] = "svgcommit.txt";

std::string MarkerPath(const Context& ctx) { return ctx.AppFolder + kMarkerName; }

std::vector<std::string> SetPaths(const Context& ctx, bool withResults) {
  std::vector<std::string> paths{SavedProfilePath(ctx), SavedSearchPath(ctx)};
  if (withResults) paths.push_back(SavedResultsPath(ctx));
  return paths;
}

std::string ComposeSearchLines(Context& ctx) {
  std::string text = ctx.ProfileName + "\r\n" + ctx.SearchText + "\r\n";
  std::lock_guard lock(ctx.QueueLock);
  for (const QueueEntryPtr& entry : ctx.queue.entries) {
    if (entry->state >= kDone) continue;
    text += entry->url;
    if (!entry->cacheUrl.empty()) text.append(kCacheMark).append(entry->cacheUrl);
    text += "\r\n";
  }
  return text;
}

}  // namespace

void RecoverSavedState(Context& ctx) {
  const std::string marker = MarkerPath(ctx);
  std::optional<std::string> names = ReadWholeFile(marker);
  if (names) {
    // The set was whole: finish putting it in place.
    for (size_t pos = 0; pos < names->size();) {
      size_t end = names->find_first_of("\r\n", pos);
      if (end == std::string::npos) end = names->size();
      std::string name = names->substr(pos, end - pos);
      pos = end + 1;
      const std::string path = ctx.AppFolder + name;
      // Only the files of a set are ever renamed, whatever the marker says.
      const std::vector<std::string> known = SetPaths(ctx, true);
      if (std::find(known.begin(), known.end(), path) == known.end()) continue;
      if (FileExists(path + kNewSuffix)) ::rename((path + kNewSuffix).c_str(), path.c_str());
    }
    ::unlink(marker.c_str());
  }
  // Leftovers of a save that did not reach its marker.
  for (const std::string& path : SetPaths(ctx, true)) ::unlink((path + kNewSuffix).c_str());
}

bool SaveSearchStateFiles(Context& ctx, bool withResults, const SaveCheckpoint& checkpoint) {
  int step = 0;
  auto go = [&] { return !checkpoint || checkpoint(step++); };
  RecoverSavedState(ctx);
  const std::vector<std::string> paths = SetPaths(ctx, withResults);

  if (!go()) return false;
  const std::string profileTemp = paths[0] + kNewSuffix;
  ::unlink(profileTemp.c_str());
  bool written = SaveSearchProfile(profileTemp, ctx.activeProfile);
  if (!go()) return false;
  written = WriteWholeFile(paths[1] + kNewSuffix, ComposeSearchLines(ctx)) && written;
  if (withResults) {
    if (!go()) return false;
    written = WriteWholeFile(paths[2] + kNewSuffix, ComposeResults(ctx, ctx.catalogue)) && written;
  }
  if (!written) {
    // A set that could not be written whole is not put in place.
    RecoverSavedState(ctx);
    return false;
  }
  std::string names;
  for (const std::string& path : paths) names += path.substr(ctx.AppFolder.size()) + "\r\n";
  if (!go()) return false;
  if (!WriteWholeFile(MarkerPath(ctx), names)) {
    RecoverSavedState(ctx);
    return false;
  }
  for (const std::string& path : paths) {
    if (!go()) return false;
    ::rename((path + kNewSuffix).c_str(), path.c_str());
  }
  if (!go()) return false;
  ::unlink(MarkerPath(ctx).c_str());
  return true;
}

void SaveSearchState(Context& ctx) { SaveSearchStateFiles(ctx, false); }

void SaveSearchStateCommand(Context& ctx) { SaveSearchStateFiles(ctx, true); }

bool RestoreSearchState(Context& ctx) {
  RecoverSavedState(ctx);
  if (!FileExists(SavedProfilePath(ctx))) {
    ctx.ui().MessageBox({kNoSave, "", MsgIcon::Stop});
    return false;
  }
  ctx.activeProfile = LoadSearchProfile(SavedProfilePath(ctx));
  std::optional<std::string> text = ReadWholeFile(SavedSearchPath(ctx));
  if (!text) {
    ctx.ui().MessageBox({kNoSave, "", MsgIcon::Stop});
    return false;
  }
  std::lock_guard lock(ctx.QueueLock);
  // The name and the text are the first two lines even when empty (a page
  // analysis saves an empty text, and maybe an empty name): skipping them
  // would make the first saved pages the name and the text, and lose them.
  // Among the pages, empty lines are skipped.
  int line = 0;
  for (size_t pos = 0; pos < text->size();) {
    size_t end = text->find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text->size();
    std::string_view content = std::string_view(*text).substr(pos, end - pos);
    pos = end + 1;
    // CR LF ends one line, as does a lone CR or LF.
    if (end < text->size() && (*text)[end] == '\r' && pos < text->size() && (*text)[pos] == '\n') ++pos;
    if (line == 0) {
      ctx.ProfileName = content;
    } else if (line == 1) {
      ctx.SearchText = content;
    } else if (content.empty()) {
      continue;
    } else if (ctx.queue.count() < kQueueCapacity) {
      size_t mark = content.find(kCacheMark);
      auto entry = std::make_shared<QueueEntry>(
          std::string(content.substr(0, std::min(mark, std::string_view::npos)).substr(0, kMaxLinkChars)), 0,
          FoundBy::FromEngine, 0);
      if (mark != std::string_view::npos) {
        entry->cacheUrl = std::string(content.substr(mark + kCacheMark.size()).substr(0, kMaxLinkChars));
      }
      ctx.queue.entries.push_back(std::move(entry));
    }
    ++line;
  }
  // A page address given to the page analysis is no search text.
  if (ctx.SearchText.find('/') != std::string::npos) ctx.SearchText.clear();
  return true;
}

}  // namespace orvi
