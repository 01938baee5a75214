// Wide characters and wide lines on byte streams, in the current language's encoding:
// Japanese as EUC, other multibyte languages through their code page, single-byte
// languages byte for byte. Each operation exists for C streams and for file handles;
// both share one reader and one writer that take a byte getter or putter.
#pragma once

#include <cstdio>

#include "runtime/vekbase.h"

namespace vek {

struct VynFile;

// End of input of the wide readers (all 16 bits set). A byte 0xFF is a character.
constexpr VynWchar VYN_WEOF = 0xFFFF;

// A byte (0 to 255) or -1 at the end of input.
typedef int (*VynByteGetter)(void* stream);
// Writes one byte; what it returns is not looked at.
typedef int (*VynBytePutter)(int byte, void* stream);

// One character read with getter and converted through the language's code page (EUC
// pairs and half-width katakana in Japanese): VYN_WEOF at the end of input (and when a
// pair is cut by it, or the code page refuses the bytes: "fget_unicode_wc:Error - %d\n");
// 0 for a Japanese sequence that is not one character.
VynWchar get_unicode_wc(VynByteGetter getter, void* stream);
VynWchar fget_unicode_wc(std::FILE* stream);
VynWchar pfa_get_unicode_wc(VynFile* file);

// Writes wc in the language's encoding (Japanese as EUC); a character the code page
// cannot give is a blank ("put_unicode_wc:Error - %d\n"). Returns wc.
VynWchar put_unicode_wc(VynWchar wc, VynBytePutter putter, void* stream);
VynWchar fput_unicode_wc(VynWchar wc, std::FILE* stream);
VynWchar vyn_fputwc(VynWchar wc, std::FILE* stream);
VynWchar pfa_put_unicode_wc(VynWchar wc, VynFile* file);
VynWchar pfa_fputwc(VynWchar wc, VynFile* file);

// One character; VYN_WEOF at the end of input. In a single-byte language the byte is the
// character; a multibyte language reads a lead byte's pair through vyn_mbtowc (0 when
// it is no character); Japanese reads as fget_unicode_wc.
VynWchar vyn_fgetwc(std::FILE* stream);
VynWchar pfa_fgetwc(VynFile* file);

// Reads at most n - 1 characters, stopping after a newline, which is kept; terminates.
// Null when the input ended before any character (and for n < 1), else buf.
VynWchar* fgetws(VynWchar* buf, int n, std::FILE* stream);
VynWchar* pfa_fgetws(VynWchar* buf, int n, VynFile* file);
// Writes every character of ws; 0.
int fputws(const VynWchar* ws, std::FILE* stream);
int pfa_fputws(const VynWchar* ws, VynFile* file);

// Reads a line from the standard input up to a newline (not kept), the end of input or
// capacity - 1 characters; terminates. Null when the input ended first or capacity < 1.
VynWchar* getws(VynWchar* buf, int capacity);
// getws with echo switched off on the standard input's terminal, restored afterwards;
// null when the terminal mode cannot be read or set.
VynWchar* vyn_getws_no_echo(VynWchar* buf, int capacity);
// Writes every character of ws to the standard output.
int putws(const VynWchar* ws);

}  // namespace vek
