// The C library's fnmatch as the reference for glob patterns, and the subset of
// patterns on which the run-time matchers and fnmatch agree by design. Shared by the
// glob tests and the differential fuzz target.
#pragma once

#include <fnmatch.h>

#include <string>

namespace yrltest {

// fnmatch's verdict as 1 (match) or 0; leading_dot asks for FNM_PERIOD.
inline int fnmatch_reference(const std::string& pattern, const std::string& string,
                             bool leading_dot) {
  return fnmatch(pattern.c_str(), string.c_str(), leading_dot ? FNM_PERIOD : 0) == 0;
}

// The wide form of an ASCII text, one unit per byte.
inline std::u16string widen(const std::string& s) {
  std::u16string w;
  for (char c : s) w.push_back(static_cast<unsigned char>(c));
  return w;
}

// True when the two matchers are meant to agree on the case. Outside the subset:
// bytes from 128 up (the narrow matcher's range ends are signed), '{' (alternatives;
// fnmatch takes braces literally), a set that is never closed (it matches nothing here,
// fnmatch takes the '[' literally), a set opening with '^' (negation for fnmatch, a
// member here) or holding "[:", "[." or "[=" (classes for fnmatch), and with
// leading_dot a set that may meet a leading '.' (fnmatch never lets a set match it).
inline bool glob_in_common_subset(const std::string& pattern, const std::string& string,
                                  bool leading_dot) {
  for (unsigned char c : pattern + string)
    if (c >= 128 || c == 0) return false;
  bool has_set = false;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c == '{') return false;
    if (c == '\\') {
      ++i;
      continue;
    }
    if (c != '[') continue;
    has_set = true;
    std::size_t j = i + 1;
    if (j < pattern.size() && pattern[j] == '^') return false;
    if (j < pattern.size() && pattern[j] == '!') ++j;
    bool closed = false;
    for (bool first = true; j < pattern.size(); ++j, first = false) {
      char m = pattern[j];
      if (m == ']' && !first) {
        closed = true;
        break;
      }
      if (m == '[' && j + 1 < pattern.size() &&
          (pattern[j + 1] == ':' || pattern[j + 1] == '.' || pattern[j + 1] == '='))
        return false;
      if (m == '\\') ++j;
    }
    if (!closed) return false;
    i = j;
  }
  return !(leading_dot && has_set && !string.empty() && string[0] == '.');
}

}  // namespace yrltest
