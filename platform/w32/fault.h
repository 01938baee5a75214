// Faults on demand: a test arms calls of this layer's functions to fail with a chosen code
// (a full disk, a denied access, a name that vanished), to write only part of their data,
// or to run a hook first (a file that vanishes between two calls), so that what the
// callers do when the system refuses can be tested without a real fault. Every call is
// counted, so that a test can run an operation once to learn its calls and then fail each
// in turn.
//
// The functions that consult the facility say so in their header; A, W and run-time forms
// count apart under their own names. An armed failure does nothing else than fail: it sets
// the armed code as the last error (the run-time forms set errno from it, the registry and
// network calls return it) and the function returns its failure value. Arming is in
// fault_testing.h.
//
// The reach, by family (each name is the function's own):
// - files by name: CreateFileA/W, GetFileAttributesA/W, GetFileAttributesExA,
//   SetFileAttributesA/W, CopyFileA/W, MoveFileA/W, MoveFileExA/W, DeleteFileA/W,
//   CreateDirectoryA/W, CreateDirectoryExA, RemoveDirectoryA/W, GetFileSecurityA/W,
//   SetFileSecurityA/W, FindFirstFileA/W (with the pattern), FindFirstChangeNotificationA/W;
// - files by handle: ReadFile, WriteFile, FlushFileBuffers, SetFilePointer, SetEndOfFile,
//   GetFileSize, GetFileTime, SetFileTime, FindNextFileA/W, FindClose, CloseHandle;
// - the run-time's names: fopen, _wfopen, _open, _wopen, _stat, _wstat, _access,
//   _waccess, _chmod, _wchmod, rename, remove, _unlink, _wunlink, _mkdir, _rmdir, _utime,
//   _getcwd, _chdir, _fullpath, _tempnam, and its descriptors: _read, _write, _lseek,
//   _chsize, _close. Streams of fopen do their I/O through ReadFile, WriteFile,
//   SetFilePointer and CloseHandle, so a fault there shows at the flush or the close;
// - the registry: every Reg* call (RegOpenKeyExA, RegCreateKeyExA, RegQueryValueExA,
//   RegSetValueExA, RegDeleteValueA, RegDeleteKeyA, RegEnumKeyExA, RegEnumValueA,
//   RegOpenKeyA, RegCreateKeyA, RegSetKeySecurity, RegCloseKey);
// - drives and volumes: GetLogicalDrives, GetDriveTypeA/W (a fault answers DRIVE_UNKNOWN),
//   GetVolumeInformationA, GetDiskFreeSpaceA, WNetGetConnectionA, WNetOpenEnumA,
//   WNetEnumResourceA, WNetCloseEnum;
// - and the process, thread, clock, console, socket, service and printer calls that say
//   so in their headers. Calls that cannot fail on Win32 (Sleep, GetTickCount, the system
//   time) are counted and run their hooks, but an armed failure leaves them alone or
//   leaves their output untouched.
// A close that is armed to fail (CloseHandle, FindClose, _close) closes all the same and
// reports the failure, as a close that meets a deferred write error does: nothing leaks.
// A write armed to stop part-way (WriteFile, _write) puts the first bytes in the file and
// fails with ERROR_DISK_FULL.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Counts a call of function (its Win32 or run-time name) on name (the file name it was
// given, or null), after running any hook armed for this call. TRUE, with the armed code
// as the last error, when this call was armed to fail; FALSE (the last error untouched)
// otherwise. *write_limit (when given) gets the bytes the call may still transfer when it
// was armed to stop part-way, and is left alone otherwise.
BOOL w32_fault_hit(const char* function, const char* name = nullptr,
                   DWORD* write_limit = nullptr);
BOOL w32_fault_hit(const char* function, const WCHAR* name);

// For the calls that return their result code and leave the last error alone (the
// registry, the network listing): the armed code when this call was armed to fail, else
// ERROR_SUCCESS. The last error is not touched either way.
DWORD w32_fault_code(const char* function, const char* name = nullptr);

}  // namespace w32
