// The reset of this module's state for tests.
#include <cstring>

#include "app/menus/app_testing.h"
#include "app/util/apputil.h"

void apputil_testing_reset() {
  active_mdl = nullptr;
  std::memset(scr_to_drw_matrix, 0, sizeof scr_to_drw_matrix);
  ScrToDrwMatix_Set = 0;
}
