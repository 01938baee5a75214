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
#include "platform/w32/fault.h"
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

// Fills wide with the next match that still exists, and narrow (when given) with the
// same in the system code page; false at the end. A name that the record cannot hold in
// the form asked for is skipped: a cut name could be another file's.
bool fill_next(Search* search, WIN32_FIND_DATAW* wide, WIN32_FIND_DATAA* narrow) {
  while (search->next < search->names.size()) {
    const std::string& name = search->names[search->next++];
    std::string posix = search->directory + name;
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (!w32_attribute_data_of_posix(posix.c_str(), &found)) continue;
    std::memset(wide, 0, sizeof *wide);
    if (MultiByteToWideChar(CP_UTF8, 0, name.c_str(), -1, wide->cFileName, MAX_PATH) == 0)
      continue;
    wide->dwFileAttributes = found.dwFileAttributes;
    wide->ftCreationTime = found.ftCreationTime;
    wide->ftLastAccessTime = found.ftLastAccessTime;
    wide->ftLastWriteTime = found.ftLastWriteTime;
    wide->nFileSizeHigh = found.nFileSizeHigh;
    wide->nFileSizeLow = found.nFileSizeLow;
    if (narrow == nullptr) return true;
    std::memset(narrow, 0, sizeof *narrow);
    BOOL lossy = FALSE;
    if (WideCharToMultiByte(CP_ACP, 0, wide->cFileName, -1, narrow->cFileName, MAX_PATH, nullptr,
                            &lossy) == 0 ||
        lossy)
      continue;  // a name that the code page cannot hold
    narrow->dwFileAttributes = wide->dwFileAttributes;
    narrow->ftCreationTime = wide->ftCreationTime;
    narrow->ftLastAccessTime = wide->ftLastAccessTime;
    narrow->ftLastWriteTime = wide->ftLastWriteTime;
    narrow->nFileSizeHigh = wide->nFileSizeHigh;
    narrow->nFileSizeLow = wide->nFileSizeLow;
    return true;
  }
  return false;
}

bool is_delimiter(WCHAR c) { return c == u'\\' || c == u'/'; }

// The root of the drive or share that pattern is on, as a name ("X:\", "\", or
// "\\host\share\").
std::u16string root_of(const WCHAR* pattern) {
  if (is_delimiter(pattern[0]) && is_delimiter(pattern[1])) {
    int delimiters = 0;
    const WCHAR* at = pattern;
    while (*at != 0 && delimiters < 4) {
      if (is_delimiter(*at)) ++delimiters;
      ++at;
    }
    std::u16string root(pattern, static_cast<std::size_t>(at - pattern));
    if (root.empty() || !is_delimiter(root.back())) root.push_back(u'\\');
    return root;
  }
  if (pattern[0] != 0 && pattern[1] == u':') return std::u16string(pattern, 2) + u"\\";
  return u"\\";
}

HANDLE fail(DWORD code) {
  SetLastError(code);
  return INVALID_HANDLE_VALUE;
}

// Starts a search for a wide pattern and fills the first match as fill_next does.
HANDLE find_first(const WCHAR* pattern, WIN32_FIND_DATAW* wide, WIN32_FIND_DATAA* narrow) {
  // The directory part (with its delimiter) and the last component.
  std::size_t length = 0;
  while (pattern[length] != 0) ++length;
  std::size_t cut = length;
  while (cut > 0 && !is_delimiter(pattern[cut - 1])) --cut;
  std::u16string directory(pattern, cut);
  std::u16string last(pattern + cut);
  if (cut == 0 && length >= 2 && pattern[1] == u':') {
    directory.assign(pattern, 2);
    last.assign(pattern + 2);
  }
  if (last.empty()) return fail(ERROR_FILE_NOT_FOUND);
  if (last.size() >= MAX_PATH) return fail(ERROR_INVALID_NAME);
  if (directory.empty() || (directory.size() == 2 && directory[1] == u':')) directory += u".";

  char posix[W32_PATH_CAPACITY];
  if (!w32_resolve_path_w(directory.c_str(), posix, sizeof posix)) return INVALID_HANDLE_VALUE;
  struct stat st;
  if (stat(posix, &st) != 0 || !S_ISDIR(st.st_mode)) return fail(ERROR_PATH_NOT_FOUND);
  std::string root_posix;
  char root[W32_PATH_CAPACITY];
  if (w32_resolve_path_w(root_of(pattern).c_str(), root, sizeof root)) root_posix = root;
  std::string dir_posix = posix;
  if (dir_posix.empty() || dir_posix.back() != '/') dir_posix.push_back('/');
  if (!root_posix.empty() && root_posix.back() != '/') root_posix.push_back('/');
  bool at_root = dir_posix == root_posix;

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
    WCHAR wide_name[MAX_PATH];
    if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide_name, MAX_PATH) == 0) continue;
    if (w32_wildcard_match(last.c_str(), wide_name)) search->names.push_back(name);
  }
  closedir(stream);
  std::sort(search->names.begin(), search->names.end());
  if (!fill_next(search, wide, narrow)) {
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

BOOL find_next(HANDLE handle, WIN32_FIND_DATAW* wide, WIN32_FIND_DATAA* narrow) {
  Search* search = reinterpret_cast<Search*>(w32_handle_acquire(handle, W32_HANDLE_FIND));
  if (search == nullptr) return FALSE;
  bool found = fill_next(search, wide, narrow);
  w32_handle_release(&search->head);
  if (found) return TRUE;
  SetLastError(ERROR_NO_MORE_FILES);
  return FALSE;
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
  if (w32_fault_hit("FindFirstFileA", pattern)) return INVALID_HANDLE_VALUE;
  if (pattern == nullptr || data == nullptr) return fail(ERROR_INVALID_PARAMETER);
  WCHAR wide_pattern[W32_PATH_CAPACITY];
  if (MultiByteToWideChar(CP_ACP, 0, pattern, -1, wide_pattern,
                          static_cast<int>(W32_PATH_CAPACITY)) == 0)
    return fail(ERROR_INVALID_NAME);
  WIN32_FIND_DATAW wide;
  return find_first(wide_pattern, &wide, data);
}

HANDLE FindFirstFileW(const WCHAR* pattern, WIN32_FIND_DATAW* data) {
  if (w32_fault_hit("FindFirstFileW", pattern)) return INVALID_HANDLE_VALUE;
  if (pattern == nullptr || data == nullptr) return fail(ERROR_INVALID_PARAMETER);
  return find_first(pattern, data, nullptr);
}

BOOL FindNextFileA(HANDLE handle, WIN32_FIND_DATAA* data) {
  if (w32_fault_hit("FindNextFileA")) return FALSE;
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WIN32_FIND_DATAW wide;
  return find_next(handle, &wide, data);
}

BOOL FindNextFileW(HANDLE handle, WIN32_FIND_DATAW* data) {
  if (w32_fault_hit("FindNextFileW")) return FALSE;
  if (data == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return find_next(handle, data, nullptr);
}

BOOL FindClose(HANDLE handle) {
  // As CloseHandle: an armed failure closes all the same.
  BOOL armed = w32_fault_hit("FindClose");
  return w32_handle_close(handle, W32_HANDLE_FIND) && !armed ? TRUE : FALSE;
}

}  // namespace w32
