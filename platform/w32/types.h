// The Win32 scalar types that the stand-in's functions take and return.
#pragma once

#include <cstdint>

namespace w32 {

typedef int BOOL;
typedef std::uint8_t BYTE;
typedef std::uint16_t WORD;
typedef std::uint32_t DWORD;
typedef std::uint32_t UINT;
typedef std::int32_t LONG;
// Wide text is UTF-16 on every platform, as on Win32.
typedef char16_t WCHAR;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

// Pointer-sized values and the opaque handles.
typedef std::uintptr_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef void* HANDLE;
typedef void* HLOCAL;
struct HWND__;
typedef HWND__* HWND;

// The value that handle-returning calls give on failure; a constant folded at compile
// time, so it needs no initialiser at load.
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// The Win32 limit of a path, terminator included.
constexpr DWORD MAX_PATH = 260;

// A point in time: 100-nanosecond intervals since 1601-01-01 UTC, in two halves.
struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
static_assert(sizeof(FILETIME) == 8);

// What the calls that make an object take of its security: kept to be passed on, never
// read. The size is that of Win32's 64-bit record, as callers pass sizeof.
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  void* lpSecurityDescriptor;
  BOOL bInheritHandle;
};
static_assert(sizeof(SECURITY_ATTRIBUTES) == 24);

// Result codes of the process, search, file and registry functions, beside those in
// error.h.
constexpr DWORD ERROR_NOT_SAME_DEVICE = 17;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
constexpr DWORD ERROR_BAD_LENGTH = 24;
constexpr DWORD ERROR_SHARING_VIOLATION = 32;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;
constexpr DWORD ERROR_FILE_EXISTS = 80;
constexpr DWORD ERROR_DISK_FULL = 112;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;
constexpr DWORD ERROR_BAD_EXE_FORMAT = 193;
constexpr DWORD ERROR_ENVVAR_NOT_FOUND = 203;
constexpr DWORD ERROR_FILE_TOO_LARGE = 223;
constexpr DWORD ERROR_DIRECTORY = 267;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_KEY_DELETED = 1018;

}  // namespace w32
