#include "runtime/system/portmap.h"

#include <cstdio>
#include <cstring>

#include "platform/w32/handle.h"
#include "platform/w32/mutex.h"
#include "platform/w32/registry.h"
#include "platform/w32/wait.h"
#include "runtime/system/ntwin.h"
#include "runtime/system/portmap_testing.h"

namespace vek {

namespace {

constexpr char kPortMapKey[] = "Software\\VEK\\volatile_portmap";
constexpr char kMutexListKey[] = "Software\\VEK\\pmap_mutex_list";
constexpr int kHeld = 64;

// The mutexes this process holds for its registrations, by program number.
struct Held {
  int program;
  w32::HANDLE mutex;
};
Held g_held[kHeld];

// Makes or opens a volatile key open to everyone; null when it cannot.
w32::HKEY open_volatile(const char* path) {
  w32::HKEY key = nullptr;
  if (w32::RegCreateKeyExA(nt_get_vek_root_key(), path, 0, nullptr, w32::REG_OPTION_VOLATILE,
                           w32::KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0)
    return nullptr;
  w32::SECURITY_DESCRIPTOR everyone;
  w32::InitializeSecurityDescriptor(&everyone, w32::SECURITY_DESCRIPTOR_REVISION);
  w32::SetSecurityDescriptorDacl(&everyone, w32::TRUE, nullptr, w32::FALSE);
  w32::RegSetKeySecurity(key, w32::DACL_SECURITY_INFORMATION, &everyone);
  return key;
}

bool write_port(w32::HKEY key, const char* name, int port) {
  w32::DWORD value = static_cast<w32::DWORD>(port);
  return w32::RegSetValueExA(key, name, 0, w32::REG_DWORD,
                             reinterpret_cast<const w32::BYTE*>(&value), sizeof value) == 0;
}

bool read_port(w32::HKEY key, const char* name, int* port) {
  w32::DWORD value = 0;
  w32::DWORD size = sizeof value;
  w32::DWORD type = 0;
  if (w32::RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<w32::BYTE*>(&value),
                            &size) != 0 ||
      type != w32::REG_DWORD || size != sizeof value)
    return false;
  if (port != nullptr) *port = static_cast<int>(value);
  return true;
}

// Takes the program's mutex for this process and keeps its handle.
bool hold_program(int program) {
  char name[16];
  std::snprintf(name, sizeof name, "%d", program);
  for (Held& held : g_held)
    if (held.mutex != nullptr && held.program == program) return true;
  for (Held& held : g_held) {
    if (held.mutex != nullptr) continue;
    held.mutex = w32::CreateMutexA(nullptr, w32::TRUE, name);
    held.program = program;
    return held.mutex != nullptr;
  }
  return false;
}

// Writes the live mark and the registration; the mark goes again when the second fails.
bool register_program(w32::HKEY port_map, const char* entry, int program, int port) {
  w32::HKEY list = open_volatile(kMutexListKey);
  if (list == nullptr) return false;
  char name[16];
  std::snprintf(name, sizeof name, "%d", program);
  bool ok = hold_program(program) && write_port(list, name, port);
  if (ok && !write_port(port_map, entry, port)) {
    w32::RegDeleteValueA(list, name);
    ok = false;
  }
  w32::RegCloseKey(list);
  return ok;
}

// Whether some process holds the program's mutex: the name opens only then.
bool program_alive(int program) {
  char name[16];
  std::snprintf(name, sizeof name, "%d", program);
  w32::HANDLE mutex = w32::OpenMutexA(w32::MUTEX_ALL_ACCESS, w32::FALSE, name);
  if (mutex == nullptr) return false;
  w32::CloseHandle(mutex);
  return true;
}

}  // namespace

int nt_reg_pmap_set(int program, int version, int, int port) {
  w32::HKEY port_map = open_volatile(kPortMapKey);
  if (port_map == nullptr) return 0;
  w32::HANDLE guard = w32::CreateMutexA(nullptr, w32::FALSE, "VEK_PORTMAP_MUTEX");
  if (guard == nullptr) {
    w32::RegCloseKey(port_map);
    return 0;
  }
  w32::WaitForSingleObject(guard, w32::INFINITE);
  char entry[32];
  std::snprintf(entry, sizeof entry, "rpc:%d:%d", program, version);
  int result = 0;
  if (!read_port(port_map, entry, nullptr)) {
    result = register_program(port_map, entry, program, port) ? 1 : 0;
  } else if (!program_alive(program)) {
    // A registration whose owner is gone is taken over.
    result = register_program(port_map, entry, program, port) ? 1 : 0;
  }
  w32::ReleaseMutex(guard);
  w32::CloseHandle(guard);
  w32::RegCloseKey(port_map);
  return result;
}

int nt_pmap_unlock(int program, int) {
  w32::HKEY list = open_volatile(kMutexListKey);
  char name[16];
  std::snprintf(name, sizeof name, "%d", program);
  if (list != nullptr) {
    w32::RegDeleteValueA(list, name);
    w32::RegCloseKey(list);
  }
  for (Held& held : g_held) {
    if (held.mutex == nullptr || held.program != program) continue;
    int released = w32::ReleaseMutex(held.mutex) ? 1 : 0;
    w32::CloseHandle(held.mutex);
    held.mutex = nullptr;
    return released;
  }
  return 0;
}

int nt_reg_pmap_unset(int program, int version) {
  nt_pmap_unlock(program, version);
  w32::HKEY port_map = open_volatile(kPortMapKey);
  if (port_map == nullptr) return 0;
  char entry[32];
  std::snprintf(entry, sizeof entry, "rpc:%d:%d", program, version);
  int deleted = w32::RegDeleteValueA(port_map, entry) == 0 ? 1 : 0;
  w32::RegCloseKey(port_map);
  return deleted;
}

int nt_reg_pmap_get(int program, int version) {
  w32::HKEY port_map = nullptr;
  if (w32::RegOpenKeyExA(nt_get_vek_root_key(), kPortMapKey, 0, w32::KEY_QUERY_VALUE, &port_map) !=
      0)
    return 0;
  char entry[32];
  std::snprintf(entry, sizeof entry, "rpc:%d:%d", program, version);
  int port = 0;
  if (!read_port(port_map, entry, &port)) port = 0;
  w32::RegCloseKey(port_map);
  return port;
}

int get_msg_module_reg_entry(int version, char* out) {
  if (out == nullptr) return 0;
  char nested[32];
  std::snprintf(nested, sizeof nested, "%s%d", "CommVersion", version);
  return nt_get_vek_registry_subkey("VYN_COMM_MSG_EXE", nested, "FileName", out);
}

int set_msg_module_reg_entry(const char* file_name) {
  if (file_name == nullptr) return 0;
  char nested[32];
  std::snprintf(nested, sizeof nested, "%s%d", "CommVersion", 2);
  return nt_set_vek_registry_subkey("VYN_COMM_MSG_EXE", nested, "FileName", file_name);
}

int del_msg_module_reg_entry() {
  char subkey[64];
  std::snprintf(subkey, sizeof subkey, "%s\\%s%d", "VYN_COMM_MSG_EXE", "CommVersion", 2);
  return nt_delete_vek_registry_string(subkey);
}

void portmap_testing_reset() {
  for (Held& held : g_held) {
    if (held.mutex != nullptr) w32::CloseHandle(held.mutex);
    held = Held{0, nullptr};
  }
}

}  // namespace vek
