// Pieces shared by the formatted printing and the scanning: the keyword tables.
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

// The first row whose keyword matches the text at `at` without regard to case, over
// the keyword's length; -1 when none does.
int find_conv_keyword(const char* at, const ConvSpecDef* table, int rows);

}  // namespace vek
