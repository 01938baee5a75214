#include "fileaccess/names/fnstring.h"

#include <cstdio>
#include <cstring>

#include "fileaccess/names/fnstring_testing.h"
#include "fileaccess/core/objtype.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfadir.h"
#include "fileaccess/core/pfadircache.h"
#include "fileaccess/core/pfaname.h"
#include "fileaccess/core/pfaops.h"
#include "fileaccess/names/pfahandleops.h"
#include "platform/w32/environment.h"
#include "platform/w32/path.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/algo/sort.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

template <typename C>
bool is_dir_delim(C c) {
  return c == '\\' || c == '/';
}

// The rule of remove_dir_delim on the last character of a path (last, null for an empty
// path) and the one before it (before, null when there is none). A multibyte character
// is passed as its first unit with single false: it is never a delimiter.
template <typename C>
int drop_trailing_delim(C* last, bool last_single, const C* before, bool before_single,
                        int keep_root) {
  if (!last || !last_single || !is_dir_delim(*last)) return 0;
  if (keep_root) {
    if (!before) return 0;
    if (before_single && (is_dir_delim(*before) || *before == ':')) return 0;
  }
  *last = 0;
  return 1;
}

// The rule of add_dir_delim once the path's length and whether it ends with a
// delimiter are known; appends at path[length].
template <typename C>
int append_delim(C* path, std::size_t length, bool ends_with_delim, int maximum, C delimiter,
                 int allow_empty) {
  if (length == 0 && !allow_empty) return 0;
  if (ends_with_delim) return 0;
  if (maximum != -1 && static_cast<long>(length) >= static_cast<long>(maximum) - 1) {
    dbg_print_info("add_dir_delim", "max len of %d exceeded", maximum);
    return 0;
  }
  path[length] = delimiter;
  path[length + 1] = 0;
  return 1;
}

}  // namespace

int add_dir_delim(char* path, int maximum, char delimiter, int allow_empty) {
  if (!path) return 0;
  const char* last = nullptr;
  int last_length = 0;
  walk_name_chars(path, [&](char* p, int n) {
    last = p;
    last_length = n;
  });
  bool ends = last && last_length == 1 && is_dir_delim(*last);
  return append_delim(path, std::strlen(path), ends, maximum, delimiter, allow_empty);
}

int add_dir_w_delim(VynWchar* path, int maximum, VynWchar delimiter, int allow_empty) {
  if (!path) return 0;
  std::size_t length = 0;
  while (path[length]) ++length;
  bool ends = length > 0 && is_dir_delim(path[length - 1]);
  return append_delim(path, length, ends, maximum, delimiter, allow_empty);
}

const char* find_path_separator(const char* text) {
  if (!text) return nullptr;
  const char* found = nullptr;
  walk_name_chars(text, [&](const char* p, int n) {
    if (!found && n == 1 && (is_dir_delim(*p) || *p == '.' || *p == ']')) found = p;
  });
  return found ? found : text + std::strlen(text);
}

int remove_dir_delim(char* path, int keep_root) {
  if (!path) return 0;
  char* last = nullptr;
  char* before = nullptr;
  int last_length = 0;
  int before_length = 0;
  walk_name_chars(path, [&](char* p, int n) {
    before = last;
    before_length = last_length;
    last = p;
    last_length = n;
  });
  return drop_trailing_delim(last, last_length == 1, before, before_length == 1, keep_root);
}

int remove_dir_w_delim(VynWchar* path, int keep_root) {
  if (!path || !path[0]) return 0;
  VynWchar* last = path;
  while (last[1]) ++last;
  // A surrogate is never one of the delimiters, so each unit is tested on its own.
  return drop_trailing_delim(last, true, last > path ? last - 1 : nullptr, true, keep_root);
}


