#include "platform/w32/wait.h"

#include <pthread.h>
#include <time.h>

#include <cstdlib>

#include "platform/w32/cancel.h"
#include "platform/w32/changenotify.h"
#include "platform/w32/clock.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/mutex.h"
#include "platform/w32/thread.h"

namespace w32 {

namespace {

constexpr unsigned kWaitable =
    W32_HANDLE_PROCESS | W32_HANDLE_THREAD | W32_HANDLE_LOCAL_THREAD | W32_HANDLE_MUTEX;

struct Held {
  W32HandleObject* object;
  unsigned kind;
};

// The objects a wait holds: malloc'd, so that a thread ended in the wait lets go of them
// (let_go, its cleanup) without a destructor to run.
struct HeldList {
  Held* items;
  DWORD count;
};

void let_go(void* argument) {
  HeldList* list = static_cast<HeldList*>(argument);
  for (DWORD i = 0; i < list->count; ++i) w32_handle_release(list->items[i].object);
  std::free(list->items);
  list->items = nullptr;
  list->count = 0;
}

DWORD fail_wait(DWORD code) {
  SetLastError(code);
  return WAIT_FAILED;
}

// WAIT_OBJECT_0 or WAIT_ABANDONED when the object is signalled (a mutex is then taken),
// WAIT_TIMEOUT when not. Not a cancellation point: a mutex taken here is the caller's.
DWORD poll(const Held& held) {
  switch (held.kind) {
    case W32_HANDLE_LOCAL_THREAD:
      return w32_thread_ended(held.object) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    case W32_HANDLE_MUTEX:
      return w32_mutex_try_take(held.object);
    default:
      return w32_process_ended(held.object) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }
}

// Looks at the objects in turn until one is signalled or the time is up; the pauses
// between the looks are the wait's only cancellation points.
DWORD wait_held(const HeldList& held, DWORD milliseconds) {
  long long deadline = milliseconds == INFINITE ? 0 : w32_clock_real_monotonic_ms() + milliseconds;
  long pause_us = 500;
  for (;;) {
    for (DWORD i = 0; i < held.count; ++i) {
      DWORD state = poll(held.items[i]);
      if (state != WAIT_TIMEOUT) return state + i;
    }
    long long left =
        milliseconds == INFINITE ? pause_us / 1000 + 1 : deadline - w32_clock_real_monotonic_ms();
    if (left <= 0) return WAIT_TIMEOUT;
    long sleep_us = pause_us < left * 1000 ? pause_us : static_cast<long>(left * 1000);
    timespec pause = {sleep_us / 1000000, (sleep_us % 1000000) * 1000};
    nanosleep(&pause, nullptr);
    if (pause_us < 20000) pause_us *= 2;
  }
}

DWORD wait_for(DWORD count, const HANDLE* handles, DWORD milliseconds) {
  HeldList held = {nullptr, 0};
  {
    W32NoCancel no_cancel;
    held.items = static_cast<Held*>(std::malloc(count * sizeof(Held)));
    if (held.items == nullptr) return fail_wait(ERROR_NOT_ENOUGH_MEMORY);
    for (DWORD i = 0; i < count; ++i) {
      unsigned kind = 0;
      W32HandleObject* object = w32_handle_acquire(handles[i], kWaitable, &kind);
      if (object == nullptr) {
        let_go(&held);
        return WAIT_FAILED;
      }
      held.items[held.count++] = Held{object, kind};
    }
  }
  DWORD result = WAIT_TIMEOUT;
  pthread_cleanup_push(let_go, &held);
  result = wait_held(held, milliseconds);
  pthread_cleanup_pop(1);
  return result;
}

}  // namespace

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  pthread_testcancel();  // also when the object is signalled already
  if (w32_fault_hit("WaitForSingleObject")) return WAIT_FAILED;
  // A change notification has a wait of its own, on the watch behind it.
  if (w32_is_change_notification(handle)) return w32_wait_change_notification(handle, milliseconds);
  return wait_for(1, &handle, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all,
                             DWORD milliseconds) {
  pthread_testcancel();
  if (w32_fault_hit("WaitForMultipleObjects")) return WAIT_FAILED;
  if (count == 0 || handles == nullptr) return fail_wait(ERROR_INVALID_PARAMETER);
  if (wait_all) return fail_wait(ERROR_NOT_SUPPORTED);
  return wait_for(count, handles, milliseconds);
}

}  // namespace w32
