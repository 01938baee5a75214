// Files by handle: opening or making a file, reading, writing and flushing it. A file
// handle is closed with CloseHandle (handle.h).
//
// Each function here consults the fault facility (fault.h) under its own name before it
// does anything, so that a test can make any one call fail.
#pragma once

#include "platform/w32/handle.h"
#include "platform/w32/types.h"

namespace w32 {

// Access rights of CreateFileA.
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

// Share modes; taken and not enforced: files here are never locked against each other.
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

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
// A new file is read-only when flags hold FILE_ATTRIBUTE_READONLY (file.h); other flags, the
// security attributes and the template are ignored. INVALID_HANDLE_VALUE with the
// reason: ERROR_INVALID_PARAMETER for a null name, an access without read or write or
// an unknown disposition; ERROR_ACCESS_DENIED for a directory or a read-only file opened
// for writing; the path model's reasons.
HANDLE CreateFileA(const char* name, DWORD access, DWORD share_mode, void* security,
                   DWORD disposition, DWORD flags, HANDLE template_file);

// Reads up to count bytes at the file's position into buffer and moves the position on;
// *read (when given) gets the bytes read, 0 at the end of the file. FALSE with
// ERROR_INVALID_HANDLE for a handle that is not an open file, ERROR_ACCESS_DENIED for one
// opened without GENERIC_READ, ERROR_INVALID_PARAMETER for a null buffer with a count,
// and the reason of a failing read. The overlapped record is not served and must be null.
BOOL ReadFile(HANDLE file, void* buffer, DWORD count, DWORD* read, void* overlapped);

// Writes count bytes of buffer at the file's position and moves the position on;
// *written (when given) gets the bytes written, all of them on success. A write that
// fails part-way (ERROR_DISK_FULL, ERROR_FILE_TOO_LARGE, ...) has put the bytes it
// counts in *written. Handle and parameter failures as ReadFile, with GENERIC_WRITE.
BOOL WriteFile(HANDLE file, const void* buffer, DWORD count, DWORD* written, void* overlapped);

// Moves the position of a file: to distance (with *distance_high as the upper 32 bits when
// given) from the start (FILE_BEGIN), the position (FILE_CURRENT) or the end (FILE_END).
// The low 32 bits of the new position, the upper ones in *distance_high; on failure
// INVALID_SET_FILE_POINTER with the reason: ERROR_INVALID_HANDLE for a handle that is
// not an open file, ERROR_INVALID_PARAMETER for an unknown method, ERROR_NEGATIVE_SEEK
// for a position before the start, ERROR_SEEK_ON_DEVICE for a pipe.
constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFF;
constexpr DWORD ERROR_NEGATIVE_SEEK = 131;
constexpr DWORD ERROR_SEEK_ON_DEVICE = 132;
DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distance_high, DWORD method);

// Makes everything written through the handle durable. ERROR_INVALID_HANDLE for a
// handle that is not an open file, ERROR_ACCESS_DENIED for one opened without
// GENERIC_WRITE, and the reason of a failing flush. A pipe holds nothing back here: TRUE.
BOOL FlushFileBuffers(HANDLE file);

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
