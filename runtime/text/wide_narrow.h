// Conversion of wide (UTF-16) text to narrow text.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// Converts the wide text src into dst, which has room for four bytes per character
// plus the terminator; returns dst. Characters above 0xFF become '?'.
char* wstostr(char* dst, const VynWchar* src);

}  // namespace vek
