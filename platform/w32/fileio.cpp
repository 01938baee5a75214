#include "platform/w32/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/file.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"
#include "platform/w32/pipe.h"

namespace w32 {

namespace {

struct OpenFile {
  W32HandleObject head;
  int fd;
  DWORD access;
  bool pipe;
};

void destroy_file(W32HandleObject* object) {
  OpenFile* file = reinterpret_cast<OpenFile*>(object);
  ::close(file->fd);
  delete file;
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

// The open file behind handle with the access asked for, held for the caller; null with
// the last error set otherwise.
OpenFile* acquire_file(HANDLE handle, DWORD access) {
  auto* file = reinterpret_cast<OpenFile*>(w32_handle_acquire(handle, W32_HANDLE_FILE));
  if (file == nullptr) return nullptr;
  if ((file->access & access) == 0) {
    w32_handle_release(&file->head);
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file;
}

}  // namespace

HANDLE CreateFileA(const char* name, DWORD access, DWORD, void*, DWORD disposition, DWORD flags,
                   HANDLE) {
  if (w32_fault_hit("CreateFileA")) return INVALID_HANDLE_VALUE;
  bool reads = (access & GENERIC_READ) != 0;
  bool writes = (access & GENERIC_WRITE) != 0;
  if (name == nullptr || (!reads && !writes) || disposition < CREATE_NEW ||
      disposition > TRUNCATE_EXISTING || (disposition == TRUNCATE_EXISTING && !writes))
    return fail_open(ERROR_INVALID_PARAMETER);
  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path_a(name, posix, sizeof posix)) return INVALID_HANDLE_VALUE;
  // The read-only attribute is the owner's write bit, and holds for every user, as on
  // Win32: checked before anything is emptied.
  struct stat st;
  if (writes && disposition != CREATE_NEW && stat(posix, &st) == 0 && S_ISREG(st.st_mode) &&
      (st.st_mode & S_IWUSR) == 0)
    return fail_open(ERROR_ACCESS_DENIED);
  int base = (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY) | O_CLOEXEC;
  mode_t mode = (flags & FILE_ATTRIBUTE_READONLY) != 0 ? 0444 : 0666;
  bool existed = false;
  int fd = open_by_disposition(posix, base, disposition, mode, &existed);
  if (fd < 0) return fail_open(w32_error_from_errno(errno));
  // A directory opens for reading on POSIX; a Win32 file handle never names one.
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return fail_open(ERROR_ACCESS_DENIED);
  }
  auto* file = new OpenFile{{destroy_file, 0}, fd, access & (GENERIC_READ | GENERIC_WRITE), false};
  HANDLE handle = w32_handle_open(&file->head, W32_HANDLE_FILE);
  if (handle == nullptr) {
    destroy_file(&file->head);
    return INVALID_HANDLE_VALUE;
  }
  bool reports_existing = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(reports_existing && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE handle, void* buffer, DWORD count, DWORD* read, void* overlapped) {
  if (read != nullptr) *read = 0;
  if (w32_fault_hit("ReadFile")) return FALSE;
  if ((buffer == nullptr && count > 0) || overlapped != nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  OpenFile* file = acquire_file(handle, GENERIC_READ);
  if (file == nullptr) return FALSE;
  // A file gives all that was asked unless its end comes first; a pipe gives what is
  // there, and its end is a failure.
  DWORD done = 0;
  int error = 0;
  if (file->pipe && count > 0) {
    ssize_t got = -1;
    do {
      got = ::read(file->fd, buffer, count);
    } while (got < 0 && errno == EINTR);
    w32_handle_release(&file->head);
    if (got < 0) return fail(w32_error_from_errno(errno));
    if (got == 0) return fail(ERROR_BROKEN_PIPE);
    if (read != nullptr) *read = static_cast<DWORD>(got);
    return TRUE;
  }
  while (done < count) {
    ssize_t got = ::read(file->fd, static_cast<char*>(buffer) + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) error = errno;
    if (got <= 0) break;
    done += static_cast<DWORD>(got);
  }
  w32_handle_release(&file->head);
  if (read != nullptr) *read = done;
  return error != 0 ? fail(w32_error_from_errno(error)) : TRUE;
}

BOOL WriteFile(HANDLE handle, const void* buffer, DWORD count, DWORD* written, void* overlapped) {
  if (written != nullptr) *written = 0;
  if (w32_fault_hit("WriteFile")) return FALSE;
  if ((buffer == nullptr && count > 0) || overlapped != nullptr)
    return fail(ERROR_INVALID_PARAMETER);
  OpenFile* file = acquire_file(handle, GENERIC_WRITE);
  if (file == nullptr) return FALSE;
  DWORD done = 0;
  int error = 0;
  if (file->pipe) {
    done = static_cast<DWORD>(w32_pipe_write(file->fd, buffer, count, &error));
    w32_handle_release(&file->head);
    if (written != nullptr) *written = done;
    return error == EPIPE ? fail(ERROR_NO_DATA)
           : error != 0   ? fail(w32_error_from_errno(error))
                          : TRUE;
  }
  while (done < count) {
    ssize_t put = ::write(file->fd, static_cast<const char*>(buffer) + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      error = errno;
      break;
    }
    done += static_cast<DWORD>(put);
  }
  w32_handle_release(&file->head);
  if (written != nullptr) *written = done;
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
  auto* file = reinterpret_cast<OpenFile*>(w32_handle_acquire(handle, W32_HANDLE_FILE));
  if (file == nullptr) return INVALID_SET_FILE_POINTER;
  // Without the upper half the distance is a signed 32-bit value, as on Win32.
  std::int64_t offset = distance_high == nullptr
                            ? distance
                            : static_cast<std::int64_t>(
                                  (static_cast<std::uint64_t>(static_cast<DWORD>(*distance_high))
                                   << 32) |
                                  static_cast<DWORD>(distance));
  DWORD code = ERROR_SUCCESS;
  off_t at = -1;
  if (file->pipe) {
    code = ERROR_SEEK_ON_DEVICE;
  } else {
    int whence = method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    off_t from = method == FILE_BEGIN ? 0 : lseek(file->fd, 0, whence);
    if (from < 0) {
      code = w32_error_from_errno(errno);
    } else if (offset < 0 && -offset > from) {
      code = ERROR_NEGATIVE_SEEK;
    } else {
      at = lseek(file->fd, from + offset, SEEK_SET);
      if (at < 0) code = w32_error_from_errno(errno);
    }
  }
  w32_handle_release(&file->head);
  if (at < 0) {
    SetLastError(code);
    return INVALID_SET_FILE_POINTER;
  }
  auto position = static_cast<std::uint64_t>(at);
  if (distance_high != nullptr) *distance_high = static_cast<LONG>(position >> 32);
  // A low half that reads as the failure value is told apart by the last error.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(position);
}

HANDLE w32_file_adopt(int fd, DWORD access, BOOL pipe) {
  auto* file = new OpenFile{
      {destroy_file, 0}, fd, access & (GENERIC_READ | GENERIC_WRITE), pipe != FALSE};
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