namespace {

template <typename C>
std::size_t text_length(const C* text) {
  std::size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// The start of the splitting parsers: every given output null, then the name's length
// into *n. False (the parse gives 11) for a null name or one of 261 characters or more,
// the latter reported for routine.
bool start_split(const VynWchar* name, VynWchar** const* outs, int count, const char* routine,
                 std::size_t* n) {
  for (int i = 0; i < count; ++i)
    if (outs[i]) *outs[i] = nullptr;
  if (!name) return false;
  *n = text_length(name);
  if (*n > static_cast<std::size_t>(VYN_NAME_MAX)) {
    dbg_print_info(routine, "Filename too long");
    return false;
  }
  return true;
}

// A name assembled from parts into a fixed buffer of VYN_NAME_MAX units; a part that
// would make it reach VYN_NAME_MAX characters marks it refused rather than cut it.
template <typename C>
struct NameBuilder {
  C text[VYN_NAME_MAX];
  std::size_t length = 0;
  bool refused = false;

  NameBuilder() { text[0] = 0; }
  void add(const C* part, std::size_t n) {
    if (refused) return;
    if (length + n >= static_cast<std::size_t>(VYN_NAME_MAX)) {
      refused = true;
      return;
    }
    for (std::size_t i = 0; i < n; ++i) text[length + i] = part[i];
    length += n;
    text[length] = 0;
  }
  void add(const C* part) {
    if (part) add(part, text_length(part));
  }
  void add(C c) { add(&c, 1); }
  void add_number(int number) {
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%d", number);
    for (int i = 0; i < n; ++i) add(static_cast<C>(digits[i]));
  }
  // Copies the name into out: 1, or 0 with out empty when refused.
  int put(C* out) const {
    if (refused) {
      out[0] = 0;
      return 0;
    }
    for (std::size_t i = 0; i <= length; ++i) out[i] = text[i];
    return 1;
  }
};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// The last whole single-byte character of a narrow text, null when empty or when the
// last character is multibyte.
const char* last_single_char(const char* text) {
  const char* last = nullptr;
  walk_name_chars(text, [&](const char* p, int n) { last = n == 1 ? p : nullptr; });
  return last;
}

bool ends_with_backslash(const char* text) {
  const char* last = last_single_char(text);
  return last && *last == '\\';
}

// The last single-byte '\\' of text, or null.
const char* last_backslash(const char* text) {
  const char* found = nullptr;
  walk_name_chars(text, [&](const char* p, int n) {
    if (n == 1 && *p == '\\') found = p;
  });
  return found;
}

template <typename C>
int put_last_dir_delim(const C* path, const C** position, int point_after, const C* found) {
  if (!found) {
    *position = path;
    return 0;
  }
  *position = point_after ? found + 1 : found;
  return 1;
}

struct AlwaysSingle {
  bool operator()(std::size_t) const { return true; }
};

}  // namespace

std::size_t file_part_offset(const VynWchar* name) {
  std::size_t start = 0;
  for (std::size_t i = 0; name[i]; ++i)
    if (is_dir_delim(name[i])) start = i + 1;
  return start;
}

int get_last_dir_delim(const char* path, const char** position, int colon_counts,
                       int point_after) {
  if (!path || !position) return 0;
  const char* found = nullptr;
  walk_name_chars(path, [&](const char* p, int n) {
    if (n == 1 && (is_dir_delim(*p) || (colon_counts && *p == ':'))) found = p;
  });
  return put_last_dir_delim(path, position, point_after, found);
}

int get_last_dir_w_delim(const VynWchar* path, const VynWchar** position, int colon_counts,
                         int point_after) {
  if (!path || !position) return 0;
  const VynWchar* found = nullptr;
  for (const VynWchar* p = path; *p; ++p)
    if (is_dir_delim(*p) || (colon_counts && *p == ':')) found = p;
  return put_last_dir_delim(path, position, point_after, found);
}

int extract_head_from_dir(const char* directory, char* out) {
  if (!directory || !out) return 0;
  std::size_t n = std::strlen(directory);
  std::memmove(out, directory, n + 1);
  if (ends_with_backslash(out)) out[--n] = '\0';
  const char* cut = last_backslash(out);
  if (!cut) {
    out[0] = '\0';
  } else if (cut == out) {
    out[1] = '\0';
  } else {
    out[cut - out] = '\0';
  }
  return 1;
}

int extract_tail_from_dir(char* directory, char* out) {
  if (!directory) return 0;
  if (ends_with_backslash(directory)) directory[std::strlen(directory) - 1] = '\0';
  if (out) {
    const char* cut = last_backslash(directory);
    const char* tail = cut ? cut + 1 : directory;
    std::memmove(out, tail, std::strlen(tail) + 1);
  }
  return 1;
}

int extract_relative_path(const char* base, const char* full, char* out) {
  if (!base || !full || !out) return 0;
  auto after_colon = [](const char* text) {
    const char* colon = nullptr;
    walk_name_chars(text, [&](const char* p, int n) {
      if (!colon && n == 1 && *p == ':') colon = p;
    });
    return colon ? colon + 1 : text;
  };
  base = after_colon(base);
  full = after_colon(full);
  if (!*full) return 0;
  if (!*base) {
    std::memmove(out, full, std::strlen(full) + 1);
    return 1;
  }
  std::size_t n = std::strlen(base);
  if (std::strncmp(full, base, n) != 0 || (full[n] != '\\' && full[n] != '\0')) return 0;
  const char* rest = full + n;
  while (*rest == '\\') ++rest;
  std::memmove(out, rest, std::strlen(rest) + 1);
  return 1;
}

int vyn_cat_dirs(const char* first, const char* second, char* out) {
  if (!out || !first) return 0;
  // Each part trimmed of blanks at both ends; blanks inside a name stay.
  auto trim = [](const char* text, std::size_t* n) {
    while (is_blank(*text)) ++text;
    std::size_t length = std::strlen(text);
    while (length > 0 && is_blank(text[length - 1])) --length;
    *n = length;
    return text;
  };
  std::size_t first_n = 0;
  std::size_t second_n = 0;
  const char* a = trim(first, &first_n);
  const char* b = second ? trim(second, &second_n) : nullptr;
  NameBuilder<char> name;
  if (!b) {
    name.add(first);
  } else if (second_n == 0) {
    name.add(a, first_n);
  } else if (first_n == 0) {
    name.add(b, second_n);
  } else {
    // One trailing '\\' of the first part goes, when it is a whole character.
    const char* last = nullptr;
    walk_name_chars(a, [&](const char* p, int n) {
      if (static_cast<std::size_t>(p - a) < first_n) last = n == 1 ? p : nullptr;
    });
    if (last && *last == '\\' && static_cast<std::size_t>(last - a) == first_n - 1) --first_n;
    if (*b == '\\') {
      ++b;
      --second_n;
    }
    name.add(a, first_n);
    name.add('\\');
    name.add(b, second_n);
  }
  return name.put(out);
}

int vyn_cat_path(const char* directory, const char* name, char* out) {
  if (!directory || !name || !out) return 0;
  NameBuilder<char> full;
  full.add(directory);
  if (!ends_with_backslash(directory)) full.add('\\');
  full.add(name);
  return full.put(out);
}

int has_invalid_filename_chars(const char* name) {
  if (!name) return 0;
  int found = 0;
  walk_name_chars(name, [&](const char* p, int n) {
    if (n == 1 && *p && std::strchr("\\/:*?\"<>|", *p)) found = 1;
  });
  return found;
}

int is_special_filename_char(VynWchar c) {
  // The table of characters that make a name need parsing (some listed twice); the
  // lookup bytes are built from it once.
  static const char kSpecial[] = ".@;/[]\\$<>-~|!():.;/\\<>-|";
  static unsigned char lookup[127];
  static bool built = false;
  if (!built) {
    for (const char* p = kSpecial; *p; ++p) lookup[static_cast<unsigned char>(*p)] = 1;
    built = true;
  }
  return c < 127 && lookup[c] ? 1 : 0;
}

int string_has_special_chars(const VynWchar* name) {
  if (!name) return 0;
  for (; *name; ++name)
    if (is_special_filename_char(*name)) return 1;
  return 0;
}

int parse_os_filename(const VynWchar* name, VynWchar** directory, VynWchar** base,
                      VynWchar** extension, VynWchar** version) {
  static VynWchar parts[4][VYN_NAME_MAX + 1];
  VynWchar** outs[4] = {directory, base, extension, version};
  std::size_t n = 0;
  if (!start_split(name, outs, 4, "parse_os_filename", &n)) return 11;
  std::size_t file = file_part_offset(name);
  const VynWchar* part = name + file;
  std::size_t part_n = n - file;
  FilePartSplit split = split_file_part(part, part_n, AlwaysSingle{});
  if (split.has_version &&
      !is_version_text(part + split.version_begin, part_n - split.version_begin))
    split = FilePartSplit{part_n, part_n, part_n, part_n, false, false};
  put_name_parts(name, n, file, split, parts, outs);
  return 0;
}

int filename_extract_gen_and_inst(const VynWchar* name, VynWchar* rest, VynWchar* generic) {
  static VynWchar scratch_rest[VYN_NAME_MAX + 1];
  static VynWchar scratch_generic[VYN_NAME_MAX + 1];
  if (!rest) rest = scratch_rest;
  if (!generic) generic = scratch_generic;
  rest[0] = 0;
  generic[0] = 0;
  if (!name) return 11;
  std::size_t n = text_length(name);
  if (n > static_cast<std::size_t>(VYN_NAME_MAX)) return 11;
  std::size_t file = file_part_offset(name);
  std::size_t open = n;
  for (std::size_t i = file; i < n; ++i)
    if (name[i] == '<') {
      open = i;
      break;
    }
  if (open == n) {
    std::memcpy(rest, name, (n + 1) * sizeof(VynWchar));
    return 0;
  }
  std::size_t close = n;
  for (std::size_t i = open + 1; i < n; ++i)
    if (name[i] == '>') {
      close = i;
      break;
    }
  if (close == n) return 11;
  std::memcpy(generic, name + open + 1, (close - open - 1) * sizeof(VynWchar));
  generic[close - open - 1] = 0;
  std::size_t k = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (i < open || i > close) rest[k++] = name[i];
  rest[k] = 0;
  for (std::size_t i = 0; i < k; ++i)
    if (rest[i] == '>') {
      rest[0] = 0;
      generic[0] = 0;
      return 11;
    }
  return 0;
}

int is_family_name(const VynWchar* name) {
  if (!name) return 0;
  const VynWchar* p = name + file_part_offset(name);
  for (; *p; ++p)
    if (*p == '<') {
      for (const VynWchar* q = p + 1; *q; ++q)
        if (*q == '>') return 1;
      return 0;
    }
  return 0;
}

// ---- Splitting names through a handle

namespace {

// Longest base name: one less than the family-name size.
constexpr std::size_t BASE_NAME_MAX = 66;
constexpr std::size_t PARSE_NARROW_ROOM = wstostr_room(VYN_NAME_MAX);

// The handle that parse_filename names; it belongs to the memory pools.
VynFile* parse_handle;

// Copies n units of text into part and points *out at it when out is given and n > 0.
void put_part(VynWchar* part, const VynWchar* text, std::size_t n, VynWchar** out) {
  std::memcpy(part, text, n * sizeof(VynWchar));
  part[n] = 0;
  if (out && n > 0) *out = part;
}

// A component of the handle, widened into part (VYN_NAME_MAX + 1 units).
void put_component(const VynFile* file, int c, VynWchar* part, VynWchar** out) {
  char narrow[PFA_NAME_SIZE + 1];
  if (pfa_get_component(file, c, narrow, static_cast<int>(sizeof narrow)) != PFA_E_NO_ERROR)
    narrow[0] = '\0';
  strtows_bounded(part, VYN_NAME_MAX + 1, narrow);
  if (out && part[0]) *out = part;
}

// The bracket rule of the weak check: the first '>' of the name closes the file part's
// first '<'.
bool bracket_closes_first(const VynWchar* name) {
  std::size_t file = file_part_offset(name);
  const VynWchar* open = nullptr;
  for (const VynWchar* p = name + file; *p; ++p)
    if (*p == '<') {
      open = p;
      break;
    }
  if (!open) return true;
  for (const VynWchar* p = name; *p; ++p)
    if (*p == '>') return p > open;
  return true;
}

int generic_parse(const VynWchar* name, VynWchar** location, VynWchar** instance,
                  VynWchar** generic, VynWchar** extension, VynWchar** version, bool weak) {
  static VynWchar generic_part[VYN_NAME_MAX + 1];
  static VynWchar base_part[VYN_NAME_MAX + 1];
  VynWchar** outs[5] = {location, instance, generic, extension, version};
  for (VynWchar** o : outs)
    if (o) *o = nullptr;
  if (!name || text_length(name) > static_cast<std::size_t>(VYN_NAME_MAX)) return 11;
  if (!string_has_special_chars(name)) {
    put_part(generic_part, name, text_length(name), generic);
    return 0;
  }
  if (weak && !bracket_closes_first(name)) return 11;
  VynWchar rest[VYN_NAME_MAX + 1];
  VynWchar bracketed[VYN_NAME_MAX + 1];
  if (filename_extract_gen_and_inst(name, rest, bracketed) != 0) return 11;
  VynWchar* base = nullptr;
  if (string_has_special_chars(rest)) {
    int result = parse_filename(rest, location, &base, extension, version);
    if (result != 0 || !base) return result;
  } else {
    put_part(base_part, rest, text_length(rest), &base);
    if (!base) return 0;
  }
  // An empty bracket ("a<>") still makes the base name the instance: it has no generic.
  if (text_length(rest) < text_length(name)) {
    if (instance) *instance = base;
    put_part(generic_part, bracketed, text_length(bracketed), generic);
  } else {
    put_part(generic_part, base, text_length(base), generic);
  }
  return 0;
}

// Copies text (null: empty) into out of size units, cut to fit; out may be null.
void copy_cut(VynWchar* out, int size, const VynWchar* text) {
  if (!out) return;
  int n = 0;
  if (text)
    for (; n + 1 < size && text[n]; ++n) out[n] = text[n];
  out[n] = 0;
}

}  // namespace

int parse_filename(const VynWchar* name, VynWchar** location, VynWchar** base,
                   VynWchar** extension, VynWchar** version) {
  static VynWchar parts[4][VYN_NAME_MAX + 1];
  VynWchar** outs[4] = {location, base, extension, version};
  std::size_t n = 0;
  if (!start_split(name, outs, 4, "parse_filename", &n)) return 11;
  // "location||rest": the text through "||" is the location, named by no handle.
  std::size_t explicit_end = 0;
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (name[i] == '|' && name[i + 1] == '|') {
      explicit_end = i + 2;
      break;
    }
  char narrow[PARSE_NARROW_ROOM];
  if (wstostr_bounded(narrow, sizeof narrow, name + explicit_end) != 0) return 11;
  if (!parse_handle && pfa_alloc_vyn_file(&parse_handle) != PFA_E_NO_ERROR) return 11;
  if (parse_to_pfa(parse_handle, -1, narrow) != PFA_E_NO_ERROR) return 11;

  VynWchar* found[4] = {};
  char location_text[PFA_NAME_SIZE + 1];
  if (pfa_get_location(parse_handle, location_text, nullptr) == PFA_E_NO_ERROR &&
      location_text[0]) {
    strtows_bounded(parts[0], VYN_NAME_MAX + 1, location_text);
    found[0] = parts[0];
  }
  if (static_cast<std::size_t>(pfa_component_length(parse_handle, PFA_COMP_BASE_NAME)) >
      BASE_NAME_MAX) {
    dbg_print_info("parse_filename", "filename length > K_FAMILY_NAME_SIZE");
    return 11;
  }
  put_component(parse_handle, PFA_COMP_BASE_NAME, parts[1], &found[1]);
  if (!pfa_is_dir(parse_handle))
    put_component(parse_handle, PFA_COMP_EXTENSION, parts[2], &found[2]);
  int number = pfa_get_version(parse_handle);
  if (number != 0) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", number);
    strtows_bounded(parts[3], VYN_NAME_MAX + 1, text);
    found[3] = parts[3];
  }
  if (pfa_get_obj_type(parse_handle) == PFA_TYPE_UNKNOWN && !found[2] && found[1]) {
    // A name of no known type keeps the grammar's split of its file part.
    VynWchar whole[VYN_NAME_MAX + 1];
    wscpy(whole, parts[1]);
    VynWchar *b = nullptr, *e = nullptr, *v = nullptr;
    parse_os_filename(whole, nullptr, &b, &e, &v);
    VynWchar* split[3] = {b, e, v};
    for (int i = 0; i < 3; ++i) {
      found[i + 1] = nullptr;
      if (split[i]) put_part(parts[i + 1], split[i], text_length(split[i]), &found[i + 1]);
    }
  }
  if (explicit_end > 0) {
    if (found[0]) {
      dbg_err_crash("parse_filename", " bad filename.");
      return 11;
    }
    put_part(parts[0], name, explicit_end, &found[0]);
  }
  for (int i = 0; i < 4; ++i)
    if (outs[i]) *outs[i] = found[i];
  return 0;
}

