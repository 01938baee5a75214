#include "platform/w32/environment.h"

#include <pthread.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/fault.h"
#include "platform/w32/path.h"
#include "platform/w32/winpath.h"

extern char** environ;

namespace w32 {

namespace {

// Keeps the calls of this layer from changing the environment under one another.
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// Windows always defines the interpreter's name; a test may take it away.
constexpr char COMSPEC_NAME[] = "COMSPEC";
constexpr char COMSPEC_DEFAULT[] = "C:\\Windows\\system32\\cmd.exe";
bool g_comspec_removed = false;

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
template <typename Char>
DWORD copy_out(const Char* text, std::size_t length, Char* buffer, DWORD size) {
  if (length + 1 > size) return static_cast<DWORD>(length + 1);
  std::memcpy(buffer, text, (length + 1) * sizeof(Char));
  return static_cast<DWORD>(length);
}

std::size_t text_length(const WCHAR* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
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
  if (value == nullptr && !g_comspec_removed && valid_name(name) &&
      std::strlen(name) == sizeof COMSPEC_NAME - 1 &&
      equal_ascii_folded(name, COMSPEC_NAME, sizeof COMSPEC_NAME - 1))
    value = COMSPEC_DEFAULT;
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

namespace {

BOOL windows_path_from_posix(const char* posix, char* name, std::size_t capacity) {
  return w32_windows_path_from_posix(posix, name, capacity);
}
BOOL windows_path_from_posix(const char* posix, WCHAR* name, std::size_t capacity) {
  return w32_windows_path_from_posix_w(posix, name, capacity);
}
std::size_t text_length(const char* text) { return std::strlen(text); }

template <typename Char>
DWORD current_directory(DWORD size, Char* buffer) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  char posix[W32_PATH_CAPACITY];
  Char name[W32_PATH_CAPACITY];
  if (!w32_resolve_path_a(".", posix, sizeof posix)) return 0;
  std::size_t length = std::strlen(posix);
  if (length > 1 && posix[length - 1] == '/') posix[length - 1] = '\0';
  if (!windows_path_from_posix(posix, name, W32_PATH_CAPACITY)) return 0;
  return copy_out(name, text_length(name), buffer, size);
}

}  // namespace

DWORD GetCurrentDirectoryA(DWORD size, char* buffer) { return current_directory(size, buffer); }

DWORD GetCurrentDirectoryW(DWORD size, WCHAR* buffer) { return current_directory(size, buffer); }

BOOL SetCurrentDirectoryA(const char* name) {
  if (w32_fault_hit("SetCurrentDirectoryA", name)) return FALSE;
  if (name == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WCHAR wide[W32_PATH_CAPACITY];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide,
                          static_cast<int>(W32_PATH_CAPACITY)) == 0)
    return FALSE;
  return w32_set_current_directory(wide);
}

BOOL SetCurrentDirectoryW(const WCHAR* name) {
  if (w32_fault_hit("SetCurrentDirectoryW", name)) return FALSE;
  return w32_set_current_directory(name);
}

DWORD GetFullPathNameA(const char* name, DWORD size, char* buffer, char** file_part) {
  if (file_part != nullptr) *file_part = nullptr;
  if (name == nullptr || (buffer == nullptr && size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WCHAR wide[W32_PATH_CAPACITY];
  WCHAR full[W32_PATH_CAPACITY];
  char narrow[W32_PATH_CAPACITY];
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide,
                          static_cast<int>(W32_PATH_CAPACITY)) == 0 ||
      !w32_full_path_name(wide, full, W32_PATH_CAPACITY) ||
      WideCharToMultiByte(CP_ACP, 0, full, -1, narrow, static_cast<int>(sizeof narrow), nullptr,
                          nullptr) == 0)
    return 0;
  std::size_t length = std::strlen(narrow);
  DWORD result = copy_out(narrow, length, buffer, size);
  if (result == length && file_part != nullptr && length > 0 && narrow[length - 1] != '\\') {
    char* last = std::strrchr(buffer, '\\');
    *file_part = last != nullptr ? last + 1 : buffer;
  }
  return result;
}

char* GetEnvironmentStrings() {
  if (w32_fault_hit("GetEnvironmentStrings")) return nullptr;
  std::string block;
  // The current directory of the current drive, as Win32 keeps it in "=C:" entries.
  char directory[W32_PATH_CAPACITY];
  DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
  if (length > 1 && length < sizeof directory && directory[1] == ':') {
    block.append("=").append(directory, 2).append("=").append(directory, length);
    block.push_back('\0');
  }
  pthread_mutex_lock(&g_lock);
  bool comspec = g_comspec_removed;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (std::strchr(*entry, '=') == nullptr) continue;
    if (equal_ascii_folded(*entry, COMSPEC_NAME, sizeof COMSPEC_NAME - 1) &&
        (*entry)[sizeof COMSPEC_NAME - 1] == '=')
      comspec = true;
    block.append(*entry);
    block.push_back('\0');
  }
  pthread_mutex_unlock(&g_lock);
  if (!comspec) {
    block.append(COMSPEC_NAME).append("=").append(COMSPEC_DEFAULT);
    block.push_back('\0');
  }
  block.push_back('\0');
  char* copy = static_cast<char*>(std::malloc(block.size()));
  if (copy == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::memcpy(copy, block.data(), block.size());
  return copy;
}

BOOL FreeEnvironmentStrings(char* block) {
  if (block == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::free(block);
  return TRUE;
}

void environment_testing_remove_comspec(bool removed) {
  pthread_mutex_lock(&g_lock);
  g_comspec_removed = removed;
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
