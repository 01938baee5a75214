#include "fileaccess/names/oshelp.h"

#include <climits>
#include <cstring>

#include "fileaccess/backends/ntlangwrap.h"
#include "fileaccess/backends/pfamodel.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfafile.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/fnversion.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/oshelp_testing.h"
#include "platform/w32/crt.h"
#include "platform/w32/error.h"
#include "platform/w32/environment.h"
#include "platform/w32/file.h"
#include "platform/w32/findfile.h"
#include "platform/w32/path.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

int input_mode;
int order_check;

constexpr w32::LONG REG_OK = static_cast<w32::LONG>(w32::ERROR_SUCCESS);
constexpr int DWORD_BYTES = 4;

w32::HKEY open_key(w32::HKEY root, const char* key, w32::REGSAM access) {
  w32::HKEY handle = nullptr;
  return w32::RegOpenKeyExA(root, key, 0, access, &handle) == REG_OK ? handle : nullptr;
}

// The key for writing values, made with the keys above it when missing; null on failure.
w32::HKEY create_key(w32::HKEY root, const char* key) {
  char no_class[] = "";
  w32::HKEY handle = nullptr;
  if (w32::RegCreateKeyExA(root, key, 0, no_class, w32::REG_OPTION_NON_VOLATILE,
                           w32::KEY_SET_VALUE, nullptr, &handle, nullptr) != REG_OK)
    return nullptr;
  return handle;
}

// Writes one value under a key made when missing: 1 on success.
int set_value(w32::HKEY root, const char* key, const char* value_name, w32::DWORD type,
              const w32::BYTE* data, w32::DWORD size) {
  w32::HKEY handle = create_key(root, key);
  if (!handle) return 0;
  w32::LONG result = w32::RegSetValueExA(handle, value_name, 0, type, data, size);
  w32::RegCloseKey(handle);
  return result == REG_OK ? 1 : 0;
}

}  // namespace

int get_input_mode() { return input_mode; }

int set_view_only_order_check(int on) {
  order_check = on;
  return on;
}

int set_input_mode(int mode) {
  input_mode = mode;
  return mode;
}

namespace {
// How deep dci_fopen refreshes are nested: the no-console output opens "std.out" through
// dci_fopen, and must not refresh the cache from inside a refresh.
int dci_fopen_depth;
}  // namespace

std::FILE* dci_fopen(const char* name, const char* mode) {
  if (!name || !mode) return nullptr;
  std::FILE* stream = w32::fopen(name, mode);
  if (mode[0] != 'r' && mode[0] != 'R') {
    ++dci_fopen_depth;
    if (dci_fopen_depth <= 1 || std::strcmp(name, "std.out") != 0)
      pfa_file_name_update_dir_cache(name);
    --dci_fopen_depth;
  }
  return stream;
}

int vyn_is_dir(char* path) {
  remove_dir_delim(path, 1);
  w32::UINT previous = w32::SetErrorMode(w32::SEM_FAILCRITICALERRORS);
  w32::DWORD attributes = ntlangwrap_GetFileAttributes(path);
  w32::SetErrorMode(previous);
  if (attributes == w32::INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & w32::FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}

int nt_get_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD* value) {
  w32::HKEY handle = open_key(root, key, w32::KEY_QUERY_VALUE);
  if (!handle) return 0;
  w32::BYTE bytes[DWORD_BYTES] = {};
  w32::DWORD type = w32::REG_NONE;
  w32::DWORD size = sizeof bytes;
  w32::LONG result = w32::RegQueryValueExA(handle, value_name, nullptr, &type, bytes, &size);
  w32::RegCloseKey(handle);
  if (result != REG_OK || type != w32::REG_DWORD) return 0;
  if (value) {
    // Registry numbers are little-endian.
    *value = 0;
    for (int i = DWORD_BYTES - 1; i >= 0; --i) *value = *value << 8 | bytes[i];
  }
  return 1;
}

int nt_set_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD value) {
  w32::BYTE bytes[DWORD_BYTES];
  for (int i = 0; i < DWORD_BYTES; ++i) bytes[i] = static_cast<w32::BYTE>(value >> (8 * i));
  return set_value(root, key, value_name, w32::REG_DWORD, bytes, sizeof bytes);
}

