#include "net/fetch_page.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <thread>

#include "core/commands.h"
#include "support/manual_clock.h"
#include "support/real_servers.h"
#include "support/recording_ui.h"
#include "support/script_server.h"

namespace orvi {
namespace {

using test::ScriptServer;

class FetchPageTest : public ::testing::Test {
 protected:
  FetchPageTest()
      : clock(std::make_shared<test::ManualClock>()),
        ui(std::make_shared<test::RecordingUi>()),
        ctx(ContextOptions{.appFolder = "/tmp", .clock = clock, .ui = ui}) {
    ctx.settings.HttpTimeOut = 20;
    ctx.run.collecting = true;  // a running search, as for the exploration's fetches
  }

  std::optional<std::string> Fetch(const std::string& url, bool stopAtBodyEnd = false,
                                   int timeout = 0) {
    return FetchPage(ctx, url, label, stopAtBodyEnd, timeout, "");
  }

  std::shared_ptr<test::ManualClock> clock;
  std::shared_ptr<test::RecordingUi> ui;
  Context ctx;
  FetchError label = FetchError::None;
};

// The labels from the response itself are the interpretation's (tested on
// its own); these check that what the socket delivered reaches it whole.
TEST_F(FetchPageTest, LabelsOfTheServersAnswers) {
  struct Case {
    std::string answer;
    FetchError label;
    std::optional<std::string> text;
  };
  const std::string redirect = "HTTP/1.1 302 Found\r\nLocation: http://x/y.html\r\n\r\n";
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\n\r\n<html>", FetchError::None, "\r\n<html>"},
      {redirect, FetchError::Redirect, redirect},
      {"", FetchError::NRead0, {}},
      {std::string("\x89PNG\0\0 \x1a\xff garbage\n\n", 20), FetchError::Status40x, {}},
  };
  for (const Case& c : cases) {
    ScriptServer server(ScriptServer::Answer(c.answer));
    EXPECT_EQ(Fetch(server.Url("/")), c.text) << c.answer;
    EXPECT_EQ(label, c.label) << c.answer;
  }
}

TEST_F(FetchPageTest, LabelsOfTheClientSideFailures) {
  EXPECT_FALSE(Fetch("https://127.0.0.1/").has_value());
  EXPECT_EQ(label, FetchError::ExtractURL);
  EXPECT_FALSE(Fetch("http://127.0.0.1:99999/").has_value());
  EXPECT_EQ(label, FetchError::ExtractURL);
  EXPECT_TRUE(clock->Sleeps().empty());

  // Nothing listens: one more attempt after 2 s, then "Connect".
  EXPECT_FALSE(Fetch("http://127.0.0.1:" + std::to_string(test::FreePort()) + "/").has_value());
  EXPECT_EQ(label, FetchError::Connect);
  EXPECT_EQ(clock->Sleeps(), std::vector<int64_t>{2000});

  // A name that does not resolve: one more attempt, then "host_name".
  EXPECT_FALSE(Fetch("http://no-such-host.invalid/").has_value());
  EXPECT_EQ(label, FetchError::HostName);
  EXPECT_EQ(clock->Sleeps(), (std::vector<int64_t>{2000, 2000}));
  EXPECT_EQ(ctx.net.NameFailureStreak, 2);
}

// A reset before any byte is tried once more after 2 s, unless the search
// stopped during the wait (nor for a later one, which is another generation).
TEST_F(FetchPageTest, AResetIsRetriedOnceUnlessTheSearchStopped) {
  ScriptServer server([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Reset();
  });
  enum { kRunning, kStopped, kNextSearchBegun };
  for (int when : {kRunning, kStopped, kNextSearchBegun}) {
    ctx.run.collecting = true;
    clock->onSleep = [&](size_t) {
      if (when == kRunning) return;
      ctx.run.collecting = false;  // the user stops the search
      if (when == kNextSearchBegun) {
        ++ctx.run.generation;
        ctx.run.collecting = true;
      }
    };
    const int before = server.Connections();
    EXPECT_FALSE(Fetch(server.Url("/")).has_value());
    EXPECT_EQ(label, FetchError::Recv);
    EXPECT_EQ(server.Connections(), before + (when == kRunning ? 2 : 1)) << when;
  }
  EXPECT_EQ(clock->Sleeps(), (std::vector<int64_t>(3, 2000)));
}

// Unframed answers end by the receive time-out, or by the whole deadline
// when a server drips each piece inside the receive time-out: what came
// before counts as a page from 1024 bytes on.
TEST_F(FetchPageTest, UnframedAnswersEndByTheTimeOutsAndKeepWhatCame) {
  const std::string head = "HTTP/1.1 200 OK\r\n\r\n";
  struct {
    size_t size, piece;
    int pauseMs;
    FetchError label;
    size_t minPage, maxPage;
  } cases[] = {
      {3000, 3000, 0, FetchError::None, 2983, 2983},    // held open: the whole page
      {500, 500, 0, FetchError::Timeout, 0, 0},         // held open: too short for a page
      {400, 1, 200, FetchError::Timeout, 0, 0},         // 40 s of drip: cut at 1 s, no page
      {40000, 100, 100, FetchError::None, 1006, 39980},  // cut at 1 s: the page so far
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const std::string answer = head + std::string(c.size - head.size(), 'x');
    ScriptServer server([&](ScriptServer::Conn& conn) {
      conn.ReadRequest();
      conn.SendSlowly(answer, c.piece, c.pauseMs);
      conn.HoldUntilClosed();
    });
    const int timeouts = ctx.run.timeoutCount;
    std::optional<std::string> page = Fetch(server.Url("/"), false, 1);
    EXPECT_EQ(label, c.label);
    EXPECT_EQ(ctx.run.timeoutCount - timeouts, c.label == FetchError::Timeout);
    EXPECT_EQ(server.Connections(), 1);
    if (c.label != FetchError::None) {
      EXPECT_FALSE(page.has_value());
      continue;
    }
    ASSERT_TRUE(page.has_value());
    EXPECT_GE(page->size(), c.minPage);
    EXPECT_LE(page->size(), c.maxPage);
    EXPECT_EQ(*page, answer.substr(head.size() - 2, page->size()));
  }
}

TEST_F(FetchPageTest, StopAtBodyEndAndTheCollectingFlag) {
  ScriptServer server(ScriptServer::Answer("HTTP/1.1 200 OK\r\n\r\n<html><BODY>results</BODY>", true));
  EXPECT_EQ(Fetch(server.Url("/"), true, 2), "\r\n<html><BODY>results</BODY>");
  EXPECT_EQ(label, FetchError::None);

  // An exploration fetch reads nothing once the run stops collecting.
  ctx.run.collecting = false;
  EXPECT_FALSE(Fetch(server.Url("/"), false, 2).has_value());
  EXPECT_EQ(label, FetchError::NRead0);
}

TEST_F(FetchPageTest, LargePagesAreCutWithinTheBuffer) {
  for (bool framed : {false, true}) {
    std::string body(200000, 'a');
    std::string answer = framed ? ScriptServer::Response("200 OK", body)
                                : "HTTP/1.1 200 OK\r\n\r\n" + body;
    ScriptServer server(ScriptServer::Answer(answer));
    int64_t before = ctx.run.TotalBytes;
    std::optional<std::string> page = Fetch(server.Url("/"));
    ASSERT_TRUE(page.has_value());
    size_t received = static_cast<size_t>(ctx.run.TotalBytes - before);
    EXPECT_GT(received, kReadEnough);
    EXPECT_LE(received, kMaxReceived);
    EXPECT_EQ(page->size(), received - (answer.size() - body.size()) + 2);
  }
  // Ten megabytes of junk end the same way.
  std::string junk(10 << 20, '\xff');
  ScriptServer server(ScriptServer::Answer("HTTP/1.1 200 OK\r\n\r\n" + junk));
  std::optional<std::string> page = Fetch(server.Url("/"));
  ASSERT_TRUE(page.has_value());
  EXPECT_LE(page->size(), kMaxReceived);
}

TEST_F(FetchPageTest, TheBrakeSleepsAndTheCountersCount) {
  ScriptServer server(ScriptServer::Answer("HTTP/1.1 200 OK\r\n\r\n12345"));
  ctx.run.Throttle = 3;
  ASSERT_TRUE(Fetch(server.Url("/")).has_value());
  std::vector<int64_t> sleeps = clock->Sleeps();
  ASSERT_FALSE(sleeps.empty());
  for (int64_t ms : sleeps) EXPECT_EQ(ms, 1800);
  EXPECT_EQ(ctx.run.TotalBytes, 24);
  int64_t inRing = 0;
  for (auto& slot : ctx.run.speedRing.bytes) inRing += slot;
  EXPECT_EQ(inRing, 24);
}

TEST_F(FetchPageTest, ThirteenFailedLookupsPauseTheRunASuccessResumesItAndAPausedRunWaits) {
  ui->onCommand = [&](int id) {
    if (id == cmd::kPauseContinue) ctx.run.Paused = !ctx.run.Paused;
  };
  ctx.run.collecting = false;  // no run to wait for: every fetch gives up after its retry
  for (int fetch = 0; fetch < 7; ++fetch) Fetch("http://gone.invalid/");
  EXPECT_EQ(ctx.net.NameFailureStreak, 14);
  EXPECT_TRUE(ctx.run.Paused);
  EXPECT_TRUE(ctx.net.DisconnectedShown);
  EXPECT_EQ(ui->Calls(), std::vector<std::string>{"post 20501"});
  ui->Clear();
  ScriptServer server(ScriptServer::Answer("HTTP/1.1 200 OK\r\n\r\nback"));
  ASSERT_TRUE(Fetch(server.Url("/"), true).has_value());
  EXPECT_FALSE(ctx.run.Paused);
  EXPECT_FALSE(ctx.net.DisconnectedShown);
  EXPECT_EQ(ctx.net.NameFailureStreak, 0);
  EXPECT_EQ(ui->Calls(), std::vector<std::string>{"post 20501"});

  // A paused run waits for the network until it stops.
  ctx.run.Paused = true;
  ctx.run.collecting = true;
  const size_t before = clock->Sleeps().size();
  clock->onSleep = [&](size_t sleeps) {
    if (sleeps == before + 5) ctx.run.collecting = false;  // the user stops the search
  };
  EXPECT_FALSE(Fetch("http://gone.invalid/").has_value());
  EXPECT_EQ(label, FetchError::HostName);
  EXPECT_EQ(clock->Sleeps().size(), before + 5);
}

TEST_F(FetchPageTest, CloseAllSocketsCutsABlockedFetchShort) {
  std::atomic<bool> answered{false};
  std::atomic<bool> clientClosed{false};
  std::atomic<bool> handlerDone{false};
  ScriptServer server([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Send("HTTP/1.1 200 OK\r\n\r\n<html>");
    answered = true;
    clientClosed = c.HoldUntilClosed();
    handlerDone = true;
  });
  ctx.settings.HttpTimeOut = 60;
  std::optional<std::string> page;
  std::thread worker([&] { page = Fetch(server.Url("/")); });
  while (!answered) std::this_thread::yield();
  ctx.sockets.CloseAllSockets();
  worker.join();
  // The fetch ended before the server gave up holding (30 s): it hung up.
  while (!handlerDone) std::this_thread::yield();
  EXPECT_TRUE(clientClosed);
  EXPECT_EQ(ctx.sockets.RegisteredCount(), 0);
}

TEST_F(FetchPageTest, ThousandsOfFetchesLeaveNoDescriptorOpen) {
  std::mt19937 random(7);
  ScriptServer server([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    switch (random() % 4) {
      case 0: c.Send(ScriptServer::Response("200 OK", "ok")); break;
      case 1: c.Send("HTTP/1.1 404 Nope\r\n\r\n"); break;
      case 2: c.Reset(); break;
      default: break;  // close at once
    }
  });
  const int before = test::OpenDescriptors();
  for (int i = 0; i < 1000; ++i) Fetch(server.Url("/"));
  Fetch("http://127.0.0.1:" + std::to_string(test::FreePort()) + "/");
  EXPECT_EQ(test::OpenDescriptors(), before);
  EXPECT_EQ(ctx.sockets.RegisteredCount(), 0);
}

}  // namespace
}  // namespace orvi
