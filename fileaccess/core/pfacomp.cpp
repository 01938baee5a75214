#include "fileaccess/core/pfacomp.h"

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/backends/pfu.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/names/pfavers.h"
#include "runtime/text/strutil.h"

#include <cstring>

#include "fileaccess/core/pfaloc.h"
#include "runtime/system/appinfo.h"

namespace vek {

namespace {

constexpr int TEXT_LIMIT = static_cast<int>(sizeof(VynFile::text));

bool valid_slot(int c) { return c >= 0 && c < PFA_COMP_COUNT; }
bool usable(const VynFile* file, int c) { return pfa_is_valid(file) && valid_slot(c); }

int used_length(const VynFile* file) { return file->component[PFA_COMP_COUNT - 1][1]; }

// Moves the end of slot c and both ends of every later slot by delta.
void pfa_adjust_indices(VynFile* file, int c, int delta) {
  file->component[c][1] = static_cast<std::uint16_t>(file->component[c][1] + delta);
  for (int k = c + 1; k < PFA_COMP_COUNT; ++k) {
    file->component[k][0] = static_cast<std::uint16_t>(file->component[k][0] + delta);
    file->component[k][1] = static_cast<std::uint16_t>(file->component[k][1] + delta);
  }
  file->flags &= ~PFA_FLAG_EXACT_CASE;
}

// Replaces the bytes [at, at + cut) of the handle's text by n bytes of text (which may
// lie in the handle's own text). 1 when it fitted.
int replace_in_text(VynFile* file, int c, int at, int cut, const char* text, int n) {
  char copy[TEXT_LIMIT];
  if (n < 0 || n >= TEXT_LIMIT) return 0;
  std::memcpy(copy, text, static_cast<std::size_t>(n));
  int length = used_length(file);
  if (!pfa_move_substring_low(copy, 0, n, n, file->text, at, cut, &length, TEXT_LIMIT)) return 0;
  pfa_adjust_indices(file, c, n - cut);
  return 1;
}

int compare_component(const VynFile* file, int c, const char* text, int n, bool fold) {
  if (!usable(file, c) || !text) return 0;
  if (n < 0) n = static_cast<int>(std::strlen(text));
  int length = pfa_component_length(file, c);
  if (length != n) return length - n;
  const char* own = file->text + file->component[c][0];
  for (int i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(own[i]), b = static_cast<unsigned char>(text[i]);
    if (fold) {
      if (a >= 'A' && a <= 'Z') a += 'a' - 'A';
      if (b >= 'A' && b <= 'Z') b += 'a' - 'A';
    }
    if (a != b) return a - b;
  }
  return 0;
}

}  // namespace

int pfa_move_substring_low(const char* source, int from, int to, int source_length,
                           char* dest, int at, int cut, int* dest_length, int limit) {
  if (!source || !dest || at < 0 || cut < 0) return 0;
  if (source_length < 0) source_length = static_cast<int>(std::strlen(source));
  if (from < 0) from = 0;
  if (to < 0) to = source_length;
  int length = dest_length && *dest_length >= 0 ? *dest_length : static_cast<int>(std::strlen(dest));
  if (from > source_length || to > source_length || from > to) return 0;
  if (at > length || cut > length - at) return 0;
  int insert = to - from;
  int new_length = length - cut + insert;
  if (new_length > limit - 1) return 0;
  std::memmove(dest + at + insert, dest + at + cut, static_cast<std::size_t>(length - at - cut));
  std::memmove(dest + at, source + from, static_cast<std::size_t>(insert));
  dest[new_length] = '\0';
  if (dest_length) *dest_length = new_length;
  return 1;
}

int pfa_strcat(const char* text, char* dest, int* length) {
  if (!text || !dest || !length) return 0;
  int at = *length >= 0 ? *length : static_cast<int>(std::strlen(dest));
  return pfa_move_substring_low(text, 0, -1, -1, dest, at, 0, length, TEXT_LIMIT);
}

int pfa_put_component_len(VynFile* file, int c, const char* text, int n, int drop_info) {
  if (!file || !text || !valid_slot(c) || n < 0) return PFA_E_INVALID_INPUT;
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  int start = file->component[c][0];
  int cut = file->component[c][1] - start;
  if (cut == 0 && n == 0) return PFA_E_NO_ERROR;
  if (drop_info && file->appinfo) {
    pfaloc_call_F(file, PfaFree);
    appinfo_free_all_info(&file->appinfo);
  }
  return replace_in_text(file, c, start, cut, text, n) ? PFA_E_NO_ERROR : PFA_E_INVALID_INPUT;
}

int pfa_put_component(VynFile* file, int c, const char* text) {
  if (!text) return PFA_E_INVALID_INPUT;
  return pfa_put_component_len(file, c, text, static_cast<int>(std::strlen(text)), 1);
}

int pfa_component_length(const VynFile* file, int c) {
  return usable(file, c) ? file->component[c][1] - file->component[c][0] : 0;
}

int pfa_has_component(const VynFile* file, int c) { return pfa_component_length(file, c) > 0; }

int pfa_has_location(const VynFile* file, int* type) {
  if (!pfa_is_valid(file)) {
    if (type) *type = 0;
    return 0;
  }
  if (type) *type = static_cast<int>(file->location_type);
  return file->component[2][1] > file->component[0][0];
}

int pfa_component_first_char(const VynFile* file, int c, char* out) {
  if (!usable(file, c)) return PFA_E_NOT_VALID;
  if (!pfa_has_component(file, c)) return PFA_E_NOT_FOUND;
  if (out) *out = file->text[file->component[c][0]];
  return PFA_E_NO_ERROR;
}

int pfa_component_last_char(const VynFile* file, int c, char* out) {
  if (!usable(file, c)) return PFA_E_NOT_VALID;
  if (!pfa_has_component(file, c)) return PFA_E_NOT_FOUND;
  if (out) *out = file->text[file->component[c][1] - 1];
  return PFA_E_NO_ERROR;
}

int pfa_component_append(VynFile* file, int c, const char* text) {
  if (!usable(file, c) || !text) return PFA_E_NOT_VALID;
  int end = file->component[c][1];
  int n = static_cast<int>(std::strlen(text));
  return replace_in_text(file, c, end, 0, text, n) ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

int pfa_component_append_char(VynFile* file, int c, char ch) {
  const char text[2] = {ch, '\0'};
  return pfa_component_append(file, c, text);
}

int pfa_component_strcmp(const VynFile* file, int c, const char* text, int n) {
  return compare_component(file, c, text, n, false);
}

int pfa_component_u_strcmp(const VynFile* file, int c, const char* text, int n) {
  return compare_component(file, c, text, n, true);
}

int pfas_component_strcmp(const VynFile* a, const VynFile* b, int c) {
  if (!usable(b, c)) return 0;
  return pfa_component_strcmp(a, c, b->text + b->component[c][0], pfa_component_length(b, c));
}

int pfas_component_u_strcmp(const VynFile* a, const VynFile* b, int c) {
  if (!usable(b, c)) return 0;
  return pfa_component_u_strcmp(a, c, b->text + b->component[c][0], pfa_component_length(b, c));
}

int pfa_component_is_substring(const VynFile* a, const VynFile* b, int c) {
  if (!usable(a, c) || !usable(b, c)) return 0;
  int la = pfa_component_length(a, c), lb = pfa_component_length(b, c);
  if (la == 0 || lb == 0) return 1;
  if (lb < la) return 0;
  return std::memcmp(a->text + a->component[c][0], b->text + b->component[c][0],
                     static_cast<std::size_t>(la)) == 0;
}

int pfa_copy_component(const VynFile* from, VynFile* to, int c) {
  if (!usable(from, c) || !pfa_is_valid(to)) return PFA_E_NOT_VALID;
  return pfa_put_component_len(to, c, from->text + from->component[c][0],
                               pfa_component_length(from, c), 1);
}

int pfa_copy_location(const VynFile* from, VynFile* to) {
  if (!pfa_is_valid(from) || !pfa_is_valid(to)) return PFA_E_NOT_VALID;
  if (to->flags & PFA_FLAG_OPEN) return PFA_E_ERROR;
  for (int c = 0; c < 3; ++c) {
    if (int result = pfa_copy_component(from, to, c)) return result;
  }
  to->location_type = from->location_type;
  return PFA_E_NO_ERROR;
}

int pfa_append_component_lower(const VynFile* file, int c, char* buffer, int* length,
                               int limit, int lower) {
  if (!usable(file, c) || !buffer || !length) return PFA_E_NOT_VALID;
  int n = pfa_component_length(file, c);
  if (n == 0) return PFA_E_NO_ERROR;
  int at = *length >= 0 ? *length : static_cast<int>(std::strlen(buffer));
  int start = file->component[c][0];
  if (!pfa_move_substring_low(file->text, start, start + n, used_length(file), buffer, at, 0,
                              length, limit))
    return PFA_E_ERROR;
  if (lower) pfa_substring_to_lower(buffer, at, at + n);
  return PFA_E_NO_ERROR;
}

int pfa_append_component(const VynFile* file, int c, char* buffer, int* length, int limit) {
  return pfa_append_component_lower(file, c, buffer, length, limit, 0);
}

int pfa_get_component(const VynFile* file, int c, char* buffer, int limit) {
  if (!buffer || limit < 1) return PFA_E_NOT_VALID;
  buffer[0] = '\0';
  int length = 0;
  return pfa_append_component(file, c, buffer, &length, limit);
}

void pfa_substring_to_lower(char* text, int from, int to) {
  if (!text) return;
  for (int i = from < 0 ? 0 : from; i < to && text[i]; ++i) {
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
  }
}

int pfa_get_component_mapping(const VynFile* file, int* host, int* device, int* path) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  VynFile* f = const_cast<VynFile*>(file);
  const struct {
    int* out;
    int method;
  } asks[] = {{host, PfaHostIdx}, {device, PfaDeviceIdx}, {path, PfaPathIdx}};
  for (const auto& ask : asks) {
    if (!ask.out) continue;
    int index = pfaloc_call_F(f, ask.method);
    *ask.out = index >= 0 && index <= 2 ? index : -1;
  }
  return PFA_E_NO_ERROR;
}

int pfa_last_sep_in_range(const char* text, int lo, int hi, char ch) {
  if (!text) return -1;
  for (int i = hi - 1; i >= lo && i >= 0; --i) {
    if (text[i] == ch) return i;
  }
  return -1;
}

int pfa_last_delimited_range(const char* text, int lo, int hi, char delimiter, int* start,
                             int* end) {
  if (!text || !start || !end) return 0;
  int e = hi > lo && text[hi - 1] == delimiter ? hi - 1 : hi;
  int sep = pfa_last_sep_in_range(text, lo, e, delimiter);
  *start = sep >= 0 ? sep + 1 : lo;
  *end = e;
  return *start < *end;
}

int pfa_comp_last_delim_range(const VynFile* file, int c, char delimiter, int* start,
                              int* end) {
  if (!usable(file, c)) return 0;
  return pfa_last_delimited_range(file->text, file->component[c][0], file->component[c][1],
                                  delimiter, start, end);
}

int pfa_last_delimited_substring(const VynFile* file, int c, char delimiter, char* buffer) {
  if (!usable(file, c) || !buffer) return PFA_E_NOT_VALID;
  buffer[0] = '\0';
  int start = 0, end = 0;
  if (!pfa_comp_last_delim_range(file, c, delimiter, &start, &end)) return PFA_E_NOT_FOUND;
  int length = 0;
  pfa_move_substring_low(file->text, start, end, used_length(file), buffer, 0, 0, &length,
                         TEXT_LIMIT);
  return PFA_E_NO_ERROR;
}

int xdr_get_pfa_components(const VynFile* file, char* component0, char* component1, char* path,
                           char* name, char* extension) {
  if (!pfa_is_valid(file) || !component0 || !component1 || !path || !name || !extension)
    return PFA_E_NOT_VALID;
  int result = PFA_E_NO_ERROR;
  if (pfa_get_component(file, 0, component0, 32) || pfa_get_component(file, 1, component1, 32))
    result = PFA_E_INVALID_NAME;
  if (pfa_get_component(file, 2, path, TEXT_LIMIT)) result = PFA_E_INVALID_NAME;
  int name_length = pfa_component_length(file, PFA_COMP_BASE_NAME);
  int extension_length = pfa_component_length(file, PFA_COMP_EXTENSION);
  if (name_length < 32 && extension_length < 4) {
    pfa_get_component(file, PFA_COMP_BASE_NAME, name, 32);
    pfa_get_component(file, PFA_COMP_EXTENSION, extension, 4);
    return result;
  }
  // The path field takes "name.ext" whole or not at all.
  int length = static_cast<int>(std::strlen(path));
  int kept = length;
  if (pfa_append_component(file, PFA_COMP_BASE_NAME, path, &length, TEXT_LIMIT) ||
      (extension_length > 0 && (!pfa_strcat(".", path, &length) ||
                                pfa_append_component(file, PFA_COMP_EXTENSION, path, &length,
                                                     TEXT_LIMIT)))) {
    path[kept] = '\0';
    return PFA_E_INVALID_NAME;
  }
  return result;
}

int xdr_put_pfa_components(VynFile* file, const char* component0, const char* component1,
                           const char* path, const char* name, const char* extension) {
  if (!pfa_is_valid(file)) return PFA_E_NOT_VALID;
  if (!component0 || !component1 || !path || !name || !extension) return PFA_E_INVALID_INPUT;
  // The new name must fit whole; the old components go first so that no mixture of old
  // and new is ever too long.
  std::size_t total = std::strlen(component0) + std::strlen(component1) + std::strlen(path) +
                      std::strlen(name) + std::strlen(extension);
  if (total >= sizeof file->text) return PFA_E_INVALID_INPUT;
  for (int c = 0; c < PFA_COMP_COUNT - 1; ++c) {
    if (int r = pfa_put_component(file, c, "")) return r;
  }
  if (int r = pfa_put_component(file, 0, component0)) return r;
  if (int r = pfa_put_component(file, 1, component1)) return r;
  int length = static_cast<int>(std::strlen(path));
  if (length > 0 && path[length - 1] != '/' && !name[0] && !extension[0]) {
    int slash = pfa_last_sep_in_range(path, 0, length, '/');
    int dot = pfa_last_sep_in_range(path, slash + 1, length, '.');
    int name_end = dot >= 0 ? dot : length;
    if (int r = pfa_put_component_len(file, 2, path, slash + 1, 1)) return r;
    if (int r = pfa_put_component_len(file, PFA_COMP_BASE_NAME, path + slash + 1,
                                      name_end - slash - 1, 1))
      return r;
    return pfa_put_component_len(file, PFA_COMP_EXTENSION, dot >= 0 ? path + dot + 1 : "",
                                 dot >= 0 ? length - dot - 1 : 0, 1);
  }
  if (int r = pfa_put_component(file, 2, path)) return r;
  if (int r = pfa_put_component(file, PFA_COMP_BASE_NAME, name)) return r;
  return pfa_put_component(file, PFA_COMP_EXTENSION, extension);
}

int pfa_make_subdir(const VynFile* dir, const char* name, VynFile* out) {
  if (!pfa_is_dir(dir) || !pfa_is_valid(out)) return PFA_E_NOT_VALID;
  if (dir != out) {
    int answer = pfa_copy_vyn_file(dir, out);
    if (answer != PFA_E_NO_ERROR) return answer;
  }
  return pfa_location_append(out, out, name);
}

int pfa_make_parent(const VynFile* file, VynFile* out) {
  if (!pfa_is_valid(file) || !pfa_is_valid(out)) return PFA_E_NOT_VALID;
  bool directory = file->object_type == PFA_TYPE_DIRECTORY;
  if (directory) {
    int answer = pfaum_make_parent(const_cast<VynFile*>(file), out);
    if (answer == PFA_E_NO_ERROR || answer == PFA_E_ROOT_DIR) return answer;
    // "C:" or "C:dir\" stands for a directory below the drive's current one, whose
    // parent is found from its absolute name: never the drive list.
    if (pfafs_loc_is_NT_drive_relative(file)) {
      if (file != out && (answer = pfa_copy_vyn_file(file, out)) != PFA_E_NO_ERROR) return answer;
      if (pfa_make_absolute_path(out) != PFA_E_NO_ERROR || pfafs_loc_is_NT_drive_relative(out))
        return PFA_E_NOT_FOUND;
      return pfa_make_parent(out, out);
    }
    if (!pfa_has_location(file, nullptr)) {
      if (file->location_type != PFA_LOC_STD_FILESYSTEM) return PFA_E_ROOT_DIR;
      const VynFile* cur_dir = pfa_get_cur_dir();
      if (!cur_dir || cur_dir == file || !pfa_has_location(cur_dir, nullptr)) return PFA_E_ROOT_DIR;
      return pfa_make_parent(cur_dir, out);
    }
    int path = -1;
    pfa_get_component_mapping(file, nullptr, nullptr, &path);
    char first = 0;
    int length = path >= 0 ? pfa_component_length(file, path) : 0;
    if (path >= 0 && length > 0) pfa_component_first_char(file, path, &first);
    if (path < 0 || length == 0 || (length == 1 && first == '/')) {
      return pfaloc_call_FF(const_cast<VynFile*>(file), PfaMakeParent, out) == PFA_E_NO_ERROR
                 ? PFA_E_NO_ERROR
                 : PFA_E_ROOT_DIR;
    }
  }
  if (file != out) {
    int answer = pfa_copy_vyn_file(file, out);
    if (answer != PFA_E_NO_ERROR) return answer;
  }
  int answer = pfa_make_absolute_path(out);
  if (answer != PFA_E_NO_ERROR) return answer;
  if (!directory) {
    if (pfa_put_component_len(out, PFA_COMP_BASE_NAME, "", 0, 1) ||
        pfa_put_component_len(out, PFA_COMP_EXTENSION, "", 0, 1))
      return PFA_E_ERROR;
    out->object_type = PFA_TYPE_DIRECTORY;
    out->version = 0;
    return PFA_E_NO_ERROR;
  }
  int path = -1;
  pfa_get_component_mapping(out, nullptr, nullptr, &path);
  if (path < 0) return PFA_E_NOT_FOUND;
  // The ".." elements the path still holds go first, and a ".." above the root stays at
  // the root, as the file systems fold it: cut off, a ".." would make the parent of
  // "X\.." X itself, or a directory below it.
  char folded[sizeof(VynFile::text)];
  pfa_get_component(out, path, folded, sizeof folded);
  bool changed = pfa_remove_redundant_updirs(folded) != 0;
  while (std::strncmp(folded, "/..", 3) == 0 && (folded[3] == '/' || folded[3] == '\0')) {
    if (folded[3] == '/')
      std::memmove(folded + 1, folded + 4, std::strlen(folded + 4) + 1);
    else
      folded[1] = '\0';
    changed = true;
  }
  if (changed &&
      pfa_put_component_len(out, path, folded, static_cast<int>(std::strlen(folded)), 1))
    return PFA_E_ERROR;
  // Folded, or made absolute, to a root: the root's own rule.
  if (std::strcmp(folded, "/") == 0) return pfa_make_parent(out, out);
  int start = 0, end = 0;
  if (!pfa_comp_last_delim_range(out, path, '/', &start, &end)) return PFA_E_NOT_FOUND;
  int path_start = out->component[path][0];
  char prefix[sizeof(VynFile::text)];
  std::memcpy(prefix, out->text + path_start, static_cast<std::size_t>(start - path_start));
  if (pfa_put_component_len(out, path, prefix, start - path_start, 1)) return PFA_E_ERROR;
  for (int c = path + 1; c < PFA_COMP_COUNT; ++c) pfa_put_component_len(out, c, "", 0, 1);
  return PFA_E_NO_ERROR;
}

namespace {

// Two optional parts reconcile when equal (without case), or when only one is present
// and it equals fallback.
bool reconcile(const char* a, const char* b, const char* fallback) {
  if (u_strcmp_func(a, b) == 0) return true;
  if (a[0] && b[0]) return false;
  const char* present = a[0] ? a : b;
  return fallback && u_strcmp_func(present, fallback) == 0;
}

}  // namespace

int pfa_get_relative_path(const VynFile* base, const VynFile* target, VynFile* out) {
  if (!pfa_is_dir(base) || !pfa_is_dir(target) || !pfa_is_valid(out) ||
      base->location_type != target->location_type)
    return PFA_E_NOT_VALID;
  if (out->flags & PFA_FLAG_OPEN) return PFA_E_NOT_ALLOWED;
  std::memset(out->text, 0, sizeof out->text);
  std::memset(out->component, 0, sizeof out->component);
  out->object_type = PFA_TYPE_NONE;
  out->version = 0;
  char a[sizeof(VynFile::text) + 1], b[sizeof(VynFile::text)];
  char local[64];
  if (pfa_get_host(base, a) == PFA_E_NO_ERROR && pfa_get_host(target, b) == PFA_E_NO_ERROR) {
    if (!vyn_get_hostname(local, static_cast<int>(sizeof local))) local[0] = '\0';
    if (!reconcile(a, b, local[0] ? local : nullptr)) return PFA_E_ERROR;
  }
  if (pfa_get_device(base, a) == PFA_E_NO_ERROR && pfa_get_device(target, b) == PFA_E_NO_ERROR) {
    char device[32] = "";
    const VynFile* cur_dir = pfa_get_cur_dir();
    if (cur_dir) pfa_get_device(cur_dir, device);
    if (!reconcile(a, b, device[0] ? device : nullptr)) return PFA_E_ERROR;
  }
  int path = -1;
  pfa_get_component_mapping(base, nullptr, nullptr, &path);
  if (path < 0) return PFA_E_ERROR;
  pfa_get_component(base, path, a, sizeof(VynFile::text));
  pfa_get_component(target, path, b, sizeof(VynFile::text));
  std::size_t n = std::strlen(a);
  if (n == 0 || a[n - 1] != '/') {
    a[n++] = '/';
    a[n] = '\0';
  }
  if (std::strncmp(a, b, n) != 0) return PFA_E_ERROR;
  out->location_type = base->location_type;
  if (pfa_put_component_len(out, path, b + n, static_cast<int>(std::strlen(b + n)), 1))
    return PFA_E_ERROR;
  out->object_type = PFA_TYPE_DIRECTORY;
  return PFA_E_NO_ERROR;
}

}  // namespace vek
