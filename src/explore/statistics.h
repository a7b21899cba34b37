#pragma once

// What the statistics window shows of the exploration queue: how many pages
// each way of finding pages added, and the addresses one way added. Both read
// the queue under QueueLock and hold it only while they count or copy.

#include <array>
#include <string>
#include <vector>

#include "core/context.h"
#include "explore/found_by.h"

namespace orvi {

// Pages of the queue by FoundBy code: counts[code] for codes 1 to 6.
// counts[0] stays 0: engine results and the base page are never counted.
struct FoundByCounts {
  std::array<int, kFoundByCount> counts{};
  int operator[](FoundBy code) const { return counts[static_cast<size_t>(code)]; }
};
FoundByCounts CountQueueByFoundBy(Context& ctx);

// In queue order, the address of every page found by the exploration (engine
// 0) with this code.
std::vector<std::string> QueueUrlsFoundBy(Context& ctx, FoundBy code);

}  // namespace orvi
