#pragma once

#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/socket.h"

namespace orvi {

// Every socket that a page fetch has open, so that a stop can break them all.
// 256 slots; a socket that finds no free slot still works but a stop does not
// reach it.
class SocketRegistry {
 public:
  static constexpr int kSlots = 256;

  // connectionsInProgress is the run's counter, set to 0 by CloseAllSockets.
  explicit SocketRegistry(std::atomic<int>& connectionsInProgress);

  void RegisterSocket(int fd);
  // Forgets the socket, then closes it. The slot is freed before the close, so
  // that a stop can never reach a descriptor number that has been reused.
  void ReleaseSocket(int fd);
  // A probe's socket slot (the page-age probe of a worker) that a stop must
  // reach as well; released by its owner before the slot goes.
  void RegisterSlot(SocketSlot& slot);
  void ReleaseSlot(SocketSlot& slot);
  // Breaks every registered socket (each owner still closes its own) and
  // frees every slot; breaks every registered socket slot for good; sets the
  // connections in progress to 0.
  void CloseAllSockets();

  int RegisteredCount();

  std::mutex SocketLock;

 private:
  std::array<int, kSlots> slots_;
  std::vector<SocketSlot*> socketSlots_;
  std::atomic<int>& connectionsInProgress_;
};

}  // namespace orvi
