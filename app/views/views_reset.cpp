// The reset of this module's state for tests (placeholder until the module keeps state).
#include "app/menus/app_testing.h"

void views_testing_reset() {}
