// Test hook: the active part and the screen-to-drawing transform back to their state at
// load (none, unset).
#pragma once

void apputil_testing_reset();
