// Files by name: attributes, and the process's error mode.
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

// Sets the process's error mode and returns the one before. Nothing here shows a
// dialog, so the mode is only kept.
UINT SetErrorMode(UINT mode);

}  // namespace w32
