#include <gtest/gtest.h>

#include <numeric>

#include "net/fetch_page.h"
#include "sandbox/sandbox_server.h"
#include "sandbox/site.h"
#include "search/harvest_job.h"
#include "search/web_requests.h"
#include "support/manual_clock.h"
#include "support/recording_ui.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi {
namespace {

using test::ScriptServer;

constexpr char kBrowser[] =
    "User-Agent: Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0\r\n";
constexpr char kHtml[] = "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\r\n";
constexpr char kJson[] = "Accept: application/json\r\n";
constexpr char kFrench[] = "Accept-Language: fr-FR,fr;q=0.9,en;q=0.8\r\n";

WebEngine& Row(Context& ctx, std::string_view id) { return *FindWebEngine(ctx.webEngines, id); }

TEST(WebEnginesTest, RequestBytesOfEachEngine) {
  struct Case {
    const char* engine;
    std::string start;  // request line
    std::string headers;  // after Host
    std::string body;
  } cases[] = {
      {"mojeek", "GET /search?q=mozart+%C3%A9t%C3%A9", std::string(kHtml) + kFrench + "Cookie: lb=fr; arc=fr\r\n", ""},
      {"duckduckgo", "POST /html/", std::string(kHtml) + kFrench, "q=mozart+%C3%A9t%C3%A9&b=&kl=fr-fr"},
      {"bing", "GET /search?q=mozart+%C3%A9t%C3%A9", std::string(kHtml) + kFrench, ""},
      {"searxng", "GET /search?q=mozart+%C3%A9t%C3%A9&format=json", std::string(kJson) + kFrench, ""},
      {"marginalia", "GET /search?query=mozart+%C3%A9t%C3%A9&count=20", std::string(kJson) + kFrench + "API-Key: mine\r\n",
       ""},
  };
  for (const Case& c : cases) {
    ScriptServer server(ScriptServer::Answer(ScriptServer::Response("200 OK", "{}")));
    Context ctx;
    ctx.engines.Locale = "fr_FR";
    Row(ctx, "marginalia").Key = "mine";
    WebEngine& row = Row(ctx, c.engine);
    row.Url = server.Url("");
    WebAnswer answer = FetchWeb(ctx, FirstWebRequest(ctx, row, "mozart+%E9t%E9"), 10, false);
    EXPECT_EQ(answer.status, 200) << LabelText(answer.label);
    std::string expected = c.start + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n" +
                           kBrowser + c.headers;
    if (!c.body.empty()) {
      expected += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                  std::to_string(c.body.size()) + "\r\n";
    }
    EXPECT_EQ(server.Requests().at(0), expected + "Connection: close\r\n\r\n" + c.body) << c.engine;
  }
}

// A harvest of "madonna" on the manual clock: these engines in the slots at
// these addresses, one keyword row per key, each asked by the ticked columns.
struct WebHarvest {
  WebHarvest(const std::array<std::string, 3>& slots, const std::vector<std::string>& urls,
             const std::vector<std::string>& keys, int ticked) {
    ctx.engines.slotEngines = slots;
    for (size_t s = 0; s < urls.size(); ++s) Row(ctx, slots[s]).Url = urls[s];
    for (size_t k = 0; k < keys.size(); ++k) ctx.activeProfile.Keys[k] = keys[k];
    ctx.activeProfile.GoogleUse = ctx.activeProfile.AtwUse = ctx.activeProfile.WiseUse = ticked;
    ctx.activeProfile.MaxDomains = 100;
    ctx.activeProfile.FindS = true;
    ctx.harvest.autoStart = false;
    ctx.harvest.logEnabled = true;
  }
  HarvestProgress Run(bool finds = true) {
    job.Start({"madonna", "", true});
    EXPECT_EQ(job.Join().found, finds);
    return job.Progress();
  }
  test::TempDir dir;
  std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
  Context ctx{ContextOptions{.appFolder = dir.path(), .clock = clock, .ui = std::make_shared<test::RecordingUi>()}};
  HarvestJob job{ctx};
};

// Mojeek pages on, DuckDuckGo blocks at once, Bing is https with https
// off: the blocked engines are asked nothing more, Mojeek's requests are
// spaced by its pacing on the context's clock.
TEST(WebEnginesTest, BlockedEnginesStopAndTheOthersGoOnAtTheirPace) {
  ScriptServer mojeek([](ScriptServer::Conn& c) {
    std::string request = c.ReadRequest();
    bool second = request.find("&s=11 ") != std::string::npos;
    std::string row = request.find("+zip") != std::string::npos ? "zip" : "mp3";
    c.Send(ScriptServer::Response(
        "200 OK", "<!--rs--><a class=\"title\" href=\"http://m.example/" + row + (second ? "2" : "1") + "\">m</a><!--re-->" +
                      (second ? "" : "<div class=\"pagination\"><a href=\"/search?q=x&amp;s=11\">2</a></div>")));
  });
  ScriptServer duckduckgo(ScriptServer::Answer(ScriptServer::Response("202 Accepted", "<html></html>")));
  WebHarvest h({"mojeek", "duckduckgo", "bing"}, {mojeek.Url(""), duckduckgo.Url(""), "https://127.0.0.1:1"},
               {"+mp3", "+zip"}, 0b11);
  std::vector<std::string> whileWaiting;
  h.clock->onSleep = [&](size_t) {
    HarvestProgress p = h.job.Progress();
    whileWaiting.push_back(p.notes[0] + (p.engines[0] == EngineState::Waiting ? " (waiting)" : ""));
  };
  const HarvestProgress p = h.Run();
  EXPECT_EQ(std::pair(mojeek.Connections(), duckduckgo.Connections()), std::pair(4, 1));
  const std::vector<int64_t> sleeps = h.clock->Sleeps();
  EXPECT_EQ(std::accumulate(sleeps.begin(), sleeps.end(), int64_t{0}), 15000);
  EXPECT_EQ(whileWaiting.at(0), "Mojeek : attente de 5 s entre deux requ\xEAtes (waiting)");
  EXPECT_EQ(p.names, (std::array<std::string, 3>{"Mojeek", "DuckDuckGo", "Bing"}));
  EXPECT_EQ(p.engines, (std::array{EngineState::Done, EngineState::Blocked, EngineState::Blocked}));
  EXPECT_EQ(p.notes[1], "DuckDuckGo : acc\xE8s bloqu\xE9 par le moteur (anomaly), r\xE9" "essayez plus tard");
  EXPECT_EQ(p.notes[2], "Bing : adresse https, les adresses https ne sont pas autoris\xE9" "es (Options, Configuration)");
  EXPECT_EQ(p.tallies[0], (HarvestProgress::Tally{4, 4, 4}));
  EXPECT_NE(h.dir.Read("Log.txt").find("[Mojeek] GET " + mojeek.Url("") + "/search?q=madonna+zip&s=11\r\n"
                                       "[Mojeek=] http://m.example/zip2\r\n"), std::string::npos);
}

// The shipped rows against the sandbox's engines, second pages included
// (Mojeek's s=11, DuckDuckGo's form with its vqd); Bing refuses with a captcha.
TEST(WebEnginesTest, TheShippedEnginesHarvestTheSandboxWhileABlockedOneStops) {
  sandbox::Fixture fixture;
  std::string error;
  ASSERT_TRUE(fixture.Parse("[google] madonna mp3\n{base}/r{1..15}.html\n", "t", error)) << error;
  sandbox::Server server(std::make_shared<const sandbox::Site>(std::move(fixture), ""));
  ASSERT_TRUE(server.Start({}, error)) << error;
  const std::string base = server.baseUrl();
  WebHarvest h({"mojeek", "duckduckgo", "bing"}, {base + "/mojeek", base + "/duckduckgo", base + "/blocked/bing"},
               {"+mp3"}, 1);
  const HarvestProgress p = h.Run();
  EXPECT_EQ(p.found, 15);
  EXPECT_EQ(p.tallies[0].pages * 100 + p.tallies[0].results, 215);
  EXPECT_EQ(p.tallies[1].pages * 100 + p.tallies[1].results, 215);
  EXPECT_EQ(p.engines, (std::array{EngineState::Done, EngineState::Done, EngineState::Blocked}));
  EXPECT_EQ(p.notes[2], "Bing : acc\xE8s bloqu\xE9 par le moteur (captcha), r\xE9" "essayez plus tard");
  EXPECT_TRUE(p.cells[2][0].blocked);
}

// An engine that does not answer twice is left, and says why.
TEST(WebEnginesTest, AnEngineThatDoesNotAnswerIsLeftWithItsReason) {
  WebHarvest h({"mojeek", "google", "google"}, {"http://127.0.0.1:1"}, {"+mp3"}, 0);
  h.ctx.activeProfile.GoogleUse = 1;
  const HarvestProgress p = h.Run(false);
  EXPECT_EQ(p.engines[0], EngineState::GaveUp);
  EXPECT_EQ(p.notes[0], "Mojeek : ne r\xE9pond pas (Connect)");
}

// "Stop !" while an engine waits between two pages ends the wait at once.
TEST(WebEnginesTest, AStopEndsThePacingWaitAtOnce) {
  ScriptServer mojeek(ScriptServer::Answer(ScriptServer::Response(
      "200 OK", "<!--rs--><a class=\"title\" href=\"http://m.example/1\">m</a><!--re-->"
                "<div class=\"pagination\"><a href=\"/search?q=x&amp;s=11\">2</a></div>")));
  WebHarvest h({"mojeek", "google", "google"}, {mojeek.Url("")}, {"+mp3"}, 0);
  h.ctx.activeProfile.GoogleUse = 1;
  h.clock->onSleep = [&](size_t) { StopHarvest(h.ctx); };
  h.Run();
  EXPECT_EQ(mojeek.Connections(), 1);
  EXPECT_EQ(h.clock->Sleeps(), (std::vector<int64_t>{50}));
}

}  // namespace
}  // namespace orvi
