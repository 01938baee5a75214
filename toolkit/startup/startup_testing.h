// Test hook: the start-up globals, the host's version record, the kept plug-in level and
// the text directories back to their values at load.
#pragma once

void startup_testing_reset();
