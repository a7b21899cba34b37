#include "sandbox/sandbox_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/socket.h"

namespace orvi::sandbox {
namespace {

constexpr size_t kSendChunk = 64 * 1024;
// How long a closing connection waits for the client to close its side.
constexpr int64_t kLingerMs = 2000;
constexpr size_t kMaxDrained = 1024 * 1024;
constexpr size_t kMaxRequestLog = 10000;

bool SendBody(int fd, const Response& response) {
  switch (response.kind) {
    case Response::Body::Text:
      return SendAll(fd, response.body).bytes >= 0;
    case Response::Body::Filler: {
      std::vector<char> chunk(kSendChunk);
      for (uint64_t sent = 0; sent < response.length;) {
        size_t n = static_cast<size_t>(std::min<uint64_t>(kSendChunk, response.length - sent));
        FillerBytes(response, sent, chunk.data(), n);
        if (SendAll(fd, std::string_view(chunk.data(), n)).bytes < 0) return false;
        sent += n;
      }
      return true;
    }
    case Response::Body::File: {
      int file = ::open(response.path.c_str(), O_RDONLY | O_CLOEXEC);
      if (file < 0) return false;
      std::vector<char> chunk(kSendChunk);
      uint64_t sent = 0;
      while (sent < response.length) {
        ssize_t n = ::read(file, chunk.data(), std::min<uint64_t>(kSendChunk, response.length - sent));
        if (n < 0 && errno == EINTR) continue;
        // A file that shrank since it was measured ends the answer short.
        if (n <= 0 || SendAll(fd, std::string_view(chunk.data(), static_cast<size_t>(n))).bytes < 0) break;
        sent += static_cast<uint64_t>(n);
      }
      ::close(file);
      return sent == response.length;
    }
  }
  return false;
}

// Printable form of a request target for the log.
std::string Printable(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 300)) {
    auto byte = static_cast<unsigned char>(c);
    out += byte < 0x20 || byte == 0x7F ? '?' : c;
  }
  return out;
}

}  // namespace

Server::Server(std::shared_ptr<const Site> site) : site_(std::move(site)) {}

Server::~Server() { Stop(); }

bool Server::Start(const ServerOptions& options, std::string& error) {
  options_ = options;
  options_.maxConnections = std::max<size_t>(options_.maxConnections, 1);
  in_addr address{};
  if (::inet_pton(AF_INET, options_.bindAddress.c_str(), &address) != 1) {
    error = "'" + options_.bindAddress + "' is not an IPv4 address";
    return false;
  }
  int fd = CreateTcpSocket();
  if (fd < 0) {
    error = std::string("cannot create a socket: ") + std::strerror(errno);
    return false;
  }
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(options_.port);
  local.sin_addr = address;
  socklen_t length = sizeof local;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 || ::listen(fd, 128) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    error = "cannot listen on " + options_.bindAddress + ":" + std::to_string(options_.port) + ": " +
            std::strerror(errno);
    CloseSocket(fd);
    return false;
  }
  listenFd_ = fd;
  port_ = ntohs(local.sin_port);
  baseUrl_ = "http://" + options_.bindAddress + ":" + std::to_string(port_);
  {
    std::lock_guard lock(mutex_);
    started_ = true;
  }
  acceptThread_ = std::thread(&Server::AcceptLoop, this);
  return true;
}

void Server::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (!started_ || stopping_) return;
    stopping_ = true;
    // Wakes the handlers blocked on their client; each still closes its own socket.
    for (int fd : open_) ShutdownSocket(fd);
  }
  slotFreed_.notify_all();
  // A shut-down listening socket makes a blocked accept() return at once.
  ShutdownSocket(listenFd_);
  if (acceptThread_.joinable()) acceptThread_.join();
  handlers_.JoinAll();
  CloseSocket(listenFd_);
  listenFd_ = -1;
}

void Server::AcceptLoop() {
  for (;;) {
    {
      std::unique_lock lock(mutex_);
      slotFreed_.wait(lock, [&] { return stopping_ || open_.size() < options_.maxConnections; });
      if (stopping_) return;
    }
    handlers_.Reap();
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      std::unique_lock lock(mutex_);
      if (stopping_) return;
      // Out of descriptors, most likely: wait for a connection to end rather than spin.
      slotFreed_.wait_for(lock, std::chrono::milliseconds(100));
      continue;
    }
    {
      std::lock_guard lock(mutex_);
      if (stopping_) {
        CloseSocket(fd);
        return;
      }
      open_.insert(fd);
    }
    ++accepted_;
    handlers_.Start([this, fd] { Serve(fd); });
  }
}

void Server::Serve(int fd) {
  SetSocketTimeouts(fd, options_.timeoutMs);
  std::string received;
  Request request;
  ParseResult result = ParseResult::Incomplete;
  bool timedOut = false;
  char buffer[4096];
  while (result == ParseResult::Incomplete) {
    IoResult r = Receive(fd, buffer, sizeof buffer);
    if (r.bytes <= 0) {
      timedOut = r.error == SocketError::TimedOut;
      break;
    }
    received.append(buffer, static_cast<size_t>(r.bytes));
    result = ParseRequest(received, request);
  }

  bool answer = true;
  bool headOnly = false;
  Response response;
  switch (result) {
    case ParseResult::Complete:
      response = site_->Respond(request, baseUrl_);
      headOnly = request.method == "HEAD";
      break;
    case ParseResult::Malformed:
      response = ErrorResponse(400);
      break;
    case ParseResult::TooLarge:
      response = ErrorResponse(431);
      break;
    case ParseResult::Incomplete:
      // A client that went away without a word gets none back.
      answer = !received.empty();
      response = ErrorResponse(timedOut ? 408 : 400);
      break;
  }
  if (answer && result == ParseResult::Complete) {
    // Logged before the answer goes, so that a client that has its answer
    // finds its request in the log.
    std::lock_guard lock(logMutex_);
    requestLog_.push_back(request.method + " " + request.target);
    if (requestLog_.size() > kMaxRequestLog) requestLog_.pop_front();
  }
  if (answer) {
    bool sent = SendAll(fd, ResponseHead(response)).bytes >= 0 && (headOnly || SendBody(fd, response));
    if (options_.log) {
      std::string line = result == ParseResult::Complete ? request.method + " " + Printable(request.target)
                                                          : std::string("(bad request)");
      Log(line + " -> " + std::to_string(response.status) + " " + std::to_string(response.ContentLength()) +
          (sent ? "" : " (client gone)"));
    }
    // Closing with unread bytes from the client would reset the connection
    // and could destroy the answer in flight: close our side, then let the
    // client close its own before the socket goes.
    ::shutdown(fd, SHUT_WR);
    SetSocketTimeouts(fd, std::min(options_.timeoutMs, kLingerMs));
    for (size_t drained = 0; drained < kMaxDrained;) {
      IoResult r = Receive(fd, buffer, sizeof buffer);
      if (r.bytes <= 0) break;
      drained += static_cast<size_t>(r.bytes);
    }
  }
  std::lock_guard lock(mutex_);
  open_.erase(fd);
  CloseSocket(fd);
  slotFreed_.notify_all();
}

std::vector<std::string> Server::RequestLog() {
  std::lock_guard lock(logMutex_);
  return {requestLog_.begin(), requestLog_.end()};
}

void Server::Log(const std::string& line) {
  std::lock_guard lock(logMutex_);
  *options_.log << line << std::endl;
}

}  // namespace orvi::sandbox
