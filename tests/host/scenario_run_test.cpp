// What yrlhost reports after a scenario.
#include "host/scenario_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/host_table.h"
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
  const std::vector<win_export_entry> table = yrlhost::host_table_build();
  auto value_alloc = reinterpret_cast<VynError (*)(int, VynValue*)>(
      yrlhost::host_table_find(table, "VynValueAlloc_v"));
  auto element_alloc = reinterpret_cast<VynError (*)(int, int, VynElement*)>(
      yrlhost::host_table_find(table, "VynElementAlloc_v"));
  std::string report = run([&] {
    VynValue value = nullptr;
    VynElement element = nullptr;
    EXPECT_EQ(value_alloc(1, &value), VYN_TK_NOT_IMPLEMENTED);
    EXPECT_EQ(element_alloc(1, 917, &element), VYN_TK_NOT_IMPLEMENTED);
    EXPECT_EQ(value_alloc(1, &value), VYN_TK_NOT_IMPLEMENTED);
  });
  const std::string tail =
      "not available:\n  VynValueAlloc_v\n  VynElementAlloc_v\nscript failures: 0\n";
  ASSERT_GE(report.size(), tail.size()) << report;
  EXPECT_EQ(report.substr(report.size() - tail.size()), tail) << report;

  yrlhost::host_testing_reset();
  report = run([] {});
  EXPECT_EQ(report.find("not available"), std::string::npos) << report;
}

}  // namespace
