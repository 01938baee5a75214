#include "fileaccess/names/fnversion.h"

#include <strings.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/fnversion_testing.h"
#include "fileaccess/names/oshelp.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/pfascan.h"
#include "fileaccess/names/pfavers.h"
#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/arrays.h"
#include "runtime/memory/xar.h"
#include "runtime/system/ntwin.h"
#include "runtime/system/regstring.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

// Room for the narrow form of a name of VYN_NAME_MAX characters.
constexpr std::size_t NARROW_NAME_ROOM = wstostr_room(VYN_NAME_MAX);
// Longest narrow name the narrow splitters look into.
constexpr std::size_t NARROW_SCAN_MAX = NARROW_NAME_ROOM;

// name narrow into out (NARROW_NAME_ROOM bytes): false when it does not fit whole.
bool to_narrow(const VynWchar* name, char* out) {
  return wstostr_bounded(out, NARROW_NAME_ROOM, name) == 0;
}

std::FILE* open_wide(const VynWchar* name, const char* mode) {
  char narrow[NARROW_NAME_ROOM];
  if (!to_narrow(name, narrow)) return nullptr;
  return dci_fopen(narrow, mode);
}

bool exists_wide(const VynWchar* name) {
  char narrow[NARROW_NAME_ROOM];
  return to_narrow(name, narrow) && w32::_access(narrow, 0) == 0;
}

// The split of a wide name: file part offset and the grammar's split of the file part.
struct WideSplit {
  std::size_t file;
  std::size_t length;
  FilePartSplit split;
};
WideSplit split_wide(const VynWchar* name) {
  WideSplit s;
  s.file = file_part_offset(name);
  s.length = static_cast<std::size_t>(wslen(name));
  s.split = split_file_part(name + s.file, s.length - s.file, [](std::size_t) { return true; });
  return s;
}

// The same for a narrow name, whole characters only: false for a name too long to look
// into (the callers then copy it unchanged).
struct NarrowSplit {
  std::size_t file;
  std::size_t length;
  FilePartSplit split;
  bool single[NARROW_SCAN_MAX];
};
bool split_narrow(const char* name, NarrowSplit* s) {
  s->length = std::strlen(name);
  if (s->length >= NARROW_SCAN_MAX) return false;
  std::memset(s->single, 0, s->length);
  s->file = 0;
  walk_name_chars(name, [&](const char* p, int n) {
    std::size_t at = static_cast<std::size_t>(p - name);
    s->single[at] = n == 1;
    if (n == 1 && (*p == '\\' || *p == '/')) s->file = at + 1;
  });
  const bool* single = s->single + s->file;
  s->split = split_file_part(name + s->file, s->length - s->file,
                             [single](std::size_t i) { return single[i]; });
  return true;
}

// The existing versions of the unversioned name (0 standing for the unversioned file),
// as the file layer lists them: their count, the versions in a new growable int array
// at *versions (free it); -1 when the name makes no handle or its directory cannot be
// listed whole.
int list_versions(const VynWchar* name, int** versions) {
  *versions = nullptr;
  VynFile* file = name && name[0] ? pfa_alloc_wfile(name) : nullptr;
  if (!file) return -1;
  int count = pfa_get_versions(file, versions);
  pfa_free_vyn_file(&file);
  if (count < 0) xar_free(versions);
  return count;
}

// name without its version part and with ".n" appended into out: false when that
// reaches the name limit.
bool with_version(const VynWchar* name, int version, VynWchar* out) {
  return vyn_cat_location_name(nullptr, -1, name, version, out) == 1;
}

bool regression_name_made;
char regression_name[300];

