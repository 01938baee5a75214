// Windows services by name: running, installed, start, stop, install, remove, state.
// Each call opens the service manager and the service and closes them before it returns.
#pragma once

namespace vek {

// 1 when the service is in any state but stopped; 0 when stopped or when the manager
// or the service cannot be opened.
int ginst_is_service_running(const char* name);
// Sends the stop control: 1 when it was taken. A service that does not exist counts as
// stopped (1); any other failure to open the manager or the service gives 0.
int ginst_stop_service(const char* name);
// Starts the service: 1 when started; 0 when it could not be, also when the manager or
// the service cannot be opened.
int ginst_start_service(const char* name);
// 1 when the service opens.
int ginst_is_service_installed(const char* name);
// Makes an automatic service of its own process running program: 1 when made.
int ginst_install_service(const char* name, const char* program);
// Stops, asks and removes the service: 1 when removed; 0 when it cannot be opened.
int ginst_remove_service(const char* name);
// The service's current state into *state (0 when it cannot be opened): 1 when asked.
int ginst_service_current_state(const char* name, int* state);

}  // namespace vek
