// Runs a scenario against a started plug-in and reports what happened.
#pragma once

#include <cstdio>

#include "host/script/scenario.h"

namespace yrlhost {

// Opens the scenario's models in order, runs the scripted user from the top level, then
// saves the current drawing to each save path. Writes to out what happened: the events
// of the run, the menu bar as it stands at the end, the models with their content
// (host/store/model_report.h), the keys of the host functions that answered "not available"
// (when any did) and the script's failures. 0 when every step worked and the script ran
// without failures; 2 when a DXF file of an "open" step could not be read (an input of
// the scenario, as the scenario file itself); 1 otherwise.
int scenario_run(const Scenario& scenario, std::FILE* out);

}  // namespace yrlhost
