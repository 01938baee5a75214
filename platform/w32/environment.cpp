#include "platform/w32/environment.h"

#include <pthread.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/ascii.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"
#include "platform/w32/winpath.h"

extern char** environ;

namespace w32 {

namespace {

// Keeps the calls of this layer from changing the environment under one another.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

bool valid_name(const char* name) {
  return name != nullptr && name[0] != '\0' && std::strchr(name, '=') == nullptr;
}

// The spelling under which name is set: the exact one, else the first that differs only
// in ASCII case; empty when it is not set. Called with g_lock held.
std::string set_spelling(const char* name) {
  if (std::getenv(name) != nullptr) return name;
  std::size_t length = std::strlen(name);
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
    if (equal_ascii_folded(*entry, name, length) && (*entry)[length] == '=')
      return std::string(*entry, length);
  return std::string();
}

// Copies text (length bytes) and its terminator into buffer when they fit: the length;
// else the size needed.
DWORD copy_out(const char* text, std::size_t length, char* buffer, DWORD size) {
  if (length + 1 > size) return static_cast<DWORD>(length + 1);
  std::memcpy(buffer, text, length + 1);
  return static_cast<DWORD>(length);
}

}  // namespace

DWORD GetEnvironmentVariableA(const char* name, char* buffer, DWORD size) {
  if (name == nullptr || (buffer == nullptr && size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  pthread_mutex_lock(&g_lock);
  std::string spelling = valid_name(name) ? set_spelling(name) : std::string();
  const char* value = spelling.empty() ? nullptr : std::getenv(spelling.c_str());
  DWORD result = 0;
  if (value != nullptr) result = copy_out(value, std::strlen(value), buffer, size);
  pthread_mutex_unlock(&g_lock);
  if (value == nullptr) SetLastError(ERROR_ENVVAR_NOT_FOUND);
  return result;
}

BOOL SetEnvironmentVariableA(const char* name, const char* value) {
  if (!valid_name(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  pthread_mutex_lock(&g_lock);
  std::string spelling = set_spelling(name);
  if (spelling.empty()) spelling = name;
  int failed = value != nullptr ? setenv(spelling.c_str(), value, 1) : unsetenv(spelling.c_str());
  int error = errno;
  pthread_mutex_unlock(&g_lock);
  if (failed != 0) {
    SetLastError(error == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : w32_error_from_errno(error));
    return FALSE;
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  char posix[W32_PATH_CAPACITY];
  char name[W32_PATH_CAPACITY];
  if (!w32_resolve_path_a(".", posix, sizeof posix)) return 0;
  std::size_t length = std::strlen(posix);
  if (length > 1 && posix[length - 1] == '/') posix[length - 1] = '\0';
  if (!w32_windows_path_from_posix(posix, name, sizeof name)) return 0;
  return copy_out(name, std::strlen(name), buffer, size);
}

}  // namespace w32
