#include "site/news.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::ScriptServer;

struct NewsCheck : ::testing::Test {
  void Start(const std::string& siteUrl) {
    ctx = std::make_unique<Context>(ContextOptions{.appFolder = home.path()});
    ctx->settings.HttpTimeOut = 10;
    ctx->engines.SiteUrl = siteUrl;
  }
  test::TempDir home;
  std::unique_ptr<Context> ctx;
};

TEST_F(NewsCheck, FetchesTheMessageFileOfTheSite) {
  ScriptServer server([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Send(ScriptServer::Response("200 OK", "\r\nNouvelle version 0.42\r\nA voir.\r\n"));
  });
  Start(server.Url(""));
  std::optional<std::string> shown = CheckNews(*ctx);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(*shown, "Nouvelle version 0.42\r\r\nA voir.\r\r\n");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].rfind("GET /files/version.txt ", 0), 0u) << server.Requests()[0];
  // The next start finds the same text and shows nothing.
  EXPECT_FALSE(CheckNews(*ctx).has_value());
}

// The check runs at start-up beside the windows: a search started or stopped
// meanwhile breaks the search's sockets, never the news fetch's.
TEST_F(NewsCheck, ASearchStoppedDuringTheFetchDoesNotCutIt) {
  std::promise<void> headersSent, stopped;
  std::atomic<int> connections{0};
  ScriptServer server([&](ScriptServer::Conn& c) {
    if (connections++ > 0) return;  // a cut fetch tries again: nothing more for it
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\nContent-Length: 14\r\n\r\n");
    headersSent.set_value();
    stopped.get_future().wait();
    c.Send("Version 0.42\r\n");
  });
  Start(server.Url(""));
  std::future<std::optional<std::string>> shown =
      std::async(std::launch::async, [&] { return CheckNews(*ctx); });
  headersSent.get_future().wait();
  ctx->sockets.CloseAllSockets();
  stopped.set_value();
  EXPECT_EQ(shown.get(), "Version 0.42\r\r\n");
}

TEST_F(NewsCheck, AFailedFetchOrNoSiteLeavesTheCopyAlone) {
  struct Case {
    const char* name;
    std::string response;
    bool site = true;
  } cases[] = {
      {"not found", ScriptServer::Response("404 Not Found", "gone\n")},
      {"redirection", "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:9/\r\n\r\n"},
      {"closed at once", ""},
      {"no site address: nothing is asked", "", false},
  };
  for (const Case& c : cases) {
    ScriptServer server([&](ScriptServer::Conn& conn) {
      conn.ReadRequest();
      conn.Send(c.response);
    });
    home.Write("version.txt", "old\r\n");
    Start(c.site ? server.Url("") : "");
    EXPECT_FALSE(CheckNews(*ctx).has_value()) << c.name;
    EXPECT_EQ(home.Read("version.txt"), "old\r\n") << c.name;
    EXPECT_EQ(server.Connections(), c.site ? 1 : 0) << c.name;
  }
}

}  // namespace
}  // namespace orvi
