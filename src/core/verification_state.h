#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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

  struct Probe {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::mutex probesMutex;
  std::vector<Probe> probes;

  // Joins the probes that have ended.
  void ReapProbes() {
    std::vector<Probe> ended;
    {
      std::lock_guard lock(probesMutex);
      for (auto it = probes.begin(); it != probes.end();) {
        if (*it->done) {
          ended.push_back(std::move(*it));
          it = probes.erase(it);
        } else {
          ++it;
        }
      }
    }
    for (Probe& p : ended) p.thread.join();
  }

  bool AllProbesEnded() {
    std::lock_guard lock(probesMutex);
    for (const Probe& p : probes) {
      if (!*p.done) return false;
    }
    return true;
  }

  // Joins every thread; the caller has cleared VerificationRunning and broken
  // the probes' sockets.
  void JoinAll() {
    if (dispatcher.joinable()) dispatcher.join();
    std::vector<Probe> all;
    {
      std::lock_guard lock(probesMutex);
      all.swap(probes);
    }
    for (Probe& p : all) p.thread.join();
  }

 private:
  std::mutex countMutex_;
  std::atomic<int> activeProbes_{0};
  int generation_ = 0;
};

}  // namespace orvi
