#include "search/query_plan.h"

namespace orvi {

std::vector<PlannedRow> PlanFirstRequests(const SearchProfile& profile,
                                          const EngineSettings& engines, SearchInputs& inputs) {
  std::vector<PlannedRow> plan;
  for (size_t v = 0; v < inputs.variants.size(); ++v) {
    for (int r = 0; r < SearchProfile::kKeyRows; ++r) {
      const std::string& row = profile.Keys[r];
      // The first empty row ends the list.
      if (row.empty()) break;
      std::optional<std::string> query =
          ComposeEngineQuery(inputs.variants[v], EncodeRow(row), profile.FindS, inputs);
      if (!query) continue;
      PlannedRow planned{v, r, *query, DisplayForm(*query), {}};
      for (int slot = 0; slot < kEngineSlots; ++slot) {
        if (!Ticked(SlotMask(profile, slot), r)) continue;
        const EngineRow& engine = SlotEngine(slot);
        for (std::string& url : FirstPageUrls(engine, engines.*engine.url, *query, profile)) {
          planned.requests.push_back({slot + 1, &engine, std::move(url)});
        }
      }
      plan.push_back(std::move(planned));
    }
  }
  return plan;
}

}  // namespace orvi
