// Glob patterns and user filters on narrow and wide strings.
//
// Glob grammar: '*' any run, '?' one character, '[' set ']' with '!' negating, ranges
// lo-hi and '\' quoting a member, '{' alternatives '}' of plain text separated by ',',
// '\' quoting the next character. The wide matcher compares whole 16-bit characters, the
// narrow one bytes, with range ends taken as signed bytes. A user filter knows only '*'
// and '?'.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// 1 when the whole string matches the whole pattern, else 0 (also for a null argument).
// With leading_dot, a '*' or '?' cannot match a '.' at the string's first character.
int vyn_glob_match(const VynWchar* pattern, const VynWchar* string, int leading_dot);
int vyn_glob_match_ascii(const char* pattern, const char* string, int leading_dot);
// The match of a pattern's rest after a '*' (the matchers' own step).
int vyn_glob_match_after_star(const VynWchar* pattern, const VynWchar* string);
int vyn_glob_match_after_star_ascii(const char* pattern, const char* string);
// 1 when w holds an unquoted '*', '?', '[' or '{'.
int vyn_is_glob_pattern(const VynWchar* w);

// Rules of filter_match: '*' always matches any run; with FILTER_QUESTION '?' matches
// one character; with FILTER_FOLD_CASE wide characters compare through wlowercase.
constexpr int FILTER_QUESTION = 1;
constexpr int FILTER_FOLD_CASE = 2;
// 1 when the whole string (not null) matches the whole filter (not null) under rules.
int filter_match(const char* string, const char* filter, int rules);
int filter_match(const VynWchar* string, const VynWchar* filter, int rules);

// 1 when the whole string matches the filter; either argument null also gives 1.
int match_user_filter(const char* string, const char* filter);
int match_w_user_filter(const VynWchar* string, const VynWchar* filter);
// 1 when s holds '*' or '?'; null: 0.
int filter_has_wildcards(const char* s);
// The first '*', else the first '?', else null (also for a null s).
const char* find_filter_str_wildcard(const char* s);
const VynWchar* find_filter_wstr_wildcard(const VynWchar* w);
// 1 when s is empty or holds only '*'; null: 0. The flag changes nothing.
int filter_is_any(const char* s, int flag);

}  // namespace vek
