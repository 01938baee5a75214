// Runs a scenario that ships in host/scenarios from the host's menu, saving its drawing
// where the test keeps its files, and hands back the run's report.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "host/script/scenario.h"
#include "host/script/scenario_run.h"
#include "host/util/text_read.h"

namespace yrltest {

// Runs YRL_SCENARIO_DIR/file with the drawing saved to saved; the report, or "" with a
// test failure when the scenario cannot be read or run or its run does not end with
// exit_code. adjust, when given, may change the scenario read (add checks between its
// actions) before it runs.
inline std::string run_shipped_scenario(const std::string& file, const std::string& saved,
                                        const std::function<void(yrlhost::Scenario&)>& adjust = {},
                                        int exit_code = 0) {
  yrlhost::Scenario scenario;
  std::string error;
  std::string text;
  EXPECT_TRUE(yrlhost::file_text_read(std::string(YRL_SCENARIO_DIR) + "/" + file, text)) << file;
  if (!yrlhost::scenario_parse(text, YRL_SCENARIO_DIR, scenario, error)) {
    ADD_FAILURE() << error;
    return "";
  }
  scenario.save_paths = {saved};
  if (adjust) adjust(scenario);
  std::FILE* out = std::tmpfile();
  if (!out) {
    ADD_FAILURE() << "no temporary file";
    return "";
  }
  EXPECT_EQ(yrlhost::scenario_run(scenario, out), exit_code);
  std::string report;
  std::rewind(out);
  for (int c = std::fgetc(out); c != EOF; c = std::fgetc(out)) report += static_cast<char>(c);
  std::fclose(out);
  return report;
}

}  // namespace yrltest
