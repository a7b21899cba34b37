// Inputs and keyword rows of any bytes through the query composition: every
// composed text stays within its size, the OR expansion within its 48 texts,
// and no request URL carries a byte that would break the request line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "search/query_plan.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckUrl(const std::string& url, size_t baseSize) {
  for (size_t i = baseSize; i < url.size(); ++i) {
    auto byte = static_cast<unsigned char>(url[i]);
    Check(byte > 0x20 && byte != 0x7F);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t flags = data[0];
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

  // The whole text as one query, as a row might spell it.
  std::vector<std::string> expanded = orvi::ExpandOr(rest);
  Check(expanded.size() <= orvi::kMaxExpansions);
  for (const std::string& text : expanded) Check(text.size() <= orvi::kExpandedChars);
  std::string display = orvi::DisplayForm(rest);
  Check(display.size() <= 2 * rest.size());
  orvi::HexValue(rest);

  // Then cut at NUL bytes: input 1, input 2 and up to ten keyword rows.
  std::vector<std::string> parts;
  size_t pos = 0;
  while (parts.size() < 12) {
    size_t end = rest.find('\0', pos);
    parts.emplace_back(rest.substr(pos, end == std::string_view::npos ? end : end - pos));
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  parts.resize(12);
  orvi::SearchProfile profile;
  profile.FindS = flags & 1;
  profile.SexFilter = flags & 2;
  profile.GoogleUse = (flags & 4) ? -1 : 0x155;
  profile.AtwUse = (flags & 8) ? -1 : 0x2AA;
  profile.WiseUse = (flags & 16) ? -1 : 0x3F;
  for (size_t i = 0; i < 10; ++i) profile.Keys[i] = parts[i + 2];

  orvi::SearchInputs inputs = orvi::PrepareSearchInputs(parts[0], parts[1]);
  Check(inputs.searchText.size() <= orvi::kInputChars);
  for (const std::string& variant : inputs.variants) {
    Check(variant.size() <= orvi::kEncodedInputChars);
  }
  orvi::EngineSettings engines;
  engines.GoogleUrl = "g";
  engines.FastUrl = "f";
  engines.WiseNutUrl = "w";
  for (const orvi::PlannedRow& row : orvi::PlanFirstRequests(profile, engines, inputs)) {
    Check(row.query.size() <= orvi::kEngineQueryChars);
    for (const orvi::PlannedRequest& request : row.requests) CheckUrl(request.url, 1);
  }
  return 0;
}