int nt_get_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           char* out) {
  if (!out || size < 1) return 0;
  out[0] = '\0';
  w32::HKEY handle = open_key(root, key, w32::KEY_QUERY_VALUE);
  if (!handle) return 0;
  w32::DWORD type = w32::REG_NONE;
  auto bytes = static_cast<w32::DWORD>(size);
  w32::LONG result = w32::RegQueryValueExA(handle, value_name, nullptr, &type,
                                           reinterpret_cast<w32::BYTE*>(out), &bytes);
  w32::RegCloseKey(handle);
  bool text = type == w32::REG_SZ || type == w32::REG_EXPAND_SZ;
  // A stored text need not end with its terminator; one that fills out without it does
  // not fit.
  if (result != REG_OK || !text || bytes == 0 ||
      (out[bytes - 1] != '\0' && bytes >= static_cast<w32::DWORD>(size))) {
    out[0] = '\0';
    return 0;
  }
  if (out[bytes - 1] != '\0') out[bytes] = '\0';
  return out[0] ? 1 : 0;
}

int nt_set_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           const char* text) {
  if (!text || size < 0) return 0;
  std::size_t stored = std::strlen(text) + 1;
  if (static_cast<std::size_t>(size) < stored) stored = static_cast<std::size_t>(size);
  return set_value(root, key, value_name, w32::REG_SZ, reinterpret_cast<const w32::BYTE*>(text),
                   static_cast<w32::DWORD>(stored));
}

// ---- Names and files

