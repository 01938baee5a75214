// The run-time library's formatted printing.
//
// Formats take the familiar conversion specs, each resolved through a table of
// keywords: d i o u x c (an int), ld li lo lu lx (a long), f e g lf (a double), s (narrow
// text), ws (wide text, converted by wstostr), pd and pf (a portable path printed in the
// operating system's form), and "%%". A conversion spec is "%", flags from "-+ #0", a
// width (digits or "*"), a precision ("." and digits or "*"), and the keyword in either
// case. Anything else makes the whole call fail.
//
// Against the C library's printf: exponents keep at most two digits where a third one
// would be a leading zero; a double whose magnitude is below 1e-30 (and a NaN) prints as
// 0; a keyword's case never changes the argument type ("%S" is narrow text, "%Lf" a
// double); only X, E, F and G keep their capital meaning; the precision of "%ws" counts
// bytes of the narrow form and keeps whole characters only. In a multibyte language the
// format's own multibyte characters are copied whole. Text is limited to
// VSPRINTF_MAX_TEXT bytes per call.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "runtime/memory/xar.h"
#include "runtime/vekbase.h"

namespace vek {

// Longest format vyn_vsprintf takes, in bytes.
constexpr int VSPRINTF_MAX_FORMAT = 500;
// Capacity of one conversion spec with its terminator, "*" values put in.
constexpr int VSPRINTF_SPEC_SIZE = 20;
// Longest text one call produces (what one growable byte array can hold).
constexpr int VSPRINTF_MAX_TEXT = XAR_MAX_BYTES - 1;

// Formats into dst, or with a null dst into an internal buffer that stays valid until
// the next formatting call has finished (a nested call, made while a call formats, has
// buffers of its own). Returns dst or the internal buffer; 0 for a null, too long or bad
// format, a null string or path argument, or text beyond VSPRINTF_MAX_TEXT. dst is not
// bounded: the caller sizes it for the text. On failure dst is untouched.
char* vyn_vsprintf(char* dst, const char* format, std::va_list args);
char* vyn_sprintf(char* dst, const char* format, ...);
// Formats, then converts the text into dst with strtows; the length in wide characters,
// 0 (dst untouched) when formatting fails.
int vyn_wsprintf(VynWchar* dst, const char* format, ...);
// Formats and writes the text with ivek_printf; its length, 0 when formatting fails.
int vyn_printf(const char* format, ...);
// Formats and writes the text with fputs; its length, 0 when either fails.
int vyn_fprintf(std::FILE* stream, const char* format, ...);
// fputs; the text's length, -1 on failure.
int vyn_fputs(const char* text, std::FILE* stream);
// Nothing to bind: kept for callers that still call it.
void set_xar_bindings();

// Reads the conversion spec at *position (its '%') into spec (VSPRINTF_SPEC_SIZE bytes):
// the text up to its keyword with any "*" kept, then the keyword that the C library is
// given ("s" for ws, pd and pf; otherwise the keyword in lower case, its last letter kept
// as written when that is X, E, F or G). Moves *position behind the keyword, sets *type
// (1 int, 2 double, 3 narrow text, 4 wide text, 6 directory path, 7 file path, 8 long)
// and returns the number of "*". A conversion spec that is malformed, too long or has no
// keyword of the table gives *type -1 and 0.
int parse_conver_spec(const char** position, int* type, char* spec);

// The exponent of an e, E, g or G conversion's text: a three-digit exponent with a
// leading zero ("1.2e+004") loses that zero, and the text then keeps the width of spec
// with one blank (behind it for a left-justified spec, in front otherwise). Works in
// place and never makes the text longer; returns its length.
int trim_exponent_zero(char* text, const char* spec);

}  // namespace vek
