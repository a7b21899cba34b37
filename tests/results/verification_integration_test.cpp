// The link verification against scripted HTTP servers.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <tuple>

#include "results/verification.h"
#include "support/script_server.h"
#include "verification_support.h"

namespace orvi {
namespace {

using test::ScriptServer;

// The real clock, which also counts the sleeps of the thread it watches and
// the dispatcher's passes (its 50 ms sleeps), and runs onPause in each of its
// 5 ms pauses after a start.
struct CallerClock final : Clock {
  int64_t NowMs() const override { return real.NowMs(); }
  void SleepMs(int64_t ms) override {
    callerSleeps += std::this_thread::get_id() == watched.load();
    passes += ms == 50;
    if (ms == 5 && onPause) onPause();
    real.SleepMs(ms);
  }
  std::function<void()> onPause;
  RealClock real;
  std::atomic<std::thread::id> watched{};
  std::atomic<int> callerSleeps{0}, passes{0};
};

class VerificationTest : public ::testing::Test {
 protected:
  VerificationTest() { std::tie(ctx.settings.NbRetry, ctx.settings.VerifyTimeOut) = std::tuple(2, 10); }
  // Verifies these URLs to the end; gives their files.
  std::vector<FoundFile*> Verify(const std::vector<std::string>& urls) {
    std::vector<FoundFile*> files = test::AddFiles(ctx, urls);
    StartVerification(ctx);
    EXPECT_TRUE(test::WaitSettled(files));
    return files;
  }