int generic_parse_filename(const VynWchar* name, VynWchar** location, VynWchar** instance,
                           VynWchar** generic, VynWchar** extension, VynWchar** version) {
  return generic_parse(name, location, instance, generic, extension, version, false);
}

int generic_parse_filename_weak_check(const VynWchar* name, VynWchar** location,
                                      VynWchar** instance, VynWchar** generic,
                                      VynWchar** extension, VynWchar** version) {
  return generic_parse(name, location, instance, generic, extension, version, true);
}

int parse_filename_buffer(const VynWchar* name, VynWchar* location, VynWchar* base,
                          VynWchar* extension, VynWchar* version) {
  VynWchar* parts[4] = {};
  int result = parse_filename(name, &parts[0], &parts[1], &parts[2], &parts[3]);
  copy_cut(location, PARSE_LOCATION_SIZE, parts[0]);
  copy_cut(base, PARSE_BASE_SIZE, parts[1]);
  copy_cut(extension, PARSE_EXTENSION_SIZE, parts[2]);
  copy_cut(version, PARSE_VERSION_SIZE, parts[3]);
  return result;
}

int generic_parse_filename_buffer(const VynWchar* name, VynWchar* location,
                                  VynWchar* instance, VynWchar* generic, VynWchar* extension,
                                  VynWchar* version) {
  VynWchar* parts[5] = {};
  int result =
      generic_parse_filename(name, &parts[0], &parts[1], &parts[2], &parts[3], &parts[4]);
  copy_cut(location, PARSE_LOCATION_SIZE, parts[0]);
  copy_cut(instance, GENERIC_PARSE_INSTANCE_SIZE, parts[1]);
  copy_cut(generic, GENERIC_PARSE_GENERIC_SIZE, parts[2]);
  copy_cut(extension, GENERIC_PARSE_EXTENSION_SIZE, parts[3]);
  copy_cut(version, PARSE_VERSION_SIZE, parts[4]);
  return result;
}

