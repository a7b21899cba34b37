#include "platform/socket.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace orvi {
namespace {

SocketError ErrorKind(int err) {
  return (err == EAGAIN || err == EWOULDBLOCK) ? SocketError::TimedOut : SocketError::Other;
}

}  // namespace

int CreateTcpSocket() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd < 0 ? kInvalidSocket : fd;
}

bool SetSocketTimeouts(int fd, int64_t ms) {
  timeval tv{};
  if (ms > 0) {
    tv.tv_sec = static_cast<time_t>(ms / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
  }
  bool ok = ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv) == 0;
  return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0 && ok;
}

std::optional<in_addr> ResolveIPv4(const std::string& host) {
  in_addr address{};
  if (host.empty()) return std::nullopt;
  if (::inet_pton(AF_INET, host.c_str(), &address) == 1) return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) {
    return std::nullopt;
  }
  address = reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr;
  ::freeaddrinfo(result);
  return address;
}

bool ConnectIPv4(int fd, in_addr address, uint16_t port) {
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  target.sin_addr = address;
  for (;;) {
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) return true;
    if (errno != EINTR) return false;
  }
}

IoResult SendAll(int fd, std::string_view data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return {-1, ErrorKind(errno)};
    }
    done += static_cast<size_t>(n);
  }
  return {static_cast<long long>(done), SocketError::None};
}

IoResult Receive(int fd, char* buffer, size_t size) {
  for (;;) {
    ssize_t n = ::recv(fd, buffer, size, 0);
    if (n >= 0) return {n, SocketError::None};
    if (errno != EINTR) return {-1, ErrorKind(errno)};
  }
}

namespace {
int64_t MonotonicMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

Deadline::Deadline(int64_t ms) : endMs_(MonotonicMs() + ms) {}

int64_t Deadline::RemainingMs() const { return endMs_ - MonotonicMs(); }

bool SetReceiveTimeoutMs(int fd, int64_t ms) {
  timeval tv{};
  if (ms > 0) {
    tv.tv_sec = static_cast<time_t>(ms / 1000);
    tv.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
  }
  return ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv) == 0;
}

IoResult ReceiveWithin(int fd, char* buffer, size_t size, int64_t perReceiveMs,
                       const Deadline& deadline) {
  int64_t remaining = deadline.RemainingMs();
  if (remaining <= 0) return {-1, SocketError::TimedOut};
  SetReceiveTimeoutMs(fd, perReceiveMs > 0 ? std::min(perReceiveMs, remaining) : remaining);
  return Receive(fd, buffer, size);
}

void ShutdownSocket(int fd) {
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void CloseSocket(int fd) {
  if (fd >= 0) ::close(fd);
}

std::optional<in_addr> PeerAddress(int fd) {
  sockaddr_in peer{};
  socklen_t length = sizeof peer;
  if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0 ||
      peer.sin_family != AF_INET) {
    return std::nullopt;
  }
  return peer.sin_addr;
}

int ListenLoopback(uint16_t& port, int backlog) {
  int fd = CreateTcpSocket();
  if (fd < 0) return kInvalidSocket;
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, backlog) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(fd);
    return kInvalidSocket;
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace orvi

namespace orvi {

bool SocketSlot::Publish(int fd) {
  std::lock_guard lock(mutex_);
  // Also before the connection exists: the socket then never carries a byte.
  if (broken_) ::shutdown(fd, SHUT_RDWR);
  for (int& slot : fds_) {
    if (slot == kInvalidSocket) {
      slot = fd;
      break;
    }
  }
  return !broken_;
}

void SocketSlot::CloseOwned(int fd) {
  if (fd == kInvalidSocket) return;
  std::lock_guard lock(mutex_);
  for (int& slot : fds_) {
    if (slot == fd) slot = kInvalidSocket;
  }
  ::close(fd);
}

bool SocketSlot::Break() {
  std::lock_guard lock(mutex_);
  broken_ = true;
  bool any = false;
  for (int fd : fds_) {
    if (fd == kInvalidSocket) continue;
    ::shutdown(fd, SHUT_RDWR);
    any = true;
  }
  return any;
}

int SocketSlot::Get() const {
  std::lock_guard lock(mutex_);
  for (int fd : fds_) {
    if (fd != kInvalidSocket) return fd;
  }
  return kInvalidSocket;
}

}  // namespace orvi
