#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "net/fetch_error.h"
#include "net/http_request.h"

namespace orvi {

// Receive buffer of one fetch and its limits: reading stops once more than
// kReadEnough bytes have arrived and never takes more than kMaxReceived.
constexpr size_t kPageBuffer = 150000;
constexpr size_t kMaxReceived = kPageBuffer - 512;  // 149488
constexpr size_t kReadEnough = 145904;
constexpr size_t kReceiveChunk = 4096;
constexpr int kRetryWaitMs = 2000;
constexpr int kThrottleStepMs = 600;
constexpr int kNameFailuresBeforePause = 12;

// The whole deadline of a fetch with a per-receive time-out of timeoutMs:
// twice the time-out, plus the pause before the one retry.
constexpr int64_t WholeFetchMs(int64_t timeoutMs) { return 2 * timeoutMs + kRetryWaitMs; }

// Fetches one page with a GET on a fresh connection, directly or through the
// proxy of the settings. Returns the body (or, with label "3xx", the whole
// response), or nothing with the label set. timeoutSeconds 0 means
// HttpTimeOut; it bounds each receive, and WholeFetchMs of it bounds the
// whole call. With stopAtBodyEnd, reading ends once "</body>" has arrived;
// without it, reading also ends when the run's collecting flag is cleared.
// A fetch that serves the running search (forSearch) tries no more once that
// search has stopped; one that serves none (the search report) goes on, and
// no search's start or stop breaks its socket.
std::optional<std::string> FetchPage(Context& ctx, std::string_view url, FetchError& label,
                                     bool stopAtBodyEnd, int timeoutSeconds,
                                     std::string_view extraHeaders, bool forSearch = true);

// The answer of a FetchWeb: its status and body whatever the status (an
// engine says "blocked" with a 403 as well as with a page), or a label.
struct WebAnswer {
  int status = 0;  // 0: no HTTP answer
  std::string body;
  FetchError label = FetchError::None;
};

// Sends one browser-like request of the running search, with FetchPage's
// limits and time-out rules; reading ends at "</body>" when stopAtBodyEnd.
WebAnswer FetchWeb(Context& ctx, const WebRequest& request, int timeoutSeconds, bool stopAtBodyEnd);

}  // namespace orvi
