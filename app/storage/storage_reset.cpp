// The reset of this module's state for tests: no class registered, records empty.
#include <cstring>

#include "app/menus/app_testing.h"
#include "app/storage/storage.h"

void storage_testing_reset() {
  std::memset(&view_class, 0, sizeof view_class);
  std::memset(&part_class, 0, sizeof part_class);
  std::memset(&active_class, 0, sizeof active_class);
  YrlAllClassRegisterSet(0);
}
