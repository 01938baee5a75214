// Facts about the system: its default language, the computer's name, the Windows
// version and the processor.
//
// The version and the processor come from configuration, read at each call: a value set
// by a test (system_testing.h) first, else the environment variables
// - YRL_W32_PLATFORM: "nt" (the default; version 5.1, build 2600), "windows" (the 9x
//   line; 4.10, build 2222) or "win32s" (3.10), or a platform id as a decimal number
//   (then with the NT version numbers);
// - YRL_W32_PROCESSOR: "x86" or "intel" (the default), "ia64", "amd64" or "x64", or a
//   processor architecture as a decimal number.
// A value that is none of these counts as unset.
#pragma once

#include <cstddef>

#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

constexpr WORD PROCESSOR_ARCHITECTURE_INTEL = 0;
constexpr WORD PROCESSOR_ARCHITECTURE_IA64 = 6;
constexpr WORD PROCESSOR_ARCHITECTURE_AMD64 = 9;
constexpr WORD PROCESSOR_ARCHITECTURE_UNKNOWN = 0xFFFF;

constexpr DWORD PROCESSOR_INTEL_PENTIUM = 586;
constexpr DWORD PROCESSOR_INTEL_IA64 = 2200;
constexpr DWORD PROCESSOR_AMD_X8664 = 8664;

constexpr char W32_PLATFORM_VARIABLE[] = "YRL_W32_PLATFORM";
constexpr char W32_PROCESSOR_VARIABLE[] = "YRL_W32_PROCESSOR";

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
};
static_assert(sizeof(OSVERSIONINFOA) == 148);

struct OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  char szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
static_assert(offsetof(OSVERSIONINFOEXA, wServicePackMajor) == 148);
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

struct SYSTEM_INFO {
  union {
    DWORD dwOemId;
    struct {
      WORD wProcessorArchitecture;
      WORD wReserved;
    };
  };
  DWORD dwPageSize;
  void* lpMinimumApplicationAddress;
  void* lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
// The natural x86-64 layout: addresses and the mask are pointer-sized.
static_assert(offsetof(SYSTEM_INFO, lpMinimumApplicationAddress) == 8);
static_assert(offsetof(SYSTEM_INFO, dwNumberOfProcessors) == 32);
static_assert(sizeof(SYSTEM_INFO) == 48);

// Fills *info by its dwOSVersionInfoSize, which must be sizeof(OSVERSIONINFOA) or
// sizeof(OSVERSIONINFOEXA) (else FALSE with ERROR_INSUFFICIENT_BUFFER); the service
// pack text is empty. FALSE with ERROR_INVALID_PARAMETER for a null info.
BOOL GetVersionExA(OSVERSIONINFOA* info);

// Fills *info: the configured architecture (in the low word of dwOemId), the page size
// and processor count of this machine (at most 32), and the usual 32-bit address range
// and allocation granularity. A null info is ignored.
void GetSystemInfo(SYSTEM_INFO* info);

// The system's default language id: 0x0409 (U.S. English) unless a test set another.
WORD GetSystemDefaultLangID();

// Writes the computer's name (the host name, as gethostname gives it) and its
// terminator into buffer, which holds *size bytes; TRUE with *size set to the name's
// length. When the buffer is too small (or null with *size 0): FALSE,
// ERROR_BUFFER_OVERFLOW and *size set to the bytes needed, terminator included; nothing
// is written. A null size, or a null buffer with a nonzero size: FALSE,
// ERROR_INVALID_PARAMETER.
BOOL GetComputerNameA(char* buffer, DWORD* size);

// Writes the name of the user this process runs as (the effective POSIX user's login
// name, or its number when the user database has no entry) and its terminator into
// buffer, which holds *size bytes; TRUE with *size set to the bytes written, terminator
// included. A buffer too small: FALSE, ERROR_INSUFFICIENT_BUFFER, *size set to the bytes
// needed. A null size, or a null buffer with a nonzero size: ERROR_INVALID_PARAMETER.
// Consults the fault facility (fault.h).
BOOL GetUserNameA(char* buffer, DWORD* size);

}  // namespace w32
