// Conversion between narrow and wide (UTF-16) text.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// Converts the narrow text src into dst, which has room for one unit per byte plus
// the terminator; returns dst.
VynWchar* strtows(VynWchar* dst, const char* src);

}  // namespace vek
