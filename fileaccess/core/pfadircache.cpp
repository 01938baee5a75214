// The directory cache and the opens and close that use it. A cached listing is held by a
// private open copy of the directory's handle; the next handle that opens the directory
// borrows the copy's location slot (flag 0x200 on the handle, 0x400 on the copy) after
// the location says the listing is still good. Every change to the file system drops
// the entry of the directory it touched.
#include "fileaccess/core/pfadircache.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/backends/ntdircache.h"
#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache_testing.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/ntver.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/filetime.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/notify.h"
#include "runtime/memory/xar.h"
#include "runtime/system/appinfo.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/strmake.h"
#include "runtime/text/strutil.h"
#include "runtime/text/vscanf.h"

namespace vek {

namespace {

constexpr int kNameSize = 260;
constexpr int kStateCached = 0;
constexpr int kStateForced19 = 19;
constexpr int kStateFree = 10;
constexpr int kStateDrop = 11;
constexpr int kStateBeforeAuto = 12;
// The dependency hint's bit that asks for the name as it stands, without versions.
constexpr int kDependencyNoVersions = 0x100;
// The notification event of a change of automatic caching.
constexpr int kEventDirCache = 3;

struct DirCacheEntry {
  char name[kNameSize];
  std::int64_t last_use;
  VynFile* copy;
  int state;
  void* appdata;
};

DirCacheEntry* dir_cache;  // growable array, step 20
int* index_by_name;        // entry numbers sorted by strcmp of their names
int num_inactive;
int max_dir_cache_size = 256;
int pfa_autocache;
char** forced_cache_dirs;  // growable array of getmem copies
int open_remote_files;

// The refresh log kept for tests.
constexpr int kKept = 16;
char refreshed_names[kKept][kNameSize];
int refresh_count;

std::int64_t now_seconds() {
  w32::FILETIME now;
  w32::GetSystemTimeAsFileTime(&now);
  std::uint64_t value = (std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  return static_cast<std::int64_t>(value / 10000000ull);
}

int cache_count() { return xar_count(&dir_cache); }

// Position of name in the index, or where it would go (*found false).
int index_position(const char* name, bool* found) {
  int lo = 0, hi = xar_count(&index_by_name);
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    int c = std::strcmp(dir_cache[index_by_name[mid]].name, name);
    if (c == 0) {
      *found = true;
      return mid;
    }
    if (c < 0) lo = mid + 1;
    else hi = mid;
  }
  *found = false;
  return lo;
}

int find_entry(const char* name) {
  bool found = false;
  int at = index_position(name, &found);
  return found ? index_by_name[at] : -1;
}

void index_insert(int entry) {
  bool found = false;
  int at = index_position(dir_cache[entry].name, &found);
  if (found) return;
  if (!index_by_name) index_by_name = static_cast<int*>(xar_alloc(0, sizeof(int), 20));
  xar_insert(&index_by_name, at, 1, &entry);
}

void index_remove(const char* name) {
  bool found = false;
  int at = index_position(name, &found);
  if (found) xar_remove(&index_by_name, at, 1);
}

bool debugging() { return pfa_dir_cache_debug() != 0; }

// The location string of a handle (method 4): 0, else 4.
int location_string(VynFile* file, char* name) {
  int length = 0;
  name[0] = '\0';
  int result = pfaloc_call_FPPS(file, PfaGetLocationString, name, &length, kNameSize);
  return result == PFA_E_NO_ERROR ? PFA_E_NO_ERROR : PFA_E_INVALID_NAME;
}

}  // namespace

int pfadc_clean_cache_entry(int index) {
  if (index < 0 || index >= cache_count()) return PFA_E_INVALID_INPUT;
  DirCacheEntry& entry = dir_cache[index];
  if (entry.copy && (entry.copy->flags & PFA_FLAG_OPEN)) {
    if (int failed = pfa_close(entry.copy)) return failed;
  }
  index_remove(entry.name);
  if (entry.copy) pfa_free_vyn_file(&entry.copy);
  appinfo_free_all_info(&entry.appdata);
  entry.last_use = 0;
  entry.name[0] = '\0';
  entry.state = kStateFree;
  ++num_inactive;
  return PFA_E_NO_ERROR;
}

int is_name_forced_cache(const char* name) {
  for (int i = 0, n = xar_count(&forced_cache_dirs); name && i < n; ++i) {
    if (u_strcmp_func(forced_cache_dirs[i], name) == 0) return 1;
  }
  return 0;
}

int pfa_dir_from_cache(const char* name, VynFile** copy_out, int* index_out, int returning,
                       VynFile* handle, int force_drop) {
  if (copy_out) *copy_out = nullptr;
  if (index_out) *index_out = -1;
  if (!dir_cache || !name) return 0;
  bool forced = is_name_forced_cache(name) != 0;
  if (!pfa_autocache && !forced && handle &&
      pfaloc_call_FP(handle, PfaDirCacheEligible, const_cast<char*>(name)) != 1)
    return 0;
  int index = find_entry(name);
  if (index < 0) return 0;
  DirCacheEntry* entry = &dir_cache[index];
  if (entry->state == kStateBeforeAuto) entry->state = kStateCached;
  bool drop = force_drop || (!returning && entry->state == kStateDrop);
  // Every listing lent out is checked first, whether caching is automatic or forced: a
  // stale one would hide files that others made, and the next version written would
  // land on one of them. A running memory-debugger loop wants no cached blocks.
  if (!drop && !returning &&
      (pfaloc_call_FLP(entry->copy, PfaDirCacheInvalid, const_cast<char*>(name)) != 0 ||
       get_in_debug_memory_loop()))
    drop = true;
  if (!drop) {
    if (copy_out) entry->last_use = now_seconds();
    if (!returning && (entry->copy->flags & PFA_FLAG_CACHE_COPY)) {
      dbg_err_crash("pfa_dir_from_cache", "two people reading the same dir simultaneously?");
      return 1;
    }
    if (copy_out) *copy_out = entry->copy;
    if (!returning) entry->copy->flags |= PFA_FLAG_CACHE_COPY;
    if (index_out) *index_out = index;
    return 1;
  }
  if (entry->copy->flags & PFA_FLAG_CACHE_COPY) {
    entry->state = kStateDrop;
    return 1;
  }
  if (pfadc_clean_cache_entry(index) == PFA_E_NO_ERROR) return 0;
  dbg_err_crash("pfa_dir_from_cache", "couldn't close cache dir %s", name);
  return 1;
}

int pfa_add_dir_to_cache(const char* name, VynFile* handle, int open_result) {
  bool forced = is_name_forced_cache(name) != 0;
  if (open_result == PFA_E_NOT_CACHABLE &&
      !((pfa_autocache || forced) && pfaloc_call_F(handle, PfaIsVirtualFolder) != 0))
    return 0;
  if (!pfa_is_valid(handle) || !(handle->flags & PFA_FLAG_OPEN)) return 0;
  VynFile* copy = nullptr;
  if (pfa_alloc_vyn_file(&copy) != PFA_E_NO_ERROR) return 0;
  if (is_run_mode(9998)) {
    dbg_print_info("pfa_add_dir_to_cache", "Created new pfa at: %lx\n",
                   static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(copy)));
    pfa_mem_debug(copy, 1);
  }
  // The copy owns the listing; it is never counted among the remote files.
  pfa_copy_vyn_file(handle, copy);
  copy->location_slot = handle->location_slot;
  copy->flags |= PFA_FLAG_OPEN | PFA_FLAG_CACHE_COPY;
  copy->flags &= ~(PFA_FLAG_DIR_BORROWED | PFA_FLAG_REMOTE_COUNTED);

