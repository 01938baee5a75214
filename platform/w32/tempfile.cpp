#include "platform/w32/tempfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/ascii.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"
#include "platform/w32/winpath.h"

namespace w32 {

namespace {

UINT fail(DWORD code) {
  SetLastError(code);
  return 0;
}


// The name for one number; false when it would not fit MAX_PATH.
bool form_name(const std::string& directory, const char* prefix, UINT number, char* name) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%X", number & 0xFFFFu);
  std::string full = directory;
  std::size_t prefix_length = 0;
  while (prefix_length < 3 && prefix[prefix_length] != '\0') ++prefix_length;
  full.append(prefix, prefix_length).append(digits).append(".tmp");
  if (full.size() >= MAX_PATH) return false;
  std::memcpy(name, full.c_str(), full.size() + 1);
  return true;
}

}  // namespace

DWORD GetTempPathA(DWORD size, char* buffer) {
  if (buffer == nullptr && size != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string directory;
  const char* value = std::getenv("TMP");
  if (value == nullptr || value[0] == '\0') value = std::getenv("TEMP");
  if (value != nullptr && value[0] != '\0') {
    directory = value;
  } else {
    const char* posix = std::getenv("TMPDIR");
    if (posix == nullptr || posix[0] != '/') posix = "/tmp";
    char name[W32_PATH_CAPACITY];
    if (!w32_windows_path_from_posix(posix, name, sizeof name)) return 0;
    directory = name;
  }
  if (!is_path_delimiter(directory.back())) directory.push_back('\\');
  if (directory.size() + 1 > size) return static_cast<DWORD>(directory.size() + 1);
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<DWORD>(directory.size());
}

UINT GetTempFileNameA(const char* path, const char* prefix, UINT unique, char* name) {
  if (path == nullptr || name == nullptr) return fail(ERROR_INVALID_PARAMETER);
  if (prefix == nullptr) prefix = "";
  std::string directory = path;
  if (directory.empty() || !is_path_delimiter(directory.back())) directory.push_back('\\');
  if (unique != 0) {
    if (!form_name(directory, prefix, unique, name)) return fail(ERROR_BUFFER_OVERFLOW);
    return unique;
  }
  char posix[W32_PATH_CAPACITY];
  struct stat st;
  if (!w32_resolve_path_a(directory.c_str(), posix, sizeof posix) || stat(posix, &st) != 0 ||
      !S_ISDIR(st.st_mode))
    return fail(ERROR_DIRECTORY);
  // A starting number from the clock and the process, then counting up past 0xFFFF
  // back to 1, so that every number is tried once.
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  UINT number = static_cast<UINT>((now.tv_nsec / 1000) ^ now.tv_sec ^ getpid()) & 0xFFFFu;
  for (UINT tries = 0; tries < 0xFFFFu; ++tries) {
    if (number == 0) number = 1;
    char candidate[MAX_PATH];
    if (!form_name(directory, prefix, number, candidate)) return fail(ERROR_BUFFER_OVERFLOW);
    char file[W32_PATH_CAPACITY];
    if (!w32_resolve_path_a(candidate, file, sizeof file)) return 0;
    int fd = ::open(file, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      ::close(fd);
      std::memcpy(name, candidate, std::strlen(candidate) + 1);
      return number;
    }
    if (errno != EEXIST) return fail(w32_error_from_errno(errno));
    number = (number + 1) & 0xFFFFu;
  }
  return fail(ERROR_FILE_EXISTS);
}

}  // namespace w32
