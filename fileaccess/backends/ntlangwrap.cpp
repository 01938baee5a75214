#include "fileaccess/backends/ntlangwrap.h"

#include <cstring>

#include "fileaccess/backends/ntlangwrap_testing.h"
#include "fileaccess/core/pfaconv.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "platform/w32/system.h"
#include "runtime/diag/diag.h"
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

w32::DWORD ntlangwrap_GetFileAttributes(const char* name) {
  int chosen = ntlangwrap_get_action();
  if (chosen != NTLANGWRAP_WIDE && chosen != NTLANGWRAP_NARROW && chosen != NTLANGWRAP_CONVERTED) {
    dbg_err_crash("ntlangwrap_GetFileAttributes", "invalid action");
    return w32::INVALID_FILE_ATTRIBUTES;
  }
  if (!name_fits(name)) return w32::INVALID_FILE_ATTRIBUTES;
  if (chosen == NTLANGWRAP_WIDE) {
    // strtows writes at most one unit per byte of name and the terminator.
    VynWchar wide[NTLANGWRAP_NAME_SIZE];
    return w32::GetFileAttributesW(strtows(wide, name));
  }
  if (chosen == NTLANGWRAP_NARROW) return w32::GetFileAttributesA(name);
  char copy[NTLANGWRAP_NAME_SIZE];
  char converted[PFA_NAME_SIZE];
  std::memcpy(copy, name, std::strlen(name) + 1);
  if (pfa_filename_converter(copy, PFA_ENCODE_NONE, converted, PFA_ENCODE_SJIS) != 0) {
    w32::SetLastError(w32::ERROR_NO_UNICODE_TRANSLATION);
    return w32::INVALID_FILE_ATTRIBUTES;
  }
  return w32::GetFileAttributesA(converted);
}

void ntlangwrap_testing_set_action(int value) { action = value; }

void ntlangwrap_testing_reset() { action = -1; }

}  // namespace vek
