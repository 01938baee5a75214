// The whole host's reset for tests.
#include "host/util/host_testing.h"

namespace yrlhost {

void host_testing_reset() {
  call_log_testing_reset();
  host_table_testing_reset();
  host_startup_testing_reset();
  script_testing_reset();
  events_testing_reset();
  // The modules free what they handed out before the registry of live objects forgets it.
  elemtrees_testing_reset();  // before the selections its values hold
  sections_testing_reset();
  features_testing_reset();
  ui_testing_reset();
  picks_testing_reset();  // before the selections it holds
  graphics_testing_reset();
  pick_items_testing_reset();
  menus_testing_reset();
  older_menus_testing_reset();
  messages_testing_reset();
  extdata_testing_reset();
  models_testing_reset();
  model_features_testing_reset();
  drawing_entities_testing_reset();
  drawing_annotations_testing_reset();
  assemblies_testing_reset();  // after the models, whose handles are its records
  file_sets_testing_reset();
  arrays_testing_reset();
  live_objects_testing_reset();
}

}  // namespace yrlhost