  int slot = -1;
  int count = cache_count();
  if (num_inactive > 0) {
    for (int i = 0; i < count; ++i) {
      if (dir_cache[i].state == kStateFree) {
        slot = i;
        break;
      }
    }
  } else if (count >= max_dir_cache_size) {
    std::int64_t now = now_seconds();
    for (int i = 0; i < count; ++i) {
      const DirCacheEntry& e = dir_cache[i];
      if (e.last_use < now && !(e.copy && (e.copy->flags & PFA_FLAG_CACHE_COPY)) &&
          (slot < 0 || e.last_use < dir_cache[slot].last_use))
        slot = i;
    }
    if (slot >= 0 && pfadc_clean_cache_entry(slot) != PFA_E_NO_ERROR) {
      // The handle keeps its own listing, as it was.
      copy->flags &= ~PFA_FLAG_OPEN;
      copy->location_slot = nullptr;
      pfa_free_vyn_file(&copy);
      return 0;
    }
  }
  if (slot < 0) {
    DirCacheEntry fresh = {};
    fresh.state = kStateFree;
    if (!dir_cache) dir_cache = static_cast<DirCacheEntry*>(xar_alloc(0, sizeof fresh, 20));
    xar_append(&dir_cache, 1, &fresh);
    slot = cache_count() - 1;
  } else {
    --num_inactive;
  }
  DirCacheEntry& entry = dir_cache[slot];
  std::strncpy(entry.name, name, kNameSize - 1);
  entry.name[kNameSize - 1] = '\0';
  entry.last_use = 0;
  entry.copy = copy;
  entry.state = open_result;
  entry.appdata = nullptr;
  handle->flags |= PFA_FLAG_DIR_BORROWED;
  index_insert(slot);
  if (debugging()) {
    for (int i = 0, n = xar_count(&index_by_name); i < n; ++i)
      ivek_printf("%s", dir_cache[index_by_name[i]].name);
  }
  return 1;
}

