#include "net/fetch_page.h"

#include "core/commands.h"
#include "net/http_request.h"
#include "net/http_response.h"
#include "net/tls.h"
#include "platform/socket.h"

namespace orvi {
namespace {

bool HoldsBodyEnd(std::string_view text, size_t from) {
  from = from > 6 ? from - 6 : 0;  // "</body>" may straddle two reads
  std::string_view tail = text.substr(from);
  return tail.find("</body>") != std::string_view::npos ||
         tail.find("</BODY>") != std::string_view::npos;
}

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

}  // namespace

std::optional<std::string> FetchPage(Context& ctx, std::string_view url, FetchError& label,
                                     bool stopAtBodyEnd, int timeoutSeconds,
                                     std::string_view extraHeaders, bool forSearch) {
  const GlobalSettings& settings = ctx.settings;
  std::string host;
  std::string request;
  bool secure = false;
  if (!BuildGetRequest(settings, url, host, request, extraHeaders, ctx.netSettings.Https, secure)) {
    label = FetchError::ExtractURL;
    return std::nullopt;
  }
  // An https page goes to its server, or through a tunnel of the proxy.
  HostPort origin;
  if (secure && !SplitHostPort(host, origin, 443)) {
    label = FetchError::ExtractURL;
    return std::nullopt;
  }
  const std::string tunnelTo = origin.name + ":" + std::to_string(origin.port);
  HostPort target;
  if (settings.ProxyName.empty()) {
    if (!SplitHostPort(host, target, secure ? 443 : 80)) {
      label = FetchError::ExtractURL;
      return std::nullopt;
    }
  } else {
    target.name = settings.ProxyName;
    target.port = static_cast<uint16_t>(settings.ProxyPort);
  }
  const int64_t timeoutMs = int64_t{timeoutSeconds != 0 ? timeoutSeconds : settings.HttpTimeOut} * 1000;
  ExplorationRun& run = ctx.run;
  // The search phase this fetch serves: the one running as it starts (the
  // version check or a translation serve none). Once that phase has been
  // stopped, the fetch tries no more.
  const bool servesRun = forSearch && run.collecting;
  const uint64_t generation = run.generation;
  auto searchStopped = [&] { return servesRun && !run.Serves(generation); };
  // The whole fetch, every attempt included, ends within twice its time-out
  // plus the one pause before a retry; each receive still waits at most the
  // time-out. Only waits that no server causes (the brake, a lost
  // connection) move the deadline.
  Deadline deadline(WholeFetchMs(timeoutMs));

  std::string buffer;
  buffer.reserve(kPageBuffer);
  int attempts = 0;
  for (;;) {
    label = FetchError::None;
    buffer.clear();
    int fd = CreateTcpSocket();
    if (fd == kInvalidSocket) {
      label = FetchError::InvalidSocket;
      return std::nullopt;
    }
    SetSocketTimeouts(fd, timeoutMs);
    // A stop breaks the sockets of the search; a fetch that serves none (the
    // search report) must not be cut by a search that starts or ends.
    if (forSearch) ctx.sockets.RegisterSocket(fd);
    // A stop that came before the registration could not break this socket.
    if (searchStopped()) {
      ctx.sockets.ReleaseSocket(fd);
      label = FetchError::NRead0;
      return std::nullopt;
    }

    std::optional<in_addr> address = ResolveIPv4(target.name);
    if (!address) {
      label = FetchError::HostName;
      ctx.sockets.ReleaseSocket(fd);
      NoteNameFailure(ctx);
      ++attempts;
      // While the run is paused for a lost connection the fetch waits for the
      // network to come back; a stopped run ends that wait.
      const bool waitForNetwork = run.Paused && run.collecting;
      if (!searchStopped() && (waitForNetwork || (attempts == 1 && !deadline.Passed()))) {
        if (waitForNetwork) deadline.Extend(kRetryWaitMs);
        ctx.clock().SleepMs(kRetryWaitMs);
        if (!searchStopped()) continue;
      }
      return std::nullopt;
    }
    NoteNameSuccess(ctx);

    if (!ConnectIPv4(fd, *address, target.port)) {
      label = FetchError::Connect;
      ctx.sockets.ReleaseSocket(fd);
      if (++attempts > 1 || searchStopped() || deadline.Passed()) return std::nullopt;
      ctx.clock().SleepMs(kRetryWaitMs);
      if (searchStopped()) return std::nullopt;
      continue;
    }

    Connection connection(fd);
    if (secure) {
      FetchError failure = FetchError::None;
      if (!settings.ProxyName.empty()) failure = OpenTunnel(ctx, connection, tunnelTo, timeoutMs, deadline);
      if (failure == FetchError::None && !connection.StartTls(ctx, origin.name, deadline)) {
        failure = FetchError::Tls;
      }
      if (failure != FetchError::None) {
        if (failure == FetchError::Timeout) ++run.timeoutCount;
        label = failure;
        ctx.sockets.ReleaseSocket(fd);
        return std::nullopt;
      }
    }

    IoResult sent = connection.Send(request);
    if (sent.bytes < 0) {
      if (sent.error == SocketError::TimedOut) ++run.timeoutCount;
      label = FetchError::Send;
    }

    bool retry = false;
    ResponseFraming framing;
    buffer.resize(kMaxReceived);
    size_t received = 0;
    while (label == FetchError::None) {
      if (!stopAtBodyEnd && !run.collecting) break;
      size_t chunk = std::min(kReceiveChunk, kMaxReceived - received);
      if (chunk < 1) break;
      IoResult got = connection.ReceiveWithin(buffer.data() + received, chunk, timeoutMs, deadline);
      if (got.bytes < 0) {
        // A server that keeps the connection open ends this way, by the time-out.
        if (received > 1023) break;
        if (got.error == SocketError::TimedOut) {
          label = FetchError::Timeout;
          ++run.timeoutCount;
        } else {
          label = FetchError::Recv;
          retry = ++attempts == 1 && !searchStopped() && !deadline.Passed();
        }
        break;
      }
      if (int throttle = run.Throttle; throttle != 0) {
        deadline.Extend(int64_t{throttle} * kThrottleStepMs);
        ctx.clock().SleepMs(int64_t{throttle} * kThrottleStepMs);
      }
      size_t before = received;
      received += static_cast<size_t>(got.bytes);
      run.CountReceived(got.bytes);
      if (got.bytes == 0 || received > kReadEnough) break;
      std::string_view text(buffer.data(), received);
      if (stopAtBodyEnd && HoldsBodyEnd(text, before)) break;
      // The response says it is complete: a server that closed here would
      // have given exactly this, so there is no need to wait for the close.
      if (framing.Complete(text)) break;
    }
    ctx.sockets.ReleaseSocket(fd);
    buffer.resize(received);
    if (retry) {
      ctx.clock().SleepMs(kRetryWaitMs);
      // A stop during the wait: no new connection for a stopped search.
      if (!searchStopped()) continue;
      buffer.clear();
    }
    FetchOutcome outcome = InterpretResponse(std::move(buffer), label);
    label = outcome.label;
    return std::move(outcome.text);
  }
}

}  // namespace orvi
