// The three exports read back by readers of their own: lines, an aria2 input
// file parsed as aria2 reads it, and CSV read by Python's csv module.
#include "results/link_export.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "results/catalogue.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> Split(std::string_view text, char separator) {
  std::vector<std::string> out;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find(separator, pos);
    if (end == std::string_view::npos) end = text.size();
    out.emplace_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  return out;
}

// An aria2 input file as aria2c reads it: a line that starts with white space
// is an option of the download above it, any other line a download whose
// sources are separated by tabs. "uri uri | out=... dir=..." per download.
std::vector<std::string> ReadAria2(std::string_view text) {
  std::vector<std::string> downloads;
  for (const std::string& line : Split(text, '\n')) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == ' ' || line[0] == '\t') {
      if (downloads.empty()) return {"option before any download"};
      downloads.back() += " " + line.substr(1);
    } else {
      std::string sources;
      for (const std::string& uri : Split(line, '\t')) sources += uri + " ";
      downloads.push_back(sources + "|");
    }
  }
  return downloads;
}

// Python's csv module reads the file strictly, as UTF-8.
Rows ReadCsvWithPython(const std::string& csv) {
  test::TempDir dir;
  dir.Write("export.csv", csv);
  dir.Write("read.py",
            "import csv, sys\n"
            "with open(sys.argv[1], newline='', encoding='utf-8', errors='strict') as f:\n"
            "    rows = list(csv.reader(f, strict=True))\n"
            "sys.stdout.buffer.write('\\x1e'.join('\\x1f'.join(r) for r in rows).encode('utf-8'))\n");
  std::string command = "python3 " + dir.File("read.py") + " " + dir.File("export.csv");
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return {{"no python3"}};
  std::string out;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  if (::pclose(pipe) != 0) return {{"python3 could not read it"}};
  Rows rows;
  for (const std::string& row : Split(out, '\x1e')) rows.push_back(Split(row, '\x1f'));
  return rows;
}

class LinkExportTest : public ::testing::Test {
 protected:
  LinkExportTest() {
    // A set, one volume with two good copies and a dead one.
    Add("movie.part1.rar", "http://a/movie.part1.rar", FileState::Valid, 1000,
        "Tue, 01 Jul 2003 10:00:00 GMT");
    Add("movie.part1.rar", "http://b/movie.part1.rar", FileState::Valid);
    Add("movie.part1.rar", "http://c/movie.part1.rar", FileState::Failed);
    Add("movie.part2.rar", "http://a/movie.part2.rar", FileState::Valid, 900);
    // Windows-1252 text and quotes.
    Add("\xC9t\xE9 \"best\".zip", "http://a/%C3%89t%C3%A9.zip", FileState::Valid);
    Add("bad.zip", "http://a/bad.zip", FileState::Failed);
    Add("@srv~1", "http://s/folder1", FileState::Waiting);
    // A name that climbs out of its folder, an address with a raw byte, a
    // date over two lines.
    Add("../up/x\x01.zip", "http://a/caf\xE9 x.zip", FileState::Valid, 0, "line1\r\nline2");
    Add("gone.zip", "http://a/gone.zip", FileState::Valid);
    MarkEntryDeleted(ctx, ctx.catalogue.count() - 1);
  }
  void Add(std::string_view name, std::string_view url, FileState state, int64_t size = 0,
           std::string date = kUnknownDate) {
    AddFoundLink(ctx, ctx.catalogue, name, url, "http://p/", false, 0);
    for (const auto& entry : ctx.catalogue.entries) {
      for (FoundFile* g = entry->files; g; g = g->nextGroup) {
        for (FoundFile* f = g; f; f = f->nextCopy) {
          if (f->url != CleanLinkUrl(url)) continue;
          f->SetState(state);
          f->size = size;
          f->SetDate(date);
        }
      }
    }
  }
  std::string Export(ExportFormat format, ViewToggles toggles = {}, std::string_view filter = "") {
    return ExportLinks(ctx, toggles, KeyFilter(filter), format);
  }

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
};

