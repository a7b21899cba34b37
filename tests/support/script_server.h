#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace orvi::test {

// The Accept line of every HTTP request the program sends.
inline constexpr char kAcceptLine[] =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, image/png, */*\r\n";

// How many descriptors this process holds open (a leak check).
int OpenDescriptors();

// A loopback TCP server that answers each connection with a script: exact
// bytes, slow pieces, a connection held open, an immediate close, a reset.
// Connections are served one after the other, in the order they arrive.
class ScriptServer {
 public:
  class Conn {
   public:
    Conn(ScriptServer& server, int fd) : server_(server), fd_(fd) {}
    // Reads up to the blank line that ends a request's headers (or the close).
    std::string ReadRequest();
    // Reads one line ended by CR LF (without it); empty at the close.
    std::string ReadLine();
    void Send(std::string_view bytes);
    // Sends in pieces with a short pause between them, as a slow server does.
    void SendSlowly(std::string_view bytes, size_t piece, int pauseMs);
    // Keeps the connection open until the client closes it (at most 30 s);
    // true when the client closed it.
    bool HoldUntilClosed();
    // Ends the connection with a TCP reset instead of a close.
    void Reset();
    int fd() const { return fd_; }

   private:
    ScriptServer& server_;
    int fd_;
    bool reset_ = false;
    std::string pending_;
    friend class ScriptServer;
  };
  using Handler = std::function<void(Conn&)>;

  explicit ScriptServer(Handler handler);
  ~ScriptServer();
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  uint16_t port() const { return port_; }
  // "http://127.0.0.1:port" + path
  std::string Url(std::string_view path = "/") const;
  std::vector<std::string> Requests();
  int Connections() const { return connections_; }

  // A whole response with Content-Length, for the common case.
  static std::string Response(std::string_view status, std::string_view body,
                              std::string_view extraHeaders = "");
  // A handler that reads the request and answers these bytes, then closes or,
  // with holdOpen, waits for the client to close.
  static Handler Answer(std::string bytes, bool holdOpen = false);

 private:
  void Serve();

  Handler handler_;
  int listenFd_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> currentFd_{-1};
  std::atomic<int> connections_{0};
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

}  // namespace orvi::test
