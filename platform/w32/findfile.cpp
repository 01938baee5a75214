#include "platform/w32/findfile.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/w32/ascii.h"
#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/filetime.h"
#include "platform/w32/path.h"

namespace w32 {

namespace {

struct Search {
  W32HandleObject head;
  std::string directory;           // POSIX, ending in '/'
  std::vector<std::string> names;  // POSIX names that match, in byte order
  std::size_t next;
};

void destroy_search(W32HandleObject* object) { delete reinterpret_cast<Search*>(object); }


// '*' and '?' over UTF-16 text, letters folded; '*' keeps the last place to go back to.
bool match(const WCHAR* pattern, std::size_t pattern_length, const WCHAR* name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = static_cast<std::size_t>(-1);
  std::size_t star_name = 0;
  while (name[n] != 0) {
    if (p < pattern_length && pattern[p] == u'*') {
      star = p++;
      star_name = n;
    } else if (p < pattern_length && (pattern[p] == u'?' || ascii_lower(pattern[p]) == ascii_lower(name[n]))) {
      ++p;
      ++n;
    } else if (star != static_cast<std::size_t>(-1)) {
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern_length && pattern[p] == u'*') ++p;
  return p == pattern_length;
}

// Fills data with the next match that still exists; false at the end.
bool fill_next(Search* search, WIN32_FIND_DATAA* data) {
  while (search->next < search->names.size()) {
    const std::string& name = search->names[search->next++];
    std::string posix = search->directory + name;
    struct stat st;
    if (stat(posix.c_str(), &st) != 0) continue;
    WCHAR wide[MAX_PATH];
    std::memset(data, 0, sizeof *data);
    if (MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide, MAX_PATH) == 0 ||
        WideCharToMultiByte(CP_ACP, 0, wide, -1, data->cFileName, MAX_PATH, nullptr, nullptr) == 0)
      continue;  // a name that Win32 could not hold
    data->dwFileAttributes = w32_attributes_of_posix(posix.c_str());
    data->ftCreationTime = w32_filetime_from_timespec(st.st_ctim);
    data->ftLastAccessTime = w32_filetime_from_timespec(st.st_atim);
    data->ftLastWriteTime = w32_filetime_from_timespec(st.st_mtim);
    unsigned long long size = S_ISDIR(st.st_mode) ? 0 : static_cast<unsigned long long>(st.st_size);
    data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    return true;
  }
  return false;
}

// The root of the drive or share that pattern is on, as a name ("X:\", "\", or
// "\\host\share\").
std::string root_of(const char* pattern) {
  if (is_path_delimiter(pattern[0]) && is_path_delimiter(pattern[1])) {
    int delimiters = 0;
    const char* at = pattern;
    while (*at != '\0' && delimiters < 4) {
      if (is_path_delimiter(*at)) ++delimiters;
      ++at;
    }
    std::string root(pattern, static_cast<std::size_t>(at - pattern));
    if (root.empty() || !is_path_delimiter(root.back())) root.push_back('\\');
    return root;
  }
  if (pattern[0] != '\0' && pattern[1] == ':') return std::string(pattern, 2) + "\\";
  return "\\";
}

HANDLE fail(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool w32_wildcard_match(const WCHAR* pattern, const WCHAR* name) {
  std::size_t length = 0;
  while (pattern[length] != 0) ++length;
  if (match(pattern, length, name)) return true;
  // "x.*" also matches what "x" matches: a name without an extension.
  return length >= 2 && pattern[length - 2] == u'.' && pattern[length - 1] == u'*' &&
         match(pattern, length - 2, name);
}

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
  if (pattern == nullptr || data == nullptr) return fail(ERROR_INVALID_PARAMETER);
  // The directory part (with its delimiter) and the last component.
  std::size_t length = std::strlen(pattern);
  std::size_t cut = length;
  while (cut > 0 && !is_path_delimiter(pattern[cut - 1])) --cut;
  std::string directory(pattern, cut);
  std::string last(pattern + cut);
  if (cut == 0 && length >= 2 && pattern[1] == ':') {
    directory.assign(pattern, 2);
    last.assign(pattern + 2);
  }
  if (last.empty()) return fail(ERROR_FILE_NOT_FOUND);
  if (directory.empty() || (directory.size() == 2 && directory[1] == ':')) directory += ".";

  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path_a(directory.c_str(), posix, sizeof posix)) return INVALID_HANDLE_VALUE;
  struct stat st;
  if (stat(posix, &st) != 0 || !S_ISDIR(st.st_mode)) return fail(ERROR_PATH_NOT_FOUND);
  std::string root_posix;
  char root[W32_PATH_CAPACITY];
  if (w32_resolve_path_a(root_of(pattern).c_str(), root, sizeof root)) root_posix = root;
  std::string dir_posix = posix;
  if (dir_posix.empty() || dir_posix.back() != '/') dir_posix.push_back('/');
  if (!root_posix.empty() && root_posix.back() != '/') root_posix.push_back('/');
  bool at_root = dir_posix == root_posix;

  WCHAR wide_pattern[MAX_PATH + 1];
  if (MultiByteToWideChar(CP_ACP, 0, last.c_str(), -1, wide_pattern, MAX_PATH + 1) == 0)
    return fail(ERROR_INVALID_NAME);

  Search* search = new (std::nothrow) Search();
  if (search == nullptr) return fail(ERROR_NOT_ENOUGH_MEMORY);
  search->head.destroy = destroy_search;
  search->directory = dir_posix;
  DIR* stream = opendir(posix);
  if (stream == nullptr) {
    delete search;
    return fail(w32_error_from_errno(errno));
  }
  while (const dirent* entry = readdir(stream)) {
    const char* name = entry->d_name;
    bool dots = std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
    if (dots && at_root) continue;
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, MAX_PATH) == 0) continue;
    if (w32_wildcard_match(wide_pattern, wide)) search->names.push_back(name);
  }
  closedir(stream);
  std::sort(search->names.begin(), search->names.end());
  if (!fill_next(search, data)) {
    delete search;
    return fail(ERROR_FILE_NOT_FOUND);
  }
  HANDLE handle = w32_handle_open(&search->head, W32_HANDLE_FIND);
  if (handle == nullptr) {
    delete search;
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Search* search = reinterpret_cast<Search*>(w32_handle_acquire(handle, W32_HANDLE_FIND));
  if (search == nullptr) return FALSE;
  bool found = fill_next(search, data);
  w32_handle_release(&search->head);
  if (found) return TRUE;
  SetLastError(ERROR_NO_MORE_FILES);
  return FALSE;
}

BOOL FindClose(HANDLE handle) { return w32_handle_close(handle, W32_HANDLE_FIND); }

}  // namespace w32
