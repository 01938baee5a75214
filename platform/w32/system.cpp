#include "platform/w32/system.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/system_testing.h"

namespace w32 {

namespace {

constexpr WORD kDefaultLangId = 0x0409;

WORD g_default_lang_id = kDefaultLangId;

// Values set by a test; -1 when none is set.
long g_platform = -1;
long g_processor = -1;
// The user name a test set; empty: the effective user's.
constexpr std::size_t kUserNameSize = 257;
char g_user_name[kUserNameSize] = "";
// The computer name a test set; empty: the host name.
char g_computer_name[HOST_NAME_MAX + 1] = "";

// A decimal number that fits limit, or -1.
long parse_number(const char* text, long limit) {
  if (text[0] == '\0') return -1;
  long value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return -1;
    value = value * 10 + (*c - '0');
    if (value > limit) return -1;
  }
  return value;
}

// A configured value: the test's, else the variable read through names (a table of
// name and value, ended by a null name) or as a number, else fallback.
long configured(long set, const char* variable, const char* const* names, const long* values,
                long limit, long fallback) {
  if (set >= 0) return set;
  const char* text = std::getenv(variable);
  if (text == nullptr) return fallback;
  for (int i = 0; names[i] != nullptr; ++i)
    if (std::strcmp(text, names[i]) == 0) return values[i];
  long number = parse_number(text, limit);
  return number >= 0 ? number : fallback;
}

DWORD platform_id() {
  static const char* const kNames[] = {"nt", "windows", "win32s", nullptr};
  static const long kValues[] = {VER_PLATFORM_WIN32_NT, VER_PLATFORM_WIN32_WINDOWS,
                                 VER_PLATFORM_WIN32s};
  return static_cast<DWORD>(configured(g_platform, W32_PLATFORM_VARIABLE, kNames, kValues,
                                       0xFFFFFFFFL, VER_PLATFORM_WIN32_NT));
}

WORD processor_architecture() {
  static const char* const kNames[] = {"x86", "intel", "ia64", "amd64", "x64", nullptr};
  static const long kValues[] = {PROCESSOR_ARCHITECTURE_INTEL, PROCESSOR_ARCHITECTURE_INTEL,
                                 PROCESSOR_ARCHITECTURE_IA64, PROCESSOR_ARCHITECTURE_AMD64,
                                 PROCESSOR_ARCHITECTURE_AMD64};
  return static_cast<WORD>(configured(g_processor, W32_PROCESSOR_VARIABLE, kNames, kValues, 0xFFFF,
                                      PROCESSOR_ARCHITECTURE_INTEL));
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info) {
  if (info == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = info->dwOSVersionInfoSize;
  if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  DWORD platform = platform_id();
  info->dwPlatformId = platform;
  switch (platform) {
    case VER_PLATFORM_WIN32_WINDOWS:
      info->dwMajorVersion = 4;
      info->dwMinorVersion = 10;
      info->dwBuildNumber = 2222;
      break;
    case VER_PLATFORM_WIN32s:
      info->dwMajorVersion = 3;
      info->dwMinorVersion = 10;
      info->dwBuildNumber = 0;
      break;
    default:
      info->dwMajorVersion = 5;
      info->dwMinorVersion = 1;
      info->dwBuildNumber = 2600;
      break;
  }
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (size == sizeof(OSVERSIONINFOEXA)) {
    // The record is the larger one, as its size says.
    OSVERSIONINFOEXA* ex = reinterpret_cast<OSVERSIONINFOEXA*>(info);
    ex->wServicePackMajor = 0;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0;
    ex->wProductType = 1;  // a workstation
    ex->wReserved = 0;
  }
  return TRUE;
}

void GetSystemInfo(SYSTEM_INFO* info) {
  if (info == nullptr) return;
  std::memset(info, 0, sizeof *info);
  WORD architecture = processor_architecture();
  info->wProcessorArchitecture = architecture;
  long page = sysconf(_SC_PAGESIZE);
  info->dwPageSize = page > 0 ? static_cast<DWORD>(page) : 4096;
  info->lpMinimumApplicationAddress = reinterpret_cast<void*>(std::uintptr_t{0x10000});
  info->lpMaximumApplicationAddress = reinterpret_cast<void*>(std::uintptr_t{0x7FFEFFFF});
  long processors = sysconf(_SC_NPROCESSORS_ONLN);
  if (processors < 1) processors = 1;
  if (processors > 32) processors = 32;
  info->dwNumberOfProcessors = static_cast<DWORD>(processors);
  info->dwActiveProcessorMask =
      processors == 32 ? DWORD_PTR{0xFFFFFFFF} : (DWORD_PTR{1} << processors) - 1;
  switch (architecture) {
    case PROCESSOR_ARCHITECTURE_IA64:
      info->dwProcessorType = PROCESSOR_INTEL_IA64;
      info->wProcessorLevel = 7;
      break;
    case PROCESSOR_ARCHITECTURE_AMD64:
      info->dwProcessorType = PROCESSOR_AMD_X8664;
      info->wProcessorLevel = 6;
      break;
    default:
      info->dwProcessorType = PROCESSOR_INTEL_PENTIUM;
      info->wProcessorLevel = 6;
      break;
  }
  info->dwAllocationGranularity = 0x10000;
}

WORD GetSystemDefaultLangID() { return g_default_lang_id; }

BOOL GetComputerNameA(char* buffer, DWORD* size) {
  if (size == nullptr || (buffer == nullptr && *size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char name[HOST_NAME_MAX + 1];
  std::strcpy(name, g_computer_name);
  if (name[0] == '\0' && gethostname(name, sizeof name) != 0) {
    SetLastError(w32_error_from_errno(errno));
    return FALSE;
  }
  // POSIX leaves the name unterminated when it was cut.
  name[HOST_NAME_MAX] = '\0';
  DWORD length = static_cast<DWORD>(std::strlen(name));
  if (*size <= length) {
    *size = length + 1;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(buffer, name, length + 1);
  *size = length;
  return TRUE;
}

BOOL GetUserNameA(char* buffer, DWORD* size) {
  if (w32_fault_hit("GetUserNameA")) return FALSE;
  if (size == nullptr || (buffer == nullptr && *size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char name[kUserNameSize];
  if (g_user_name[0] != '\0') {
    std::strcpy(name, g_user_name);
  } else {
    passwd entry;
    passwd* found = nullptr;
    char text[4096];
    if (getpwuid_r(geteuid(), &entry, text, sizeof text, &found) == 0 && found != nullptr &&
        std::strlen(found->pw_name) < sizeof name)
      std::strcpy(name, found->pw_name);
    else
      std::snprintf(name, sizeof name, "%u", static_cast<unsigned>(geteuid()));
  }
  DWORD needed = static_cast<DWORD>(std::strlen(name)) + 1;
  if (*size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, name, needed);
  *size = needed;
  return TRUE;
}

void system_testing_set_user_name(const char* name) {
  if (name == nullptr || std::strlen(name) >= kUserNameSize) name = "";
  std::strcpy(g_user_name, name);
}

void system_testing_set_computer_name(const char* name) {
  if (name == nullptr || std::strlen(name) >= sizeof g_computer_name) name = "";
  std::strcpy(g_computer_name, name);
}

void system_testing_set_default_lang_id(WORD lang_id) { g_default_lang_id = lang_id; }

void system_testing_set_platform(DWORD platform_id) { g_platform = static_cast<long>(platform_id); }

void system_testing_set_processor(WORD architecture) { g_processor = architecture; }

void system_testing_reset() {
  g_default_lang_id = kDefaultLangId;
  g_platform = -1;
  g_processor = -1;
  g_user_name[0] = '\0';
  g_computer_name[0] = '\0';
}

}  // namespace w32
