#include "core/socket_registry.h"

namespace orvi {

SocketRegistry::SocketRegistry(std::atomic<int>& connectionsInProgress)
    : connectionsInProgress_(connectionsInProgress) {
  slots_.fill(kInvalidSocket);
}

void SocketRegistry::RegisterSocket(int fd) {
  std::lock_guard lock(SocketLock);
  for (int& slot : slots_) {
    if (slot == kInvalidSocket) {
      slot = fd;
      return;
    }
  }
}

void SocketRegistry::ReleaseSocket(int fd) {
  if (fd == kInvalidSocket) return;
  {
    std::lock_guard lock(SocketLock);
    for (int& slot : slots_) {
      if (slot == fd) {
        slot = kInvalidSocket;
        break;
      }
    }
  }
  CloseSocket(fd);
}

void SocketRegistry::RegisterSlot(SocketSlot& slot) {
  std::lock_guard lock(SocketLock);
  socketSlots_.push_back(&slot);
}

void SocketRegistry::ReleaseSlot(SocketSlot& slot) {
  std::lock_guard lock(SocketLock);
  std::erase(socketSlots_, &slot);
}

void SocketRegistry::CloseAllSockets() {
  {
    std::lock_guard lock(SocketLock);
    for (SocketSlot* slot : socketSlots_) slot->Break();
    for (int& slot : slots_) {
      if (slot != kInvalidSocket) {
        ShutdownSocket(slot);
        slot = kInvalidSocket;
      }
    }
  }
  connectionsInProgress_ = 0;
}

int SocketRegistry::RegisteredCount() {
  std::lock_guard lock(SocketLock);
  int count = 0;
  for (int slot : slots_) count += slot != kInvalidSocket;
  return count;
}

}  // namespace orvi
