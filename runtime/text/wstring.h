// Functions on wide (UTF-16, zero-terminated) strings.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// Number of characters before the terminator.
int wslen(const VynWchar* s);

}  // namespace vek
