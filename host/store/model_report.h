// The report of the session's models: what a scenario's road left in them.
#pragma once

#include <string>
#include <vector>

namespace yrlhost {

// One block per model in session order: a part's name, units and feature count; a
// drawing's name, units and current sheet, then compact tables of its sheets, models and
// scales, views, entities, notes, symbols and dimensions ("none" for an empty one).
std::vector<std::string> host_models_report();

}  // namespace yrlhost
