#include "search/query_plan.h"

#include <gtest/gtest.h>

#include "search/profile_file.h"

namespace orvi {
namespace {

// Each planned row as "variant/row display:engine letters".
std::vector<std::string> Plan(const std::string& config, const std::string& input1,
                              const std::string& input2) {
  EngineSettings engines;
  engines.GoogleUrl = "http://g";
  SearchInputs in = PrepareSearchInputs(input1, input2);
  std::vector<std::string> lines;
  for (const PlannedRow& row :
       PlanFirstRequests(ReadSearchProfile(IniFile::Parse("[Config]\r\n" + config)), engines, in)) {
    std::string line = std::to_string(row.variant) + "/" + std::to_string(row.row) + " " +
                       row.display + ":";
    for (const PlannedRequest& r : row.requests) line += " GFW"[r.engine];
    lines.push_back(line);
  }
  return lines;
}

// The harvest order with every rule at once is checked end to end through
// the command line; these are the cases that need no file.
TEST(QueryPlan, RowsAloneWithoutFindSAndNothingWithoutRows) {
  // Without FindS every variant sends the row alone; a row ticked for no
  // engine is asked all the same.
  EXPECT_EQ(Plan("Key0=mp3\r\nKey1=+zip\r\nGoogleUse=2\r\nAtwUse=0\r\nWiseUse=2\r\n", "a", "b"),
            (std::vector<std::string>{"0/0 mp3:", "0/1  +zip:GW", "1/0 mp3:", "1/1  +zip:GW",
                                      "2/0 mp3:", "2/1  +zip:GW"}));
  EXPECT_EQ(Plan("", "madonna", ""), std::vector<std::string>{});
}

}  // namespace
}  // namespace orvi
