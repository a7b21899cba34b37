#pragma once

#include <cstdint>
#include <functional>

namespace orvi {

// Time as the program sees it. The real clock is used by the program; tests put
// in a clock whose sleeps return at once, so that the program's waits (2 s
// between attempts, the brake, the scheduler pass) cost nothing.
class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a monotonic scale; only differences are meaningful.
  virtual int64_t NowMs() const = 0;
  virtual void SleepMs(int64_t ms) = 0;
  // Sleeps ms in short steps, ending early once stop() holds: a wait of
  // several seconds that "Stop" must end at once. False when stopped.
  bool SleepUnless(int64_t ms, const std::function<bool()>& stop);
};

class RealClock final : public Clock {
 public:
  int64_t NowMs() const override;
  void SleepMs(int64_t ms) override;
};

struct UtcDate {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
};

UtcDate CurrentUtcDate();

}  // namespace orvi
