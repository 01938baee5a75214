// Test hooks of the stand-in host.
#pragma once

#include "toolkit/api/host_types.h"

namespace yrlhost {

// Puts the whole host back to its start state: the call log and the answers set per key,
// the keys of the extra recorders and what the host's own functions recorded.
void host_testing_reset();

// The parts of host_testing_reset, one per module.
void call_log_testing_reset();
void host_table_testing_reset();
void host_startup_testing_reset();
void script_testing_reset();
void events_testing_reset();
void models_testing_reset();
void arrays_testing_reset();
void extdata_testing_reset();
void messages_testing_reset();
void menus_testing_reset();
void ui_testing_reset();
void graphics_testing_reset();
void elemtrees_testing_reset();
void sections_testing_reset();
void features_testing_reset();  // the error rows handed out
void live_objects_testing_reset();
void assemblies_testing_reset();
void older_menus_testing_reset();
void picks_testing_reset();                 // the selection function's last answer
void pick_items_testing_reset();
void model_features_testing_reset();        // the geometry data handed out
void drawing_entities_testing_reset();      // the entity data and curves handed out
void drawing_annotations_testing_reset();   // the note and symbol data handed out
void file_sets_testing_reset();             // the failure a test set for the saves

}  // namespace yrlhost
