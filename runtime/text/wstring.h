// Functions on wide (UTF-16, zero-terminated) strings.
//
// Lengths and counts are in 16-bit units. The basic functions take no null string and
// never allocate; a destination must be large enough for what is written into it.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// Longest wide string that str_ret converts whole.
constexpr int STR_LEN = 260;

// Number of characters before the terminator.
int wslen(const VynWchar* s);
VynWchar* wscpy(VynWchar* dst, const VynWchar* src);
VynWchar* wscat(VynWchar* dst, const VynWchar* src);
// strncpy: copies up to n units, zero-filling the rest of the n; a src of n or more
// characters leaves dst unterminated. n <= 0 writes nothing.
VynWchar* wsncpy(VynWchar* dst, const VynWchar* src, int n);
// Appends at most n characters and always a terminator. n <= 0 writes nothing.
VynWchar* wsncat(VynWchar* dst, const VynWchar* src, int n);
// Difference of the first differing units, as unsigned 16-bit values (a minus b).
int wscmp(const VynWchar* a, const VynWchar* b);
int wsncmp(const VynWchar* a, const VynWchar* b, int n);
// First / last c; c = 0 finds the terminator; null when absent.
VynWchar* wschr(const VynWchar* s, VynWchar c);
VynWchar* wsrchr(const VynWchar* s, VynWchar c);
// First c1, c2 or the terminator; null for a null s.
VynWchar* wstrchr_two_tokens(const VynWchar* s, VynWchar c1, VynWchar c2);

// Numbers: watol and watof read the narrow form with strtol (base 10) and strtod;
// vyn_wstrtol and vyn_wstrtod behave as wcstol and wcstod. A null s gives 0.
long watol(const VynWchar* s);
int watoi(const VynWchar* s);
double watof(const VynWchar* s);
long vyn_wstrtol(const VynWchar* s, VynWchar** end, int base);
double vyn_wstrtod(const VynWchar* s, VynWchar** end);
// Bytes of the character's multibyte form; -1 when it has none.
int vyn_wclen(VynWchar c);

// The narrow argument converted to wide (a null one is empty), then wscat, wsncat,
// wscmp, wsncmp. A null w compares as empty; a null dst appends nothing and gives null.
VynWchar* wstrcat_s(VynWchar* dst, const char* narrow);
VynWchar* wstrncat_s(VynWchar* dst, const char* narrow, int n);
int wstrcmp_s(const VynWchar* w, const char* narrow);
int wstrncmp_s(const VynWchar* w, const char* narrow, int n);

// The narrow form of w in one static buffer that the next call overwrites. A string of
// more than STR_LEN characters is reported (dbg_crash_msg); text beyond the buffer's
// 1039 bytes is cut after its last whole character.
char* str_ret(const VynWchar* w);
// The wide form of narrow in a ring of four buffers: a result stays valid until four
// further calls were made. Null converts as "". The caller frees neither.
VynWchar* wstr_ret(const char* narrow);

// The next token of s (null: go on with the last string), cut at the first of delims;
// adjacent delimiters give an empty token. Null when the string is used up.
VynWchar* wstok(VynWchar* s, const VynWchar* delims);
// Writes in with its first token replaced by repl into out (in may lie inside out);
// the address in out where repl begins, or null (out untouched) when token is absent.
VynWchar* wstrtok_replace(VynWchar* out, const VynWchar* in, const VynWchar* token,
                          const VynWchar* repl);
// The same for every occurrence, left to right; a replacement is never searched again.
// The address where the first replacement begins, or null. An empty token never occurs.
VynWchar* wstrtok_replace_all(VynWchar* out, const VynWchar* in, const VynWchar* token,
                              const VynWchar* repl);

// wscmp / wsncmp on wuppercase of both characters; a null string sorts first (as in
// wu_strcmp_null).
int wu_strcmp(const VynWchar* a, const VynWchar* b);
int wu_strncmp(const VynWchar* a, const VynWchar* b, int n);
// Both null: 0; a null: -1; b null: 1; else wu_strcmp.
int wu_strcmp_null(const VynWchar* a, const VynWchar* b);
// A wide string against a narrow one, without regard to case; null on either side reads
// as empty.
int wu_strcmp_s(const VynWchar* w, const char* narrow);
int wu_strncmp_s(const VynWchar* w, const char* narrow, int n);

// Case by the current language: ASCII letters always; in a language with 8-bit
// letters (is_8bit_lang) also the code page's letters 0xC0-0xDE / 0xE0-0xFE.
VynWchar wuppercase(VynWchar c);
VynWchar wlowercase(VynWchar c);
int is_8bit_lang();
// src and dst may be the same string. All return 1; a null src or dst writes nothing
// and gives 0.
int wcnvrt_to_upper(const VynWchar* src, VynWchar* dst);
int wcnvrt_to_lower(const VynWchar* src, VynWchar* dst);
// At most n-1 characters, then the terminator; n <= 0 writes nothing.
int wncnvrt_to_upper(const VynWchar* src, VynWchar* dst, int n);
int wncnvrt_to_lower(const VynWchar* src, VynWchar* dst, int n);
// First letter of each word upper case, the rest lower case. Words are made of letters
// (capital; returns 1, 0 for a null src or dst) or of letters and digits (title;
// returns 0), by Unicode's classes (wclass.h) whatever the language, which decides
// only the case rules.
int wcnvrt_to_capital(const VynWchar* src, VynWchar* dst);
int wcnvrt_to_title(const VynWchar* src, VynWchar* dst);
// In place: the first character and every one after a blank or '/' upper case.
void wuppercase_words(VynWchar* s);

// 1 for 'A'-'Z', 'a'-'z', '0'-'9', '_' and '-'.
int is_valid_wc(VynWchar c);
int is_valid_character(char c);
// 1 for "", or an optional sign followed only by digits.
int iswsnum(const VynWchar* s);

// Cuts the narrow text in place to the precision of the "%s" conversion spec, keeping
// only whole characters: a character that does not fit is dropped, never split, and so
// is a first character longer than the precision ("%.0s" keeps nothing). No precision
// (or a negative one) leaves the text whole.
void take_care_of_precision(const char* spec, char* text);

// In a right-to-left current language: the display form of text's first line as a new
// wide string in *out (released with relmem), and 1. Otherwise 0, *out untouched.
int get_display_string(const VynWchar* text, VynWchar** out);

}  // namespace vek
