// ASCII case folding: the only folding the stand-in applies to names (paths, registry
// keys and values). Other characters compare as they stand. And the path delimiters and
// the blanks of a command line.
#pragma once

#include <cstddef>

namespace w32 {

inline char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char16_t ascii_lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The blanks that separate the words of a command line: space and tab.
template <typename Char>
inline bool is_blank(Char c) {
  return c == Char(' ') || c == Char('\t');
}

// Windows names take either slash between their parts.
inline bool is_path_delimiter(char c) { return c == '\\' || c == '/'; }

// Whether the first length bytes of a and b agree with ASCII letters folded. Stops at
// the first difference, so a shorter terminated b is never read past its end.
inline bool equal_ascii_folded(const char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

}  // namespace w32
