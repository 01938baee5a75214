#include "platform/w32/fault.h"

#include <pthread.h>

#include <cstring>

#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"

namespace w32 {

namespace {

constexpr std::size_t kNameSize = 32;
constexpr std::size_t kFilterSize = 64;
// Room for the UTF-8 form of a W name matched against a filter.
constexpr int kMatchNameSize = 4096;

enum class Kind { fail, short_write, hook };

// One armed fault: it acts on the first-th to the last-th matching call after arming.
struct Fault {
  char function[kNameSize];  // empty: the entry is free
  char filter[kFilterSize];  // empty: every call matches
  Kind kind;
  int first;
  int last;
  int seen;  // matching calls so far
  DWORD code;
  DWORD bytes;
  void (*hook)(void*);
  void* data;
};

struct Counter {
  char function[kNameSize];
  long calls;
};

// Guarded by g_lock: the launcher calls the layer from two threads.
Fault g_faults[W32_FAULT_MAX];
Counter g_counters[W32_FAULT_COUNTED_MAX];
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

bool valid_function(const char* function) {
  return function != nullptr && function[0] != '\0' && std::strlen(function) < kNameSize;
}

void count_call(const char* function) {
  for (Counter& counter : g_counters) {
    if (counter.function[0] == '\0') {
      std::strcpy(counter.function, function);
      counter.calls = 1;
      return;
    }
    if (std::strcmp(counter.function, function) == 0) {
      ++counter.calls;
      return;
    }
  }
}

BOOL arm(const char* function, const char* filter, Kind kind, int first, int last, DWORD code,
         DWORD bytes, void (*hook)(void*), void* data) {
  if (!valid_function(function) || first < 1 || last < first) return FALSE;
  if (filter != nullptr && std::strlen(filter) >= kFilterSize) return FALSE;
  pthread_mutex_lock(&g_lock);
  BOOL armed = FALSE;
  for (Fault& fault : g_faults) {
    if (fault.function[0] != '\0') continue;
    std::strcpy(fault.function, function);
    std::strcpy(fault.filter, filter != nullptr ? filter : "");
    fault.kind = kind;
    fault.first = first;
    fault.last = last;
    fault.seen = 0;
    fault.code = code;
    fault.bytes = bytes;
    fault.hook = hook;
    fault.data = data;
    armed = TRUE;
    break;
  }
  pthread_mutex_unlock(&g_lock);
  return armed;
}

}  // namespace

BOOL w32_fault_hit(const char* function, const char* name, DWORD* write_limit) {
  if (function == nullptr) return FALSE;
  BOOL hit = FALSE;
  DWORD code = ERROR_SUCCESS;
  void (*hooks[W32_FAULT_MAX])(void*);
  void* hook_data[W32_FAULT_MAX];
  int hook_count = 0;
  pthread_mutex_lock(&g_lock);
  count_call(function);
  // Every fault armed on the function counts the call, so that two arms on one function
  // act on the calls they were armed for.
  for (Fault& fault : g_faults) {
    if (fault.function[0] == '\0' || std::strcmp(fault.function, function) != 0) continue;
    if (fault.filter[0] != '\0' && (name == nullptr || std::strstr(name, fault.filter) == nullptr))
      continue;
    ++fault.seen;
    if (fault.seen < fault.first) continue;
    switch (fault.kind) {
      case Kind::fail:
        hit = TRUE;
        code = fault.code;
        break;
      case Kind::short_write:
        if (write_limit != nullptr) *write_limit = fault.bytes;
        break;
      case Kind::hook:
        hooks[hook_count] = fault.hook;
        hook_data[hook_count++] = fault.data;
        break;
    }
    if (fault.seen >= fault.last) fault.function[0] = '\0';
  }
  pthread_mutex_unlock(&g_lock);
  for (int i = 0; i < hook_count; ++i) hooks[i](hook_data[i]);
  if (hit) SetLastError(code);
  return hit;
}

BOOL w32_fault_hit(const char* function, const WCHAR* name) {
  char narrow[kMatchNameSize];
  narrow[0] = '\0';
  if (name != nullptr) {
    DWORD saved = GetLastError();
    int made = WideCharToMultiByte(CP_UTF8, 0, name, -1, narrow, kMatchNameSize, nullptr, nullptr);
    if (made <= 0) narrow[0] = '\0';
    SetLastError(saved);
  }
  return w32_fault_hit(function, name != nullptr ? narrow : static_cast<const char*>(nullptr));
}

DWORD w32_fault_code(const char* function, const char* name) {
  DWORD saved = GetLastError();
  DWORD code = w32_fault_hit(function, name) ? GetLastError() : ERROR_SUCCESS;
  SetLastError(saved);
  return code;
}

BOOL fault_testing_fail_on_call(const char* function, int n, DWORD code) {
  return arm(function, nullptr, Kind::fail, n, n, code, 0, nullptr, nullptr);
}

BOOL fault_testing_fail_calls(const char* function, int n, int m, DWORD code, const char* filter) {
  return arm(function, filter, Kind::fail, n, m, code, 0, nullptr, nullptr);
}

BOOL fault_testing_short_write(const char* function, int n, DWORD bytes) {
  return arm(function, nullptr, Kind::short_write, n, n, ERROR_DISK_FULL, bytes, nullptr, nullptr);
}

BOOL fault_testing_hook_call(const char* function, int n, void (*hook)(void* data), void* data) {
  if (hook == nullptr) return FALSE;
  return arm(function, nullptr, Kind::hook, n, n, ERROR_SUCCESS, 0, hook, data);
}

BOOL fault_testing_is_writing_call(const char* function) {
  return function != nullptr &&
         (std::strcmp(function, "WriteFile") == 0 || std::strcmp(function, "_write") == 0);
}

BOOL fault_testing_counted(int index, const char** function, long* calls) {
  if (index < 0 || index >= W32_FAULT_COUNTED_MAX) return FALSE;
  pthread_mutex_lock(&g_lock);
  const Counter& counter = g_counters[index];
  BOOL found = counter.function[0] != '\0';
  if (found) {
    if (function != nullptr) *function = counter.function;
    if (calls != nullptr) *calls = counter.calls;
  }
  pthread_mutex_unlock(&g_lock);
  return found;
}

long fault_testing_calls(const char* function) {
  if (function == nullptr) return 0;
  pthread_mutex_lock(&g_lock);
  long calls = 0;
  for (const Counter& counter : g_counters)
    if (counter.function[0] != '\0' && std::strcmp(counter.function, function) == 0)
      calls = counter.calls;
  pthread_mutex_unlock(&g_lock);
  return calls;
}

int fault_testing_armed() {
  pthread_mutex_lock(&g_lock);
  int armed = 0;
  for (const Fault& fault : g_faults) armed += fault.function[0] != '\0' ? 1 : 0;
  pthread_mutex_unlock(&g_lock);
  return armed;
}

void fault_testing_reset() {
  pthread_mutex_lock(&g_lock);
  for (Fault& fault : g_faults) fault.function[0] = '\0';
  for (Counter& counter : g_counters) counter.function[0] = '\0';
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
