// Unicode character classes of wide characters: letters, letters and digits, white
// space and digits as the C library classifies them in its UTF-8 locale, whatever
// locale the process runs in. Where the C library has no UTF-8 locale, the classes of
// the current locale answer instead.
//
// A character is one 16-bit unit; a surrogate half is of no class.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

int wclass_alpha(VynWchar c);
int wclass_alnum(VynWchar c);
int wclass_space(VynWchar c);
int wclass_digit(VynWchar c);

}  // namespace vek
