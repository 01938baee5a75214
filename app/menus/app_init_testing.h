// Test hook: the application's start-up state back to its value at load.
#pragma once

void app_init_testing_reset();
