#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/thread_set.h"

namespace orvi {

// The threads of the link verification: one dispatcher and one probe per file
// being verified. Every thread is kept so that it can be joined: the
// dispatcher joins the probes that have ended, and the context joins the rest
// when it goes.
struct VerificationState {
  std::atomic<bool> VerificationRunning{false};

  // Probes alive ("Liens"). A stop that gives up waiting resets it; probes of
  // the earlier generation that end later leave the new count alone.
  int ActiveProbeCount() const { return activeProbes_.load(); }
  int BeginProbe() {
    std::lock_guard lock(countMutex_);
    ++activeProbes_;
    return generation_;
  }
  void EndProbe(int generation) {
    std::lock_guard lock(countMutex_);
    if (generation == generation_) --activeProbes_;
  }
  void ResetProbeCount() {
    std::lock_guard lock(countMutex_);
    activeProbes_ = 0;
    ++generation_;
  }

  std::thread dispatcher;
  std::atomic<bool> dispatcherDone{true};
  ThreadSet probes;

  // Joins every thread; the caller has cleared VerificationRunning and broken
  // the probes' sockets.
  void JoinAll() {
    if (dispatcher.joinable()) dispatcher.join();
    probes.JoinAll();
  }

 private:
  std::mutex countMutex_;
  std::atomic<int> activeProbes_{0};
  int generation_ = 0;
};

}  // namespace orvi
