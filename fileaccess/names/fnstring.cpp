#include "fileaccess/names/fnstring.h"

#include <cstring>

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

}  // namespace

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
