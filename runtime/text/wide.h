// Conversion between narrow text in the current language's encoding and wide (UTF-16)
// text, one character at a time, and the Japanese code helpers beneath them.
//
// The language is read (get_language) at every call. Narrow Japanese text is EUC (code
// sets 0 to 3), converted through code page 932 (Shift_JIS); Hebrew uses a fixed byte
// map; Russian and the multibyte languages their code page; English maps the euro sign
// to byte 0x80; the other languages go character by character through the system code
// page. A character that cannot be converted is reported on the console and dropped,
// substituted ('?' narrow, U+FFFD wide) or ends the text, as each function says; no
// conversion writes past its destination.
//
// Packed multibyte code: a character's multibyte bytes in one 16-bit value: a single
// byte as itself; an EUC code-set-1 pair as first * 256 + second; a code-set-2
// character (0x8E, b) as b; a code-set-3 character (0x8F, b1, b2) as b1 * 256 + b2 with
// bit 7 cleared. Bit 15 and bit 7 set: code set 1; bit 15 alone: code set 3; bit 7
// alone: code set 2.
#pragma once

#include <cstddef>

#include "runtime/vekbase.h"

namespace vek {

// ---- Strings by the current language

// src into dst, which has room for one unit per byte of src plus the terminator;
// returns dst. A null argument is reported and leaves a non-null dst empty.
VynWchar* strtows(VynWchar* dst, const char* src);
// src into dst, which has room for four bytes per character of src plus the
// terminator; returns dst. A null argument is reported and leaves a non-null dst empty.
char* wstostr(char* dst, const VynWchar* src);
VynWchar* vyn_str_to_wstr(VynWchar* dst, const char* src);
char* vyn_wstr_to_str(char* dst, const VynWchar* src);

// The same into a destination of capacity units (bytes), terminator included: text
// that does not fit is cut after its last whole character. 1 when the text was cut (or
// capacity is 0), else 0.
int strtows_bounded(VynWchar* dst, std::size_t capacity, const char* src);
int wstostr_bounded(char* dst, std::size_t capacity, const VynWchar* src);

// The paths of wstostr and strtows for Japanese (EUC), and the character-by-character
// path through the current code page; same room rules and results.
char* unicode_str_to_euc_str(char* dst, const VynWchar* src);
VynWchar* euc_str_to_unicode_str(VynWchar* dst, const char* src);
char* unicode_str_to_multibyte_str(char* dst, const VynWchar* src);

// ---- Single characters

// One wide character (with the Japanese flag set: a packed code) into at most 4 bytes
// of mb, no terminator; the number of bytes, -1 on failure.
int vyn_wctomb(char* mb, VynWchar wc);
// One multibyte character of at most n bytes (-1: no limit) into *wc; the number of
// bytes used, -1 on failure or when the character needs more than n bytes. A null wc
// asks only for the character's EUC length.
int vyn_mbtowc(VynWchar* wc, const char* mb, int n);
// A Unicode character to its packed code in a multibyte language (Japanese: the EUC
// code), to its mapped byte in Hebrew, itself otherwise; 0 when nothing came out.
VynWchar unicode_to_wchar(VynWchar wc);
// In a multibyte language *out is the packed code of wc's bytes (vyn_wctomb), and 1,
// or -1 when that fails; otherwise *out = wc and 1.
int wc_to_sigma_wc(VynWchar* out, VynWchar wc);
// In a multibyte language turns the packed EUC code in *code into its Unicode
// character; 1.
int wc16towc32(VynWchar* code);
int wc32towc16(VynWchar* code);
// Japanese only: two hexadecimal byte values of text, JIS (bit 7 clear) for a two-byte
// character or 00 and the byte for a single one, into *wc as Unicode; 1. Otherwise
// *wc = 0 and 0.
int hexjistowc(VynWchar* wc, const char* text);
// Japanese only: text (5 bytes) gets *wc in the form hexjistowc reads; 1. Otherwise
// "0000" and 0.
int wctohexjis(char* text, const VynWchar* wc);
// 1 only for type 8 (space) with the EUC full-width space 0xA1A1.
int _iswctype(int wc, int type);
// Every character above 127 is printable and graphic; below, isprint and isgraph.
int vyn_iswprint(int wc);
int vyn_iswgraph(int wc);

// ---- EUC, JIS and Shift_JIS

// Packed code to EUC bytes in mb (no terminator); 1, 2 or 3.
int euc_wc2mb(char* mb, VynWchar code);
// EUC bytes to a packed code; the bytes used, 0 when the character needs more than n.
int euc_mb2wc(VynWchar* wc, const char* mb, int n);
// Codes below 256 unchanged; otherwise OR 0x8080, OR 0x8000, AND 0x7F7F.
VynWchar wc_jis2euc(VynWchar code);
VynWchar wc_jis2euc__codeset3(VynWchar code);
VynWchar wc_euc2jis(VynWchar code);
// A JIS X 0208 byte pair to Shift_JIS and back, in place; a first byte of 0 is left.
void jis2sjis(int* c1, int* c2);
void sjis2jis(int* c1, int* c2);
// Shift_JIS text to EUC into dst of capacity bytes, terminator included; *count gets
// the characters written. 0, or 1 when the capacity ran out (dst then holds what fit).
int sjis_to_euc(const char* src, int capacity, char* dst, int* count);
// The EUC form of src in a new memory block cut to its length; null for null.
char* make_sjistoeuc(const char* src);

// ---- Small helpers

// The decimal text of n as a wide string in a static buffer that the next call
// overwrites.
VynWchar* itowstr(int n);
// src into dst with every from replaced by to; returns dst. Null dst: null; null src:
// dst emptied and null.
VynWchar* ws_sub_wc(const VynWchar* src, VynWchar* dst, VynWchar from, VynWchar to);
// Index of the first occurrence of sub in s; -1 when none, or when s is empty or null.
int searchwstr(const VynWchar* s, const VynWchar* sub);

// The flag that makes vyn_wctomb take packed EUC codes; set_language sets it for
// Japanese. set returns the previous value.
int set_japanese_for_wchar_conv(int value);
int get_japanese_for_wchar_conv();

// Most bytes of one character in narrow text.
constexpr std::size_t MB_CHAR_MAX = 4;

// Bytes the narrow form (wstostr) of units wide characters needs, terminator included.
constexpr std::size_t wstostr_room(std::size_t units) { return MB_CHAR_MAX * units + 1; }

// Bytes of an EUC character by its first byte: code set 3 (0x8F) three, code sets 1
// and 2 two, ASCII one.
constexpr int euc_char_length(unsigned char lead) {
  return lead == 0x8F ? 3 : lead >= 0x80 ? 2 : 1;
}

// Bytes of a whole character that begins with lead in the narrow encoding of the
// language, as mb_char_len measures it, but without looking at the bytes behind lead.
int mb_lead_len(unsigned char lead, int language);

// Bytes of the character that begins at p in the narrow encoding of the language (EUC
// for Japanese, the language's code page for the other multibyte languages, one byte
// otherwise); never counts past a terminator. 0 at the terminator.
int mb_char_len(const char* p, int language);
// Bytes of the longest run of whole characters (mb_char_len) at the start of text that
// fits in max_bytes bytes; may be 0.
long whole_characters_within(const char* text, long max_bytes, int language);
// Cuts text in place behind that run. Returns the length kept.
int cut_whole_characters(char* text, long max_bytes, int language);

}  // namespace vek
