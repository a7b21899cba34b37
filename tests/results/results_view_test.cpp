#include "results/results_view.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "results/catalogue.h"

namespace orvi {
namespace {

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
  std::vector<int> Listed() {
    std::vector<int> out;
    for (const ListRow& row : view.Rows()) {
      if (row.listed) out.push_back(row.index);
    }
    return out;
  }

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
  ResultsView view;
};

// The toggles hide their kind of row, the filter the rows whose key does not
// hold its text (letter case and accents ignored); each call names the rows
// that came or went.
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

  struct Case {
    ViewToggles toggles;
    std::vector<int> listed;
    const char* filter = "";
  } cases[] = {
      {{true, true, true}, {0, 1, 2, 3, 5}},
      {{false, true, true}, {0, 3, 5}},
      {{true, false, true}, {0, 1, 2, 5}},
      {{true, true, false}, {2, 3}},
      {{false, false, false}, {}},
      {{true, true, true}, {0, 1, 2, 3, 5}},  // and back
      {{true, true, true}, {0, 5}, "OK"},
      {{true, true, true}, {5}, "\xE9t\xE9"},
      {{true, true, true}, {5}, "ete o"},
      {{true, true, true}, {2, 3}, "s"},
      {{false, true, true}, {3}, "s"},
      {{true, true, true}, {}, "zz"},
      {{true, true, true}, {0, 1, 2, 3, 5}, ""},
  };
  std::vector<int> before;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.toggles.showErrors << c.toggles.showServerFolders
                                    << c.toggles.showSingleFiles << " \"" << c.filter << "\"");
    view.SetFilter(c.filter);
    std::vector<int> changed = view.RefreshList(ctx, c.toggles).changed;
    EXPECT_EQ(Listed(), c.listed);
    std::vector<int> cameOrWent;
    std::set_symmetric_difference(before.begin(), before.end(), c.listed.begin(), c.listed.end(),
                                  std::back_inserter(cameOrWent));
    EXPECT_EQ(changed, cameOrWent);
    before = c.listed;
  }
  const ListRow& folder = view.Row(3);
  EXPECT_EQ(folder.nbText, "?");
  EXPECT_EQ(folder.Image(), static_cast<int>(EntryStatus::ServerFolder));
  EXPECT_EQ(view.Row(2).nbText, "2");
  EXPECT_EQ(view.Row(2).status, EntryStatus::SetFailed);
  EXPECT_EQ(view.Row(0).typeText, "zip");
}

TEST_F(ResultsViewTest, EachCallNamesOnlyWhatChanged) {
  Add("a.zip", "http://a/a.zip");
  Add("b.zip", "http://a/b.zip");
  Add("c.zip", "http://a/c.zip");
  ListChanges first = view.RefreshList(ctx, {});
  EXPECT_EQ(first.changed, (std::vector<int>{0, 1, 2}));
  EXPECT_TRUE(view.RefreshList(ctx, {}).changed.empty());

  // A size becomes known: "?" gives way to 12.3k, and a re-check that
  // forgets the size does not bring "?" back.
  EXPECT_EQ(view.Row(1).sizeText, "?");
  File(1).size = 12345;
  EXPECT_EQ(view.RefreshList(ctx, {}).changed, std::vector<int>{1});
  EXPECT_EQ(view.Row(1).sizeText, "12.3k");
  EXPECT_EQ(ctx.catalogue.entries[1]->shownSize, 12345);
  ResetFileForRecheck(ctx, &File(1));
  view.RefreshList(ctx, {});
  EXPECT_EQ(view.Row(1).sizeText, "12.3k");

  // Another copy and a sighting on another page: Nb, Hits and the image.
  Add("c.zip", "http://b/c.zip", "http://q/");
  File(0).SetState(FileState::Failed);
  EXPECT_EQ(view.RefreshList(ctx, {}).changed, (std::vector<int>{0, 2}));
  EXPECT_EQ(view.Row(2).nbText, "2");
  EXPECT_EQ(view.Row(2).hitsText, "2");
  EXPECT_EQ(view.Row(0).status, EntryStatus::SingleFailed);

  // Hidden by a toggle: named once as gone, once as back.
  EXPECT_EQ(view.RefreshList(ctx, {.showErrors = false}).changed, std::vector<int>{0});
  EXPECT_FALSE(view.Row(0).listed);
  EXPECT_TRUE(view.RefreshList(ctx, {.showErrors = false}).changed.empty());
  EXPECT_EQ(view.RefreshList(ctx, {}).changed, std::vector<int>{0});

  // New entries come after the known ones.
  Add("d.zip", "http://a/d.zip");
  ListChanges added = view.RefreshList(ctx, {});
  EXPECT_FALSE(added.reset);
  EXPECT_EQ(added.changed, std::vector<int>{3});
}

