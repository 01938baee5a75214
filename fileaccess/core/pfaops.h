// File operations and attributes of a handle.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// 1 when the handle's file is on this machine: every location type other than 0 and 1;
// for those, no host or this machine's name (any case), or a host that resolves to the
// same official name. 0 for a one-character host or a name that does not resolve; -1
// for an invalid handle.
int pfa_is_local(const VynFile* file);

}  // namespace vek
