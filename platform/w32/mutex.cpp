#include "platform/w32/mutex.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/w32/cancel.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/mutex_testing.h"
#include "platform/w32/standin_folder.h"

namespace w32 {

namespace {

// One mutex as this process knows it; every handle to it points here. Guarded by g_lock.
struct Shared {
  Shared* next;
  char name[MAX_PATH];  // empty: a mutex without a name
  int refs;             // the handle objects that point here
  int holder_fd;        // holds the shared lock of a named mutex; -1 without a name
  int owner_fd;         // locked by the owning process; holds its id
  pid_t owner;          // the owner thread in this process, 0 when none
  int count;            // how often the owner took it
};

struct MutexHandle {
  W32HandleObject head;
  Shared* shared;
};

pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;
Shared* g_named = nullptr;  // the named mutexes this process has handles to
char g_folder[1024] = "";   // set by a test; empty: the environment's choice

HANDLE fail(DWORD code) {
  SetLastError(code);
  return nullptr;
}

std::string folder() {
  return w32_standin_folder(g_folder, W32_MUTEX_FOLDER_VARIABLE, "yrl-w32-mutexes");
}

// The file of name with suffix in the folder base.
std::string file_of(const std::string& base, const char* name, const char* suffix) {
  return base + "/m-" + w32_standin_file_name(name) + suffix;
}

int open_file(const std::string& path) {
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

int lock(int fd, int operation) {
  int result = 0;
  while ((result = flock(fd, operation)) != 0 && errno == EINTR) {
  }
  return result;
}

// Opens the named mutex's files. *existed tells whether some process had a handle to
// it; when none had and create is false, nothing is kept: ERROR_FILE_NOT_FOUND. The
// decision is made under an exclusive lock of the folder's guard file, so that no other
// process looks while this one turns its test lock into a shared one. Called with g_lock
// held; ERROR_SUCCESS or the reason.
DWORD open_named(Shared* shared, bool create, bool* existed) {
  std::string base = folder();
  int guard = open_file(base + "/guard");
  if (guard < 0) return w32_error_from_errno(errno);
  DWORD code = ERROR_SUCCESS;
  if (lock(guard, LOCK_EX) != 0) code = w32_error_from_errno(errno);
  int holder = code == ERROR_SUCCESS ? open_file(file_of(base, shared->name, ".h")) : -1;
  if (code == ERROR_SUCCESS && holder < 0) code = w32_error_from_errno(errno);
  if (code == ERROR_SUCCESS) {
    *existed = flock(holder, LOCK_EX | LOCK_NB) != 0;
    if (!*existed && !create) code = ERROR_FILE_NOT_FOUND;
  }
  if (code == ERROR_SUCCESS && lock(holder, LOCK_SH) != 0) code = w32_error_from_errno(errno);
  int owner = code == ERROR_SUCCESS ? open_file(file_of(base, shared->name, ".o")) : -1;
  if (code == ERROR_SUCCESS && owner < 0) code = w32_error_from_errno(errno);
  ::close(guard);  // lets go of the guard's lock
  if (code != ERROR_SUCCESS) {
    if (holder >= 0) ::close(holder);
    return code;
  }
  shared->holder_fd = holder;
  shared->owner_fd = owner;
  return ERROR_SUCCESS;
}

void drop(Shared* shared) {
  if (--shared->refs > 0) return;
  for (Shared** link = &g_named; *link != nullptr; link = &(*link)->next) {
    if (*link == shared) {
      *link = shared->next;
      break;
    }
  }
  // An owner that lets go of its last handle abandons the mutex: its id stays in the
  // file for the next owner to see.
  if (shared->holder_fd >= 0) {
    ::close(shared->owner_fd);
    ::close(shared->holder_fd);
  }
  delete shared;
}

void destroy_handle(W32HandleObject* object) {
  MutexHandle* handle = reinterpret_cast<MutexHandle*>(object);
  pthread_mutex_lock(&g_lock);
  drop(handle->shared);
  pthread_mutex_unlock(&g_lock);
  delete handle;
}

// Whether the thread of this process with the kernel id tid still runs. An id is used
// again only after the kernel has gone through all the others.
bool thread_runs(pid_t tid) {
  return syscall(SYS_tgkill, getpid(), tid, 0) == 0 || errno != ESRCH;
}

// Takes shared for the calling thread; called with g_lock held. A thread of this process
// that ended owning it (it returned, or was ended in a wait after it took it) abandoned
// it, as a process that ends does. Threads that CreateThread started let go of a named
// one as they end (w32_mutex_thread_ended); others, and a mutex without a name, are
// found out here.
DWORD take(Shared* shared) {
  pid_t self = gettid();
  if (shared->owner == self) {
    ++shared->count;
    return WAIT_OBJECT_0;
  }
  DWORD result = WAIT_OBJECT_0;
  if (shared->owner != 0) {
    if (thread_runs(shared->owner)) return WAIT_TIMEOUT;
    // This process keeps the owner's lock of a named mutex: it passes to the caller.
    shared->owner = self;
    shared->count = 1;
    return WAIT_ABANDONED;
  }
  if (shared->holder_fd >= 0) {
    if (flock(shared->owner_fd, LOCK_EX | LOCK_NB) != 0) return WAIT_TIMEOUT;
    // A process id left in the file: its owner ended without letting go.
    char left[16];
    if (pread(shared->owner_fd, left, sizeof left, 0) > 0) result = WAIT_ABANDONED;
    char id[16];
    int length = std::snprintf(id, sizeof id, "%d", static_cast<int>(getpid()));
    if (ftruncate(shared->owner_fd, 0) != 0 ||
        pwrite(shared->owner_fd, id, static_cast<std::size_t>(length), 0) != length) {
      // Ownership holds by the lock alone; the id only tells of an abandonment.
    }
  }
  shared->owner = self;
  shared->count = 1;
  return result;
}

HANDLE hand_out(Shared* shared) {
  MutexHandle* handle = new (std::nothrow) MutexHandle{{destroy_handle, 0}, shared};
  if (handle == nullptr) {
    drop(shared);
    return fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  HANDLE opened = w32_handle_open(&handle->head, W32_HANDLE_MUTEX);
  if (opened == nullptr) {
    drop(shared);
    delete handle;
  }
  return opened;
}

// Finds or opens the mutex name for a new handle; called with g_lock held.
Shared* find_or_open(const char* name, bool create, bool* existed, DWORD* code) {
  for (Shared* shared = g_named; shared != nullptr; shared = shared->next) {
    if (std::strcmp(shared->name, name) == 0) {
      ++shared->refs;
      *existed = true;
      return shared;
    }
  }
  Shared* shared = new (std::nothrow) Shared{};
  if (shared == nullptr) {
    *code = ERROR_NOT_ENOUGH_MEMORY;
    return nullptr;
  }
  std::strcpy(shared->name, name);
  *code = open_named(shared, create, existed);
  if (*code != ERROR_SUCCESS) {
    delete shared;
    return nullptr;
  }
  shared->refs = 1;
  shared->next = g_named;
  g_named = shared;
  return shared;
}

}  // namespace

HANDLE CreateMutexA(SECURITY_ATTRIBUTES* attributes, BOOL initial_owner, const char* name) {
  if (w32_fault_hit("CreateMutexA")) return nullptr;
  W32NoCancel no_cancel;  // files are opened and closed under g_lock
  if (attributes != nullptr && attributes->nLength != sizeof(SECURITY_ATTRIBUTES))
    return fail(ERROR_INVALID_PARAMETER);
  if (name != nullptr && std::strlen(name) >= MAX_PATH) return fail(ERROR_FILENAME_EXCED_RANGE);
  pthread_mutex_lock(&g_lock);
  bool existed = false;
  DWORD code = ERROR_SUCCESS;
  Shared* shared = nullptr;
  if (name == nullptr || name[0] == '\0') {
    shared = new (std::nothrow) Shared{};
    if (shared == nullptr) code = ERROR_NOT_ENOUGH_MEMORY;
    if (shared != nullptr) {
      shared->refs = 1;
      shared->holder_fd = shared->owner_fd = -1;
    }
  } else {
    shared = find_or_open(name, true, &existed, &code);
  }
  if (shared != nullptr && initial_owner && !existed) take(shared);
  HANDLE handle = shared != nullptr ? hand_out(shared) : fail(code);
  pthread_mutex_unlock(&g_lock);
  if (handle != nullptr) SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenMutexA(DWORD, BOOL, const char* name) {
  if (w32_fault_hit("OpenMutexA")) return nullptr;
  if (name == nullptr || name[0] == '\0') return fail(ERROR_INVALID_PARAMETER);
  if (std::strlen(name) >= MAX_PATH) return fail(ERROR_FILENAME_EXCED_RANGE);
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  bool existed = false;
  DWORD code = ERROR_SUCCESS;
  Shared* shared = find_or_open(name, false, &existed, &code);
  HANDLE handle = shared != nullptr ? hand_out(shared) : fail(code);
  pthread_mutex_unlock(&g_lock);
  return handle;
}

BOOL ReleaseMutex(HANDLE handle) {
  if (w32_fault_hit("ReleaseMutex")) return FALSE;
  auto* mutex = reinterpret_cast<MutexHandle*>(w32_handle_acquire(handle, W32_HANDLE_MUTEX));
  if (mutex == nullptr) return FALSE;
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  Shared* shared = mutex->shared;
  bool owner = shared->owner == gettid();
  if (owner && --shared->count == 0) {
    shared->owner = 0;
    if (shared->holder_fd >= 0) {
      if (ftruncate(shared->owner_fd, 0) != 0) {
        // Left as it is, the id tells the next owner of an abandonment: no harm done.
      }
      flock(shared->owner_fd, LOCK_UN);
    }
  }
  pthread_mutex_unlock(&g_lock);
  w32_handle_release(&mutex->head);
  if (!owner) SetLastError(ERROR_NOT_OWNER);
  return owner ? TRUE : FALSE;
}

DWORD w32_mutex_try_take(W32HandleObject* object) {
  MutexHandle* mutex = reinterpret_cast<MutexHandle*>(object);
  W32NoCancel no_cancel;  // the owner's id is written under g_lock
  pthread_mutex_lock(&g_lock);
  DWORD result = take(mutex->shared);
  pthread_mutex_unlock(&g_lock);
  return result;
}

void w32_mutex_thread_ended(DWORD thread_id) {
  pthread_mutex_lock(&g_lock);
  for (Shared* shared = g_named; shared != nullptr; shared = shared->next) {
    if (shared->owner != static_cast<pid_t>(thread_id)) continue;
    shared->owner = 0;
    shared->count = 0;
    flock(shared->owner_fd, LOCK_UN);
  }
  pthread_mutex_unlock(&g_lock);
}

bool mutex_testing_set_folder(const char* path) {
  if (path != nullptr && std::strlen(path) >= sizeof g_folder) return false;
  pthread_mutex_lock(&g_lock);
  std::strcpy(g_folder, path != nullptr ? path : "");
  pthread_mutex_unlock(&g_lock);
  return true;
}

}  // namespace w32
