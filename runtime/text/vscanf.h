// The run-time library's formatted scanning.
//
// The format is rebuilt for the C library's scanner through a table of keywords: d i o
// u x n (an int), c (a char), ld li lo lu lx (a long), f e g (a float), lf le lg (a
// double), s (narrow text), ws (wide text: read narrow, then converted with strtows into
// the target). "%ld" and its kin write a long, 8 bytes on a 64-bit build, as the
// printing side reads "%ld" from a long: their targets must be longs, not ints. A
// keyword's case never changes what is written. A keyword the table does not know
// passes into the scanner's format as it stands and takes one target ("%hn", "%ln" and
// the other sized counts are counts, as "%n" is); a scan set "%[...]" takes a narrow
// text target. Flags, width and precision between '%' and the keyword ("%'d", "%5.2f")
// pass to the scanner as written; a '*' among them assigns nothing and takes no target.
// A positional target ("%1$d") is refused as a malformed format.
//
// A "%ws" item holds at most its width, and never more than VSCANF_WS_MAX, characters:
// its target needs room for that many wide characters and the terminator.
#pragma once

#include <cstdarg>
#include <cstdio>

#include "runtime/vekbase.h"

namespace vek {

// Longest format the scanner takes, in bytes.
constexpr int VSCANF_MAX_FORMAT = 512;
// Most targets of one call, a count target included.
constexpr int VSCANF_MAX_TARGETS = 20;
// Most characters of one "%ws" item.
constexpr int VSCANF_WS_MAX = 511;
// Line buffer of vyn_scanf and vyn_fscanf: at most 511 bytes are read per call.
constexpr int VSCANF_LINE_SIZE = 512;

// Each returns what the C library's scanner returns (items assigned, -1 when the input
// ended before the first conversion), -1 for a null text or stream, and 0 without
// scanning for a null, too long or malformed format or more than VSCANF_MAX_TARGETS
// targets.
int vyn_sscanf(const char* text, const char* format, ...);
// Reads one line from the standard input (-1 at its end) and scans it.
int vyn_scanf(const char* format, ...);
int vyn_fscanf(std::FILE* stream, const char* format, ...);
// Scans the narrow form (wstostr) of a wide text.
int vyn_wsscanf(const VynWchar* text, const char* format, ...);
int vyn_vscanf(const char* text, const char* format, std::va_list args);
// With a count pointer, *count gets the number of bytes consumed by the whole format
// (0 when scanning stopped before its end); it takes one of the targets.
int vyn_vscanf_low(const char* text, int* count, const char* format, std::va_list args);

// Rebuilds format into out (out_size bytes with the terminator) for the C library's
// scanner. kinds[i] tells the i-th target: 0 a count ("%n"), 1 a wide text ("%ws"), -1
// anything else; *count is the number of targets, of which only the first
// VSCANF_MAX_TARGETS have a kind. Returns 1 when a wide text target needs converting,
// 0 when none does, -1 for a malformed format or one that does not fit out.
int parse_format(const char* format, char* out, int out_size, int kinds[VSCANF_MAX_TARGETS],
                 int* count);
// Rebuilds the conversion spec at *position (its '%') into out (out_size bytes with the
// terminator) and moves *position behind it; returns the bytes written, -1 when it is
// malformed or does not fit. *type: 0 for a suppressed conversion; else the keyword's
// type (1 int, 2 double, 3 narrow text or scan set, 4 wide text, 6 count, 7 float) or
// -1 for a keyword the table does not know, whose letters are left at *position.
int parse_format_spec(const char** position, char* out, int out_size, int* type);

}  // namespace vek
