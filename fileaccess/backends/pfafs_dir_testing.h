// Test hook of the local directories (pfafs_dir.h).
#pragma once

namespace vek {

// Forgets the application-data type of listing indexes (registered again on next use).
void pfafs_dir_testing_reset();

}  // namespace vek
