// The stand-in's file functions that the fault sweeps count and fail in turn.
#pragma once

namespace yrltest {

inline constexpr const char* SWEPT_CALLS[] = {
    "CreateFileA", "CreateFileW", "ReadFile",      "WriteFile",   "FlushFileBuffers",
    "SetFilePointer", "SetEndOfFile", "GetFileSize", "CopyFileA", "CopyFileW",
    "MoveFileA",   "MoveFileExA", "MoveFileW",     "MoveFileExW", "DeleteFileA",
    "DeleteFileW", "GetFileAttributesA", "GetFileAttributesW", "GetFileAttributesExA",
    "FindFirstFileA", "FindNextFileA", "FindFirstFileW", "FindNextFileW", "fopen",
    "_wfopen",     "_open",       "_wopen",        "_access",     "_waccess",
    "rename",      "remove",      "_unlink",       "_wunlink",    "_stat",
    "_wstat",      "_chmod",      "_wchmod",
};

}  // namespace yrltest