  Context ctx{ContextOptions{.appFolder = "/tmp"}};
};

// Only an HTTP answer counts, and its fields are read from their own lines:
// look-alike fields, junk replies and lengths that are no number give no
// size or no success. Each probe is one HEAD to the named port, the Host line
// keeps it, and credentials in the link become an Authorization line.
TEST_F(VerificationTest, HeadAnswersGiveStateSizeAndDate) {
  using enum FileState;
  const std::string head = "HTTP/1.1 200 OK\r\n", fake = "X-Max-Length: 7\r\nX-Was-Modified-By: 42 admins\r\n";
  struct {
    const char* login;
    std::string reply;
    FileState state;
    int64_t size;
    const char* date = "?? ??";
  } cases[] = {
      {"", head + fake + "Content-Length: 1234\r\nLast-Modified: Tue, 15 Nov 1994 08:12:31 GMT\r\n\r\n", Valid,
       1234, "15 Nov 1994 08:12:31 GMT"},
      {"", head + "Content-Length: 12345678901234567890123\r\n\r\n", Valid, 0},
      {"", "SSH-2.0 200\r\n\r\n", Failed, 0},
      {"bob:pw@", head + "Content-Length: 5\r\n\r\n", Valid, 5},
  };
  std::vector<std::unique_ptr<ScriptServer>> servers;
  std::vector<std::string> urls;
  for (const auto& c : cases) {
    servers.push_back(std::make_unique<ScriptServer>(ScriptServer::Answer(c.reply)));
    urls.push_back("http://" + std::string(c.login) + "127.0.0.1:" + std::to_string(servers.back()->port()) +
                   "/dir/f.zip");
  }
  std::vector<FoundFile*> files = Verify(urls);
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(cases[i].reply);
    EXPECT_EQ(std::tuple(files[i]->State(), files[i]->size.load(), files[i]->Date(), files[i]->url),
              std::tuple(cases[i].state, cases[i].size, cases[i].date, urls[i]));  // the link kept as found
    EXPECT_EQ(servers[i]->Requests().at(0), "HEAD /dir/f.zip HTTP/1.1\r\nHost: 127.0.0.1:" +
                                                  std::to_string(servers[i]->port()) + "\r\n" + test::kAcceptLine +
                                                  (*cases[i].login ? "Authorization: Basic Ym9iOnB3\r\n" : "") +
                                                  "\r\n");
  }
  EXPECT_EQ(ctx.verification.ActiveProbeCount(), 0);
}

// A redirection loop fails after every attempt; silence and a server that
// drips its answer a byte at a time, each byte inside the per-receive
// time-out, time out after one, at the whole deadline; so does a chain of
// redirections each answered inside the time-out: the deadline is the
// chain's, not each hop's.
TEST_F(VerificationTest, RedirectionLoopsFailAfterEveryAttemptAndSilenceTimesOutAfterOne) {
  ScriptServer moved(ScriptServer::Answer("HTTP/1.1 302 Found\r\nLocation: /x\r\n\r\n"));
  ScriptServer silent(ScriptServer::Answer("", true));
  ScriptServer drip([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.SendSlowly("HTTP/1.1 200 OK\r\nX-Padding: " + std::string(4000, 'x'), 1, 200);
  });
  std::atomic<int> hops{0};
  ScriptServer slowChain([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    c.Send("HTTP/1.1 302 Found\r\nLocation: /hop" + std::to_string(++hops) + ".zip\r\n\r\n");
  });
  ctx.settings.VerifyTimeOut = 1;
  std::vector<FoundFile*> files = Verify(
      {moved.Url("/a.zip"), silent.Url("/c.zip"), drip.Url("/slow.zip"), "https://x/y.zip", slowChain.Url("/s.zip")});
  using enum FileState;
  std::vector<FileState> states;
  for (FoundFile* f : files) states.push_back(f->State());
  EXPECT_EQ(states, (std::vector{Failed, TimedOut, TimedOut, Failed, TimedOut}));
  // NbRetry + 1 times /a.zip and /x
  EXPECT_EQ(std::tuple(moved.Connections(), silent.Connections(), drip.Connections()), std::tuple(6, 1, 1));
  EXPECT_LT(slowChain.Connections(), 6);

  // No retries: one HTTP attempt, and no FTP attempt.
  ScriptServer once(ScriptServer::Answer("HTTP/1.1 302 Found\r\n\r\n"));
  ctx.settings.NbRetry = 0;
  files = Verify({once.Url("/a.zip"), "ftp://127.0.0.1:" + std::to_string(once.port()) + "/p/f"});
  EXPECT_EQ(std::tuple(files[0]->State(), files[1]->State(), once.Connections()), std::tuple(Failed, Failed, 1));
}

TEST_F(VerificationTest, ThroughAProxyFtpLinksWaitAndHttpLinksCarryTheWholeUrl) {
  ScriptServer proxy(ScriptServer::Answer("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n"));
  ctx.settings.ProxyName = "127.0.0.1";
  ctx.settings.ProxyPort = proxy.port();
  ctx.settings.ProxyLogin = "alice";
  ctx.settings.ProxyPass = "s3cret";
  ctx.BuildProxyAuthHeader();
  std::vector<FoundFile*> files = test::AddFiles(ctx, {"ftp://far.example/pub/f.zip"});
  files.push_back(Verify({"http://far.example/f \xE9.zip"})[0]);
  EXPECT_EQ(files[1]->State(), FileState::Valid);
  EXPECT_EQ(files[0]->State(), FileState::Waiting);
  EXPECT_EQ(proxy.Requests().at(0), std::string("HEAD http://far.example/f%20%E9.zip HTTP/1.1\r\n") +
                                        "Host: far.example\r\n" + test::kAcceptLine +
                                        "Proxy-authorization: Basic YWxpY2U6czNjcmV0\r\n\r\n");
}

TEST_F(VerificationTest, AHostedFileIsProbedThroughItsDownloadPage) {
  std::unique_ptr<ScriptServer> server;
  server = std::make_unique<ScriptServer>([&](ScriptServer::Conn& c) {
    std::string request = c.ReadRequest();
    if (request.starts_with("GET /hosted.test/")) {
      std::string prefix = "http://127.0.0.1:" + std::to_string(server->port()) + "/dl/";
      c.Send("HTTP/1.1 200 OK\r\n\r\n<HTML><script>var u='" + prefix +
             "' + 'abc123' + '/real.zip';</script></BODY>");
    } else if (request.starts_with("HEAD /dl/abc123/real.zip ")) {
      c.Send("HTTP/1.1 200 OK\r\nContent-Length: 777\r\n\r\n");
    } else {
      c.Send("HTTP/1.1 404 Not Found\r\n\r\n");
    }
  });
  ctx.hosts.hostedPageFragment = "hosted.test";
  ctx.hosts.hostedPagePrefix = "http://127.0.0.1:" + std::to_string(server->port()) + "/dl/";
  std::vector<FoundFile*> files = Verify({server->Url("/hosted.test/my page?id=1")});
  EXPECT_EQ(std::tuple(files[0]->State(), files[0]->size.load(), files[0]->url),  // the link itself stays
            std::tuple(FileState::Valid, 777, server->Url("/hosted.test/my page?id=1")));
  EXPECT_TRUE(server->Requests().at(0).starts_with("GET /hosted.test/my%20page?id=1 HTTP/1.1\r\n"));

  EXPECT_EQ(HostedFileUrl("x 'http://p/a' + 'b' + 'c'", "http://p/"), "http://p/abc");
  EXPECT_FALSE(HostedFileUrl("'http://p/a' + 'b' + 'c", "http://p/"));
  EXPECT_FALSE(HostedFileUrl("nothing here", "http://p/"));
  EXPECT_FALSE(HostedFileUrl("http://p/a'b'c'd'", ""));
}

// The catalogue is free while the dispatcher pauses after a start, so a
// probe that ends then makes room in the same pass: with a budget of two, one
// pass starts all five files, in catalogue order.
TEST_F(VerificationTest, ProbesEndingDuringAPassMakeRoomInIt) {
  auto clock = std::make_shared<CallerClock>();
  std::mutex mutex;
  std::condition_variable answer;
  int released = 0, served = 0;
  // Each answer waits for the pause after its start, so that no probe holds
  // the catalogue when the pause tries it.
  ScriptServer server([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    std::unique_lock lock(mutex);
    answer.wait(lock, [&] { return released > served; });
    ++served;
    lock.unlock();
    c.Send("HTTP/1.1 200 OK\r\n\r\n");
  });
  std::vector<int> passAtPause;
  int pausesWithCatalogueFree = 0;
  Context paced{ContextOptions{.appFolder = "/tmp", .clock = clock}};
  paced.settings.MaxConnect = 6;
  paced.run.InProgress = 6;
  clock->onPause = [&] {
    bool free = std::async(std::launch::async, [&] {
                  std::unique_lock tried(paced.CatalogueLock, std::try_to_lock);
                  return tried.owns_lock();
                }).get();
    {
      std::lock_guard lock(mutex);
      pausesWithCatalogueFree += free;
      passAtPause.push_back(clock->passes);
      ++released;
    }
    answer.notify_all();
    // Only a free catalogue lets the probe end.
    while (free && paced.verification.ActiveProbeCount() > 0) std::this_thread::yield();
  };
  std::vector<std::string> urls;
  for (int i = 0; i < 5; ++i) urls.push_back(server.Url("/f" + std::to_string(i) + ".zip"));
  std::vector<FoundFile*> files = test::AddFiles(paced, urls);
  StartVerification(paced);
  ASSERT_TRUE(test::WaitSettled(files));
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(pausesWithCatalogueFree, 5);
    EXPECT_EQ(passAtPause, std::vector<int>(5, 0));
  }
  std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(requests[i].starts_with("HEAD /f" + std::to_string(i) + ".zip "));
  for (FoundFile* f : files) EXPECT_EQ(f->State(), FileState::Valid);
}

