// Kernel handles: one table for every object the stand-in hands out as a HANDLE
// (processes and their main threads, process snapshots, file searches, open files), and
// CloseHandle.
//
// A handle names a slot of the table and the serial number of the opening, so a handle
// that was closed stays refused even when its slot is reused. Objects are counted: a
// call that works on an object holds it (w32_handle_acquire) until it is done, so that
// another thread closing the handle meanwhile never frees it under the call.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// The kinds of object, as bits, so that a lookup can accept several.
constexpr unsigned W32_HANDLE_PROCESS = 0x1;
constexpr unsigned W32_HANDLE_THREAD = 0x2;
constexpr unsigned W32_HANDLE_SNAPSHOT = 0x4;
constexpr unsigned W32_HANDLE_FIND = 0x8;
constexpr unsigned W32_HANDLE_FILE = 0x10;
constexpr unsigned W32_HANDLE_NET_ENUM = 0x20;
constexpr unsigned W32_HANDLE_TOKEN = 0x40;
constexpr unsigned W32_HANDLE_CHANGE = 0x80;
constexpr unsigned W32_HANDLE_LOCAL_THREAD = 0x100;  // a thread of this process (thread.h)
constexpr unsigned W32_HANDLE_MUTEX = 0x200;
constexpr unsigned W32_HANDLE_SERVICE = 0x400;   // closed by CloseServiceHandle only
constexpr unsigned W32_HANDLE_PRINTER = 0x800;  // closed by ClosePrinter only

// The common head of every object behind a handle. destroy frees the object when the
// last handle is closed and the last holder has let go; refs is kept by the table.
struct W32HandleObject {
  void (*destroy)(W32HandleObject* object);
  int refs;
};

// Enters object into the table under kind (one W32_HANDLE_* bit) and counts one
// reference for the new handle. Null with ERROR_NOT_ENOUGH_MEMORY when the table
// cannot grow; the object is then left to the caller.
HANDLE w32_handle_open(W32HandleObject* object, unsigned kind);

// The object behind handle, held for the caller, when the handle is open and of one of
// the kinds; null with ERROR_INVALID_HANDLE otherwise. *kind (when given) gets the
// handle's kind.
W32HandleObject* w32_handle_acquire(HANDLE handle, unsigned kinds, unsigned* kind = nullptr);

// Lets go of an object held by w32_handle_acquire.
void w32_handle_release(W32HandleObject* object);

// Closes handle when it is open and of one of the kinds: TRUE; FALSE with
// ERROR_INVALID_HANDLE otherwise.
BOOL w32_handle_close(HANDLE handle, unsigned kinds);

// Closes a process, thread, snapshot, file, access-token or mutex handle. A search handle
// is closed by FindClose only, as on Win32; null, INVALID_HANDLE_VALUE, closed and unknown
// handles are refused with ERROR_INVALID_HANDLE. Consults the fault facility (fault.h);
// an armed failure closes the handle all the same and answers FALSE.
BOOL CloseHandle(HANDLE handle);

}  // namespace w32
