#include "results/catalogue.h"

#include <gtest/gtest.h>

#include <iterator>
#include <thread>

#include "results/results_file.h"

namespace orvi {
namespace {

// "key: name name | name" — groups separated by "|".
std::string ShapeOf(const FoundEntry& entry) {
  std::string out = entry.key + ":";
  for (FoundFile* g : GroupsOf(entry)) {
    if (g != entry.files) out += " |";
    for (FoundFile* f : CopiesOf(g)) out += " " + f->name;
  }
  return out;
}

class CatalogueTest : public ::testing::Test {
 protected:
  bool Add(std::string_view name, std::string_view url, std::string_view page = "http://p/",
           int series = 0) {
    return AddFoundLink(ctx, ctx.catalogue, name, url, page, false, series);
  }
  FoundEntry& Entry(int i) { return *ctx.catalogue.entries.at(i); }
  std::string Shape(int i) { return ShapeOf(Entry(i)); }

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
};

TEST_F(CatalogueTest, SeriesShareOneEntryAndSizesFollowTheColumns) {
  EXPECT_TRUE(Add("setup1.zip", "http://a/setup1.zip", "http://p/", 2));
  EXPECT_FALSE(Add("setup2.zip", "http://a/setup2.zip", "http://p/", 2));
  // A second host for volume 1 is a copy within its group.
  EXPECT_FALSE(Add("setup1.zip", "http://b/setup1.zip", "http://q/", 2));
  ASSERT_EQ(ctx.catalogue.count(), 1);
  EXPECT_EQ(Shape(0), "setup: setup1.zip setup1.zip | setup2.zip");
  EXPECT_EQ(Entry(0).hits, 2);
  Entry(0).files->nextCopy->size = 700;
  Entry(0).files->nextGroup->size = 300;
  SizeAndCount sc = EntrySizeAndCount(Entry(0));
  EXPECT_EQ(std::tuple(sc.count, sc.size), std::tuple(2, 1000));  // each volume's first known size
  // Volumes of several GiB add up without wrapping.
  Entry(0).files->nextCopy->size = INT64_C(3) << 31;
  Entry(0).files->nextGroup->size = INT64_C(5) << 30;
  EXPECT_EQ(EntrySizeAndCount(Entry(0)).size, (INT64_C(3) << 31) + (INT64_C(5) << 30));

  // Added one by one, the same names are two entries; rar volumes group
  // whatever the series, other types stay apart.
  for (const char* name : {"setup1.zip", "setup2.zip", "movie.rar", "movie.r00", "Movie.R01",
                           "readme.txt", "readme.zip"}) {
    Add(name, std::string("http://c/") + name);
  }
  ASSERT_EQ(ctx.catalogue.count(), 6);
  EXPECT_EQ(Entry(2).key, "setup2");
  EXPECT_EQ(Shape(3), "movie: movie.rar | movie.r00 | Movie.R01");
  EXPECT_EQ(Shape(5), "readme: readme.zip");
  EXPECT_EQ(EntryTypeText(Entry(0)) + EntryTypeText(Entry(3)), "ziprar");
}

// Today's volumes make one set each, keyed by the set's name, one group per
// volume in volume order whatever order they come in; the old forms beside
// them keep their own entries. A results file gives the same sets back.
TEST_F(CatalogueTest, TodaysVolumesMakeOneSetEach) {
  using Names = std::vector<std::string>;
  const std::pair<std::vector<std::pair<const char*, int>>, Names> cases[] = {  // name, series
      {{{"movie.part2.rar", 3}, {"movie.part01.rar", 3}, {"Movie.Part010.rar", 3}},
       {"rar movie: movie.part01.rar | movie.part2.rar | Movie.Part010.rar"}},
      {{{"game.7z.001", 2}, {"game.7z.002", 2}, {"game.7z", 0}}, {"7z game: game.7z.001 | game.7z.002", "7z game: game.7z"}},
      // The split zip, its last volume found first and alone.
      {{{"split.zip", 0}, {"split.z02", 2}, {"split.z01", 2}}, {"zip split: split.z01 | split.z02 | split.zip"}},
      // Beside rar volumes of the old form, of another name and of the same.
      {{{"movie.part1.rar", 2}, {"other.r00", 0}, {"movie.part2.rar", 2}, {"other.rar", 0}},
       {"rar movie: movie.part1.rar | movie.part2.rar", "rar other: other.r00 | other.rar"}},
      {{{"movie.part1.rar", 2}, {"movie.rar", 0}, {"movie.r00", 0}},
       {"rar movie: movie.part1.rar", "rar movie: movie.rar | movie.r00"}},
      // Beside a zip series and single archives of a close name.
      {{{"name.zip.001", 2}, {"name1.zip", 0}, {"name.zip.002", 2}},
       {"zip name: name.zip.001 | name.zip.002", "zip name1: name1.zip"}},
  };
  auto shapes = [](const FileCatalogue& table) {
    Names out;
    for (const auto& entry : table.entries) out.push_back(EntryTypeText(*entry) + " " + ShapeOf(*entry));
    return out;
  };
  for (const auto& [links, entries] : cases) {
    Context fresh{ContextOptions{.appFolder = "/tmp"}}, loaded{ContextOptions{.appFolder = "/tmp"}};
    for (const auto& [name, series] : links) {
      AddFoundLink(fresh, fresh.catalogue, name, std::string("http://h/") + name, "p", false, series);
    }
    EXPECT_EQ(shapes(fresh.catalogue), entries) << links[0].first;
    ParseResults(loaded, loaded.catalogue, ComposeResults(fresh, fresh.catalogue));
    EXPECT_EQ(shapes(loaded.catalogue), entries);
  }
}

TEST_F(CatalogueTest, KeysAndVolumeNumbers) {
  struct Case {
    const char* name;
    bool lettered;
    int series;
    const char* key;
  } cases[] = {
      {"disk1234.zip", false, 2, "disk1"}, {"cd1a.zip", true, 2, "cd"}, {"setup.zip", false, 2, "set"},
      {"tool2.exe", false, 2, "tool2"},    {"Part3.ZIP", false, 0, "part3"}, {".zip", false, 2, ""},
      {"noext", false, 2, "noext"},        {"a.zip.html", false, 0, "a"},
  };
  for (const Case& c : cases) {
    Context fresh{ContextOptions{.appFolder = "/tmp"}};
    AddFoundLink(fresh, fresh.catalogue, c.name, std::string("http://h/") + c.name, "p", c.lettered,
                 c.series);
    ASSERT_EQ(fresh.catalogue.count(), 1) << c.name;
    EXPECT_EQ(fresh.catalogue.entries[0]->key, c.key) << c.name;
  }
  // With Protected_X a numeric extension stays in the key.
  ctx.activeProfile.Protected_X = true;
  for (const char* name : {"film.001", "film.002", "film.zip"}) Add(name, std::string("http://a/") + name);
  EXPECT_EQ(Entry(0).key + " " + Entry(1).key + " " + Entry(2).key, "film.001 film.002 film");
}

TEST_F(CatalogueTest, DuplicatesAndCleaning) {
  for (std::string name : {"ab.zip", "a.zip"}) {  // a one-letter name too
    Context fresh{ContextOptions{.appFolder = "/tmp"}};
    auto add = [&](std::string_view url, std::string_view page) {
      return AddFoundLink(fresh, fresh.catalogue, name, url, page, false, 0);
    };
    EXPECT_TRUE(add("http://h/" + name, "http://p1/"));
    // The same URL again, even from another page: dropped, hits unchanged.
    EXPECT_FALSE(add("http://h/" + name, "http://p2/"));
    FoundEntry& entry = *fresh.catalogue.entries[0];
    EXPECT_EQ(entry.hits, 1) << name;
    EXPECT_EQ(entry.files->nextCopy, nullptr);
    // A copy from a page that already gave one: no new hit; from a new page: one.
    EXPECT_FALSE(add("http://mirror/" + name, "http://p1/"));
    EXPECT_EQ(entry.hits, 1);
    EXPECT_FALSE(add("http://third/" + name, "http://p3/"));
    EXPECT_EQ(entry.hits, 2);
  }

  EXPECT_TRUE(Add("b c.zip", "http://h/b c.zip%20target=_blank more"));
  EXPECT_EQ(Entry(0).files->url, "http://h/b%20c.zip");
  EXPECT_TRUE(Add("long.zip", "http://h/" + std::string(300, 'x')));
  EXPECT_EQ(Entry(1).files->url.size(), 239u);

  // A full table refuses even existing entries; a freed slot stays.
  FileCatalogue page(FileCatalogue::kPageCapacity);
  for (int i = 0; i < FileCatalogue::kPageCapacity; ++i) {
    std::string name = "f" + std::to_string(i) + ".zip";
    EXPECT_TRUE(AddFoundLink(ctx, page, name, "http://h/" + name, "p", false, 0));
  }
  EXPECT_FALSE(AddFoundLink(ctx, page, "f0.zip", "http://mirror/f0.zip", "p", false, 0));
  EXPECT_EQ(page.entries[0]->files->nextCopy, nullptr);
  FreeEntry(ctx, page, 3);
  EXPECT_EQ(page.entries[3], nullptr);
  EXPECT_EQ(page.count(), FileCatalogue::kPageCapacity);
}

TEST_F(CatalogueTest, RemovingFilesRelinksGroupsAndDeletesEmptyEntries) {
  for (const char* url : {"http://a/v1.zip", "http://b/v1.zip", "http://a/v2.zip",
                          "http://b/v2.zip", "http://a/v3.zip"}) {
    Add(std::string(url).substr(9), url, "p", 2);
  }
  ASSERT_EQ(Shape(0), "v: v1.zip v1.zip | v2.zip v2.zip | v3.zip");
  FoundFile* firstV2 = Entry(0).files->nextGroup;
  EXPECT_FALSE(RemoveFoundFile(ctx, firstV2));  // its copy takes its place
  EXPECT_EQ(Shape(0), "v: v1.zip v1.zip | v2.zip | v3.zip");
  EXPECT_EQ(Entry(0).files->nextGroup->url, "http://b/v2.zip");
  EXPECT_FALSE(RemoveFoundFile(ctx, Entry(0).files->nextGroup));
  EXPECT_EQ(Shape(0), "v: v1.zip v1.zip | v3.zip");
  EXPECT_FALSE(RemoveFoundFile(ctx, Entry(0).files->nextCopy));
  EXPECT_FALSE(RemoveFoundFile(ctx, Entry(0).files));
  EXPECT_EQ(Shape(0), "v: v3.zip");
  FoundFile* last = Entry(0).files;
  EXPECT_TRUE(RemoveFoundFile(ctx, last));
  EXPECT_TRUE(Entry(0).deleted);
  // Removed files stay readable for a probe that still holds one.
  EXPECT_EQ(firstV2->url + " " + last->name, "http://a/v2.zip v3.zip");
}

// The command line prints the plain single-file statuses.
TEST_F(CatalogueTest, StatusesFromFileStates) {
  Add("one.zip", "http://a/one.zip");
  Add("one.zip", "http://b/one.zip");
  FoundEntry& single = Entry(0);
  single.files->SetState(FileState::Failed);
  single.files->nextCopy->SetState(FileState::TimedOut);
  EXPECT_EQ(GroupStatusOf(*single.files), FileState::Failed);
  single.files->SetState(FileState::TimedOut);
  EXPECT_EQ(GroupStatusOf(*single.files), FileState::TimedOut);
  single.files->nextCopy->SetState(FileState::Valid);
  EXPECT_EQ(EntryStatusOf(single), EntryStatus::SingleValid);

  Add("s1.zip", "http://a/s1.zip", "p", 2);
  Add("s2.zip", "http://a/s2.zip", "p", 2);
  FoundEntry& set = Entry(1);
  set.files->SetState(FileState::Valid);
  EXPECT_EQ(EntryStatusOf(set), EntryStatus::SetPending);
  set.files->nextGroup->SetState(FileState::Valid);
  EXPECT_EQ(EntryStatusOf(set), EntryStatus::SetValid);
}

TEST(Catalogue, ListSizeFormatAndFileTypes) {
  const std::pair<int64_t, const char*> sizes[] = {
      {999, "999"}, {1000, "1.0k"}, {1234567, "1234k"}, {INT64_C(5368709120), "5368709k"}};
  for (const auto& [size, text] : sizes) EXPECT_EQ(ListSizeText(size), text);
  const std::pair<const char*, ArchiveType> types[] = {{"x.c01", ArchiveType::Ace}, {"x.r9", ArchiveType::Rar},
      {"x.7Z", ArchiveType::SevenZip}, {"x.7z.1234567", ArchiveType::SevenZip}, {"x.z01", ArchiveType::Zip},
      {"x.z1", ArchiveType::None}};
  for (const auto& [name, type] : types) EXPECT_EQ(FileTypeOf(name).type, type) << name;
  EXPECT_EQ(FileTypeOf("x.jpeg").extension + FileTypeOf("x.jpegs").extension + FileTypeOf("x.").extension,
            "jpeg");
}

TEST_F(CatalogueTest, ConcurrentAdditionsLoseNothing) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 200; ++i) {
        std::string name = "file" + std::to_string(i) + ".zip";
        Add(name, "http://host" + std::to_string(t) + "/" + name, "http://p" + std::to_string(t));
      }
    });
  }
  for (auto& t : threads) t.join();
  ASSERT_EQ(ctx.catalogue.count(), 200);
  for (auto& entry : ctx.catalogue.entries) {
    EXPECT_EQ(std::ranges::distance(CopiesOf(entry->files)), 4);
    EXPECT_EQ(entry->hits, 4);
  }
}

}  // namespace
}  // namespace orvi
