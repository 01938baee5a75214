// Creating, reading and deleting directories.
#include <string>
#include <vector>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/tempname.h"
#include "platform/w32/file.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"

namespace vek {

namespace {

constexpr int ALL_PERMISSIONS = 0777;

void trace(const char* routine, const char* text) {
  if (is_run_mode(9998)) dbg_print_info(routine, "%s", text);
}

bool exists(VynFile* file) { return pfa_access_quiet(file, 0) != 0; }

// The permissions a forced delete changed, put back on what still exists at the end.
struct PermissionLog {
  std::vector<std::pair<std::string, int>> entries;

  // Makes the file writable when it is not (with force); false when it stays unwritable.
  bool make_writable(VynFile* file, bool force) {
    if (pfa_access_quiet(file, 2)) return true;
    if (!force) return false;
    char name[sizeof(VynFile::text)];
    int mode = 0;
    if (pfa_get_full_name(file, name) != PFA_E_NO_ERROR || pfa_get_mode(file, &mode) != 0)
      return false;
    // Logged first: a change that fails halfway has still changed something to put back.
    entries.emplace_back(name, mode);
    if (pfa_chmod(file, ALL_PERMISSIONS) != 0) return false;
    return pfa_access_quiet(file, 2) != 0;
  }

  void restore() {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      bool directory = !it->first.empty() && (it->first.back() == '\\' || it->first.back() == '/');
      VynFile* file = directory ? pfa_alloc_dir(it->first.c_str()) : pfa_alloc_file(it->first.c_str());
      // A permission that cannot be put back at once is tried once more: leaving a
      // user's file writable is the one change a forced delete must not leave behind.
      if (file && exists(file) && pfa_chmod(file, it->second & 07777) != PFA_E_NO_ERROR &&
          pfa_chmod(file, it->second & 07777) != PFA_E_NO_ERROR)
        dbg_print_info("pfa_delete_dir", "could not give back the permission of %s",
                       it->first.c_str());
      pfa_free_vyn_file(&file);
    }
    entries.clear();
  }
};

// What an entry of a listing is, asked of the name itself: a symbolic link counts as a
// file, so that a walk removes the link and never what it leads to.
bool is_real_directory(const char* full_name) {
  w32::DWORD attributes = w32::GetFileAttributesA(full_name);
  return attributes != w32::INVALID_FILE_ATTRIBUTES &&
         (attributes & w32::FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (attributes & w32::FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

// The next entry: 0, 5 at the end of the listing. Any other answer is a listing that
// broke off, which a walk must not take for the end: it would act on part of the tree.
int read_entry(VynFile* dir, VynFile* entry) {
  int result = pfa_read_dir(dir, entry);
  return result == PFA_E_NO_ERROR || result == PFA_E_QUIT || result > 0 ? result : PFA_E_ERROR;
}

// One pass over the tree below dir: checks (delete false) that every entry can be
// written, or deletes every entry (delete true). The first failure ends the pass.
int walk(VynFile* dir, bool force, bool remove, PermissionLog* log) {
  if (int opened = pfa_open_dir(dir)) return opened;
  VynFile* entry = nullptr;
  pfa_alloc_vyn_file(&entry);
  int result = PFA_E_NO_ERROR;
  while (result == PFA_E_NO_ERROR && (result = read_entry(dir, entry)) == PFA_E_NO_ERROR) {
    pfa_to_standard_form(entry);
    char full[sizeof(VynFile::text)];
    if (pfa_get_full_name(entry, full) != PFA_E_NO_ERROR) {
      result = PFA_E_INVALID_NAME;
      break;
    }
    if (is_real_directory(full)) {
      VynFile* sub = pfa_alloc_dir(full);
      if (!sub) {
        result = PFA_E_INVALID_NAME;
        break;
      }
      if (!log->make_writable(sub, force)) result = PFA_E_NO_ACCESS;
      if (result == PFA_E_NO_ERROR) result = walk(sub, force, remove, log);
      if (result == PFA_E_NO_ERROR && remove) {
        result = pfaloc_call_F(sub, PfaRemoveDir);
        if (result == PFA_E_NO_ERROR && sub->location_type != PFA_LOC_STD_FILESYSTEM)
          pfa_dir_cache_update(sub);
      }
      pfa_free_vyn_file(&sub);
    } else {
      if (!log->make_writable(entry, force)) result = PFA_E_NO_ACCESS;
      if (result == PFA_E_NO_ERROR && remove) result = pfa_delete_file(entry, 0);
    }
  }
  pfa_free_vyn_file(&entry);
  pfa_close(dir);
  return result == PFA_E_QUIT ? PFA_E_NO_ERROR : result;
}

int delete_dir(VynFile* dir, bool recursive, bool force, bool itself) {
  trace("pfa_delete_dir", "Remove this directory.");
  if (!pfa_is_valid(dir) || !pfa_is_dir(dir)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(dir)) return PFA_E_NOT_ALLOWED;
  PermissionLog log;
  int result = PFA_E_NO_ERROR;
  if (!log.make_writable(dir, force)) result = PFA_E_NO_ACCESS;
  if (result == PFA_E_NO_ERROR && recursive) {
    result = walk(dir, force, false, &log);
    if (result == PFA_E_NO_ERROR) result = walk(dir, force, true, &log);
  }
  if (result == PFA_E_NO_ERROR && itself) {
    result = pfaloc_call_F(dir, PfaRemoveDir);
    if (result == PFA_E_NO_ERROR && dir->location_type != PFA_LOC_STD_FILESYSTEM)
      pfa_dir_cache_update(dir);
  }
  log.restore();
  return result;
}

std::string full_name_of(const VynFile* file) {
  char name[sizeof(VynFile::text)];
  return pfa_get_full_name(file, name) == PFA_E_NO_ERROR ? std::string(name) : std::string();
}

// Copies the tree below from into the existing directory to, each entry keeping its
// permission. A symbolic link cannot be carried to another location: the copy fails
// with 8 rather than copy what the link leads to.
int copy_tree(VynFile* from, const std::string& to) {
  if (int opened = pfa_open_dir(from)) return opened;
  VynFile* entry = nullptr;
  pfa_alloc_vyn_file(&entry);
  int result = PFA_E_NO_ERROR;
  while (result == PFA_E_NO_ERROR && (result = read_entry(from, entry)) == PFA_E_NO_ERROR) {
    pfa_to_standard_form(entry);
    char full[sizeof(VynFile::text)];
    char name[sizeof(VynFile::text)];
    if (pfa_get_full_name(entry, full) != PFA_E_NO_ERROR ||
        pfa_get_file_name(entry, 24, name) != PFA_E_NO_ERROR) {
      result = PFA_E_INVALID_NAME;
      break;
    }
    w32::DWORD attributes = w32::GetFileAttributesA(full);
    int mode = 0;
    std::string target = to + name;
    if (attributes != w32::INVALID_FILE_ATTRIBUTES &&
        (attributes & w32::FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
      result = PFA_E_NOT_ALLOWED;
    } else if (is_real_directory(full)) {
      VynFile* sub = pfa_alloc_dir(full);
      VynFile* made = pfa_alloc_dir(target.c_str());
      if (sub) pfa_get_mode(sub, &mode);
      result = sub && made ? pfa_make_dir(made) : PFA_E_INVALID_NAME;
      if (result == PFA_E_NO_ERROR) result = copy_tree(sub, target + "\\");
      if (result == PFA_E_NO_ERROR && mode) pfa_chmod(made, mode & 07777);
      pfa_free_vyn_file(&sub);
      pfa_free_vyn_file(&made);
    } else {
      VynFile* copy = pfa_alloc_file(target.c_str());
      pfa_get_mode(entry, &mode);
      result = copy ? pfa_copy_file(entry, 0, copy, 0) : PFA_E_INVALID_NAME;
      if (result == PFA_E_NO_ERROR && mode) pfa_chmod(copy, mode & 07777);
      pfa_free_vyn_file(&copy);
    }
  }
  pfa_free_vyn_file(&entry);
  pfa_close(from);
  return result == PFA_E_QUIT ? PFA_E_NO_ERROR : result;
}

// Moves by copying: the source goes only once the whole tree stands at the target; on
// any failure only the partial target is removed.
int move_by_copy(VynFile* source, VynFile* target) {
  PermissionLog log;
  if (walk(source, true, false, &log) != PFA_E_NO_ERROR) {
    log.restore();
    return PFA_E_NO_ACCESS;
  }
  log.restore();
  int old_mode = 0;
  pfa_get_mode(source, &old_mode);
  int result = pfa_make_dir(target);
  bool made = result == PFA_E_NO_ERROR;
  std::string target_name = full_name_of(target);
  if (result == PFA_E_NO_ERROR) result = copy_tree(source, target_name);
  VynFile* gone = nullptr;
  if (result == PFA_E_NO_ERROR) {
    if (old_mode) pfa_chmod(target, old_mode & 07777);
    // The source gives up its name first, by a rename beside it within its location:
    // when that fails the copy goes and nothing has changed; after it the tree stands
    // under the target's name alone, and a deletion that breaks off leaves only a part
    // under the fresh name, never one under the source's.
    result = pfa_dir_name_beside(source, &gone);
    if (result == PFA_E_NO_ERROR) result = pfaloc_call_FF(source, PfaMoveDir, gone);
    if (result == PFA_E_NO_ERROR) {
      if (source->location_type != PFA_LOC_STD_FILESYSTEM) pfa_dir_cache_update(source);
      result = pfa_delete_dir(gone, 1, 1);
      made = false;
    }
  }
  if (result != PFA_E_NO_ERROR && made) pfa_delete_dir(target, 1, 1);
  pfa_free_vyn_file(&gone);
  return result;
}

}  // namespace

int pfa_move_dir(VynFile* source, VynFile* destination) {
  trace("pfa_move_dir", "Move directory to a new name or place.");
  if (!pfa_is_valid(source) || !pfa_is_dir(source) || !pfa_is_valid(destination) ||
      !pfa_is_dir(destination))
    return PFA_E_NOT_VALID;
  if (!exists(source)) return PFA_E_NOT_FOUND;
  VynFile* target = nullptr;
  VynFile* parent = nullptr;
  if (exists(destination)) {
    char last[sizeof(VynFile::text)];
    if (pfa_get_name(source, last) != PFA_E_NO_ERROR) return PFA_E_NOT_VALID;
    target = pfa_alloc_dir((full_name_of(destination) + last).c_str());
    parent = pfa_make_copy(destination);
  } else {
    target = pfa_make_copy(destination);
    if (pfa_alloc_vyn_file(&parent) == PFA_E_NO_ERROR && pfa_make_parent(destination, parent) != 0)
      pfa_free_vyn_file(&parent);
  }
  int result = PFA_E_NO_ERROR;
  if (!target) result = PFA_E_NOT_VALID;
  else if (exists(target)) result = PFA_E_EXIST;
  else if ((parent && !pfa_access_quiet(parent, 2)) || pfa_is_local(source) != 1 ||
           pfa_is_local(target) != 1)
    result = PFA_E_NO_ACCESS;
  if (result == PFA_E_NO_ERROR) {
    result = source->location_type == target->location_type
                 ? pfaloc_call_FF(source, PfaMoveDir, target)
                 : PFA_E_NOT_ALLOWED;
    if (result == -1) result = PFA_E_NOT_ALLOWED;
    if (result == PFA_E_NOT_ALLOWED) {
      result = move_by_copy(source, target);
    } else if (result == PFA_E_NO_ERROR) {
      if (source->location_type != PFA_LOC_STD_FILESYSTEM) pfa_dir_cache_update(source);
      if (target->location_type != PFA_LOC_STD_FILESYSTEM) pfa_dir_cache_update(target);
    }
  }
  if (result == PFA_E_NO_ERROR) {
    bool was_open = pfa_file_is_open(source);
    void* slot = source->location_slot;
    pfa_copy_vyn_file(target, destination);
    if (was_open) {
      destination->flags |= PFA_FLAG_OPEN;
      destination->location_slot = slot;
      source->flags &= ~PFA_FLAG_OPEN;
      source->location_slot = nullptr;
    }
  }
  pfa_free_vyn_file(&target);
  pfa_free_vyn_file(&parent);
  return result;
}

int pfa_make_dir(VynFile* dir) {
  trace("pfa_make_dir", "Creating a new directory on disk.");
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  if (!pfa_is_dir(dir)) return PFA_E_INVALID_INPUT;
  if (int failed = pfa_make_absolute_path(dir)) return failed;
  if (exists(dir)) return PFA_E_EXIST;
  VynFile* parent = nullptr;
  if (pfa_alloc_vyn_file(&parent) != PFA_E_NO_ERROR) return PFA_E_OUT_OF_MEMORY;
  int result = PFA_E_NO_ERROR;
  if (pfa_make_parent(dir, parent) == PFA_E_NO_ERROR) {
    if (!exists(parent)) result = pfa_make_dir(parent);
    if (result == PFA_E_NO_ERROR && !pfa_access_quiet(parent, 2)) result = PFA_E_NO_ACCESS;
  }
  pfa_free_vyn_file(&parent);
  if (result != PFA_E_NO_ERROR) return result;
  result = pfaloc_call_F(dir, PfaMakeDir);
  if (result == PFA_E_NO_ERROR) pfa_dir_cache_update(dir);
  return result;
}

int pfa_make_temp_dir(VynFile* dir) {
  trace("pfa_make_temp_dir", "Creating a temp directory on disk.");
  if (int failed = pfa_make_temp_file(dir, PFA_TYPE_DIRECTORY)) return failed;
  return pfa_make_dir(dir);
}

int pfa_read_dir(VynFile* dir, VynFile* entry) {
  if (!pfa_is_valid(dir) || pfa_get_obj_type(dir) != PFA_TYPE_DIRECTORY || !pfa_is_valid(entry))
    return PFA_E_NOT_VALID;
  if (!pfa_file_is_open(dir)) return PFA_E_INACTIVE;
  int result = pfaloc_call_FLPPPI(dir, PfaDirReadNext, entry, nullptr, nullptr, 0);
  if (result == PFA_E_NO_ERROR) {
    char location[sizeof(VynFile::text)] = "";
    pfa_get_location(entry, location, nullptr);
    if (!location[0]) {
      entry->object_type = PFA_TYPE_NONE;
      pfa_copy_location(dir, entry);
    }
  }
  entry->flags |= PFA_FLAG_EXACT_CASE;
  return result;
}

int pfa_delete_dir(VynFile* dir, int recursive, int force) {
  return delete_dir(dir, recursive != 0, force != 0, true);
}

int pfa_dir_name_beside(const VynFile* dir, VynFile** out) {
  if (!out) return PFA_E_INVALID_INPUT;
  *out = nullptr;
  if (!pfa_is_valid(dir)) return PFA_E_NOT_VALID;
  VynFile* parent = nullptr;
  if (pfa_alloc_vyn_file(&parent) != PFA_E_NO_ERROR) return PFA_E_OUT_OF_MEMORY;
  char where[sizeof(VynFile::text)];
  char name[sizeof(VynFile::text)];
  int result = pfa_make_parent(dir, parent);
  if (result == PFA_E_NO_ERROR && pfa_get_full_name(parent, where) != PFA_E_NO_ERROR)
    result = PFA_E_INVALID_NAME;
  if (result == PFA_E_NO_ERROR &&
      (!vyn_temp_fname_in(where, "vyn", name) || !(*out = pfa_alloc_dir(name))))
    result = PFA_E_ERROR;
  pfa_free_vyn_file(&parent);
  return result;
}

int pfa_check_dir_deletable(VynFile* dir) {
  if (!pfa_is_valid(dir) || !pfa_is_dir(dir)) return PFA_E_NOT_VALID;
  if (pfa_file_is_open(dir)) return PFA_E_NOT_ALLOWED;
  PermissionLog log;
  if (!log.make_writable(dir, false)) return PFA_E_NO_ACCESS;
  return walk(dir, false, false, &log);
}

int pfa_delete_dir_contents(VynFile* dir, int force) {
  return delete_dir(dir, true, force != 0, false);
}

}  // namespace vek
