#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "explore/queue.h"
#include "sandbox/fake_engines.h"
#include "search/engine_table.h"
#include "search/harvest_job.h"
#include "support/manual_clock.h"
#include "support/recording_ui.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::ScriptServer;
using Texts = std::vector<std::string>;

// The value of a parameter in a request line ("start", "o", "p", "q").
std::string Param(const std::string& request, const std::string& name) {
  std::string line = request.substr(0, request.find("\r\n"));
  size_t at = line.find("?" + name + "=");
  if (at == std::string::npos) at = line.find("&" + name + "=");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 2;
  return line.substr(at, line.find_first_of("& ", at) - at);
}

// A result page in an engine's layout, from the sandbox's page makers: `total`
// announced, these links shown from result `offset` on.
std::string Page(std::string (*layout)(const sandbox::ResultPageInput&), uint64_t total, const Texts& links,
                 uint64_t offset = 0) {
  sandbox::EngineAnswer answer{total, std::vector<sandbox::SearchResult>(offset)};
  for (const std::string& link : links) answer.results.push_back({link, ""});
  return layout({"x", &answer, offset, 50, ""});
}

// A search engine on loopback: answers each request with the page that
// `pages` gives for its request text.
class Engine {
 public:
  explicit Engine(std::function<std::string(const std::string&)> pages)
      : server_([pages](ScriptServer::Conn& c) {
          std::string request = c.ReadRequest();
          c.Send(ScriptServer::Response("200 OK", pages(request)));
        }) {}
  std::string Base() const { return server_.Url(""); }
  Texts Requests() { return server_.Requests(); }
  Texts Queries(const std::string& param) {
    Texts out;
    for (const std::string& r : Requests()) out.push_back(Param(r, "q") + "@" + Param(r, param));
    return out;
  }

 private:
  ScriptServer server_;
};

// The board as text: each field shown as "<engine letter><row> total/ok"
// ("-": an empty field), the unique counts, "Trouvés", each engine's state
// (- idle, a asking, d done, x gave up), then the marked row and the query
// line when there are.
std::string Board(const HarvestProgress& p) {
  auto shown = [](const std::optional<int>& n) { return n ? std::to_string(*n) : std::string("-"); };
  std::string out;
  for (int slot = 0; slot < kEngineSlots; ++slot) {
    for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
      const HarvestProgress::Cell& c = p.cells[slot][r];
      if (c.total || c.ok) out += SlotEngine(slot).letter + std::to_string(r) + " " + shown(c.total) + "/" + shown(c.ok) + ", ";
    }
  }
  out += "unique " + shown(p.unique[0]) + " " + shown(p.unique[1]) + " " + shown(p.unique[2]);
  out += ", found " + shown(p.found) + ", engines ";
  for (EngineState e : p.engines) out += "-adx"[static_cast<int>(e)];
  if (p.markedRow >= 0) out += ", row " + std::to_string(p.markedRow);
  if (!p.queryDisplay.empty()) out += ", " + p.queryDisplay;
  return out;
}

class HarvestTest : public ::testing::Test {
 protected:
  HarvestTest() {
    ctx.activeProfile.MaxDomains = 100;
    ctx.activeProfile.FindS = true;
    ctx.engines.GoogleUrl = ctx.engines.GoogleFallbackUrl = "http://127.0.0.1:1";
    ctx.engines.FastUrl = ctx.engines.WiseNutUrl = "http://127.0.0.1:1";
  }

  void Rows(const Texts& rows) {
    for (size_t i = 0; i < rows.size(); ++i) ctx.activeProfile.Keys[i] = rows[i];
  }
  HarvestResult Run(const std::string& input1 = "madonna", const std::string& input2 = "",
                    bool input1Used = true) {
    job.Start({input1, input2, input1Used});
    return job.Join();
  }
  std::string ShownBoard() { return Board(job.Progress()); }
  Texts Boxes() {
    Texts boxes;
    for (const std::string& call : ui->Calls()) {
      if (call.starts_with("box ")) boxes.push_back(call);
    }
    return boxes;
  }
  // "<url> <engine>[ <cache link>]" of each queued page.
  Texts QueueContent() {
    std::lock_guard lock(ctx.QueueLock);
    Texts out;
    for (const QueueEntryPtr& e : ctx.queue.entries) {
      out.push_back(e->url + " " + std::to_string(e->engine.load()) + (e->cacheUrl.empty() ? "" : " " + e->cacheUrl));
    }
    return out;
  }

  test::TempDir dir;
  std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
  std::shared_ptr<test::RecordingUi> ui = std::make_shared<test::RecordingUi>();
  Context ctx{ContextOptions{.appFolder = dir.path(), .clock = clock, .ui = ui}};
  HarvestJob job{ctx};
};

