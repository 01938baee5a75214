// The reset of the preferences module's state for tests.
#include "app/menus/app_testing.h"
#include "app/prefs/prefs.h"

void prefs_testing_reset() {
  preferences = YrlPreferencesData{};
  YrlSetMavrelActivePart = 0;
}
