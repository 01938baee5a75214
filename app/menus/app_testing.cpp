// The whole application's reset for tests.
#include "app/menus/app_testing.h"

void app_testing_reset() {
  app_init_testing_reset();
  storage_testing_reset();
  prefs_testing_reset();
  views_testing_reset();
  select_testing_reset();
  apputil_testing_reset();
  partinfo_testing_reset();
}