int get_gen_name(const VynWchar* name, VynWchar* out) {
  if (out) out[0] = 0;
  VynWchar *location = nullptr, *generic = nullptr, *extension = nullptr, *version = nullptr;
  int result = generic_parse_filename(name, &location, nullptr, &generic, &extension, &version);
  if (result != 0) return result;
  if (!generic) return 4;
  if (!out) return 11;
  // The parts live in the parsers' static buffers: copy them before building.
  VynWchar parts[3][VYN_NAME_MAX + 1];
  const VynWchar* given[3] = {location, generic, extension};
  for (int i = 0; i < 3; ++i) copy_cut(parts[i], VYN_NAME_MAX + 1, given[i]);
  int number = version ? watoi(version) : 0;
  if (!vyn_cat_full_path_name_ext(nullptr, nullptr, parts[0], parts[1], parts[2], number, out))
    return 11;
  return 0;
}

int filepath_is_local(const VynWchar* name) {
  char narrow[PARSE_NARROW_ROOM];
  if (!name || wstostr_bounded(narrow, sizeof narrow, name) != 0) return 0;
  VynFile* file = nullptr;
  if (pfa_alloc_vyn_file(&file) != PFA_E_NO_ERROR) return 0;
  int local = parse_to_pfa(file, -1, narrow) == PFA_E_NO_ERROR && pfa_is_local(file) == 1;
  pfa_free_vyn_file(&file);
  return local;
}