namespace {

constexpr std::size_t NARROW_ROOM = wstostr_room(VYN_NAME_MAX);

bool narrow_of(const VynWchar* name, char* out) {
  return name && wstostr_bounded(out, NARROW_ROOM, name) == 0;
}

bool wide_of(const char* name, VynWchar* out, std::size_t room) {
  if (!name) {
    out[0] = 0;
    return true;
  }
  return strtows_bounded(out, room, name) == 0;
}

int access_wide(const VynWchar* name, int mode) {
  char narrow[NARROW_ROOM];
  return narrow_of(name, narrow) ? w32::_access(narrow, mode) : -1;
}

bool is_blank_w(VynWchar c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The rule shared by the three deletes, through a handle of the name: lower-case name
// and extension, or the case kept (type -6); exact (the file as named) or, for a name
// without a version, the highest existing version (the file layer's lookup, which tells
// the unversioned file and a failed listing apart).
int delete_by_name(const VynWchar* name, bool lower_case, bool exact) {
  VynFile* file = name ? pfa_alloc_wfile(name) : nullptr;
  if (!file) return PFA_E_INVALID_INPUT;
  int result = pfa_make_absolute_path(file);
  if (result == PFA_E_NO_ERROR)
    result = lower_case ? pfa_lowercase_name_ext(file) : pfa_put_obj_type(file, PFA_TYPE_UNKNOWN);
  if (result == PFA_E_NO_ERROR) result = pfa_delete_file(file, !exact && pfa_get_version(file) < 1 ? 1 : 0);
  pfa_free_vyn_file(&file);
  return result;
}

}  // namespace

int spg_copy_file(const VynWchar* source, const VynWchar* target) {
  VynFile* from = source ? pfa_alloc_wfile(source) : nullptr;
  VynFile* to = target ? pfa_alloc_wfile(target) : nullptr;
  int copied = 0;
  if (from && to) {
    // Version 1 that does not exist: the unversioned file.
    if (pfa_get_version(from) == 1 && !pfa_access_quiet(from, 0)) pfa_put_version(from, 0);
    copied = pfa_copy_file(from, PFA_RULE_AS_NAMED, to, PFA_RULE_AS_NAMED) == PFA_E_NO_ERROR;
  }
  pfa_free_vyn_file(&from);
  pfa_free_vyn_file(&to);
  return copied;
}

int delete_file(const VynWchar* name) {
  delete_by_name(name, true, true);
  return 0;
}

int delete_file_this_case(const VynWchar* name) {
  delete_by_name(name, false, true);
  return 0;
}

int dms_delete_file(const VynWchar* name) { return delete_by_name(name, true, false); }

int delete_latest_file(const VynWchar* name) { return delete_file(name); }

int file_exists(const char* name) {
  if (!name) return 0;
  std::size_t n = std::strlen(name);
  char pattern[NARROW_ROOM + 2];
  if (n + 3 > sizeof pattern) return 0;
  std::memcpy(pattern, name, n + 1);
  const char* file = nullptr;
  get_last_dir_delim(pattern, &file, 0, 1);
  bool dotted = false;
  walk_name_chars(file, [&](const char* p, int k) { dotted = dotted || (k == 1 && *p == '.'); });
  if (!dotted) std::memcpy(pattern + n, ".*", 3);
  w32::WIN32_FIND_DATAA data;
  w32::HANDLE search = w32::FindFirstFileA(pattern, &data);
  if (search == w32::INVALID_HANDLE_VALUE) return 0;
  w32::FindClose(search);
  return (data.dwFileAttributes & w32::FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
}

char* getwd(char* buffer) { return buffer ? w32::_getcwd(buffer, VYN_NAME_MAX) : nullptr; }

VynFile* make_full_name_pfa(const VynWchar* name, const VynWchar* extension) {
  VynFile* file = pfa_alloc_wfile(name);
  if (!file) return nullptr;
  char narrow[NARROW_ROOM];
  if (extension && extension[0] &&
      (!narrow_of(extension, narrow) || pfa_put_extension(file, narrow) != PFA_E_NO_ERROR)) {
    pfa_free_vyn_file(&file);
    return nullptr;
  }
  pfa_put_version(file, 0);
  return file;
}

const VynWchar* make_full_name(const VynWchar* name, const VynWchar* extension) {
  static VynWchar full[VYN_NAME_MAX];
  full[0] = 0;
  VynFile* file = make_full_name_pfa(name, extension);
  char narrow[PFA_NAME_SIZE];
  if (file && pfa_get_full_name_mixed_case(file, narrow, 0) == PFA_E_NO_ERROR &&
      !wide_of(narrow, full, VYN_NAME_MAX))
    full[0] = 0;
  pfa_free_vyn_file(&file);
  return full;
}

namespace {

// The handles of make_filepath, kept for the process's life (they belong to the memory
// pools): directory, sub-path, the two joined, and the name taken in that.
VynFile* filepath_handles[4];

}  // namespace

int make_filepath(const VynWchar* name, const VynWchar* directory, const VynWchar* sub_path,
                  VynWchar* out) {
  if (!out) return PFA_E_INVALID_INPUT;
  out[0] = 0;
  for (VynFile*& h : filepath_handles)
    if (!h && pfa_alloc_vyn_file(&h) != PFA_E_NO_ERROR) return PFA_E_ERROR;
  VynFile* dir = filepath_handles[0];
  VynFile* sub = filepath_handles[1];
  VynFile* joined = filepath_handles[2];
  VynFile* named = filepath_handles[3];
  char text[NARROW_ROOM + 1];
  if (!narrow_of(directory, text)) return PFA_E_INVALID_INPUT;
  int result = pfa_parse_to_vyn_file(dir, text);
  if (result == PFA_E_NO_ERROR) {
    result = pfa_put_obj_type(dir, PFA_TYPE_DIRECTORY);
  } else {
    std::size_t n = std::strlen(text);
    text[n] = '\\';
    text[n + 1] = '\0';
    result = pfa_parse_to_vyn_file(dir, text);
  }
  if (result != PFA_E_NO_ERROR) return result;
  if (sub_path && sub_path[0]) {
    if (!narrow_of(sub_path, text)) return PFA_E_INVALID_INPUT;
    for (char* p = text; *p; ++p)
      if (*p == '%') *p = '/';
    const char* relative = text[0] == '/' ? text + 1 : text;
    result = pfa_parse_to_vyn_file(sub, relative);
    if (result == PFA_E_NO_ERROR) result = pfa_put_obj_type(sub, PFA_TYPE_DIRECTORY);
    if (result == PFA_E_NO_ERROR) result = pfa_build_path(dir, sub, joined);
  } else {
    result = pfa_copy_vyn_file(dir, joined);
  }
  if (result != PFA_E_NO_ERROR) return result;
  VynFile* last = joined;
  if (name && name[0]) {
    if (!narrow_of(name, text)) return PFA_E_INVALID_INPUT;
    result = pfa_parse_to_vyn_file_in_dir(named, joined, text);
    if (result != PFA_E_NO_ERROR) return result;
    last = named;
  }
  char full[PFA_NAME_SIZE];
  if (pfa_get_full_name(last, full) != PFA_E_NO_ERROR || !wide_of(full, out, VYN_NAME_MAX)) {
    out[0] = 0;
    return PFA_E_ERROR;
  }
  return PFA_E_NO_ERROR;
}

int dir_change(const VynWchar* directory) {
  VynFile* dir = directory ? pfa_alloc_wdir(directory) : nullptr;
  int changed = dir && pfa_chdir(dir) <= 0 ? 1 : 0;
  pfa_free_vyn_file(&dir);
  return changed;
}

int dir_valid(const VynWchar* name) { return name && spg_access(name, 0) == 0 ? 1 : 0; }

int os_convert_path(const VynWchar* in, VynWchar* out) {
  if (!in || !out || wslen(in) >= VYN_NAME_MAX) return 0;
  wscpy(out, in);
  if (!in[0] || dir_valid(out)) return 1;
  // Otherwise the name as the file layer reads it, in full.
  VynFile* file = pfa_alloc_wfile(in);
  bool formed = file && pfa_get_full_wname(file, out) == PFA_E_NO_ERROR;
  pfa_free_vyn_file(&file);
  if (!formed) {
    out[0] = 0;
    return 0;
  }
  return dir_valid(out);
}

int is_path_absolute(const VynWchar* path) {
  if (!path) return 0;
  if (const VynWchar* colon = wschr(path, u':')) return colon[1] == '\\' ? 1 : 0;
  while (is_blank_w(*path)) ++path;
  return *path == '\\' ? 1 : 0;
}

int vyn_is_directory(const VynWchar* name) { return get_file_stat(name) == 1 ? 1 : 0; }

int get_file_stat(const VynWchar* name) {
  VynFile* file = name ? pfa_alloc_wfile(name) : nullptr;
  if (!file) return -1;
  int kind = -1;
  int mode = 0;
  // What cannot be asked is not guessed: a name whose mode cannot be read gives -1 too.
  if (pfa_access_mixed_case(file, 0, 0)) {
    if (pfa_is_dir(file)) kind = 1;
    else if (pfa_get_mode(file, &mode) == PFA_E_NO_ERROR) kind = (mode & PFA_MODE_DIRECTORY) ? 1 : 2;
  }
  pfa_free_vyn_file(&file);
  return kind;
}

int vyn_is_local_directory(const VynWchar* path, const VynWchar* name) {
  VynWchar full[VYN_NAME_MAX];
  if (!vyn_cat_full_path_name(nullptr, nullptr, path, name, 0, full)) return 0;
  return vyn_is_directory(full);
}

int dir_has_write_access(const VynWchar* directory) {
  if (!directory || !directory[0]) return w32::_access(".", 2) == 0 ? 1 : 0;
  return access_wide(directory, 2) == 0 ? 1 : 0;
}

int vyn_check_access(const char* name, int mode) {
  if (!name) return PFA_E_INVALID_INPUT;
  if (w32::_access(name, mode) == 0) return PFA_E_NO_ERROR;
  return w32::_access(name, 0) == 0 ? PFA_E_NO_ACCESS : PFA_E_NOT_FOUND;
}

int make_dir(const VynWchar* directory, int keep_parent_writable) {
  if (!directory || wslen(directory) >= VYN_NAME_MAX - 1) return 0;
  VynWchar name[VYN_NAME_MAX];
  wscpy(name, directory);
  add_dir_w_delim(name, VYN_NAME_MAX, u'\\', 0);
  VynFile* dir = pfa_alloc_wfile(name);
  VynFile* parent = nullptr;
  if (!dir || pfa_alloc_vyn_file(&parent) != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(&dir);
    return 0;
  }
  int parent_mode = 0;
  char owner[PFA_OWNER_SIZE] = "";
  char group[PFA_OWNER_SIZE] = "";
  bool owners_known = false;
  bool made_writable = false;
  // A parent whose mode cannot be read has nothing to hand on: nothing is made.
  int found = pfa_make_parent(dir, parent);
  bool has_parent = found != PFA_E_ROOT_DIR;
  bool ready = !has_parent || (found == PFA_E_NO_ERROR &&
                               pfa_get_mode(parent, &parent_mode) == PFA_E_NO_ERROR);
  if (ready && has_parent) {
    parent_mode &= 0777;
    owners_known = pfa_get_owners(parent, owner, group, nullptr) == PFA_E_NO_ERROR;
    if (!(parent_mode & 0200) && keep_parent_writable)
      made_writable = pfa_chmod(parent, parent_mode | 0200) == PFA_E_NO_ERROR;
  }
  int result = ready && pfa_make_dir(dir) <= 0 ? 1 : 0;
  if (result == 1 && has_parent) {
    if (!owners_known || pfa_chown(dir, owner, group) != PFA_E_NO_ERROR) result = -1;
    pfa_chmod(dir, parent_mode);
  }
  // The parent gets its own mode back whether or not the directory was made.
  if (made_writable) pfa_chmod(parent, parent_mode);
  pfa_free_vyn_file(&dir);
  pfa_free_vyn_file(&parent);
  return result;
}

// ---- The older name splitting and joining

int proj_parse_filename(const char* name, char** directory, char** base, char** extension,
                        char** version) {
  static char parts[4][VYN_NAME_MAX + 1];
  char** outs[4] = {directory, base, extension, version};
  for (char** o : outs)
    if (o) *o = nullptr;
  if (!name) return 11;
  std::size_t n = std::strlen(name);
  if (n > static_cast<std::size_t>(VYN_NAME_MAX)) return 11;
  bool single[VYN_NAME_MAX + 1] = {};
  std::size_t file = 0;
  walk_name_chars(name, [&](const char* p, int k) {
    std::size_t at = static_cast<std::size_t>(p - name);
    single[at] = k == 1;
    if (k == 1 && *p == '\\') file = at + 1;
  });
  const bool* part_single = single + file;
  FilePartSplit split = split_file_part(name + file, n - file,
                                        [part_single](std::size_t i) { return part_single[i]; });
  put_name_parts(name, n, file, split, parts, outs);
  return 0;
}

int proj_make_full_filename(const char* host, const char* device, const char* path,
                            const char* name, const char* extension, int version, char* out) {
  if (!out) return 3;
  out[0] = '\0';
  VynWchar wide[4][VYN_NAME_MAX];
  const char* texts[4] = {host, device, path, name};
  for (int i = 0; i < 4; ++i)
    if (!wide_of(texts[i], wide[i], VYN_NAME_MAX)) return 11;
  VynWchar file[VYN_NAME_MAX];
  if (extension && extension[0]) {
    VynWchar ext[VYN_NAME_MAX];
    if (!wide_of(extension, ext, VYN_NAME_MAX) ||
        !vyn_cat_location_name_ext(nullptr, -1, wide[3], ext, 0, file))
      return 11;
  } else {
    wscpy(file, wide[3]);
  }
  VynWchar full[VYN_NAME_MAX];
  if (!cat_full_path_parts(wide[0], wide[1], wide[2], file, version >= 1 ? version : 0, u"",
                           full))
    return 11;
  if (wstostr_bounded(out, VYN_NAME_MAX, full) != 0) {
    out[0] = '\0';
    return 11;
  }
  return 0;
}

int proj_make_family_name(const char* generic, const char* instance, char* out) {
  VynWchar g[VYN_NAME_MAX];
  VynWchar i[VYN_NAME_MAX];
  VynWchar family[VYN_NAME_MAX];
  if (!wide_of(generic, g, VYN_NAME_MAX) || !wide_of(instance, i, VYN_NAME_MAX)) {
    if (out) out[0] = '\0';
    return 0;
  }
  make_family_name(i, g, family);
  if (out && wstostr_bounded(out, VYN_NAME_MAX, family) != 0) out[0] = '\0';
  return 0;
}

int get_version_num(const VynWchar* name, int* version, VynWchar* base_out) {
  int found = 0;
  if (name) {
    std::size_t file = file_part_offset(name);
    const VynWchar* part = name + file;
    const VynWchar* separator = wsrchr(part, u';');
    if (!separator) separator = wsrchr(part, u'.');
    if (separator && separator != part &&
        ((separator[1] >= '0' && separator[1] <= '9') || separator[1] == '-')) {
      long value = 0;
      bool negative = separator[1] == '-';
      for (const VynWchar* p = separator + (negative ? 2 : 1); *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > INT_MAX) {
          value = 0;
          break;
        }
      }
      found = static_cast<int>(negative ? -value : value);
    }
    if (base_out) {
      std::size_t keep = found ? static_cast<std::size_t>(separator - name)
                               : static_cast<std::size_t>(wslen(name));
      std::memmove(base_out, name, keep * sizeof(VynWchar));
      base_out[keep] = 0;
    }
  } else if (base_out) {
    base_out[0] = 0;
  }
  if (version) *version = found;
  return 1;
}

int get_host_path_name(const VynWchar* full_name, VynWchar* host, VynWchar* device,
                       VynWchar* path, VynWchar* name, VynWchar* extension, int* version) {
  VynWchar* outs[5] = {host, device, path, name, extension};
  for (VynWchar* o : outs)
    if (o) o[0] = 0;
  if (version) *version = 0;
  if (!full_name) return 0;
  auto copy = [](VynWchar* out, const VynWchar* from, std::size_t n) {
    if (!out) return;
    std::memmove(out, from, n * sizeof(VynWchar));
    out[n] = 0;
  };
  const VynWchar* work = full_name;
  if (host && work[0] == '\\' && work[1] == '\\') {
    const VynWchar* start = work + 2;
    const VynWchar* end = wschr(start, u'\\');
    if (!end) end = start + wslen(start);
    copy(host, start, static_cast<std::size_t>(end - start));
    // The share ends at the next '\\'; the work text begins there.
    const VynWchar* share_end = *end ? wschr(end + 1, u'\\') : nullptr;
    work = share_end ? share_end : end + wslen(end);
  }
  if (device) {
    if (const VynWchar* colon = wschr(work, u':')) {
      copy(device, work, static_cast<std::size_t>(colon - work));
      work = colon + 1;
    }
  }
  std::size_t file = file_part_offset(work);
  copy(path, work, file);
  VynWchar rest[VYN_NAME_MAX + 1];
  const VynWchar* part = work + file;
  if (wslen(part) > VYN_NAME_MAX) return 0;
  int found = 0;
  get_version_num(part, &found, rest);
  if (version) *version = found;
  VynWchar* dot = wsrchr(rest, u'.');
  if (dot && dot != rest) {
    copy(extension, dot + 1, static_cast<std::size_t>(wslen(dot + 1)));
    *dot = 0;
  }
  copy(name, rest, static_cast<std::size_t>(wslen(rest)));
  return 1;
}

// ---- Image formats

namespace {

// Object types by extension: IMF 587, TX1 588, TX3 589, TX4 590, TIF 563, TGA 591, PIC
// 592, RGB 593, JPG 566, RLA 594, GIF 567, BMP 583, PNG 564, SHD 580.
const int kImageTypes[] = {587, 588, 589, 590, 563, 591, 592, 593, 566, 594, 567, 583, 564, 580};
const int kTextureTypes[] = {587, 589, 590, 563, 591, 592, 593, 566, 594, 567, 583, 564};

struct ImageClass {
  const int* types;
  int count;
};
const ImageClass kImageClasses[] = {
    {kImageTypes, 14},
    {kImageTypes, 13},
    {kTextureTypes, 12},
    {kTextureTypes, 12},
};

}  // namespace

int image_formats_from_class(int image_class, const int** list, int* count) {
  bool known = image_class >= 0 && image_class < 4;
  if (list) *list = known ? kImageClasses[image_class].types : nullptr;
  if (count) *count = known ? kImageClasses[image_class].count : 0;
  return known ? 0 : 100;
}

int valid_image_type(int image_class, int object_type) {
  const int* list = nullptr;
  int count = 0;
  if (image_formats_from_class(image_class, &list, &count) != 0) return 0;
  for (int i = 0; i < count; ++i)
    if (list[i] == object_type) return 1;
  return 0;
}

void oshelp_testing_reset() {
  input_mode = 0;
  order_check = 0;
  for (VynFile*& h : filepath_handles) h = nullptr;
}

int dir_get(VynWchar* out, int size) {
  if (!out || size < 1) return 0;
  out[0] = 0;
  VynFile* cur_dir = pfa_get_cur_dir();
  char name[PFA_NAME_SIZE];
  if (!cur_dir || pfa_get_full_name(cur_dir, name) != PFA_E_NO_ERROR) return 0;
  // The size bounds the copy: a cut directory would name another one.
  if (strtows_bounded(out, static_cast<std::size_t>(size), name)) {
    out[0] = 0;
    return 0;
  }
  return 1;
}

}  // namespace vek
