#include "platform/w32/changenotify.h"

#include <poll.h>
#include <pthread.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/w32/cancel.h"
#include "platform/w32/clock.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/process.h"

namespace w32 {

namespace {

constexpr DWORD kKnownFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                               FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                               FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_LAST_ACCESS |
                               FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_SECURITY;
constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

// One handle's watch. Every open one is on the chain of g_watches.
struct Watch {
  W32HandleObject head;
  int wd;
  DWORD filter;
  bool signalled;
  Watch* next;
};

// Guarded by g_lock; the instance is made on first use and kept for the process.
int g_instance = -1;
Watch* g_watches = nullptr;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

uint32_t events_of(DWORD filter) {
  uint32_t events = 0;
  if ((filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) != 0)
    events |= kNameEvents;
  if ((filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) != 0)
    events |= IN_ATTRIB;
  if ((filter & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE)) != 0)
    events |= IN_MODIFY | IN_CLOSE_WRITE;
  if ((filter & FILE_NOTIFY_CHANGE_LAST_ACCESS) != 0) events |= IN_ACCESS;
  if ((filter & FILE_NOTIFY_CHANGE_CREATION) != 0) events |= IN_CREATE;
  return events;
}

// Whether an event concerns a watch of filter.
bool matches(DWORD filter, uint32_t mask) {
  if ((mask & kNameEvents) != 0) {
    DWORD names = (mask & IN_ISDIR) != 0 ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME;
    if ((filter & names) != 0) return true;
  }
  return (events_of(filter) & mask & ~kNameEvents) != 0;
}

// Reads every pending event and signals the watches it concerns. Called with g_lock held
// and cancellation held off (cancel.h): the read is a cancellation point.
void collect() {
  if (g_instance < 0) return;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    ssize_t got = ::read(g_instance, buffer, sizeof buffer);
    if (got <= 0) return;
    for (char* at = buffer; at < buffer + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      for (Watch* watch = g_watches; watch != nullptr; watch = watch->next)
        if (watch->wd == event->wd && matches(watch->filter, event->mask)) watch->signalled = true;
      at += sizeof(inotify_event) + event->len;
    }
  }
}

void destroy_watch(W32HandleObject* object) {
  Watch* watch = reinterpret_cast<Watch*>(object);
  pthread_mutex_lock(&g_lock);
  bool shared = false;
  for (Watch** link = &g_watches; *link != nullptr;) {
    if (*link == watch) {
      *link = watch->next;
      continue;
    }
    if ((*link)->wd == watch->wd) shared = true;
    link = &(*link)->next;
  }
  if (!shared && g_instance >= 0) inotify_rm_watch(g_instance, watch->wd);
  pthread_mutex_unlock(&g_lock);
  delete watch;
}

HANDLE fail(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

template <typename Char>
HANDLE first_change(const char* function, const Char* name, BOOL watch_subtree, DWORD filter) {
  if (w32_fault_hit(function, name)) return INVALID_HANDLE_VALUE;
  if (name == nullptr || (filter & kKnownFilter) == 0) return fail(ERROR_INVALID_PARAMETER);
  if (watch_subtree) return fail(ERROR_NOT_SUPPORTED);
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path(name, posix, sizeof posix)) return INVALID_HANDLE_VALUE;
  Watch* watch = new (std::nothrow) Watch{{destroy_watch, 0}, -1, filter, false, nullptr};
  if (watch == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY);
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  if (g_instance < 0) g_instance = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  int error = g_instance < 0 ? errno : 0;
  if (g_instance >= 0) {
    // Events already pending belong to the watches before this one.
    collect();
    watch->wd = inotify_add_watch(g_instance, posix, events_of(filter) | IN_ONLYDIR | IN_MASK_ADD);
    error = watch->wd < 0 ? errno : 0;
  }
  if (error == 0) {
    watch->next = g_watches;
    g_watches = watch;
  }
  pthread_mutex_unlock(&g_lock);
  if (error != 0) {
    delete watch;
    if (error == ENOSPC || error == EMFILE) return fail(ERROR_NOT_ENOUGH_QUOTA);
    return fail(error == ENOTDIR || error == ENOENT ? ERROR_PATH_NOT_FOUND
                                                    : w32_error_from_errno(error));
  }
  HANDLE handle = w32_handle_open(&watch->head, W32_HANDLE_CHANGE);
  if (handle == nullptr) {
    destroy_watch(&watch->head);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// Whether a change came for watch.
bool changed(Watch* watch, int* instance) {
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  collect();
  bool signalled = watch->signalled;
  *instance = g_instance;
  pthread_mutex_unlock(&g_lock);
  return signalled;
}

// Waits for a change of watch; the pauses are the wait's cancellation points.
DWORD wait_change(Watch* watch, DWORD milliseconds) {
  long long deadline = milliseconds == INFINITE ? 0 : w32_clock_real_monotonic_ms() + milliseconds;
  for (;;) {
    int instance = -1;
    if (changed(watch, &instance)) return WAIT_OBJECT_0;
    long long left = milliseconds == INFINITE ? 1000 : deadline - w32_clock_real_monotonic_ms();
    if (left <= 0) return WAIT_TIMEOUT;
    pollfd ready{instance, POLLIN, 0};
    poll(&ready, 1, static_cast<int>(left > 1000 ? 1000 : left));
  }
}

// Cleanup of a wait: lets go of its watch when the thread ends there.
void let_go(void* watch) { w32_handle_release(&static_cast<Watch*>(watch)->head); }

}  // namespace

HANDLE FindFirstChangeNotificationA(const char* name, BOOL watch_subtree, DWORD filter) {
  return first_change("FindFirstChangeNotificationA", name, watch_subtree, filter);
}

HANDLE FindFirstChangeNotificationW(const WCHAR* name, BOOL watch_subtree, DWORD filter) {
  return first_change("FindFirstChangeNotificationW", name, watch_subtree, filter);
}

BOOL FindNextChangeNotification(HANDLE handle) {
  auto* watch = reinterpret_cast<Watch*>(w32_handle_acquire(handle, W32_HANDLE_CHANGE));
  if (watch == nullptr) return FALSE;
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  collect();
  watch->signalled = false;
  pthread_mutex_unlock(&g_lock);
  w32_handle_release(&watch->head);
  return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE handle) {
  return w32_handle_close(handle, W32_HANDLE_CHANGE);
}

bool w32_is_change_notification(HANDLE handle) {
  W32HandleObject* object = w32_handle_acquire(handle, W32_HANDLE_CHANGE);
  if (object == nullptr) return false;
  w32_handle_release(object);
  return true;
}

DWORD w32_wait_change_notification(HANDLE handle, DWORD milliseconds) {
  auto* watch = reinterpret_cast<Watch*>(w32_handle_acquire(handle, W32_HANDLE_CHANGE));
  if (watch == nullptr) return WAIT_FAILED;
  DWORD result = WAIT_TIMEOUT;
  pthread_cleanup_push(let_go, watch);
  result = wait_change(watch, milliseconds);
  pthread_cleanup_pop(1);
  return result;
}

}  // namespace w32
