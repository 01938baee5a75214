// Strings handed back in new memory blocks, limited copies that report truncation,
// two small wildcard matchers and line trimming.
//
// A function that returns a new string hands back a memory block (getmem) that the
// caller releases with relmem or rlsmem; the make_ functions give null for a null input
// and never change their input.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// ---- New blocks from strings

char* make_scopy(const char* s);
VynWchar* make_wscopy(const VynWchar* w);
// Copies through ASCII upper case (narrow) or the language's upper case (wide).
char* make_uscopy(const char* s);
VynWchar* make_uwscopy(const VynWchar* w);
// The wide form (strtows) in strlen + 1 wide characters.
VynWchar* make_strtows(const char* s);
// The same, taken from a zone (which frees it).
VynWchar* make_strtows_zone(int zone, const char* s);
// The narrow form (wstostr) in a block with the room wstostr asks for.
char* make_wstostr(const VynWchar* w);
// n < 1: null. Otherwise at most n - 1 characters and a terminator.
char* make_sncopy(const char* s, int n);
VynWchar* make_wsncopy(const VynWchar* w, int n);
// *p_string (empty when null) followed by s in a new block; the old block is released
// and *p_string becomes the new one, which is also returned. Null p_string or s: null.
char* make_strcat_rls(char** p_string, const char* s);
VynWchar* make_wstrcat_rls(VynWchar** p_string, const VynWchar* w);
char* mknewstr(const char* s);
VynWchar* mknewwstr(const VynWchar* w);
// Null for a null or empty w.
char* mknewstr_from_wstr(const VynWchar* w);
// Formats with vyn_vsprintf; null when the formatting fails.
char* mkstring(const char* format, ...);
// Formats a narrow format, then the wide form of the text in its own length.
VynWchar* mkwstring(const char* format, ...);

// ---- Formatting into a caller's buffer

// Appends the formatted text to dst, which the caller sizes; returns dst.
char* strcatv(char* dst, const char* format, ...);
// out (at least 179 wide characters) gets the ints of the int list at p_ints as
// "1, 2, 3", cut with ", ..." when they do not fit; 1 when out is not empty.
int build_wstr_list_from_ints(VynWchar* out, const void* p_ints);

// ---- Limited copies: 1 when the text did not fit (the target is then emptied or cut),
// 0 when it did. size counts the terminator.

int wstrcpy_limit(const VynWchar* src, int size, VynWchar* dst);
int wstrtos_limit(const VynWchar* w, int size, char* dst);
int strtows_limit(const char* s, int size, VynWchar* wdst);
// Appends what fits of src to dst within size characters, terminator included.
int wstrcat_limit(VynWchar* dst, const VynWchar* src, int size);
// wsncpy, then dst[n - 1] is a terminator; returns dst.
VynWchar* wstrncpy_set_null(VynWchar* dst, const VynWchar* src, int n);
// Copy the characters of s (no terminator) to *p_cursor and move it past them; the old
// cursor is returned. The caller terminates. A null cursor, cursor variable or s
// writes nothing and gives null.
char* quick_strcat(char** p_cursor, const char* s);
VynWchar* quick_wstrcat(VynWchar** p_cursor, const VynWchar* w);

// ---- Small matchers and trimming

// '*' any run, '?' one character; 1 on a match of the whole string.
int string_match(const char* string, const char* pattern);
// Only '*' is special; flag bit 0 compares characters through wlowercase.
int pattern_match(const VynWchar* pattern, const VynWchar* w, int flags);
int string_is_pattern(const char* s);
// Skips leading white space, cuts at the first line feed and trailing white space in
// place; the first character kept. Null: null.
char* s_strip(char* s);
// Cuts at the first line feed; returns s.
char* strip_cr(char* s);
// Cuts at the last line feed; returns w.
VynWchar* wstrip_cr(VynWchar* w);
// 1 when sub occurs in w or w ends with the beginning of sub; 0 for an empty w.
int ws_index(const VynWchar* w, const VynWchar* sub);
// The last three characters (all, when shorter) become '.'; returns w.
VynWchar* change_end_to_ellipsis(VynWchar* w);
// dst (size characters with the terminator) gets src, or "..." and the end of src.
void left_truncate_string(const VynWchar* src, VynWchar* dst, int size);

}  // namespace vek
