#include "core/socket_registry.h"

#include <gtest/gtest.h>
#include <fcntl.h>

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

}  // namespace
}  // namespace orvi
