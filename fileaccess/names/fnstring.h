// The file-name string layer: operations on name texts that need no file handle.
//
// Narrow names are in the session language's encoding; wide names are UTF-16.
#pragma once

#include "runtime/text/lang.h"
#include "runtime/text/wide.h"
#include "runtime/vekbase.h"

namespace vek {

// Calls visit(start, length) for every whole character of the narrow text (char or
// const char), in order, in the encoding of the session language (read once, at the
// start of the walk). The trail byte of a double-byte character may equal '\\', '/' or
// '|'; every search of a name for delimiters walks through here, so that it sees whole
// characters only.
template <typename Char, typename Visit>
void walk_name_chars(Char* text, Visit visit) {
  int language = get_language();
  for (Char* p = text; *p;) {
    int n = mb_char_len(p, language);
    visit(p, n);
    p += n;
  }
}

// The first '/', '\\', '.' or ']' of text (a whole single-byte character), or its
// terminator when it has none. Null for a null text.
const char* find_path_separator(const char* text);

// Appends delimiter to path and returns 1. Returns 0 and leaves path as it was when it
// is null, empty (unless allow_empty), already ends with '\\' or '/', or its length
// has reached maximum - 1 (reported through dbg_print_info; -1: no limit). In a
// multibyte session the last byte of a double-byte character is never taken for a
// delimiter.
int add_dir_delim(char* path, int maximum, char delimiter, int allow_empty);
// The same on wide text.
int add_dir_w_delim(VynWchar* path, int maximum, VynWchar delimiter, int allow_empty);

// Removes one trailing '\\' or '/' from path, in place, and returns 1. Returns 0 and
// leaves path as it was when it is null or empty or does not end with a delimiter, and,
// with keep_root, when the delimiter is the whole path or follows '\\', '/' or ':', so
// that "\\", "C:\\" and a leading "\\\\" stay whole. In a multibyte session the last
// byte of a double-byte character is never taken for a delimiter.
int remove_dir_delim(char* path, int keep_root);
// The same on wide text.
int remove_dir_w_delim(VynWchar* path, int keep_root);

}  // namespace vek
