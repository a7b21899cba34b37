#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

namespace orvi {

bool Clock::SleepUnless(int64_t ms, const std::function<bool()>& stop) {
  constexpr int64_t kStepMs = 50;
  for (int64_t left = ms; left > 0; left -= kStepMs) {
    if (stop()) return false;
    SleepMs(std::min(left, kStepMs));
  }
  return !stop();
}

int64_t RealClock::NowMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::SleepMs(int64_t ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

UtcDate CurrentUtcDate() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&now, &tm);
  return UtcDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

}  // namespace orvi
