// Object types of handles.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Gives the handle an object type: the same type again is 0 at once; -6 (no known type)
// is stored as it is. The table of types is not here yet: any other type gives 9. 11 for
// an invalid handle.
int pfa_put_obj_type(VynFile* file, int type);

}  // namespace vek
