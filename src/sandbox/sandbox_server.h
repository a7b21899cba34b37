#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <deque>
#include <vector>

#include "core/thread_set.h"
#include "sandbox/site.h"

namespace orvi::sandbox {

struct ServerOptions {
  std::string bindAddress = "127.0.0.1";  // dotted IPv4
  uint16_t port = 0;                      // 0: any free port
  size_t maxConnections = 64;             // connections served at once
  int64_t timeoutMs = 10'000;             // for a request to arrive, or a send to progress
  std::ostream* log = nullptr;            // one line per request, when set
};

// Serves a Site over HTTP/1.1: one thread per connection, at most
// maxConnections of them (more wait in the listen queue), one request per
// connection, every answer with its Content-Length and a clean close.
class Server {
 public:
  explicit Server(std::shared_ptr<const Site> site);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and starts accepting. False with a message when the address cannot
  // be bound.
  bool Start(const ServerOptions& options, std::string& error);
  // Stops accepting, breaks the connections still open and joins every
  // thread. Safe to call more than once, and from any thread but a handler.
  void Stop();

  uint16_t port() const { return port_; }
  // "http://ADDRESS:PORT": what {base} stands for.
  const std::string& baseUrl() const { return baseUrl_; }
  // Connections accepted so far.
  uint64_t connections() const { return accepted_; }
  // "METHOD TARGET" of the requests answered, oldest first (the last 10,000):
  // what the program sent, for a test or a curious user.
  std::vector<std::string> RequestLog();

 private:
  void AcceptLoop();
  void Serve(int fd);
  void Log(const std::string& line);

  std::shared_ptr<const Site> site_;
  ServerOptions options_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::string baseUrl_;
  std::thread acceptThread_;
  ThreadSet handlers_;

  std::mutex mutex_;  // guards the fields below and the closing of the open sockets
  std::condition_variable slotFreed_;
  std::set<int> open_;  // connection sockets; only their handler closes them
  bool stopping_ = false;
  bool started_ = false;
  std::atomic<uint64_t> accepted_{0};
  std::mutex logMutex_;
  std::deque<std::string> requestLog_;  // guarded by logMutex_
};

}  // namespace orvi::sandbox
