// "Traduire en anglais": the translation service.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <tuple>

#include "net/fetch_page.h"
#include "search/translation.h"
#include "support/manual_clock.h"
#include "support/script_server.h"
#include "support/temp_dir.h"

namespace orvi::test {
namespace {

// The sandbox's service checks the lowering and a UTF-8 letter end to end.
TEST(Translation, EncodesBytesForTheService) {
  const char* cases[][2] = {{"-&+", "%2D%26%2B"}, {"/:?", "/:?"}, {".z{", ".z%7B"},  // the kept range ends at "z"
                            {"\xFF\x80", "\xC3\xBF\xC3\x40"},  // every byte of 128 or more, letter or not
                            {"\"a\"\t", "%22a%22%09"}};
  const std::string prefix = "/translate.dyn?doit=done&lp=fr_en&urltext=";
  for (const auto& c : cases) EXPECT_EQ(TranslationPath("fr_en", c[0]), prefix + c[1]) << c[0];
  // At most 149 characters are read from the field.
  EXPECT_EQ(TranslationPath("fr_en", std::string(200, 'a')).size(), prefix.size() + 149);
}

TEST(Translation, ReadsTheFirstTextArea) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"<textarea>\nhello</textarea>", ""},                     // a leading line feed empties it
      {"<textarea>one\ntwo</textarea>", "one"},
      {"<textarea>it&#39;s</textarea>", "it&#39;s"},            // references stay as sent
      {"<p>no area here</p>", std::nullopt},
      {"<textarea name=q", std::nullopt},                       // no ">"
      {"<textarea>never closed", std::nullopt},
  };
  for (const auto& [page, text] : cases) EXPECT_EQ(ReadTranslation(page), text) << page;
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
}

}  // namespace
}  // namespace orvi::test
