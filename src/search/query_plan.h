#pragma once

#include <string>
#include <vector>

#include "core/search_profile.h"
#include "core/settings.h"
#include "search/engine_table.h"
#include "search/query.h"

namespace orvi {

struct PlannedRequest {
  int engine;           // the queue's engine id: the slot plus one
  const EngineRow* row;  // the engine of that slot; null for one of today's engines
  std::string url;
  std::string name;     // the engine's name
  std::string body;     // a POST's form body
};

// One keyword row that a harvest asks for one query variant.
struct PlannedRow {
  size_t variant;
  int row;  // 0-9
  std::string query;    // the engine query
  std::string display;  // its display form
  std::vector<PlannedRequest> requests;
};

// What a harvest of the profile with these inputs requests first, in harvest
// order: variant by variant, row by row up to the first empty row, skipped
// rows left out; for each row the first page of every query of each engine
// slot in order, when the row is ticked for it. Engines are asked on their
// primary host. Updates the placeholder note of inputs.
std::vector<PlannedRow> PlanFirstRequests(const SearchProfile& profile,
                                          const EngineSettings& engines, SearchInputs& inputs);
// The same with the engines [Engines] Engine1..3 put in the slots.
std::vector<PlannedRow> PlanFirstRequests(const Context& ctx, const SearchProfile& profile, SearchInputs& inputs);

}  // namespace orvi