int make_family_fullname_low(const VynWchar* directory, const VynWchar* instance,
                             const VynWchar* generic, const VynWchar* extension,
                             const VynWchar* version, VynWchar* out) {
  if (!out) return 92;
  NameBuilder<VynWchar> name;
  if (directory && directory[0]) {
    name.add(directory);
    std::size_t n = name.length;
    if (n > 0 && !is_dir_delim(name.text[n - 1])) name.add(u'\\');
  }
  bool both = instance && instance[0] && generic && generic[0];
  bool same = both && wscmp(instance, generic) == 0;
  if (both && !same) {
    name.add(instance);
    name.add(u'<');
    name.add(generic);
    name.add(u'>');
  } else if (same || !(instance && instance[0])) {
    name.add(generic);
  } else {
    name.add(instance);
  }
  if (extension && extension[0]) {
    name.add(u'.');
    name.add(extension);
  }
  if (version && version[0]) {
    name.add(u'.');
    name.add(version);
  }
  return name.put(out) ? 0 : 1;
}

int make_family_name(const VynWchar* instance, const VynWchar* generic, VynWchar* out) {
  return make_family_fullname_low(nullptr, instance, generic, nullptr, nullptr, out);
}

int make_family_name_w_ext(const VynWchar* instance, const VynWchar* generic, int object_type,
                           VynWchar* out) {
  const VynWchar* extension = object_type == -1 ? nullptr : object_extension(object_type);
  return make_family_fullname_low(nullptr, instance, generic, extension, nullptr, out);
}

