// The processes of the system as /proc shows them, for the tool-help and process-status
// functions and for process handles.
#pragma once

#include <vector>

#include "platform/w32/types.h"

namespace w32 {

struct W32ProcessInfo {
  DWORD pid;
  DWORD parent;
  DWORD threads;
  // The program's base name in the system code page (see toolhelp.h).
  char name[MAX_PATH];
};

// Facts about a live process (not a zombie): TRUE with *info and *start (its start
// time in clock ticks, which tells a reused id apart) filled; FALSE when there is no
// such process or it has ended.
BOOL w32_process_info(DWORD pid, W32ProcessInfo* info, unsigned long long* start);

// Every live process by rising id, after the idle process (id 0, "[System Process]").
// FALSE with the reason in GetLastError when /proc cannot be read.
BOOL w32_list_processes(std::vector<W32ProcessInfo>* processes);

}  // namespace w32
