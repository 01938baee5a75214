// Files by name: attributes, copying, moving, deletion, and the process's error mode.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
constexpr DWORD MOVEFILE_COPY_ALLOWED = 0x2;
constexpr DWORD MOVEFILE_WRITE_THROUGH = 0x8;

constexpr UINT SEM_FAILCRITICALERRORS = 0x1;
constexpr UINT SEM_NOGPFAULTERRORBOX = 0x2;
constexpr UINT SEM_NOOPENFILEERRORBOX = 0x8000;

// The attributes of the file or directory that name (see path.h) stands for:
// DIRECTORY for a directory, ARCHIVE for a regular file, READONLY when its owner may
// not write it, HIDDEN when its last component begins with '.', NORMAL when none of
// these applies. INVALID_FILE_ATTRIBUTES with the reason in GetLastError when the name
// does not resolve or cannot be examined: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED, ERROR_INVALID_NAME ..., ERROR_INVALID_PARAMETER for a null name.
DWORD GetFileAttributesA(const char* name);
DWORD GetFileAttributesW(const WCHAR* name);

// The attributes, as GetFileAttributesA gives them, of a POSIX path; for the functions
// of this layer that have already resolved a name.
DWORD w32_attributes_of_posix(const char* posix);

// Copies the file existing to new_name (both through the path model): its bytes, its
// permission bits and its modification time. With fail_if_exists an existing new_name
// is kept and the call fails with ERROR_FILE_EXISTS; otherwise it is replaced, unless
// it is read-only or a directory (ERROR_ACCESS_DENIED). Copying a file onto itself is
// refused with ERROR_SHARING_VIOLATION, so that it is never cut short. When the copy
// fails part-way, the partial new file is removed. ERROR_INVALID_PARAMETER for null
// names; a missing or directory source: ERROR_FILE_NOT_FOUND or ERROR_ACCESS_DENIED.
BOOL CopyFileA(const char* existing, const char* new_name, BOOL fail_if_exists);

// Moves the file or directory existing to new_name (both through the path model). An
// existing new_name is kept and the call fails with ERROR_ALREADY_EXISTS, unless flags
// hold MOVEFILE_REPLACE_EXISTING: a file is then replaced in one step, so that new_name
// names either the old or the new file at every moment; a directory or a read-only file
// is never replaced (ERROR_ACCESS_DENIED). A file moves to another file system only with
// MOVEFILE_COPY_ALLOWED (copied, then deleted), else ERROR_NOT_SAME_DEVICE. With
// MOVEFILE_WRITE_THROUGH the new name is made durable before the call returns (a
// failure to flush the directory is not reported: the file has moved). A missing
// existing: ERROR_FILE_NOT_FOUND; null names: ERROR_INVALID_PARAMETER. Consults the
// fault facility (fault.h).
BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags);

// Deletes the file name. FALSE with ERROR_ACCESS_DENIED for a directory or a read-only
// file, ERROR_FILE_NOT_FOUND when it does not exist, and the path model's reasons.
BOOL DeleteFileA(const char* name);

// Sets the process's error mode and returns the one before. Nothing here shows a
// dialog, so the mode is only kept.
UINT SetErrorMode(UINT mode);

}  // namespace w32
