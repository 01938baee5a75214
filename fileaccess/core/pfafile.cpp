#include "fileaccess/core/pfafile.h"

#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>

#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers.h"
#include "fileaccess/names/dci.h"
#include "fileaccess/names/tempname.h"
#include "platform/w32/crt.h"
#include "platform/w32/tempfile.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr std::size_t NAME_SIZE = sizeof(VynFile::text);

// Names the temporary-name service proposes before a name that no file has is taken.
constexpr int TEMP_NAME_TRIES = 16;

// Copy blocks: the source's size within these bounds.
constexpr long long COPY_BLOCK_MIN = 4096;
constexpr long long COPY_BLOCK_MAX = 0x400000;

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

// Names file after a fresh name that the temporary-name service proposes in directory
// (which ends in a delimiter), with ".tmp" for names of no known type and a trailing
// delimiter for a directory, and gives it the type. A name outside directory (the
// service fell back on another place) or one that a file has is not taken: 1 when no
// name comes.
int name_temp_file(VynFile* file, const char* directory, int type) {
  const char* suffix = type == PFA_TYPE_UNKNOWN ? ".tmp" : type == PFA_TYPE_DIRECTORY ? "/" : "";
  for (int tries = 0; tries < TEMP_NAME_TRIES; ++tries) {
    char proposed[NAME_SIZE];
    if (!vyn_temp_fname_in(directory, "vyn", proposed)) return PFA_E_ERROR;
    char name[NAME_SIZE];
    int written = std::snprintf(name, sizeof name, "%s%s", proposed, suffix);
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

// A new handle of a fresh temporary name in the directory of file, for a copy that is to
// take file's place by a rename: 0 with *out set; else the failure, *out null.
int name_beside(const VynFile* file, VynFile** out) {
  *out = pfa_make_copy(file);
  if (!*out) return PFA_E_OUT_OF_MEMORY;
  char directory[NAME_SIZE] = "";
  int result = pfa_make_absolute_path(*out);
  if (result == PFA_E_NO_ERROR &&
      (pfa_get_location(*out, directory, nullptr) != PFA_E_NO_ERROR || !directory[0]))
    result = PFA_E_INVALID_NAME;
  if (result == PFA_E_NO_ERROR) result = name_temp_file(*out, directory, PFA_TYPE_UNKNOWN);
  if (result != PFA_E_NO_ERROR) pfa_free_vyn_file(out);
  return result;
}

// Renames the file of from to the name of to, replacing a file there, through from's
// location (both handles name one location type).
int rename_over(VynFile* from, const VynFile* to) {
  char old_name[NAME_SIZE];
  char new_name[NAME_SIZE];
  if (pfa_get_full_name(from, old_name) != PFA_E_NO_ERROR ||
      pfa_get_full_name(to, new_name) != PFA_E_NO_ERROR)
    return PFA_E_NOT_VALID;
  return rename_names(from, old_name, new_name);
}

bool both_local_file_system(const VynFile* a, const VynFile* b) {
  return a->location_type == PFA_LOC_STD_FILESYSTEM && b->location_type == PFA_LOC_STD_FILESYSTEM;
}

// The system's copy between two names of the local file system; with fail_if_exists it
// replaces nothing.
int system_copy(const VynFile* from, const VynFile* to, bool fail_if_exists) {
  char source[NAME_SIZE];
  char target[NAME_SIZE];
  if (pfa_get_full_name(from, source) != PFA_E_NO_ERROR ||
      pfa_get_full_name(to, target) != PFA_E_NO_ERROR)
    return PFA_E_NOT_VALID;
  return dci_CopyFile(source, target, fail_if_exists ? 1 : 0) ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

// A standard stream: no file stands there to be replaced or kept, and no copy can be
// made beside it, so a copy writes straight into it.
bool is_stream(const VynFile* file) { return file->location_type == PFA_LOC_STDIO; }

// Copies from's file (closed) into to, opened with the run-time's write flags, through
// the location's open, read, write and close: 0, else the failure, the close of to
// included (a close that fails may have lost bytes). *made (when given) tells whether to
// was opened.
int copy_through_open(VynFile* from, VynFile* to, int write_flags, bool* made = nullptr) {
  if (made) *made = false;
  int result = pfa_open(from, PFA_RULE_AS_NAMED, w32::_O_RDONLY | w32::_O_BINARY, 0);
  if (result != PFA_E_NO_ERROR) return result;
  result = pfa_open(to, PFA_RULE_AS_NAMED, write_flags | w32::_O_BINARY, 0644);
  if (result != PFA_E_NO_ERROR) {
    pfa_close(from);
    return result;
  }
  if (made) *made = true;
  result = copy_pfa_contents(from, to, nullptr);
  int closed = pfa_close(to);
  return result != PFA_E_NO_ERROR ? result : closed;
}

// Copies from's file (closed) into a fresh file beside to, named in *staged; the
// destination itself is not touched. 0; else the failure, with nothing of the copy left
// and *staged null. The result includes the close of the copy.
int stage_copy(VynFile* from, const VynFile* to, VynFile** staged) {
  int result = name_beside(to, staged);
  if (result != PFA_E_NO_ERROR) return result;
  VynFile* copy = *staged;
  bool made = false;
  if (both_local_file_system(from, copy)) {
    result = system_copy(from, copy, true);
    made = result == PFA_E_NO_ERROR;
  } else {
    // Exclusive: the fresh name is never a file that someone else made meanwhile.
    result = copy_through_open(from, copy, w32::_O_WRONLY | w32::_O_CREAT | w32::_O_EXCL, &made);
  }
  if (result != PFA_E_NO_ERROR) {
    if (made) pfa_delete_file(copy, 0);
    pfa_free_vyn_file(staged);
  }
  return result;
}

}  // namespace

int pfa_make_temp_file(VynFile* file, int type) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(file)) return PFA_E_NOT_ALLOWED;
  char directory[NAME_SIZE];
  if (!own_writable_dir(file, directory)) {
    w32::DWORD length = w32::GetTempPathA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory) return PFA_E_ERROR;
  }
  return name_temp_file(file, directory, type);
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

