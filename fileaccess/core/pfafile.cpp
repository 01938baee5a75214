#include "fileaccess/core/pfafile.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/crt.h"
#include "platform/w32/tempfile.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr std::size_t NAME_SIZE = sizeof(VynFile::text);

// Enough numbers to step over every leftover of earlier runs of this process id.
constexpr unsigned TEMP_NAME_TRIES = 10000;

// Copy blocks: the source's size within these bounds.
constexpr long long COPY_BLOCK_MIN = 4096;
constexpr long long COPY_BLOCK_MAX = 0x400000;

unsigned g_temp_counter = 0;

// The directory that holds the handle's file, when a temporary file may go there: the
// handle has a type, is on this machine and the directory can be written.
bool own_writable_dir(VynFile* file, char* directory) {
  if (pfa_get_obj_type(file) == PFA_TYPE_NONE || pfa_is_local(file) != 1) return false;
  if (pfa_get_location(file, directory, nullptr) != PFA_E_NO_ERROR || !directory[0])
    return false;
  VynFile* dir = pfa_alloc_dir(directory);
  bool writable = dir && pfa_access_quiet(dir, 2);
  pfa_free_vyn_file(&dir);
  if (!writable) return false;
  std::size_t length = std::strlen(directory);
  char last = directory[length - 1];
  if (last != '\\' && last != '/') {
    if (length + 1 >= NAME_SIZE) return false;
    directory[length] = '\\';
    directory[length + 1] = '\0';
  }
  return true;
}

// The naming fields of a handle, put back when a rename did nothing.
struct SavedName {
  char text[NAME_SIZE];
  std::uint16_t component[6][2];
  std::int16_t object_type;
  std::int16_t version;
};

void save_name(const VynFile* file, SavedName* saved) {
  std::memcpy(saved->text, file->text, sizeof saved->text);
  std::memcpy(saved->component, file->component, sizeof saved->component);
  saved->object_type = file->object_type;
  saved->version = file->version;
}

void restore_name(VynFile* file, const SavedName* saved) {
  std::memcpy(file->text, saved->text, sizeof saved->text);
  std::memcpy(file->component, saved->component, sizeof saved->component);
  file->object_type = saved->object_type;
  file->version = saved->version;
}

bool exists_name(const char* name) {
  VynFile* probe = pfa_alloc_file(name);
  bool found = probe && pfa_access_quiet(probe, 0);
  pfa_free_vyn_file(&probe);
  return found;
}

// "name.version", or the bare name for version 0.
bool versioned_name(const char* bare, int version, char* out) {
  int written = version == 0 ? std::snprintf(out, NAME_SIZE, "%s", bare)
                             : std::snprintf(out, NAME_SIZE, "%s%c%d", bare, '.', version);
  return written > 0 && static_cast<std::size_t>(written) < NAME_SIZE;
}

int rename_names(VynFile* file, const char* old_name, const char* new_name) {
  return pfaloc_call_FPP(file, PfaRenameFile, const_cast<char*>(old_name),
                         const_cast<char*>(new_name));
}

