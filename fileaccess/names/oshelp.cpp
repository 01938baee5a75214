#include "fileaccess/names/oshelp.h"

#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaname.h"
#include "runtime/text/wide.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp_testing.h"
#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"

namespace vek {

namespace {

int input_mode;

constexpr w32::LONG REG_OK = static_cast<w32::LONG>(w32::ERROR_SUCCESS);
constexpr int DWORD_BYTES = 4;

w32::HKEY open_key(w32::HKEY root, const char* key, w32::REGSAM access) {
  w32::HKEY handle = nullptr;
  return w32::RegOpenKeyExA(root, key, 0, access, &handle) == REG_OK ? handle : nullptr;
}

// The key for writing values, made with the keys above it when missing; null on failure.
w32::HKEY create_key(w32::HKEY root, const char* key) {
  char no_class[] = "";
  w32::HKEY handle = nullptr;
  if (w32::RegCreateKeyExA(root, key, 0, no_class, w32::REG_OPTION_NON_VOLATILE,
                           w32::KEY_SET_VALUE, nullptr, &handle, nullptr) != REG_OK)
    return nullptr;
  return handle;
}

// Writes one value under a key made when missing: 1 on success.
int set_value(w32::HKEY root, const char* key, const char* value_name, w32::DWORD type,
              const w32::BYTE* data, w32::DWORD size) {
  w32::HKEY handle = create_key(root, key);
  if (!handle) return 0;
  w32::LONG result = w32::RegSetValueExA(handle, value_name, 0, type, data, size);
  w32::RegCloseKey(handle);
  return result == REG_OK ? 1 : 0;
}

}  // namespace

int get_input_mode() { return input_mode; }

int set_input_mode(int mode) {
  input_mode = mode;
  return mode;
}

std::FILE* dci_fopen(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  return w32::fopen(name, mode);
}

int vyn_is_dir(char* path) {
  remove_dir_delim(path, 1);
  w32::UINT previous = w32::SetErrorMode(w32::SEM_FAILCRITICALERRORS);
  w32::DWORD attributes = ntlangwrap_GetFileAttributes(path);
  w32::SetErrorMode(previous);
  if (attributes == w32::INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & w32::FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int nt_get_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD* value) {
  w32::HKEY handle = open_key(root, key, w32::KEY_QUERY_VALUE);
  if (!handle) return 0;
  w32::BYTE bytes[DWORD_BYTES] = {};
  w32::DWORD type = w32::REG_NONE;
  w32::DWORD size = sizeof bytes;
  w32::LONG result = w32::RegQueryValueExA(handle, value_name, nullptr, &type, bytes, &size);
  w32::RegCloseKey(handle);
  if (result != REG_OK || type != w32::REG_DWORD) return 0;
  if (value) {
    // Registry numbers are little-endian.
    *value = 0;
    for (int i = DWORD_BYTES - 1; i >= 0; --i) *value = *value << 8 | bytes[i];
  }
  return 1;
}

int nt_set_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD value) {
  w32::BYTE bytes[DWORD_BYTES];
  for (int i = 0; i < DWORD_BYTES; ++i) bytes[i] = static_cast<w32::BYTE>(value >> (8 * i));
  return set_value(root, key, value_name, w32::REG_DWORD, bytes, sizeof bytes);
}

int nt_get_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           char* out) {
  if (!out || size < 1) return 0;
  out[0] = '\0';
  w32::HKEY handle = open_key(root, key, w32::KEY_QUERY_VALUE);
  if (!handle) return 0;
  w32::DWORD type = w32::REG_NONE;
  auto bytes = static_cast<w32::DWORD>(size);
  w32::LONG result = w32::RegQueryValueExA(handle, value_name, nullptr, &type,
                                           reinterpret_cast<w32::BYTE*>(out), &bytes);
  w32::RegCloseKey(handle);
  bool text = type == w32::REG_SZ || type == w32::REG_EXPAND_SZ;
  // A stored text need not end with its terminator; one that fills out without it does
  // not fit.
  if (result != REG_OK || !text || bytes == 0 ||
      (out[bytes - 1] != '\0' && bytes >= static_cast<w32::DWORD>(size))) {
    out[0] = '\0';
    return 0;
  }
  if (out[bytes - 1] != '\0') out[bytes] = '\0';
  return out[0] ? 1 : 0;
}

int nt_set_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           const char* text) {
  if (!text || size < 0) return 0;
  std::size_t stored = std::strlen(text) + 1;
  if (static_cast<std::size_t>(size) < stored) stored = static_cast<std::size_t>(size);
  return set_value(root, key, value_name, w32::REG_SZ, reinterpret_cast<const w32::BYTE*>(text),
                   static_cast<w32::DWORD>(stored));
}

void oshelp_testing_reset() { input_mode = 0; }

int dir_get(VynWchar* out, int size) {
  if (!out || size < 1) return 0;
  out[0] = 0;
  VynFile* cur_dir = pfa_get_cur_dir();
  char name[PFA_NAME_SIZE];
  if (!cur_dir || pfa_get_full_name(cur_dir, name) != PFA_E_NO_ERROR) return 0;
  // The size bounds the copy: a cut directory would name another one.
  if (strtows_bounded(out, static_cast<std::size_t>(size), name)) {
    out[0] = 0;
    return 0;
  }
  return 1;
}

}  // namespace vek
