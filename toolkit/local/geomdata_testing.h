// Test hook: the new-surface flag back to its value at load (off).
#pragma once

void geomdata_testing_reset();
