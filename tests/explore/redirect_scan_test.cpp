#include <gtest/gtest.h>

#include <functional>

#include "explore/link_scanner.h"
#include "platform/text.h"
#include "support/recording_sink.h"

namespace orvi {
namespace {

using test::RecordingSink;
using Texts = std::vector<std::string>;

class RedirectScanTest : public ::testing::Test {
 protected:
  RedirectScanTest() : ctx(ContextOptions{.appFolder = "/tmp"}) {
    ctx.hosts.servers[0] = {"freehost.example", "@freehost"};
  }

  void Frames(const std::string& page, int depth = 1) {
    ScanFrames(ctx, AsciiLower(page), page, kPage, depth, sink);
  }
  void Script(const std::string& page, int depth = 1) {
    ScanScriptRedirect(AsciiLower(page), page, kPage, depth, sink);
  }

  const std::string kPage = "http://site.example/dir/index.html";
  Context ctx;
  RecordingSink sink;
};

// Relative sources are resolved, absolute ones kept; empty sources, queries
// and unclosed values are skipped; a frame on a hosting service is a server
// folder (when those are wanted) and ends the scan.
TEST_F(RedirectScanTest, FrameSources) {
  const std::string dir = "2 1 http://site.example/dir/";
  struct {
    std::string page;
    bool serverFolders;
    Texts offers, links;
  } cases[] = {
      {"<FRAMESET><FRAME NAME=top SRC=\"HTTP://Other.example/Main\">", false, {"2 1 HTTP://Other.example/Main"}, {}},
      // "a.html" ends at the "<", which the next tag loses; "c.html" has no end.
      {"<frame src=\"\"><frame src=\"menu.php?id=3\"><frame src=\"a.html<frame src=\"b.html\"><frame src=\"c.html",
       false, {dir + "a.html"}, {}},
      {"<frame ", false, {}, {}},
      {"<frame src=x>", false, {}, {}},
      {"<frameset src=\"a\">", false, {}, {}},
      {"<frame src=\"left.html\"><frame src=\"http://www.FreeHost.example/Joe\"><frame src=\"right.html\">", true,
       {dir + "left.html"}, {"@freehost~5 http://www.FreeHost.example/Joe 0 0"}},
      {"<frame src=\"http://www.freehost.example/joe\">", false, {"2 1 http://www.freehost.example/joe"}, {}},
      // A blank row of the settings matches nothing.
      {"<frame src=\"http://x.example/\">", true, {"2 1 http://x.example/"}, {}},
  };
  ctx.hosts.servers[1] = {"", "@blank"};
  for (const auto& c : cases) {
    sink = RecordingSink();
    ctx.activeProfile.Serveurs = c.serverFolders;
    ctx.run.ServerCounter = 4;
    Frames(c.page);
    EXPECT_EQ(sink.offers, c.offers) << c.page;
    EXPECT_EQ(sink.links, c.links) << c.page;
    EXPECT_EQ(sink.pages, Texts(c.links.size(), kPage));
  }
  Frames("<frame src=\"a.html\">", 2);
  EXPECT_EQ(sink.offers.back(), "2 2 http://site.example/dir/a.html");
}

TEST_F(RedirectScanTest, FramesQueueTheFirstSixAccepted) {
  std::string page = "<frameset>";
  for (int i = 1; i <= 9; ++i) page += "<frame src=\"f" + std::to_string(i) + ".html\">";
  Frames(page);
  ASSERT_EQ(sink.offers.size(), 6u);
  EXPECT_EQ(sink.offers.back(), "2 1 http://site.example/dir/f6.html");

  // Sources that the queue refuses (filtered, or queued before) do not count.
  sink.offers.clear();
  sink.accept = [](const std::string& url) {
    return url.find("f2.") == std::string::npos && url.find("f4.") == std::string::npos;
  };
  Frames(page);
  ASSERT_EQ(sink.offers.size(), 8u);
  EXPECT_EQ(sink.offers.back(), "2 1 http://site.example/dir/f8.html");
}

TEST_F(RedirectScanTest, ScriptRedirectAbsoluteOrResolved) {
  Script("<script>window.location='HTTP://Other.example/Next.html';</script>", 3);
  Script("<script>document.Location = '../Up.html'</script>");
  Script("window.location='unclosed.html");
  Script("window.location=x");
  EXPECT_EQ(sink.offers,
            (Texts{"1 3 HTTP://Other.example/Next.html", "1 1 http://site.example/Up.html"}));

  sink.offers.clear();
  Script("window.location='http://h/" + std::string(400, 'p') + "'");
  EXPECT_EQ(sink.offers, Texts{"1 1 http://h/" + std::string(kMaxLinkChars - 9, 'p')});
}

}  // namespace
}  // namespace orvi
