#include "platform/w32/error.h"

#include "platform/w32/error_testing.h"

namespace w32 {

namespace {

// Per thread, like the Win32 value: a worker thread's failure never overwrites the code
// that another thread is about to read. Constant-initialised, so it needs no constructor.
thread_local DWORD t_last_error = ERROR_SUCCESS;

}  // namespace

DWORD GetLastError() { return t_last_error; }

void SetLastError(DWORD code) { t_last_error = code; }

void error_testing_reset() { t_last_error = ERROR_SUCCESS; }

}  // namespace w32
