#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "core/thread_set.h"

namespace orvi {

// The threads of the link verification: one dispatcher and one probe per file
// being verified. Every thread is kept so that it can be joined: the
// dispatcher joins the probes that have ended, and the context joins the rest
// when it goes. Each start of the verification is a generation of its own: a
// stop never waits for its threads; they see that their generation has
// passed and end by themselves, touching nothing.
struct VerificationState {
  std::atomic<bool> VerificationRunning{false};

  // Probes alive ("Liens"). A stop resets it; probes of an earlier
  // generation that end later leave the new count alone.
  int ActiveProbeCount() const { return activeProbes_.load(); }
  uint64_t BeginProbe() {
    std::lock_guard lock(countMutex_);
    ++activeProbes_;
    return generation_;
  }
  void EndProbe(uint64_t generation) {
    std::lock_guard lock(countMutex_);
    if (generation == generation_) --activeProbes_;
  }
  // A new generation, with no probe counted.
  uint64_t NewGeneration() {
    std::lock_guard lock(countMutex_);
    activeProbes_ = 0;
    return ++generation_;
  }
  // Whether a thread of that generation may go on.
  bool Serves(uint64_t generation) const {
    return VerificationRunning && generation_.load() == generation;
  }

  ThreadSet dispatchers;
  ThreadSet probes;

  // Joins every thread; the caller has cleared VerificationRunning and broken
  // the probes' sockets.
  void JoinAll() {
    dispatchers.JoinAll();
    probes.JoinAll();
  }

 private:
  std::mutex countMutex_;
  std::atomic<int> activeProbes_{0};
  std::atomic<uint64_t> generation_{0};
};

}  // namespace orvi
