#include "platform/w32/profile.h"

#include <cstring>
#include <string>

#include "platform/w32/ascii.h"
#include "platform/w32/fault.h"
#include "platform/w32/registry.h"

namespace w32 {

namespace {

constexpr const char* kNtSections[] = {"windows", "devices", "PrinterPorts"};

std::string section_key(const char* app) {
  for (const char* section : kNtSections) {
    std::size_t length = std::strlen(section);
    if (std::strlen(app) == length && equal_ascii_folded(section, app, length))
      return std::string(W32_PROFILE_NT_KEY) + "\\" + section;
  }
  return std::string(W32_PROFILE_OTHER_KEY) + "\\" + app;
}

// Copies text into buffer, cut to size - 1; the bytes copied.
DWORD copy_text(const std::string& text, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  DWORD length = text.size() < size ? static_cast<DWORD>(text.size()) : size - 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

// Copies a list of names, each terminated, and a final terminator; the bytes before the
// final one. A list that does not fit is cut to size - 2 bytes and two terminators.
DWORD copy_list(const std::string& list, char* buffer, DWORD size) {
  if (buffer == nullptr || size == 0) return 0;
  if (list.size() < size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(list.size());
  }
  DWORD length = size >= 2 ? size - 2 : 0;
  std::memcpy(buffer, list.data(), length);
  buffer[length] = '\0';
  if (size >= 2) buffer[length + 1] = '\0';
  return length;
}

// The names of the keys below or the values of key, each followed by a terminator.
std::string names_of(HKEY key, bool values) {
  std::string list;
  char name[1024];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    LONG code = values ? RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr)
                       : RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (code != 0) break;
    list.append(name, size).push_back('\0');
  }
  return list;
}

}  // namespace

DWORD GetProfileStringA(const char* app, const char* key, const char* default_value, char* buffer,
                        DWORD size) {
  if (w32_fault_hit("GetProfileStringA")) {
    if (buffer != nullptr && size > 0) buffer[0] = '\0';
    return 0;
  }
  HKEY section = nullptr;
  if (app == nullptr) {
    std::string list;
    HKEY nt = nullptr;
    for (const char* name : kNtSections) {
      if (RegOpenKeyExA(HKEY_CURRENT_USER, section_key(name).c_str(), 0, KEY_READ, &nt) == 0) {
        list.append(name).push_back('\0');
        RegCloseKey(nt);
      }
    }
    if (RegOpenKeyExA(HKEY_CURRENT_USER, W32_PROFILE_OTHER_KEY, 0, KEY_READ, &section) == 0) {
      list += names_of(section, false);
      RegCloseKey(section);
    }
    return copy_list(list, buffer, size);
  }
  bool open =
      RegOpenKeyExA(HKEY_CURRENT_USER, section_key(app).c_str(), 0, KEY_READ, &section) == 0;
  if (key == nullptr) {
    std::string list = open ? names_of(section, true) : std::string();
    if (open) RegCloseKey(section);
    return copy_list(list, buffer, size);
  }
  std::string value = default_value != nullptr ? default_value : "";
  if (open) {
    DWORD type = 0;
    DWORD length = 0;
    if (RegQueryValueExA(section, key, nullptr, &type, nullptr, &length) == 0 && type == REG_SZ) {
      std::string data(length, '\0');
      if (RegQueryValueExA(section, key, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                           &length) == 0)
        value.assign(data.c_str());  // up to its terminator
    }
    RegCloseKey(section);
  }
  return copy_text(value, buffer, size);
}

}  // namespace w32
