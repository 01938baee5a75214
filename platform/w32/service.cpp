#include "platform/w32/service.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/registry.h"

namespace w32 {

namespace {

constexpr std::size_t kNameSize = 257;

// A manager handle has an empty name.
struct ServiceHandle {
  W32HandleObject head;
  char name[kNameSize];
};

void destroy_service(W32HandleObject* object) { delete reinterpret_cast<ServiceHandle*>(object); }

SC_HANDLE fail_handle(DWORD code) {
  SetLastError(code);
  return nullptr;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

bool valid_name(const char* name) {
  if (name == nullptr || name[0] == '\0' || std::strlen(name) >= kNameSize) return false;
  return std::strpbrk(name, "\\/") == nullptr;
}

// The registry path of the service name.
void key_path(const char* name, char* path, std::size_t size) {
  std::snprintf(path, size, "%s\\%s", W32_SERVICES_KEY, name);
}

// Opens the key of the service name; the registry's code.
LONG open_key(const char* name, REGSAM sam, HKEY* key) {
  char path[400];
  key_path(name, path, sizeof path);
  return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, sam, key);
}

DWORD read_dword(HKEY key, const char* name, DWORD otherwise) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != 0 ||
      type != REG_DWORD || size != sizeof value)
    return otherwise;
  return value;
}

LONG write_dword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof value);
}

LONG write_text(HKEY key, const char* name, DWORD type, const char* text) {
  return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>(std::strlen(text) + 1));
}

SC_HANDLE hand_out(const char* name) {
  ServiceHandle* handle = new (std::nothrow) ServiceHandle{{destroy_service, 0}, {}};
  if (handle == nullptr) return fail_handle(ERROR_NOT_ENOUGH_MEMORY);
  std::strcpy(handle->name, name);
  HANDLE opened = w32_handle_open(&handle->head, W32_HANDLE_SERVICE);
  if (opened == nullptr) delete handle;
  return opened;
}

// The manager behind handle, checked; false with the last error set.
bool is_manager(SC_HANDLE handle) {
  auto* object = reinterpret_cast<ServiceHandle*>(w32_handle_acquire(handle, W32_HANDLE_SERVICE));
  if (object == nullptr) return false;
  bool manager = object->name[0] == '\0';
  w32_handle_release(&object->head);
  if (!manager) SetLastError(ERROR_INVALID_HANDLE);
  return manager;
}

// Runs body(key, name) on the key of the service behind handle; the last error set and FALSE
// when there is none.
template <typename Body>
BOOL with_service(SC_HANDLE handle, Body body) {
  auto* object = reinterpret_cast<ServiceHandle*>(w32_handle_acquire(handle, W32_HANDLE_SERVICE));
  if (object == nullptr) return FALSE;
  if (object->name[0] == '\0') {
    w32_handle_release(&object->head);
    return fail(ERROR_INVALID_HANDLE);
  }
  char name[kNameSize];
  std::strcpy(name, object->name);
  w32_handle_release(&object->head);
  HKEY key = nullptr;
  if (open_key(name, KEY_ALL_ACCESS, &key) != 0) return fail(ERROR_SERVICE_MARKED_FOR_DELETE);
  DWORD result = body(key, name);
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? TRUE : fail(result);
}

void fill_status(HKEY key, SERVICE_STATUS* status) {
  std::memset(status, 0, sizeof *status);
  status->dwServiceType = read_dword(key, "Type", SERVICE_WIN32_OWN_PROCESS);
  status->dwCurrentState = read_dword(key, "YrlW32State", SERVICE_STOPPED);
  status->dwControlsAccepted = status->dwCurrentState == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
}

}  // namespace

SC_HANDLE OpenSCManagerA(const char* machine, const char*, DWORD) {
  if (w32_fault_hit("OpenSCManagerA")) return nullptr;
  if (machine != nullptr && machine[0] != '\0') return fail_handle(RPC_S_SERVER_UNAVAILABLE);
  return hand_out("");
}

