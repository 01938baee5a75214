// Windows names of POSIX paths: the way back through the path model (path.h).
#pragma once

#include <cstddef>

#include "platform/w32/types.h"

namespace w32 {

// Writes the Windows name of the absolute POSIX path posix into name (capacity bytes,
// terminator included): the drive whose directory holds the path and is the longest
// such (the first letter among equals), then the rest of the path with '\' for '/';
// "C:\" for a drive's root. A relative POSIX path keeps its form with '\' for '/'. Text
// is converted from UTF-8 to the system code page. FALSE with ERROR_PATH_NOT_FOUND when
// no mapped drive holds the path, ERROR_FILENAME_EXCED_RANGE when it does not fit,
// ERROR_INVALID_PARAMETER for null arguments.
BOOL w32_windows_path_from_posix(const char* posix, char* name, std::size_t capacity);

// The same in UTF-16.
BOOL w32_windows_path_from_posix_w(const char* posix, WCHAR* name, std::size_t capacity);

}  // namespace w32
