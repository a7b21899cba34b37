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
      if (Ticked(profile.GoogleUse, r)) {
        planned.requests.push_back(
            {kEngineGoogle, BuildRequestUrl(kEngineGoogle, engines.GoogleUrl, *query, 0)});
      }
      if (Ticked(profile.AtwUse, r)) {
        planned.requests.push_back(
            {kEngineFast, FastRequestUrl(engines.FastUrl, *query, profile.SexFilter, 0)});
      }
      if (Ticked(profile.WiseUse, r)) {
        for (const std::string& wise : WiseNutQueries(*query)) {
          planned.requests.push_back(
              {kEngineWiseNut, BuildRequestUrl(kEngineWiseNut, engines.WiseNutUrl,
                                               WithWiseNutFilter(wise, profile.SexFilter), 0)});
        }
      }
      plan.push_back(std::move(planned));
    }
  }
  return plan;
}

}  // namespace orvi
