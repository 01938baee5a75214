// Strings handed back in new memory blocks, which the caller releases with relmem or
// rlsmem. A null input gives null.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

char* make_scopy(const char* s);
VynWchar* make_wscopy(const VynWchar* w);

}  // namespace vek
