// Test hook: empties every forwarding function's slot, as at load.
#pragma once

void binding_testing_reset();