// The highest existing version of the unversioned name into *highest (1 for an
// unversioned file alone, 0 when none exists): false when the lookup failed, which a
// caller that writes must not take for "none".
bool lookup_highest(const VynWchar* name, VynFile* file, int directory_hint, int* highest) {
  *highest = 0;
  if (!name || !name[0]) return false;
  int found = 0;
  int result = PFA_E_NOT_VALID;
  if (file) {
    // The name is looked for in the directory the handle names.
    char narrow[NARROW_NAME_ROOM];
    if (to_narrow(name + file_part_offset(name), narrow))
      result = pfa_get_file_vers_low(file, narrow, PFA_RULE_HIGHEST, &found, directory_hint, 1);
  } else if (VynFile* named = pfa_alloc_wfile(name)) {
    result = pfa_get_file_vers(named, PFA_RULE_HIGHEST, &found);
    pfa_free_vyn_file(&named);
  }
  if (result == PFA_E_NOT_FOUND) return true;
  if (result != PFA_E_NO_ERROR) return false;
  *highest = found == 0 ? 1 : found;
  return true;
}

}  // namespace

// ---- Opening by version

int fname_has_version(const VynWchar* name) {
  if (!name) return 0;
  VynWchar version[VYN_NAME_MAX + 1];
  get_path_name_ext_ver(name, nullptr, nullptr, nullptr, version);
  return version[0] ? 1 : 0;
}

int cnvrt_filenm_only_to_lower(const VynWchar* in, VynWchar* out) {
  if (!in || !out) return 0;
  std::size_t file = file_part_offset(in);
  std::size_t i = 0;
  for (; in[i]; ++i) out[i] = i >= file ? wlowercase(in[i]) : in[i];
  out[i] = 0;
  return 1;
}

std::FILE* try_rol_fopen(const VynWchar* name, VynWchar* out_name) {
  if (!name) return nullptr;
  std::FILE* f = open_wide(name, "r");
  if (f && out_name) wscpy(out_name, name);
  return f;
}

std::FILE* vyn_spg_fopen(const VynWchar* name, int version, const char* mode) {
  if (!name || !mode || wslen(name) >= VYN_NAME_MAX) return nullptr;
  if (version >= 0 && fname_has_version(name)) {
    dbg_print_info("vyn_spg_fopen", "wrong in_version, file not open\n");
    return nullptr;
  }
  VynWchar given[VYN_NAME_MAX];
  cnvrt_filenm_only_to_lower(name, given);
  // The next version is made, never opened ("x"): one that exists after all (written
  // since the lookup) is another program's file, and the one after it is taken.
  char making[16];
  bool makes_next = false;
  if (version == 0) {
    // A lookup that failed chooses nothing: the next version of a listing that broke off
    // may be one that exists.
    int highest = 0;
    if (!lookup_highest(given, nullptr, -2, &highest)) return nullptr;
    if (mode[0] == 'w') {
      // No version follows the last one a name can carry.
      if (highest >= PFA_VERSION_MAX) return nullptr;
      version = highest + 1;
      if (!std::strchr(mode, 'x')) {
        if (std::strlen(mode) + 2 > sizeof making) return nullptr;
        std::snprintf(making, sizeof making, "%sx", mode);
        mode = making;
      }
      makes_next = true;
    } else if (mode[0] == 'r') {
      if (highest == 0) return nullptr;
      version = highest;
    } else {
      version = highest ? highest : 1;
    }
  }
  VynWchar full[VYN_NAME_MAX];
  std::FILE* f = nullptr;
  for (;;) {
    if (version >= 0) {
      if (!with_version(given, version, full)) return nullptr;
    } else {
      wscpy(full, given);
    }
    f = open_wide(full, mode);
    if (f || !makes_next || version >= PFA_VERSION_MAX || !exists_wide(full)) break;
    ++version;
  }
  if (!f && version < 0) {
    VynWchar bare[VYN_NAME_MAX];
    strip_version_from_fname(given, bare);
    version = vyn_get_highest_version(bare);
  }
  VynWchar other[VYN_NAME_MAX];
  if (!f && version == 1) {
    strip_version_from_fname(full, other);
    f = open_wide(other, mode);
  }
  if (!f) {
    VynWchar lower[VYN_NAME_MAX];
    wcnvrt_to_lower(full, lower);
    f = open_wide(lower, mode);
    if (!f && version == 1) {
      strip_version_from_fname(lower, other);
      f = open_wide(other, mode);
    }
  }
  return f;
}

