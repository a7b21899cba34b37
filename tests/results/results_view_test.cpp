#include "results/results_view.h"

#include <gtest/gtest.h>

#include <tuple>

#include "results/catalogue.h"

namespace orvi {
namespace {

using Ints = std::vector<int>;

class ResultsViewTest : public ::testing::Test {
 protected:
  void Add(std::string_view name, std::string_view url, std::string_view page = "http://p/",
           int series = 0) {
    AddFoundLink(ctx, ctx.catalogue, name, url, page, false, series);
  }
  FoundFile& File(int entry, int group = 0, int copy = 0) {
    FoundFile* g = ctx.catalogue.entries.at(entry)->files;
    while (group-- > 0) g = g->nextGroup;
    while (copy-- > 0) g = g->nextCopy;
    return *g;
  }
  Ints Listed() {
    Ints out;
    for (const ListRow& row : view.Rows()) {
      if (row.listed) out.push_back(row.index);
    }
    return out;
  }

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  ResultsView view;
};

// The toggles hide their kind of row, the filter the rows whose key does not
// hold its text (letter case and accents ignored); the window's test sees the rows come and go.
TEST_F(ResultsViewTest, TheTogglesAndTheFilterHideTheirRows) {
  Add("ok.zip", "http://a/ok.zip");                        // 0 single, valid
  Add("bad.zip", "http://a/bad.zip");                      // 1 single, failed
  Add("set1.zip", "http://a/set1.zip", "http://p/", 2);    // 2 set, one volume failed
  Add("set2.zip", "http://a/set2.zip", "http://p/", 2);
  Add("@srv~1", "http://s/folder1");                       // 3 server folder
  Add("@srv~1", "http://s/folder2");
  Add("gone.zip", "http://a/gone.zip");                    // 4 deleted
  Add("\xC9T\xC9 Ok.zip", "http://a/ete.zip");           // 5 "ÉTÉ ok"
  File(0).SetState(FileState::Valid);
  File(1).SetState(FileState::Failed);
  File(2, 1).SetState(FileState::TimedOut);
  MarkEntryDeleted(ctx, 4);
  // Server folders, single files, then the filter; the errors toggle is the window's test.
  const std::tuple<ViewToggles, const char*, Ints> cases[] = {
      {{true, true, true}, "", {0, 1, 2, 3, 5}}, {{true, false, true}, "", {0, 1, 2, 5}},
      {{true, true, false}, "", {2, 3}},         {{true, true, true}, "OK", {0, 5}},
      {{true, true, true}, "\xE9te o", {5}},    {{true, false, true}, "s", {2}}};
  for (const auto& [toggles, filter, listed] : cases) {
    view.SetFilter(filter);
    view.RefreshList(ctx, toggles);
    EXPECT_EQ(Listed(), listed) << toggles.showServerFolders << toggles.showSingleFiles << filter;
  }
  EXPECT_EQ(view.Row(3).nbText + view.Row(2).nbText, "?2");
  EXPECT_EQ(view.Row(2).status, EntryStatus::SetFailed);
}

TEST_F(ResultsViewTest, EachCallNamesOnlyWhatChanged) {
  Add("a.zip", "http://a/a.zip");
  Add("b.zip", "http://a/b.zip");
  Add("c.zip", "http://a/c.zip");
  EXPECT_EQ(view.RefreshList(ctx, {}).changed, (Ints{0, 1, 2}));
  EXPECT_TRUE(view.RefreshList(ctx, {}).changed.empty());

  // A size becomes known: "?" gives way to 12.3k, and a re-check that
  // forgets the size does not bring "?" back.
  EXPECT_EQ(view.Row(1).sizeText, "?");
  File(1).size = 12345;
  EXPECT_EQ(view.RefreshList(ctx, {}).changed, Ints{1});
  EXPECT_EQ(view.Row(1).sizeText, "12.3k");
  EXPECT_EQ(ctx.catalogue.entries[1]->shownSize, 12345);
  ResetFileForRecheck(ctx, &File(1));
  view.RefreshList(ctx, {});
  EXPECT_EQ(view.Row(1).sizeText, "12.3k");

  // Another copy and a sighting on another page: Nb, Hits and the image.
  Add("c.zip", "http://b/c.zip", "http://q/");
  File(0).SetState(FileState::Failed);
  EXPECT_EQ(view.RefreshList(ctx, {}).changed, (Ints{0, 2}));
  EXPECT_EQ(view.Row(2).nbText + view.Row(2).hitsText, "22");
  EXPECT_EQ(view.Row(0).status, EntryStatus::SingleFailed);
}

TEST_F(ResultsViewTest, TheTreeShowsGroupsFilesAndWhatChanged) {
  Add("disk1.zip", "http://a/disk1.zip", "http://p/", 2);
  Add("disk2.zip", "http://a/disk2.zip", "http://p/", 2);
  Add("disk1.zip", "http://b/disk1.zip", "http://q/", 2);
  File(0, 0, 1).SetState(FileState::Verifying);

  EntryTree tree = view.RefreshTree(ctx, 0, true);
  ASSERT_EQ(tree.groups.size(), 2u);
  EXPECT_TRUE(tree.rebuilt);
  EXPECT_EQ(tree.groups[0].name, "disk1.zip");
  EXPECT_EQ(tree.groups[0].onlyFile, nullptr);  // two copies
  EXPECT_EQ(tree.groups[1].onlyFile, &File(0, 1));
  ASSERT_EQ(tree.groups[0].files.size(), 2u);
  EXPECT_EQ(tree.groups[0].files[1].url, "http://b/disk1.zip");
  EXPECT_EQ(tree.groups[0].files[1].image, 4);  // Verifying
  EXPECT_EQ(tree.groups[0].image, 1);           // Waiting: not one lone file being verified

  File(0, 1).SetState(FileState::Valid);
  tree = view.RefreshTree(ctx, 0, false);
  EXPECT_FALSE(tree.rebuilt || tree.groups[0].changed || tree.groups[0].files[0].changed);
  EXPECT_TRUE(tree.groups[1].changed && tree.groups[1].files[0].changed);
  EXPECT_EQ(tree.groups[1].image, 0);

  // A volume found later is a changed group.
  Add("disk3.zip", "http://a/disk3.zip", "http://r/", 2);
  EXPECT_TRUE(view.RefreshTree(ctx, 0, false).groups[2].changed);

  EXPECT_EQ(view.RefreshTree(ctx, 7, false).index, -1);
  MarkEntryDeleted(ctx, 0);
  EXPECT_TRUE(view.RefreshTree(ctx, 0, false).groups.empty());
}

// The window's pane shows a file's details; its sort orders are the window's test.
TEST_F(ResultsViewTest, DetailSizesGroupThousandsFromThePaneOn) {
  const std::pair<int64_t, const char*> sizes[] = {{1000, "1000"}, {1001, "1,001"},
      {1000000, "1000,000"}, {5000000000LL, "5000,000,000"}};
  for (const auto& [size, text] : sizes) EXPECT_EQ(DetailSizeText(size), text) << size;
  Add("Beta.zip", "http://a/Beta.zip", "http://p/b");
  File(0).size = 1234567;
  File(0).SetDate("15 Nov 1994");
  EXPECT_EQ(FileDetailsOf(ctx, &File(0)),
            (FileDetails{"http://a/Beta.zip", "http://p/b", "15 Nov 1994", "1,234,567"}));
  EXPECT_EQ(FileDetailsOf(ctx, nullptr), FileDetails{});
}

}  // namespace
}  // namespace orvi
