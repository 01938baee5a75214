// Files by name: attributes, copying, moving, deletion, directories, and the process's
// error mode.
//
// Every function with a name consults the fault facility (fault.h) under its own name,
// with its (first) name, before it does anything; the A and W forms count apart. The
// functions on POSIX paths (w32_*_posix) serve calls that have consulted it already.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_SYSTEM = 0x4;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
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
// these applies. A symbolic link is REPARSE_POINT, with the other bits of what it leads
// to (DIRECTORY when that is a directory); a dangling link is REPARSE_POINT alone. INVALID_FILE_ATTRIBUTES with the reason in GetLastError when the name
// does not resolve or cannot be examined: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND,
// ERROR_ACCESS_DENIED, ERROR_INVALID_NAME ..., ERROR_INVALID_PARAMETER for a null name.
DWORD GetFileAttributesA(const char* name);
DWORD GetFileAttributesW(const WCHAR* name);

// The attributes, times and size of name in one call (level GetFileExInfoStandard):
// the attributes as GetFileAttributesA gives them, the last status change standing for
// the time of making, and 0 for the size of a directory. FALSE with the reasons of
// GetFileAttributesA, ERROR_INVALID_PARAMETER for another level or a null record.
constexpr int GetFileExInfoStandard = 0;
struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};
BOOL GetFileAttributesExA(const char* name, int level, void* information);
// The same for a POSIX path, for the functions of this layer that have resolved a name
// (no fault consulted).
BOOL w32_attribute_data_of_posix(const char* posix, WIN32_FILE_ATTRIBUTE_DATA* data);

// The attributes, as GetFileAttributesA gives them, of a POSIX path; for the functions
// of this layer that have already resolved a name.
DWORD w32_attributes_of_posix(const char* posix);

// Sets the attributes of name: READONLY takes the owner's write bit away, its absence
// gives it back, and nothing else of the mode changes, so that setting and clearing it
// restores the exact mode; HIDDEN follows the name and is not set; other attributes are
// taken and ignored. FALSE with the reasons of GetFileAttributesA, or the reason chmod
// fails (ERROR_ACCESS_DENIED for another user's file).
BOOL SetFileAttributesA(const char* name, DWORD attributes);
BOOL SetFileAttributesW(const WCHAR* name, DWORD attributes);

// Copies the file existing to new_name (both through the path model): its bytes, its
// permission bits and its modification time. With fail_if_exists an existing new_name
// is kept and the call fails with ERROR_FILE_EXISTS; otherwise it is replaced, unless
// it is read-only or a directory (ERROR_ACCESS_DENIED). Copying a file onto itself is
// refused with ERROR_SHARING_VIOLATION, so that it is never cut short. When the copy
// fails part-way, the partial new file is removed. ERROR_INVALID_PARAMETER for null
// names; a missing or directory source: ERROR_FILE_NOT_FOUND or ERROR_ACCESS_DENIED.
BOOL CopyFileA(const char* existing, const char* new_name, BOOL fail_if_exists);
BOOL CopyFileW(const WCHAR* existing, const WCHAR* new_name, BOOL fail_if_exists);

// Moves the file or directory existing to new_name (both through the path model). An
// existing new_name is kept and the call fails with ERROR_ALREADY_EXISTS, unless flags
// hold MOVEFILE_REPLACE_EXISTING: a file is then replaced in one step, so that new_name
// names either the old or the new file at every moment; a directory or a read-only file
// is never replaced (ERROR_ACCESS_DENIED). A file moves to another file system only with
// MOVEFILE_COPY_ALLOWED (copied, then deleted), else ERROR_NOT_SAME_DEVICE. With
// MOVEFILE_WRITE_THROUGH the new name is made durable before the call returns (a
// failure to flush the directory is not reported: the file has moved). A missing
// existing: ERROR_FILE_NOT_FOUND; null names: ERROR_INVALID_PARAMETER; either file held
// open without FILE_SHARE_DELETE (fileio.h): ERROR_SHARING_VIOLATION. MoveFileA and
// MoveFileW are the Ex forms with no flags.
BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags);
BOOL MoveFileExW(const WCHAR* existing, const WCHAR* new_name, DWORD flags);
BOOL MoveFileA(const char* existing, const char* new_name);
BOOL MoveFileW(const WCHAR* existing, const WCHAR* new_name);

// Deletes the file name (a symbolic link itself, never what it leads to). FALSE with
// ERROR_ACCESS_DENIED for a directory or a read-only file, ERROR_FILE_NOT_FOUND when it
// does not exist, ERROR_SHARING_VIOLATION when it is held open without FILE_SHARE_DELETE,
// and the path model's reasons.
BOOL DeleteFileA(const char* name);
BOOL DeleteFileW(const WCHAR* name);

// Makes the directory name; the security attributes are taken and ignored (the mode is
// 0777 less the umask). ERROR_ALREADY_EXISTS when the name exists (file or directory),
// ERROR_PATH_NOT_FOUND when its parent does not. CreateDirectoryExA gives the new
// directory the permission bits of template_directory (ERROR_DIRECTORY when that is no
// directory).
BOOL CreateDirectoryA(const char* name, SECURITY_ATTRIBUTES* security);
BOOL CreateDirectoryW(const WCHAR* name, SECURITY_ATTRIBUTES* security);
BOOL CreateDirectoryExA(const char* template_directory, const char* name,
                        SECURITY_ATTRIBUTES* security);

// Removes the empty directory name. ERROR_DIR_NOT_EMPTY when it holds anything,
// ERROR_DIRECTORY for a file (or a link), ERROR_SHARING_VIOLATION when it is held open
// without FILE_SHARE_DELETE, ERROR_FILE_NOT_FOUND, and the path model's reasons.
BOOL RemoveDirectoryA(const char* name);
BOOL RemoveDirectoryW(const WCHAR* name);

// DeleteFileA, CreateDirectoryA, RemoveDirectoryA and SetFileAttributesA on a POSIX
// path, for the functions of this layer that have already resolved a name (they consult
// no fault).
BOOL w32_delete_file_posix(const char* posix);
BOOL w32_create_directory_posix(const char* posix);
BOOL w32_remove_directory_posix(const char* posix);
BOOL w32_set_attributes_posix(const char* posix, DWORD attributes);

// Sets the process's error mode and returns the one before. Nothing here shows a
// dialog, so the mode is only kept.
UINT SetErrorMode(UINT mode);

}  // namespace w32
