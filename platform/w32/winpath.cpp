#include "platform/w32/winpath.h"

#include <cstring>

#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/path.h"

namespace w32 {

namespace {

BOOL fail(DWORD code) {
  SetLastError(code);
  return FALSE;
}

// The length of the directory of the mapped drive that holds the absolute path posix
// and is the longest such, with its letter; -1 when no drive holds it. The drive table
// is the path model's own: each letter's root is what "X:\" resolves to.
long holding_drive(const char* posix, char* letter) {
  DWORD saved = GetLastError();
  long best = -1;
  for (char c = 'A'; c <= 'Z'; ++c) {
    char name[4] = {c, ':', '\\', '\0'};
    char root[W32_PATH_CAPACITY];
    if (!w32_resolve_path_a(name, root, sizeof root)) continue;
    std::size_t length = std::strlen(root);
    while (length > 0 && root[length - 1] == '/') --length;
    bool holds =
        std::strncmp(posix, root, length) == 0 && (posix[length] == '/' || posix[length] == '\0');
    if (holds && static_cast<long>(length) > best) {
      best = static_cast<long>(length);
      *letter = c;
    }
  }
  SetLastError(saved);
  return best;
}

}  // namespace

BOOL w32_windows_path_from_posix_w(const char* posix, WCHAR* name, std::size_t capacity) {
  if (posix == nullptr || name == nullptr || capacity == 0) return fail(ERROR_INVALID_PARAMETER);
  name[0] = 0;
  char text[W32_PATH_CAPACITY];
  std::size_t used = 0;
  const char* rest = posix;
  if (posix[0] == '/') {
    char letter = 'C';
    long root = holding_drive(posix, &letter);
    if (root < 0) return fail(ERROR_PATH_NOT_FOUND);
    text[used++] = letter;
    text[used++] = ':';
    rest = posix + root;
    if (*rest == '\0') rest = "/";
  }
  for (; *rest != '\0'; ++rest) {
    if (used + 1 >= sizeof text) return fail(ERROR_FILENAME_EXCED_RANGE);
    text[used++] = *rest == '/' ? '\\' : *rest;
  }
  text[used] = '\0';
  if (MultiByteToWideChar(CP_UTF8, 0, text, -1, name, static_cast<int>(capacity)) == 0) {
    name[0] = 0;
    return fail(GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ERROR_FILENAME_EXCED_RANGE
                                                            : GetLastError());
  }
  return TRUE;
}

BOOL w32_windows_path_from_posix(const char* posix, char* name, std::size_t capacity) {
  if (posix == nullptr || name == nullptr || capacity == 0) return fail(ERROR_INVALID_PARAMETER);
  name[0] = '\0';
  WCHAR wide[W32_PATH_CAPACITY];
  if (!w32_windows_path_from_posix_w(posix, wide, W32_PATH_CAPACITY)) return FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, wide, -1, name, static_cast<int>(capacity), nullptr,
                          nullptr) == 0) {
    name[0] = '\0';
    return fail(GetLastError() == ERROR_INSUFFICIENT_BUFFER ? ERROR_FILENAME_EXCED_RANGE
                                                            : GetLastError());
  }
  return TRUE;
}

}  // namespace w32
