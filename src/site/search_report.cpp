#include "site/search_report.h"

#include <algorithm>

#include "net/fetch_page.h"

namespace orvi {
namespace {

constexpr std::string_view kQuote = "%22";
// The wait is cut in steps so that a program or test that ends does not wait
// for it.
constexpr int64_t kWaitStepMs = 100;

}  // namespace

std::string ReportPath(std::string_view text) {
  if (text.starts_with(kQuote)) text.remove_prefix(kQuote.size());
  if (size_t quote = text.find(kQuote); quote != std::string_view::npos) text = text.substr(0, quote);
  return "/addtop10.php3?requete=" + std::string(text);
}

SearchReports::~SearchReports() {
  stopping_ = true;
  threads_.JoinAll();
}

void SearchReports::Start(std::string encodedSearchText) {
  threads_.Reap();
  // The address is read here, on the caller's thread: the settings may change meanwhile.
  if (ctx_.engines.SiteUrl.empty()) return;
  threads_.Start([this, url = ctx_.engines.SiteUrl + ReportPath(encodedSearchText)] { Send(url); });
}

void SearchReports::Send(const std::string& url) {
  for (int64_t waited = 0; waited < kReportDelayMs && !stopping_; waited += kWaitStepMs) {
    clock_.SleepMs(std::min(kWaitStepMs, kReportDelayMs - waited));
  }
  if (stopping_) return;
  FetchError label = FetchError::None;
  // The answer is not read: the report is all that matters.
  // It goes out whether the search is still running or not.
  (void)FetchPage(ctx_, url, label, true, kReportTimeoutSeconds, "", false);
}

}  // namespace orvi
