#include "fileaccess/backends/ntlangwrap.h"

#include <cerrno>
#include <cstring>

#include "fileaccess/backends/ntlangwrap_testing.h"
#include "fileaccess/core/pfaconv.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/error.h"
#include "platform/w32/changenotify.h"
#include "platform/w32/environment.h"
#include "platform/w32/file.h"
#include "platform/w32/fileio.h"
#include "platform/w32/findfile.h"
#include "platform/w32/system.h"
#include "platform/w32/volume.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/text/wide.h"

namespace vek {

namespace {

// -1 until the first call decides.
int action = -1;

constexpr w32::WORD JAPANESE_SYSTEM_LANG_ID = 0x0411;

static_assert(NTLANGWRAP_NAME_SIZE <= PFA_NAME_SIZE,
              "a converted name keeps its length or shrinks");

// 1 when name may be handed to a wrapper's Win32 call; otherwise sets the last error.
int name_fits(const char* name) {
  if (!name) {
    w32::SetLastError(w32::ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (std::strlen(name) >= NTLANGWRAP_NAME_SIZE) {
    w32::SetLastError(w32::ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  return 1;
}

}  // namespace

int ntlangwrap_get_action() {
  if (action < 0) {
    if (is_multibyte_language(get_language()))
      action = NTLANGWRAP_WIDE;
    else if (w32::GetSystemDefaultLangID() == JAPANESE_SYSTEM_LANG_ID)
      action = NTLANGWRAP_CONVERTED;
    else
      action = NTLANGWRAP_NARROW;
  }
  return action;
}

namespace {

// A name in the form the decided action hands to Win32.
struct Name {
  int action;
  const char* narrow;  // the narrow name of actions 1 and 2
  VynWchar wide[NTLANGWRAP_NAME_SIZE];
  char converted[PFA_NAME_SIZE];
};

// The decided action, or -1 after reporting an invalid one under function.
int checked_action(const char* function) {
  int chosen = ntlangwrap_get_action();
  if (chosen == NTLANGWRAP_WIDE || chosen == NTLANGWRAP_NARROW || chosen == NTLANGWRAP_CONVERTED)
    return chosen;
  dbg_err_crash(function, "invalid action");
  return -1;
}

// Forms name for the action: 1, or 0 with the last error set.
int form(int chosen, const char* name, Name* out) {
  out->action = chosen;
  if (!name_fits(name)) return 0;
  out->narrow = name;
  if (chosen == NTLANGWRAP_WIDE) {
    // strtows writes at most one unit per byte of name and the terminator.
    strtows(out->wide, name);
  } else if (chosen == NTLANGWRAP_CONVERTED) {
    char copy[NTLANGWRAP_NAME_SIZE];
    std::memcpy(copy, name, std::strlen(name) + 1);
    if (pfa_filename_converter(copy, PFA_ENCODE_NONE, out->converted, PFA_ENCODE_SJIS) != 0) {
      w32::SetLastError(w32::ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
    out->narrow = out->converted;
  }
  return 1;
}

// The action and the name's form for a wrapper: 1, or 0 (reported or the last error set).
int prepare(const char* function, const char* name, Name* out) {
  int chosen = checked_action(function);
  return chosen >= 0 && form(chosen, name, out);
}

// A name that Windows gave in the action's form, back in the session's form into out
// (NTLANGWRAP_NAME_SIZE bytes): 1, or 0 when it does not fit or does not convert.
int narrow_back(int chosen, const VynWchar* wide, const char* narrow, char* out) {
  if (chosen == NTLANGWRAP_WIDE) {
    char made[wstostr_room(NTLANGWRAP_NAME_SIZE)];
    wstostr(made, wide);
    std::size_t length = std::strlen(made);
    if (length >= NTLANGWRAP_NAME_SIZE) return 0;
    std::memcpy(out, made, length + 1);
    return 1;
  }
  std::size_t length = std::strlen(narrow);
  if (length >= NTLANGWRAP_NAME_SIZE) return 0;
  if (chosen == NTLANGWRAP_NARROW) {
    std::memcpy(out, narrow, length + 1);
    return 1;
  }
  char copy[NTLANGWRAP_NAME_SIZE];
  std::memcpy(copy, narrow, length + 1);
  return pfa_filename_converter(copy, PFA_ENCODE_SJIS, out, PFA_ENCODE_NONE) == 0;
}

}  // namespace

w32::DWORD ntlangwrap_GetFileAttributes(const char* name) {
  Name n;
  if (!prepare("ntlangwrap_GetFileAttributes", name, &n)) return w32::INVALID_FILE_ATTRIBUTES;
  return n.action == NTLANGWRAP_WIDE ? w32::GetFileAttributesW(n.wide)
                                     : w32::GetFileAttributesA(n.narrow);
}

w32::BOOL ntlangwrap_SetFileAttributes(const char* name, w32::DWORD attributes) {
  Name n;
  if (!prepare("ntlangwrap_SetFileAttributes", name, &n)) return w32::FALSE;
  return n.action == NTLANGWRAP_WIDE ? w32::SetFileAttributesW(n.wide, attributes)
                                     : w32::SetFileAttributesA(n.narrow, attributes);
}

w32::UINT ntlangwrap_GetDriveType(const char* root) {
  Name n;
  if (!prepare("ntlangwrap_GetDriveType", root, &n)) return w32::DRIVE_UNKNOWN;
  return n.action == NTLANGWRAP_WIDE ? w32::GetDriveTypeW(n.wide) : w32::GetDriveTypeA(n.narrow);
}

w32::BOOL ntlangwrap_GetFileSecurity(const char* name, w32::SECURITY_INFORMATION information,
                                     w32::PSECURITY_DESCRIPTOR* descriptor) {
  Name n;
  if (!prepare("ntlangwrap_GetFileSecurity", name, &n)) return w32::FALSE;
  if (descriptor == nullptr) {
    w32::SetLastError(w32::ERROR_INVALID_PARAMETER);
    return w32::FALSE;
  }
  *descriptor = nullptr;
  auto get = [&](w32::PSECURITY_DESCRIPTOR buffer, w32::DWORD length, w32::DWORD* needed) {
    return n.action == NTLANGWRAP_WIDE
               ? w32::GetFileSecurityW(n.wide, information, buffer, length, needed)
               : w32::GetFileSecurityA(n.narrow, information, buffer, length, needed);
  };
  w32::DWORD needed = 0;
  if (get(nullptr, 0, &needed)) return w32::TRUE;
  if (w32::GetLastError() != w32::ERROR_INSUFFICIENT_BUFFER) return w32::FALSE;
  *descriptor = getmem(needed);
  if (*descriptor == nullptr) return w32::FALSE;
  return get(*descriptor, needed, &needed);
}

w32::BOOL ntlangwrap_SetFileSecurity(const char* name, w32::SECURITY_INFORMATION information,
                                     w32::PSECURITY_DESCRIPTOR descriptor) {
  Name n;
  if (!prepare("ntlangwrap_SetFileSecurity", name, &n)) return w32::FALSE;
  return n.action == NTLANGWRAP_WIDE ? w32::SetFileSecurityW(n.wide, information, descriptor)
                                     : w32::SetFileSecurityA(n.narrow, information, descriptor);
}

w32::HANDLE ntlangwrap_CreateFile(const char* name, w32::DWORD access, w32::DWORD share_mode,
                                  w32::DWORD disposition, w32::DWORD flags) {
  Name n;
  if (!prepare("ntlangwrap_CreateFile", name, &n)) return w32::INVALID_HANDLE_VALUE;
  w32::HANDLE handle =
      n.action == NTLANGWRAP_WIDE
          ? w32::CreateFileW(n.wide, access, share_mode, nullptr, disposition, flags, nullptr)
          : w32::CreateFileA(n.narrow, access, share_mode, nullptr, disposition, flags, nullptr);
  if (disposition != w32::OPEN_EXISTING) pfa_file_name_update_dir_cache(name);
  return handle;
}

namespace {

// A change of one name through the wide or the narrow call: 0 / 1, the name refreshed.
int change_name(const char* function, const char* name, w32::BOOL (*wide)(const w32::WCHAR*),
                w32::BOOL (*narrow)(const char*)) {
  Name n;
  if (!prepare(function, name, &n)) return 1;
  w32::BOOL done = n.action == NTLANGWRAP_WIDE ? wide(n.wide) : narrow(n.narrow);
  pfa_file_name_update_dir_cache(name);
  return done ? 0 : 1;
}

}  // namespace

int ntlangwrap_DeleteFile(const char* name) {
  return change_name("ntlangwrap_DeleteFile", name, w32::DeleteFileW, w32::DeleteFileA);
}

int ntlangwrap_make_dir(const char* name, w32::SECURITY_ATTRIBUTES* security) {
  Name n;
  if (!prepare("ntlangwrap_make_dir", name, &n)) return 1;
  w32::BOOL done = w32::FALSE;
  if (n.action == NTLANGWRAP_WIDE) {
    done = w32::CreateDirectoryW(n.wide, security);
    if (done) w32::SetFileAttributesW(n.wide, w32::FILE_ATTRIBUTE_NORMAL);
  } else {
    done = w32::CreateDirectoryA(n.narrow, security);
    if (done) w32::SetFileAttributesA(n.narrow, w32::FILE_ATTRIBUTE_NORMAL);
  }
  pfa_file_name_update_dir_cache(name);
  return done ? 0 : 1;
}

int ntlangwrap_remove_dir(const char* name) {
  return change_name("ntlangwrap_remove_dir", name, w32::RemoveDirectoryW, w32::RemoveDirectoryA);
}

int ntlangwrap_move_file(const char* old_name, const char* new_name, w32::DWORD flags) {
  int chosen = checked_action("ntlangwrap_move_file");
  if (chosen < 0) return 1;
  Name from;
  Name to;
  w32::BOOL done = w32::FALSE;
  if (form(chosen, old_name, &from) && form(chosen, new_name, &to))
    done = chosen == NTLANGWRAP_WIDE ? w32::MoveFileExW(from.wide, to.wide, flags)
                                     : w32::MoveFileExA(from.narrow, to.narrow, flags);
  pfa_file_name_update_dir_cache(old_name);
  pfa_file_name_update_dir_cache(new_name);
  return done ? 0 : 1;
}

int ntlangwrap_stat(char* name, w32::_stat* record) {
  int chosen = checked_action("ntlangwrap_stat");
  if (chosen < 0) return -1;
  if (name != nullptr) remove_dir_delim(name, 1);
  Name n;
  if (!form(chosen, name, &n)) {
    errno = w32::w32_errno_from_error(w32::GetLastError());
    return -1;
  }
  return chosen == NTLANGWRAP_WIDE ? w32::_wstat(n.wide, record) : w32::stat(n.narrow, record);
}

w32::HANDLE ntlangwrap_FindFirstChangeNotification(const char* name, w32::BOOL watch_subtree,
                                                   w32::DWORD filter) {
  Name n;
  if (!prepare("ntlangwrap_FindFirstChangeNotification", name, &n))
    return w32::INVALID_HANDLE_VALUE;
  return n.action == NTLANGWRAP_WIDE
             ? w32::FindFirstChangeNotificationW(n.wide, watch_subtree, filter)
             : w32::FindFirstChangeNotificationA(n.narrow, watch_subtree, filter);
}

std::FILE* ntlangwrap_fopen(const char* name, const char* mode) {
  Name n;
  if (!prepare("ntlangwrap_fopen", name, &n)) return nullptr;
  if (mode == nullptr || std::strlen(mode) >= NTLANGWRAP_NAME_SIZE) {
    errno = EINVAL;
    return nullptr;
  }
  // The cache is told the session's name, never the converted one it cannot parse.
  std::FILE* stream = nullptr;
  if (n.action == NTLANGWRAP_WIDE) {
    VynWchar wide_mode[NTLANGWRAP_NAME_SIZE];
    stream = w32::_wfopen(n.wide, strtows(wide_mode, mode));
  } else {
    stream = w32::fopen(n.narrow, mode);
  }
  if (mode[0] != 'r' && mode[0] != 'R') pfa_file_name_update_dir_cache(name);
  return stream;
}

int ntlangwrap_open(const char* name, int flags, int permission) {
  Name n;
  if (!prepare("ntlangwrap_open", name, &n)) return -1;
  int fd = w32::_open(n.narrow, flags, permission);
  if ((flags & w32::_O_CREAT) != 0) pfa_file_name_update_dir_cache(name);
  return fd;
}

w32::BOOL ntlangwrap_SetCurrentDirectory(const char* name) {
  Name n;
  if (!prepare("ntlangwrap_SetCurrentDirectory", name, &n)) return w32::FALSE;
  return n.action == NTLANGWRAP_WIDE ? w32::SetCurrentDirectoryW(n.wide)
                                     : w32::SetCurrentDirectoryA(n.narrow);
}

w32::DWORD ntlangwrap_GetCurrentDirectory(char* buffer) {
  int chosen = checked_action("ntlangwrap_GetCurrentDirectory");
  if (chosen < 0) return 0;
  if (buffer == nullptr) {
    w32::SetLastError(w32::ERROR_INVALID_PARAMETER);
    return 0;
  }
  // 259 characters at most: a longer directory gives the size it needs, and is refused.
  constexpr w32::DWORD kRoom = NTLANGWRAP_NAME_SIZE - 1;
  VynWchar wide[NTLANGWRAP_NAME_SIZE];
  char narrow[NTLANGWRAP_NAME_SIZE];
  w32::DWORD length = chosen == NTLANGWRAP_WIDE ? w32::GetCurrentDirectoryW(kRoom, wide)
                                                : w32::GetCurrentDirectoryA(kRoom, narrow);
  if (length == 0) return 0;
  if (length >= kRoom) {
    w32::SetLastError(w32::ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  char out[NTLANGWRAP_NAME_SIZE];
  if (!narrow_back(chosen, wide, narrow, out)) {
    w32::SetLastError(w32::ERROR_FILENAME_EXCED_RANGE);
    return 0;
  }
  std::size_t made = std::strlen(out);
  std::memcpy(buffer, out, made + 1);
  return static_cast<w32::DWORD>(made);
}

namespace {

// Whether the last search call ended because there was nothing (more) to find.
bool listing_ended_cleanly() {
  w32::DWORD code = w32::GetLastError();
  return code == w32::ERROR_NO_MORE_FILES || code == w32::ERROR_FILE_NOT_FOUND ||
         code == w32::ERROR_PATH_NOT_FOUND;
}

}  // namespace

int ntlangwrap_read_dir(const char* pattern, void* names, void* attributes, void* sizes,
                        void* times, NtLangWrapDirEntry callback) {
  Name n;
  if (!prepare("ntlangwrap_read_dir", pattern, &n)) return 1;
  if (callback == nullptr) {
    w32::SetLastError(w32::ERROR_INVALID_PARAMETER);
    return 1;
  }
  w32::WIN32_FIND_DATAW wide;
  w32::WIN32_FIND_DATAA narrow;
  bool is_wide = n.action == NTLANGWRAP_WIDE;
  w32::HANDLE search =
      is_wide ? w32::FindFirstFileW(n.wide, &wide) : w32::FindFirstFileA(n.narrow, &narrow);
  if (search == w32::INVALID_HANDLE_VALUE) return listing_ended_cleanly() ? 0 : 1;
  do {
    char name[NTLANGWRAP_NAME_SIZE];
    if (!narrow_back(n.action, wide.cFileName, narrow.cFileName, name)) continue;
    if (is_wide)
      callback(names, attributes, sizes, times, name, wide.dwFileAttributes,
               (std::uint64_t{wide.nFileSizeHigh} << 32) | wide.nFileSizeLow, &wide.ftLastWriteTime);
    else
      callback(names, attributes, sizes, times, name, narrow.dwFileAttributes,
               (std::uint64_t{narrow.nFileSizeHigh} << 32) | narrow.nFileSizeLow,
               &narrow.ftLastWriteTime);
  } while (is_wide ? w32::FindNextFileW(search, &wide) : w32::FindNextFileA(search, &narrow));
  // A search that broke off is no complete listing: callers would take the missing
  // entries for files that do not exist.
  bool complete = listing_ended_cleanly();
  w32::FindClose(search);
  return complete ? 0 : 1;
}

void ntlangwrap_testing_set_action(int value) { action = value; }

void ntlangwrap_testing_reset() { action = -1; }

}  // namespace vek
