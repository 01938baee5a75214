// Threads of this process over pthreads: starting one, its exit code, its id, ending it
// from inside or from outside. A thread handle is closed with CloseHandle and waited for
// with WaitForSingleObject or WaitForMultipleObjects (wait.h).
//
// CreateThread and TerminateThread consult the fault facility (fault.h).
#pragma once

#include <cstddef>

#include "platform/w32/process.h"
#include "platform/w32/types.h"

namespace w32 {

typedef DWORD (*LPTHREAD_START_ROUTINE)(void* parameter);

// Starts start(parameter) on a new thread; its return value becomes the thread's exit
// code. *thread_id (when given) gets the new thread's id, a 32-bit number. stack_size is a
// hint: 0 takes the default. CREATE_SUSPENDED is refused with ERROR_NOT_SUPPORTED; the
// security attributes, when given, must have nLength sizeof(SECURITY_ATTRIBUTES) (else
// ERROR_INVALID_PARAMETER), as must a null start. Null with the reason on failure.
HANDLE CreateThread(SECURITY_ATTRIBUTES* attributes, std::size_t stack_size,
                    LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags, DWORD* thread_id);

// Ends the calling thread with exit_code, running the cleanup of a thread's cancellation
// on the way (C++ destructors of its frames run).
[[noreturn]] void ExitThread(DWORD exit_code);

// STILL_ACTIVE while the thread runs, else the code it ended with. FALSE with
// ERROR_INVALID_HANDLE for another handle, ERROR_INVALID_PARAMETER for a null result.
BOOL GetExitCodeThread(HANDLE thread, DWORD* exit_code);

// The calling thread's id (the kernel's thread id; the main thread's is the process id).
DWORD GetCurrentThreadId();

// The pseudo handle of the calling thread ((HANDLE)-2): it needs no closing and names the
// caller wherever a thread handle is taken.
HANDLE GetCurrentThread();

// Asks the thread to end at its next cancellation point (a wait, a sleep, a read: POSIX
// deferred cancellation, unlike Win32's immediate end; see cancel.h for what the layer's
// waits let go of then) and records exit_code as its exit code. TRUE when asked, also for a thread that has ended already (its code stays);
// FALSE with ERROR_INVALID_HANDLE for another handle.
BOOL TerminateThread(HANDLE thread, DWORD exit_code);

// For the waits (wait.h): whether the thread behind a held thread handle object ended.
bool w32_thread_ended(W32HandleObject* object);

}  // namespace w32
