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

}  // namespace w32