SC_HANDLE OpenServiceA(SC_HANDLE manager, const char* name, DWORD) {
  if (w32_fault_hit("OpenServiceA")) return nullptr;
  if (!is_manager(manager)) return nullptr;
  if (!valid_name(name)) return fail_handle(ERROR_INVALID_NAME);
  HKEY key = nullptr;
  if (open_key(name, KEY_READ, &key) != 0) return fail_handle(ERROR_SERVICE_DOES_NOT_EXIST);
  RegCloseKey(key);
  return hand_out(name);
}

SC_HANDLE CreateServiceA(SC_HANDLE manager, const char* name, const char* display_name, DWORD,
                         DWORD service_type, DWORD start_type, DWORD error_control,
                         const char* path, const char*, DWORD*, const char*, const char*,
                         const char*) {
  if (w32_fault_hit("CreateServiceA")) return nullptr;
  if (!is_manager(manager)) return nullptr;
  if (!valid_name(name)) return fail_handle(ERROR_INVALID_NAME);
  if (path == nullptr) return fail_handle(ERROR_INVALID_PARAMETER);
  char key_name[400];
  key_path(name, key_name, sizeof key_name);
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG code = RegCreateKeyExA(HKEY_LOCAL_MACHINE, key_name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition);
  if (code != 0) return fail_handle(static_cast<DWORD>(code));
  if (disposition == REG_OPENED_EXISTING_KEY) {
    RegCloseKey(key);
    return fail_handle(ERROR_SERVICE_EXISTS);
  }
  code = write_text(key, "DisplayName", REG_SZ, display_name != nullptr ? display_name : name);
  if (code == 0) code = write_text(key, "ImagePath", REG_EXPAND_SZ, path);
  if (code == 0) code = write_dword(key, "Type", service_type);
  if (code == 0) code = write_dword(key, "Start", start_type);
  if (code == 0) code = write_dword(key, "ErrorControl", error_control);
  if (code == 0) code = write_dword(key, "YrlW32State", SERVICE_STOPPED);
  RegCloseKey(key);
  if (code != 0) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key_name);
    return fail_handle(static_cast<DWORD>(code));
  }
  return hand_out(name);
}

BOOL StartServiceA(SC_HANDLE service, DWORD, const char**) {
  if (w32_fault_hit("StartServiceA")) return FALSE;
  return with_service(service, [](HKEY key, const char*) {
    if (read_dword(key, "YrlW32State", SERVICE_STOPPED) == SERVICE_RUNNING)
      return ERROR_SERVICE_ALREADY_RUNNING;
    if (read_dword(key, "Start", SERVICE_DEMAND_START) == SERVICE_DISABLED)
      return ERROR_SERVICE_DISABLED;
    return static_cast<DWORD>(write_dword(key, "YrlW32State", SERVICE_RUNNING));
  });
}

BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
  if (w32_fault_hit("ControlService")) return FALSE;
  if (status == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return with_service(service, [&](HKEY key, const char*) {
    DWORD code = ERROR_SUCCESS;
    if (control == SERVICE_CONTROL_STOP) {
      if (read_dword(key, "YrlW32State", SERVICE_STOPPED) != SERVICE_RUNNING)
        code = ERROR_SERVICE_NOT_ACTIVE;
      else
        code = static_cast<DWORD>(write_dword(key, "YrlW32State", SERVICE_STOPPED));
    } else if (control != SERVICE_CONTROL_INTERROGATE) {
      return ERROR_INVALID_SERVICE_CONTROL;
    }
    fill_status(key, status);
    return code;
  });
}

BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
  if (w32_fault_hit("QueryServiceStatus")) return FALSE;
  if (status == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return with_service(service, [&](HKEY key, const char*) {
    fill_status(key, status);
    return ERROR_SUCCESS;
  });
}

BOOL DeleteService(SC_HANDLE service) {
  if (w32_fault_hit("DeleteService")) return FALSE;
  return with_service(service, [](HKEY, const char* name) {
    char path[400];
    key_path(name, path, sizeof path);
    return static_cast<DWORD>(RegDeleteKeyA(HKEY_LOCAL_MACHINE, path));
  });
}

BOOL CloseServiceHandle(SC_HANDLE handle) {
  if (w32_fault_hit("CloseServiceHandle")) return FALSE;
  return w32_handle_close(handle, W32_HANDLE_SERVICE);
}

}  // namespace w32
