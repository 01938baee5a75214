#include "platform/w32/pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"

namespace w32 {

namespace {

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// Copies up to size bytes from the front of the pipe fd into buffer without taking them
// (tee into a pipe of its own, read from that). The count copied, -1 with errno.
ssize_t peek_bytes(int fd, void* buffer, DWORD size) {
  int copy[2];
  if (pipe2(copy, O_CLOEXEC | O_NONBLOCK) != 0) return -1;
  ssize_t teed = tee(fd, copy[1], size, SPLICE_F_NONBLOCK);
  ssize_t got = 0;
  if (teed < 0 && errno == EAGAIN) teed = 0;
  if (teed > 0) got = ::read(copy[0], buffer, static_cast<std::size_t>(teed));
  int error = errno;
  ::close(copy[0]);
  ::close(copy[1]);
  errno = error;
  return teed < 0 ? -1 : got;
}

}  // namespace

namespace {

// Cleanup of a pipe wait: lets go of the handle object when the thread ends there.
void let_go(void* held) {
  if (held != nullptr) w32_handle_release(static_cast<W32HandleObject*>(held));
}

std::size_t write_all(int fd, const char* data, std::size_t count, int* error) {
  std::size_t done = 0;
  while (done < count) {
    ssize_t put = ::write(fd, data + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) {
      *error = errno;
      break;
    }
    done += static_cast<std::size_t>(put);
  }
  return done;
}

long read_some(int fd, void* buffer, std::size_t count, int* error) {
  ssize_t got = -1;
  do {
    got = ::read(fd, buffer, count);
  } while (got < 0 && errno == EINTR);
  if (got < 0) *error = errno;
  return static_cast<long>(got);
}

}  // namespace

std::size_t w32_pipe_write(int fd, const void* data, std::size_t count, int* error,
                           W32HandleObject* held) {
  sigset_t pipe_signal;
  sigset_t before;
  sigemptyset(&pipe_signal);
  sigaddset(&pipe_signal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe_signal, &before);
  std::size_t done = 0;
  *error = 0;
  pthread_cleanup_push(let_go, held);
  done = write_all(fd, static_cast<const char*>(data), count, error);
  pthread_cleanup_pop(0);
  if (*error == EPIPE) {
    // Take away the signal this write raised, unless one was pending before.
    if (sigismember(&before, SIGPIPE) == 0) {
      timespec none = {0, 0};
      sigtimedwait(&pipe_signal, nullptr, &none);
    }
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  return done;
}

long w32_pipe_read(int fd, void* buffer, std::size_t count, int* error, W32HandleObject* held) {
  *error = 0;
  long got = -1;
  pthread_cleanup_push(let_go, held);
  got = read_some(fd, buffer, count, error);
  pthread_cleanup_pop(0);
  return got;
}

BOOL CreatePipe(HANDLE* read_end, HANDLE* write_end, SECURITY_ATTRIBUTES* attributes, DWORD) {
  if (read_end != nullptr) *read_end = nullptr;
  if (write_end != nullptr) *write_end = nullptr;
  if (w32_fault_hit("CreatePipe")) return FALSE;
  if (read_end == nullptr || write_end == nullptr ||
      (attributes != nullptr && attributes->nLength != sizeof(SECURITY_ATTRIBUTES)))
    return fail(ERROR_INVALID_PARAMETER);
  bool inherit = attributes != nullptr && attributes->bInheritHandle != FALSE;
  int ends[2];
  if (pipe2(ends, inherit ? 0 : O_CLOEXEC) != 0) return fail(w32_error_from_errno(errno));
  HANDLE reader = w32_file_adopt(ends[0], GENERIC_READ, TRUE);
  if (reader == nullptr) {
    ::close(ends[1]);
    return FALSE;
  }
  HANDLE writer = w32_file_adopt(ends[1], GENERIC_WRITE, TRUE);
  if (writer == nullptr) {
    DWORD code = GetLastError();
    CloseHandle(reader);
    return fail(code);
  }
  *read_end = reader;
  *write_end = writer;
  return TRUE;
}

BOOL PeekNamedPipe(HANDLE pipe, void* buffer, DWORD size, DWORD* read, DWORD* available,
                   DWORD* left) {
  if (read != nullptr) *read = 0;
  if (available != nullptr) *available = 0;
  if (left != nullptr) *left = 0;
  if (w32_fault_hit("PeekNamedPipe")) return FALSE;
  W32HandleObject* held = nullptr;
  int fd = w32_file_acquire_descriptor(pipe, GENERIC_READ, TRUE, &held);
  if (fd < 0) return FALSE;
  int waiting = 0;
  DWORD code = ERROR_SUCCESS;
  ssize_t copied = 0;
  if (ioctl(fd, FIONREAD, &waiting) != 0) {
    code = w32_error_from_errno(errno);
  } else if (waiting == 0) {
    // Empty: broken when no writer is left.
    pollfd probe = {fd, POLLIN, 0};
    if (poll(&probe, 1, 0) > 0 && (probe.revents & POLLHUP) != 0) code = ERROR_BROKEN_PIPE;
  } else if (buffer != nullptr && size > 0) {
    copied = peek_bytes(fd, buffer, size);
    if (copied < 0) code = w32_error_from_errno(errno);
  }
  w32_handle_release(held);
  if (code != ERROR_SUCCESS) return fail(code);
  if (read != nullptr) *read = static_cast<DWORD>(copied);
  if (available != nullptr) *available = static_cast<DWORD>(waiting);
  return TRUE;
}

}  // namespace w32