// A clear breaks every probe (each server sees its connection closed) and
// waits for none of them: the calling thread sleeps not once.
TEST_F(VerificationTest, AClearDuringProbingBreaksEveryProbe) {
  auto clock = std::make_shared<CallerClock>();
  Context timed{ContextOptions{.appFolder = "/tmp", .clock = clock}};
  std::atomic<int> holding{0}, closedByClient{0}, ended{0};
  ScriptServer::Handler hold = [&](ScriptServer::Conn& c) {
    c.ReadRequest();
    ++holding;
    closedByClient += c.HoldUntilClosed();
    ++ended;
  };
  ScriptServer a(hold), b(hold), c(hold);
  timed.settings.VerifyTimeOut = 60;
  timed.settings.MaxConnect = 20;
  test::AddFiles(timed, {a.Url("/1.zip"), b.Url("/2.zip"), c.Url("/3.zip")});
  StartVerification(timed);
  // A clear may come between two starts: once all three are blocked.
  while (holding < 3) std::this_thread::yield();
  EXPECT_EQ(timed.verification.ActiveProbeCount(), 3);
  clock->watched = std::this_thread::get_id();
  ClearCatalogue(timed);
  EXPECT_EQ(clock->callerSleeps, 0);
  EXPECT_EQ(timed.verification.ActiveProbeCount(), 0);  // "Liens" back to 0
  EXPECT_EQ(timed.catalogue.count(), 0);
  EXPECT_TRUE(timed.verification.VerificationRunning);  // started again for what comes next
  while (ended < 3) std::this_thread::yield();
  EXPECT_EQ(closedByClient, 3);
}

// "Revérifier" while the file's probe is blocked: the check waits for that
// probe to end instead of starting a second one on the same socket slot, so
// every descriptor is closed by its owner and none leaks.
TEST_F(VerificationTest, ARecheckDuringAProbeWaitsForIt) {
  auto clock = std::make_shared<CallerClock>();
  std::mutex mutex;
  std::condition_variable answer;
  bool release = false;
  std::atomic<int> requests{0};
  const int before = test::OpenDescriptors();
  {
    ScriptServer server([&](ScriptServer::Conn& c) {
      c.ReadRequest();
      if (++requests == 1) {
        std::unique_lock lock(mutex);
        answer.wait(lock, [&] { return release; });
      }
      c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(requests * 100) + "\r\n\r\n");
    });
    {
      Context probed{ContextOptions{.appFolder = "/tmp", .clock = clock}};
      probed.settings.VerifyTimeOut = 60;
      FoundFile* file = test::AddFiles(probed, {server.Url("/f.zip")})[0];
      StartVerification(probed);
      while (requests < 1) std::this_thread::yield();
      ResetFileForRecheck(probed, file);
      EXPECT_EQ(file->State(), FileState::Verifying);
      // Several dispatcher passes later, still the one probe.
      for (int passes = clock->passes + 5; clock->passes < passes;) std::this_thread::yield();
      EXPECT_EQ(probed.verification.ActiveProbeCount(), 1);
      {
        std::lock_guard lock(mutex);
        release = true;
      }
      answer.notify_all();
      // The first answer is dropped (the file was reset meanwhile); the new
      // probe's answer stands.
      while (requests < 2 || !test::WaitSettled({file})) std::this_thread::yield();
      EXPECT_EQ(std::tuple(file->State(), file->size.load()), std::tuple(FileState::Valid, 200));
    }
  }
  EXPECT_EQ(test::OpenDescriptors(), before);
}

}  // namespace
}  // namespace orvi