TEST_F(ResultsViewTest, AReplacedCatalogueResetsTheList) {
  Add("a.zip", "http://a/a.zip");
  Add("b.zip", "http://a/b.zip");
  view.RefreshList(ctx, {});
  {
    // Same count, other entries: what a load after a clear gives.
    std::lock_guard lock(ctx.CatalogueLock);
    ctx.catalogue.entries.clear();
  }
  Add("x.rar", "http://a/x.rar");
  Add("y.zip", "http://a/y.zip");
  ListChanges changes = view.RefreshList(ctx, {});
  EXPECT_TRUE(changes.reset);
  EXPECT_EQ(changes.changed, (std::vector<int>{0, 1}));
  EXPECT_EQ(view.Row(0).key, "x");
  EXPECT_EQ(view.Row(0).typeText, "rar");
  {
    std::lock_guard lock(ctx.CatalogueLock);
    ctx.catalogue.entries.clear();
  }
  changes = view.RefreshList(ctx, {});
  EXPECT_TRUE(changes.reset);
  EXPECT_EQ(view.RowCount(), 0);
}

TEST_F(ResultsViewTest, TheTreeShowsGroupsFilesAndWhatChanged) {
  Add("disk1.zip", "http://a/disk1.zip", "http://p/", 2);
  Add("disk2.zip", "http://a/disk2.zip", "http://p/", 2);
  Add("disk1.zip", "http://b/disk1.zip", "http://q/", 2);
  File(0, 0, 1).SetState(FileState::Verifying);

  EntryTree tree = view.RefreshTree(ctx, 0, true);
  ASSERT_EQ(tree.groups.size(), 2u);
  EXPECT_TRUE(tree.rebuilt);
  EXPECT_TRUE(tree.allPagesEqual);
  EXPECT_EQ(tree.referencePage, "http://p/");
  EXPECT_EQ(tree.groups[0].name, "disk1.zip");
  EXPECT_EQ(tree.groups[0].onlyFile, nullptr);  // two copies
  EXPECT_EQ(tree.groups[1].onlyFile, &File(0, 1));
  ASSERT_EQ(tree.groups[0].files.size(), 2u);
  EXPECT_EQ(tree.groups[0].files[1].url, "http://b/disk1.zip");
  EXPECT_EQ(tree.groups[0].files[1].image, 4);  // Verifying
  EXPECT_EQ(tree.groups[0].image, 1);           // Waiting: not one lone file being verified

  File(0, 1).SetState(FileState::Valid);
  tree = view.RefreshTree(ctx, 0, false);
  EXPECT_FALSE(tree.rebuilt);
  EXPECT_FALSE(tree.groups[0].changed);
  EXPECT_FALSE(tree.groups[0].files[0].changed);
  EXPECT_TRUE(tree.groups[1].changed);
  EXPECT_TRUE(tree.groups[1].files[0].changed);
  EXPECT_EQ(tree.groups[1].image, 0);

  // A volume found on another page disables "Voir page ref.".
  Add("disk3.zip", "http://a/disk3.zip", "http://r/", 2);
  tree = view.RefreshTree(ctx, 0, false);
  EXPECT_FALSE(tree.allPagesEqual);
  EXPECT_TRUE(tree.groups[2].changed);

  EXPECT_EQ(view.RefreshTree(ctx, 7, false).index, -1);
  MarkEntryDeleted(ctx, 0);
  EXPECT_TRUE(view.RefreshTree(ctx, 0, false).groups.empty());
}

TEST(ResultsViewText, SizesOfThePropertiesPane) {
  struct {
    int64_t size;
    const char* text;
  } cases[] = {{0, "0"},        {1000, "1000"},          {1001, "1,001"},
               {1000000, "1000,000"}, {1234567, "1,234,567"}, {5000000000LL, "5000,000,000"}};
  for (const auto& c : cases) EXPECT_EQ(DetailSizeText(c.size), c.text) << c.size;
}

TEST_F(ResultsViewTest, DetailsAndSortOrders) {
  Add("Beta.zip", "http://a/Beta.zip", "http://p/b");
  Add("alpha.exe", "http://a/alpha.exe");
  Add("gamma.zip", "http://a/gamma.zip");
  Add("gamma.zip", "http://b/gamma.zip", "http://q/");
  File(0).size = 1234567;
  File(0).SetDate("15 Nov 1994");
  EXPECT_EQ(FileDetailsOf(ctx, &File(0)),
            (FileDetails{"http://a/Beta.zip", "http://p/b", "15 Nov 1994", "1,234,567"}));
  EXPECT_EQ(FileDetailsOf(ctx, nullptr), FileDetails{});

  view.RefreshList(ctx, {});
  std::vector<ListRow> rows = view.Rows();
  auto Order = [&](ListColumn column, bool flag) {
    std::stable_sort(rows.begin(), rows.end(),
                     [&](const ListRow& a, const ListRow& b) { return RowBefore(a, b, column, flag); });
    std::string keys;
    for (const ListRow& r : rows) keys += r.key + " ";
    return keys;
  };
  EXPECT_EQ(Order(ListColumn::Name, true), "alpha beta gamma ");
  EXPECT_EQ(Order(ListColumn::Name, false), "gamma beta alpha ");
  EXPECT_EQ(Order(ListColumn::Hits, true), "gamma beta alpha ");
  EXPECT_EQ(Order(ListColumn::Hits, false), "beta alpha gamma ");
  EXPECT_EQ(Order(ListColumn::Size, true), "beta alpha gamma ");
  EXPECT_EQ(Order(ListColumn::Type, true), "alpha beta gamma ");
}

}  // namespace
}  // namespace orvi
