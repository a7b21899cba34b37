#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace orvi {

// Plain blocking TCP sockets with the semantics the program was designed on:
// per-socket send and receive time-outs that make a call fail with a distinct
// time-out error, no time-out on connect, sends that never raise SIGPIPE.
// A descriptor is closed only by the thread that owns it; another thread that
// must break a blocked call uses ShutdownSocket.

constexpr int kInvalidSocket = -1;

enum class SocketError {
  None,
  TimedOut,  // the send or receive time-out expired
  Other,
};

struct IoResult {
  long long bytes = 0;  // -1 on failure, 0 at the end of the stream
  SocketError error = SocketError::None;
};

int CreateTcpSocket();
// Both time-outs, in milliseconds; 0 or less means none (block).
bool SetSocketTimeouts(int fd, int64_t ms);
// A dotted IPv4 address as is, otherwise a name looked up with getaddrinfo
// (IPv4, first address). Thread-safe.
std::optional<in_addr> ResolveIPv4(const std::string& host);
bool ConnectIPv4(int fd, in_addr address, uint16_t port);
// Sends all bytes (MSG_NOSIGNAL).
IoResult SendAll(int fd, std::string_view data);
IoResult Receive(int fd, char* buffer, size_t size);
// A bound on a whole exchange, on the monotonic clock: the socket time-outs
// bound each call, so a peer that sends one byte just before each time-out
// would otherwise hold a reader for as long as it likes. This is real time
// on purpose: it bounds real waits on sockets.
class Deadline {
 public:
  explicit Deadline(int64_t ms);
  int64_t RemainingMs() const;
  bool Passed() const { return RemainingMs() <= 0; }
  // Moves the end later: for waits that no peer causes (the user's brake).
  void Extend(int64_t ms) { endMs_ += ms; }

 private:
  int64_t endMs_;
};

// The receive time-out alone (0 or less: none).
bool SetReceiveTimeoutMs(int fd, int64_t ms);

// Receive whose wait is the per-receive time-out (0 or less: none) cut to
// what is left of the deadline. A deadline already passed fails at once, as
// a time-out.
IoResult ReceiveWithin(int fd, char* buffer, size_t size, int64_t perReceiveMs,
                       const Deadline& deadline);

// Wakes any thread blocked on the socket; the descriptor stays open.
void ShutdownSocket(int fd);
void CloseSocket(int fd);

// The IPv4 address of the connected peer, if any.
std::optional<in_addr> PeerAddress(int fd);

// A listening socket on 127.0.0.1 (port 0: any free port). Returns the
// descriptor and sets port, or kInvalidSocket.
int ListenLoopback(uint16_t& port, int backlog = 64);

}  // namespace orvi

namespace orvi {

// A place where the thread that owns its sockets (a probe's control and data
// connections) publishes them, so that another thread can break a call
// blocked on them. Publishing, breaking and the owner's close are
// serialised, so a break can never reach a descriptor number that has already
// been closed and handed out again, and each thread closes only its own.
class SocketSlot {
 public:
  static constexpr int kSockets = 2;

  // The owner publishes a socket of its own. In a slot that has been broken,
  // the socket is broken at once (a stop also reaches a socket opened after
  // it) and the result is false: the owner gives up.
  bool Publish(int fd);
  // Takes the owner's socket out of the slot and closes it; a socket the
  // slot no longer holds is still the owner's, and is closed as well.
  void CloseOwned(int fd);
  // Breaks every published socket, and every socket published later; true
  // when one was published.
  bool Break();
  // The first published socket, kInvalidSocket when none.
  int Get() const;

 private:
  mutable std::mutex mutex_;
  int fds_[kSockets] = {kInvalidSocket, kInvalidSocket};
  bool broken_ = false;
};

}  // namespace orvi
