// Mutexes, named or not, as Win32 has them: owned by one thread at a time, taken again
// by the owner thread as often as it likes (and released as often), shared between
// processes by name.
//
// A named mutex is a pair of files in the stand-in's mutex folder ($YRL_W32_MUTEX_DIR,
// else /tmp/yrl-w32-mutexes-<uid>): every process with a handle to it holds a shared
// flock on the one, and the owning process an exclusive flock on the other, into which it
// writes its id while it owns the mutex. So a name opens only while some process holds a
// handle, and a process that ends lets go of its handles and its ownership with it; the
// next owner is told WAIT_ABANDONED, as it is when the owner thread ends holding the
// mutex. Names are compared as they are (with case).
//
// CreateMutexA, OpenMutexA and ReleaseMutex consult the fault facility (fault.h).
#pragma once

#include "platform/w32/handle.h"
#include "platform/w32/process.h"
#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD ERROR_NOT_OWNER = 288;
constexpr DWORD MUTEX_ALL_ACCESS = 0x1F0001;

// The folder of named mutexes, and the variable that chooses it.
constexpr char W32_MUTEX_FOLDER_VARIABLE[] = "YRL_W32_MUTEX_DIR";

// Makes the mutex name (null: one without a name, for this process only), or opens it
// when it exists: then the last error is ERROR_ALREADY_EXISTS and initial_owner is not
// heeded; else it is ERROR_SUCCESS and the calling thread owns the new mutex when
// initial_owner is set. Null with the reason on failure: ERROR_INVALID_PARAMETER for
// attributes whose nLength is wrong, ERROR_FILENAME_EXCED_RANGE for a name of MAX_PATH
// characters or more, or the reason the mutex folder gives.
HANDLE CreateMutexA(SECURITY_ATTRIBUTES* attributes, BOOL initial_owner, const char* name);

// Opens the mutex name while some process has a handle to it; null with
// ERROR_FILE_NOT_FOUND when none has, ERROR_INVALID_PARAMETER for a null name. access
// and inherit are not checked.
HANDLE OpenMutexA(DWORD access, BOOL inherit, const char* name);

// Lets go of one taking of the mutex by the owner thread; the mutex is free after the
// last. FALSE with ERROR_NOT_OWNER when the calling thread does not own it,
// ERROR_INVALID_HANDLE for another handle.
BOOL ReleaseMutex(HANDLE mutex);

// For the waits (wait.h): takes the mutex behind a held mutex handle object for the
// calling thread when it is free or the thread owns it: WAIT_OBJECT_0, or
// WAIT_ABANDONED when its last owner ended holding it; WAIT_TIMEOUT when another owns it.
DWORD w32_mutex_try_take(W32HandleObject* object);

// For the end of a thread (thread.h): the named mutexes the ending thread owns are let
// go of with its id left in their files, so that the next owner, in this process or
// another, is told WAIT_ABANDONED.
void w32_mutex_thread_ended(DWORD thread_id);

}  // namespace w32
