#include "search/query_plan.h"

#include "search/web_requests.h"

namespace orvi {
namespace {

// The rows asked, each with the requests that addSlot gives for each slot it is ticked for.
template <class AddSlot>
std::vector<PlannedRow> Plan(const SearchProfile& profile, SearchInputs& inputs, AddSlot addSlot) {
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
        if (Ticked(SlotMask(profile, slot), r)) addSlot(slot, *query, planned);
      }
      plan.push_back(std::move(planned));
    }
  }
  return plan;
}

void AddDesigned(const EngineRow& engine, int slot, const std::string& base, const std::string& query,
                 const SearchProfile& profile, PlannedRow& planned) {
  for (std::string& url : FirstPageUrls(engine, base, query, profile)) {
    planned.requests.push_back({slot + 1, &engine, std::move(url), std::string(engine.name), ""});
  }
}

}  // namespace

std::vector<PlannedRow> PlanFirstRequests(const SearchProfile& profile,
                                          const EngineSettings& engines, SearchInputs& inputs) {
  return Plan(profile, inputs, [&](int slot, const std::string& query, PlannedRow& planned) {
    const EngineRow& engine = SlotEngine(slot);
    AddDesigned(engine, slot, engines.*engine.url, query, profile, planned);
  });
}

std::vector<PlannedRow> PlanFirstRequests(const Context& ctx, const SearchProfile& profile, SearchInputs& inputs) {
  return Plan(profile, inputs, [&](int slot, const std::string& query, PlannedRow& planned) {
    const SlotChoice choice = ChooseSlotEngine(ctx, slot);
    if (choice.web == nullptr) {
      const EngineRow& engine = SlotEngine(choice.designed);
      AddDesigned(engine, slot, ctx.engines.*engine.url, query, profile, planned);
      return;
    }
    WebRequest request = FirstWebRequest(ctx, *choice.web, query);
    planned.requests.push_back({slot + 1, nullptr, std::move(request.url), choice.name, std::move(request.body)});
  });
}

}  // namespace orvi
