#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/context.h"
#include "platform/socket.h"

struct ssl_st;  // OpenSSL's SSL, kept out of the callers' includes

namespace orvi {

// One connection to a server, read and written in the clear or through TLS.
// It owns no descriptor: the socket stays its creator's, who closes it after
// the connection object is gone; a stop still breaks it with ShutdownSocket,
// which also ends a read blocked inside TLS.
class Connection {
 public:
  explicit Connection(int fd);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Makes the connected socket a TLS 1.2+ client connection to hostName (a
  // name or a dotted address, without port): the server's chain is checked
  // against the system's authorities and the CaFile of the settings, and its
  // certificate must name the host. The handshake ends within the deadline.
  // False on any failure; the connection is then unusable.
  bool StartTls(Context& ctx, const std::string& hostName, const Deadline& deadline);

  IoResult Send(std::string_view data);
  // As ReceiveWithin on the socket: the per-receive time-out cut to the
  // deadline, a time-out as SocketError::TimedOut, 0 at the end of the stream.
  IoResult ReceiveWithin(char* buffer, size_t size, int64_t perReceiveMs, const Deadline& deadline);

  bool secure() const { return ssl_ != nullptr; }

 private:
  int fd_;
  std::shared_ptr<void> client_;  // keeps the context's TLS configuration alive
  ::ssl_st* ssl_ = nullptr;
};

// Whether url begins with "https://" (any letter case).
bool IsHttpsUrl(std::string_view url);

}  // namespace orvi