namespace {

// The location's text in its normal form into out (VYN_NAME_MAX units): one that ends in
// a delimiter as it stands, any other (a device, a data-management prefix) as a handle
// of the location type reads it back. false when it cannot be formed.
bool normal_location(const VynWchar* location, int location_type, VynWchar* out) {
  out[0] = 0;
  std::size_t n = location ? text_length(location) : 0;
  if (n == 0) return true;
  if (n >= static_cast<std::size_t>(VYN_NAME_MAX)) return false;
  if (location[n - 1] == '\\' || location[n - 1] == '/') {
    std::memcpy(out, location, (n + 1) * sizeof(VynWchar));
    return true;
  }
  char narrow[wstostr_room(VYN_NAME_MAX)];
  char formed[PFA_NAME_SIZE];
  VynFile* handle = nullptr;
  bool made = wstostr_bounded(narrow, sizeof narrow, location) == 0 &&
              pfa_alloc_vyn_file(&handle) == PFA_E_NO_ERROR &&
              pfa_put_location(handle, narrow, location_type) == PFA_E_NO_ERROR &&
              pfa_get_location(handle, formed, nullptr) == PFA_E_NO_ERROR &&
              strtows_bounded(out, VYN_NAME_MAX, formed) == 0;
  pfa_free_vyn_file(&handle);
  return made;
}

}  // namespace

int vyn_cat_location_name_ext(const VynWchar* location, int location_type,
                              const VynWchar* name, const VynWchar* extension, int version,
                              VynWchar* out) {
  VynWchar place[VYN_NAME_MAX];
  if (!out || !name || !normal_location(location, location_type, place)) {
    if (out) out[0] = 0;
    return 0;
  }
  // name may be out itself: the builder reads it before out is written.
  NameBuilder<VynWchar> full;
  full.add(place);
  full.add(name);
  if (extension && extension[0]) {
    full.add(u'.');
    full.add(extension);
  }
  if (version != 0) {
    full.add(u'.');
    full.add_number(version);
  }
  return full.put(out);
}

int vyn_cat_location_name(const VynWchar* location, int location_type, const VynWchar* name,
                          int version, VynWchar* out) {
  return vyn_cat_location_name_ext(location, location_type, name, nullptr, version, out);
}

int vyn_cat_full_path_name(const VynWchar* host, const VynWchar* device, const VynWchar* path,
                           const VynWchar* name, int version, VynWchar* out) {
  auto empty = [](const VynWchar* t) { return !t || !t[0]; };
  if (empty(host) && empty(device))
    return vyn_cat_location_name(path, -1, name ? name : u"", version, out);
  if (!out) return 0;
  dbg_err_syserr("vyn_cat_full_path_name", "called with non-NULL device or host");
  return cat_full_path_parts(host, device, path, name, version, u"$", out);
}

