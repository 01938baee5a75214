#include "runtime/system/regstring.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/ascii.h"
#include "platform/w32/error.h"

namespace vek {

namespace {

// Text without the '\' characters at its end.
std::string without_trailing_delimiters(std::string text) {
  while (!text.empty() && text.back() == '\\') text.pop_back();
  return text;
}

// Whether one ';'-separated entry of path names directory.
bool path_holds(const std::string& path, const char* directory) {
  std::string wanted = without_trailing_delimiters(directory);
  std::size_t at = 0;
  for (;;) {
    std::size_t end = path.find(';', at);
    std::string entry =
        without_trailing_delimiters(path.substr(at, end == std::string::npos ? end : end - at));
    if (entry.size() == wanted.size() &&
        w32::equal_ascii_folded(entry.data(), wanted.data(), wanted.size()))
      return true;
    if (end == std::string::npos) return false;
    at = end + 1;
  }
}

}  // namespace

int nt_get_registry_string_value(w32::HKEY root, const char* key, const char* name, char* out) {
  if (out == nullptr) return 0;
  w32::HKEY opened = nullptr;
  if (w32::RegOpenKeyA(root, key, &opened) != 0) return 0;
  char buffer[NT_REGISTRY_VALUE_SIZE] = {};
  // One byte kept back, so that a value stored without its terminator still ends.
  w32::DWORD size = NT_REGISTRY_VALUE_SIZE - 1;
  int read = w32::RegQueryValueExA(opened, name, nullptr, nullptr,
                                   reinterpret_cast<w32::BYTE*>(buffer), &size) == 0
                 ? 1
                 : 0;
  w32::RegCloseKey(opened);
  if (!read) buffer[0] = '\0';
  std::memcpy(out, buffer, NT_REGISTRY_VALUE_SIZE);
  return read;
}

int nt_set_registry_string_value(w32::HKEY root, const char* key, const char* name,
                                 const char* text) {
  if (text == nullptr) return 0;
  w32::HKEY opened = nullptr;
  char empty_class[] = "";
  if (w32::RegCreateKeyExA(root, key, 0, empty_class, w32::REG_OPTION_NON_VOLATILE,
                           w32::KEY_ALL_ACCESS, nullptr, &opened, nullptr) != 0)
    return 0;
  int written =
      w32::RegSetValueExA(opened, name, 0, w32::REG_SZ, reinterpret_cast<const w32::BYTE*>(text),
                          static_cast<w32::DWORD>(std::strlen(text) + 1)) == 0
          ? 1
          : 0;
  w32::RegCloseKey(opened);
  return written;
}

int nt_ginst_cat_path(const char* directory) {
  if (directory == nullptr || directory[0] == '\0') return 0;
  w32::HKEY environment = nullptr;
  char empty_class[] = "";
  if (w32::RegCreateKeyExA(w32::HKEY_CURRENT_USER, "Environment", 0, empty_class,
                           w32::REG_OPTION_NON_VOLATILE, w32::KEY_ALL_ACCESS, nullptr, &environment,
                           nullptr) != 0)
    return 0;
  // "Path" at its full length.
  w32::DWORD type = w32::REG_EXPAND_SZ;
  w32::DWORD size = 0;
  w32::LONG code = w32::RegQueryValueExA(environment, "Path", nullptr, &type, nullptr, &size);
  std::string path;
  if (code == 0) {
    std::vector<char> data(size + 1, '\0');
    code = w32::RegQueryValueExA(environment, "Path", nullptr, &type,
                                 reinterpret_cast<w32::BYTE*>(data.data()), &size);
    path = data.data();
  }
  int result = 0;
  if (code == 0 && path_holds(path, directory)) {
    result = 1;
  } else if (code == 0 || code == static_cast<w32::LONG>(w32::ERROR_FILE_NOT_FOUND)) {
    std::string value = code == 0 ? path + ";" + directory : std::string("%path%;") + directory;
    if (code != 0) type = w32::REG_EXPAND_SZ;
    result = w32::RegSetValueExA(environment, "Path", 0, type,
                                 reinterpret_cast<const w32::BYTE*>(value.c_str()),
                                 static_cast<w32::DWORD>(value.size() + 1)) == 0
                 ? 1
                 : 0;
  }
  w32::RegCloseKey(environment);
  return result;
}

}  // namespace vek
