#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "explore/queue.h"
#include "search/harvest.h"
#include "support/manual_clock.h"
#include "support/recording_ui.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::ScriptServer;
using Texts = std::vector<std::string>;
using Queued = std::vector<std::pair<std::string, int>>;  // URL and engine

// The value of a parameter in a request line ("start", "o", "p", "q").
std::string Param(const std::string& request, const std::string& name) {
  std::string line = request.substr(0, request.find("\r\n"));
  size_t at = line.find("?" + name + "=");
  if (at == std::string::npos) at = line.find("&" + name + "=");
  if (at == std::string::npos) return "<none>";
  at += name.size() + 2;
  return line.substr(at, line.find_first_of("& ", at) - at);
}

// Result pages in each engine's layout.
std::string GoogleResults(const std::string& from, const std::string& to, const std::string& total,
                       const std::vector<std::string>& links, bool cacheLinks = true) {
  std::string page = "<html><head><title>Google Search: x</title></head><body>\n"
                     "Results <b>" + from + "</b> - <b>" + to + "</b> of about <b>" + total +
                     "</b>.  Search took <b>0.09</b> seconds.\n";
  int id = 0;
  for (const std::string& link : links) {
    page += "<p><a href=" + link + ">Title</a><br>snippet<br><font color=green>" +
            link.substr(7) + " - 5k - </font>";
    if (cacheLinks) {
      page += "<a href=/search?q=cache:K" + std::to_string(++id) + ":" + link.substr(7) +
              "+x&hl=en>Cached</a>";
    }
    page += "\n";
  }
  return page + "</body></html>";
}

std::string FastResults(const std::string& total, const std::vector<std::string>& links) {
  std::string page = "<html><body>Results <b>1</b> - <b>50</b> of <b>" + total + "</b>\n";
  for (const std::string& link : links) {
    page += "<a href=\"/r?u=1\" onmouseover=\"window.status='" + link +
            "'; return true;\">Title</a>\n";
  }
  return page + "</body></html>";
}

std::string WiseNutResults(const std::string& total, const std::vector<std::string>& links) {
  std::string page = "<html><body>Results 1 - 100 of about: " + total + " documents\n";
  for (const std::string& link : links) page += "<a href=\"" + link + "\">Title</a>\n";
  return page + "</body></html>";
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
    std::vector<std::string> out;
    for (const std::string& r : Requests()) out.push_back(Param(r, "q") + "@" + Param(r, param));
    return out;
  }

 private:
  ScriptServer server_;
};

// Notes the query display of each row the harvest asks.
class DisplayWatch final : public UiPort {
 public:
  void SetFieldText(int id, const std::string& text) override {
    if (id == prep_ids::kQueryDisplay && !text.empty()) note(text);
  }
  void ShowControl(int, bool) override {}
  void PostCommand(int) override {}
  void MessageBox(const MessageSpec&) override {}
  bool WindowExists(int) override { return true; }
  std::function<void(const std::string&)> note;
};

template <class Ui>
class HarvestBase : public ::testing::Test {
 protected:
  HarvestBase() {
    ctx.activeProfile.MaxDomains = 100;
    ctx.activeProfile.FindS = true;
    ctx.harvest.running = true;
    ctx.engines.GoogleUrl = ctx.engines.GoogleFallbackUrl = "http://127.0.0.1:1";
    ctx.engines.FastUrl = ctx.engines.WiseNutUrl = "http://127.0.0.1:1";
  }

  void Rows(std::vector<std::string> rows) {
    for (size_t i = 0; i < rows.size(); ++i) ctx.activeProfile.Keys[i] = rows[i];
  }
  HarvestResult Run(const std::string& input1 = "madonna", const std::string& input2 = "",
                    bool input1Enabled = true) {
    return RunHarvest(ctx, input1, input2, input1Enabled);
  }
  // The last text shown in each field; "<none>" when never written.
  Texts Fields(const std::vector<int>& ids) {
    Texts last;
    for (int id : ids) {
      std::string prefix = "text " + std::to_string(id) + "=";
      last.push_back("<none>");
      for (const std::string& call : ui->Calls()) {
        if (call.starts_with(prefix)) last.back() = call.substr(prefix.size());
      }
    }
    return last;
  }
  std::vector<std::string> Boxes() {
    std::vector<std::string> boxes;
    for (const std::string& call : ui->Calls()) {
      if (call.starts_with("box ")) boxes.push_back(call);
    }
    return boxes;
  }
  Queued QueueContent() {
    std::lock_guard lock(ctx.QueueLock);
    Queued out;
    for (const QueueEntryPtr& e : ctx.queue.entries) out.emplace_back(e->url, e->engine.load());
    return out;
  }
  Texts CacheUrls() {
    std::lock_guard lock(ctx.QueueLock);
    std::vector<std::string> out;
    for (const QueueEntryPtr& e : ctx.queue.entries) out.push_back(e->cacheUrl);
    return out;
  }

