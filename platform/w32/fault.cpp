#include "platform/w32/fault.h"

#include <pthread.h>

#include <cstring>

#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"

namespace w32 {

namespace {

constexpr std::size_t kNameSize = 32;

// One armed fault: the calls of function still to come before the failing one.
struct Fault {
  char function[kNameSize];  // empty: the entry is free
  int calls_left;
  DWORD code;
};

// Guarded by g_lock: the launcher calls the layer from two threads.
Fault g_faults[W32_FAULT_MAX];
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

}  // namespace

BOOL w32_fault_hit(const char* function) {
  if (function == nullptr) return FALSE;
  BOOL hit = FALSE;
  DWORD code = ERROR_SUCCESS;
  pthread_mutex_lock(&g_lock);
  // Every fault armed on the function counts the call, so that two arms on one function
  // hit the calls they were armed for.
  for (Fault& fault : g_faults) {
    if (fault.function[0] == '\0' || std::strcmp(fault.function, function) != 0) continue;
    if (--fault.calls_left > 0) continue;
    fault.function[0] = '\0';
    hit = TRUE;
    code = fault.code;
  }
  pthread_mutex_unlock(&g_lock);
  if (hit) SetLastError(code);
  return hit;
}

BOOL fault_testing_fail_on_call(const char* function, int n, DWORD code) {
  if (function == nullptr || function[0] == '\0' || std::strlen(function) >= kNameSize || n < 1)
    return FALSE;
  pthread_mutex_lock(&g_lock);
  BOOL armed = FALSE;
  for (Fault& fault : g_faults) {
    if (fault.function[0] != '\0') continue;
    std::strcpy(fault.function, function);
    fault.calls_left = n;
    fault.code = code;
    armed = TRUE;
    break;
  }
  pthread_mutex_unlock(&g_lock);
  return armed;
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
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
