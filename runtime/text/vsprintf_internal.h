// Pieces shared by the formatted printing and the scanning: keyword tables and the
// ASCII character tests that stay the same whatever the C library's locale.
#pragma once

#include "runtime/text/textbase.h"

namespace vek {

// One row of a keyword table: the keyword, the text that replaces it in the format
// handed to the C library (null: the keyword itself), and its argument type.
struct ConvSpecDef {
  const char* keyword;
  const char* replacement;
  int type;
};

inline bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The first row whose keyword matches the text at `at` without regard to case, over
// the keyword's length; -1 when none does.
int find_conv_keyword(const char* at, const ConvSpecDef* table, int rows);

// Reads decimal digits at *p (moving it past them) into a value that saturates at
// limit + 1, so that any count above limit is seen as too big.
long read_bounded_number(const char** p, long limit);

}  // namespace vek