  test::TempDir dir;
  std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
  std::shared_ptr<Ui> ui = std::make_shared<Ui>();
  Context ctx{ContextOptions{.appFolder = dir.path(), .clock = clock, .ui = ui}};
};
using HarvestTest = HarvestBase<test::RecordingUi>;
using HarvestWaitTest = HarvestBase<DisplayWatch>;

TEST_F(HarvestTest, GoogleTotalsPagingAndARepeatedPage) {
  Rows({"+mp3", "+zip"});
  ctx.activeProfile.GoogleUse = 0b11;
  Engine google([](const std::string& request) {
    if (Param(request, "q") == "madonna+zip") return GoogleResults("1", "12", "12", {"http://z.example/z"});
    // Every offset gets the first page again.
    return GoogleResults("1", "50", "1,234,567", {"http://a.example/1", "http://b.example/2"});
  });
  ctx.engines.GoogleUrl = google.Base();

  HarvestResult result = Run();
  EXPECT_EQ(google.Queries("start"), (Texts{"madonna+mp3@0", "madonna+mp3@50", "madonna+zip@0"}));
  EXPECT_EQ(google.Requests()[0].substr(0, google.Requests()[0].find("\r\n")),
            "GET /search?q=madonna+mp3&num=50&hl=en&lr=&safe=off&start=0&sa=N HTTP/1.1");
  // Each row's total and links kept; the query display is emptied at the end.
  using namespace prep_ids;
  EXPECT_EQ(Fields({kGoogleTotal, kGoogleOk, kGoogleTotal + 1, kGoogleOk + 1, kFound, kUniqueGoogle, kQueryDisplay}),
            (Texts{"1234", "2", "12", "1", "3", "3", ""}));
  EXPECT_EQ(QueueContent(), (Queued{{"http://a.example/1", 1}, {"http://b.example/2", 1}, {"http://z.example/z", 1}}));
  EXPECT_EQ(ctx.SearchText, "madonna");
  EXPECT_EQ(result.encodedSearchText, "madonna");
  EXPECT_TRUE(result.found);
  EXPECT_FALSE(ctx.run.collecting);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(HarvestTest, ExactQueryLogAndUniqueCountersOfTwoEngines) {
  // Row 1 to Google, row 2 to Fast, row 3 to no engine: a URL found by both
  // counts once, for neither engine alone.
  Rows({"+mp3", "+zip", "+rar"});
  ctx.activeProfile.GoogleUse = 0b001;
  ctx.activeProfile.AtwUse = 0b010;
  ctx.harvest.logEnabled = true;
  dir.Write("Log.txt", "an older log, longer than the new one will be " + std::string(900, 'x'));
  Engine google([](const std::string&) {
    return GoogleResults("1", "2", "2", {"http://both.example/", "http://g.example/only.html"});
  });
  Engine fast([](const std::string&) {
    return FastResults("3", {"http://both.example/", "http://www.alltheweb.com/help",
                          "http://f.example/only.html"});
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
  EXPECT_EQ(QueueContent(), (Queued{{"http://both.example/", 0}, {"http://g.example/only.html", 1},
                                    {"http://f.example/only.html", 2}}));
  // The third row was shown but nothing was asked for it.
  using namespace prep_ids;
  EXPECT_EQ(Fields({kFound, kUniqueGoogle, kUniqueFast, kUniqueWiseNut, kFastTotal + 1, kFastOk + 1, kQueryDisplay}),
            (Texts{"3", "1", "1", "0", "3", "1", ""}));
  auto calls = ui->Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "text 106=madonna +rar"), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "show 1002"), calls.end());
  // AutoStart: phase 2 may start after a second.
  EXPECT_TRUE(result.startExploration);
  EXPECT_EQ(clock->Sleeps().back(), 1000);
}

