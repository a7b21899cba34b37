#include "results/results_file.h"

#include "platform/file_io.h"
#include "platform/text.h"

namespace orvi {
namespace {

// Fills a file from one line; false when the line lacks its first or second
// comma, which ends the reading.
bool FillFromLine(FoundFile& file, std::string_view line) {
  size_t c1 = line.find(',');
  if (c1 == std::string_view::npos) return false;
  file.name = Cut(line.substr(0, c1), kMaxNameChars);
  size_t c2 = line.find(',', c1 + 1);
  if (c2 == std::string_view::npos) return false;
  file.url = Cut(line.substr(c1 + 1, c2 - c1 - 1), kMaxLinkChars);
  size_t c3 = line.find(',', c2 + 1);
  file.page = Cut(line.substr(c2 + 1, c3 == std::string_view::npos ? std::string_view::npos : c3 - c2 - 1), kMaxLinkChars);
  if (c3 == std::string_view::npos) return true;
  size_t c4 = line.find(',', c3 + 1);
  int32_t state = ParseIntLoose(line.substr(c3 + 1, c4 == std::string_view::npos ? std::string_view::npos : c4 - c3 - 1));
  file.state = state < 0 ? 0 : state;
  if (c4 == std::string_view::npos) return true;
  size_t c5 = line.find(',', c4 + 1);
  file.size = ParseSizeLoose(line.substr(c4 + 1, c5 == std::string_view::npos ? std::string_view::npos : c5 - c4 - 1));
  if (c5 != std::string_view::npos) file.SetDate(std::string(line.substr(c5 + 1)));
  return true;
}

}  // namespace

std::string ComposeResults(Context& ctx, const FileCatalogue& table) {
  std::lock_guard lock(ctx.CatalogueLock);
  std::string text;
  for (const auto& entry : table.entries) {
    if (!entry || entry->deleted) continue;
    text.append("[").append(entry->key).append(",").append(FormatInt(entry->hits)).append("]\r\n");
    for (const FoundFile* group : GroupsOf(*entry)) {
      for (const FoundFile* f : CopiesOf(group)) {
        text.append(f->name).append(",").append(f->url).append(",").append(f->page).append(",");
        text.append(FormatInt(f->state)).append(",").append(FormatInt(f->size)).append(",");
        text.append(f->Date()).append("\r\n");
      }
      text.append(">\r\n");
    }
  }
  return text;
}

bool WriteResultsFile(Context& ctx, const std::string& path) {
  return WriteWholeFile(path, ComposeResults(ctx, ctx.catalogue));
}

int ParseResults(Context& ctx, FileCatalogue& table, std::string_view text) {
  std::lock_guard lock(ctx.CatalogueLock);
  int leftOut = 0;
  FoundEntry* entry = nullptr;
  FoundFile* current = nullptr;
  bool groupEnded = false;
  bool fileFilled = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (line.empty()) continue;

    if (line[0] == '[' && line.find("tp://") == std::string_view::npos) {
      size_t comma = line.find(',');
      if (comma == std::string_view::npos) return leftOut;
      if (table.count() >= table.capacity) {
        // Counted, so that a caller can say what did not fit; their files
        // are skipped.
        ++leftOut;
        entry = nullptr;
        continue;
      }
      auto fresh = std::make_shared<FoundEntry>();
      fresh->key = Cut(line.substr(1, comma - 1), kMaxNameChars);
      fresh->hits = ParseIntLoose(line.substr(comma + 1));
      fresh->files = fresh->NewFile();
      entry = table.entries.emplace_back(std::move(fresh)).get();
      current = entry->files;
      groupEnded = fileFilled = false;
    } else if (line[0] == '>') {
      groupEnded = true;
      fileFilled = false;
    } else if (entry != nullptr) {
      if (groupEnded) {
        groupEnded = false;
        FoundFile* last = entry->files;
        while (last->nextGroup != nullptr) last = last->nextGroup;
        current = last->nextGroup = entry->NewFile();
      } else if (fileFilled) {
        current = current->nextCopy = entry->NewFile();
      }
      if (!FillFromLine(*current, line)) {
        // What was read of the line stays; the rest of the file is not trusted.
        current->SetDate("");
        return leftOut;
      }
      fileFilled = true;
    }
  }
  return leftOut;
}

bool ReadResultsFile(Context& ctx, FileCatalogue& table, const std::string& path, int* notLoaded) {
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return false;
  int leftOut = ParseResults(ctx, table, *text);
  if (notLoaded != nullptr) *notLoaded = leftOut;
  return true;
}

}  // namespace orvi
