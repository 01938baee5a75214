// Test hook: the collectors' report texts as at load.
#pragma once

void collect_testing_reset();
