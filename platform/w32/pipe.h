// Anonymous pipes: a read end and a write end, both file handles (fileio.h), closed with
// CloseHandle. ReadFile on a read end gives what is there (waiting for the first byte)
// and fails with ERROR_BROKEN_PIPE once every write end is closed and the pipe is empty;
// WriteFile on a write end whose read ends are all closed fails with ERROR_NO_DATA, and
// never raises SIGPIPE. FlushFileBuffers on a pipe has nothing to do; SetFilePointer
// fails as on every device that does not seek.
//
// CreatePipe and PeekNamedPipe consult the fault facility (fault.h) under their names.
#pragma once

#include <cstddef>

#include "platform/w32/error.h"
#include "platform/w32/handle.h"
#include "platform/w32/process.h"
#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD ERROR_NO_DATA = 232;

// Makes a pipe: *read_end and *write_end get its two handles. The handles are inheritable
// (their descriptors stay open across a program start) when attributes say so; otherwise
// not. size is a hint and not used. FALSE with ERROR_INVALID_PARAMETER for a null result
// or attributes whose nLength is not sizeof(SECURITY_ATTRIBUTES), or the reason the
// system gives.
BOOL CreatePipe(HANDLE* read_end, HANDLE* write_end, SECURITY_ATTRIBUTES* attributes, DWORD size);

// Looks into the read end of a pipe without taking anything: *available (when given)
// gets the bytes that a read would find now; when buffer is given, up to size of them
// are copied there (not taken) and *read gets their count. *left (when given) gets the
// bytes of the current message still unread after that, which for a byte pipe is 0.
// FALSE with ERROR_INVALID_HANDLE for a handle that is not a pipe's read end, and
// ERROR_BROKEN_PIPE when the pipe is empty and every write end is closed.
BOOL PeekNamedPipe(HANDLE pipe, void* buffer, DWORD size, DWORD* read, DWORD* available,
                   DWORD* left);

// Writes count bytes of data to the descriptor fd, holding SIGPIPE back for the call and
// taking away one that came, so that a reader that is gone ends no process. The bytes
// written; *error gets errno of a failing write (EPIPE for a gone reader), else 0. A
// write into a full pipe waits: a cancellation point (cancel.h), where a thread that
// ends lets go of held, the handle object that fd belongs to (when given).
std::size_t w32_pipe_write(int fd, const void* data, std::size_t count, int* error,
                           W32HandleObject* held = nullptr);

// Reads what the pipe fd holds (or a file gives), at most count bytes, waiting for the
// first: the bytes read, 0 at the end, -1 with *error set to errno. The wait is a
// cancellation point, where a thread that ends lets go of held as above.
long w32_pipe_read(int fd, void* buffer, std::size_t count, int* error,
                   W32HandleObject* held = nullptr);

}  // namespace w32
