// The three exports read back by readers of their own: lines, an aria2 input
// file parsed as aria2 reads it, and CSV read by Python's csv module.
#include "results/link_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "results/catalogue.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using Rows = std::vector<std::vector<std::string>>;

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, separator);) out.push_back(part);
  return out;
}

// An aria2 input file as aria2c reads it: a line that starts with white space
// is an option of the download above it, any other a download whose sources
// are split by tabs. "uri uri | out=... dir=..." per download.
std::vector<std::string> ReadAria2(const std::string& text) {
  std::vector<std::string> downloads;
  for (std::string line : Split(text, '\n')) {
    if (line.starts_with(' ') || line.starts_with('\t')) {
      if (downloads.empty()) return {"option before any download"};
      downloads.back() += " " + line.substr(1);
    } else if (!line.empty()) {
      std::replace(line.begin(), line.end(), '\t', ' ');
      downloads.push_back(line + " |");
    }
  }
  return downloads;
}

// Python's csv module reads the file strictly, as UTF-8. Each cell is
// written with its separator after it, so a trailing empty cell survives.
Rows ReadCsvWithPython(const std::string& csv) {
  test::TempDir dir;
  dir.Write("e.csv", csv);
  const std::string command =
      "python3 -c \"import csv, sys; rows = csv.reader(open(sys.argv[1], newline='', "
      "encoding='utf-8'), strict=True); open(sys.argv[2], 'w', encoding='utf-8').write("
      "'\\x1e'.join(''.join(c + '\\x1f' for c in r) for r in rows))\" " + dir.File("e.csv") + " " + dir.File("rows");
  if (std::system(command.c_str()) != 0) return {{"python3 could not read it"}};
  Rows rows;
  for (const std::string& row : Split(dir.Read("rows"), '\x1e')) rows.push_back(Split(row, '\x1f'));
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
    // A name that climbs out of its folder, a raw byte in the address, a date over two lines.
    Add("../up/x\x01.zip", "http://a/caf\xE9 x.zip", FileState::Valid, 0, "line1\r\nline2");
  }
  void Add(std::string_view name, std::string_view url, FileState state, int64_t size = 0,
           std::string date = kUnknownDate) {
    AddFoundLink(ctx, ctx.catalogue, name, url, "http://p/", false, 0);
    for (FoundFile* f : FilesOf(*ctx.catalogue.entries.back())) {  // where a copy goes too
      if (f->url != CleanLinkUrl(url)) continue;
      f->SetState(state);
      f->size = size;
      f->SetDate(date);
    }
  }
  std::string Export(ExportFormat format, ViewToggles toggles = {}, std::string_view filter = "") {
    return ExportLinks(ctx, toggles, KeyFilter(filter), format);
  }

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
};

TEST_F(LinkExportTest, TheThreeFormatsReadBackForWhatTheListShows) {
  const std::string movie = "http://a/movie.part1.rar\nhttp://b/movie.part1.rar\nhttp://a/movie.part2.rar\n";
  EXPECT_EQ(Export(ExportFormat::List), movie + "http://a/%C3%89t%C3%A9.zip\nhttp://a/caf%E9%20x.zip\n");
  EXPECT_EQ(ReadAria2(Export(ExportFormat::Aria2)),
            (std::vector<std::string>{
                "http://a/movie.part1.rar http://b/movie.part1.rar | out=movie.part1.rar dir=movie",
                "http://a/movie.part2.rar | out=movie.part2.rar dir=movie",
                "http://a/%C3%89t%C3%A9.zip | out=\xC3\x89t\xC3\xA9 \"best\".zip "
                "dir=\xC3\x89t\xC3\xA9 \"best\"",
                "http://a/caf%E9%20x.zip | out=___up_x_.zip dir=___up_x_"}));
  const std::string accented = "\xC3\x89t\xC3\xA9 \"best\"";
  auto row = [](std::string key, std::string type, std::string name, std::string url,
                std::string state, std::string size, std::string date = "") {
    return std::vector<std::string>{key, type, name, url, "http://p/", state, size, date};
  };
  EXPECT_EQ(ReadCsvWithPython(Export(ExportFormat::Csv)),
            (Rows{{"key", "type", "name", "url", "page", "state", "size", "date"},
                  row("movie", "rar", "movie.part1.rar", "http://a/movie.part1.rar", "Valid",
                      "1000", "Tue, 01 Jul 2003 10:00:00 GMT"),
                  row("movie", "rar", "movie.part1.rar", "http://b/movie.part1.rar", "Valid", "0"),
                  row("movie", "rar", "movie.part1.rar", "http://c/movie.part1.rar", "Failed", "0"),
                  row("movie", "rar", "movie.part2.rar", "http://a/movie.part2.rar", "Valid", "900"),
                  row(accented, "zip", accented + ".zip", "http://a/%C3%89t%C3%A9.zip", "Valid", "0"),
                  row("bad", "zip", "bad.zip", "http://a/bad.zip", "Failed", "0"),
                  row("@srv~1", "", "@srv~1", "http://s/folder1", "Waiting", "0"),
                  row("../up/x\\x01", "zip", "../up/x\\x01.zip", "http://a/caf%E9%20x.zip", "Valid",
                      "0", "line1\\x0D\\x0Aline2")}));
  // What the list shows is what goes out: the toggles and the filter.
  EXPECT_EQ(Export(ExportFormat::List, {.showSingleFiles = false}, "E") +
                Export(ExportFormat::Aria2, {}, "zz"),
            movie);
  const std::pair<const char*, const char*> names[] = {
      {"..", "__"}, {".", "_."}, {"", "_"}, {"a/b\\c", "a_b_c"}, {"x\x7F\ty", "x__y"}, {"a..b", "a__b"}};
  for (const auto& [name, safe] : names) EXPECT_EQ(SafePathPart(name), safe) << name;
}

}  // namespace
}  // namespace orvi
