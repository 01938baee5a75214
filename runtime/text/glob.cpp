#include "runtime/text/glob.h"

namespace vek {

namespace {

// Results of matching a pattern's rest. kExhausted is a failure that also holds for
// every later start position in the string: a '*' tried every position up to the
// terminator, or a '?' after it ran out of string. An enclosing '*' then need not try
// its further positions, which keeps patterns with many stars from taking exponential
// time. It is only passed up across a stretch of pattern that consumes a fixed number
// of characters (no '{' group), since only then does a later start reach the inner '*'
// later too.
constexpr int kNoMatch = 0;
constexpr int kMatch = 1;
constexpr int kExhausted = -1;

// Range ends compare by character code: bytes as signed values, wide characters as
// unsigned 16-bit values.
inline int code_of(char c) { return static_cast<signed char>(c); }
inline int code_of(VynWchar c) { return c; }

// Matches one character ch against the set whose text begins at p (just after '[').
// Returns the pattern position after the closing ']', or null when ch is not taken by
// the set, when ch is the terminator, or when the pattern ends inside the set.
template <typename Ch>
const Ch* match_set(const Ch* p, Ch ch) {
  if (ch == 0) return nullptr;
  bool negate = false;
  if (*p == '!') {
    negate = true;
    ++p;
  }
  bool found = false;
  // The first member is never the closing bracket, so "[]]" is the set of ']'.
  for (bool first = true;; first = false) {
    Ch lo = *p;
    if (lo == 0) return nullptr;
    if (lo == ']' && !first) break;
    if (lo == '\\') {
      lo = *++p;
      if (lo == 0) return nullptr;
    }
    ++p;
    Ch hi = lo;
    // A '-' right before the closing bracket is a member of its own.
    if (*p == '-' && p[1] != ']' && p[1] != 0) {
      hi = p[1];
      p += 2;
      if (hi == '\\') {
        hi = *p;
        if (hi == 0) return nullptr;
        ++p;
      }
    }
    if (code_of(lo) <= code_of(ch) && code_of(ch) <= code_of(hi)) found = true;
  }
  return found != negate ? p + 1 : nullptr;
}

// Matches the alternatives whose text begins at p (just after '{') at *s. The first
// alternative that equals the next characters is consumed: *s moves past it and the
// pattern position after the closing '}' is returned. Null when none matches, when the
// string ends inside an alternative (later ones are not tried) or when the pattern ends
// inside the group.
template <typename Ch>
const Ch* match_alternatives(const Ch* p, const Ch** s) {
  for (;;) {
    const Ch* t = *s;
    for (;; ++p, ++t) {
      if (*p == 0) return nullptr;
      if (*p == ',' || *p == '}') {
        while (*p != '}') {
          if (*p == 0) return nullptr;
          ++p;
        }
        *s = t;
        return p + 1;
      }
      if (*t == 0) return nullptr;
      if (*t != *p) break;
    }
    while (*p != ',') {
      if (*p == 0 || *p == '}') return nullptr;
      ++p;
    }
    ++p;
  }
}

template <typename Ch>
int match_after_star(const Ch* p, const Ch* s, bool glob);

// Matches pattern p against the string from s to its end. glob selects the full glob
// grammar; without it only '*' and '?' are special (a user filter). leading_dot applies
// at s, which is then the string's first character.
template <typename Ch>
int match_here(const Ch* p, const Ch* s, bool leading_dot, bool glob) {
  const Ch* const first = s;
  bool fixed_width = true;
  for (;;) {
    Ch c = *p;
    if (c == 0) return *s == 0 ? kMatch : kNoMatch;
    if (c == '*') {
      if (leading_dot && s == first && *s == '.') return kNoMatch;
      int r = match_after_star(p + 1, s, glob);
      return r == kExhausted && !fixed_width ? kNoMatch : r;
    }
    if (c == '?') {
      if (*s == 0) return kNoMatch;
      if (leading_dot && s == first && *s == '.') return kNoMatch;
      ++p;
      ++s;
      continue;
    }
    if (glob && c == '[') {
      p = match_set(p + 1, *s);
      if (!p) return kNoMatch;
      ++s;
      continue;
    }
    if (glob && c == '{') {
      fixed_width = false;
      p = match_alternatives(p + 1, &s);
      if (!p) return kNoMatch;
      continue;
    }
    if (glob && c == '\\') {
      // A lone backslash at the pattern's end matches nothing.
      c = *++p;
      if (c == 0) return kNoMatch;
    }
    if (*s != c) return kNoMatch;
    ++p;
    ++s;
  }
}

// p is the pattern just after a '*'.
template <typename Ch>
int match_after_star(const Ch* p, const Ch* s, bool glob) {
  for (;; ++p) {
    if (*p == '?') {
      if (*s == 0) return kExhausted;
      ++s;
    } else if (*p != '*') {
      break;
    }
  }
  if (*p == 0) return kMatch;
  Ch literal = *p;
  if (glob && literal == '\\') {
    literal = p[1];
    if (literal == 0) return kExhausted;
  }
  const bool any_start = glob && (*p == '[' || *p == '{');
  for (;; ++s) {
    if (any_start || *s == literal) {
      int r = match_here(p, s, false, glob);
      if (r != kNoMatch) return r;
    }
    if (*s == 0) return kExhausted;
  }
}

template <typename Ch>
int glob_match(const Ch* pattern, const Ch* string, int leading_dot) {
  if (!pattern || !string) return 0;
  return match_here(pattern, string, leading_dot != 0, true) == kMatch;
}

template <typename Ch>
int glob_after_star(const Ch* pattern, const Ch* string) {
  if (!pattern || !string) return 0;
  return match_after_star(pattern, string, true) == kMatch;
}

template <typename Ch>
int user_filter_match(const Ch* string, const Ch* filter) {
  if (!string || !filter) return 1;
  return match_here(filter, string, false, false) == kMatch;
}

template <typename Ch>
const Ch* first_wildcard(const Ch* s) {
  if (!s) return nullptr;
  const Ch* question = nullptr;
  for (; *s; ++s) {
    if (*s == '*') return s;
    if (*s == '?' && !question) question = s;
  }
  return question;
}

}  // namespace

int vyn_glob_match(const VynWchar* pattern, const VynWchar* string, int leading_dot) {
  return glob_match(pattern, string, leading_dot);
}

int vyn_glob_match_ascii(const char* pattern, const char* string, int leading_dot) {
  return glob_match(pattern, string, leading_dot);
}

int vyn_glob_match_after_star(const VynWchar* pattern, const VynWchar* string) {
  return glob_after_star(pattern, string);
}

int vyn_glob_match_after_star_ascii(const char* pattern, const char* string) {
  return glob_after_star(pattern, string);
}

int vyn_is_glob_pattern(const VynWchar* w) {
  if (!w) return 0;
  for (; *w; ++w) {
    switch (*w) {
      case '*':
      case '?':
      case '[':
      case '{':
        return 1;
      case '\\':
        if (w[1] == 0) return 0;
        ++w;
        break;
      default:
        break;
    }
  }
  return 0;
}

int match_user_filter(const char* string, const char* filter) {
  return user_filter_match(string, filter);
}

int match_w_user_filter(const VynWchar* string, const VynWchar* filter) {
  return user_filter_match(string, filter);
}

int filter_has_wildcards(const char* s) { return first_wildcard(s) != nullptr; }

const char* find_filter_str_wildcard(const char* s) { return first_wildcard(s); }

const VynWchar* find_filter_wstr_wildcard(const VynWchar* w) { return first_wildcard(w); }

int filter_is_any(const char* s, int /*flag*/) {
  if (!s) return 0;
  while (*s == '*') ++s;
  return *s == 0;
}

}  // namespace vek
