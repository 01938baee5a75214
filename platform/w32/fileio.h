// Files by handle: opening or making a file, reading, writing and flushing it, its
// position, size and times. A file handle is closed with CloseHandle (handle.h).
//
// Each function here consults the fault facility (fault.h) under its own name before it
// does anything, so that a test can make any one call fail; CreateFile with its name, so
// that a fault can be armed for one file; WriteFile also for a write cut short.
#pragma once

#include "platform/w32/handle.h"
#include "platform/w32/types.h"

namespace w32 {

// Access rights of CreateFileA.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

// Share modes. They bind among this process's handles of one file (the same device and
// inode, under any of its names): an open is refused with ERROR_SHARING_VIOLATION unless
// it shares the access of every open handle and each of them shares its access; a file
// opened without FILE_SHARE_DELETE is not deleted or renamed while the handle is open.
// Other processes are not bound.
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

// The flag that lets CreateFile open a directory (for its times, or to hold it).
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

// The starting points of SetFilePointer, and its failure value.
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFF;

// Creation dispositions.
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

// Opens the file name (see path.h) for reading, writing or both (access holds
// GENERIC_READ, GENERIC_WRITE or both), at its start:
// - CREATE_NEW makes a new file; ERROR_FILE_EXISTS when it exists;
// - CREATE_ALWAYS makes it, or empties the file that exists (the last error is then
//   ERROR_ALREADY_EXISTS, else ERROR_SUCCESS);
// - OPEN_EXISTING opens it; ERROR_FILE_NOT_FOUND when it is missing;
// - OPEN_ALWAYS opens it, or makes it when it is missing (last error as CREATE_ALWAYS);
// - TRUNCATE_EXISTING opens and empties it; it needs GENERIC_WRITE.
// A new file is read-only when flags hold FILE_ATTRIBUTE_READONLY (file.h). A directory
// opens only with FILE_FLAG_BACKUP_SEMANTICS and OPEN_EXISTING or OPEN_ALWAYS (CREATE_NEW:
// ERROR_FILE_EXISTS; others ERROR_ACCESS_DENIED); its handle serves the size, times and
// closing, and ReadFile, WriteFile, SetFilePointer and SetEndOfFile refuse it with
// ERROR_INVALID_FUNCTION. Other flags, the security attributes and the template are
// ignored. An access of 0 with OPEN_EXISTING gives a handle for queries only (times, size),
// which reads and writes refuse. INVALID_HANDLE_VALUE with the reason:
// ERROR_INVALID_PARAMETER for a null name, another access without read or write or an
// unknown disposition; ERROR_ACCESS_DENIED for a
// directory without the flag or a read-only file opened for writing, made anew or emptied;
// ERROR_SHARING_VIOLATION (see the share modes); the path model's reasons. The descriptor
// behind the handle is not inherited by processes started later.
HANDLE CreateFileA(const char* name, DWORD access, DWORD share_mode, void* security,
                   DWORD disposition, DWORD flags, HANDLE template_file);
HANDLE CreateFileW(const WCHAR* name, DWORD access, DWORD share_mode, void* security,
                   DWORD disposition, DWORD flags, HANDLE template_file);

// Reads up to count bytes at the file's position into buffer and moves the position on;
// *read (when given) gets the bytes read, 0 at the end of the file. FALSE with
// ERROR_INVALID_HANDLE for a handle that is not an open file, ERROR_ACCESS_DENIED for one
// opened without GENERIC_READ, ERROR_INVALID_PARAMETER for a null buffer with a count,
// and the reason of a failing read. The overlapped record is not served and must be null.
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped);

// Writes count bytes of buffer at the file's position and moves the position on;
// *written (when given) gets the bytes written, all of them on success (interrupted
// writes are resumed). A write that fails part-way (ERROR_DISK_FULL, ERROR_FILE_TOO_LARGE,
// ...) has put the bytes it counts in *written. Handle and parameter failures as
// ReadFile, with GENERIC_WRITE.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped);

// Makes everything written through the handle durable. ERROR_INVALID_HANDLE for a
// handle that is not an open file, ERROR_ACCESS_DENIED for one opened without
// GENERIC_WRITE, and the reason of a failing flush. A pipe holds nothing back here: TRUE.
BOOL FlushFileBuffers(HANDLE file);

// Moves the file's position by distance from method's starting point. Without
// distance_high the distance is a signed 32-bit value and the new position must fit 32
// bits; with it, *distance_high holds the high half of a signed 64-bit distance and gets
// that of the new position. The low half of the new position, the last error then
// ERROR_SUCCESS (so that a position of 0xFFFFFFFF is told from a failure);
// INVALID_SET_FILE_POINTER with ERROR_NEGATIVE_SEEK for a position before the start,
// ERROR_INVALID_PARAMETER for an unknown method or a position beyond 32 bits without a
// high half, ERROR_SEEK_ON_DEVICE for a pipe, ERROR_INVALID_HANDLE.
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method);

// Makes the file's position its end: a file is cut there or grows with zero bytes.
// Needs GENERIC_WRITE.
BOOL SetEndOfFile(HANDLE file);

// The file's size: the low half, the high half in *size_high (when given), the last error
// ERROR_SUCCESS; INVALID_FILE_SIZE with ERROR_INVALID_HANDLE. A directory's size is 0.
DWORD GetFileSize(HANDLE file, DWORD* size_high);

// The file's times (each pointer may be null). POSIX keeps no time of making: the time
// of the last status change stands for it, as in the file searches (findfile.h).
BOOL GetFileTime(HANDLE file, FILETIME* creation, FILETIME* access, FILETIME* write);

// Sets the file's times; a null time or one of all ones leaves it alone, and the time of
// making cannot be set (taken and ignored). Needs GENERIC_WRITE.
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write);

// TRUE when a handle of this process is open on the file at the POSIX path posix without
// FILE_SHARE_DELETE, so that the file may be neither deleted nor renamed; for the
// functions of this layer that delete or rename.
BOOL w32_share_blocks_delete(const char* posix);

// For the layer's other objects that are read and written as files (pipes): enters the
// descriptor fd as a file handle with access (GENERIC_READ and/or GENERIC_WRITE); pipe
// tells that fd is one end of a pipe. Null with the last error when the table cannot
// grow; fd is then closed.
HANDLE w32_file_adopt(int fd, DWORD access, BOOL pipe);

// The descriptor of the open file behind handle, held in *held until
// w32_handle_release; -1 with ERROR_INVALID_HANDLE when handle is not an open file (or,
// when pipe_only, not a pipe) opened with one of the access bits.
int w32_file_acquire_descriptor(HANDLE handle, DWORD access, BOOL pipe_only,
                                W32HandleObject** held);

}  // namespace w32
