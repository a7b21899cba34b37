#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>

#include "core/context.h"
#include "net/fetch_error.h"
#include "net/http_request.h"
#include "net/http_response.h"
#include "net/tls.h"
#include "platform/socket.h"

namespace orvi {

// One HTTP exchange with a server: the route (the server itself or the
// proxy, through a tunnel for https), the socket published while it is open,
// look-up, connection, TLS, the request sent and the answer read under a stop
// rule and a byte limit, all within one deadline, with at most one retry. The
// page fetch and the file probes differ only in the rules they give it.

// Where a request goes.
struct Route {
  HostPort connectTo;   // the server, or the proxy
  HostPort origin;      // the server itself: the tunnel's end, the name TLS checks
  bool secure = false;  // https
  bool tunnel = false;  // https through the proxy
};

// The route of a request whose builder gave host: the URL's host, or the
// proxy's name for a plain request through the proxy. False when the host
// names a port outside 1-65535.
bool PlanRoute(const GlobalSettings& settings, std::string_view host, bool secure, Route& route);

// How an answer is read. Each receive asks for at most `chunk` bytes and
// waits at most perReceiveMs (cut to the deadline). Reading ends at the end
// of the stream, when `limit` bytes have arrived, once more than `enough`
// have, once an end marker has arrived (also across two reads), or once the
// response's own framing says it is whole.
struct ReceiveRules {
  int64_t perReceiveMs = 0;
  size_t chunk = 4096;
  size_t limit = 0;
  size_t enough = std::numeric_limits<size_t>::max();
  std::array<std::string_view, 2> endMarkers{};  // "" : none
  bool endAtFraming = false;
  // A receive that fails once this many bytes have arrived ends the answer
  // instead of failing it: a server that holds the connection open ends so.
  size_t keepAfterFailureFrom = std::numeric_limits<size_t>::max();
  bool counted = true;  // the blocks go to the transfer counters
  // Asked before each receive: false ends the reading with what came.
  std::function<bool()> keepReading;
  // Asked after each receive: a pause (the user's brake), which moves the
  // deadline as well, since no server causes it.
  std::function<int64_t()> brakeMs;
};

// Where reading ends, fed the whole text received so far after each read;
// before is where the last read began. It keeps its place, so a page costs
// linear time.
class AnswerEnd {
 public:
  explicit AnswerEnd(const ReceiveRules& rules) : rules_(rules) {}
  bool Reached(std::string_view received, size_t before);

 private:
  const ReceiveRules& rules_;
  ResponseFraming framing_;
};

struct ExchangeResult {
  std::string received;                 // what the last attempt received
  FetchError label = FetchError::None;  // None, or what failed
  bool timedOut = false;                // a socket time-out (tunnel, send, receive) was the cause
};

// Sends request on an open connection and reads the answer by the rules.
// Labels: Send, Timeout or Recv; None when reading ended otherwise.
ExchangeResult SendAndReceive(Context& ctx, Connection& connection, std::string_view request,
                              const ReceiveRules& rules, Deadline& deadline);

struct ExchangeRules {
  ReceiveRules receive;
  // Where the socket is published while it is open, so that a stop breaks
  // it: the context's registry (the fetches of a search), a probe's slot, or
  // neither (nothing that a stop ends).
  SocketRegistry* registry = nullptr;
  SocketSlot* slot = nullptr;
  // An answer whose receive failed, other than by its time-out, is asked
  // once more on a new connection after retryWaitMs, while the deadline
  // allows; with retryConnect, so is a failed look-up or connection.
  int64_t retryWaitMs = 0;
  bool retryConnect = false;
  // True once the answer is no longer wanted: no new connection is made.
  std::function<bool()> stopped;
  // Told whether each look-up found the name. After a failure, true means
  // that the network is awaited: the exchange looks up again after
  // retryWaitMs, the deadline moved, however many attempts were made.
  std::function<bool(bool found)> afterLookup;
};

// The whole exchange. Labels: InvalidSocket, HostName, Connect, the tunnel's
// (Send, Timeout, Recv, NRead0, Status40x), Tls, then SendAndReceive's;
// NRead0 when the caller stopped before the connection was made.
ExchangeResult HttpExchange(Context& ctx, const Route& route, std::string_view request,
                            const ExchangeRules& rules, Deadline& deadline);

}  // namespace orvi
