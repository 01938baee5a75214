#include "platform/w32/system.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/w32/error.h"
#include "platform/w32/system_testing.h"

namespace w32 {

namespace {

constexpr WORD kDefaultLangId = 0x0409;

WORD g_default_lang_id = kDefaultLangId;

}  // namespace

WORD GetSystemDefaultLangID() { return g_default_lang_id; }

BOOL GetComputerNameA(char* buffer, DWORD* size) {
  if (size == nullptr || (buffer == nullptr && *size != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char name[HOST_NAME_MAX + 1];
  if (gethostname(name, sizeof name) != 0) {
    SetLastError(w32_error_from_errno(errno));
    return FALSE;
  }
  // POSIX leaves the name unterminated when it was cut.
  name[HOST_NAME_MAX] = '\0';
  DWORD length = static_cast<DWORD>(std::strlen(name));
  if (*size <= length) {
    *size = length + 1;
    SetLastError(ERROR_BUFFER_OVERFLOW);
    return FALSE;
  }
  std::memcpy(buffer, name, length + 1);
  *size = length;
  return TRUE;
}

void system_testing_set_default_lang_id(WORD lang_id) { g_default_lang_id = lang_id; }

void system_testing_reset() { g_default_lang_id = kDefaultLangId; }

}  // namespace w32