namespace {

// The checks of a copy, and the destination's name and version resolved: 0 when the
// copy may go ahead.
int prepare_copy(VynFile* from, int from_rule, VynFile* to, int to_rule) {
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
  if (to_local && pfa_access_quiet(to, 0)) {
    // An existing file that cannot be written, or a directory a file name names, is not
    // replaced.
    int mode = 0;
    if (!pfa_access_quiet(to, 2) ||
        (pfa_get_mode(to, &mode) == PFA_E_NO_ERROR && (mode & PFA_MODE_DIRECTORY)))
      return PFA_E_EXIST;
  }
  return PFA_E_NO_ERROR;
}

}  // namespace

int pfa_copy_file(VynFile* from, int from_rule, VynFile* to, int to_rule) {
  int result = prepare_copy(from, from_rule, to, to_rule);
  if (result != PFA_E_NO_ERROR) return result;
  // The system's copy replaces the destination only once the copy is whole.
  if (both_local_file_system(from, to)) return system_copy(from, to, false);
  if (is_stream(to))
    return copy_through_open(from, to, w32::_O_WRONLY | w32::_O_CREAT | w32::_O_TRUNC);
  // Between location types the copy is written beside the destination and takes its
  // place whole: a copy that fails leaves the destination as it was.
  VynFile* staged = nullptr;
  result = stage_copy(from, to, &staged);
  if (result != PFA_E_NO_ERROR) return result;
  result = rename_over(staged, to);
  if (result != PFA_E_NO_ERROR) pfa_delete_file(staged, 0);
  pfa_free_vyn_file(&staged);
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

namespace {

// Puts the destination as it was before a move by copying: the file kept aside goes back
// over what the move put there, or that goes when there was none.
int put_back(VynFile* to, VynFile* aside) {
  return aside ? rename_over(aside, to) : pfa_delete_file(to, 0);
}

// Renames file to a fresh name beside it: 0 with *aside naming it; else the failure,
// *aside null. A file that is not there is none to keep: *absent (when given) tells it,
// asked only after the rename failed, so that a check that fails cannot make a file that
// stands look absent.
int rename_aside(VynFile* file, VynFile** aside, bool* absent) {
  if (absent) *absent = false;
  int result = name_beside(file, aside);
  if (result == PFA_E_NO_ERROR && (result = rename_over(file, *aside)) != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(aside);
    if (absent) *absent = !pfa_access_quiet(file, 0);
  }
  return result;
}

// Moves by copying. The copy is made beside the destination; the source gives up its
// name by a rename beside it, and an existing destination is kept aside under a fresh
// name, until the source's file is deleted, so that every step that fails is undone by
// renames and the source and destination are then as they were: the result is the
// failure. A source that cannot be written (so not deleted) is refused before anything
// is copied, and one that cannot be renamed (held open) before the destination is
// touched. Once the source's file is gone, a kept destination that cannot be deleted
// undoes the move by copying the file back, so that no copy is left behind.
int move_by_copy(VynFile* from, VynFile* to) {
  int result = prepare_copy(from, PFA_RULE_AS_NAMED, to, PFA_RULE_AS_NAMED);
  if (result == PFA_E_NO_ERROR && !pfa_access_quiet(from, 2)) result = PFA_E_NO_ACCESS;
  int source_mode = -1;
  if (result == PFA_E_NO_ERROR && pfa_get_mode(from, &source_mode) != PFA_E_NO_ERROR)
    source_mode = -1;
  if (result == PFA_E_NO_ERROR && is_stream(to)) {
    // What went into a stream cannot be taken back: the source goes only after all of
    // it went, and stays when it cannot go.
    result = copy_through_open(from, to, w32::_O_WRONLY | w32::_O_CREAT | w32::_O_TRUNC);
    return result != PFA_E_NO_ERROR ? result : pfa_delete_file(from, 0);
  }
  VynFile* staged = nullptr;
  if (result == PFA_E_NO_ERROR) result = stage_copy(from, to, &staged);
  if (result != PFA_E_NO_ERROR) return result;
  VynFile* gone = nullptr;
  VynFile* aside = nullptr;
  result = rename_aside(from, &gone, nullptr);
  if (result == PFA_E_NO_ERROR) {
    bool absent = false;
    result = rename_aside(to, &aside, &absent);
    if (absent) result = PFA_E_NO_ERROR;
    if (result == PFA_E_NO_ERROR) {
      result = rename_over(staged, to);
      if (result != PFA_E_NO_ERROR && aside) rename_over(aside, to);
    }
    if (result != PFA_E_NO_ERROR) rename_over(gone, from);
  }
  if (result != PFA_E_NO_ERROR) {
    pfa_delete_file(staged, 0);
  } else if ((result = pfa_delete_file(gone, 0)) != PFA_E_NO_ERROR) {
    put_back(to, aside);
    rename_over(gone, from);
  } else if (aside && (result = pfa_delete_file(aside, 0)) != PFA_E_NO_ERROR) {
    // The source comes back as a copy, with the read-only state the file layer knows.
    if (pfa_copy_file(to, PFA_RULE_AS_NAMED, from, PFA_RULE_AS_NAMED) == PFA_E_NO_ERROR) {
      if (source_mode >= 0) pfa_chmod(from, source_mode);
      put_back(to, aside);
    }
  }
  pfa_free_vyn_file(&staged);
  pfa_free_vyn_file(&gone);
  pfa_free_vyn_file(&aside);
  return result;
}

}  // namespace

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
    result = move_by_copy(from, to);
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
