#include "platform/w32/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/file_testing.h"
#include "platform/w32/fileio.h"
#include "platform/w32/filetime.h"
#include "platform/w32/path.h"

namespace w32 {

namespace {

UINT g_error_mode = 0;

// The attributes of the POSIX file at posix. A missing file is ERROR_FILE_NOT_FOUND:
// the path model has already made sure that its directory exists.
DWORD attributes_of(const char* posix) {
  struct stat st;
  if (lstat(posix, &st) != 0) {
    SetLastError(w32_error_from_errno(errno));
    return INVALID_FILE_ATTRIBUTES;
  }
  DWORD attributes = 0;
  // A symbolic link is a reparse point, a directory too when it leads to one, so that a
  // walk through a tree can refuse to follow it. Its other bits are those of its target.
  if (S_ISLNK(st.st_mode)) {
    attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    struct stat target;
    if (stat(posix, &target) == 0) st = target;
  }
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (S_ISREG(st.st_mode)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
  if ((st.st_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  // The last component, a '/' that ends a directory's name aside.
  std::size_t end = std::strlen(posix);
  while (end > 1 && posix[end - 1] == '/') --end;
  std::size_t start = end;
  while (start > 0 && posix[start - 1] != '/') --start;
  if (start < end && posix[start] == '.') attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

BOOL fail_errno() { return fail(w32_error_from_errno(errno)); }

// Copies every byte from one descriptor to the other; false with errno set.
bool copy_bytes(int from, int to) {
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    for (ssize_t done = 0; done < got;) {
      ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return false;
      done += put;
    }
  }
}

// Writes the content, permission bits and modification time of source into the new
// file target; the file is removed again when that fails. target_fd is closed.
BOOL fill_copy(int source_fd, const struct stat& source, int target_fd, const char* target) {
  bool done = copy_bytes(source_fd, target_fd);
  const timespec times[2] = {source.st_atim, source.st_mtim};
  done = done && fchmod(target_fd, source.st_mode & 07777) == 0;
  done = done && futimens(target_fd, times) == 0;
  int error = errno;
  if (::close(target_fd) != 0 && done) {
    done = false;
    error = errno;
  }
  if (done) return TRUE;
  ::unlink(target);
  errno = error;
  return fail(w32_error_from_errno(error));
}

}  // namespace

DWORD w32_attributes_of_posix(const char* posix) { return attributes_of(posix); }

namespace {

BOOL copy_file(const char* source, const char* target, BOOL fail_if_exists) {
  int source_fd = ::open(source, O_RDONLY | O_CLOEXEC);
  if (source_fd < 0) return fail_errno();
  struct stat from;
  if (fstat(source_fd, &from) != 0) {
    int error = errno;
    ::close(source_fd);
    return fail(w32_error_from_errno(error));
  }
  if (!S_ISREG(from.st_mode)) {
    ::close(source_fd);
    return fail(ERROR_ACCESS_DENIED);
  }
  struct stat to;
  bool exists = stat(target, &to) == 0;
  DWORD refused = ERROR_SUCCESS;
  if (exists && to.st_dev == from.st_dev && to.st_ino == from.st_ino)
    refused = ERROR_SHARING_VIOLATION;
  else if (exists && fail_if_exists)
    refused = ERROR_FILE_EXISTS;
  else if (exists && (S_ISDIR(to.st_mode) || (to.st_mode & S_IWUSR) == 0))
    refused = ERROR_ACCESS_DENIED;
  if (refused != ERROR_SUCCESS) {
    ::close(source_fd);
    return fail(refused);
  }
  BOOL result = FALSE;
  if (!exists || fail_if_exists) {
    // Nothing to keep: the new file is made in place, and only if it is still new.
    int target_fd = ::open(target, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (target_fd < 0)
      result = errno == EEXIST ? fail(ERROR_FILE_EXISTS) : fail_errno();
    else
      result = fill_copy(source_fd, from, target_fd, target);
  } else {
    // The old file stays whole until the copy is complete, then the copy takes its name.
    std::size_t length = std::strlen(target);
    char temporary[W32_PATH_CAPACITY + 16];
    std::memcpy(temporary, target, length);
    std::memcpy(temporary + length, ".copy-XXXXXX", 13);
    int target_fd = mkostemp(temporary, O_CLOEXEC);
    if (target_fd < 0) {
      result = fail_errno();
    } else {
      result = fill_copy(source_fd, from, target_fd, temporary);
      if (result && std::rename(temporary, target) != 0) {
        result = fail_errno();
        ::unlink(temporary);
      }
    }
  }
  ::close(source_fd);
  return result;
}

// Flushes the directory that holds posix, so that a name made in it is durable.
void flush_directory_of(const char* posix) {
  const char* slash = std::strrchr(posix, '/');
  char directory[W32_PATH_CAPACITY];
  std::size_t length = slash == nullptr ? 0 : static_cast<std::size_t>(slash - posix);
  if (length == 0) {
    std::strcpy(directory, slash == nullptr ? "." : "/");
  } else {
    std::memcpy(directory, posix, length);
    directory[length] = '\0';
  }
  int fd = ::open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

BOOL move_file(const char* from, const char* to, DWORD flags) {
  struct stat source;
  if (lstat(from, &source) != 0) return fail_errno();
  // A new name that resolves to the file itself (another spelling of its name) is no
  // other file to keep or replace.
  struct stat target;
  bool exists = lstat(to, &target) == 0;
  bool itself = exists && target.st_dev == source.st_dev && target.st_ino == source.st_ino;
  if (exists && !itself) {
    if ((flags & MOVEFILE_REPLACE_EXISTING) == 0) return fail(ERROR_ALREADY_EXISTS);
    if (S_ISDIR(target.st_mode) || S_ISDIR(source.st_mode) ||
        (S_ISREG(target.st_mode) && (target.st_mode & S_IWUSR) == 0))
      return fail(ERROR_ACCESS_DENIED);
  }
  // A file held open without FILE_SHARE_DELETE is neither renamed nor replaced.
  if (w32_share_blocks_delete(from) || (exists && !itself && w32_share_blocks_delete(to)))
    return fail(ERROR_SHARING_VIOLATION);
  if (std::rename(from, to) != 0) {
    if (errno != EXDEV) return fail_errno();
    if ((flags & MOVEFILE_COPY_ALLOWED) == 0 || S_ISDIR(source.st_mode))
      return fail(ERROR_NOT_SAME_DEVICE);
    if (!copy_file(from, to, FALSE)) return FALSE;
    if (::unlink(from) != 0) return fail_errno();
  }
  if ((flags & MOVEFILE_WRITE_THROUGH) != 0) flush_directory_of(to);
  return TRUE;
}

BOOL delete_file(const char* posix) {
  struct stat st;
  if (lstat(posix, &st) != 0) return fail_errno();
  if (S_ISDIR(st.st_mode) || (S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0))
    return fail(ERROR_ACCESS_DENIED);
  if (w32_share_blocks_delete(posix)) return fail(ERROR_SHARING_VIOLATION);
  if (::unlink(posix) != 0) return fail_errno();
  return TRUE;
}

BOOL create_directory(const char* posix) {
  if (::mkdir(posix, 0777) != 0) return errno == EEXIST ? fail(ERROR_ALREADY_EXISTS) : fail_errno();
  return TRUE;
}

BOOL remove_directory(const char* posix) {
  struct stat st;
  if (lstat(posix, &st) != 0) return fail_errno();
  if (!S_ISDIR(st.st_mode)) return fail(ERROR_DIRECTORY);
  if (w32_share_blocks_delete(posix)) return fail(ERROR_SHARING_VIOLATION);
  if (::rmdir(posix) != 0) return errno == EEXIST ? fail(ERROR_DIR_NOT_EMPTY) : fail_errno();
  return TRUE;
}

// READONLY is the owner's write bit and nothing else, so that setting it and taking it
// away again gives back the exact mode; HIDDEN follows the name and cannot be set; the
// other attributes are taken and ignored.
BOOL set_attributes(const char* posix, DWORD attributes) {
  struct stat st;
  if (stat(posix, &st) != 0) return fail_errno();
  mode_t mode = st.st_mode & 07777;
  mode = (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? mode & ~mode_t{S_IWUSR} : mode | S_IWUSR;
  if (mode != (st.st_mode & 07777) && ::chmod(posix, mode) != 0) return fail_errno();
  return TRUE;
}

// The POSIX path of a narrow or a wide name; FALSE with the reason otherwise.
template <typename Char>
BOOL resolve(const Char* name, char (&posix)[W32_PATH_CAPACITY]) {
  if (name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return w32_resolve_path(name, posix, sizeof posix);
}

template <typename Char>
BOOL resolve_pair(const Char* existing, const Char* new_name, char (&from)[W32_PATH_CAPACITY],
                  char (&to)[W32_PATH_CAPACITY]) {
  if (existing == nullptr || new_name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return resolve(existing, from) && resolve(new_name, to);
}

// The narrow and wide forms of a function of one name: counted apart by the fault
// facility, resolved through the path model, then done on the POSIX path.
template <typename Char>
BOOL on_name(const char* function, const Char* name, BOOL (*action)(const char*)) {
  if (w32_fault_hit(function, name)) return FALSE;
  char posix[W32_PATH_CAPACITY];
  return resolve(name, posix) && action(posix);
}

template <typename Char>
BOOL on_name_with(const char* function, const Char* name, DWORD value,
                  BOOL (*action)(const char*, DWORD)) {
  if (w32_fault_hit(function, name)) return FALSE;
  char posix[W32_PATH_CAPACITY];
  return resolve(name, posix) && action(posix, value);
}

template <typename Char>
BOOL on_pair(const char* function, const Char* existing, const Char* new_name, DWORD value,
             BOOL (*action)(const char*, const char*, DWORD)) {
  if (w32_fault_hit(function, existing)) return FALSE;
  char from[W32_PATH_CAPACITY];
  char to[W32_PATH_CAPACITY];
  return resolve_pair(existing, new_name, from, to) && action(from, to, value);
}

BOOL copy_action(const char* from, const char* to, DWORD fail_if_exists) {
  return copy_file(from, to, fail_if_exists != 0 ? TRUE : FALSE);
}

}  // namespace

BOOL w32_delete_file_posix(const char* posix) { return delete_file(posix); }
BOOL w32_create_directory_posix(const char* posix) { return create_directory(posix); }
BOOL w32_remove_directory_posix(const char* posix) { return remove_directory(posix); }
BOOL w32_set_attributes_posix(const char* posix, DWORD attributes) {
  return set_attributes(posix, attributes);
}

BOOL CopyFileA(const char* existing, const char* new_name, BOOL fail_if_exists) {
  return on_pair("CopyFileA", existing, new_name, fail_if_exists != 0, copy_action);
}

BOOL CopyFileW(const WCHAR* existing, const WCHAR* new_name, BOOL fail_if_exists) {
  return on_pair("CopyFileW", existing, new_name, fail_if_exists != 0, copy_action);
}

BOOL MoveFileA(const char* existing, const char* new_name) {
  return on_pair("MoveFileA", existing, new_name, 0, move_file);
}

BOOL MoveFileW(const WCHAR* existing, const WCHAR* new_name) {
  return on_pair("MoveFileW", existing, new_name, 0, move_file);
}

BOOL MoveFileExA(const char* existing, const char* new_name, DWORD flags) {
  return on_pair("MoveFileExA", existing, new_name, flags, move_file);
}

BOOL MoveFileExW(const WCHAR* existing, const WCHAR* new_name, DWORD flags) {
  return on_pair("MoveFileExW", existing, new_name, flags, move_file);
}

BOOL DeleteFileA(const char* name) { return on_name("DeleteFileA", name, delete_file); }

BOOL DeleteFileW(const WCHAR* name) { return on_name("DeleteFileW", name, delete_file); }

BOOL CreateDirectoryA(const char* name, SECURITY_ATTRIBUTES*) {
  return on_name("CreateDirectoryA", name, create_directory);
}

BOOL CreateDirectoryW(const WCHAR* name, SECURITY_ATTRIBUTES*) {
  return on_name("CreateDirectoryW", name, create_directory);
}

BOOL CreateDirectoryExA(const char* template_directory, const char* name, SECURITY_ATTRIBUTES*) {
  if (w32_fault_hit("CreateDirectoryExA", name)) return FALSE;
  char model[W32_PATH_CAPACITY];
  char posix[W32_PATH_CAPACITY];
  if (!resolve_pair(template_directory, name, model, posix)) return FALSE;
  struct stat st;
  if (stat(model, &st) != 0) return fail_errno();
  if (!S_ISDIR(st.st_mode)) return fail(ERROR_DIRECTORY);
  if (!create_directory(posix)) return FALSE;
  // The new directory takes the template's permission bits.
  if (::chmod(posix, st.st_mode & 07777) != 0) {
    int error = errno;
    ::rmdir(posix);
    return fail(w32_error_from_errno(error));
  }
  return TRUE;
}

BOOL RemoveDirectoryA(const char* name) { return on_name("RemoveDirectoryA", name, remove_directory); }

BOOL RemoveDirectoryW(const WCHAR* name) {
  return on_name("RemoveDirectoryW", name, remove_directory);
}

BOOL SetFileAttributesA(const char* name, DWORD attributes) {
  return on_name_with("SetFileAttributesA", name, attributes, set_attributes);
}

BOOL SetFileAttributesW(const WCHAR* name, DWORD attributes) {
  return on_name_with("SetFileAttributesW", name, attributes, set_attributes);
}

namespace {

template <typename Char>
DWORD attributes_named(const char* function, const Char* name) {
  if (w32_fault_hit(function, name)) return INVALID_FILE_ATTRIBUTES;
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return INVALID_FILE_ATTRIBUTES;
  return attributes_of(posix);
}

}  // namespace

DWORD GetFileAttributesA(const char* name) { return attributes_named("GetFileAttributesA", name); }

DWORD GetFileAttributesW(const WCHAR* name) { return attributes_named("GetFileAttributesW", name); }

BOOL w32_attribute_data_of_posix(const char* posix, WIN32_FILE_ATTRIBUTE_DATA* data) {
  // A dangling link has the times and size of the link itself.
  struct stat st;
  if (stat(posix, &st) != 0 && lstat(posix, &st) != 0) return fail_errno();
  DWORD attributes = attributes_of(posix);
  if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;
  unsigned long long size = S_ISDIR(st.st_mode) ? 0 : static_cast<unsigned long long>(st.st_size);
  data->dwFileAttributes = attributes;
  data->ftCreationTime = w32_filetime_from_timespec(st.st_ctim);
  data->ftLastAccessTime = w32_filetime_from_timespec(st.st_atim);
  data->ftLastWriteTime = w32_filetime_from_timespec(st.st_mtim);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  return TRUE;
}

BOOL GetFileAttributesExA(const char* name, int level, void* information) {
  if (w32_fault_hit("GetFileAttributesExA", name)) return FALSE;
  if (level != GetFileExInfoStandard || information == nullptr) return fail(ERROR_INVALID_PARAMETER);
  char posix[W32_PATH_CAPACITY];
  if (!resolve(name, posix)) return FALSE;
  return w32_attribute_data_of_posix(posix, static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(information));
}

// Atomic, as the mode is the process's and the launcher runs two threads.
UINT SetErrorMode(UINT mode) { return __atomic_exchange_n(&g_error_mode, mode, __ATOMIC_SEQ_CST); }

void file_testing_reset() { __atomic_store_n(&g_error_mode, 0u, __ATOMIC_SEQ_CST); }

}  // namespace w32