std::FILE* vyn_fopen(const char* name, int version, const char* mode) {
  if (!name || std::strlen(name) >= static_cast<std::size_t>(VYN_NAME_MAX)) return nullptr;
  VynWchar wide[VYN_NAME_MAX];
  strtows_bounded(wide, VYN_NAME_MAX, name);
  return vyn_spg_fopen(wide, version, mode);
}

std::FILE* vyn_spg_try_rol_fopen(const VynWchar* name, VynWchar* out_name, int* version) {
  if (!name || wslen(name) >= VYN_NAME_MAX) return nullptr;
  if (fname_has_version(name)) {
    dbg_print_info("vyn_spg_try_rol_fopen", "file has version, file not open\n");
    return nullptr;
  }
  VynWchar lower_part[VYN_NAME_MAX];
  cnvrt_filenm_only_to_lower(name, lower_part);
  int highest = vyn_get_highest_version(lower_part);
  if (highest == 0) return nullptr;
  VynWchar tries[4][VYN_NAME_MAX];
  int count = 0;
  if (with_version(name, highest, tries[count])) ++count;
  if (highest == 1) wscpy(tries[count++], name);
  if (with_version(lower_part, highest, tries[count])) ++count;
  if (highest == 1) wscpy(tries[count++], lower_part);
  for (int i = 0; i < count; ++i)
    if (std::FILE* f = try_rol_fopen(tries[i], out_name)) {
      if (version) *version = highest;
      return f;
    }
  return nullptr;
}

// ---- Version lists and the highest version

int vyn_get_all_versions(const VynWchar* name, std::int16_t** versions) {
  if (!versions) return 0;
  *versions = nullptr;
  if (is_run_mode(9998)) vyn_printf("vyn_get_all_versions(%ws)\n", name);
  int* list = nullptr;
  int count = list_versions(name, &list);
  if (count > 0) {
    sort_ints(list, count);
    *versions = static_cast<std::int16_t*>(xar_alloc(count, sizeof(std::int16_t), 2));
    for (int i = 0; i < count; ++i)
      (*versions)[i] = static_cast<std::int16_t>(list[i] == 0 ? 1 : list[i]);
  }
  xar_free(&list);
  return count;
}

int vyn_get_highest_version_low(const VynWchar* name, VynFile* file, int directory_hint) {
  if (is_run_mode(9998)) vyn_printf("vyn_get_highest_version_low(%ws)\n", name);
  int highest = 0;
  return lookup_highest(name, file, directory_hint, &highest) ? highest : 0;
}

int vyn_get_highest_version(const VynWchar* name) {
  return vyn_get_highest_version_low(name, nullptr, -2);
}

int vyn_file_highest_version(const char* name) {
  if (!name || std::strlen(name) >= static_cast<std::size_t>(VYN_NAME_MAX)) return 0;
  VynWchar wide[VYN_NAME_MAX];
  strtows_bounded(wide, VYN_NAME_MAX, name);
  return vyn_get_highest_version(wide);
}

const VynWchar* spg_file_version_ptr(const VynWchar* name) {
  if (!name) return nullptr;
  WideSplit s = split_wide(name);
  if (!s.split.has_version) return nullptr;
  const VynWchar* separator = name + s.file + s.split.version_begin - 1;
  return *separator == '.' ? separator : nullptr;
}

// ---- Version and extension texts

int strip_version_from_fname(const VynWchar* in, VynWchar* out) {
  if (!in || !out) return 0;
  WideSplit s = split_wide(in);
  std::size_t keep = s.length;
  if (s.split.has_version && in[s.file + s.split.version_begin - 1] == '.')
    keep = s.file + s.split.version_begin - 1;
  std::memmove(out, in, keep * sizeof(VynWchar));
  out[keep] = 0;
  return 1;
}

int strip_ext_from_ascii_fname(const char* in, char* out) {
  if (!in || !out) return 0;
  NarrowSplit s;
  std::size_t keep = std::strlen(in);
  if (split_narrow(in, &s)) keep = s.file + s.split.base_end;
  std::memmove(out, in, keep);
  out[keep] = '\0';
  return 1;
}

