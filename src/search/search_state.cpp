#include "search/search_state.h"

#include <unistd.h>

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

void SaveSearchState(Context& ctx) {
  const std::string profilePath = SavedProfilePath(ctx);
  ::unlink(profilePath.c_str());
  SaveSearchProfile(profilePath, ctx.activeProfile);

  std::string text = ctx.ProfileName + "\r\n" + ctx.SearchText + "\r\n";
  {
    std::lock_guard lock(ctx.QueueLock);
    for (const QueueEntryPtr& entry : ctx.queue.entries) {
      if (entry->state >= kDone) continue;
      text += entry->url;
      if (!entry->cacheUrl.empty()) text.append(kCacheMark).append(entry->cacheUrl);
      text += "\r\n";
    }
  }
  WriteWholeFile(SavedSearchPath(ctx), text);
}

void SaveSearchStateCommand(Context& ctx) {
  SaveSearchState(ctx);
  WriteResultsFile(ctx, SavedResultsPath(ctx));
}

bool RestoreSearchState(Context& ctx) {
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
  int line = 0;
  for (size_t pos = 0; pos < text->size();) {
    size_t end = text->find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text->size();
    std::string_view content = std::string_view(*text).substr(pos, end - pos);
    pos = end + 1;
    if (content.empty()) continue;
    if (line == 0) {
      ctx.ProfileName = content;
    } else if (line == 1) {
      ctx.SearchText = content;
    } else if (ctx.queue.count() < 3999) {
      size_t mark = content.find(kCacheMark);
      auto entry = std::make_shared<QueueEntry>(
          std::string(content.substr(0, std::min(mark, std::string_view::npos)).substr(0, 239)), 0,
          FoundBy::FromEngine, 0);
      if (mark != std::string_view::npos) {
        entry->cacheUrl = std::string(content.substr(mark + kCacheMark.size()).substr(0, 239));
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
