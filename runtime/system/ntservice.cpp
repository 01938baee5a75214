#include "runtime/system/ntservice.h"

#include "platform/w32/error.h"
#include "platform/w32/service.h"

namespace vek {

namespace {

// Opens the manager with manager_access and the service with service_access, runs
// body(service) and closes both. *opened tells whether both opened; when not, *missing
// tells whether the service does not exist. body's result, or 0.
template <typename Body>
int with_service(const char* name, w32::DWORD manager_access, w32::DWORD service_access,
                 bool* opened, bool* missing, Body body) {
  *opened = false;
  *missing = false;
  w32::SC_HANDLE manager = w32::OpenSCManagerA(nullptr, nullptr, manager_access);
  if (manager == nullptr) return 0;
  w32::SC_HANDLE service = w32::OpenServiceA(manager, name, service_access);
  int result = 0;
  if (service == nullptr) {
    *missing = w32::GetLastError() == w32::ERROR_SERVICE_DOES_NOT_EXIST;
  } else {
    *opened = true;
    result = body(service);
    w32::CloseServiceHandle(service);
  }
  w32::CloseServiceHandle(manager);
  return result;
}

}  // namespace

int ginst_is_service_running(const char* name) {
  bool opened = false;
  bool missing = false;
  return with_service(name, w32::SC_MANAGER_CONNECT, w32::SERVICE_QUERY_STATUS, &opened, &missing,
                      [](w32::SC_HANDLE service) {
                        w32::SERVICE_STATUS status = {};
                        return w32::QueryServiceStatus(service, &status) &&
                                       status.dwCurrentState != w32::SERVICE_STOPPED
                                   ? 1
                                   : 0;
                      });
}

int ginst_stop_service(const char* name) {
  bool opened = false;
  bool missing = false;
  int result = with_service(
      name, w32::SC_MANAGER_ALL_ACCESS, w32::SERVICE_ALL_ACCESS, &opened, &missing,
      [](w32::SC_HANDLE service) {
        w32::SERVICE_STATUS status = {};
        return w32::ControlService(service, w32::SERVICE_CONTROL_STOP, &status) ? 1 : 0;
      });
  return opened ? result : missing ? 1 : 0;
}

int ginst_start_service(const char* name) {
  bool opened = false;
  bool missing = false;
  return with_service(
      name, w32::SC_MANAGER_ALL_ACCESS, w32::SERVICE_ALL_ACCESS, &opened, &missing,
      [](w32::SC_HANDLE service) { return w32::StartServiceA(service, 0, nullptr) ? 1 : 0; });
}

int ginst_is_service_installed(const char* name) {
  bool opened = false;
  bool missing = false;
  with_service(name, w32::SC_MANAGER_ALL_ACCESS, w32::SERVICE_ALL_ACCESS, &opened, &missing,
               [](w32::SC_HANDLE) { return 1; });
  return opened ? 1 : 0;
}

int ginst_install_service(const char* name, const char* program) {
  w32::SC_HANDLE manager = w32::OpenSCManagerA(nullptr, nullptr, w32::SC_MANAGER_ALL_ACCESS);
  if (manager == nullptr) return 0;
  w32::SC_HANDLE service = w32::CreateServiceA(
      manager, name, name, w32::SERVICE_ALL_ACCESS, w32::SERVICE_WIN32_OWN_PROCESS,
      w32::SERVICE_AUTO_START, w32::SERVICE_ERROR_NORMAL, program, nullptr, nullptr, nullptr,
      nullptr, nullptr);
  if (service != nullptr) w32::CloseServiceHandle(service);
  w32::CloseServiceHandle(manager);
  return service != nullptr ? 1 : 0;
}

int ginst_remove_service(const char* name) {
  bool opened = false;
  bool missing = false;
  return with_service(name, w32::SC_MANAGER_ALL_ACCESS, w32::SERVICE_ALL_ACCESS, &opened, &missing,
                      [](w32::SC_HANDLE service) {
                        w32::SERVICE_STATUS status = {};
                        w32::ControlService(service, w32::SERVICE_CONTROL_STOP, &status);
                        w32::ControlService(service, w32::SERVICE_CONTROL_INTERROGATE, &status);
                        return w32::DeleteService(service) ? 1 : 0;
                      });
}

int ginst_service_current_state(const char* name, int* state) {
  if (state != nullptr) *state = 0;
  bool opened = false;
  bool missing = false;
  return with_service(name, w32::SC_MANAGER_ALL_ACCESS, w32::SERVICE_ALL_ACCESS, &opened, &missing,
                      [&](w32::SC_HANDLE service) {
                        w32::SERVICE_STATUS status = {};
                        if (!w32::QueryServiceStatus(service, &status)) return 0;
                        if (state != nullptr) *state = static_cast<int>(status.dwCurrentState);
                        return 1;
                      });
}

}  // namespace vek