// A directory handle renames the directory itself: its last element is replaced.
int rename_dir(VynFile* file, const char* new_name) {
  char old_name[NAME_SIZE];
  if (pfa_get_full_name(file, old_name) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  std::size_t length = std::strlen(old_name);
  while (length > 0 && (old_name[length - 1] == '\\' || old_name[length - 1] == '/'))
    old_name[--length] = '\0';
  const char* cut = nullptr;
  for (const char* p = old_name; *p; ++p)
    if (*p == '\\' || *p == '/') cut = p;
  if (!cut) return PFA_E_ROOT_DIR;
  char target[NAME_SIZE];
  int written = std::snprintf(target, sizeof target, "%.*s%s", static_cast<int>(cut + 1 - old_name),
                              old_name, new_name);
  if (written < 0 || static_cast<std::size_t>(written) + 1 >= sizeof target)
    return PFA_E_INVALID_NAME;
  int result = rename_names(file, old_name, target);
  if (result != PFA_E_NO_ERROR) return result;
  std::strcat(target, "\\");
  return pfa_parse_to_vyn_file(file, target);
}

// Renames every version to the same version of the new name; none of the new names
// may exist before the first rename, so that no version of another file is replaced.
int rename_every_version(VynFile* file, const char* new_name) {
  int kept_version = pfa_get_version(file);
  SavedName saved;
  save_name(file, &saved);
  int* versions = nullptr;
  int count = pfa_get_versions(file, &versions);
  if (count < 0) return PFA_E_NO_ACCESS;
  char old_bare[NAME_SIZE];
  char new_bare[NAME_SIZE];
  int result = pfa_put_version(file, 0);
  if (result == PFA_E_NO_ERROR) result = pfa_get_full_name(file, old_bare);
  if (result == PFA_E_NO_ERROR) result = pfa_put_name(file, new_name);
  if (result == PFA_E_NO_ERROR) result = pfa_get_full_name(file, new_bare);
  char old_name[NAME_SIZE];
  char target[NAME_SIZE];
  for (int i = 0; result == PFA_E_NO_ERROR && i < count; ++i) {
    if (!versioned_name(new_bare, versions[i], target)) result = PFA_E_INVALID_NAME;
    else if (exists_name(target)) result = PFA_E_EXIST;
  }
  if (result != PFA_E_NO_ERROR) {
    // Nothing was renamed: the handle keeps naming the old file.
    xar_free(&versions);
    restore_name(file, &saved);
    return result;
  }
  for (int i = 0; result == PFA_E_NO_ERROR && i < count; ++i) {
    if (!versioned_name(old_bare, versions[i], old_name) ||
        !versioned_name(new_bare, versions[i], target))
      result = PFA_E_INVALID_NAME;
    else
      result = rename_names(file, old_name, target);
  }
  xar_free(&versions);
  pfa_put_version(file, kept_version);
  return result;
}

bool copyable_handles(VynFile* from, VynFile* to) {
  return pfa_is_valid(from) && !pfa_is_dir(from) && pfa_is_valid(to);
}

void tell_dir_cache(VynFile* file) {
  if (file->location_type != PFA_LOC_STD_FILESYSTEM) pfa_dir_cache_update(file);
}

int rename_one(VynFile* file, const char* new_name, int mode);

}  // namespace

int pfa_make_temp_file(VynFile* file, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(file)) return PFA_E_NOT_ALLOWED;
  char directory[NAME_SIZE];
  if (!own_writable_dir(file, directory)) {
    w32::DWORD length = w32::GetTempPathA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory) return PFA_E_ERROR;
  }
  const char* suffix = type == PFA_TYPE_UNKNOWN ? ".tmp" : type == PFA_TYPE_DIRECTORY ? "/" : "";
  for (unsigned tries = 0; tries < TEMP_NAME_TRIES; ++tries) {
    char name[NAME_SIZE];
    int written = std::snprintf(name, sizeof name, "%svyn%ld_%u%s", directory,
                                static_cast<long>(getpid()), g_temp_counter++, suffix);
    if (written < 0 || static_cast<std::size_t>(written) >= sizeof name) return PFA_E_ERROR;
    int status = pfa_parse_to_vyn_file(file, name);
    if (status != PFA_E_NO_ERROR) return status;
    if (type != PFA_TYPE_DIRECTORY && (status = pfa_put_obj_type(file, type)) != PFA_E_NO_ERROR)
      return status;
    char full[NAME_SIZE];
    if (pfa_get_full_name(file, full) != PFA_E_NO_ERROR) return PFA_E_ERROR;
    if (!exists_name(full)) return PFA_E_NO_ERROR;
  }
  return PFA_E_ERROR;
}

