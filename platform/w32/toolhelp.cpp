#include "platform/w32/toolhelp.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/w32/error.h"
#include "platform/w32/proclist.h"

namespace w32 {

namespace {

struct Snapshot {
  W32HandleObject head;
  std::vector<W32ProcessInfo> processes;
  std::size_t next;  // the entry Process32Next gives
};

void destroy_snapshot(W32HandleObject* object) { delete reinterpret_cast<Snapshot*>(object); }

// Gives entry index of the snapshot behind handle and moves past it.
BOOL walk(HANDLE handle, PROCESSENTRY32* entry, bool from_start) {
  if (entry == nullptr || entry->dwSize < sizeof(PROCESSENTRY32)) {
    SetLastError(entry == nullptr ? ERROR_INVALID_PARAMETER : ERROR_BAD_LENGTH);
    return FALSE;
  }
  Snapshot* snapshot = reinterpret_cast<Snapshot*>(w32_handle_acquire(handle, W32_HANDLE_SNAPSHOT));
  if (snapshot == nullptr) return FALSE;
  // Each walk of one snapshot is the caller's to order, as on Win32: the position is
  // the snapshot's.
  std::size_t index = from_start ? 0 : __atomic_load_n(&snapshot->next, __ATOMIC_SEQ_CST);
  BOOL found = index < snapshot->processes.size();
  if (found) {
    const W32ProcessInfo& info = snapshot->processes[index];
    DWORD size = entry->dwSize;
    std::memset(entry, 0, sizeof(PROCESSENTRY32));
    entry->dwSize = size;
    entry->th32ProcessID = info.pid;
    entry->cntThreads = info.threads;
    entry->th32ParentProcessID = info.parent;
    entry->pcPriClassBase = 8;  // normal priority
    std::memcpy(entry->szExeFile, info.name, sizeof entry->szExeFile);
    __atomic_store_n(&snapshot->next, index + 1, __ATOMIC_SEQ_CST);
  } else {
    SetLastError(ERROR_NO_MORE_FILES);
  }
  w32_handle_release(&snapshot->head);
  return found;
}

}  // namespace

HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD /*process_id*/) {
  Snapshot* snapshot = new (std::nothrow) Snapshot();
  if (snapshot == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  snapshot->head.destroy = destroy_snapshot;
  if ((flags & TH32CS_SNAPPROCESS) != 0 && !w32_list_processes(&snapshot->processes)) {
    delete snapshot;
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = w32_handle_open(&snapshot->head, W32_HANDLE_SNAPSHOT);
  if (handle == nullptr) {
    delete snapshot;
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) { return walk(snapshot, entry, true); }

BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) { return walk(snapshot, entry, false); }

}  // namespace w32
