// "Traduire en anglais" and the report of a search to the product site.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <tuple>

#include "net/fetch_page.h"
#include "search/search_report.h"
#include "search/translation.h"
#include "support/manual_clock.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi::test {
namespace {

TEST(Translation, EncodesBytesForTheService) {
  struct Case {
    const char* input;
    const char* path;  // after "urltext="
  } cases[] = {
      {"\xC7" "a va", "\xC3\x87" "a%20va"},   // only A-Z are lowered; 0xC7 goes as UTF-8
      {"-&+", "%2D%26%2B"},
      {"/:?", "/:?"},
      {".z{", ".z%7B"},                        // the kept range ends at "z"
      {"Bonjour", "bonjour"},
      {"\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
      {"\xFF\x80", "\xC3\xBF\xC3\x40"},        // every byte of 128 or more, letter or not
      {"\"a\"\t", "%22a%22%09"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TranslationPath("fr_en", c.input), std::string("/translate.dyn?doit=done&lp=fr_en&urltext=") + c.path)
        << c.input;
  }
  // At most 149 characters are read from the field.
  EXPECT_EQ(TranslationPath("fr_en", std::string(200, 'a')).size(),
            std::string("/translate.dyn?doit=done&lp=fr_en&urltext=").size() + 149);
}

TEST(Translation, ReadsTheFirstTextArea) {
  struct Case {
    const char* page;
    std::optional<std::string> text;
  } cases[] = {
      {"<form><textarea name=q rows=3>hello world</textarea></form>", "hello world"},
      {"<textarea>\nhello</textarea>", ""},                     // a leading line feed empties it
      {"<textarea>one\ntwo</textarea>", "one"},
      {"<textarea>it&#39;s</textarea>", "it&#39;s"},            // references stay as sent
      {"<textarea>a</textarea><textarea>b</textarea>", "a"},
      {"<p>no area here</p>", std::nullopt},
      {"<textarea name=q", std::nullopt},                       // no ">"
      {"<textarea>never closed", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadTranslation(c.page), c.text) << c.page;
}

// The service is asked twice at most; a page without a text area is no
// reason to ask again.
TEST(TranslationService, OutcomesAndTheSecondAttempt) {
  const std::string page = "<html><body><textarea rows=3>good morning\n</textarea></body></html>";
  struct Case {
    const char* name;
    std::vector<std::string> answers;  // one per connection; "" closes without a word
    TranslationOutcome outcome;
    std::string text;
    size_t requests;
  } cases[] = {
      {"a second attempt after a failure", {"", page}, TranslationOutcome::Translated, "good morning", 2},
      {"two failures", {"", ""}, TranslationOutcome::NoAnswer, "", 2},
      {"no text area", {"<html><body>Service indisponible</body></html>"}, TranslationOutcome::NoTextArea, "",
       1},
  };
  for (const Case& c : cases) {
    std::atomic<size_t> calls{0};
    ScriptServer server([&](ScriptServer::Conn& conn) {
      conn.ReadRequest();
      const std::string& answer = c.answers[std::min(calls++, c.answers.size() - 1)];
      if (!answer.empty()) conn.Send(ScriptServer::Response("200 OK", answer));
    });
    TempDir home;
    Context ctx(ContextOptions{.appFolder = home.path(), .clock = std::make_shared<ManualClock>()});
    ctx.engines.TranslateUrl = server.Url("");
    Translation t = TranslateInput(ctx, "Bonjour \xC7" "a");
    EXPECT_EQ(t.outcome, c.outcome) << c.name;
    EXPECT_EQ(t.text, c.text) << c.name;
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), c.requests) << c.name;
    // The address holds 0xC3 0x87; a request line carries such bytes encoded.
    EXPECT_TRUE(requests.back().starts_with(
        "GET /translate.dyn?doit=done&lp=fr_en&urltext=bonjour%20%C3%87a HTTP/1.1"))
        << requests.back();
  }
  MessageSpec box = TranslationFailureBox(TranslationOutcome::NoAnswer);
  EXPECT_EQ(std::tie(box.text, box.icon),
            std::make_tuple("Le service de traduction ne r\xE9pond pas", MsgIcon::Error));
  box = TranslationFailureBox(TranslationOutcome::NoTextArea);
  EXPECT_EQ(std::tie(box.text, box.caption, box.icon),
            std::make_tuple("Echec de la traduction", "ORVI", MsgIcon::Warning));
}

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
