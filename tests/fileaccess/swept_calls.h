// The stand-in's file functions that the fault sweeps count and fail in turn. Every name
// here must be reached by the fault facility: a test calls each one and fails for a name
// that is never counted.
#pragma once

namespace yrltest {

inline constexpr const char* SWEPT_CALLS[] = {
    "CreateFileA", "CreateFileW", "ReadFile",      "WriteFile",   "FlushFileBuffers",
    "SetFilePointer", "SetEndOfFile", "GetFileSize", "CopyFileA", "CopyFileW",
    "MoveFileA",   "MoveFileExA", "MoveFileW",     "MoveFileExW", "DeleteFileA",
    "DeleteFileW", "GetFileAttributesA", "GetFileAttributesW", "GetFileAttributesExA",
    "FindFirstFileA", "FindNextFileA", "FindFirstFileW", "FindNextFileW", "FindClose",
    "CloseHandle", "fopen",       "_wfopen",       "_open",       "_wopen",
    "_read",       "_write",      "_lseek",        "_chsize",     "_close",
    "_access",     "_waccess",    "rename",        "remove",      "_unlink",
    "_wunlink",    "_stat",       "_wstat",        "_chmod",      "_wchmod",
};

}  // namespace yrltest