TEST_F(LinkExportTest, TheThreeFormatsReadBack) {
  EXPECT_EQ(Split(Export(ExportFormat::List), '\n'),
            (std::vector<std::string>{"http://a/movie.part1.rar", "http://b/movie.part1.rar",
                                      "http://a/movie.part2.rar", "http://a/%C3%89t%C3%A9.zip",
                                      "http://a/caf%E9%20x.zip"}));

  EXPECT_EQ(ReadAria2(Export(ExportFormat::Aria2)),
            (std::vector<std::string>{
                "http://a/movie.part1.rar http://b/movie.part1.rar | out=movie.part1.rar dir=movie",
                "http://a/movie.part2.rar | out=movie.part2.rar dir=movie",
                "http://a/%C3%89t%C3%A9.zip | out=\xC3\x89t\xC3\xA9 \"best\".zip "
                "dir=\xC3\x89t\xC3\xA9 \"best\"",
                "http://a/caf%E9%20x.zip | out=___up_x_.zip dir=___up_x_"}));

  const std::string accented = "\xC3\x89t\xC3\xA9 \"best\"";
  EXPECT_EQ(ReadCsvWithPython(Export(ExportFormat::Csv)),
            (Rows{{"key", "type", "name", "url", "page", "state", "size", "date"},
                  {"movie", "rar", "movie.part1.rar", "http://a/movie.part1.rar", "http://p/",
                   "Valid", "1000", "Tue, 01 Jul 2003 10:00:00 GMT"},
                  {"movie", "rar", "movie.part1.rar", "http://b/movie.part1.rar", "http://p/",
                   "Valid", "0", "?? ??"},
                  {"movie", "rar", "movie.part1.rar", "http://c/movie.part1.rar", "http://p/",
                   "Failed", "0", "?? ??"},
                  {"movie", "rar", "movie.part2.rar", "http://a/movie.part2.rar", "http://p/",
                   "Valid", "900", "?? ??"},
                  {accented, "zip", accented + ".zip", "http://a/%C3%89t%C3%A9.zip", "http://p/",
                   "Valid", "0", "?? ??"},
                  {"bad", "zip", "bad.zip", "http://a/bad.zip", "http://p/", "Failed", "0", "?? ??"},
                  {"@srv~1", "", "@srv~1", "http://s/folder1", "http://p/", "Waiting", "0", "?? ??"},
                  {"../up/x\\x01", "zip", "../up/x\\x01.zip", "http://a/caf%E9%20x.zip",
                   "http://p/", "Valid", "0", "line1\\x0D\\x0Aline2"}}));
}

// What the list shows is what goes out: the toggles and the filter.
TEST_F(LinkExportTest, OnlyTheEntriesTheListShows) {
  EXPECT_EQ(Export(ExportFormat::List, {}, "MOVIE"),
            "http://a/movie.part1.rar\nhttp://b/movie.part1.rar\nhttp://a/movie.part2.rar\n");
  EXPECT_EQ(Export(ExportFormat::List, {.showSingleFiles = false}, "e"),
            "http://a/movie.part1.rar\nhttp://b/movie.part1.rar\nhttp://a/movie.part2.rar\n");
  const std::string csv = Export(ExportFormat::Csv, {.showErrors = false, .showServerFolders = false});
  EXPECT_EQ(csv.find("bad.zip"), std::string::npos);
  EXPECT_EQ(csv.find("@srv"), std::string::npos);
  EXPECT_NE(csv.find("movie.part2.rar"), std::string::npos);
  EXPECT_EQ(Export(ExportFormat::Aria2, {}, "nothing"), "");
}

TEST(LinkExport, SafePathPartsAndFormatNames) {
  struct {
    const char* name;
    const char* safe;
  } cases[] = {{"movie", "movie"}, {"..", "__"},     {".", "_."},   {"", "_"},
               {"a/b\\c", "a_b_c"}, {"x\x7F\ty", "x__y"}, {"a..b", "a__b"}, {".hidden", "_.hidden"}};
  for (const auto& c : cases) EXPECT_EQ(SafePathPart(c.name), c.safe) << c.name;
  EXPECT_EQ(ExportFormatNamed("aria2"), ExportFormat::Aria2);
  EXPECT_EQ(ExportFormatNamed("CSV"), std::nullopt);
}

}  // namespace
}  // namespace orvi
