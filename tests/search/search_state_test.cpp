#include "search/search_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "explore/queue.h"
#include "results/catalogue.h"
#include "support/recording_ui.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

class SearchStateTest : public ::testing::Test {
 protected:
  Context Make() { return Context(ContextOptions{.appFolder = dir.path(), .ui = ui}); }
  test::TempDir dir;
  std::shared_ptr<test::RecordingUi> ui = std::make_shared<test::RecordingUi>();
};

TEST_F(SearchStateTest, SavesUnfinishedPagesAndRestoresThemWaiting) {
  {
    Context ctx = Make();
    ctx.ProfileName = "/Musique/mp3";
    ctx.SearchText = "mozart requiem";
    ctx.activeProfile.Keys[0] = "mp3";
    ctx.activeProfile.MaxDomains = 50;
    ctx.run.collecting = true;
    for (int i = 0; i < 10; ++i) {
      bool added;
      QueueEntryPtr e = AcceptUrl(ctx, "http://h" + std::to_string(i) + ".com/p", added, 1,
                                  FoundBy::FromEngine, 0);
      if (i < 4) e->state = kDone;
      if (i == 5) e->state = kTaken;  // being explored: saved too
    }
    ctx.queue.entries[6]->cacheUrl = "http://g/search?q=cache:h6.com/p";
    AddFoundLink(ctx, ctx.catalogue, "r.zip", "http://h/r.zip", "http://h/", false, 0);
    SaveSearchStateCommand(ctx);
  }
  EXPECT_EQ(dir.Read("rechsvg.ini"),
            "/Musique/mp3\r\nmozart requiem\r\nhttp://h4.com/p\r\nhttp://h5.com/p\r\n"
            "http://h6.com/p *cache* http://g/search?q=cache:h6.com/p\r\nhttp://h7.com/p\r\n"
            "http://h8.com/p\r\nhttp://h9.com/p\r\n");
  EXPECT_NE(dir.Read("profilsvg.ini").find("Key0=mp3\r\n"), std::string::npos);
  EXPECT_EQ(dir.Read("Resultsvg.txt"), "[r,1]\r\nr.zip,http://h/r.zip,http://h/,0,0,?? ??\r\n>\r\n");

  Context resumed = Make();
  ASSERT_TRUE(RestoreSearchState(resumed));
  EXPECT_EQ(std::tie(resumed.ProfileName, resumed.SearchText, resumed.activeProfile.Keys[0],
                     resumed.activeProfile.MaxDomains),
            std::make_tuple("/Musique/mp3", "mozart requiem", "mp3", 50));
  ASSERT_EQ(resumed.queue.count(), 6);
  const QueueEntry& cached = *resumed.queue.entries[2];
  EXPECT_EQ(cached.url + " " + cached.cacheUrl, "http://h6.com/p http://g/search?q=cache:h6.com/p");
  for (const auto& e : resumed.queue.entries) {
    EXPECT_EQ(std::tuple(e->state.load(), e->engine.load(), e->depth), std::tuple(kWaiting, 0, 0));
  }
  EXPECT_TRUE(ui->Calls().empty());
}

TEST_F(SearchStateTest, AProfileWithoutPagesAndPageAddresses) {
  // A profile without the search file: the profile is loaded, the resume fails.
  Context ctx = Make();
  dir.Write("profilsvg.ini", "[Config]\r\nKey0=x\r\n");
  EXPECT_FALSE(RestoreSearchState(ctx));
  EXPECT_EQ(ctx.activeProfile.Keys[0], "x");

  dir.Write("rechsvg.ini", "Mode Scan\r\nhttp://site/page.html\r\n\r\nhttp://site/page.html\n");
  ASSERT_TRUE(RestoreSearchState(ctx));
  EXPECT_EQ(ctx.SearchText, "");  // a page address is no search text
  EXPECT_EQ(ctx.queue.count(), 1);
}