void pfa_update_remote_count(VynFile* file, int opening) {
  if (opening) {
    bool remote = false;
    if (file->location_type == PFA_LOC_STD_FILESYSTEM) {
      char device[32] = "";
      pfa_get_device(file, device);
      // Without a drive of its own the handle is on the working directory's drive.
      char current[kNameSize];
      if (!device[0] && ntlangwrap_GetCurrentDirectory(current) && current[1] == ':') {
        device[0] = current[0];
        device[1] = '\0';
      }
      remote = device[0] && device[0] != '/' && nt_is_remote_drive(device[0]);
    } else {
      remote = file->location_type != PFA_LOC_STDIO;
    }
    if (!remote) return;
    ++open_remote_files;
    file->flags |= PFA_FLAG_REMOTE_COUNTED;
    if (is_run_mode(9998))
      dbg_print_info("pfa_update_remote_count", "increment to %d for %s", open_remote_files,
                     file->text);
  } else if (file->flags & PFA_FLAG_REMOTE_COUNTED) {
    file->flags &= ~PFA_FLAG_REMOTE_COUNTED;
    --open_remote_files;
    if (is_run_mode(9998))
      dbg_print_info("pfa_update_remote_count", "decrement to %d for %s", open_remote_files,
                     file->text);
  }
}

int pfa_num_open_remote_files() { return open_remote_files; }

int pfa_open_dir_subset(VynFile* dir, const char* pattern, void* subset, int instances) {
  if (!pfa_is_valid(dir) || dir->object_type != PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (pfa_is_local(dir) != 1 || (dir->flags & PFA_FLAG_OPEN)) return PFA_E_CANT_OPEN;
  if (dir->location_type == PFA_LOC_STD_FILESYSTEM && !pfa_path_is_absolute(dir)) {
    char device[32] = "";
    pfa_get_device(dir, device);
    if (std::strcmp(device, "/") != 0) pfa_make_absolute_path(dir);
  }
  if (pfaloc_call_F(dir, PfaDirCanOpenSubset) != 0) pattern = nullptr;
  char name[kNameSize];
  if (location_string(dir, name) != PFA_E_NO_ERROR) return PFA_E_INVALID_NAME;
  VynFile* copy = nullptr;
  int known = pfa_dir_from_cache(name, &copy, nullptr, 0, dir, 0);
  if (copy) {
    dir->location_slot = copy->location_slot;
    dir->flags |= PFA_FLAG_DIR_BORROWED;
    if (debugging()) ivek_printf("dir_cache> opening %s from cache\n", name);
  } else if (debugging()) {
    ivek_printf("dir_cache> opening %s the hard way %s%s\n", name, pattern ? "looking for " : "",
                pattern ? pattern : "");
  }
  int result = pfaloc_call_FLPPPI(dir, PfaDirOpen, nullptr, const_cast<char*>(pattern), subset,
                                  instances);
  if (result != PFA_E_NO_ERROR && result != PFA_E_NOT_CACHABLE) {
    if (copy) {
      copy->flags &= ~PFA_FLAG_CACHE_COPY;
      dir->location_slot = nullptr;
      dir->flags &= ~PFA_FLAG_DIR_BORROWED;
    }
    return result == -1 ? PFA_E_CANT_OPEN : result;
  }
  if (!dir->location_slot) return PFA_E_ERROR;
  dir->flags |= PFA_FLAG_OPEN;
  pfa_update_remote_count(dir, 1);
  // Only a directory the cache has no entry for is offered: an entry that is lent or to
  // be dropped keeps its place, and this listing stays the handle's own.
  if (!copy && !known && !pattern) pfa_add_dir_to_cache(name, dir, result);
  return PFA_E_NO_ERROR;
}

int pfa_open_dir(VynFile* dir) { return pfa_open_dir_subset(dir, nullptr, nullptr, 0); }

int pfa_close(VynFile* file) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!(file->flags & PFA_FLAG_OPEN)) return PFA_E_INACTIVE;
  int result = PFA_E_NO_ERROR;
  if (file->object_type == PFA_TYPE_DIRECTORY && (file->flags & PFA_FLAG_DIR_BORROWED)) {
    file->location_slot = nullptr;
    file->flags &= ~PFA_FLAG_DIR_BORROWED;
    char name[kNameSize];
    VynFile* donor = nullptr;
    if (location_string(file, name) == PFA_E_NO_ERROR)
      pfa_dir_from_cache(name, &donor, nullptr, 1, nullptr, 0);
    if (donor)
      donor->flags &= ~PFA_FLAG_CACHE_COPY;
    else
      dbg_err_crash("pfa_close", "can't find donor of borrowed stream for %s", name);
  } else if (file->object_type == PFA_TYPE_DIRECTORY) {
    if (file->flags & PFA_FLAG_CACHE_COPY) {
      dbg_err_crash("pfa_close", "can't close %s with borrowed stream", file->text);
      return PFA_E_NO_ACCESS;
    }
    result = pfaloc_call_FL(file, PfaDirClose);
  } else {
    result = pfaloc_call_FL(file, PfaCloseFile);
  }
  if (result == -1) result = PFA_E_NO_ERROR;
  file->flags &= ~PFA_FLAG_OPEN;
  pfa_update_remote_count(file, 0);
  file->location_slot = nullptr;
  return result;
}

