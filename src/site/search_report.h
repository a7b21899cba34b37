#pragma once

#include <atomic>
#include <string>
#include <string_view>

#include "core/context.h"
#include "core/thread_set.h"

namespace orvi {

// The report of a search to the product site ("top 10"), sent after the
// preparation window closes with OK.

inline constexpr int64_t kReportDelayMs = 40'000;
inline constexpr int kReportTimeoutSeconds = 10;

// The request path for an encoded search text: a leading "%22" dropped, the
// text cut at the next "%22".
std::string ReportPath(std::string_view encodedSearchText);

// The report threads of the process. Each waits 40 seconds, asks the product
// site and drops the answer; nothing is shown, whatever happens, and nothing
// is sent when SiteUrl is empty. A thread still waiting when the owner goes
// ends at once without sending; the owner must go before the context.
class SearchReports {
 public:
  // waitClock times the 40 seconds (the context's clock when null).
  explicit SearchReports(Context& ctx, Clock* waitClock = nullptr)
      : ctx_(ctx), clock_(waitClock ? *waitClock : ctx.clock()) {}
  ~SearchReports();
  SearchReports(const SearchReports&) = delete;
  SearchReports& operator=(const SearchReports&) = delete;

  void Start(std::string encodedSearchText);
  // Waits for every report started so far (tests).
  void JoinAll() { threads_.JoinAll(); }

 private:
  void Send(const std::string& url);

  Context& ctx_;
  Clock& clock_;
  std::atomic<bool> stopping_{false};
  ThreadSet threads_;
};

}  // namespace orvi
