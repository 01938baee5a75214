// What yrlhost reports after a scenario.
#include "host/script/scenario_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin/host_table.h"
#include "tests/host/host_test.h"

namespace {

class ScenarioRun : public yrltest::HostTest {
 protected:
  // Runs a scenario whose user does nothing but the check; the report's text.
  static std::string run(std::function<void()> check) {
    yrlhost::Scenario scenario;
    yrlhost::ScriptAction action;
    action.run = std::move(check);
    scenario.actions.push_back(action);
    std::FILE* out = std::tmpfile();
    EXPECT_NE(out, nullptr);
    EXPECT_EQ(yrlhost::scenario_run(scenario, out), 0);
    std::string text;
    std::rewind(out);
    for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) text += static_cast<char>(c);
    std::fclose(out);
    return text;
  }
};

// Calls of functions without behaviour are listed after the run, each key once; a run
// without any lists none.
TEST_F(ScenarioRun, TheReportListsTheFunctionsThatAnsweredNotAvailable) {
  // Catalogue rows that nothing calls, so that they stay without behaviour; both take
  // three argument words.
  const std::vector<win_export_entry> table = yrlhost::host_table_build();
  using ThreeWords = VynError (*)(int, VynWord, VynWord, VynWord);
  auto remove = reinterpret_cast<ThreeWords>(yrlhost::host_table_find(table, "VynElemtreeElementRemove_v"));
  auto to_strings =
      reinterpret_cast<ThreeWords>(yrlhost::host_table_find(table, "VynValueArrayToWstringArray_v"));
  std::string report = run([&] {
    EXPECT_EQ(remove(1, 0, 0, 0), VYN_TK_NOT_IMPLEMENTED);
    EXPECT_EQ(to_strings(1, 0, 0, 0), VYN_TK_NOT_IMPLEMENTED);
    EXPECT_EQ(remove(1, 0, 0, 0), VYN_TK_NOT_IMPLEMENTED);
  });
  const std::string tail =
      "not available:\n  VynElemtreeElementRemove_v\n  VynValueArrayToWstringArray_v\n"
      "script failures: 0\n";
  ASSERT_GE(report.size(), tail.size()) << report;
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail) << report;

  yrlhost::host_testing_reset();
  report = run([] {});
  EXPECT_EQ(report.find("not available"), std::string::npos) << report;
}

}  // namespace
