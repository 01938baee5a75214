// The temporary directory and unique temporary file names.
#pragma once

#include "platform/w32/file.h"
#include "platform/w32/types.h"

namespace w32 {

// The directory for temporary files, ending in '\': the value of TMP, else TEMP (each
// a Windows name, taken as it stands), else TMPDIR (a POSIX path) as its Windows name,
// else the Windows name of "/tmp". When it and its terminator fit in size bytes:
// copied, and its length is returned; otherwise the size needed, terminator included,
// nothing copied. 0 with the reason when no name can be made.
DWORD GetTempPathA(DWORD size, char* buffer);

// Makes the name "<path>\<prefix><hex>.tmp" in name (which must hold MAX_PATH bytes):
// at most the first three characters of prefix, and the unique number in upper-case
// hexadecimal. With unique 0 the number is chosen (from the time, then counting up,
// never 0) so that no such file exists, the empty file is made, and the number is
// returned; with another unique the name is only formed and unique is returned. 0 on
// failure: ERROR_DIRECTORY when path is no directory, ERROR_BUFFER_OVERFLOW when the
// name would not fit MAX_PATH, ERROR_FILE_EXISTS when every number is taken,
// ERROR_INVALID_PARAMETER for null arguments.
UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique, char* name);

}  // namespace w32
