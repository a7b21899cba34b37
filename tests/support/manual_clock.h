#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace orvi::test {

// A clock whose sleeps return at once and move its time forward; it keeps the
// sleeps it was asked for.
class ManualClock final : public Clock {
 public:
  int64_t NowMs() const override { return now_; }
  // Runs after each sleep has been counted, with the number of sleeps so far.
  std::function<void(size_t)> onSleep;

  void SleepMs(int64_t ms) override {
    now_ += ms;
    size_t count;
    {
      std::lock_guard lock(mutex_);
      sleeps_.push_back(ms);
      count = sleeps_.size();
    }
    if (onSleep) onSleep(count);
  }
  void Advance(int64_t ms) { now_ += ms; }
  std::vector<int64_t> Sleeps() {
    std::lock_guard lock(mutex_);
    return sleeps_;
  }

 private:
  std::atomic<int64_t> now_{1'000'000};
  std::mutex mutex_;
  std::vector<int64_t> sleeps_;
};

}  // namespace orvi::test