int strip_extension_from_fname(const VynWchar* in, VynWchar* out) {
  if (!in || !out) return 0;
  WideSplit s = split_wide(in);
  std::size_t keep = s.file + s.split.base_end;
  std::memmove(out, in, keep * sizeof(VynWchar));
  out[keep] = 0;
  return 1;
}

int get_version_from_ascii_fname(const char* in, char* out) {
  if (!in || !out) return 0;
  std::size_t n = std::strlen(in);
  std::memmove(out, in, n + 1);
  NarrowSplit s;
  if (n == 0 || !split_narrow(in, &s)) return 0;
  if (s.file == n) return 0;  // ends with a delimiter
  std::size_t dot = n;
  for (std::size_t i = s.file + 1; i < n; ++i)
    if (s.single[i] && in[i] == '.') dot = i;
  if (dot == n) return 0;
  long value = 0;
  for (std::size_t i = dot + 1; i < n; ++i) {
    if (in[i] < '0' || in[i] > '9') return 0;
    value = value * 10 + (in[i] - '0');
    if (value > INT_MAX) return 0;
  }
  out[dot] = '\0';
  return static_cast<int>(value);
}

int get_path_name_ext_ver(const VynWchar* name, VynWchar* path, VynWchar* base,
                          VynWchar* extension, VynWchar* version) {
  VynWchar* parts[4] = {};
  int result = parse_os_filename(name, &parts[0], &parts[1], &parts[2], &parts[3]);
  VynWchar* outs[4] = {path, base, extension, version};
  for (int i = 0; i < 4; ++i) {
    if (!outs[i]) continue;
    outs[i][0] = 0;
    if (result == 0 && parts[i]) wscpy(outs[i], parts[i]);
  }
  return 1;
}

int get_path_name_ext(const VynWchar* full, VynWchar* path, VynWchar* name,
                      VynWchar* extension) {
  VynWchar* outs[3] = {path, name, extension};
  for (VynWchar* o : outs)
    if (o) o[0] = 0;
  if (!full) return 0;
  WideSplit s = split_wide(full);
  std::size_t base_end = s.file + s.split.base_end;
  std::size_t bounds[4] = {0, s.file, base_end, s.length};
  for (int i = 0; i < 3; ++i) {
    if (!outs[i]) continue;
    std::size_t n = bounds[i + 1] - bounds[i];
    std::memmove(outs[i], full + bounds[i], n * sizeof(VynWchar));
    outs[i][n] = 0;
  }
  return 0;
}

// ---- Renaming and deleting

int rename_even_if_exists(const char* from, const char* to) {
  VynFile* source = from ? pfa_alloc_file(from) : nullptr;
  VynFile* target = to ? pfa_alloc_file(to) : nullptr;
  int result = PFA_E_INVALID_INPUT;
  // A directory under the target name is not replaced, and the file does not go into it.
  if (source && target) result = pfa_is_dir(target) ? PFA_E_EXIST : pfa_move_file(source, target);
  pfa_free_vyn_file(&source);
  pfa_free_vyn_file(&target);
  return result;
}

