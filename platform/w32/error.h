// The calling thread's last error code and the codes the stand-in sets.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INVALID_FLAGS = 1004;
constexpr DWORD ERROR_NO_UNICODE_TRANSLATION = 1113;

// As on Win32, each thread has its own code; a function that succeeds leaves it alone
// unless it says otherwise.
DWORD GetLastError();
void SetLastError(DWORD code);

}  // namespace w32
