#include "platform/w32/thread.h"

#include <pthread.h>
#include <semaphore.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#include "platform/w32/cancel.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/handle.h"
#include "platform/w32/mutex.h"

namespace w32 {

namespace {

// A thread behind a handle. The running thread holds one reference of its own, let go
// when it ends. State is guarded by g_lock.
struct Thread {
  W32HandleObject head;
  pthread_t thread;
  LPTHREAD_START_ROUTINE start;
  void* parameter;
  DWORD id;
  sem_t started;  // posted once id is known
  bool ended;
  bool code_set;  // by ExitThread or TerminateThread, before the end
  DWORD exit_code;
};

pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// The thread object of the calling thread when CreateThread started it.
thread_local Thread* t_self = nullptr;

void destroy_thread(W32HandleObject* object) {
  Thread* thread = reinterpret_cast<Thread*>(object);
  sem_destroy(&thread->started);
  delete thread;
}

void set_code(Thread* thread, DWORD code) {
  pthread_mutex_lock(&g_lock);
  if (!thread->code_set && !thread->ended) {
    thread->code_set = true;
    thread->exit_code = code;
  }
  pthread_mutex_unlock(&g_lock);
}

// Runs at the end of the thread however it ends: a return, ExitThread or a cancel.
void finish(void* argument) {
  Thread* thread = static_cast<Thread*>(argument);
  w32_mutex_thread_ended(thread->id);
  pthread_mutex_lock(&g_lock);
  thread->ended = true;
  pthread_mutex_unlock(&g_lock);
  t_self = nullptr;
  w32_handle_release(&thread->head);
}

void* run(void* argument) {
  Thread* thread = static_cast<Thread*>(argument);
  thread->id = static_cast<DWORD>(gettid());
  t_self = thread;
  sem_post(&thread->started);
  DWORD code = 0;
  pthread_cleanup_push(finish, thread);
  code = thread->start(thread->parameter);
  set_code(thread, code);
  pthread_cleanup_pop(1);
  return nullptr;
}

Thread* acquire_thread(HANDLE handle) {
  return reinterpret_cast<Thread*>(w32_handle_acquire(handle, W32_HANDLE_LOCAL_THREAD));
}

}  // namespace

HANDLE CreateThread(SECURITY_ATTRIBUTES* attributes, std::size_t stack_size,
                    LPTHREAD_START_ROUTINE start, void* parameter, DWORD flags, DWORD* thread_id) {
  if (w32_fault_hit("CreateThread")) return nullptr;
  if (start == nullptr ||
      (attributes != nullptr && attributes->nLength != sizeof(SECURITY_ATTRIBUTES))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if ((flags & CREATE_SUSPENDED) != 0) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  Thread* thread = new (std::nothrow) Thread{};
  if (thread == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  thread->head = W32HandleObject{destroy_thread, 1};  // the running thread's reference
  thread->start = start;
  thread->parameter = parameter;
  sem_init(&thread->started, 0, 0);
  HANDLE handle = w32_handle_open(&thread->head, W32_HANDLE_LOCAL_THREAD);
  if (handle == nullptr) {
    destroy_thread(&thread->head);
    return nullptr;
  }
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
  if (stack_size > 0) pthread_attr_setstacksize(&attr, stack_size < 65536 ? 65536 : stack_size);
  int error = pthread_create(&thread->thread, &attr, run, thread);
  pthread_attr_destroy(&attr);
  if (error != 0) {
    w32_handle_release(&thread->head);  // the reference the thread would have held
    w32_handle_close(handle, W32_HANDLE_LOCAL_THREAD);
    SetLastError(error == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : w32_error_from_errno(error));
    return nullptr;
  }
  {
    // The handle must reach the caller: no end of this thread while it waits here.
    W32NoCancel no_cancel;
    while (sem_wait(&thread->started) != 0 && errno == EINTR) {
    }
  }
  if (thread_id != nullptr) *thread_id = thread->id;
  return handle;
}

void ExitThread(DWORD exit_code) {
  if (t_self != nullptr) set_code(t_self, exit_code);
  pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE handle, DWORD* exit_code) {
  if (exit_code == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Thread* thread = acquire_thread(handle);
  if (thread == nullptr) return FALSE;
  pthread_mutex_lock(&g_lock);
  *exit_code = thread->ended ? thread->exit_code : STILL_ACTIVE;
  pthread_mutex_unlock(&g_lock);
  w32_handle_release(&thread->head);
  return TRUE;
}

DWORD GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }

HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2)); }

BOOL TerminateThread(HANDLE handle, DWORD exit_code) {
  if (w32_fault_hit("TerminateThread")) return FALSE;
  Thread* thread = acquire_thread(handle);
  if (thread == nullptr) return FALSE;
  pthread_mutex_lock(&g_lock);
  bool running = !thread->ended;
  if (running && !thread->code_set) {
    thread->code_set = true;
    thread->exit_code = exit_code;
  }
  // Cancelled under the lock: the thread cannot have ended (and gone) meanwhile, as its
  // end takes the lock.
  if (running) pthread_cancel(thread->thread);
  pthread_mutex_unlock(&g_lock);
  w32_handle_release(&thread->head);
  return TRUE;
}

bool w32_thread_ended(W32HandleObject* object) {
  Thread* thread = reinterpret_cast<Thread*>(object);
  pthread_mutex_lock(&g_lock);
  bool ended = thread->ended;
  pthread_mutex_unlock(&g_lock);
  return ended;
}

}  // namespace w32
