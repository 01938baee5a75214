// Text converters between the process's multibyte encoding (EUC) and the Japanese
// encodings of files and file names.
#pragma once

#include "fileaccess/core/pfaname.h"  // PFA_NAME_SIZE
#include "runtime/text/wide.h"

namespace vek {

// Converters: the encode word of a file handle, and the two sides of
// pfa_filename_converter.
enum : int {
  PFA_ENCODE_NONE = 0,
  PFA_ENCODE_EUC = 1,
  PFA_ENCODE_JIS = 2,
  PFA_ENCODE_SJIS = 3,
};

// Bytes of one converted chunk of pfa_write_convertor; its buffer holds one more for the
// terminator.
constexpr int PFA_CHUNK_SIZE = 1024;

// Converts raw bytes of the file encoding named by converter into EUC text at dest,
// one whole character at a time, producing at most room bytes (no terminator). A
// character that does not fit, is cut short by the end of raw or has no EUC form is
// left unconsumed and ends the call; so does producing the single byte stop (then
// *stop_flag is 1; a negative stop never matches). *produced gets the bytes written; the result is the raw bytes
// consumed. Converters other than 0 to 3 consume nothing.
int pfa_read_convertor(int converter, int room, int raw_count, int* produced, char* dest,
                       int stop, int* stop_flag, const char* raw);

// Converts EUC text from *source (*remaining bytes) into the encoding named by
// converter in chunk (PFA_CHUNK_SIZE + 1 bytes), whole characters only, and terminates
// it. *source and *remaining advance past what was taken. Stops when the source is used
// up, the next character is cut short or has no form in the target encoding, or it
// would not fit. The result is the bytes written into chunk.
int pfa_write_convertor(int converter, int* remaining, const char** source, char* chunk);

// Converts the file name text between encodings: read_converter names the encoding that
// name is in (converted into EUC), write_converter the encoding it is converted into
// (from EUC); at most one of them is nonzero. The result goes to out, which has
// PFA_NAME_SIZE bytes, or over name when out is null. When the result differs from
// name, both are printed ("change made"). 0 on success; 1 with an empty result when not
// all of the name could be converted or the result does not fit; 1 with name unchanged
// when, without out, the result is longer than the name; 9 for a null name,
// two nonzero converters, or a converter other than 0 to 3.
int pfa_filename_converter(char* name, int read_converter, char* out, int write_converter);

// Converts the named file in place: direction 1 from EUC into Shift_JIS, any other from
// Shift_JIS into EUC. version > 0 names exactly that version, 0 the highest. When the
// file (or its temporary twin) cannot be opened as named, the base name and extension
// are tried once more in lower case. The text is copied line by line into a temporary
// file beside it, which replaces the source only when every read, write and close
// worked; otherwise it is removed and the source left as it was. 0 when the file was
// converted, else the failing step's code (11 for a name that cannot be parsed).
int convert_jp_file(const VynWchar* name, int version, int direction);

}  // namespace vek
