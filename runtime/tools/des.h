// A printable encoding of short texts: DES (standard bit order) under a fixed key,
// written out as lower-case hexadecimal digits.
#pragma once

namespace vek {

// Encrypts the 8-byte block with the 8-byte key (one DES encryption) into out; out may
// be the block itself.
void dEncrypt(const unsigned char* block, const unsigned char* key, unsigned char* out);

// Encrypts the text in blocks of 8 characters (the last padded with blanks) under the
// key "quibtolk" and writes two hexadecimal digits per byte into output, then a
// terminator. output must hold 16 characters per started block of 8, plus one. An empty
// text gives an empty string.
void vekEncrypt(const char* text, char* output);

}  // namespace vek