int cat_full_path_parts(const VynWchar* host, const VynWchar* device, const VynWchar* path,
                        const VynWchar* name, int version, const VynWchar* share_mark,
                        VynWchar* out) {
  auto empty = [](const VynWchar* t) { return !t || !t[0]; };
  if (!out) return 0;
  out[0] = 0;
  if (!name) name = u"";
  NameBuilder<VynWchar> full;
  std::size_t path_n = path ? text_length(path) : 0;
  if (empty(path) && empty(host) && empty(device)) {
    full.add(name);
  } else if (path_n > 2 && path[path_n - 1] == '|' && path[path_n - 2] == '|') {
    full.add(path);
    full.add(name);
  } else {
    VynWchar drive[VYN_NAME_MAX] = {};
    VynWchar where[VYN_NAME_MAX + 1] = {};
    VynWchar current[VYN_NAME_MAX + 1] = {};
    auto current_directory = [&]() {
      w32::DWORD n = w32::GetCurrentDirectoryW(VYN_NAME_MAX, current);
      return n > 0 && n < static_cast<w32::DWORD>(VYN_NAME_MAX) && current[1] == ':';
    };
    if (!empty(device)) {
      NameBuilder<VynWchar> d;
      d.add(device);
      if (!d.put(drive)) return 0;
    } else {
      // No device: the current drive, in lower case.
      if (!current_directory()) return 0;
      drive[0] = wlowercase(current[0]);
      drive[1] = 0;
    }
    // The place: a path beginning with '\\' as given; an empty one is the current
    // directory; any other is made full, and its drive becomes the drive.
    if (!empty(path) && path[0] == '\\') {
      NameBuilder<VynWchar> p;
      p.add(path);
      if (!p.put(where)) return 0;
    } else if (empty(path)) {
      if (!current_directory()) return 0;
      wscpy(where, current + 2);
    } else {
      if (!w32::w32_full_path_name(path, current, VYN_NAME_MAX) || current[1] != ':') return 0;
      drive[0] = current[0];
      drive[1] = 0;
      wscpy(where, current + 2);
    }
    std::size_t where_n = text_length(where);
    bool ends = where_n > 0 && where[where_n - 1] == '\\';
    if (!empty(host)) {
      full.add(u"\\\\");
      full.add(host);
      full.add(u'\\');
      full.add(drive);
      full.add(share_mark);
    } else {
      full.add(drive);
      full.add(u':');
    }
    full.add(where);
    if (!ends) full.add(u'\\');
    full.add(name);
  }
  if (version != 0) {
    full.add(u'.');
    full.add_number(version);
  }
  return full.put(out);
}

int vyn_cat_full_path_name_ext(const VynWchar* host, const VynWchar* device,
                               const VynWchar* path, const VynWchar* name,
                               const VynWchar* extension, int version, VynWchar* out) {
  auto empty = [](const VynWchar* t) { return !t || !t[0]; };
  if (empty(host) && empty(device))
    return vyn_cat_location_name_ext(path, -1, name, extension, version, out);
  NameBuilder<VynWchar> joined;
  joined.add(name);
  if (!empty(extension)) {
    joined.add(u'.');
    joined.add(extension);
  }
  VynWchar file[VYN_NAME_MAX];
  if (!joined.put(file)) {
    if (out) out[0] = 0;
    return 0;
  }
  return vyn_cat_full_path_name(host, device, path, file, version, out);
}

// ---- The directory-listing arena

namespace {

constexpr int DIRENT_HEADER = 2;

struct Arena {
  unsigned char* block[VYN_DIRENT_BLOCKS];
  int current;         // block in use
  std::size_t used;    // bytes used of it
};
Arena arena;

// The bytes an entry of a name of n bytes takes: length, name, terminator.
std::size_t dirent_size(std::size_t n) { return DIRENT_HEADER + n + 1; }

// Puts an entry of the n bytes of name into the arena, in the current block or, when
// it does not fit there, in the next one that holds it.
VynDirent* arena_add(const char* name, std::size_t n) {
  if (n > 0xFFFF) return nullptr;
  std::size_t size = dirent_size(n);
  while (!arena.block[arena.current] ||
         arena.used + size > static_cast<std::size_t>(rule_for_allocate(arena.current))) {
    if (arena.block[arena.current]) {
      if (arena.current + 1 >= VYN_DIRENT_BLOCKS) {
        vyn_printf("allocate_vyn_dirent:Directory too large !\n");
        free_vyn_dirent();
        return nullptr;
      }
      ++arena.current;
      arena.used = 0;
    }
    if (!arena.block[arena.current])
      arena.block[arena.current] = static_cast<unsigned char*>(
          getmem(static_cast<std::size_t>(rule_for_allocate(arena.current))));
  }
  unsigned char* entry = arena.block[arena.current] + arena.used;
  entry[0] = static_cast<unsigned char>(n & 0xFF);
  entry[1] = static_cast<unsigned char>(n >> 8);
  std::memcpy(entry + DIRENT_HEADER, name, n);
  entry[DIRENT_HEADER + n] = 0;
  arena.used += size;
  return reinterpret_cast<VynDirent*>(entry);
}

const unsigned char* bytes_of(const VynDirent* entry) {
  return reinterpret_cast<const unsigned char*>(entry);
}

}  // namespace

int vyn_dirent_length(const VynDirent* entry) {
  const unsigned char* b = bytes_of(entry);
  return b[0] | b[1] << 8;
}

const char* vyn_dirent_name(const VynDirent* entry) {
  return reinterpret_cast<const char*>(bytes_of(entry) + DIRENT_HEADER);
}

int rule_for_allocate(int k) { return (k + 1) * 5000 + (k == 1 ? 1 : 0); }

int free_vyn_dirent() {
  for (int k = 1; k < VYN_DIRENT_BLOCKS; ++k) relmem(&arena.block[k]);
  arena.current = 0;
  arena.used = 0;
  return 0;
}