// A page analysis has no search text, and no profile name before any search:
// its first saved pages must come back as pages.
TEST_F(SearchStateTest, APageAnalysisComesBackWithEveryPage) {
  for (const char* name : {"", "mp3"}) {
    {
      Context ctx = Make();
      ctx.ProfileName = name;
      ctx.activeProfile.MaxDomains = 50;
      ctx.run.collecting = true;
      bool added;
      for (const char* url : {"http://site/a.html", "http://site/b.html", "http://site/c.html"}) {
        AcceptUrl(ctx, url, added, 1, FoundBy::FromEngine, 0);
      }
      SaveSearchStateCommand(ctx);
    }
    Context resumed = Make();
    ASSERT_TRUE(RestoreSearchState(resumed));
    EXPECT_EQ(resumed.ProfileName + "|" + resumed.SearchText, std::string(name) + "|");
    ASSERT_EQ(resumed.queue.count(), 3) << name;
    EXPECT_EQ(resumed.queue.entries[0]->url, "http://site/a.html");
  }
}

// A save broken off before each of its steps, as a crash would break it,
// over an earlier whole save: the resume finds one whole set, the old or the
// new, never a mix, and never nothing.
TEST(SearchStateCrashTest, ACrashAtAnyStepLeavesOneWholeSet) {
  auto Fill = [](Context& ctx, const std::string& tag, int domains) {
    ctx.ProfileName = "/p";
    ctx.SearchText = tag;
    ctx.activeProfile.MaxDomains = domains;
    {
      std::lock_guard lock(ctx.CatalogueLock);
      ctx.catalogue.entries.clear();
    }
    AddFoundLink(ctx, ctx.catalogue, tag + ".zip", "http://h/" + tag + ".zip", "http://h/", false, 0);
  };
  bool sawOld = false, sawNew = false;
  for (int crashAt = 0;; ++crashAt) {
    test::TempDir dir;
    bool crashed = false;
    {
      Context ctx(ContextOptions{.appFolder = dir.path()});
      Fill(ctx, "old", 1);
      ASSERT_TRUE(SaveSearchStateFiles(ctx, true));
      Fill(ctx, "new", 2);
      SaveSearchStateFiles(ctx, true, [&](int step) {
        crashed = step == crashAt;
        return !crashed;
      });
    }
    Context resumed(ContextOptions{.appFolder = dir.path()});
    ASSERT_TRUE(RestoreSearchState(resumed)) << crashAt;
    const std::string tag = resumed.SearchText;
    ASSERT_TRUE(tag == "old" || tag == "new") << crashAt << ": " << tag;
    EXPECT_EQ(resumed.activeProfile.MaxDomains, tag == "old" ? 1 : 2) << crashAt;
    EXPECT_EQ(dir.Read("Resultsvg.txt").substr(0, 5), "[" + tag + ",") << crashAt;
    EXPECT_FALSE(std::filesystem::exists(dir.File("svgcommit.txt"))) << crashAt;
    EXPECT_FALSE(std::filesystem::exists(dir.File("rechsvg.ini.new"))) << crashAt;
    (tag == "old" ? sawOld : sawNew) = true;
    if (!crashed) break;  // every step was passed: the save went through
  }
  EXPECT_TRUE(sawOld);
  EXPECT_TRUE(sawNew);
}

// A first save broken before its marker is no save.
TEST(SearchStateCrashTest, AFirstSaveBrokenBeforeItsMarkerLeavesNoSave) {
  test::TempDir dir;
  auto ui = std::make_shared<test::RecordingUi>();
  {
    Context ctx(ContextOptions{.appFolder = dir.path()});
    SaveSearchStateFiles(ctx, true, [](int step) { return step < 3; });
  }
  Context resumed(ContextOptions{.appFolder = dir.path(), .ui = ui});
  EXPECT_FALSE(RestoreSearchState(resumed));
  EXPECT_EQ(resumed.queue.count(), 0);
  EXPECT_EQ(ui->Calls(), std::vector<std::string>{"box : Pas de sauvegarde trouv\xE9" "e !"});
  EXPECT_FALSE(std::filesystem::exists(dir.File("profilsvg.ini.new")));
}

}  // namespace
}  // namespace orvi
