// Services: the service control manager as a table in the registry store. Each service
// is the key HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\<name> with the values
// "DisplayName", "ImagePath" (REG_EXPAND_SZ), "Type", "Start" and "ErrorControl"
// (REG_DWORD) as Windows keeps them, and the stand-in's state in "YrlW32State"
// (REG_DWORD). Nothing is run: starting marks a service running, stopping marks it
// stopped. Names compare without regard to ASCII case, as the registry's do.
//
// Service handles (SC_HANDLE) are closed with CloseServiceHandle, not CloseHandle. Each
// call consults the fault facility (fault.h) under its name.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

typedef HANDLE SC_HANDLE;

constexpr DWORD SC_MANAGER_ALL_ACCESS = 0xF003F;
constexpr DWORD SC_MANAGER_CONNECT = 0x1;
constexpr DWORD SC_MANAGER_CREATE_SERVICE = 0x2;
constexpr DWORD SERVICE_ALL_ACCESS = 0xF01FF;
constexpr DWORD SERVICE_QUERY_STATUS = 0x4;
constexpr DWORD SERVICE_START = 0x10;
constexpr DWORD SERVICE_STOP = 0x20;
constexpr DWORD DELETE = 0x10000;

constexpr DWORD SERVICE_WIN32_OWN_PROCESS = 0x10;
constexpr DWORD SERVICE_AUTO_START = 2;
constexpr DWORD SERVICE_DEMAND_START = 3;
constexpr DWORD SERVICE_DISABLED = 4;
constexpr DWORD SERVICE_ERROR_NORMAL = 1;

constexpr DWORD SERVICE_STOPPED = 1;
constexpr DWORD SERVICE_RUNNING = 4;
constexpr DWORD SERVICE_CONTROL_STOP = 1;
constexpr DWORD SERVICE_CONTROL_INTERROGATE = 4;
constexpr DWORD SERVICE_ACCEPT_STOP = 1;

constexpr DWORD ERROR_INVALID_SERVICE_CONTROL = 1052;
constexpr DWORD ERROR_SERVICE_ALREADY_RUNNING = 1056;
constexpr DWORD ERROR_SERVICE_DISABLED = 1058;
constexpr DWORD ERROR_SERVICE_DOES_NOT_EXIST = 1060;
constexpr DWORD ERROR_SERVICE_NOT_ACTIVE = 1062;
constexpr DWORD ERROR_SERVICE_MARKED_FOR_DELETE = 1072;
constexpr DWORD ERROR_SERVICE_EXISTS = 1073;
constexpr DWORD RPC_S_SERVER_UNAVAILABLE = 1722;

// The key below which the services are kept.
constexpr char W32_SERVICES_KEY[] = "SYSTEM\\CurrentControlSet\\Services";

struct SERVICE_STATUS {
  DWORD dwServiceType;
  DWORD dwCurrentState;
  DWORD dwControlsAccepted;
  DWORD dwWin32ExitCode;
  DWORD dwServiceSpecificExitCode;
  DWORD dwCheckPoint;
  DWORD dwWaitHint;
};
static_assert(sizeof(SERVICE_STATUS) == 28);

// Connects to the local manager (machine null or empty; any other machine:
// RPC_S_SERVER_UNAVAILABLE). database and access are not checked.
SC_HANDLE OpenSCManagerA(const char* machine, const char* database, DWORD access);

// Opens the service name: ERROR_SERVICE_DOES_NOT_EXIST when there is none,
// ERROR_INVALID_HANDLE for a handle that is no manager's, ERROR_INVALID_NAME for a null
// or empty name or one holding '\' or '/'.
SC_HANDLE OpenServiceA(SC_HANDLE manager, const char* name, DWORD access);

// Enters the service name, stopped: ERROR_SERVICE_EXISTS when it is there already;
// refusals as OpenServiceA, and ERROR_INVALID_PARAMETER for a null path. display_name
// defaults to name. The group, tag, dependencies and account are accepted and not kept.
SC_HANDLE CreateServiceA(SC_HANDLE manager, const char* name, const char* display_name,
                         DWORD access, DWORD service_type, DWORD start_type,
                         DWORD error_control, const char* path, const char* group,
                         DWORD* tag_id, const char* dependencies, const char* account,
                         const char* password);

// Marks the service running: ERROR_SERVICE_ALREADY_RUNNING when it runs,
// ERROR_SERVICE_DISABLED when its start type is SERVICE_DISABLED. The arguments are not
// used.
BOOL StartServiceA(SC_HANDLE service, DWORD argument_count, const char** arguments);

// SERVICE_CONTROL_STOP marks a running service stopped (ERROR_SERVICE_NOT_ACTIVE when it
// does not run); SERVICE_CONTROL_INTERROGATE only reports. *status gets the state after
// the control; other controls: ERROR_INVALID_SERVICE_CONTROL.
BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status);

// The service's state into *status (ERROR_INVALID_PARAMETER for a null one).
BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status);

// Removes the service from the table at once (Windows waits for the last handle); its
// handles then give ERROR_SERVICE_MARKED_FOR_DELETE.
BOOL DeleteService(SC_HANDLE service);

// Closes a manager or service handle; ERROR_INVALID_HANDLE for any other.
BOOL CloseServiceHandle(SC_HANDLE handle);

}  // namespace w32
