// Scenario files of yrlhost: the input is a scenario's text. It is parsed as yrlhost
// parses a file, and the drawings it holds inline are read as the runner opens them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/util/host_testing.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/script/scenario.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::models_testing_reset();
  yrlhost::Scenario scenario;
  std::string error;
  if (!yrlhost::scenario_parse(std::string(reinterpret_cast<const char*>(data), size), "/fuzz",
                               scenario, error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  for (const yrlhost::ScenarioModelStep& step : scenario.models) {
    if (step.kind != yrlhost::ScenarioModelStep::Kind::open_lines) continue;
    yrlhost::host_model_read(step.lines, "scenario line " + std::to_string(step.line_number), error);
  }
  return 0;
}
