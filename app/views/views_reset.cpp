// The reset of this module's state for tests: no current group (the host's reset frees
// its arrays).
#include "app/menus/app_testing.h"
#include "app/views/viewdata.h"

void views_testing_reset() { view_sel = nullptr; }