TEST_F(HarvestTest, InputsEmptyDisabledOrNothingFound) {
  Rows({"+mp3"});
  ctx.activeProfile.GoogleUse = 1;
  Engine google([](const std::string&) {
    return std::string("<html><body>Your search - <b>x</b> - did not match any documents.");
  });
  ctx.engines.GoogleUrl = google.Base();
  ctx.harvest.logEnabled = true;

  // Both inputs empty while input 1 is asked for: nothing else happens.
  HarvestResult result = Run("", "", true);
  EXPECT_EQ(Boxes(), (Texts{"box : Indiquez ce que vous recherchez, please ..."}));
  EXPECT_TRUE(google.Requests().empty());
  EXPECT_FALSE(ctx.run.collecting);
  EXPECT_EQ(dir.Read("Log.txt"), "<missing>");
  EXPECT_FALSE(result.found);

  // A profile that needs no input: the row goes alone; no result at all.
  ui->Clear();
  result = Run("", "", false);
  EXPECT_EQ(google.Queries("start"), (Texts{"+mp3@0"}));
  EXPECT_EQ(Boxes(), (Texts{"box ORVI: Aucune correspondance trouv\xE9" "e..."}));
  EXPECT_FALSE(result.found);
  EXPECT_FALSE(result.startExploration);
  EXPECT_EQ(Fields({prep_ids::kGoogleTotal}), Texts{"0"});
}

TEST_F(HarvestTest, LoweredStopAtLimitEndsTheEngineAndTheHarvest) {
  Rows({"+mp3", "+zip"});
  ctx.activeProfile.GoogleUse = 0b11;
  ctx.harvest.stopAt = 500;
  Engine google([this](const std::string& request) {
    std::string start = Param(request, "start");
    // The user moves the slider while the second page is on its way.
    if (start == "50") ctx.harvest.stopAt = 4;
    std::string n = std::to_string(std::stoi(start) + 1);
    return GoogleResults(n, n + "9", "1000",
                      {"http://a" + start + ".example/", "http://b" + start + ".example/",
                       "http://c" + start + ".example/"});
  });
  ctx.engines.GoogleUrl = google.Base();

  HarvestResult result = Run();
  EXPECT_EQ(google.Queries("start"), (Texts{"madonna+mp3@0", "madonna+mp3@50"}));
  EXPECT_EQ(QueueContent().size(), 6u);
  EXPECT_TRUE(result.found);
}

TEST_F(HarvestTest, GoogleCacheLinksStoredOnlyWhenTheProfileAsks) {
  Rows({"+mp3"});
  ctx.activeProfile.GoogleUse = 1;
  Engine google([](const std::string&) {
    return GoogleResults("1", "3", "3", {"http://a.example/1", "http://b.example/2"}) +
           GoogleResults("1", "3", "3", {"http://c.example/3"}, false);
  });
  ctx.engines.GoogleUrl = google.Base();

  Run();
  EXPECT_EQ(CacheUrls(), (Texts{"", "", ""}));  // the scan goes on after each cache path
  ctx.activeProfile.GoogleCache = true;
  Run();
  EXPECT_EQ(CacheUrls(), (Texts{google.Base() + "/search?q=cache:K1:a.example/1",
                                                   google.Base() + "/search?q=cache:K2:b.example/2", ""}));
}

// A page cut short by a stop is no failure of the host: the fallback host
// is not taken for the rest of the process, and the stopped harvest asks it
// nothing.
TEST_F(HarvestTest, AStopDuringAGooglePageKeepsThePrimaryHost) {
  Rows({"+mp3"});
  ctx.activeProfile.GoogleUse = 0b1;
  std::atomic<bool> asked{false};
  ScriptServer primary([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    asked = true;
    c.HoldUntilClosed();
  });
  ScriptServer fallback([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Send(ScriptServer::Response("200 OK", GoogleResults("1", "1", "1", {"http://x.example/"})));
  });
  ctx.engines.GoogleUrl = primary.Url("");
  ctx.engines.GoogleFallbackUrl = fallback.Url("");
  std::thread harvest([&] { Run(); });
  while (!asked) std::this_thread::yield();
  StopAndClearQueue(ctx);
  harvest.join();
  EXPECT_FALSE(ctx.harvest.googleFallback);
  EXPECT_EQ(fallback.Connections(), 0);
  EXPECT_TRUE(QueueContent().empty());
}

