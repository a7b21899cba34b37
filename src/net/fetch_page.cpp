#include "net/fetch_page.h"

#include "core/commands.h"
#include "net/http_exchange.h"

namespace orvi {
namespace {

constexpr std::array<std::string_view, 2> kBodyEnd = {"</body>", "</BODY>"};
// A server that holds the connection open ends by the time-out: what came
// before it is a page from this many bytes on.
constexpr size_t kPageFromBytes = 1024;

// A failed name look-up: counts towards the lost-connection pause.
void NoteNameFailure(Context& ctx) {
  int streak = ++ctx.net.NameFailureStreak;
  if (streak > kNameFailuresBeforePause && !ctx.run.Paused) {
    ctx.ui().PostCommand(cmd::kPauseContinue);
    ctx.net.DisconnectedShown = true;
  }
}

// A name resolved again: resumes a run that the lost connection paused.
void NoteNameSuccess(Context& ctx) {
  if (ctx.net.NameFailureStreak > kNameFailuresBeforePause && ctx.run.Paused) {
    ctx.ui().PostCommand(cmd::kPauseContinue);
  }
  ctx.net.DisconnectedShown = false;
  ctx.net.NameFailureStreak = 0;
}

// Whether a failed look-up waits for the network; a look-up that found its
// name ends the lost-connection notice.
bool AfterLookup(Context& ctx, bool found) {
  if (found) {
    NoteNameSuccess(ctx);
    return false;
  }
  NoteNameFailure(ctx);
  // While the run is paused for a lost connection the fetch waits for the
  // network to come back; a stopped run ends that wait.
  return ctx.run.Paused && ctx.run.collecting;
}

}  // namespace

namespace {

// One page's exchange under the page fetch's rules.
// An engine's page is read whole whatever the run does (readWhole); an
// exploration page no more once the run stops collecting.
ExchangeResult PageExchange(Context& ctx, const Route& route, std::string_view request, bool stopAtBodyEnd,
                            bool readWhole, int timeoutSeconds, bool forSearch) {
  const GlobalSettings& settings = ctx.settings;
  const int64_t timeoutMs = int64_t{timeoutSeconds != 0 ? timeoutSeconds : settings.HttpTimeOut} * 1000;
  ExplorationRun& run = ctx.run;
  // The search phase this fetch serves: the one running as it starts (the
  // version check or a translation serve none). Once that phase has been
  // stopped, the fetch tries no more.
  const bool servesRun = forSearch && run.collecting;
  const uint64_t generation = run.generation;
  // The whole fetch, every attempt included, ends within twice its time-out
  // plus the one pause before a retry; each receive still waits at most the
  // time-out. Only waits that no server causes (the brake, a lost
  // connection) move the deadline.
  Deadline deadline(WholeFetchMs(timeoutMs));
  // Filled field by field: GCC 12 at -O3 takes a nested designated
  // initialiser of std::function members for a read of uninitialised memory.
  ExchangeRules rules;
  rules.receive.perReceiveMs = timeoutMs;
  rules.receive.chunk = kReceiveChunk;
  rules.receive.limit = kMaxReceived;
  rules.receive.enough = kReadEnough;
  if (stopAtBodyEnd) rules.receive.endMarkers = kBodyEnd;
  rules.receive.endAtFraming = true;
  rules.receive.keepAfterFailureFrom = kPageFromBytes;
  rules.receive.keepReading = [&] { return readWhole || run.collecting.load(); };
  rules.receive.brakeMs = [&] { return int64_t{run.Throttle} * kThrottleStepMs; };
  // A stop breaks the sockets of the search; a fetch that serves none (the
  // search report) must not be cut by a search that starts or ends.
  rules.registry = forSearch ? &ctx.sockets : nullptr;
  rules.retryWaitMs = kRetryWaitMs;
  rules.retryConnect = true;
  rules.stopped = [&] { return servesRun && !run.Serves(generation); };
  rules.afterLookup = [&](bool found) { return AfterLookup(ctx, found); };
  ExchangeResult result = HttpExchange(ctx, route, request, rules, deadline);
  if (result.timedOut) ++run.timeoutCount;
  return result;
}

}  // namespace

std::optional<std::string> FetchPage(Context& ctx, std::string_view url, FetchError& label,
                                     bool stopAtBodyEnd, int timeoutSeconds,
                                     std::string_view extraHeaders, bool forSearch) {
  std::string host;
  std::string request;
  bool secure = false;
  Route route;
  if (!BuildGetRequest(ctx.settings, url, host, request, extraHeaders, ctx.netSettings.Https, secure) ||
      !PlanRoute(ctx.settings, host, secure, route)) {
    label = FetchError::ExtractURL;
    return std::nullopt;
  }
  ExchangeResult result = PageExchange(ctx, route, request, stopAtBodyEnd, stopAtBodyEnd, timeoutSeconds, forSearch);
  FetchOutcome outcome = InterpretResponse(std::move(result.received), result.label);
  label = outcome.label;
  return std::move(outcome.text);
}

WebAnswer FetchWeb(Context& ctx, const WebRequest& web, int timeoutSeconds, bool stopAtBodyEnd) {
  WebAnswer answer;
  std::string host, request;
  bool secure = false;
  Route route;
  if (!BuildWebRequest(ctx.settings, web, ctx.netSettings.Https, host, request, secure) ||
      !PlanRoute(ctx.settings, host, secure, route)) {
    answer.label = FetchError::ExtractURL;
    return answer;
  }
  ExchangeResult result = PageExchange(ctx, route, request, stopAtBodyEnd, true, timeoutSeconds, true);
  std::string_view received = result.received;
  HeaderEnd end = FindHeaderEnd(received);
  if (received.empty() || !IsHttpResponse(received) || !end.found()) {
    answer.label = result.label != FetchError::None ? result.label
                   : received.empty()               ? FetchError::NRead0
                                                    : FetchError::NoCRLF;
    return answer;
  }
  // "HTTP/1.1 403 Forbidden": the three digits after the first space.
  size_t space = received.find(' ');
  if (space >= end.marker) {
    answer.label = FetchError::NoSpace;
    return answer;
  }
  for (size_t i = space + 1; i < space + 4 && i < end.marker; ++i) {
    if (received[i] < '0' || received[i] > '9') {
      answer.label = FetchError::Status40x;
      return answer;
    }
    answer.status = answer.status * 10 + (received[i] - '0');
  }
  std::string_view headers = received.substr(0, end.marker), body = received.substr(end.bodyStart());
  answer.body = IsChunked(headers) ? DecodeChunkedBody(body) : std::string(body);
  // A page cut short by a failed receive is still a page from this many
  // bytes on, as for FetchPage.
  if (result.label != FetchError::None && received.size() < kPageFromBytes) answer.label = result.label;
  return answer;
}

}  // namespace orvi
