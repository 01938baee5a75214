#include "platform/w32/proclist.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/codepage.h"
#include "platform/w32/error.h"

namespace w32 {

namespace {

// The whole of a small /proc file; false when it cannot be read.
bool read_file(const char* path, std::string* text) {
  text->clear();
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1024];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text->append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return true;
}

const char* base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

// Copies a UTF-8 name into the system code page, cut to fit.
void set_name(W32ProcessInfo* info, const char* utf8) {
  WCHAR wide[MAX_PATH];
  int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, MAX_PATH);
  if (units == 0) {
    wide[MAX_PATH - 1] = 0;  // cut: what fitted stays
  }
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, info->name, MAX_PATH, nullptr, nullptr) == 0)
    info->name[MAX_PATH - 1] = '\0';
}

// The program's name: the executable's base name, else the first argument's, else the
// kernel's name of the process.
void find_name(DWORD pid, const std::string& kernel_name, W32ProcessInfo* info) {
  char path[64];
  char target[4096];
  std::snprintf(path, sizeof path, "/proc/%u/exe", static_cast<unsigned>(pid));
  ssize_t length = readlink(path, target, sizeof target - 1);
  if (length > 0) {
    target[length] = '\0';
    static const char kDeleted[] = " (deleted)";
    std::size_t size = static_cast<std::size_t>(length);
    if (size > sizeof kDeleted - 1 &&
        std::strcmp(target + size - (sizeof kDeleted - 1), kDeleted) == 0)
      target[size - (sizeof kDeleted - 1)] = '\0';
    set_name(info, base_name(target));
    return;
  }
  std::string arguments;
  std::snprintf(path, sizeof path, "/proc/%u/cmdline", static_cast<unsigned>(pid));
  if (read_file(path, &arguments) && !arguments.empty() && arguments[0] != '\0') {
    set_name(info, base_name(arguments.c_str()));
    return;
  }
  set_name(info, kernel_name.c_str());
}

// Reads /proc/<pid>/stat: the kernel name, state, parent, threads and start time.
bool read_stat(DWORD pid, std::string* kernel_name, char* state, W32ProcessInfo* info,
               unsigned long long* start) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%u/stat", static_cast<unsigned>(pid));
  std::string text;
  if (!read_file(path, &text)) return false;
  // "pid (name) state ppid ..."; the name may hold blanks and parentheses.
  std::size_t open = text.find('(');
  std::size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) return false;
  *kernel_name = text.substr(open + 1, close - open - 1);
  // Fields from the state on: 3 state, 4 ppid, ..., 20 num_threads, 22 starttime.
  const char* at = text.c_str() + close + 1;
  unsigned long long fields[23] = {};
  *state = '?';
  for (int field = 3; field <= 22; ++field) {
    while (*at == ' ') ++at;
    if (*at == '\0') return false;
    if (field == 3) {
      *state = *at;
    } else {
      fields[field] = std::strtoull(at, nullptr, 10);
    }
    while (*at != ' ' && *at != '\0') ++at;
  }
  info->pid = pid;
  info->parent = static_cast<DWORD>(fields[4]);
  info->threads = static_cast<DWORD>(fields[20]);
  *start = fields[22];
  return true;
}

}  // namespace

BOOL w32_process_info(DWORD pid, W32ProcessInfo* info, unsigned long long* start) {
  std::string kernel_name;
  char state = '?';
  if (pid == 0 || !read_stat(pid, &kernel_name, &state, info, start)) return FALSE;
  if (state == 'Z' || state == 'X' || state == 'x') return FALSE;
  find_name(pid, kernel_name, info);
  return TRUE;
}

BOOL w32_list_processes(std::vector<W32ProcessInfo>* processes) {
  processes->clear();
  DIR* proc = opendir("/proc");
  if (proc == nullptr) {
    SetLastError(w32_error_from_errno(errno));
    return FALSE;
  }
  std::vector<DWORD> ids;
  while (const dirent* entry = readdir(proc)) {
    const char* name = entry->d_name;
    if (name[0] < '1' || name[0] > '9') continue;
    char* end = nullptr;
    unsigned long pid = std::strtoul(name, &end, 10);
    if (*end == '\0' && pid <= 0xFFFFFFFFul) ids.push_back(static_cast<DWORD>(pid));
  }
  closedir(proc);
  std::sort(ids.begin(), ids.end());
  W32ProcessInfo idle = {};
  std::snprintf(idle.name, sizeof idle.name, "[System Process]");
  idle.threads = 1;
  processes->push_back(idle);
  for (DWORD pid : ids) {
    W32ProcessInfo info = {};
    unsigned long long start = 0;
    // A process that ended since the listing is left out.
    if (w32_process_info(pid, &info, &start)) processes->push_back(info);
  }
  return TRUE;
}

}  // namespace w32
