#include "support/script_server.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <stdexcept>

#include "platform/socket.h"

namespace orvi::test {
namespace {

void SetReceiveTimeout(int fd, int seconds) {
  timeval tv{seconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

}  // namespace

int OpenDescriptors() {
  int count = 0;
  for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

std::string ScriptServer::Conn::ReadRequest() {
  std::string request;
  char buffer[4096];
  SetReceiveTimeout(fd_, 10);
  while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    request.append(buffer, static_cast<size_t>(n));
  }
  std::lock_guard lock(server_.mutex_);
  server_.requests_.push_back(request);
  return request;
}

std::string ScriptServer::Conn::ReadLine() {
  SetReceiveTimeout(fd_, 10);
  char buffer[512];
  size_t end;
  while ((end = pending_.find("\r\n")) == std::string::npos) {
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) return {};
    pending_.append(buffer, static_cast<size_t>(n));
  }
  std::string line = pending_.substr(0, end);
  pending_.erase(0, end + 2);
  std::lock_guard lock(server_.mutex_);
  server_.requests_.push_back(line);
  return line;
}

void ScriptServer::Conn::Send(std::string_view bytes) { SendAll(fd_, bytes); }

void ScriptServer::Conn::SendSlowly(std::string_view bytes, size_t piece, int pauseMs) {
  for (size_t at = 0; at < bytes.size(); at += piece) {
    if (SendAll(fd_, bytes.substr(at, piece)).bytes < 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
  }
}

bool ScriptServer::Conn::HoldUntilClosed() {
  SetReceiveTimeout(fd_, 30);
  char buffer[1024];
  for (;;) {
    ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n == 0) return true;
    if (n < 0) return errno == ECONNRESET;
  }
}

void ScriptServer::Conn::Reset() { reset_ = true; }

ScriptServer::ScriptServer(Handler handler) : handler_(std::move(handler)) {
  listenFd_ = ListenLoopback(port_);
  if (listenFd_ < 0) throw std::runtime_error("cannot listen on 127.0.0.1");
  thread_ = std::thread([this] { Serve(); });
}

ScriptServer::~ScriptServer() {
  stopping_ = true;
  ::shutdown(listenFd_, SHUT_RDWR);
  int fd = currentFd_.load();
  if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
  thread_.join();
  ::close(listenFd_);
}

std::string ScriptServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> ScriptServer::Requests() {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::string ScriptServer::Response(std::string_view status, std::string_view body,
                                   std::string_view extraHeaders) {
  std::string out = "HTTP/1.1 ";
  out.append(status).append("\r\nContent-Length: ").append(std::to_string(body.size()));
  out.append("\r\n").append(extraHeaders).append("\r\n").append(body);
  return out;
}

ScriptServer::Handler ScriptServer::Answer(std::string bytes, bool holdOpen) {
  return [bytes = std::move(bytes), holdOpen](Conn& c) {
    c.ReadRequest();
    c.Send(bytes);
    if (holdOpen) c.HoldUntilClosed();
  };
}

void ScriptServer::Serve() {
  while (!stopping_) {
    int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    currentFd_ = fd;
    ++connections_;
    Conn conn(*this, fd);
    handler_(conn);
    if (conn.reset_) {
      linger hard{1, 0};
      ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    currentFd_ = -1;
    ::close(fd);
  }
}

}  // namespace orvi::test
