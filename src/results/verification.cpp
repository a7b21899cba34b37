#include "results/verification.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <vector>

#include "core/base64.h"
#include "core/url_text.h"
#include "ftp/ftp_probe.h"
#include "net/http_exchange.h"
#include "results/catalogue.h"
#include "platform/text.h"

namespace orvi {
namespace {

constexpr size_t kProbeBuffer = 20000;
constexpr size_t kProbeMax = kProbeBuffer - 512;  // 19488
constexpr size_t kProbeChunk = 8192;
constexpr int kRetryWaitMs = 500;
constexpr int kAfterStartMs = 5;
constexpr int kPassPauseMs = 50;
// Redirections a file probe follows; one more fails it.
constexpr size_t kMaxFileRedirects = 5;
constexpr char kAccept[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, image/png, */*";

bool IsFtp(std::string_view url) { return StartsWithIgnoreCase(url, "ftp"); }

// Ends a probe: the final state (none when the verification was stopped;
// Waiting when a re-check was asked meanwhile), and the count.
class ProbeScope {
 public:
  ProbeScope(Context& ctx, FoundFile& file, uint64_t generation)
      : ctx_(ctx), file_(file), generation_(generation) {}
  ~ProbeScope() {
    {
      std::lock_guard lock(ctx_.CatalogueLock);
      if (file_.recheckAsked) {
        file_.recheckAsked = false;
        file_.ResetForRecheck();
      } else if (state_) {
        file_.SetState(*state_);
      }
    }
    ctx_.verification.EndProbe(generation_);
  }
  void Finish(FileState state) { state_ = state; }
  // False once the verification this probe serves has been stopped.
  bool Running() const { return ctx_.verification.Serves(generation_); }

 private:
  Context& ctx_;
  FoundFile& file_;
  uint64_t generation_;
  std::optional<FileState> state_;
};

std::optional<std::string> ProbeFileFollowing(Context& ctx, std::string_view url, SocketSlot& slot,
                                              bool& timedOut, int64_t& size, std::string& date);

// HEAD requests for url, at most `attempts` of them, each following the
// server's redirections, stopping at a time-out; the size and date of the
// answer that decided go to the file. Leaves the state alone when the
// verification was stopped.
void HeadAttempts(Context& ctx, FoundFile& file, std::string_view url, int attempts,
                  ProbeScope& scope) {
  bool timedOut = false;
  for (int attempt = 0; attempt < attempts; ++attempt) {
    int64_t size = 0;
    std::string date = file.Date();
    if (ProbeFileFollowing(ctx, url, file.probeSocket, timedOut, size, date)) {
      file.size = size;
      file.SetDate(date);
      scope.Finish(FileState::Valid);
      return;
    }
    if (!scope.Running()) return;
    if (timedOut) break;
  }
  scope.Finish(timedOut ? FileState::TimedOut : FileState::Failed);
}

void HeadTask(Context& ctx, FoundFile& file, ProbeScope& scope) {
  HeadAttempts(ctx, file, file.url, ctx.settings.NbRetry + 1, scope);
}

void FtpTask(Context& ctx, FoundFile& file, ProbeScope& scope) {
  for (int attempt = 0; attempt < ctx.settings.NbRetry; ++attempt) {
    int64_t size = 0;
    std::string date;
    if (ProbeFtpFile(file.url, file.probeSocket, size, date, ctx.settings.VerifyTimeOut)) {
      file.size = size;
      file.SetDate(date);
      scope.Finish(FileState::Valid);
      return;
    }
    if (!scope.Running()) return;
  }
  scope.Finish(FileState::Failed);
}

void HostedPageTask(Context& ctx, FoundFile& file, ProbeScope& scope) {
  std::optional<std::string> page;
  bool timedOut = false;
  for (int attempt = 0; attempt < ctx.settings.NbRetry && !page && !timedOut; ++attempt) {
    int64_t ignoredSize = 0;
    std::string ignoredDate;
    page = ProbeFile(ctx, file.url, file.probeSocket, timedOut, false, ignoredSize, ignoredDate);
    if (!page && !scope.Running()) return;
  }
  if (!page) {
    scope.Finish(timedOut ? FileState::TimedOut : FileState::Failed);
    return;
  }
  std::optional<std::string> real = HostedFileUrl(*page, ctx.hosts.hostedPagePrefix);
  if (!real) {
    scope.Finish(FileState::Failed);
    return;
  }
  HeadAttempts(ctx, file, *real, 2, scope);
}

void StartProbe(Context& ctx, std::shared_ptr<FoundEntry> entry, FoundFile* file) {
  file->SetState(FileState::Verifying);
  uint64_t generation = ctx.verification.BeginProbe();
  std::string lower = AsciiLower(std::string_view(file->url).substr(0, kMaxLinkChars));
  const std::string& hosted = ctx.hosts.hostedPageFragment;
  void (*task)(Context&, FoundFile&, ProbeScope&) = HeadTask;
  if (IsFtp(file->url)) task = FtpTask;
  else if (!hosted.empty() && lower.find(hosted) != std::string::npos) task = HostedPageTask;
  ctx.verification.probes.Start([&ctx, entry = std::move(entry), file, generation, task] {
    ProbeScope scope(ctx, *file, generation);
    task(ctx, *file, scope);
  });
}

// The pause after a start, taken without the catalogue: a probe ends under
// CatalogueLock, so a pass that kept it through its pauses saw no probe end
// and started no more than the budget, and the results list and a clear
// waited for the whole pass. Ended probes are joined meanwhile. False when
// the verification was stopped during the pause.
bool PauseAfterStart(Context& ctx, std::unique_lock<std::mutex>& lock, uint64_t generation) {
  lock.unlock();
  ctx.verification.probes.Reap();
  ctx.clock().SleepMs(kAfterStartMs);
  lock.lock();
  return ctx.verification.Serves(generation);
}

// One pass over the catalogue; false when the verification was stopped.
// Entries are appended while the lock is let go (the table may move), so the
// walk goes by index and holds its entry; a file stays alive with its entry
// and keeps its links to the files after it when it is unlinked.
bool DispatchPass(Context& ctx, uint64_t generation) {
  std::unique_lock lock(ctx.CatalogueLock);
  for (size_t i = 0; i < ctx.catalogue.entries.size(); ++i) {
    if (!ctx.verification.Serves(generation)) return false;
    std::shared_ptr<FoundEntry> entry = ctx.catalogue.entries[i];
    if (!entry || entry->deleted || entry->key.starts_with("@")) continue;
    for (FoundFile* group : GroupsOf(*entry)) {
      bool started = false;
      for (FoundFile* file : CopiesOf(group)) {
        if (entry->deleted) break;
        if (file->State() != FileState::Waiting) continue;
        if (IsFtp(file->url) && !ctx.settings.ProxyName.empty()) continue;
        if (ProbeBudget(ctx) > ctx.verification.ActiveProbeCount()) {
          StartProbe(ctx, entry, file);
          started = true;
          if (!PauseAfterStart(ctx, lock, generation)) return false;
        }
      }
      if (started) break;
    }
  }
  return true;
}

void Dispatcher(Context& ctx, uint64_t generation) {
  while (ctx.verification.Serves(generation) && DispatchPass(ctx, generation)) {
    ctx.verification.probes.Reap();
    ctx.clock().SleepMs(kPassPauseMs);
  }
}

std::string_view QuotedAfter(std::string_view text, size_t& pos, bool& ok) {
  size_t open = text.find('\'', pos);
  size_t close = open == std::string_view::npos ? open : text.find('\'', open + 1);
  if (close == std::string_view::npos) {
    ok = false;
    return {};
  }
  pos = close + 1;
  return text.substr(open + 1, close - open - 1);
}

// Breaks the sockets of every probe in progress, and those a probe opens
// later; its file goes back to Waiting.
void BreakProbes(Context& ctx) {
  for (const auto& entry : ctx.catalogue.entries) {
    if (!entry) continue;
    for (const auto& file : entry->owned) {
      if (file->probeSocket.Break()) file->SetState(FileState::Waiting);
    }
  }
}

}  // namespace

int ProbeBudget(const Context& ctx) {
  int free = std::max(0, ctx.settings.MaxConnect - ctx.run.InProgress.load());
  return std::max(2, std::min(16, free));
}

void StartVerification(Context& ctx) {
  VerificationState& v = ctx.verification;
  if (v.VerificationRunning) return;
  v.dispatchers.Reap();
  uint64_t generation = v.NewGeneration();
  v.VerificationRunning = true;
  v.dispatchers.Start([&ctx, generation] { Dispatcher(ctx, generation); });
}

// Waits for neither the dispatcher nor the probes: with a generation of their
// own they are left to end by themselves.
void StopVerification(Context& ctx) {
  VerificationState& v = ctx.verification;
  if (!v.VerificationRunning) return;
  // First, so that a probe woken by the break does not try again.
  v.VerificationRunning = false;
  v.NewGeneration();
  BreakProbes(ctx);
}

VerifyWaitEnd WaitForVerification(Context& ctx, int64_t untilMs, const std::function<bool(int ms)>& pause) {
  constexpr int kPollMs = 50;
  while (OpenFileCount(ctx) > 0) {
    if (ctx.clock().NowMs() >= untilMs) return VerifyWaitEnd::OutOfTime;
    if (pause ? pause(kPollMs) : (ctx.clock().SleepMs(kPollMs), false)) return VerifyWaitEnd::Interrupted;
  }
  return VerifyWaitEnd::Settled;
}

bool BuildProbeRequest(const Context& ctx, std::string_view url, std::string& host,
                       std::string& request, std::string_view method) {
  std::string_view path;
  bool secure = false;
  if (!SplitWebUrl(url, ctx.netSettings.Https, host, path, secure)) return false;
  std::string referer;
  const std::string& refererHost = ctx.hosts.refererHost;
  if (!refererHost.empty() && url.find(refererHost) != std::string_view::npos) {
    referer = "\r\nReferer: " + std::string(url);
  }
  const GlobalSettings& s = ctx.settings;
  request.assign(method);
  // Through a proxy, an https file is asked of its server inside a tunnel.
  if (!s.ProxyName.empty() && !secure) {
    request.append(" ").append(EncodeAbsoluteTarget(url, path));
    request.append(" HTTP/1.1\r\nHost: ").append(host).append("\r\n");
    request.append(kAccept).append(referer).append("\r\n").append(s.ProxyAuthHeader).append("\r\n");
    host = s.ProxyName;
    return true;
  }
  std::string authorization;
  size_t at = host.find('@');
  if (at != std::string::npos && host.find(':') != std::string::npos) {
    authorization = "Authorization: Basic " + Base64Encode(host.substr(0, at)) + "\r\n";
    host.erase(0, at + 1);
  }
  request.append(" /").append(EncodeRequestTarget(path));
  request.append(" HTTP/1.1\r\nHost: ").append(host).append("\r\n");
  request.append(kAccept).append(referer).append("\r\n").append(authorization).append("\r\n");
  return true;
}

namespace {

// The whole deadline of a probe: twice its time-out plus the pause between
// its two connections.
int64_t WholeProbeMs(const Context& ctx) {
  return 2 * int64_t{ctx.settings.VerifyTimeOut} * 1000 + kRetryWaitMs;
}

// One request to a file's server, on a second connection when the first
// fails while receiving; everything the server answered, whatever its status,
// or nothing, with timedOut set when a socket time-out was the cause.
std::optional<std::string> Exchange(Context& ctx, std::string_view url, SocketSlot& slot,
                                    bool& timedOut, bool useHead, Deadline& deadline) {
  timedOut = false;
  std::string host;
  std::string request;
  Route route;
  // A file URL that names a port is probed on that port.
  if (!BuildProbeRequest(ctx, url, host, request, useHead ? "HEAD" : "GET") ||
      !PlanRoute(ctx.settings, host, ctx.netSettings.Https && IsHttpsUrl(url), route)) {
    return std::nullopt;
  }
  // Each receive waits at most the time-out, and the whole exchange ends by
  // the deadline: a server that drips its answer is a time-out.
  const ExchangeRules rules{
      .receive = {.perReceiveMs = int64_t{ctx.settings.VerifyTimeOut} * 1000,
                  .chunk = kProbeChunk,
                  .limit = kProbeMax,
                  .endMarkers = {useHead ? "\r\n\r\n" : "</BODY>"}},
      .slot = &slot,
      .retryWaitMs = kRetryWaitMs,
  };
  ExchangeResult result = HttpExchange(ctx, route, request, rules, deadline);
  timedOut = result.timedOut;
  if (result.label != FetchError::None) return std::nullopt;
  return std::move(result.received);
}

// The first digit of an HTTP answer's status, or 0 for anything else.
char StatusClass(std::string_view answer) {
  size_t space = answer.find(' ');
  if (!IsHttpResponse(answer) || space == std::string_view::npos || space + 1 >= answer.size()) {
    return 0;
  }
  return answer[space + 1];
}

// The size and the date of a HEAD answer, read from their own lines only:
// "X-Max-Length: 7" is no length, and a length that is not a number is no size.
void ReadSizeAndDate(std::string_view answer, int64_t& size, std::string& date) {
  size = 0;
  if (auto length = HeaderField(answer, "Content-Length")) size = ParseSize(*length).value_or(0);
  if (auto modified = HeaderField(answer, "Last-Modified")) {
    // The weekday goes: the date starts at its first digit.
    size_t digit = modified->find_first_of("0123456789");
    if (digit != std::string_view::npos) date = std::string(modified->substr(digit, kMaxDate));
  }
}

// A page rather than a file: what a hosting site answers where a file has gone.
bool IsWebPage(std::string_view answer) {
  std::optional<std::string_view> type = HeaderField(answer, "Content-Type");
  return type && StartsWithIgnoreCase(*type, "text/html");
}

// HEAD of a file, following its server's redirections (at most
// kMaxFileRedirects of them, all within one deadline) to the answer that
// decides: 2xx, and no web page once redirected. Size and date come from that
// answer.
std::optional<std::string> ProbeFileFollowing(Context& ctx, std::string_view url, SocketSlot& slot,
                                              bool& timedOut, int64_t& size, std::string& date) {
  Deadline deadline(WholeProbeMs(ctx));
  std::vector<std::string> asked{std::string(url)};
  for (;;) {
    std::optional<std::string> answer = Exchange(ctx, asked.back(), slot, timedOut, true, deadline);
    if (!answer) return std::nullopt;
    const char status = StatusClass(*answer);
    if (status == '2') {
      if (asked.size() > 1 && IsWebPage(*answer)) return std::nullopt;
      ReadSizeAndDate(*answer, size, date);
      return answer;
    }
    if (status != '3' || asked.size() > kMaxFileRedirects) return std::nullopt;
    std::optional<std::string_view> location = HeaderField(*answer, "Location");
    if (!location) return std::nullopt;
    std::string next = ResolveLocation(asked.back(), *location);
    // A loop would only end at the last hop: it fails at once.
    if (next.empty() || std::find(asked.begin(), asked.end(), next) != asked.end()) {
      return std::nullopt;
    }
    asked.push_back(std::move(next));
  }
}

}  // namespace

std::optional<std::string> ProbeFile(Context& ctx, std::string_view url, SocketSlot& slot,
                                     bool& timedOut, bool useHead, int64_t& size,
                                     std::string& date) {
  Deadline deadline(WholeProbeMs(ctx));
  std::optional<std::string> answer = Exchange(ctx, url, slot, timedOut, useHead, deadline);
  if (!answer || StatusClass(*answer) != '2') return std::nullopt;
  if (useHead) ReadSizeAndDate(*answer, size, date);
  return answer;
}

std::optional<std::string> HostedFileUrl(std::string_view page, std::string_view prefix) {
  if (prefix.empty()) return std::nullopt;
  size_t start = page.find(prefix);
  if (start == std::string_view::npos) return std::nullopt;
  size_t quote = page.find('\'', start);
  if (quote == std::string_view::npos) return std::nullopt;
  std::string url(page.substr(start, quote - start));
  size_t pos = quote + 1;
  bool ok = true;
  std::string_view second = QuotedAfter(page, pos, ok);
  std::string_view third = QuotedAfter(page, pos, ok);
  if (!ok) return std::nullopt;
  url.append(second).append(third);
  if (url.size() > kMaxLinkChars) url.resize(kMaxLinkChars);
  return url;
}

}  // namespace orvi
