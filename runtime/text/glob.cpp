#include "runtime/text/glob.h"

#include "runtime/text/wstring.h"

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

// What a pattern knows: the full glob grammar (else only '*', and '?' when asked for),
// and whether wide characters compare through wlowercase.
constexpr int kGlob = 1 << 8;
static_assert((kGlob & (FILTER_QUESTION | FILTER_FOLD_CASE)) == 0);

inline bool same(char a, char b, int) { return a == b; }
inline bool same(VynWchar a, VynWchar b, int rules) {
  return a == b || ((rules & FILTER_FOLD_CASE) && wlowercase(a) == wlowercase(b));
}

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
int match_after_star(const Ch* p, const Ch* s, int rules);

// Matches pattern p against the string from s to its end under rules (kGlob and the
// FILTER_ bits). leading_dot applies at s, which is then the string's first character.
template <typename Ch>
int match_here(const Ch* p, const Ch* s, bool leading_dot, int rules) {
  const bool glob = rules & kGlob;
  const bool question = glob || (rules & FILTER_QUESTION);
  const Ch* const first = s;
  bool fixed_width = true;
  for (;;) {
    Ch c = *p;
    if (c == 0) return *s == 0 ? kMatch : kNoMatch;
    if (c == '*') {
      if (leading_dot && s == first && *s == '.') return kNoMatch;
      int r = match_after_star(p + 1, s, rules);
      return r == kExhausted && !fixed_width ? kNoMatch : r;
    }
    if (question && c == '?') {
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
    if (*s == 0 || !same(*s, c, rules)) return kNoMatch;
    ++p;
    ++s;
  }
}

// p is the pattern just after a '*'.
template <typename Ch>
int match_after_star(const Ch* p, const Ch* s, int rules) {
  const bool glob = rules & kGlob;
  const bool question = glob || (rules & FILTER_QUESTION);
  for (;; ++p) {
    if (question && *p == '?') {
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
    if (any_start || (*s != 0 && same(*s, literal, rules))) {
      int r = match_here(p, s, false, rules);
      if (r != kNoMatch) return r;
    }
    if (*s == 0) return kExhausted;
  }
}

template <typename Ch>
int glob_match(const Ch* pattern, const Ch* string, int leading_dot) {
  if (!pattern || !string) return 0;
  return match_here(pattern, string, leading_dot != 0, kGlob) == kMatch;
}

template <typename Ch>
int glob_after_star(const Ch* pattern, const Ch* string) {
  if (!pattern || !string) return 0;
  return match_after_star(pattern, string, kGlob) == kMatch;
}

template <typename Ch>
int star_match(const Ch* string, const Ch* filter, int rules) {
  return match_here(filter, string, false, rules & (FILTER_QUESTION | FILTER_FOLD_CASE)) ==
         kMatch;
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

int filter_match(const char* string, const char* filter, int rules) {
  return star_match(string, filter, rules);
}

int filter_match(const VynWchar* string, const VynWchar* filter, int rules) {
  return star_match(string, filter, rules);
}

int match_user_filter(const char* string, const char* filter) {
  return !string || !filter || star_match(string, filter, FILTER_QUESTION);
}

int match_w_user_filter(const VynWchar* string, const VynWchar* filter) {
  return !string || !filter || star_match(string, filter, FILTER_QUESTION);
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
