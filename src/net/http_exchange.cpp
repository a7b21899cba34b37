#include "net/http_exchange.h"

#include <algorithm>

namespace orvi {
namespace {

constexpr size_t kTunnelReplyMax = 8192;

// Publishes the socket where the rules say; false when the slot was broken
// first (the probe was stopped).
bool Publish(const ExchangeRules& rules, int fd) {
  if (rules.registry != nullptr) {
    rules.registry->RegisterSocket(fd);
    return true;
  }
  return rules.slot == nullptr || rules.slot->Publish(fd);
}

// Takes the socket out of where it was published, then closes it.
void Close(const ExchangeRules& rules, int fd) {
  if (rules.registry != nullptr) rules.registry->ReleaseSocket(fd);
  else if (rules.slot != nullptr) rules.slot->CloseOwned(fd);
  else CloseSocket(fd);
}

// Through a proxy, an https exchange first asks the proxy for a tunnel to
// origin ("host:port"), with the proxy authorization of the settings. None
// once the proxy answered 2xx; Send, Timeout, Recv or NRead0 when the
// exchange failed, Status40x for any other answer.
FetchError OpenTunnel(Context& ctx, Connection& connection, const HostPort& origin,
                      int64_t perReceiveMs, Deadline& deadline) {
  const std::string to = origin.name + ":" + std::to_string(origin.port);
  std::string request;
  request.append("CONNECT ").append(to).append(" HTTP/1.1\r\nHost: ").append(to);
  request.append("\r\n").append(ctx.settings.ProxyAuthHeader).append("\r\n");
  // The reply is read a byte at a time up to its blank line: what follows is
  // the server's.
  const ReceiveRules rules{.perReceiveMs = perReceiveMs,
                           .chunk = 1,
                           .limit = kTunnelReplyMax,
                           .endMarkers = {"\r\n\r\n", "\n\n"},
                           .counted = false};
  ExchangeResult reply = SendAndReceive(ctx, connection, request, rules, deadline);
  if (reply.label != FetchError::None) return reply.label;
  const std::string& text = reply.received;
  if (!FindHeaderEnd(text).found()) {
    if (text.size() >= kTunnelReplyMax) return FetchError::Status40x;
    return text.empty() ? FetchError::NRead0 : FetchError::Recv;
  }
  size_t space = text.find(' ');
  if (!IsHttpResponse(text) || space == std::string::npos || text.compare(space + 1, 1, "2") != 0) {
    return FetchError::Status40x;
  }
  return FetchError::None;
}

// An https connection: through the proxy's tunnel when there is one, then
// TLS with the server. None when it is ready.
FetchError Secure(Context& ctx, Connection& connection, const Route& route, int64_t perReceiveMs,
                  Deadline& deadline) {
  if (route.tunnel) {
    FetchError failure = OpenTunnel(ctx, connection, route.origin, perReceiveMs, deadline);
    if (failure != FetchError::None) return failure;
  }
  return connection.StartTls(ctx, route.origin.name, deadline) ? FetchError::None : FetchError::Tls;
}

}  // namespace

bool PlanRoute(const GlobalSettings& settings, std::string_view host, bool secure, Route& route) {
  const bool viaProxy = !settings.ProxyName.empty();
  route = {.secure = secure, .tunnel = secure && viaProxy};
  // A plain request through the proxy names its server in the request only.
  if ((!viaProxy || secure) && !SplitHostPort(host, route.origin, secure ? 443 : 80)) return false;
  route.connectTo = route.origin;
  if (viaProxy) route.connectTo = {settings.ProxyName, static_cast<uint16_t>(settings.ProxyPort)};
  return true;
}

bool AnswerEnd::Reached(std::string_view received, size_t before) {
  for (std::string_view marker : rules_.endMarkers) {
    if (marker.empty()) continue;
    // A marker may straddle two reads.
    size_t from = before >= marker.size() - 1 ? before - (marker.size() - 1) : 0;
    if (received.find(marker, from) != std::string_view::npos) return true;
  }
  // The response says it is complete: a server that closed here would have
  // given exactly this, so there is no need to wait for the close.
  return rules_.endAtFraming && framing_.Complete(received);
}

ExchangeResult SendAndReceive(Context& ctx, Connection& connection, std::string_view request,
                              const ReceiveRules& rules, Deadline& deadline) {
  ExchangeResult result;
  IoResult sent = connection.Send(request);
  if (sent.bytes < 0) {
    result.label = FetchError::Send;
    result.timedOut = sent.error == SocketError::TimedOut;
    return result;
  }
  std::string& buffer = result.received;
  buffer.resize(rules.limit);
  AnswerEnd end(rules);
  size_t received = 0;
  for (;;) {
    if (rules.keepReading && !rules.keepReading()) break;
    size_t chunk = std::min(rules.chunk, rules.limit - received);
    if (chunk < 1) break;
    IoResult got = connection.ReceiveWithin(buffer.data() + received, chunk, rules.perReceiveMs, deadline);
    if (got.bytes < 0) {
      if (received >= rules.keepAfterFailureFrom) break;
      result.timedOut = got.error == SocketError::TimedOut;
      result.label = result.timedOut ? FetchError::Timeout : FetchError::Recv;
      break;
    }
    if (rules.brakeMs) {
      if (int64_t pause = rules.brakeMs(); pause != 0) {
        deadline.Extend(pause);
        ctx.clock().SleepMs(pause);
      }
    }
    size_t before = received;
    received += static_cast<size_t>(got.bytes);
    if (rules.counted) ctx.run.CountReceived(got.bytes);
    if (got.bytes == 0 || received > rules.enough) break;
    if (end.Reached(std::string_view(buffer.data(), received), before)) break;
  }
  buffer.resize(received);
  return result;
}

ExchangeResult HttpExchange(Context& ctx, const Route& route, std::string_view request,
                            const ExchangeRules& rules, Deadline& deadline) {
  auto stopped = [&] { return rules.stopped && rules.stopped(); };
  // One more attempt after a failure, while the caller still wants the
  // answer; false when there is none.
  auto pauseForRetry = [&] {
    ctx.clock().SleepMs(rules.retryWaitMs);
    return !stopped();
  };
  int failures = 0;
  for (;;) {
    int fd = CreateTcpSocket();
    if (fd == kInvalidSocket) return {.label = FetchError::InvalidSocket};
    SetSocketTimeouts(fd, rules.receive.perReceiveMs);
    // A stop that came before the publishing could not break this socket.
    if (!Publish(rules, fd) || stopped()) {
      Close(rules, fd);
      return {.label = FetchError::NRead0};
    }

    std::optional<in_addr> address = ResolveIPv4(route.connectTo.name);
    if (!address) {
      Close(rules, fd);
      const bool awaitNetwork = rules.afterLookup && rules.afterLookup(false);
      ++failures;
      if (!stopped() && (awaitNetwork || (rules.retryConnect && failures == 1 && !deadline.Passed()))) {
        if (awaitNetwork) deadline.Extend(rules.retryWaitMs);
        if (pauseForRetry()) continue;
      }
      return {.label = FetchError::HostName};
    }
    if (rules.afterLookup) rules.afterLookup(true);

    if (!ConnectIPv4(fd, *address, route.connectTo.port)) {
      Close(rules, fd);
      if (rules.retryConnect && ++failures == 1 && !stopped() && !deadline.Passed() && pauseForRetry()) {
        continue;
      }
      return {.label = FetchError::Connect};
    }

    ExchangeResult result;
    bool asked = false;  // a failed tunnel or handshake is not tried again
    {
      Connection connection(fd);
      FetchError failure = route.secure ? Secure(ctx, connection, route, rules.receive.perReceiveMs, deadline)
                                        : FetchError::None;
      if (failure != FetchError::None) {
        result = {.label = failure, .timedOut = failure == FetchError::Timeout};
      } else {
        result = SendAndReceive(ctx, connection, request, rules.receive, deadline);
        asked = true;
      }
    }
    const bool retry =
        asked && result.label == FetchError::Recv && ++failures == 1 && !stopped() && !deadline.Passed();
    Close(rules, fd);
    if (retry) {
      if (pauseForRetry()) continue;
      // A stopped caller makes no new connection and keeps nothing of the failed one.
      result.received.clear();
    }
    return result;
  }
}

}  // namespace orvi