TEST_F(HarvestTest, GoogleMovesToItsFallbackHostForGood) {
  Rows({"+mp3", "+zip"});
  ctx.activeProfile.GoogleUse = 0b11;
  ScriptServer primary([](ScriptServer::Conn& c) { c.ReadRequest(); });  // closes unanswered
  std::atomic<bool> failZip{false};
  ScriptServer fallback([&](ScriptServer::Conn& c) {
    std::string q = Param(c.ReadRequest(), "q");
    if (q == "madonna+zip" && failZip) return;
    c.Send(ScriptServer::Response("200 OK", GoogleResults("1", "1", "1", {"http://" + q.substr(8) + ".example/"})));
  });
  ctx.engines.GoogleUrl = primary.Url("");
  ctx.engines.GoogleFallbackUrl = fallback.Url("");

  Run();
  EXPECT_EQ(primary.Connections(), 1);
  EXPECT_EQ(fallback.Connections(), 2);
  EXPECT_TRUE(ctx.harvest.googleFallback);
  EXPECT_EQ(QueueContent().size(), 2u);

  // Two failures in a row on the fallback host give up the row only.
  failZip = true;
  ctx.activeProfile.Keys[2] = "+rar";
  ctx.activeProfile.GoogleUse = 0b111;
  Run();
  EXPECT_EQ(primary.Connections(), 1);
  std::vector<std::string> asked;
  for (const std::string& r : fallback.Requests()) asked.push_back(Param(r, "q"));
  EXPECT_EQ(asked, (Texts{"madonna+mp3", "madonna+zip", "madonna+mp3", "madonna+zip", "madonna+zip", "madonna+rar"}));
}

TEST_F(HarvestTest, WiseNutAsksEachAlternativeWithItsCookie) {
  Rows({"(crack OR serial)"});
  ctx.activeProfile.FindS = false;
  ctx.activeProfile.WiseUse = 1;
  Engine wise([](const std::string& request) {
    std::string q = Param(request, "q"), p = Param(request, "p");
    if (q == "crack") {
      return WiseNutResults("150", {"http://c" + p + ".example/", "http://cc" + p + ".example/"});
    }
    return WiseNutResults("1,005", {"http://s" + p + ".example/"});
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
  EXPECT_EQ(Fields({prep_ids::kWiseNutTotal, prep_ids::kWiseNutOk, prep_ids::kUniqueWiseNut}),
            (Texts{"1155", "8", "8"}));
}

TEST_F(HarvestWaitTest, AnEngineOutlivingItsWaitIsJoinedNotLost) {
  // Google holds its answer until the harvest shows the next row: the harvest
  // must go on without it, and still take its links before it ends.
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> events;
  auto note = [&](const std::string& event) {
    std::lock_guard lock(mutex);
    events.push_back(event);
    changed.notify_all();
  };
  auto awaitEvent = [&](const std::string& event) {
    std::unique_lock lock(mutex);
    changed.wait_for(lock, std::chrono::seconds(5), [&] {
      return std::find(events.begin(), events.end(), event) != events.end();
    });
  };
  ScriptServer google([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    note("google asked");
    awaitEvent("madonna +zip");
    note("google answers");
    c.Send(ScriptServer::Response("200 OK", GoogleResults("1", "1", "1", {"http://g.example/"})));
  });
  ui->note = [&](const std::string& display) {
    note(display);
    // The last row: let Google be asked before the rows are done.
    if (display == "madonna +zip") awaitEvent("google asked");
  };
  Rows({"+mp3", "+zip"});  // the second asked of no engine
  ctx.activeProfile.GoogleUse = 0b01;
  ctx.engines.GoogleUrl = google.Url("");
  ctx.harvest.engineWaitMs = 0;

  HarvestResult result = Run();
  {
    std::lock_guard lock(mutex);
    auto at = [&](const std::string& event) {
      return std::find(events.begin(), events.end(), event) - events.begin();
    };
    EXPECT_EQ(events.size(), 4u);
    EXPECT_LT(at("madonna +zip"), at("google answers"));
  }
  EXPECT_EQ(QueueContent(), (Queued{{"http://g.example/", 1}}));
  EXPECT_TRUE(result.found);
}

TEST_F(HarvestTest, ClosingTheWindowEndsTheHarvestQuietly) {
  Rows({"+mp3", "+zip"});
  ctx.activeProfile.GoogleUse = 0b11;
  Engine google([this](const std::string&) {
    // What the window does when it closes.
    ctx.harvest.windowClosed = true;
    ctx.harvest.running = false;
    return GoogleResults("1", "50", "500", {"http://a.example/"});
  });
  ctx.engines.GoogleUrl = google.Base();

  HarvestResult result = Run();
  EXPECT_EQ(google.Requests().size(), 1u);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(result.startExploration);
  // Nothing touches the window's fields once it is gone.
  EXPECT_EQ(Fields({prep_ids::kGoogleTotal, prep_ids::kGoogleOk}), (Texts{"", ""}));
}

}  // namespace
}  // namespace orvi
