// Test hook of the test-call report: run mode, log, trail name and statistics table back
// to their state at load.
#pragma once

// Closes an open log without writing the statistics and frees a statistics table that
// is still held (through the host, so call it while the host's table is bound).
void testreport_testing_reset();