// Paging and a repeated page are the sandbox search's; each Google link
// keeps its own cache link when the profile asks for them.
TEST_F(HarvestTest, ExactQueryLogAndUniqueCountersOfTwoEngines) {
  // Row 1 to Google, row 2 to Fast, row 3 to no engine: a URL found by both
  // counts once, for neither engine alone.
  Rows({"+mp3", "+zip", "+rar"});
  ctx.activeProfile.GoogleUse = 0b001;
  ctx.activeProfile.AtwUse = 0b010;
  ctx.activeProfile.GoogleCache = true;
  ctx.harvest.logEnabled = true;
  dir.Write("Log.txt", "an older log, longer than the new one will be " + std::string(900, 'x'));
  Engine google([](const std::string&) {
    return Page(sandbox::GooglePage, 2, {"http://both.example/", "http://g.example/only.html"});
  });
  Engine fast([](const std::string&) {
    return Page(sandbox::FastPage, 3, {"http://both.example/", "http://www.alltheweb.com/help", "http://f.example/only.html"});
  });
  ctx.engines.GoogleUrl = google.Base();
  ctx.engines.FastUrl = fast.Base();

  HarvestResult result = Run();
  const std::string line(52, '-');
  EXPECT_EQ(dir.Read("Log.txt"),
            "----- ORVI rapport d'interrogation moteurs -----------\r\n"
            "[M=] url ajout\xE9" "e / [M!] doublon/filtre / M = G(oogle), F(ast), W(ise)\r\n" +
                std::string(54, '-') + "\r\n\r\n\r\n" +
                "\r\n" + line + "\r\n+mp3\r\n" + line + "\r\n\r\n"
                "[G=] http://both.example/\r\n"
                "[G=] http://g.example/only.html\r\n"
                "\r\n" + line + "\r\n+zip\r\n" + line + "\r\n\r\n"
                "[F!] http://both.example/\r\n"
                "[F=] http://f.example/only.html\r\n"
                "\r\n" + line + "\r\n+rar\r\n" + line + "\r\n\r\n");
  EXPECT_EQ(google.Requests().size(), 1u);
  EXPECT_EQ(fast.Queries("o"), (Texts{"madonna+zip@0"}));
  auto cached = [&](const std::string& url, int engine) {
    return url + " " + std::to_string(engine) + " " + google.Base() + "/search?q=cache:" + sandbox::CacheId(url) +
           ":" + url.substr(7);
  };
  EXPECT_EQ(QueueContent(), (Texts{cached("http://both.example/", 0), cached("http://g.example/only.html", 1),
                                   "http://f.example/only.html 2"}));
  // The third row was asked of no engine.
  EXPECT_EQ(ShownBoard(), "G0 2/2, F1 3/1, unique 1 1 0, found 3, engines ---");
  // AutoStart: phase 2 may start after a second.
  EXPECT_TRUE(result.startExploration);
  EXPECT_EQ(clock->Sleeps().back(), 1000);
}

// A page cut short by a stop is no failure of the host: the fallback host
// is not taken for the rest of the process, and the stopped harvest asks it
// nothing, whether the search stops or "Stop !" ends the harvest.
TEST_F(HarvestTest, AStopDuringAGooglePageKeepsThePrimaryHost) {
  Rows({"+mp3"});
  ctx.activeProfile.GoogleUse = 0b1;
  std::atomic<int> asked{0};
  ScriptServer primary([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    ++asked;
    c.HoldUntilClosed();
  });
  ScriptServer fallback([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Send(ScriptServer::Response("200 OK", Page(sandbox::GooglePage, 1, {"http://x.example/"})));
  });
  ctx.engines.GoogleUrl = primary.Url("");
  ctx.engines.GoogleFallbackUrl = fallback.Url("");
  const std::function<void()> stops[] = {[&] { StopAndClearQueue(ctx); }, [&] { job.Stop(); }};
  for (int i = 0; i < 2; ++i) {
    job.Start({"madonna", "", true});
    while (asked <= i) std::this_thread::yield();
    stops[i]();
    job.Join();
    EXPECT_FALSE(OnFallbackHost(ctx, 0)) << i;
    EXPECT_EQ(fallback.Connections(), 0) << i;
  }
  EXPECT_TRUE(QueueContent().empty());
}

