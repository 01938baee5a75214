// Test hooks of the fault facility (fault.h).
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// How many faults may be armed at once, and how many functions are counted.
constexpr int W32_FAULT_MAX = 16;
constexpr int W32_FAULT_COUNTED_MAX = 128;

// Arms the n-th call of function from now (1: the next one) to fail with code. Several
// calls, of one function or of several, may be armed at once. FALSE for a null or
// empty function, a name of 32 characters or more, an n below 1, or when W32_FAULT_MAX
// faults are armed already.
BOOL fault_testing_fail_on_call(const char* function, int n, DWORD code);

// Arms the n-th to the m-th call of function from now to fail with code. With a filter,
// only calls on a name that contains it count (a W name is matched in UTF-8). Refusals as
// fault_testing_fail_on_call, also for m below n or a filter of 64 characters or more.
BOOL fault_testing_fail_calls(const char* function, int n, int m, DWORD code,
                              const char* filter = nullptr);

// Arms the n-th call of function (a writing call, see fault_testing_is_writing_call) to
// transfer at most bytes bytes and then fail with ERROR_DISK_FULL, as a disk that fills
// part-way. Streams write through WriteFile, so a stream's flush is cut there.
BOOL fault_testing_short_write(const char* function, int n, DWORD bytes);

// TRUE for the calls that honour fault_testing_short_write: WriteFile and _write.
BOOL fault_testing_is_writing_call(const char* function);

// Runs hook(data) before the n-th call of function from now does anything, outside the
// facility's lock, so that the hook may call the stand-in itself.
BOOL fault_testing_hook_call(const char* function, int n, void (*hook)(void* data), void* data);

// How many calls of function were made since the last reset (counted whether armed or
// not); the first W32_FAULT_COUNTED_MAX names called are counted.
long fault_testing_calls(const char* function);

// The index-th function counted since the last reset (in the order first called) into
// *function (a name that stays valid until the next reset) and its count into *calls:
// TRUE; FALSE past the last one. A sweep runs an operation once, then fails each call of
// each function this lists in turn.
BOOL fault_testing_counted(int index, const char** function, long* calls);

// How many armed faults have not been spent yet.
int fault_testing_armed();

// Disarms every fault and sets every count back to 0.
void fault_testing_reset();

}  // namespace w32
