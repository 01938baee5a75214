// Test hooks of the dates, clocks and random numbers (dates.h, clocks.h).
#pragma once

namespace vek {

// Forgets the kept date-note format, the mktime cache and the offset of now.
void dates_testing_reset();
// Forgets that the random generator was seeded.
void clocks_testing_reset();

}  // namespace vek
