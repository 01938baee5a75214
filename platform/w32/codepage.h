// Code pages: conversion between the narrow encodings and UTF-16, as Win32 offers it.
//
// Served code pages: 932, 936, 949, 950 (double-byte), 1251, 1252 and 28598 (single
// byte), CP_UTF8, and CP_ACP for the system code page (1252 unless set otherwise). Any
// other code page fails with ERROR_INVALID_PARAMETER.
//
// What the stand-in does where Win32 leaves room or offers more:
// - A byte sequence that the code page does not define becomes U+FFFD (or fails with
//   ERROR_NO_UNICODE_TRANSLATION under MB_ERR_INVALID_CHARS). A lead byte followed by a
//   valid trail byte is one such sequence; a lead byte followed by anything else is one
//   on its own, and the byte behind it is read again as a character of its own.
// - A character that the code page cannot hold becomes the default character ('?', or
//   the caller's); an unpaired surrogate is such a character, and so is a valid pair.
// - No best-fit mappings and no composition: WC_COMPOSITECHECK and its companions are
//   accepted, and each character is converted as it stands. MB_COMPOSITE is refused
//   with ERROR_INVALID_FLAGS.
// - When the destination is too small, the call fails with ERROR_INSUFFICIENT_BUFFER
//   after filling the destination with what fits; it never writes past it.
// - CP_UTF8 takes no flags but MB_ERR_INVALID_CHARS and WC_ERR_INVALID_CHARS (else
//   ERROR_INVALID_FLAGS), and no default character (else ERROR_INVALID_PARAMETER). An
//   ill-formed byte sequence becomes one U+FFFD for each maximal subpart, as Unicode
//   recommends, and an unpaired surrogate becomes the UTF-8 form of U+FFFD; under the
//   flags either fails with ERROR_NO_UNICODE_TRANSLATION.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

constexpr UINT CP_ACP = 0;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_COMPOSITE = 0x2;
constexpr DWORD MB_USEGLYPHCHARS = 0x4;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;

constexpr DWORD WC_DISCARDNS = 0x10;
constexpr DWORD WC_SEPCHARS = 0x20;
constexpr DWORD WC_DEFAULTCHAR = 0x40;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_COMPOSITECHECK = 0x200;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

// Converts byte_count bytes of src (-1: up to and with its terminator) into at most
// unit_capacity units of dst. Returns the units written, or with unit_capacity 0 (and
// no dst) the units needed; 0 on failure, with the reason in GetLastError.
int MultiByteToWideChar(UINT code_page, DWORD flags, const char* src, int byte_count, WCHAR* dst,
                        int unit_capacity);

// Converts unit_count units of src (-1: up to and with its terminator) into at most
// byte_capacity bytes of dst. default_char (null: "?") stands in for each character
// the code page lacks, and *used_default (when given) tells whether it was needed.
// Returns the bytes written, or with byte_capacity 0 (and no dst) the bytes needed; 0
// on failure, with the reason in GetLastError.
int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* src, int unit_count, char* dst,
                        int byte_capacity, const char* default_char, BOOL* used_default);

// Whether byte opens a two-byte character of the code page; FALSE for single-byte
// pages, and FALSE with ERROR_INVALID_PARAMETER for a code page not served.
BOOL IsDBCSLeadByteEx(UINT code_page, BYTE byte);

// The system code page, which CP_ACP stands for.
UINT GetACP();

// Configuration: makes code_page (a served page, not CP_ACP nor CP_UTF8) the system
// code page. FALSE with ERROR_INVALID_PARAMETER for any other value. Narrow text above
// this layer has characters of one or two bytes, so UTF-8 cannot be the system's.
BOOL set_system_code_page(UINT code_page);

}  // namespace w32
