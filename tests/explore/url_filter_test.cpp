#include "explore/url_filter.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace orvi {
namespace {

class UrlFilterTest : public ::testing::Test {
 protected:
  bool Passes(std::string_view url, int count = 0) {
    bool cache = false;
    return PassesUrlFilters(ctx, AsciiLower(url), count, cache);
  }
  Context ctx{ContextOptions{.appFolder = "/tmp"}};
};

TEST_F(UrlFilterTest, RefusesFilesMediaHostingAndKnownSites) {
  EXPECT_TRUE(Passes("HTTP://Example.com/Downloads/"));
  EXPECT_FALSE(Passes("https://example.com/"));
  EXPECT_FALSE(Passes("http://example.com/FILE.ZIP"));
  EXPECT_FALSE(Passes("http://example.com/clip.rm"));
  EXPECT_TRUE(Passes("http://example.com/zip.html"));
  EXPECT_FALSE(Passes("http://www.idrive.com/user/folder"));  // a hosting folder
  EXPECT_FALSE(Passes("http://example.com/cgi/proxy.html"));
  EXPECT_FALSE(Passes("http://babelfish.altavista.com/tr"));
  EXPECT_FALSE(Passes("http://example.com/", kQueueCapacity));
  EXPECT_TRUE(Passes("http://example.com/", kQueueCapacity - 1));
  // Only the first 239 characters count.
  EXPECT_TRUE(Passes("http://example.com/" + std::string(230, 'a') + ".zip"));
}

TEST_F(UrlFilterTest, NewsScriptsAndDatedPathsUnlessNewsAreAllowed) {
  const char* news[] = {"http://example.com/forum/index.html", "http://example.com/news/a.html",
                        "http://example.com/2003/07/14/story.html",
                        "http://example.com/page.php?vote=1"};
  for (const char* url : news) EXPECT_FALSE(Passes(url)) << url;
  // A query saves a dated path from the digit rule, not from the script words.
  EXPECT_TRUE(Passes("http://example.com/2003/07/14/story.html?x=1"));
  EXPECT_FALSE(Passes("http://example.com/2003/07/14/hit.html?x=1"));
  EXPECT_TRUE(Passes("http://example.com/cgi-bin/list"));  // "cgi" only matters with "?"
  // A cache link is spared the digit rule, and is noted as such.
  bool cache = false;
  EXPECT_TRUE(PassesUrlFilters(ctx, "http://cache.example/search?q=cache:x.com/20030714.html", 0,
                               cache));
  EXPECT_TRUE(cache);
  ctx.activeProfile.EnableNews = true;
  for (const char* url : news) EXPECT_TRUE(Passes(url)) << url;
}

TEST_F(UrlFilterTest, ServerHostOfFindsTheFirstRow) {
  EXPECT_EQ(ServerHostOf(ctx.hosts, "http://www.myspace.com/x"), &ctx.hosts.servers[1]);
  EXPECT_EQ(ServerHostOf(ctx.hosts, "http://example.com/"), nullptr);
  ctx.hosts.servers[0].fragment.clear();  // an empty row matches nothing
  EXPECT_EQ(ServerHostOf(ctx.hosts, "http://idrive.com/"), nullptr);
}

}  // namespace
}  // namespace orvi
