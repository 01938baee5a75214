// Small text templates shared by the narrow and the wide string functions: length,
// bounded copies and substring search.
#pragma once

#include <cstddef>
#include <cstring>

#include "runtime/vekbase.h"

namespace vek {

// ASCII character tests that stay the same whatever the C library's locale.
inline bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// Reads decimal digits at *p (moving it past them) into a value that saturates at
// limit + 1, so that any count above limit is seen as too big.
long read_bounded_number(const char** p, long limit);

// Characters of s before its terminator.
template <typename Ch>
int text_length(const Ch* s) {
  if constexpr (sizeof(Ch) == 1) {
    return static_cast<int>(std::strlen(s));
  } else {
    int n = 0;
    while (s[n]) ++n;
    return n;
  }
}

// Copy and cut: at most size - 1 characters of src (null: none) into dst of size
// characters (size >= 1), always terminated. 1 when src was cut, else 0.
template <typename Ch>
int copy_cut(Ch* dst, const Ch* src, std::size_t size) {
  std::size_t n = 0;
  if (src)
    for (; n < size - 1 && src[n]; ++n) dst[n] = src[n];
  dst[n] = 0;
  return src && src[n] ? 1 : 0;
}

// Copy if it fits: src into dst when it fits in size characters (size >= 1) with its
// terminator (0); otherwise dst is emptied (1). A null src empties dst (0). src may
// overlap dst.
template <typename Ch>
int copy_if_fits(const Ch* src, int size, Ch* dst) {
  int length = src ? text_length(src) : 0;
  if (!src || length > size - 1) {
    dst[0] = 0;
    return src ? 1 : 0;
  }
  std::memmove(dst, src, (static_cast<std::size_t>(length) + 1) * sizeof(Ch));
  return 0;
}

// Capitalises the words of src into dst: the first character of each run of word
// characters through upper, the rest through lower, the others copied; dst is
// terminated.
template <typename Ch, typename IsWord, typename Upper, typename Lower>
void capitalise_words(const Ch* src, Ch* dst, IsWord is_word, Upper upper, Lower lower) {
  bool in_word = false;
  for (; *src; ++src, ++dst) {
    if (is_word(*src)) {
      *dst = in_word ? lower(*src) : upper(*src);
      in_word = true;
    } else {
      *dst = *src;
      in_word = false;
    }
  }
  *dst = 0;
}

// A text being built: size bytes at text, length of them used (terminator not counted).
// The text starts in storage of the owner's (static or on the stack) and moves into a
// memory block when it must grow.
struct TextBuffer {
  char* text;
  int size;
  int length;
  bool in_block;
};

// Makes room for need bytes, keeping the text; false when need exceeds limit.
bool text_reserve(TextBuffer* buffer, long need, long limit);
// Releases the memory block, if any; the buffer then has no storage.
void text_release(TextBuffer* buffer);

// Index of the first occurrence of sub in s with both sides taken through map, or -1
// (also for a null argument or an empty s). An empty sub is found at 0.
template <typename Ch, typename Map>
int find_mapped(const Ch* s, const Ch* sub, Map map) {
  if (!s || !sub || !*s) return -1;
  for (int i = 0; s[i]; ++i) {
    int k = 0;
    while (sub[k] && s[i + k] && map(s[i + k]) == map(sub[k])) ++k;
    if (sub[k] == 0) return i;
    if (s[i + k] == 0) return -1;  // the rest of s is shorter than sub
  }
  return -1;
}

}  // namespace vek
