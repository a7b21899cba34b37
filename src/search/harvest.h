#pragma once

#include <atomic>
#include <string>

#include "core/context.h"

namespace orvi {

// What the user typed for a search (Windows-1252, as typed; at most 79
// characters of each are read).
struct HarvestInputs {
  std::string input1;
  std::string input2;
  // False for a profile that needs no input: its field is disabled, and an
  // empty input is no mistake.
  bool input1Used = true;
};

// The inputs name something to look for, or the profile needs nothing.
bool InputsGiven(const HarvestInputs& inputs);

struct HarvestResult {
  bool found = false;  // the queue holds pages for phase 2
  // "AutoStart" was checked and the front end is still there: the caller
  // starts phase 2 now, as "2. Traiter les résultats" would.
  bool startExploration = false;
  // The encoded input, for the report to the product site.
  std::string encodedSearchText;
};

// Phase 1 of a search, on the calling thread: empties the queue, asks the
// engines ticked for each keyword row of the active profile, query variant by
// variant, one thread per engine and row, queues their result links and
// keeps its board up to date. The caller sets ctx.harvest.running first.
// Once `abandoned` is set (the front end is gone) the harvest ends after its
// current pages without a word: no message, no AutoStart. Every thread it
// starts has ended when it returns.
HarvestResult RunHarvest(Context& ctx, const HarvestInputs& inputs, HarvestBoard& board,
                         const std::atomic<bool>& abandoned);

// "Stop !": every harvest loop ends and its fetches are broken.
void StopHarvest(Context& ctx);

}  // namespace orvi