namespace {

// The common checks of the two opens; 0 to go on.
int check_open(VynFile* file) {
  if (!pfa_is_valid(file) || file->object_type == PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (file->location_type == 0) file->location_type = PFA_LOC_STD_FILESYSTEM;
  if (pfa_is_local(file) != 1 || (file->flags & PFA_FLAG_OPEN)) return PFA_E_CANT_OPEN;
  return PFA_E_NO_ERROR;
}

void opened(VynFile* file, bool creates) {
  file->flags |= PFA_FLAG_OPEN;
  pfa_update_remote_count(file, 1);
  if (creates && file->location_type != PFA_LOC_STD_FILESYSTEM) pfa_dir_cache_update(file);
}

// The next version to write is made, never opened: when it exists after all (someone
// wrote it since the directory was read), the one after it is tried, so that no file
// that the caller did not see is emptied. open makes one try at a version.
template <typename Open>
int open_versions(VynFile* file, int rule, int version, Open open) {
  for (;;) {
    if (rule != PFA_RULE_AS_NAMED) file->version = static_cast<std::int16_t>(version);
    int result = open(version);
    if (result == -1) return PFA_E_CANT_OPEN;
    if (result != PFA_E_EXIST || rule != PFA_RULE_NEXT || version >= PFA_VERSION_MAX) return result;
    ++version;
    if (!vyn_is_win95_running()) ntver_insure_version_registered(version);
  }
}

}  // namespace

int pfa_open(VynFile* file, int rule, int flags, int permission) {
  if (int failed = check_open(file)) return failed;
  if (rule == PFA_RULE_NEXT && !(flags & PFA_OPEN_CREATE)) return PFA_E_CANT_OPEN;
  int version = 1;
  if (int failed = pfa_get_file_vers(file, rule, &version)) return failed;
  if (rule == PFA_RULE_NEXT) flags |= PFA_OPEN_EXCLUSIVE;
  char name[kNameSize];
  int result = open_versions(file, rule, version, [&](int tried) {
    return pfaloc_call_FLPIII(file, PfaOpen, name, flags, permission, tried);
  });
  if (result != PFA_E_NO_ERROR) return result;
  opened(file, (flags & PFA_OPEN_CREATE) != 0);
  return PFA_E_NO_ERROR;
}

int pfa_fopen(VynFile* file, int rule, const char* mode) {
  if (int failed = check_open(file)) return failed;
  if (!mode) return PFA_E_INVALID_INPUT;
  const VynWchar* hint_name = nullptr;
  int hint_dependency = 0, hint_flags = 0;
  pfa_get_content_hints(file, &hint_name, &hint_dependency, &hint_flags);
  if (rule == PFA_RULE_NEXT && !std::strchr(mode, 'w')) return PFA_E_CANT_OPEN;
  int version = 1;
  bool versioned = pfaloc_has_version_nums(file) && !(hint_dependency & kDependencyNoVersions);
  if (versioned) {
    if (int failed = pfa_get_file_vers(file, rule, &version)) return failed;
  }
  // The next version is made exclusively ("x"): see open_versions.
  char exclusive[16];
  if (rule == PFA_RULE_NEXT && versioned && mode[0] == 'w' && !std::strchr(mode, 'x') &&
      std::strlen(mode) + 2 <= sizeof exclusive) {
    std::snprintf(exclusive, sizeof exclusive, "%sx", mode);
    mode = exclusive;
  }
  char name[kNameSize];
  int result = open_versions(file, versioned ? rule : PFA_RULE_AS_NAMED, version, [&](int tried) {
    return pfaloc_call_FLPPIPII(file, PfaFopen, name, const_cast<char*>(mode), tried,
                                const_cast<VynWchar*>(hint_name), hint_dependency, hint_flags);
  });
  if (result != PFA_E_NO_ERROR) return result;
  opened(file, mode[0] != 'r' && mode[0] != 'R');
  return PFA_E_NO_ERROR;
}

int pfa_unbuffer(VynFile* file) {
  if (!pfa_is_valid(file) || file->object_type == PFA_TYPE_DIRECTORY) return PFA_E_NOT_VALID;
  if (!(file->flags & PFA_FLAG_OPEN)) return PFA_E_INACTIVE;
  pfaloc_call_FLP(file, PfaSetbuf, nullptr);
  return PFA_E_NO_ERROR;
}

int binary_flags(int flags) { return flags | 0x8000; }

const char* binary_mode(const char* mode) {
  if (!mode || std::strchr(mode, 'b')) return mode;
  static const char* const plain[] = {"r", "w", "a", "r+", "w+", "a+"};
  static const char* const binary[] = {"rb", "wb", "ab", "rb+", "wb+", "ab+"};
  for (int i = 0; i < 6; ++i) {
    if (std::strcmp(mode, plain[i]) == 0) return binary[i];
  }
  return mode;
}

int pfa_full_dir_name_update_cache(const char* name) {
  // Entries are kept under the exact spelling they were opened by: beneath the stand-in,
  // names that differ in case may name two directories, and the listing of one must
  // never be lent for the other. A change made through any spelling drops every one.
  for (int i = 0; name && i < cache_count(); ++i) {
    if (dir_cache[i].state == kStateFree || u_strcmp_func(dir_cache[i].name, name) != 0) continue;
    char spelled[kNameSize];
    std::memcpy(spelled, dir_cache[i].name, sizeof spelled);
    pfa_dir_from_cache(spelled, nullptr, nullptr, 0, nullptr, 1);
  }
  if (debugging()) ivek_printf("dir_cache> nuked %s\n", name);
  return 0;
}

int pfa_dir_name_update_cache(const char* name) {
  if (!name) return 0;
  if (!name[0] || std::strcmp(name, ".\\") == 0 || name[0] == '\\' ||
      (name[0] && name[1] == ':' && name[2] == '\\')) {
    if (name[0] && std::strcmp(name, ".\\") != 0) return pfa_full_dir_name_update_cache(name);
  }
  VynFile* dir = nullptr;
  if (pfa_alloc_vyn_file(&dir) != PFA_E_NO_ERROR) return 0;
  char full[kNameSize];
  if (pfa_parse_to_vyn_file(dir, name[0] ? name : ".\\") == PFA_E_NO_ERROR &&
      pfa_make_absolute_path(dir) == PFA_E_NO_ERROR && location_string(dir, full) == 0)
    pfa_full_dir_name_update_cache(full);
  pfa_free_vyn_file(&dir);
  return 0;
}

int pfa_dir_cache_update(VynFile* file) {
  if (!pfa_is_valid(file) || !dir_cache) return 0;
  VynFile* dir = nullptr;
  if (pfa_alloc_vyn_file(&dir) != PFA_E_NO_ERROR) return 0;
  if (file->object_type == PFA_TYPE_DIRECTORY) {
    pfa_make_parent(file, dir);
  } else {
    pfa_copy_vyn_file(file, dir);
  }
  char name[kNameSize];
  if (pfa_make_absolute_path(dir) == PFA_E_NO_ERROR && location_string(dir, name) == 0)
    pfa_full_dir_name_update_cache(name);
  pfa_free_vyn_file(&dir);
  return 0;
}

int pfa_file_name_update_dir_cache(const char* name) {
  char* logged = refreshed_names[refresh_count % kKept];
  std::strncpy(logged, name ? name : "", kNameSize - 1);
  logged[kNameSize - 1] = '\0';
  ++refresh_count;
  if (!name || !dir_cache) return 0;
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return 0;
  if (pfa_parse_to_vyn_file(file, name) == PFA_E_NO_ERROR) pfa_dir_cache_update(file);
  pfa_free_vyn_file(&file);
  return 0;
}

int pfa_set_dir_cache(int on) {
  int previous = pfa_autocache;
  if (on && !previous) {
    for (int i = 0; i < cache_count(); ++i) {
      if (dir_cache[i].state == kStateCached && !is_name_forced_cache(dir_cache[i].name))
        dir_cache[i].state = kStateBeforeAuto;
    }
  } else if (!on && previous) {
    for (int i = 0; i < cache_count(); ++i) {
      if (dir_cache[i].state == kStateForced19 && !is_name_forced_cache(dir_cache[i].name) &&
          pfadc_clean_cache_entry(i) != PFA_E_NO_ERROR)
        dir_cache[i].state = kStateDrop;
    }
  }
  pfa_autocache = on;
  // The layer's listeners of event 3 hear the new and the old setting.
  int app = pfa_notification_app_id();
  Vyn_notify_pos position;
  vyn_notifications_init_loop(app, kEventDirCache, &position);
  VynNotifyFunc function = nullptr;
  VynWord data = 0;
  while (vyn_notifications_get_next(app, kEventDirCache, &position, &function, nullptr, &data)) {
    auto listener = reinterpret_cast<PfaDirCacheListener>(reinterpret_cast<void (*)()>(function));
    if (listener) listener(data, on, previous);
  }
  return previous;
}

int pfa_force_cache_dir(const char* name) {
  VynFile* dir = nullptr;
  if (!name || pfa_alloc_vyn_file(&dir) != PFA_E_NO_ERROR) return 1;
  char full[kNameSize];
  if (pfa_parse_to_vyn_file(dir, name) == PFA_E_NO_ERROR &&
      pfa_make_absolute_path(dir) == PFA_E_NO_ERROR && location_string(dir, full) == 0 &&
      !is_name_forced_cache(full)) {
    char* copy = make_scopy(full);
    if (!forced_cache_dirs) forced_cache_dirs = static_cast<char**>(xar_alloc(0, sizeof(char*), 3));
    xar_append(&forced_cache_dirs, 1, &copy);
  }
  pfa_free_vyn_file(&dir);
  return 1;
}

int get_dir_cache_max() { return max_dir_cache_size; }

int set_dir_cache_max(VynWord, const VynWchar* text) {
  int previous = max_dir_cache_size;
  int max = 0;
  if (text && vyn_wsscanf(text, "%d", &max) == 1 && max > 0) {
    max_dir_cache_size = max;
    dbg_print_info("set_dir_cache_max", "set max number of dirs to %d", max);
  } else {
    print_wide_info("set_dir_cache_max", "couldn't parse %ws, left max at %d", text ? text : u"",
                    max_dir_cache_size);
  }
  return previous;
}

VynWord* pfadc_find_appdata(VynFile* file, int id, int create) {
  char name[kNameSize];
  if (!pfa_is_valid(file) || location_string(file, name) != 0) return nullptr;
  int index = find_entry(name);
  if (index < 0) return nullptr;
  return appinfo_find_info(&dir_cache[index].appdata, id, create);
}

int pfa_dir_cache_entries() {
  return cache_count() - num_inactive;
}

int pfa_dir_cache_testing_refresh_count() { return refresh_count; }

const char* pfa_dir_cache_testing_refreshed(int n) {
  if (n < 0 || n >= refresh_count || n < refresh_count - kKept) return nullptr;
  return refreshed_names[n % kKept];
}

void pfa_dir_cache_testing_reset() {
  // The arrays and records belong to the memory chain and pools, which the memory reset
  // releases.
  refresh_count = 0;
  dir_cache = nullptr;
  index_by_name = nullptr;
  num_inactive = 0;
  max_dir_cache_size = 256;
  pfa_autocache = 0;
  forced_cache_dirs = nullptr;
  open_remote_files = 0;
}

}  // namespace vek
