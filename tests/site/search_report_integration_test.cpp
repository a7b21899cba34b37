// The report of a search to the product site.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>

#include "net/fetch_page.h"
#include "site/search_report.h"
#include "support/manual_clock.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi::test {
namespace {

TEST(SearchReport, PathTakesTheFirstQuotedPart) {
  struct Case {
    const char* encoded;
    const char* path;
  } cases[] = {
      {"%22harry+potter%22", "/addtop10.php3?requete=harry+potter"},
      {"harry+potter", "/addtop10.php3?requete=harry+potter"},
      {"%22a%22+%22b%22", "/addtop10.php3?requete=a"},
      {"a%22b", "/addtop10.php3?requete=a"},
      {"%22", "/addtop10.php3?requete="},
      {"", "/addtop10.php3?requete="},
  };
  for (const Case& c : cases) EXPECT_EQ(ReportPath(c.encoded), c.path) << c.encoded;
}

TEST(SearchReport, SentAfterFortySecondsOrNotAtAll) {
  TempDir home;
  auto clock = std::make_shared<ManualClock>();
  Context ctx(ContextOptions{.appFolder = home.path(), .clock = clock});
  ScriptServer site([](ScriptServer::Conn& c) {
    c.ReadRequest();
    c.Send(ScriptServer::Response("200 OK", "<html><body>merci</body></html>"));
  });
  {
    ctx.engines.SiteUrl = "";
    SearchReports reports(ctx);
    reports.Start("%22harry+potter%22");
    reports.JoinAll();
  }
  EXPECT_EQ(site.Connections(), 0);
  {
    ctx.engines.SiteUrl = site.Url("");
    SearchReports reports(ctx);
    reports.Start("%22harry+potter%22");
    reports.JoinAll();
  }
  ASSERT_EQ(site.Requests().size(), 1u);
  EXPECT_TRUE(site.Requests()[0].starts_with("GET /addtop10.php3?requete=harry+potter HTTP/1.1")) << site.Requests()[0];
  int64_t waited = 0;
  for (int64_t ms : clock->Sleeps()) waited += ms;
  EXPECT_EQ(waited, kReportDelayMs);
}

// A search that starts or stops breaks every socket of its own; the report,
// sent as the search starts, is not one of them.
TEST(SearchReport, ASearchStartingOrStoppingDoesNotCutIt) {
  TempDir home;
  Context ctx(ContextOptions{.appFolder = home.path()});
  std::promise<void> requested;
  std::promise<void> answer;
  std::shared_future<void> answerGate = answer.get_future().share();
  ScriptServer site([&](ScriptServer::Conn& c) {
    c.ReadRequest();
    requested.set_value();
    answerGate.wait();
    c.Send(ScriptServer::Response("200 OK", "<html><body>merci</body></html>"));
  });
  auto report = std::async(std::launch::async, [&] {
    FetchError label = FetchError::None;
    return FetchPage(ctx, site.Url(ReportPath("mozart")), label, true, kReportTimeoutSeconds, "", false);
  });
  requested.get_future().wait();
  ctx.sockets.CloseAllSockets();
  answer.set_value();
  std::optional<std::string> page = report.get();
  ASSERT_TRUE(page.has_value());
  EXPECT_NE(page->find("merci"), std::string::npos);
}

TEST(SearchReport, OwnerGoingEndsAWaitingReport) {
  TempDir home;
  Context ctx(ContextOptions{.appFolder = home.path()});  // the real clock: the report would wait 40 s
  ScriptServer site([](ScriptServer::Conn& c) { c.ReadRequest(); });
  ctx.engines.SiteUrl = site.Url("");
  {
    SearchReports reports(ctx);
    reports.Start("mozart");
  }
  EXPECT_EQ(site.Connections(), 0);
}

}  // namespace
}  // namespace orvi::test