namespace {

// Moves source to the free name target. A directory that stands at target after all (made
// meanwhile, or one whose check failed) would take the source inside it: the source is
// then moved back and the result is 12.
int move_dir_to(VynFile* source, VynFile* target) {
  VynFile* place = pfa_make_copy(target);
  if (!place) return PFA_E_OUT_OF_MEMORY;
  int result = pfa_move_dir(source, place);
  char wanted[NARROW_NAME_ROOM];
  char moved[NARROW_NAME_ROOM];
  if (result == PFA_E_NO_ERROR &&
      (pfa_get_full_name(target, wanted) != PFA_E_NO_ERROR ||
       pfa_get_full_name(place, moved) != PFA_E_NO_ERROR || strcasecmp(wanted, moved) != 0)) {
    VynFile* back = pfa_make_copy(source);
    if (back) pfa_move_dir(place, back);
    pfa_free_vyn_file(&back);
    result = PFA_E_EXIST;
  }
  pfa_free_vyn_file(&place);
  return result;
}

// Moves source over the existing directory target. The old target is checked first
// (every entry must be writable, else 7 and nothing moves), then moved aside under a
// fresh name; the source takes its place (when that fails the old target comes back),
// and only then is the old target deleted. A deletion that fails after that leaves the
// move in place and what is left of the old target under the name beside it: the result
// is the deletion's failure.
int replace_dir(VynFile* source, VynFile* target) {
  int result = pfa_check_dir_deletable(target);
  VynFile* aside = nullptr;
  if (result == PFA_E_NO_ERROR) result = pfa_dir_name_beside(target, &aside);
  VynFile* moved_aside = nullptr;
  if (result == PFA_E_NO_ERROR) {
    moved_aside = pfa_make_copy(aside);
    VynFile* old_target = pfa_make_copy(target);
    result = moved_aside && old_target ? pfa_move_dir(old_target, moved_aside) : PFA_E_OUT_OF_MEMORY;
    pfa_free_vyn_file(&old_target);
  }
  if (result == PFA_E_NO_ERROR) {
    result = move_dir_to(source, target);
    // The old tree comes back unless the target is taken: a move by copying whose source
    // could not all be deleted leaves the new tree there, and the old one then goes as
    // after a move that succeeded.
    if (result == PFA_E_NO_ERROR || move_dir_to(aside, target) == PFA_E_EXIST) {
      int deleted = pfa_delete_dir(aside, 1, 0);
      if (result == PFA_E_NO_ERROR) result = deleted;
    }
  }
  pfa_free_vyn_file(&aside);
  pfa_free_vyn_file(&moved_aside);
  return result;
}

}  // namespace


int rename_dir_even_if_exists(const char* from, const char* to) {
  VynFile* source = from ? pfa_alloc_dir(from) : nullptr;
  VynFile* target = to ? pfa_alloc_dir(to) : nullptr;
  int result = PFA_E_INVALID_INPUT;
  if (source && target)
    result = pfa_access_quiet(target, 0) ? replace_dir(source, target) : move_dir_to(source, target);
  pfa_free_vyn_file(&source);
  pfa_free_vyn_file(&target);
  return result;
}

namespace {

// Deletes the directory name (itself too, or only what it holds) through a directory
// handle: 1 when done.
int delete_dir_named(const char* name, int force, bool itself) {
  VynFile* dir = name ? pfa_alloc_dir(name) : nullptr;
  if (!dir) return 0;
  int result = itself ? pfa_delete_dir(dir, 1, force) : pfa_delete_dir_contents(dir, force);
  pfa_dispose(&dir);
  return result == PFA_E_NO_ERROR ? 1 : 0;
}

}  // namespace

int delete_directory(const char* name, int flag) { return delete_dir_named(name, flag, true); }

int delete_directory_contents(const char* name, int flag) {
  return delete_dir_named(name, flag, false);
}

int delete_directory_ws(const VynWchar* name, int flag) {
  char narrow[NARROW_NAME_ROOM];
  return name && to_narrow(name, narrow) ? delete_directory(narrow, flag) : 0;
}

int delete_directory_contents_ws(const VynWchar* name, int flag) {
  char narrow[NARROW_NAME_ROOM];
  return name && to_narrow(name, narrow) ? delete_directory_contents(narrow, flag) : 0;
}

