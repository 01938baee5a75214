#include "fileaccess/names/fnstring.h"

#include <cstring>

#include "runtime/diag/diag.h"

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

}  // namespace vek
