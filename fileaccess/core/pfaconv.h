// Text converters between the process's multibyte encoding (EUC) and the Japanese
// encodings of files and file names.
#pragma once

namespace vek {

// Converters: the encode word of a file handle, and the two sides of
// pfa_filename_converter.
enum : int {
  PFA_ENCODE_NONE = 0,
  PFA_ENCODE_EUC = 1,
  PFA_ENCODE_JIS = 2,
  PFA_ENCODE_SJIS = 3,
};

// Room of a name buffer, terminator included.
constexpr int PFA_NAME_SIZE = 260;

// Converts the file name text between encodings: read_converter names the encoding that
// name is in (converted into EUC), write_converter the encoding it is converted into
// (from EUC); at most one of them is nonzero. The result goes to out, which has
// PFA_NAME_SIZE bytes, or over name when out is null. When the result differs from
// name, both are printed ("change made"). 0 on success; 1 with an empty result when not
// all of the name could be converted or the result does not fit; 1 with name unchanged
// when, without out, the result is longer than the name; 9 for a null name,
// two nonzero converters, or a converter other than 0 and PFA_ENCODE_SJIS.
int pfa_filename_converter(char* name, int read_converter, char* out, int write_converter);

}  // namespace vek