int file_rename(const VynWchar* from, const VynWchar* to) {
  if (!from || !to) return 0;
  if (wslen(from) >= 257 || wslen(to) >= 257) {
    vyn_printf("File_rename: invalid filenames :\n %ws \n %ws\n", from, to);
    return 0;
  }
  std::size_t n = static_cast<std::size_t>(wslen(from));
  bool all = n >= 2 && from[n - 1] == '*' && from[n - 2] == '.';
  char narrow_from[NARROW_NAME_ROOM];
  char narrow_to[NARROW_NAME_ROOM];
  if (!all) {
    if (!to_narrow(from, narrow_from) || !to_narrow(to, narrow_to)) return 0;
    return rename_even_if_exists(narrow_from, narrow_to) == PFA_E_NO_ERROR ? 1 : 0;
  }
  VynWchar base[VYN_NAME_MAX];
  std::memcpy(base, from, (n - 2) * sizeof(VynWchar));
  base[n - 2] = 0;
  // The target without its version part (a ".*" counts as one).
  VynWchar target[VYN_NAME_MAX];
  std::size_t m = static_cast<std::size_t>(wslen(to));
  if (m >= 2 && to[m - 1] == '*' && to[m - 2] == '.') m -= 2;
  std::memcpy(target, to, m * sizeof(VynWchar));
  target[m] = 0;
  strip_version_from_fname(target, target);
  // Every version the listing holds is renamed; a listing that broke off renames
  // nothing, since the versions it missed would stay behind.
  int* versions = nullptr;
  int count = list_versions(base, &versions);
  if (count > 0) sort_ints(versions, count);
  bool has_one = false;
  for (int i = 0; i < count; ++i) has_one = has_one || versions[i] == 1;
  bool renamed = count > 0;
  for (int i = 0; renamed && i < count; ++i) {
    // The unversioned file becomes version 1, unless a version 1 exists of its own.
    int version = versions[i] == 0 ? 1 : versions[i];
    if (versions[i] == 0 && has_one) continue;
    VynWchar source[VYN_NAME_MAX];
    VynWchar moved[VYN_NAME_MAX];
    if (versions[i] == 0) wscpy(source, base);
    renamed = (versions[i] == 0 || with_version(base, version, source)) &&
              with_version(target, version, moved) && to_narrow(source, narrow_from) &&
              to_narrow(moved, narrow_to) &&
              rename_even_if_exists(narrow_from, narrow_to) == PFA_E_NO_ERROR;
  }
  xar_free(&versions);
  return renamed ? 1 : 0;
}

// ---- Per-user registry store

const char* vekreg_adjust_prodname(const char* product) {
  if (!regression_run_mode()) return product;
  if (!regression_name_made) {
    char current[w32::MAX_PATH + 1] = "";
    w32::_getcwd(current, sizeof current);
    std::size_t n = std::strlen(current);
    const char* tail = n > 32 ? current + n - 32 : current;
    std::snprintf(regression_name, sizeof regression_name, "regtest\\%s", tail);
    for (char* p = regression_name + 8; *p; ++p)
      if (*p == '\\') *p = ' ';
    regression_name_made = true;
  }
  return regression_name;
}

int vekreg_store_string(const char* product, const char* value_name, const char* text) {
  return nt_set_vek_user_registry_string_value(vekreg_adjust_prodname(product), value_name,
                                               text)
             ? 1
             : 0;
}

int vekreg_get_string(const char* product, const char* value_name, char* out, int size) {
  if (!out || size < 1) return 0;
  char value[NT_REGISTRY_VALUE_SIZE] = "";
  if (!nt_get_vek_user_registry_string_value(vekreg_adjust_prodname(product), value_name,
                                             value))
    return 0;
  std::size_t n = std::strlen(value);
  if (n >= static_cast<std::size_t>(size)) return 0;
  std::memcpy(out, value, n + 1);
  return 1;
}

int vekreg_delete_val(const char* product, const char* value_name) {
  return nt_delete_vek_user_registry_value(vekreg_adjust_prodname(product), value_name) ? 1 : 0;
}

// ---- File header text

int vyn_gen_filehdr_sys_info(VynWchar* out) {
  if (!out) return 92;
  const SystemInfo* info = vyn_get_system_info();
  char text[4 * 16 + 4];
  std::snprintf(text, sizeof text, "%.15s_%.15s_%.15s_%.15s", info->unused, info->os_name,
                info->version, info->build);
  strtows(out, text);
  return wslen(out) + 1;
}

void fnversion_testing_reset() {
  regression_name_made = false;
  regression_name[0] = '\0';
}

}  // namespace vek