VynDirent* allocate_vyn_dirent(const VynDirent* entry) {
  if (!entry) return nullptr;
  return arena_add(vyn_dirent_name(entry), static_cast<std::size_t>(vyn_dirent_length(entry)));
}

VynDirent* create_vyn_dirent(const char* name) {
  if (!name) return nullptr;
  return arena_add(name, std::strlen(name));
}

VynDirent* create_vyn_dirent_w(const VynWchar* name) {
  if (!name) return nullptr;
  char narrow[wstostr_room(VYN_NAME_MAX)];
  wstostr_bounded(narrow, sizeof narrow, name);
  return create_vyn_dirent(narrow);
}

VynDirent** vyn_dirent_insert(VynDirent*** list, int position, VynDirent* entry) {
  if (!list) return nullptr;
  if (!*list) *list = static_cast<VynDirent**>(xar_alloc(0, sizeof(VynDirent*), 10));
  int count = xar_count(list);
  if (position < 0) position = 0;
  if (position > count) position = count;
  xar_insert(list, position, 1, &entry);
  return *list;
}

VynDirent** vyn_dirent_append(VynDirent*** list, int at_end, VynDirent* entry) {
  if (!list) return nullptr;
  return vyn_dirent_insert(list, at_end ? xar_count(list) : 0, entry);
}

void copy_dirent_name(VynWchar* out, const VynDirent* entry) {
  if (!out) return;
  out[0] = 0;
  if (entry) strtows_bounded(out, VYN_NAME_MAX, vyn_dirent_name(entry));
}

int vyn_get_fdlimit() { return 64; }

namespace {

// The entries of the open directory dir into *entries (the filter's directory text
// is dir_text): 0 at the end of the listing; a read that fails otherwise (a listing that
// broke off, a name that does not parse) or an arena that is full gives 1.
int read_entries(VynFile* dir, const VynWchar* dir_text, VynDirFilter filter, void* argument1,
                 void* argument2, VynDirent*** entries) {
  VynFile* entry = nullptr;
  if (pfa_alloc_vyn_file(&entry) != PFA_E_NO_ERROR) return PFA_E_ERROR;
  int result = PFA_E_NO_ERROR;
  while ((result = pfa_read_dir(dir, entry)) == PFA_E_NO_ERROR) {
    char narrow[PFA_NAME_SIZE];
    VynWchar name[VYN_NAME_MAX + 1];
    if (pfa_get_file_name(entry, PFA_MASK_NAME | PFA_MASK_EXTENSION | PFA_MASK_VERSION,
                          narrow) != PFA_E_NO_ERROR ||
        strtows_bounded(name, VYN_NAME_MAX + 1, narrow) != 0) {
      result = PFA_E_INVALID_NAME;
      break;
    }
    if (text_length(name) < 74) remove_dir_w_delim(name, 0);
    if (filter && !filter(dir_text, name, argument1, argument2)) continue;
    VynDirent* made = create_vyn_dirent_w(name);
    if (!made) {
      result = PFA_E_ERROR;
      break;
    }
    xar_append(entries, 1, &made);
  }
  pfa_free_vyn_file(&entry);
  return result == PFA_E_QUIT ? PFA_E_NO_ERROR : PFA_E_ERROR;
}

}  // namespace

int vyn_scandir(const VynWchar* directory, VynDirent*** list, VynDirFilter filter,
                VynDirCompare compare, void* argument1, void* argument2) {
  free_vyn_dirent();
  if (!list) return -1;
  xar_free(list);
  *list = nullptr;
  if (!directory) return -1;
  VynWchar dir_text[VYN_NAME_MAX + 2];
  if (text_length(directory) >= static_cast<std::size_t>(VYN_NAME_MAX)) return -1;
  wscpy(dir_text, directory);
  add_dir_w_delim(dir_text, VYN_NAME_MAX, u'\\', 1);
  // A directory that is not there is no empty one.
  VynFile* dir = pfa_alloc_wdir(dir_text);
  if (!dir || !pfa_access_quiet(dir, 0) || pfa_open_dir(dir) != PFA_E_NO_ERROR) {
    pfa_free_vyn_file(&dir);
    return -1;
  }
  VynDirent** entries = static_cast<VynDirent**>(xar_alloc(0, sizeof(VynDirent*), 10));
  int read = read_entries(dir, dir_text, filter, argument1, argument2, &entries);
  pfa_close(dir);
  pfa_free_vyn_file(&dir);
  int count = xar_count(&entries);
  // A listing that broke off is no listing: the caller would take the names it misses
  // for files that do not exist.
  if (read != PFA_E_NO_ERROR || count == 0) {
    xar_free(&entries);
    free_vyn_dirent();
    return read != PFA_E_NO_ERROR ? -1 : 0;
  }
  if (compare) sort_pointers(count, compare, reinterpret_cast<void**>(entries));
  *list = entries;
  return count;
}

void fnstring_testing_reset() {
  // The handle's record goes with the memory pools.
  parse_handle = nullptr;
  free_vyn_dirent();
  relmem(&arena.block[0]);
}

}  // namespace vek
