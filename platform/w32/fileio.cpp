#include "platform/w32/fileio.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/w32/cancel.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/file.h"
#include "platform/w32/filetime.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/pipe.h"

namespace w32 {

namespace {

// One open file or directory. Every open one is on the chain of g_open_files, so that a
// new open, a deletion or a rename can be checked against the share modes of the others.
struct OpenFile {
  W32HandleObject head;
  int fd;
  DWORD access;  // GENERIC_READ, GENERIC_WRITE or both
  DWORD share;   // the FILE_SHARE_* bits it was opened with
  bool directory;
  dev_t device;
  ino_t inode;
  OpenFile* next;
  bool pipe;  // one end of a pipe (pipe.h): no position, no share modes
};

// Guarded by g_share_lock. Plain data: nothing to make at load.
OpenFile* g_open_files = nullptr;
pthread_mutex_t g_share_lock = PTHREAD_MUTEX_INITIALIZER;

void unlink_open_file(OpenFile* file) {
  pthread_mutex_lock(&g_share_lock);
  for (OpenFile** link = &g_open_files; *link != nullptr; link = &(*link)->next) {
    if (*link == file) {
      *link = file->next;
      break;
    }
  }
  pthread_mutex_unlock(&g_share_lock);
}

void destroy_file(W32HandleObject* object) {
  OpenFile* file = reinterpret_cast<OpenFile*>(object);
  unlink_open_file(file);
  ::close(file->fd);
  delete file;
}

// Whether an open with access and share can stand beside an open file: each side must
// share what the other one uses.
bool shares_with(const OpenFile& open, DWORD access, DWORD share) {
  if ((access & GENERIC_READ) != 0 && (open.share & FILE_SHARE_READ) == 0) return false;
  if ((access & GENERIC_WRITE) != 0 && (open.share & FILE_SHARE_WRITE) == 0) return false;
  if ((open.access & GENERIC_READ) != 0 && (share & FILE_SHARE_READ) == 0) return false;
  if ((open.access & GENERIC_WRITE) != 0 && (share & FILE_SHARE_WRITE) == 0) return false;
  return true;
}

HANDLE fail_open(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// Opens posix with the creation flags of a disposition; the descriptor, or -1 with
// errno. *existed tells whether the file was there before (for the dispositions that
// make it when it is missing).
int open_by_disposition(const char* posix, int base, DWORD disposition, mode_t mode, bool* existed) {
  *existed = true;
  switch (disposition) {
    case CREATE_NEW:
      *existed = false;
      return ::open(posix, base | O_CREAT | O_EXCL, mode);
    case CREATE_ALWAYS:
    case OPEN_ALWAYS: {
      // A new file first, so that "existed" is what this call found, not a guess.
      int fd = ::open(posix, base | O_CREAT | O_EXCL, mode);
      if (fd >= 0 || errno != EEXIST) {
        *existed = false;
        return fd;
      }
      return ::open(posix, base | (disposition == CREATE_ALWAYS ? O_TRUNC : 0));
    }
    case OPEN_EXISTING:
      return ::open(posix, base);
    default:  // TRUNCATE_EXISTING
      return ::open(posix, base | O_TRUNC);
  }
}

// Whether an open file other than the caller's conflicts with an open of the file
// (device, inode) with access and share. Called under g_share_lock.
bool share_conflict(dev_t device, ino_t inode, DWORD access, DWORD share) {
  for (const OpenFile* open = g_open_files; open != nullptr; open = open->next)
    if (open->device == device && open->inode == inode && !shares_with(*open, access, share))
      return true;
  return false;
}

// A handle for an open file already on the chain; INVALID_HANDLE_VALUE (the file closed
// again) when the table cannot grow.
HANDLE hand_out(OpenFile* file) {
  HANDLE handle = w32_handle_open(&file->head, W32_HANDLE_FILE);
  if (handle != nullptr) return handle;
  destroy_file(&file->head);
  return INVALID_HANDLE_VALUE;
}

// Opens an existing directory for a handle that only examines it or sets its times.
HANDLE open_directory(const char* posix, DWORD disposition, DWORD access, DWORD share,
                      const struct stat& st) {
  if (disposition == CREATE_NEW) return fail_open(ERROR_FILE_EXISTS);
  if (disposition != OPEN_EXISTING && disposition != OPEN_ALWAYS)
    return fail_open(ERROR_ACCESS_DENIED);
  W32NoCancel no_cancel;  // open() under the share lock
  pthread_mutex_lock(&g_share_lock);
  int fd = -1;
  int error = EBUSY;
  if (!share_conflict(st.st_dev, st.st_ino, access, share)) {
    fd = ::open(posix, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    error = errno;
  }
  if (fd < 0) {
    pthread_mutex_unlock(&g_share_lock);
    return fail_open(error == EBUSY ? ERROR_SHARING_VIOLATION : w32_error_from_errno(error));
  }
  auto* file =
      new OpenFile{{destroy_file, 0}, fd, access, share, true, st.st_dev, st.st_ino, g_open_files, false};
  g_open_files = file;
  pthread_mutex_unlock(&g_share_lock);
  HANDLE handle = hand_out(file);
  if (handle != INVALID_HANDLE_VALUE)
    SetLastError(disposition == OPEN_ALWAYS ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE create_file(const char* posix, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  bool reads = (access & GENERIC_READ) != 0;
  bool writes = (access & GENERIC_WRITE) != 0;
  access &= GENERIC_READ | GENERIC_WRITE;
  share &= FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  struct stat st;
  bool exists = stat(posix, &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    if ((flags & FILE_FLAG_BACKUP_SEMANTICS) == 0) return fail_open(ERROR_ACCESS_DENIED);
    return open_directory(posix, disposition, access, share, st);
  }
  // The read-only attribute is the owner's write bit, and holds for every user, as on
  // Win32: checked before anything is emptied.
  if (exists && disposition != CREATE_NEW && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0 &&
      (writes || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING))
    return fail_open(ERROR_ACCESS_DENIED);
  // Share modes are checked, and the file entered on the chain, under one lock, so that
  // two threads opening one file cannot both pass; an existing file is emptied only once
  // its open is allowed.
  W32NoCancel no_cancel;  // open() under the share lock
  pthread_mutex_lock(&g_share_lock);
  if (exists && share_conflict(st.st_dev, st.st_ino, access, share)) {
    pthread_mutex_unlock(&g_share_lock);
    return fail_open(disposition == CREATE_NEW ? ERROR_FILE_EXISTS : ERROR_SHARING_VIOLATION);
  }
  int base = (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY) | O_CLOEXEC;
  mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  bool existed = false;
  int fd = open_by_disposition(posix, base, disposition, mode, &existed);
  int error = errno;
  // A directory made meanwhile opens for reading on POSIX; a file handle never names one.
  if (fd >= 0 && (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
    ::close(fd);
    fd = -1;
    error = EISDIR;
  }
  if (fd < 0) {
    pthread_mutex_unlock(&g_share_lock);
    return fail_open(w32_error_from_errno(error));
  }
  auto* file =
      new OpenFile{{destroy_file, 0}, fd, access, share, false, st.st_dev, st.st_ino, g_open_files, false};
  g_open_files = file;
  pthread_mutex_unlock(&g_share_lock);
  HANDLE handle = hand_out(file);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  bool reports_existing = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(reports_existing && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

bool valid_open(DWORD access, DWORD disposition) {
  bool writes = (access & GENERIC_WRITE) != 0;
  // No access at all opens an existing file or directory for queries (times, size).
  bool query = access == 0 && disposition == OPEN_EXISTING;
  return ((access & (GENERIC_READ | GENERIC_WRITE)) != 0 || query) && disposition >= CREATE_NEW &&
         disposition <= TRUNCATE_EXISTING && (disposition != TRUNCATE_EXISTING || writes);
}

// The open file behind handle with the access asked for (0: any), held for the caller;
// null with the last error set otherwise.
OpenFile* acquire_file(HANDLE handle, DWORD access) {
  auto* file = reinterpret_cast<OpenFile*>(w32_handle_acquire(handle, W32_HANDLE_FILE));
  if (file == nullptr) return nullptr;
  if (access != 0 && (file->access & access) == 0) {
    w32_handle_release(&file->head);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file;
}

// As acquire_file, for a call that transfers bytes: a directory has none.
OpenFile* acquire_data(HANDLE handle, DWORD access) {
  OpenFile* file = acquire_file(handle, access);
  if (file != nullptr && file->directory) {
    w32_handle_release(&file->head);
    SetLastError(ERROR_INVALID_FUNCTION);
    return nullptr;
  }
  return file;
}

}  // namespace

namespace {

template <typename Char>
HANDLE create_named(const char* function, const Char* name, DWORD access, DWORD share_mode,
                    DWORD disposition, DWORD flags) {
  if (w32_fault_hit(function, name)) return INVALID_HANDLE_VALUE;
  if (name == nullptr || !valid_open(access, disposition)) return fail_open(ERROR_INVALID_PARAMETER);
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path(name, posix, sizeof posix)) return INVALID_HANDLE_VALUE;
  return create_file(posix, access, share_mode, disposition, flags);
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD access, DWORD share_mode, void*, DWORD disposition,
                   DWORD flags, HANDLE) {
  return create_named("CreateFileA", name, access, share_mode, disposition, flags);
}

HANDLE CreateFileW(const WCHAR* name, DWORD access, DWORD share_mode, void*, DWORD disposition,
                   DWORD flags, HANDLE) {
  return create_named("CreateFileW", name, access, share_mode, disposition, flags);
}

BOOL w32_share_blocks_delete(const char* posix) {
  struct stat st;
  if (lstat(posix, &st) != 0) return FALSE;
  BOOL blocked = FALSE;
  pthread_mutex_lock(&g_share_lock);
  for (const OpenFile* open = g_open_files; open != nullptr; open = open->next)
    if (open->device == st.st_dev && open->inode == st.st_ino &&
        (open->share & FILE_SHARE_DELETE) == 0)
      blocked = TRUE;
  pthread_mutex_unlock(&g_share_lock);
  return blocked;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void* overlapped) {
  if (read != nullptr) *read = 0;
  if (w32_fault_hit("ReadFile")) return FALSE;
  if ((buffer == nullptr && count > 0) || overlapped != nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  OpenFile* file = acquire_data(handle, GENERIC_READ);
  if (file == nullptr) return FALSE;
  // A file gives all that was asked unless its end comes first; a pipe gives what is
  // there, and its end is a failure.
  DWORD done = 0;
  int error = 0;
  if (file->pipe && count > 0) {
    int failure = 0;
    long got = w32_pipe_read(file->fd, buffer, count, &failure, &file->head);
    w32_handle_release(&file->head);
    if (got < 0) return fail(w32_error_from_errno(failure));
    if (got == 0) return fail(ERROR_BROKEN_PIPE);
    if (read != nullptr) *read = static_cast<DWORD>(got);
    return TRUE;
  }
  // Each read is a cancellation point (cancel.h), where a thread that ends lets go of the
  // file.
  while (done < count) {
    long got = w32_pipe_read(file->fd, static_cast<char*>(buffer) + done, count - done, &error,
                             &file->head);
    if (got <= 0) break;
    done += static_cast<DWORD>(got);
  }
  w32_handle_release(&file->head);
  if (read != nullptr) *read = done;
  return error != 0 ? fail(w32_error_from_errno(error)) : TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void* overlapped) {
  if (written != nullptr) *written = 0;
  DWORD limit = count;
  bool cut = false;
  DWORD allowed = 0xFFFFFFFFu;
  if (w32_fault_hit("WriteFile", nullptr, &allowed)) return FALSE;
  if (allowed != 0xFFFFFFFFu) {
    cut = true;
    if (allowed < limit) limit = allowed;
  }
  if ((buffer == nullptr && count > 0) || overlapped != nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  OpenFile* file = acquire_data(handle, GENERIC_WRITE);
  if (file == nullptr) return FALSE;
  DWORD done = 0;
  int error = 0;
  if (file->pipe) {
    done = static_cast<DWORD>(w32_pipe_write(file->fd, buffer, limit, &error, &file->head));
    w32_handle_release(&file->head);
    if (written != nullptr) *written = done;
    if (error == 0 && cut) error = ENOSPC;
    return error == EPIPE ? fail(ERROR_NO_DATA)
           : error != 0   ? fail(w32_error_from_errno(error))
                          : TRUE;
  }
  // The writes are cancellation points (cancel.h), where a thread that ends lets go of
  // the file.
  done = static_cast<DWORD>(w32_pipe_write(file->fd, buffer, limit, &error, &file->head));
  w32_handle_release(&file->head);
  if (written != nullptr) *written = done;
  if (error == 0 && cut) error = ENOSPC;
  return error != 0 ? fail(w32_error_from_errno(error)) : TRUE;
}

BOOL FlushFileBuffers(HANDLE handle) {
  if (w32_fault_hit("FlushFileBuffers")) return FALSE;
  OpenFile* file = acquire_file(handle, GENERIC_WRITE);
  if (file == nullptr) return FALSE;
  int result = file->pipe ? 0 : ::fsync(file->fd);
  int error = errno;
  w32_handle_release(&file->head);
  return result == 0 ? TRUE : fail(w32_error_from_errno(error));
}

DWORD SetFilePointer(HANDLE handle, LONG distance, LONG* distance_high, DWORD method) {
  if (w32_fault_hit("SetFilePointer")) return INVALID_SET_FILE_POINTER;
  if (method > FILE_END) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  OpenFile* file = acquire_data(handle, 0);
  if (file == nullptr) return INVALID_SET_FILE_POINTER;
  if (file->pipe) {
    w32_handle_release(&file->head);
    SetLastError(ERROR_SEEK_ON_DEVICE);
    return INVALID_SET_FILE_POINTER;
  }
  // Without a high half the distance is a signed 32-bit value; with one, the two halves
  // make a signed 64-bit value.
  long long move = distance;
  if (distance_high != nullptr)
    move = static_cast<long long>((static_cast<unsigned long long>(
                                       static_cast<DWORD>(*distance_high))
                                   << 32) |
                                  static_cast<DWORD>(distance));
  int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t base = whence == SEEK_SET ? 0 : lseek(file->fd, 0, whence);
  DWORD result = INVALID_SET_FILE_POINTER;
  if (base < 0 || (move < 0 && -move > base)) {
    SetLastError(base < 0 ? w32_error_from_errno(errno) : ERROR_NEGATIVE_SEEK);
  } else {
    off_t at = lseek(file->fd, static_cast<off_t>(base + move), SEEK_SET);
    if (at < 0) {
      SetLastError(w32_error_from_errno(errno));
    } else if (distance_high == nullptr && at > 0xFFFFFFFELL) {
      // The position cannot be told in one half: Win32 refuses rather than cut it.
      lseek(file->fd, base, SEEK_SET);
      SetLastError(ERROR_INVALID_PARAMETER);
    } else {
      if (distance_high != nullptr) *distance_high = static_cast<LONG>(at >> 32);
      result = static_cast<DWORD>(at & 0xFFFFFFFF);
      SetLastError(ERROR_SUCCESS);
    }
  }
  w32_handle_release(&file->head);
  return result;
}

BOOL SetEndOfFile(HANDLE handle) {
  if (w32_fault_hit("SetEndOfFile")) return FALSE;
  OpenFile* file = acquire_data(handle, GENERIC_WRITE);
  if (file == nullptr) return FALSE;
  off_t at = lseek(file->fd, 0, SEEK_CUR);
  int result = at < 0 ? -1 : ftruncate(file->fd, at);
  int error = errno;
  w32_handle_release(&file->head);
  return result == 0 ? TRUE : fail(w32_error_from_errno(error));
}

DWORD GetFileSize(HANDLE handle, DWORD* size_high) {
  if (w32_fault_hit("GetFileSize")) return INVALID_FILE_SIZE;
  OpenFile* file = acquire_file(handle, 0);
  if (file == nullptr) return INVALID_FILE_SIZE;
  struct stat st;
  int result = fstat(file->fd, &st);
  int error = errno;
  w32_handle_release(&file->head);
  if (result != 0) {
    SetLastError(w32_error_from_errno(error));
    return INVALID_FILE_SIZE;
  }
  unsigned long long size = file->directory ? 0 : static_cast<unsigned long long>(st.st_size);
  if (size_high != nullptr) *size_high = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size & 0xFFFFFFFF);
}

BOOL GetFileTime(HANDLE handle, FILETIME* creation, FILETIME* access, FILETIME* write) {
  if (w32_fault_hit("GetFileTime")) return FALSE;
  OpenFile* file = acquire_file(handle, 0);
  if (file == nullptr) return FALSE;
  struct stat st;
  int result = fstat(file->fd, &st);
  int error = errno;
  w32_handle_release(&file->head);
  if (result != 0) return fail(w32_error_from_errno(error));
  // POSIX keeps no time of making: the time of the last status change stands for it, as
  // the file searches report it.
  if (creation != nullptr) *creation = w32_filetime_from_timespec(st.st_ctim);
  if (access != nullptr) *access = w32_filetime_from_timespec(st.st_atim);
  if (write != nullptr) *write = w32_filetime_from_timespec(st.st_mtim);
  return TRUE;
}

BOOL SetFileTime(HANDLE handle, const FILETIME* creation, const FILETIME* access,
                 const FILETIME* write) {
  (void)creation;  // POSIX cannot set it: taken and kept as it is
  if (w32_fault_hit("SetFileTime")) return FALSE;
  OpenFile* file = acquire_file(handle, GENERIC_WRITE);
  if (file == nullptr) return FALSE;
  // A null time, or one of all ones, leaves that time alone.
  auto pick = [](const FILETIME* time) {
    timespec kept{};
    kept.tv_nsec = UTIME_OMIT;
    if (time == nullptr || (time->dwLowDateTime == 0xFFFFFFFFu && time->dwHighDateTime == 0xFFFFFFFFu))
      return kept;
    return w32_timespec_from_filetime(*time);
  };
  const timespec times[2] = {pick(access), pick(write)};
  int result = futimens(file->fd, times);
  int error = errno;
  w32_handle_release(&file->head);
  return result == 0 ? TRUE : fail(w32_error_from_errno(error));
}

HANDLE w32_file_adopt(int fd, DWORD access, BOOL pipe) {
  // Not on the chain of named files: no name, so no share modes to check against.
  auto* file = new OpenFile{{destroy_file, 0},
                            fd,
                            access & (GENERIC_READ | GENERIC_WRITE),
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            false,
                            0,
                            0,
                            nullptr,
                            pipe != FALSE};
  HANDLE handle = w32_handle_open(&file->head, W32_HANDLE_FILE);
  if (handle == nullptr) destroy_file(&file->head);
  return handle;
}

int w32_file_acquire_descriptor(HANDLE handle, DWORD access, BOOL pipe_only,
                                W32HandleObject** held) {
  *held = nullptr;
  auto* file = reinterpret_cast<OpenFile*>(w32_handle_acquire(handle, W32_HANDLE_FILE));
  if (file == nullptr) return -1;
  if ((file->access & access) == 0 || (pipe_only && !file->pipe)) {
    w32_handle_release(&file->head);
    SetLastError(ERROR_INVALID_HANDLE);
    return -1;
  }
  *held = &file->head;
  return file->fd;
}

}  // namespace w32
