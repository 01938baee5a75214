#include "platform/w32/crt.h"

#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/path.h"

namespace w32 {

int w32_errno_from_error(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return 0;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NO_MORE_FILES:
    case ERROR_BAD_NET_NAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_INVALID_HANDLE:
      return EBADF;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_NOT_ENOUGH_QUOTA:
      return ENOMEM;
    case ERROR_NOT_SAME_DEVICE:
      return EXDEV;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_BROKEN_PIPE:
      return EPIPE;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIR_NOT_EMPTY:
      return ENOTEMPTY;
    default:
      return EINVAL;
  }
}

namespace {

int fail_errno(int error) {
  errno = error;
  return -1;
}

// errno from the last Win32 error; -1.
int fail_last() { return fail_errno(w32_errno_from_error(GetLastError())); }

// The POSIX path of a run-time name; false with errno set.
template <typename Char>
bool resolve(const Char* name, char (&posix)[W32_PATH_CAPACITY]) {
  if (name == nullptr) {
    errno = EINVAL;
    return false;
  }
  if (w32_resolve_path(name, posix, sizeof posix)) return true;
  fail_last();
  return false;
}

// A stream's cookie: the handle its bytes go through, and the stream it serves (kept in
// a list so that the handle beneath a stream can be found).
struct Stream {
  HANDLE file;
  bool append;
  FILE* owner;
  Stream* next;
};

pthread_mutex_t streams_lock = PTHREAD_MUTEX_INITIALIZER;
Stream* streams = nullptr;

void forget_stream(Stream* stream) {
  pthread_mutex_lock(&streams_lock);
  for (Stream** at = &streams; *at; at = &(*at)->next) {
    if (*at == stream) {
      *at = stream->next;
      break;
    }
  }
  pthread_mutex_unlock(&streams_lock);
}

ssize_t stream_read(void* cookie, char* buffer, size_t size) {
  auto* stream = static_cast<Stream*>(cookie);
  DWORD count = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
  DWORD got = 0;
  if (!ReadFile(stream->file, buffer, count, &got, nullptr)) return fail_last();
  return static_cast<ssize_t>(got);
}

// A failing write answers the bytes that did go out (0 when none), with errno set: the C
// library takes a negative answer from a stream's write for a count, and would then
// write bytes from beyond the caller's data into the file.
ssize_t stream_write(void* cookie, const char* buffer, size_t size) {
  auto* stream = static_cast<Stream*>(cookie);
  if (stream->append && SetFilePointer(stream->file, 0, nullptr, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != ERROR_SUCCESS) {
    fail_last();
    return 0;
  }
  DWORD count = size > 0x7FFFFFFFu ? 0x7FFFFFFFu : static_cast<DWORD>(size);
  DWORD written = 0;
  if (!WriteFile(stream->file, buffer, count, &written, nullptr)) fail_last();
  return static_cast<ssize_t>(written);
}

int stream_seek(void* cookie, off64_t* position, int whence) {
  auto* stream = static_cast<Stream*>(cookie);
  DWORD method = whence == SEEK_SET ? FILE_BEGIN : whence == SEEK_CUR ? FILE_CURRENT : FILE_END;
  LONG high = static_cast<LONG>(*position >> 32);
  DWORD low = SetFilePointer(stream->file, static_cast<LONG>(*position & 0xFFFFFFFF), &high, method);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return fail_last();
  *position = (static_cast<off64_t>(high) << 32) | low;
  return 0;
}

int stream_close(void* cookie) {
  auto* stream = static_cast<Stream*>(cookie);
  forget_stream(stream);
  BOOL closed = CloseHandle(stream->file);
  DWORD error = GetLastError();
  delete stream;
  return closed ? 0 : fail_errno(w32_errno_from_error(error));
}

// The parts of a stream mode; false for a mode the run-time refuses.
struct Mode {
  DWORD access;
  DWORD disposition;
  bool append;
  char libc[4];  // the mode handed to the C library
};

template <typename Char>
bool parse_mode(const Char* mode, Mode* parsed) {
  if (mode == nullptr) return false;
  bool plus = false;
  bool exclusive = false;
  for (const Char* at = mode + 1; *at != 0; ++at) {
    switch (*at) {
      case '+':
        if (plus) return false;
        plus = true;
        break;
      case 'x':
        if (exclusive || mode[0] != 'w') return false;
        exclusive = true;
        break;
      case 'b': case 't': case 'c': case 'n': case 'N': case 'S': case 'R': case 'T': case 'D':
        break;
      default:
        return false;
    }
  }
  parsed->append = false;
  switch (mode[0]) {
    case 'r':
      parsed->access = GENERIC_READ | (plus ? GENERIC_WRITE : 0);
      parsed->disposition = OPEN_EXISTING;
      break;
    case 'w':
      parsed->access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
      parsed->disposition = exclusive ? CREATE_NEW : CREATE_ALWAYS;
      break;
    case 'a':
      parsed->access = GENERIC_WRITE | (plus ? GENERIC_READ : 0);
      parsed->disposition = OPEN_ALWAYS;
      parsed->append = true;
      break;
    default:
      return false;
  }
  // Appending is done here, before each write; the C library only reads and writes.
  parsed->libc[0] = mode[0] == 'r' ? 'r' : 'w';
  parsed->libc[1] = plus ? '+' : '\0';
  parsed->libc[2] = '\0';
  return true;
}

HANDLE open_named(const char* name, DWORD access, DWORD disposition) {
  return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE open_named(const WCHAR* name, DWORD access, DWORD disposition) {
  return CreateFileW(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

template <typename Char>
FILE* open_stream(const char* function, const Char* name, const Char* mode) {
  if (w32_fault_hit(function, name)) {
    errno = w32_errno_from_error(GetLastError());
    return nullptr;
  }
  Mode parsed;
  if (name == nullptr || !parse_mode(mode, &parsed)) {
    errno = EINVAL;
    return nullptr;
  }
  HANDLE file = open_named(name, parsed.access, parsed.disposition);
  if (file == INVALID_HANDLE_VALUE) {
    fail_last();
    return nullptr;
  }
  Stream* stream = new (std::nothrow) Stream{file, parsed.append, nullptr, nullptr};
  cookie_io_functions_t functions{stream_read, stream_write, stream_seek, stream_close};
  FILE* result = stream != nullptr ? fopencookie(stream, parsed.libc, functions) : nullptr;
  if (result == nullptr) {
    CloseHandle(file);
    delete stream;
    errno = ENOMEM;
    return nullptr;
  }
  pthread_mutex_lock(&streams_lock);
  stream->owner = result;
  stream->next = streams;
  streams = stream;
  pthread_mutex_unlock(&streams_lock);
  return result;
}

template <typename Char>
int open_descriptor(const char* function, const Char* name, int flags, int pmode) {
  if (w32_fault_hit(function, name)) return fail_last();
  constexpr int kKnown = _O_WRONLY | _O_RDWR | _O_APPEND | _O_CREAT | _O_TRUNC | _O_EXCL |
                         _O_TEXT | _O_BINARY | _O_NOINHERIT;
  int access = flags & (_O_WRONLY | _O_RDWR);
  if ((flags & ~kKnown) != 0 || access == (_O_WRONLY | _O_RDWR)) return fail_errno(EINVAL);
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return -1;
  bool writes = access != _O_RDONLY;
  struct ::stat st;
  bool exists = ::stat(posix, &st) == 0;
  if (exists && (flags & (_O_CREAT | _O_EXCL)) == (_O_CREAT | _O_EXCL)) return fail_errno(EEXIST);
  if (exists && S_ISDIR(st.st_mode)) return fail_errno(EACCES);
  if (exists && writes && (st.st_mode & S_IWUSR) == 0) return fail_errno(EACCES);
  int posix_flags = (access == _O_RDWR ? O_RDWR : access == _O_WRONLY ? O_WRONLY : O_RDONLY) |
                    O_CLOEXEC;
  if ((flags & _O_APPEND) != 0) posix_flags |= O_APPEND;
  if ((flags & _O_CREAT) != 0) posix_flags |= O_CREAT;
  if ((flags & _O_TRUNC) != 0) posix_flags |= O_TRUNC;
  if ((flags & _O_EXCL) != 0) posix_flags |= O_EXCL;
  mode_t mode = (pmode & _S_IWRITE) != 0 ? 0666 : 0444;
  int fd = ::open(posix, posix_flags, mode);
  if (fd < 0) return fail_errno(w32_errno_from_error(w32_error_from_errno(errno)));
  return fd;
}

bool has_suffix(const char* name, const char* suffix) {
  std::size_t length = std::strlen(name);
  std::size_t suffix_length = std::strlen(suffix);
  return length >= suffix_length &&
         equal_ascii_folded(name + length - suffix_length, suffix, suffix_length);
}

template <typename Char>
int stat_named(const char* function, const Char* name, _stat* buffer) {
  if (w32_fault_hit(function, name)) return fail_last();
  if (buffer == nullptr) return fail_errno(EINVAL);
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return -1;
  struct ::stat st;
  if (::stat(posix, &st) != 0) return fail_errno(ENOENT);
  DWORD attributes = w32_attributes_of_posix(posix);
  int mode = S_ISDIR(st.st_mode) ? _S_IFDIR | _S_IEXEC : _S_IFREG;
  mode |= _S_IREAD;
  if ((attributes & FILE_ATTRIBUTE_READONLY) == 0) mode |= _S_IWRITE;
  if (!S_ISDIR(st.st_mode) && (has_suffix(posix, ".exe") || has_suffix(posix, ".com") ||
                               has_suffix(posix, ".bat") || has_suffix(posix, ".cmd")))
    mode |= _S_IEXEC;
  mode |= (mode & 0x1C0) >> 3 | (mode & 0x1C0) >> 6;
  std::memset(buffer, 0, sizeof *buffer);
  buffer->st_mode = static_cast<std::uint16_t>(mode);
  buffer->st_nlink = 1;
  buffer->st_size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::int64_t>(st.st_size);
  buffer->st_atime64 = st.st_atim.tv_sec;
  buffer->st_mtime64 = st.st_mtim.tv_sec;
  buffer->st_ctime64 = st.st_ctim.tv_sec;
  return 0;
}

// Runs a POSIX-path action of file.h for a run-time call; errno from its Win32 code.
template <typename Char>
int on_name(const char* function, const Char* name, BOOL (*action)(const char*)) {
  if (w32_fault_hit(function, name)) return fail_last();
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return -1;
  return action(posix) ? 0 : fail_last();
}

template <typename Char>
int access_named(const char* function, const Char* name, int mode) {
  if (w32_fault_hit(function, name)) return fail_last();
  if ((mode & ~6) != 0) return fail_errno(EINVAL);
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return -1;
  DWORD attributes = w32_attributes_of_posix(posix);
  if (attributes == INVALID_FILE_ATTRIBUTES) return fail_errno(ENOENT);
  if ((mode & 2) != 0 && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return fail_errno(EACCES);
  return 0;
}

template <typename Char>
int chmod_named(const char* function, const Char* name, int pmode) {
  if (w32_fault_hit(function, name)) return fail_last();
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return -1;
  DWORD attributes = (pmode & _S_IWRITE) != 0 ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
  return w32_set_attributes_posix(posix, attributes) ? 0 : fail_last();
}

// errno of a failing POSIX call, through the Win32 code as the run-time maps it.
int fail_posix() { return fail_errno(w32_errno_from_error(w32_error_from_errno(errno))); }

}  // namespace

FILE* fopen(const char* name, const char* mode) { return open_stream("fopen", name, mode); }

FILE* _wfopen(const WCHAR* name, const WCHAR* mode) { return open_stream("_wfopen", name, mode); }

int _open(const char* name, int flags, int pmode) {
  return open_descriptor("_open", name, flags, pmode);
}

int _wopen(const WCHAR* name, int flags, int pmode) {
  return open_descriptor("_wopen", name, flags, pmode);
}

int stat(const char* name, _stat* buffer) { return stat_named("_stat", name, buffer); }

int _wstat(const WCHAR* name, _stat* buffer) { return stat_named("_wstat", name, buffer); }

int _unlink(const char* name) { return on_name("_unlink", name, w32_delete_file_posix); }

int _wunlink(const WCHAR* name) { return on_name("_wunlink", name, w32_delete_file_posix); }

int remove(const char* name) { return on_name("remove", name, w32_delete_file_posix); }

int _mkdir(const char* name) { return on_name("_mkdir", name, w32_create_directory_posix); }

int _rmdir(const char* name) {
  int result = on_name("_rmdir", name, w32_remove_directory_posix);
  // The run-time says ENOTEMPTY also for a name that is no directory.
  if (result != 0 && GetLastError() == ERROR_DIRECTORY) errno = ENOTEMPTY;
  return result;
}

int rename(const char* old_name, const char* new_name) {
  if (w32_fault_hit("rename", old_name)) return fail_last();
  char from[W32_PATH_CAPACITY];
  char to[W32_PATH_CAPACITY];
  if (!resolve(old_name, from) || !resolve(new_name, to)) return -1;
  struct ::stat st;
  if (::lstat(from, &st) != 0) return fail_errno(ENOENT);
  if (w32_share_blocks_delete(from)) return fail_errno(EACCES);
  // Never replaces: the kernel refuses an existing target in the same step.
  if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
  if (errno == EEXIST) return fail_errno(EACCES);
  if (errno != EINVAL) return fail_errno(w32_errno_from_error(w32_error_from_errno(errno)));
  // A file system without the flag: checked, then renamed.
  if (::lstat(to, &st) == 0) return fail_errno(EACCES);
  if (::rename(from, to) != 0) return fail_errno(w32_errno_from_error(w32_error_from_errno(errno)));
  return 0;
}

int _access(const char* name, int mode) { return access_named("_access", name, mode); }

int _waccess(const WCHAR* name, int mode) { return access_named("_waccess", name, mode); }

int _chmod(const char* name, int pmode) { return chmod_named("_chmod", name, pmode); }

int _wchmod(const WCHAR* name, int pmode) { return chmod_named("_wchmod", name, pmode); }

int _read(int descriptor, void* buffer, unsigned count) {
  if (w32_fault_hit("_read")) return fail_last();
  if (buffer == nullptr && count > 0) return fail_errno(EINVAL);
  if (count > 0x7FFFFFFFu) count = 0x7FFFFFFFu;
  for (;;) {
    ssize_t got = ::read(descriptor, buffer, count);
    if (got >= 0) return static_cast<int>(got);
    if (errno != EINTR) return fail_posix();
  }
}

int _write(int descriptor, const void* buffer, unsigned count) {
  DWORD allowed = 0xFFFFFFFFu;
  if (w32_fault_hit("_write", nullptr, &allowed)) return fail_last();
  if (buffer == nullptr && count > 0) return fail_errno(EINVAL);
  if (count > 0x7FFFFFFFu) count = 0x7FFFFFFFu;
  unsigned limit = allowed < count ? allowed : count;
  unsigned done = 0;
  while (done < limit) {
    ssize_t put = ::write(descriptor, static_cast<const char*>(buffer) + done, limit - done);
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return fail_posix();
    done += static_cast<unsigned>(put);
  }
  // A disk that filled part-way: what fitted stays, the call fails.
  if (done < count) return fail_errno(ENOSPC);
  return static_cast<int>(done);
}

long _lseek(int descriptor, long offset, int origin) {
  if (w32_fault_hit("_lseek")) return fail_last();
  if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) return fail_errno(EINVAL);
  off_t at = ::lseek(descriptor, static_cast<off_t>(offset), origin);
  if (at < 0) return fail_posix();
  return static_cast<long>(at);
}

int _chsize(int descriptor, long size) {
  if (w32_fault_hit("_chsize")) return fail_last();
  if (size < 0) return fail_errno(EINVAL);
  int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0) return fail_posix();
  if ((flags & O_ACCMODE) == O_RDONLY) return fail_errno(EACCES);
  return ::ftruncate(descriptor, static_cast<off_t>(size)) == 0 ? 0 : fail_posix();
}

int _close(int descriptor) {
  BOOL armed = w32_fault_hit("_close");
  // An armed failure closes all the same, as a close meeting a deferred write error does.
  if (::close(descriptor) != 0 && errno != EINTR) return fail_posix();
  return armed ? fail_last() : 0;
}

char* _getcwd(char* buffer, int max_length) {
  if (w32_fault_hit("_getcwd")) {
    fail_last();
    return nullptr;
  }
  if (buffer != nullptr && max_length <= 0) {
    errno = EINVAL;
    return nullptr;
  }
  char name[W32_PATH_CAPACITY];
  DWORD length = GetCurrentDirectoryA(sizeof name, name);
  if (length == 0 || length >= sizeof name) {
    fail_last();
    return nullptr;
  }
  if (buffer == nullptr) {
    std::size_t size = static_cast<std::size_t>(max_length) > length + 1
                           ? static_cast<std::size_t>(max_length)
                           : length + 1;
    buffer = static_cast<char*>(std::malloc(size));
    if (buffer == nullptr) {
      errno = ENOMEM;
      return nullptr;
    }
  } else if (length + 1 > static_cast<DWORD>(max_length)) {
    errno = ERANGE;
    return nullptr;
  }
  std::memcpy(buffer, name, length + 1);
  return buffer;
}

int _chdir(const char* name) {
  if (w32_fault_hit("_chdir", name)) return fail_last();
  if (name == nullptr) return fail_errno(EINVAL);
  return SetCurrentDirectoryA(name) ? 0 : fail_errno(ENOENT);
}

char* _fullpath(char* absolute, const char* relative, std::size_t max_length) {
  if (w32_fault_hit("_fullpath", relative)) {
    fail_last();
    return nullptr;
  }
  char full[W32_PATH_CAPACITY];
  DWORD length = relative == nullptr || relative[0] == '\0'
                     ? GetCurrentDirectoryA(sizeof full, full)
                     : GetFullPathNameA(relative, sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    errno = length == 0 ? ENOENT : ERANGE;
    return nullptr;
  }
  std::size_t capacity = absolute == nullptr ? MAX_PATH : max_length;
  if (length + 1 > capacity) {
    errno = ERANGE;
    return nullptr;
  }
  if (absolute == nullptr) {
    absolute = static_cast<char*>(std::malloc(capacity));
    if (absolute == nullptr) {
      errno = ENOMEM;
      return nullptr;
    }
  }
  std::memcpy(absolute, full, length + 1);
  return absolute;
}

char* _tempnam(const char* directory, const char* prefix) {
  if (w32_fault_hit("_tempnam", directory)) {
    fail_last();
    return nullptr;
  }
  // The directory: TMP, else the one given, else the current one, each when it is one.
  char tmp[W32_PATH_CAPACITY];
  const char* chosen = ".";
  DWORD tmp_length = GetEnvironmentVariableA("TMP", tmp, sizeof tmp);
  auto is_directory = [](const char* name) {
    DWORD attributes = GetFileAttributesA(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  };
  if (tmp_length > 0 && tmp_length < sizeof tmp && is_directory(tmp))
    chosen = tmp;
  else if (directory != nullptr && directory[0] != '\0' && is_directory(directory))
    chosen = directory;
  char base[W32_PATH_CAPACITY];
  DWORD length = GetFullPathNameA(chosen, sizeof base, base, nullptr);
  if (length == 0 || length + 1 >= sizeof base) {
    errno = ENOENT;
    return nullptr;
  }
  if (base[length - 1] != '\\') base[length++] = '\\', base[length] = '\0';
  if (prefix == nullptr) prefix = "";
  static unsigned counter = 0;  // numbers count up through the process
  for (int attempt = 0; attempt < 65536; ++attempt) {
    unsigned number = __atomic_add_fetch(&counter, 1u, __ATOMIC_RELAXED);
    char name[W32_PATH_CAPACITY];
    int made = std::snprintf(name, sizeof name, "%s%s%x%x", base, prefix,
                             static_cast<unsigned>(getpid()) & 0xFFFFu, number);
    if (made < 0 || static_cast<std::size_t>(made) >= sizeof name) {
      errno = EINVAL;
      return nullptr;
    }
    if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) continue;
    char* result = static_cast<char*>(std::malloc(static_cast<std::size_t>(made) + 1));
    if (result == nullptr) {
      errno = ENOMEM;
      return nullptr;
    }
    std::memcpy(result, name, static_cast<std::size_t>(made) + 1);
    return result;
  }
  errno = EEXIST;
  return nullptr;
}

int _utime(const char* name, const _utimbuf* times) {
  if (w32_fault_hit("_utime", name)) return fail_last();
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return -1;
  struct ::stat st;
  if (::stat(posix, &st) != 0) return fail_errno(ENOENT);
  if (!S_ISDIR(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return fail_errno(EACCES);
  timespec set[2];
  if (times == nullptr) {
    set[0].tv_sec = set[1].tv_sec = 0;
    set[0].tv_nsec = set[1].tv_nsec = UTIME_NOW;
  } else {
    set[0] = timespec{static_cast<time_t>(times->actime), 0};
    set[1] = timespec{static_cast<time_t>(times->modtime), 0};
  }
  if (::utimensat(AT_FDCWD, posix, set, 0) != 0)
    return fail_errno(w32_errno_from_error(w32_error_from_errno(errno)));
  return 0;
}

HANDLE _get_stream_handle(FILE* stream) {
  HANDLE file = INVALID_HANDLE_VALUE;
  pthread_mutex_lock(&streams_lock);
  for (Stream* at = streams; at && stream; at = at->next) {
    if (at->owner == stream) {
      file = at->file;
      break;
    }
  }
  pthread_mutex_unlock(&streams_lock);
  return file;
}

}  // namespace w32
