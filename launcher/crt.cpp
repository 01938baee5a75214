#include "launcher/crt.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "launcher/launch_logic.h"
#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"

namespace trovask {

std::FILE* open_file(const char* name, const char* mode) {
  char trimmed[TEXT_SIZE];
  if (!format_text(trimmed, sizeof trimmed, "%s", name)) {
    errno = ENAMETOOLONG;
    return nullptr;
  }
  std::size_t length = std::strlen(trimmed);
  while (length > 0 && (trimmed[length - 1] == ' ' || trimmed[length - 1] == '.')) --length;
  trimmed[length] = '\0';
  char posix[w32::W32_PATH_CAPACITY];
  if (!w32::w32_resolve_path_a(trimmed, posix, sizeof posix)) {
    errno = ENOENT;
    return nullptr;
  }
  // Every file may be run on Windows, so a file made here may be executed too: the
  // copied setup program is started from where it was written.
  if (mode[0] == 'w' || mode[0] == 'a') {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode[0] == 'w' ? O_TRUNC : O_APPEND);
    int fd = open(posix, flags, 0777);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, mode);
    if (file == nullptr) close(fd);
    return file;
  }
  return std::fopen(posix, mode);
}

bool put_environment(const char* assignment) {
  const char* equals = std::strchr(assignment, '=');
  if (equals == nullptr || equals == assignment) return false;
  char name[TEXT_SIZE];
  std::size_t length = static_cast<std::size_t>(equals - assignment);
  if (length >= sizeof name) return false;
  std::memcpy(name, assignment, length);
  name[length] = '\0';
  return w32::SetEnvironmentVariableA(name, equals[1] == '\0' ? nullptr : equals + 1) != w32::FALSE;
}

bool get_environment(const char* name, char* buffer, std::size_t size, bool* whole) {
  if (whole != nullptr) *whole = false;
  if (size == 0) return false;
  buffer[0] = '\0';
  w32::SetLastError(w32::ERROR_SUCCESS);
  w32::DWORD length = w32::GetEnvironmentVariableA(name, buffer, static_cast<w32::DWORD>(size));
  if (length == 0) return w32::GetLastError() != w32::ERROR_ENVVAR_NOT_FOUND;
  if (length < size) {
    if (whole != nullptr) *whole = true;
    return true;
  }
  // Too long for the buffer: nothing was copied, so take the value from the environment
  // itself, cut to fit.
  const char* value = std::getenv(name);
  format_text(buffer, size, "%s", value != nullptr ? value : "");
  return true;
}

}  // namespace trovask
