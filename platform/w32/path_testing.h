// Test hooks of the path model.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Sets a drive's current directory to directory, a name in Windows grammar that is
// rooted on that drive ("\a\b" or "/a/b"; "." and ".." folded). FALSE with
// ERROR_INVALID_PARAMETER for a bad letter or a name that is not rooted, and
// ERROR_FILENAME_EXCED_RANGE for one that is too long.
BOOL path_testing_set_directory(char letter, const char* directory);

// The start values: only "C:" mapped, to "/"; "C:" current; every current directory
// "\"; the UNC root "/tmp/yrl-unc".
void path_testing_reset();

}  // namespace w32
