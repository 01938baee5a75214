// Process snapshots (the tool-help functions), over /proc.
//
// A snapshot lists the processes in /proc at the time it is taken, by rising id, with
// the idle process (id 0, "[System Process]") first as on Win32. The name of a process
// is the last component of the program it runs (/proc/<id>/exe), else of its first
// argument, else its kernel name.
#pragma once

#include <cstddef>

#include "platform/w32/handle.h"
#include "platform/w32/types.h"

namespace w32 {

constexpr DWORD TH32CS_SNAPHEAPLIST = 0x1;
constexpr DWORD TH32CS_SNAPPROCESS = 0x2;
constexpr DWORD TH32CS_SNAPTHREAD = 0x4;
constexpr DWORD TH32CS_SNAPMODULE = 0x8;

struct PROCESSENTRY32 {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  ULONG_PTR th32DefaultHeapID;
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  char szExeFile[MAX_PATH];
};
// The natural x86-64 layout: the heap id is pointer-sized.
static_assert(offsetof(PROCESSENTRY32, th32DefaultHeapID) == 16);
static_assert(offsetof(PROCESSENTRY32, th32ModuleID) == 24);
static_assert(offsetof(PROCESSENTRY32, szExeFile) == 44);
static_assert(sizeof(PROCESSENTRY32) == 304);

// Takes a snapshot; only processes are listed (TH32CS_SNAPPROCESS), the other kinds
// are accepted and give nothing. process_id is not used. INVALID_HANDLE_VALUE with the
// reason when /proc cannot be read. Closed with CloseHandle.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD process_id);

// The first and the next process of a snapshot. entry->dwSize must be at least
// sizeof(PROCESSENTRY32) (else FALSE, ERROR_BAD_LENGTH); FALSE with ERROR_NO_MORE_FILES
// past the last, ERROR_INVALID_HANDLE for a handle that is no snapshot.
BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry);
BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry);

}  // namespace w32
