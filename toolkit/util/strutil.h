// String utilities of the toolkit: case-insensitive narrow comparison and case
// conversion, wide comparison, copy and concatenation, and printing of wide text.
//
// Case folding changes only the ASCII letters. The wide functions that go through
// narrow forms convert each wide argument into a buffer of VYN_UTIL_NARROW_SIZE bytes
// (the current language's encoding); a text whose narrow form is longer is cut after
// its last whole character. None of the functions accepts null strings.
#pragma once

#include "toolkit/tkbase.h"

// Bytes of each narrow buffer that the wide functions convert through, terminator included.
constexpr int VYN_UTIL_NARROW_SIZE = 260;

// Without regard to ASCII case: at the first position where the upper-cased characters
// differ, the difference of the characters as given, as signed bytes; 0 when equal.
int VynUtilStrcmp(const char* a, const char* b);
// The same over positions 0 to n inclusive.
int VynUtilStrncmp(const char* a, const char* b, int n);
// from upper- (lower-) cased into to, with its terminator; to may be from.
void VynUtilStringUpper(const char* from, char* to);
void VynUtilStringLower(const char* from, char* to);

// Case-sensitive comparison of the 16-bit characters: the difference of the first pair
// that differs, 0 when equal.
int VynUtilWstrcmp(const VynWchar* a, const VynWchar* b);
// The same without regard to ASCII case (the difference of the characters as given).
int VynUtilWstrCmp(const VynWchar* a, const VynWchar* b);
// VynUtilStrncmp of the narrow forms.
int VynUtilWstrncmp(const VynWchar* a, const VynWchar* b, int n);
// VynUtilStrcmp (VynUtilStrncmp) of a and b's narrow form.
int VynUtilStrwscmp(const char* a, const VynWchar* b);
int VynUtilStrnwscmp(const char* a, const VynWchar* b, int n);
// from into to, character for character (to may be from); returns to.
VynWchar* VynUtilWstrcpy(VynWchar* to, const VynWchar* from);
// 16-bit characters before the terminator.
int VynUtilWstrLen(const VynWchar* s);

// a = a + b, through the narrow forms; a must have room for the result.
void VynUtilWstrcat(VynWchar* a, const VynWchar* b);
// a = a + b (b narrow), through the narrow forms; a must have room for the result.
void VynUtilWstrStrcatToWstr(VynWchar* a, const char* b);
// Appends b's narrow form to a, which must have room for it; returns a.
char* VynUtilStrWstrcatToStr(char* a, const VynWchar* b);
// a followed by b's narrow form, as wide text in result (result_size wide characters,
// terminator included; cut after the last whole character that fits). Returns result,
// or null for a null result or a size below 1.
VynWchar* VynUtilStrWstrcatToWstr(const char* a, const VynWchar* b, VynWchar* result,
                                  int result_size);
// a's narrow form followed by b in result (result_size bytes, terminator included; cut
// after the last whole character that fits). Returns result, or null for a null result
// or a size below 1.
char* VynUtilWstrStrcatToStr(const VynWchar* a, const char* b, char* result, int result_size);

// Prints s's narrow form on standard output, left-justified in width columns; 0.
int VynUtilWstrPrint(const VynWchar* s, int width);
