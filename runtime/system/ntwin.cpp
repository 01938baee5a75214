#include "runtime/system/ntwin.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "platform/w32/ascii.h"
#include "platform/w32/clock.h"
#include "platform/w32/error.h"
#include "platform/w32/fileio.h"
#include "platform/w32/pipe.h"
#include "platform/w32/system.h"
#include "platform/w32/wait.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/xar.h"
#include "runtime/system/ntwin_testing.h"
#include "runtime/system/regstring.h"

namespace vek {

namespace {

constexpr char kVekKey[] = "Software\\VEK";
constexpr char kPoliciesKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr std::size_t kPathSize = 1024;

int g_immediate_expose = 0;
w32::HKEY g_root_key = nullptr;

bool no_handle(w32::HANDLE handle) {
  return handle == w32::INVALID_HANDLE_VALUE || handle == nullptr;
}

// The byte count of item_size x count, or -1 when negative or too large.
long long request(int item_size, int count) {
  if (item_size < 0 || count < 0) return -1;
  long long bytes = static_cast<long long>(item_size) * count;
  return bytes > 0x7FFFFFFF ? -1 : bytes;
}

// "Software\VEK\<subkey>" into path; false when it does not fit.
bool vek_path(const char* subkey, char* path) {
  int length = std::snprintf(path, kPathSize, "%s\\%s", kVekKey, subkey != nullptr ? subkey : "");
  return length >= 0 && static_cast<std::size_t>(length) < kPathSize;
}

int get_value(w32::HKEY root, const char* subkey, const char* name, char* out) {
  char path[kPathSize];
  if (!vek_path(subkey, path)) return 0;
  return nt_get_registry_string_value(root, path, name, out);
}

int set_value(w32::HKEY root, const char* subkey, const char* name, const char* text) {
  char path[kPathSize];
  if (text == nullptr || !vek_path(subkey, path)) return 0;
  w32::HKEY key = nullptr;
  char empty_class[] = "";
  if (w32::RegCreateKeyExA(root, path, 0, empty_class, w32::REG_OPTION_NON_VOLATILE,
                           w32::KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
    return 0;
  int written = w32::RegSetValueExA(key, name, 0, w32::REG_EXPAND_SZ,
                                    reinterpret_cast<const w32::BYTE*>(text),
                                    static_cast<w32::DWORD>(std::strlen(text) + 1)) == 0;
  w32::RegCloseKey(key);
  return written ? 1 : 0;
}

int delete_key(w32::HKEY root, const char* subkey) {
  char path[kPathSize];
  if (!vek_path(subkey, path)) return 0;
  return w32::RegDeleteKeyA(root, path) == 0 ? 1 : 0;
}

int delete_value(w32::HKEY root, const char* subkey, const char* name) {
  char path[kPathSize];
  if (!vek_path(subkey, path)) return 0;
  w32::HKEY key = nullptr;
  if (w32::RegOpenKeyA(root, path, &key) != 0) return 0;
  int deleted = w32::RegDeleteValueA(key, name) == 0 ? 1 : 0;
  w32::RegCloseKey(key);
  return deleted;
}

bool list_holds(char** list, const char* name) {
  for (int i = 0; i < xar_count(&list); ++i) {
    std::size_t length = std::strlen(name);
    if (std::strlen(list[i]) == length && w32::equal_ascii_folded(list[i], name, length))
      return true;
  }
  return false;
}

}  // namespace

int nt_SetImmediateExpose(int value) {
  int before = g_immediate_expose;
  g_immediate_expose = value;
  return before;
}

int nt_GetImmediateExpose() { return g_immediate_expose; }

int nt_pipe(w32::HANDLE pair[2]) {
  if (pair == nullptr) return -1;
  w32::SECURITY_ATTRIBUTES attributes = {sizeof(w32::SECURITY_ATTRIBUTES), nullptr, w32::TRUE};
  w32::HANDLE read_end = nullptr;
  w32::HANDLE write_end = nullptr;
  if (!w32::CreatePipe(&read_end, &write_end, &attributes, 2048)) return -1;
  pair[0] = read_end;
  pair[1] = write_end;
  if (get_run_mode() != 0) ivek_printf("Handles are 0x%p and 0x%p\n", read_end, write_end);
  return 0;
}

int nt_pipe_read_1(void* buffer, int item_size, int count, w32::HANDLE handle, int* bytes) {
  if (bytes != nullptr) *bytes = 0;
  if (buffer == nullptr || no_handle(handle)) return -1;
  long long wanted = request(item_size, count);
  if (wanted < 0) return -1;
  if (wanted == 0) return 0;
  w32::DWORD got = 0;
  if (!w32::ReadFile(handle, buffer, static_cast<w32::DWORD>(wanted), &got, nullptr)) {
    ivek_fprintf(stderr, "Error in nt_pipe_read_1, returned %d",
                 static_cast<int>(w32::GetLastError()));
    return -1;
  }
  if (bytes != nullptr) *bytes = static_cast<int>(got);
  return static_cast<int>(got);
}

int nt_pipe_read(void* buffer, int item_size, int count, w32::HANDLE handle) {
  if (buffer == nullptr || no_handle(handle)) return -1;
  long long wanted = request(item_size, count);
  if (wanted < 0) return -1;
  if (wanted == 0) return 0;
  w32::DWORD got = 0;
  if (!w32::ReadFile(handle, buffer, static_cast<w32::DWORD>(wanted), &got, nullptr)) return -1;
  // A pipe gives what it holds: the rest of an item begun is read too, so that no byte
  // taken from the pipe is lost. At the end of the pipe (or of a file) a part item stays
  // in the buffer uncounted, as fread leaves it.
  auto size = static_cast<w32::DWORD>(item_size);
  while (got % size != 0) {
    w32::DWORD more = 0;
    if (!w32::ReadFile(handle, static_cast<char*>(buffer) + got, size - got % size, &more,
                       nullptr) ||
        more == 0)
      break;
    got += more;
  }
  return static_cast<int>(got / size);
}

int nt_pipe_write_1(const void* buffer, int item_size, int count, w32::HANDLE handle, int* bytes) {
  if (bytes != nullptr) *bytes = 0;
  if (no_handle(handle)) return -1;
  long long wanted = request(item_size, count);
  if (wanted < 0 || (wanted > 0 && buffer == nullptr)) return -1;
  if (wanted == 0) return 0;
  w32::DWORD put = 0;
  if (!w32::WriteFile(handle, buffer, static_cast<w32::DWORD>(wanted), &put, nullptr)) return -1;
  if (bytes != nullptr) *bytes = static_cast<int>(put);
  return static_cast<int>(put);
}

int nt_pipe_write(const void* buffer, int item_size, int count, w32::HANDLE handle) {
  if (buffer == nullptr || item_size <= 0 || count <= 0 || no_handle(handle)) return -1;
  int bytes = nt_pipe_write_1(buffer, item_size, count, handle, nullptr);
  return bytes < 0 ? -1 : bytes / item_size;
}

int nt_pipe_flush(w32::HANDLE handle) {
  if (no_handle(handle)) return -1;
  w32::FlushFileBuffers(handle);
  return 0;
}

int nt_pipe_seek(w32::HANDLE handle, long offset, int origin) {
  if (no_handle(handle)) return -1;
  if (origin >= 0 && origin <= 2)
    w32::SetFilePointer(handle, static_cast<w32::LONG>(offset), nullptr,
                        static_cast<w32::DWORD>(origin));
  return 0;
}

long nt_pipe_tell(w32::HANDLE handle) {
  if (no_handle(handle)) return -1;
  w32::DWORD at = w32::SetFilePointer(handle, 0, nullptr, w32::FILE_CURRENT);
  if (at == w32::INVALID_SET_FILE_POINTER && w32::GetLastError() != w32::ERROR_SUCCESS) return -1;
  return static_cast<long>(at);
}

int nt_wait_for_single(w32::HANDLE handle, int milliseconds) {
  if (no_handle(handle)) return -1;
  w32::DWORD wait = milliseconds < 0 ? w32::INFINITE : static_cast<w32::DWORD>(milliseconds);
  return w32::WaitForSingleObject(handle, wait) == w32::WAIT_OBJECT_0 ? 1 : 0;
}

int nt_peek_pipe(w32::HANDLE handle) {
  if (no_handle(handle)) return -1;
  w32::DWORD available = 0;
  if (!w32::PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr)) return 0;
  return available > 0 ? 1 : 0;
}

int nt_policies_apps_get(const char* key, char*** list) {
  if (list == nullptr) return 0;
  *list = nullptr;
  w32::HKEY opened = nullptr;
  if (w32::RegOpenKeyExA(w32::HKEY_CURRENT_USER, key, 0, w32::KEY_QUERY_VALUE, &opened) != 0)
    return 0;
  for (w32::DWORD index = 0;; ++index) {
    char name[257];
    char data[257] = {};
    w32::DWORD name_size = sizeof name;
    w32::DWORD data_size = sizeof data - 1;
    w32::DWORD type = 0;
    w32::LONG code = w32::RegEnumValueA(opened, index, name, &name_size, nullptr, &type,
                                        reinterpret_cast<w32::BYTE*>(data), &data_size);
    if (code == static_cast<w32::LONG>(w32::ERROR_NO_MORE_ITEMS)) break;
    if (code != 0 || type != w32::REG_SZ) continue;
    if (*list == nullptr) *list = static_cast<char**>(xar_alloc(0, sizeof(char*), 20));
    char* copy = strdup(data);
    xar_append(list, 1, &copy);
  }
  w32::RegCloseKey(opened);
  return xar_count(list);
}

int nt_policies_disallowed_apps_get(char*** list) {
  char key[kPathSize];
  std::snprintf(key, sizeof key, "%s\\DisallowRun", kPoliciesKey);
  return nt_policies_apps_get(key, list);
}

int nt_policies_restricted_apps_get(char*** list) {
  char key[kPathSize];
  std::snprintf(key, sizeof key, "%s\\RestrictRun", kPoliciesKey);
  return nt_policies_apps_get(key, list);
}

void nt_policies_apps_free(char*** list) {
  if (list == nullptr || *list == nullptr) return;
  for (int i = 0; i < xar_count(list); ++i) {
    ivek_printf("free (%s)\n", (*list)[i]);
    std::free((*list)[i]);
  }
  xar_free(list);
  *list = nullptr;
}

int nt_policies_cmd_is_allowed() {
  int allowed = 1;
  char** list = nullptr;
  nt_policies_disallowed_apps_get(&list);
  if (list != nullptr && list_holds(list, "cmd.exe")) allowed = 0;
  nt_policies_apps_free(&list);
  if (nt_policies_restricted_apps_get(&list) > 0) allowed = list_holds(list, "cmd.exe") ? 1 : 0;
  nt_policies_apps_free(&list);
  return allowed;
}

w32::HKEY nt_get_vek_root_key() {
  if (g_root_key != nullptr) return g_root_key;
  char user[257];
  w32::DWORD size = sizeof user;
  if (!w32::GetUserNameA(user, &size)) std::strcpy(user, "anonymous");
  w32::HKEY made = nullptr;
  if (w32::RegCreateKeyA(w32::HKEY_LOCAL_MACHINE, kVekKey, &made) == 0) w32::RegCloseKey(made);
  char test[kPathSize];
  std::snprintf(test, sizeof test, "%s\\%s\\%s", kVekKey, "volatile_portmap", user);
  for (w32::HKEY root : {w32::HKEY_LOCAL_MACHINE, w32::HKEY_CURRENT_USER}) {
    w32::HKEY key = nullptr;
    if (w32::RegCreateKeyExA(root, test, 0, nullptr, w32::REG_OPTION_VOLATILE, w32::KEY_ALL_ACCESS,
                             nullptr, &key, nullptr) == 0) {
      w32::RegCloseKey(key);
      w32::RegDeleteKeyA(root, test);
      g_root_key = root;
      return root;
    }
  }
  ivek_printf("Can not use registry for rpc mapping. portmapper must run\n");
  crash();
}

w32::HKEY nt_get_vek_user_root_key() { return w32::HKEY_CURRENT_USER; }

int nt_get_vek_registry_string_value(const char* subkey, const char* name, char* out) {
  return get_value(nt_get_vek_root_key(), subkey, name, out);
}
int nt_get_vek_user_registry_string_value(const char* subkey, const char* name, char* out) {
  return get_value(nt_get_vek_user_root_key(), subkey, name, out);
}
int nt_set_vek_registry_string_value(const char* subkey, const char* name, const char* text) {
  return set_value(nt_get_vek_root_key(), subkey, name, text);
}
int nt_set_vek_user_registry_string_value(const char* subkey, const char* name, const char* text) {
  return set_value(nt_get_vek_user_root_key(), subkey, name, text);
}
int nt_delete_vek_registry_string(const char* subkey) {
  return delete_key(nt_get_vek_root_key(), subkey);
}
int nt_delete_vek_user_registry_string(const char* subkey) {
  return delete_key(nt_get_vek_user_root_key(), subkey);
}
int nt_delete_vek_registry_value(const char* subkey, const char* name) {
  return delete_value(nt_get_vek_root_key(), subkey, name);
}
int nt_delete_vek_user_registry_value(const char* subkey, const char* name) {
  return delete_value(nt_get_vek_user_root_key(), subkey, name);
}

int nt_set_vek_registry_subkey(const char* subkey, const char* nested, const char* name,
                               const char* text) {
  if (subkey == nullptr || name == nullptr || text == nullptr || subkey[0] == '\0' ||
      name[0] == '\0')
    return 0;
  // The subkey and one key level for each part of the nested path; empty parts
  // ("a\\\\b") are skipped, as taking the path apart at '\' does, and a nested path of no
  // parts gives 0. A path that does not fit is refused, never cut.
  char path[kPathSize];
  std::size_t used = 0;
  auto append = [&](const char* piece, std::size_t n) {
    if (n >= sizeof path - used) return false;
    std::memcpy(path + used, piece, n);
    used += n;
    path[used] = '\0';
    return true;
  };
  if (!append(subkey, std::strlen(subkey))) return 0;
  if (nested != nullptr && nested[0] != '\0') {
    int parts = 0;
    for (const char* p = nested; *p != '\0';) {
      while (*p == '\\') ++p;
      const char* end = p;
      while (*end != '\0' && *end != '\\') ++end;
      if (end > p) {
        if (!append("\\", 1) || !append(p, static_cast<std::size_t>(end - p))) return 0;
        ++parts;
      }
      p = end;
    }
    if (parts == 0) return 0;
  }
  return set_value(nt_get_vek_root_key(), path, name, text);
}

int nt_get_vek_registry_subkey(const char* subkey, const char* nested, const char* name,
                               char* out) {
  if (subkey == nullptr || name == nullptr || out == nullptr || subkey[0] == '\0' ||
      name[0] == '\0')
    return 0;
  char path[kPathSize];
  int length = nested != nullptr && nested[0] != '\0'
                   ? std::snprintf(path, sizeof path, "%s\\%s", subkey, nested)
                   : std::snprintf(path, sizeof path, "%s", subkey);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) return 0;
  return get_value(nt_get_vek_root_key(), path, name, out);
}

void ntwin_testing_reset() {
  g_immediate_expose = 0;
  g_root_key = nullptr;
}

}  // namespace vek
