#include "platform/w32/psapi.h"

#include <cstring>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/process.h"
#include "platform/w32/proclist.h"

namespace w32 {

BOOL EnumProcesses(DWORD* ids, DWORD bytes, DWORD* bytes_returned) {
  if (ids == nullptr || bytes_returned == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<W32ProcessInfo> processes;
  if (!w32_list_processes(&processes)) return FALSE;
  std::size_t room = bytes / sizeof(DWORD);
  std::size_t count = processes.size() < room ? processes.size() : room;
  for (std::size_t i = 0; i < count; ++i) ids[i] = processes[i].pid;
  *bytes_returned = static_cast<DWORD>(count * sizeof(DWORD));
  return TRUE;
}

DWORD GetModuleBaseNameA(HANDLE process, HMODULE module, char* name, DWORD size) {
  if (name == nullptr || size == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (module != nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  DWORD exit_code = 0;
  if (!GetExitCodeProcess(process, &exit_code)) {
    if (GetLastError() == ERROR_NOT_SUPPORTED) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DWORD pid = exit_code == STILL_ACTIVE ? GetProcessId(process) : 0;
  W32ProcessInfo info;
  unsigned long long start = 0;
  if (pid == 0 || !w32_process_info(pid, &info, &start)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t length = std::strlen(info.name);
  if (length >= size) length = size - 1;
  std::memcpy(name, info.name, length);
  name[length] = '\0';
  return static_cast<DWORD>(length);
}

}  // namespace w32
