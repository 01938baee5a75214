#include "fileaccess/core/pfafile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "fileaccess/core/pfaname.h"
#include "platform/w32/path.h"
#include "platform/w32/tempfile.h"

namespace vek {

namespace {

// Enough numbers to step over every leftover of earlier runs of this process id.
constexpr unsigned TEMP_NAME_TRIES = 10000;

unsigned g_temp_counter = 0;

}  // namespace

int pfa_make_temp_file(VynFile* file, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(file)) return PFA_E_NOT_ALLOWED;
  if (type != PFA_TYPE_UNKNOWN) return PFA_E_INVALID_INPUT;
  char directory[sizeof(VynFile::text)];
  w32::DWORD length = w32::GetTempPathA(sizeof directory, directory);
  if (length == 0 || length >= sizeof directory) return PFA_E_ERROR;
  for (unsigned tries = 0; tries < TEMP_NAME_TRIES; ++tries) {
    char name[sizeof(VynFile::text)];
    int written = std::snprintf(name, sizeof name, "%svyn%ld_%u.tmp", directory,
                                static_cast<long>(getpid()), g_temp_counter++);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof name) return PFA_E_ERROR;
    char posix[w32::W32_PATH_CAPACITY];
    struct stat st;
    if (!w32::w32_resolve_path_a(name, posix, sizeof posix)) return PFA_E_ERROR;
    if (::stat(posix, &st) == 0) continue;
    int status = pfa_parse_to_vyn_file(file, name);
    return status != PFA_E_NO_ERROR ? status : pfa_put_obj_type(file, type);
  }
  return PFA_E_ERROR;
}

int pfa_delete_file(VynFile* file, int mode) {
  if (!pfa_is_valid(file) || pfa_is_dir(file)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(file)) return PFA_E_NOT_ALLOWED;
  if (mode != 0) return PFA_E_INVALID_INPUT;
  char name[sizeof(VynFile::text)];
  char posix[w32::W32_PATH_CAPACITY];
  if (pfa_get_full_name(file, name) != PFA_E_NO_ERROR ||
      !w32::w32_resolve_path_a(name, posix, sizeof posix) || ::unlink(posix) != 0)
    return PFA_E_ERROR;
  return PFA_E_NO_ERROR;
}

}  // namespace vek
