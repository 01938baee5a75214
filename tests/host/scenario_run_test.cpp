// What yrlhost reports after a scenario.
#include "host/script/scenario_run.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin/host_table.h"
#include "tests/host/feature_test.h"
#include "tests/host/host_test.h"

namespace {

// Runs a scenario whose user does nothing but the check; its exit code, and its report
// in report.
int run_check(std::function<void()> check, std::string& report) {
  yrlhost::Scenario scenario;
  yrlhost::ScriptAction action;
  action.run = std::move(check);
  scenario.actions.push_back(action);
  std::FILE* out = std::tmpfile();
  EXPECT_NE(out, nullptr);
  if (out == nullptr) return -1;
  int code = yrlhost::scenario_run(scenario, out);
  std::rewind(out);
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) report += static_cast<char>(c);
  std::fclose(out);
  return code;
}

class ScenarioRun : public yrltest::HostTest {
 protected:
  // The report of a run that passes.
  static std::string run(std::function<void()> check) {
    std::string text;
    EXPECT_EQ(run_check(std::move(check), text), 0);
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

// A run that ends with an incomplete feature in a part (made, but with no section, so
// without geometry) fails: a script failure names the feature and the exit code is 1. The
// same run without it, or after it is deleted, passes.
class ScenarioRunFeatures : public yrltest::FeatureTest {};

TEST_F(ScenarioRunFeatures, ARunEndingWithAnIncompleteFeatureFails) {
  VynFeature feature{};
  std::string report;
  EXPECT_EQ(run_check(
                [&] {
                  VynErrors errors{};
                  ASSERT_EQ(create(extrude(TOP, blind(7)), feature, errors), ok);
                },
                report),
            1);
  const std::string failure =
      "part BLOCK holds feature " + std::to_string(feature.id) + " incomplete at the end of the run";
  EXPECT_NE(report.find("script failure: " + failure), std::string::npos) << report;
  EXPECT_NE(report.find("script failures: 1\n"), std::string::npos) << report;
  EXPECT_EQ(yrlhost::script_take_failures(), std::vector<std::string>{failure});

  report.clear();
  EXPECT_EQ(run_check(
                [&] {
                  int ids[] = {feature.id};
                  const int options[] = {1};
                  ASSERT_EQ(feature_delete(1, part, ids, 1, options, 1), ok);
                },
                report),
            0);
  EXPECT_NE(report.find("script failures: 0\n"), std::string::npos) << report;
}

}  // namespace