int pfa_rename_file(VynFile* file, const char* new_name, int mode) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!new_name || !new_name[0] || has_invalid_filename_chars(new_name))
    return PFA_E_INVALID_NAME;
  if (mode < 0 || mode > 3) return PFA_E_INVALID_INPUT;
  if (mode == 0 && pfa_is_dir(file)) return rename_dir(file, new_name);
  if (mode == 3) return rename_every_version(file, new_name);
  SavedName saved;
  save_name(file, &saved);
  int result = rename_one(file, new_name, mode);
  if (result != PFA_E_NO_ERROR) restore_name(file, &saved);
  return result;
}

namespace {

int rename_one(VynFile* file, const char* new_name, int mode) {
  int result = PFA_E_NO_ERROR;
  if (mode == 1) {
    int highest = 0;
    if ((result = pfa_get_file_vers(file, PFA_RULE_HIGHEST, &highest)) != PFA_E_NO_ERROR)
      return result;
    if ((result = pfa_put_version(file, highest)) != PFA_E_NO_ERROR) return result;
  }
  char old_full[NAME_SIZE];
  if (pfa_get_full_name(file, old_full) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  if ((result = pfa_put_name(file, new_name)) != PFA_E_NO_ERROR) return result;
  if (mode == 2) {
    int next = 0;
    if ((result = pfa_get_file_vers(file, PFA_RULE_NEXT, &next)) != PFA_E_NO_ERROR) return result;
    if ((result = pfa_put_version(file, next)) != PFA_E_NO_ERROR) return result;
  }
  char new_full[NAME_SIZE];
  if (pfa_get_full_name(file, new_full) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
  return rename_names(file, old_full, new_full);
}

}  // namespace

int pfa_delete_file(VynFile* file, int mode) {
  if (!pfa_is_valid(file) || pfa_is_dir(file)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(file) || pfa_is_local(file) != 1) return PFA_E_NOT_ALLOWED;
  int result = PFA_E_NO_ERROR;
  int kept_version = pfa_get_version(file);
  if (mode == 0) {
    result = pfaloc_call_F(file, PfaDeleteFile);
  } else if (mode == 1) {
    int highest = 0;
    result = pfa_get_file_vers(file, PFA_RULE_HIGHEST, &highest);
    if (result == PFA_E_NO_ERROR) result = pfa_put_version(file, highest);
    if (result == PFA_E_NO_ERROR) result = pfaloc_call_F(file, PfaDeleteFile);
    pfa_put_version(file, kept_version);
  } else if (mode == 3) {
    int* versions = nullptr;
    int count = pfa_get_versions(file, &versions);
    if (count < 0) return PFA_E_NO_ACCESS;
    for (int i = 0; result == PFA_E_NO_ERROR && i < count; ++i) {
      result = pfa_put_version(file, versions[i]);
      if (result == PFA_E_NO_ERROR) result = pfaloc_call_F(file, PfaDeleteFile);
    }
    xar_free(&versions);
    pfa_put_version(file, kept_version);
  } else {
    return PFA_E_INVALID_INPUT;
  }
  if (result == PFA_E_NO_ERROR) tell_dir_cache(file);
  return result;
}

int pfa_copy_file(VynFile* from, int from_rule, VynFile* to, int to_rule) {
  if (!copyable_handles(from, to) || from_rule < 0 || from_rule > 1 || to_rule < 0 ||
      to_rule > 2)
    return PFA_E_NOT_VALID;
  if (pfa_file_is_open(from)) {
    dbg_err_syserr("pfa_copy_file", "Cannot copy from an opened file");
    return PFA_E_NOT_ALLOWED;
  }
  if (pfa_file_is_open(to)) {
    dbg_err_syserr("pfa_copy_file", "Cannot copy to an opened file");
    return PFA_E_NOT_ALLOWED;
  }
  int result = PFA_E_NO_ERROR;
  if (from_rule == PFA_RULE_HIGHEST) {
    int highest = 0;
    if ((result = pfa_get_file_vers(from, PFA_RULE_HIGHEST, &highest)) != PFA_E_NO_ERROR)
      return result;
    if ((result = pfa_put_version(from, highest)) != PFA_E_NO_ERROR) return result;
  }
  if (pfa_is_local(from) == 1) {
    if (!pfa_access_quiet(from, 0)) return PFA_E_NOT_FOUND;
    if (!pfa_access_quiet(from, 4)) return PFA_E_NO_ACCESS;
  }
  bool to_local = pfa_is_local(to) == 1;
  if (!to_local && to_rule != 0) return PFA_E_NOT_ALLOWED;
  if (pfa_is_dir(to)) {
    if (to_local && !pfa_access_quiet(to, 2)) return PFA_E_NO_ACCESS;
    if ((result = pfa_copy_name_ext_vers(from, to, to_rule)) != PFA_E_NO_ERROR) return result;
  } else if (to_rule != 0) {
    int version = 0;
    if ((result = pfa_get_file_vers(to, to_rule, &version)) != PFA_E_NO_ERROR) return result;
    if ((result = pfa_put_version(to, version)) != PFA_E_NO_ERROR) return result;
  }
  if (to_local && pfa_access_quiet(to, 0) && !pfa_access_quiet(to, 2)) return PFA_E_EXIST;

  if (from->location_type == PFA_LOC_STD_FILESYSTEM &&
      to->location_type == PFA_LOC_STD_FILESYSTEM) {
    VynWchar source[NAME_SIZE];
    VynWchar target[NAME_SIZE];
    if (pfa_get_full_wname(from, source) != PFA_E_NO_ERROR ||
        pfa_get_full_wname(to, target) != PFA_E_NO_ERROR)
      return PFA_E_NOT_VALID;
    return spg_copy_file(source, target) ? PFA_E_NO_ERROR : PFA_E_ERROR;
  }
  if ((result = pfa_open(from, PFA_RULE_AS_NAMED, w32::_O_RDONLY | w32::_O_BINARY, 0)) !=
      PFA_E_NO_ERROR)
    return result;
  result = pfa_open(to, PFA_RULE_AS_NAMED,
                    w32::_O_WRONLY | w32::_O_CREAT | w32::_O_TRUNC | w32::_O_BINARY, 0644);
  if (result != PFA_E_NO_ERROR) {
    pfa_close(from);
    return result;
  }
  result = copy_pfa_contents(from, to, nullptr);
  int closed = pfa_close(to);
  if (result == PFA_E_NO_ERROR) result = closed;
  // A destination that did not come out whole must not stand under its name.
  if (result != PFA_E_NO_ERROR) pfa_delete_file(to, 0);
  return result;
}

int copy_pfa_contents(VynFile* from, VynFile* to, PfaCopyFilter filter) {
  long long size = 0;
  if (pfa_get_file_size(from, &size) != PFA_E_NO_ERROR) size = 0;
  long long block = size < COPY_BLOCK_MIN ? COPY_BLOCK_MIN
                    : size > COPY_BLOCK_MAX ? COPY_BLOCK_MAX
                                            : size;
  char local[COPY_BLOCK_MIN];
  char* buffer = local;
  char* allocated = nullptr;
  while (block > COPY_BLOCK_MIN) {
    allocated = static_cast<char*>(std::malloc(static_cast<std::size_t>(block)));
    if (allocated) {
      buffer = allocated;
      break;
    }
    block /= 2;
  }
  if (!allocated) block = COPY_BLOCK_MIN;
  int result = PFA_E_NO_ERROR;
  for (;;) {
    int count = 0;
    int read = pfa_read_file(from, static_cast<int>(block), &count, buffer);
    if (read != PFA_E_NO_ERROR && read != PFA_E_QUIT) {
      result = read;
      break;
    }
    if (count > 0) {
      if (filter) filter(buffer, count, buffer, &count);
      result = pfa_write_file(to, count, buffer);
      if (result != PFA_E_NO_ERROR) break;
    }
    if (read == PFA_E_QUIT) break;
  }
  std::free(allocated);
  pfa_close(from);
  return result;
}

int pfa_append_file(VynFile* from, VynFile* to) {
  if (!pfa_is_valid(from) || !pfa_is_valid(to) || pfa_is_dir(from) || pfa_is_dir(to) ||
      !pfa_file_is_open(from) || !pfa_file_is_open(to))
    return PFA_E_NOT_VALID;
  return copy_pfa_contents(from, to, nullptr);
}

int pfa_move_file(VynFile* from, VynFile* to) {
  if (!copyable_handles(from, to)) return PFA_E_NOT_VALID;
  if (!pfa_access_quiet(from, 0)) return PFA_E_NOT_FOUND;
  char old_name[NAME_SIZE];
  char new_name[NAME_SIZE];
  if (pfa_get_full_name(from, old_name) != PFA_E_NO_ERROR ||
      pfa_get_full_name(to, new_name) != PFA_E_NO_ERROR)
    return PFA_E_NOT_VALID;
  int result = PFA_E_ERROR;
  if (from->location_type == to->location_type)
    result = rename_names(from, old_name, new_name);
  if (result == PFA_E_NO_ERROR) {
    if (pfa_file_is_open(from)) {
      to->flags |= PFA_FLAG_OPEN;
      to->location_slot = from->location_slot;
      from->flags &= ~PFA_FLAG_OPEN;
      from->location_slot = nullptr;
    }
  } else {
    // The source goes only once the destination is whole and closed.
    result = pfa_copy_file(from, PFA_RULE_AS_NAMED, to, PFA_RULE_AS_NAMED);
    if (result == PFA_E_NO_ERROR) result = pfa_delete_file(from, 0);
  }
  tell_dir_cache(from);
  tell_dir_cache(to);
  return result;
}

int pfa_truncate_file(VynFile* file, long size) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!pfa_file_is_open(file)) return PFA_E_ERROR;
  return pfaloc_call_FLP(file, PfaTruncateFile, &size);
}

