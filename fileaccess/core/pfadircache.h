// Dropping directory-cache entries after a change to the file system. The cache itself
// is not kept yet: a refresh only records the name it was given, for the tests of the
// callers that must refresh.
#pragma once

namespace vek {

// Drops the cache entry of the directory that holds name (a narrow file name). Always 0.
int pfa_file_name_update_dir_cache(const char* name);

}  // namespace vek
