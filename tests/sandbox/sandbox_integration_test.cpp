// The sandbox server over real sockets.
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/socket.h"
#include "sandbox/engine_markers.h"
#include "sandbox/sandbox_server.h"

namespace orvi::sandbox {
namespace {

int Connect(uint16_t port) {
  int fd = CreateTcpSocket();
  SetSocketTimeouts(fd, 30'000);
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_TRUE(ConnectIPv4(fd, loopback, port));
  return fd;
}

struct Reply {
  int status = 0;
  std::string head, body;
  long long contentLength = -1;
  bool closedByServer = false;  // the read ended at the server's close, not a time-out
};

// Everything up to the server's close.
Reply ReadReply(int fd) {
  std::string all;
  char buffer[65536];
  Reply reply;
  for (;;) {
    IoResult r = Receive(fd, buffer, sizeof buffer);
    if (r.bytes <= 0) {
      reply.closedByServer = r.bytes == 0;
      break;
    }
    all.append(buffer, static_cast<size_t>(r.bytes));
  }
  size_t end = all.find("\r\n\r\n");
  if (end == std::string::npos || !all.starts_with("HTTP/1.1 ")) return reply;
  reply.head = all.substr(0, end + 4);
  reply.body = all.substr(end + 4);
  reply.status = std::stoi(all.substr(9, 3));
  if (size_t at = reply.head.find("Content-Length: "); at != std::string::npos) {
    reply.contentLength = std::stoll(reply.head.substr(at + 16));
  }
  return reply;
}

Reply Exchange(uint16_t port, std::string_view request) {
  int fd = Connect(port);
  SendAll(fd, request);
  Reply reply = ReadReply(fd);
  CloseSocket(fd);
  return reply;
}

Reply Get(uint16_t port, const std::string& target, const std::string& method = "GET", const std::string& extra = "") {
  return Exchange(port, method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n");
}

class SandboxServer : public ::testing::Test {
 protected:
  void Start(ServerOptions options = {}) {
    Fixture fixture;
    std::string error;
    ASSERT_TRUE(fixture.Parse("[fast] mozart mp3\n{base}/p{1..120}.html\n"
                              "[files]\n/requiem.mp3 4213556 2002-11-03 21:14:05\n/small.zip 300000 2003-01-01\n",
                              "t.txt", error));
    server_ = std::make_unique<Server>(std::make_shared<const Site>(std::move(fixture), ""));
    ASSERT_TRUE(server_->Start(options, error)) << error;
    port_ = server_->port();
  }
  std::unique_ptr<Server> server_;
  uint16_t port_ = 0;
};

TEST_F(SandboxServer, AnswersWithExactLengthsAndClosesTheConnection) {
  Start();
  EXPECT_EQ(server_->baseUrl(), "http://127.0.0.1:" + std::to_string(port_));
  Reply page = Get(port_, "/search?t=all&o=100&q=mozart+mp3&hits=50");
  EXPECT_EQ(page.contentLength, static_cast<long long>(page.body.size()));
  EXPECT_TRUE(page.closedByServer);
  EXPECT_EQ(test::ReadFast(page.body).links.size(), 20u);

  Reply head = Get(port_, "/requiem.mp3", "HEAD");
  EXPECT_EQ(head.contentLength, 4213556);
  EXPECT_TRUE(head.body.empty());

  Reply file = Get(port_, "/small.zip");
  EXPECT_EQ(file.contentLength, 300000);
  EXPECT_EQ(file.body.size(), 300000u);
  EXPECT_TRUE(file.closedByServer);
  EXPECT_EQ(Get(port_, "/nothing").status, 404);
}

TEST_F(SandboxServer, BadRequestsGetAnErrorAndTheServerGoesOn) {
  ServerOptions options;
  options.timeoutMs = 3000;  // a loaded machine may pause the client for a while between its sends
  Start(options);
  EXPECT_EQ(Exchange(port_, "garbage\r\n\r\n").status, 400);
  EXPECT_EQ(Exchange(port_, "GET / HTTP/1.1\r\nX: " + std::string(20'000, 'x') + "\r\n\r\n").status, 431);
  // Bytes after the head are read and dropped, not answered with a reset.
  EXPECT_EQ(Exchange(port_, "GET /small.zip HTTP/1.1\r\n\r\n" + std::string(100'000, 'b')).body.size(), 300000u);

  int fd = Connect(port_);  // a head cut short by the client's close
  SendAll(fd, "GET /search?q=x HTTP/1.1\r\nHost: a");
  ::shutdown(fd, SHUT_WR);
  EXPECT_EQ(ReadReply(fd).status, 400);
  CloseSocket(fd);

  fd = Connect(port_);  // a head that does not come in time
  SendAll(fd, "GET / HTTP/1.1\r\n");
  EXPECT_EQ(ReadReply(fd).status, 408);
  CloseSocket(fd);

  fd = Connect(port_);  // a client that leaves without a word gets none
  ::shutdown(fd, SHUT_WR);
  Reply silent = ReadReply(fd);
  EXPECT_TRUE(silent.closedByServer && silent.head.empty());
  CloseSocket(fd);

  EXPECT_EQ(Get(port_, "/small.zip", "HEAD").status, 200);
}

TEST_F(SandboxServer, StopBreaksTheConnectionsStillOpenAndReleasesThePort) {
  Start();
  int fd = Connect(port_);
  SendAll(fd, "GET / HTTP/1.1\r\n");  // never finished
  while (server_->connections() < 1) std::this_thread::yield();
  server_->Stop();
  EXPECT_TRUE(ReadReply(fd).closedByServer);
  CloseSocket(fd);
  server_->Stop();  // a second stop is harmless

  Server again(std::make_shared<const Site>(Fixture{}, ""));
  std::string error;
  ServerOptions options;
  options.port = port_;
  EXPECT_TRUE(again.Start(options, error)) << error;
  options.bindAddress = "localhost";
  EXPECT_FALSE(Server(nullptr).Start(options, error));
  EXPECT_NE(error.find("not an IPv4 address"), std::string::npos);
  options.bindAddress = "127.0.0.1";
  EXPECT_FALSE(Server(nullptr).Start(options, error));  // the port is taken
  EXPECT_NE(error.find("cannot listen on 127.0.0.1:" + std::to_string(port_)), std::string::npos);
}

}  // namespace
}  // namespace orvi::sandbox