int rem_cr_from_str(const char* text, int n, char* out, int* out_count) {
  int written = 0;
  for (int i = 0; i < n; ++i)
    if (text[i] != '\r') out[written++] = text[i];
  if (out_count) *out_count = written;
  return 1;
}

int pfa_copy_for_shell(VynFile* file, VynFile** out, int type) {
  if (out) *out = nullptr;
  if (!out || !pfa_is_valid(file) || pfaloc_is_shell_compatible(file)) return 0;
  VynFile* copy = nullptr;
  if (pfa_alloc_vyn_file(&copy) != PFA_E_NO_ERROR) return 0;
  if (pfa_make_temp_file(copy, type) != PFA_E_NO_ERROR ||
      pfa_copy_file(file, PFA_RULE_AS_NAMED, copy, PFA_RULE_AS_NAMED) != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(&copy);
    return 0;
  }
  *out = copy;
  return 1;
}

int pfa_copy_data_bet_files(VynFile* from, VynFile* to, long n) {
  if (!pfa_is_valid(from) || !pfa_is_valid(to)) return PFA_E_NOT_VALID;
  char buffer[COPY_BLOCK_MIN];
  while (n > 0) {
    int chunk = n < COPY_BLOCK_MIN ? static_cast<int>(n) : static_cast<int>(COPY_BLOCK_MIN);
    int count = 0;
    if (pfa_read_file(from, chunk, &count, buffer) != PFA_E_NO_ERROR || count <= 0 ||
        pfa_write_file(to, count, buffer) != PFA_E_NO_ERROR)
      return PFA_E_ERROR;
    n -= count;
  }
  return pfa_flush_file(to) == PFA_E_NO_ERROR ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

}  // namespace vek
