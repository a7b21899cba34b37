#include "core/socket_registry.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <fcntl.h>

#include <thread>
#include <vector>

namespace orvi {
namespace {

bool IsOpen(int fd) { return ::fcntl(fd, F_GETFD) != -1; }

TEST(SocketRegistry, AFullRegistryIsNoError) {
  std::atomic<int> InProgress{5};
  SocketRegistry registry(InProgress);
  std::vector<int> fds;
  for (int i = 0; i < SocketRegistry::kSlots + 3; ++i) {
    int fd = CreateTcpSocket();
    ASSERT_GE(fd, 0);
    registry.RegisterSocket(fd);
    fds.push_back(fd);
  }
  EXPECT_EQ(registry.RegisteredCount(), SocketRegistry::kSlots);
  registry.CloseAllSockets();
  EXPECT_EQ(registry.RegisteredCount(), 0);
  EXPECT_EQ(InProgress, 0);
  // The stop breaks sockets but closes none: each owner closes its own.
  for (int fd : fds) EXPECT_TRUE(IsOpen(fd));
  registry.ReleaseSocket(kInvalidSocket);  // ignored
  // A release frees the slot and closes.
  registry.RegisterSocket(fds[0]);
  EXPECT_EQ(registry.RegisteredCount(), 1);
  for (int fd : fds) registry.ReleaseSocket(fd);
  EXPECT_EQ(registry.RegisteredCount(), 0);
  for (int fd : fds) EXPECT_FALSE(IsOpen(fd));
}

TEST(SocketRegistry, CloseAllBreaksABlockedReceive) {
  std::atomic<int> InProgress{0};
  SocketRegistry registry(InProgress);
  uint16_t port = 0;
  int listener = ListenLoopback(port);
  ASSERT_GE(listener, 0);
  int client = CreateTcpSocket();
  in_addr loopback{};
  loopback.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_TRUE(ConnectIPv4(client, loopback, port));
  int served = ::accept(listener, nullptr, nullptr);
  SetSocketTimeouts(client, 10000);  // a stop that fails ends the test, not the suite
  registry.RegisterSocket(client);
  std::atomic<bool> started{false};
  IoResult result;
  std::thread reader([&] {
    char buffer[16];
    started = true;
    result = Receive(client, buffer, sizeof buffer);  // the server never sends
  });
  while (!started) std::this_thread::yield();
  registry.CloseAllSockets();
  reader.join();
  EXPECT_LE(result.bytes, 0);
  EXPECT_NE(result.error, SocketError::TimedOut);
  EXPECT_TRUE(IsOpen(client));
  registry.ReleaseSocket(client);
  CloseSocket(served);
  CloseSocket(listener);
}

}  // namespace
}  // namespace orvi
