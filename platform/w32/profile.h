// The profile (win.ini) as NT keeps it: in the registry store. The sections "windows",
// "devices" and "PrinterPorts" are the keys of the same names below
// HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion, as NT maps them; every
// other section is the key of its name below W32_PROFILE_OTHER_KEY (NT would keep it in
// a file). A profile entry is a REG_SZ value of its key.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr char W32_PROFILE_NT_KEY[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char W32_PROFILE_OTHER_KEY[] = "Software\\Yrl\\W32\\win.ini";

// Copies the entry key of section app into buffer (size bytes), or default_value when it
// is missing (null: empty); a null key gives the names of the section's entries, a null
// app the names of the sections mapped here, each terminated, with one more terminator
// at the end. Text that does not fit is cut to size - 1 bytes (a list to size - 2, with
// two terminators). Returns the bytes copied without the last terminator. Consults the
// fault facility (fault.h): an armed call gives 0 and an empty buffer.
DWORD GetProfileStringA(const char* app, const char* key, const char* default_value,
                        char* buffer, DWORD size);

}  // namespace w32
