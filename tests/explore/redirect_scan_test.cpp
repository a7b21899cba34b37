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

TEST_F(RedirectScanTest, FramesResolveRelativeSourcesAndKeepAbsoluteOnes) {
  Frames("<FRAMESET><FRAME NAME=top SRC=\"Menu.HTML\"><frame src=\"HTTP://Other.example/Main\">",
         2);
  EXPECT_EQ(sink.offers,
            (Texts{"2 2 http://site.example/dir/Menu.HTML", "2 2 HTTP://Other.example/Main"}));
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

TEST_F(RedirectScanTest, FramesSkipEmptySourcesAndQueries) {
  // "a.html" ends at the "<", which the next tag loses; "c.html" has no end.
  Frames("<frame src=\"\"><frame src=\"menu.php?id=3\"><frame src=\"a.html<frame src=\"b.html\">"
         "<frame src=\"c.html");
  for (const char* page : {"<frame ", "<frame src", "<frame src=x>", "<frameset src=\"a\">"}) {
    Frames(page);
  }
  EXPECT_EQ(sink.offers, Texts{"2 1 http://site.example/dir/a.html"});
}

TEST_F(RedirectScanTest, AFrameOnAHostingServiceIsAServerFolderAndEndsTheScan) {
  ctx.activeProfile.Serveurs = true;
  ctx.run.ServerCounter = 4;
  Frames("<frame src=\"left.html\"><frame src=\"http://www.FreeHost.example/Joe\">"
         "<frame src=\"right.html\">");
  EXPECT_EQ(sink.offers, Texts{"2 1 http://site.example/dir/left.html"});
  EXPECT_EQ(sink.links, Texts{"@freehost~5 http://www.FreeHost.example/Joe 0 0"});
  EXPECT_EQ(sink.pages, Texts{kPage});
  EXPECT_EQ(ctx.run.ServerCounter, 5);
}

TEST_F(RedirectScanTest, OtherAbsoluteFramesAreQueued) {
  Frames("<frame src=\"http://www.freehost.example/joe\">");  // server folders not wanted
  ctx.activeProfile.Serveurs = true;
  ctx.hosts.servers[1] = {"", "@blank"};  // a blank row of the settings matches nothing
  Frames("<frame src=\"http://x.example/\">");
  EXPECT_EQ(sink.offers, (Texts{"2 1 http://www.freehost.example/joe", "2 1 http://x.example/"}));
  EXPECT_TRUE(sink.links.empty());
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