TEST_F(HarvestTest, GoogleMovesToItsFallbackHostForGood) {
  Rows({"+mp3", "+zip"});
  ctx.activeProfile.GoogleUse = 0b11;
  ScriptServer primary([](ScriptServer::Conn& c) { c.ReadRequest(); });  // closes unanswered
  ScriptServer fallback([](ScriptServer::Conn& c) {
    std::string q = Param(c.ReadRequest(), "q");
    c.Send(ScriptServer::Response("200 OK", Page(sandbox::GooglePage, 1, {"http://" + q.substr(8) + ".example/"})));
  });
  ctx.engines.GoogleUrl = primary.Url("");
  ctx.engines.GoogleFallbackUrl = fallback.Url("");

  Run();
  EXPECT_EQ(primary.Connections(), 1);
  EXPECT_EQ(fallback.Connections(), 2);
  EXPECT_TRUE(OnFallbackHost(ctx, 0));
  EXPECT_EQ(QueueContent().size(), 2u);
}

TEST_F(HarvestTest, WiseNutAsksEachAlternativeWithItsCookie) {
  Rows({"(crack OR serial)"});
  ctx.activeProfile.FindS = false;
  ctx.activeProfile.WiseUse = 1;
  Engine wise([](const std::string& request) {
    std::string q = Param(request, "q"), p = Param(request, "p");
    if (q == "crack") {
      return Page(sandbox::WiseNutPage, 150, {"http://c" + p + ".example/", "http://cc" + p + ".example/"});
    }
    return Page(sandbox::WiseNutPage, 1005, {"http://s" + p + ".example/"});
  });
  ctx.engines.WiseNutUrl = wise.Base();

  Run();
  EXPECT_EQ(wise.Queries("p"), (Texts{"crack@0", "crack@1", "serial@0", "serial@1", "serial@2", "serial@3"}));
  std::string host = wise.Base().substr(7);
  EXPECT_EQ(wise.Requests()[0],
            "GET /search/query.dll?p=0&q=crack HTTP/1.1\r\nHost: " + host +
                "\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, image/png, "
                "*/*\r\nCookie: cookie%5Ftest=true; wisenut=ppat=0&iitem2=0&een=ISO%2D8859%2D1&"
                "iitem1=0&iitem3=0&cclu=0&ccon=2&nnum=100&ssl=\r\n\r\n");
  EXPECT_EQ(ShownBoard(), "W0 1155/8, unique 0 0 8, found 8, engines --d");
}

TEST_F(HarvestTest, AnEngineOutlivingItsWaitIsJoinedNotLost) {
  // Google holds its answer until the harvest shows the next row: the harvest
  // must go on without it, and still take its links before it ends.
  std::mutex mutex;
  std::condition_variable changed;
  Texts events;
  auto note = [&](const std::string& event) {
    std::lock_guard lock(mutex);
    events.push_back(event);
    changed.notify_all();
  };
  auto awaitEvent = [&](const std::string& event) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(5), [&] { return std::ranges::count(events, event) > 0; });
  };
  ScriptServer google([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    note("google asked");
    awaitEvent("madonna +zip");
    note("google answers");
    c.Send(ScriptServer::Response("200 OK", Page(sandbox::GooglePage, 1, {"http://g.example/"})));
  });
  HarvestBoard board;
  std::string shown;  // the query line last noted
  board.onChange = [&](const HarvestProgress& p) {
    {
      std::lock_guard lock(mutex);
      if (p.queryDisplay.empty() || p.queryDisplay == shown) return;
      shown = p.queryDisplay;
    }
    note(p.queryDisplay);
    // The last row: let Google be asked before the rows are done.
    if (p.queryDisplay == "madonna +zip") awaitEvent("google asked");
  };
  Rows({"+mp3", "+zip"});  // the second asked of no engine
  ctx.activeProfile.GoogleUse = 0b01;
  ctx.engines.GoogleUrl = google.Url("");
  ctx.harvest.engineWaitMs = 0;

  ctx.harvest.running = true;
  HarvestResult result = RunHarvest(ctx, {"madonna", "", true}, board, std::atomic<bool>{false});
  {
    std::lock_guard lock(mutex);
    EXPECT_EQ(events.size(), 4u);
    EXPECT_LT(std::ranges::find(events, "madonna +zip"), std::ranges::find(events, "google answers"));
  }
  EXPECT_EQ(QueueContent(), Texts{"http://g.example/ 1"});
  EXPECT_TRUE(result.found);
}

TEST_F(HarvestTest, ClosingTheWindowEndsTheHarvestQuietly) {
  Rows({"+mp3", "+zip"});
  ctx.activeProfile.GoogleUse = 0b11;
  Engine google([this](const std::string&) {
    job.Cancel();  // the window closes
    return Page(sandbox::GooglePage, 500, {"http://a.example/"});
  });
  ctx.engines.GoogleUrl = google.Base();

  HarvestResult result = Run();
  // The closing cuts the page's connection, which may be asked once more;
  // nothing else is asked.
  for (const std::string& asked : google.Queries("start")) EXPECT_EQ(asked, "madonna+mp3@0");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(result.startExploration);
}

}  // namespace
}  // namespace orvi
