// The standard-stream location ("stdio://in", "stdio://out", "stdio://err").
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Claims "stdio://" followed by "err", "in" or "out" (colon: the text's first ':'):
// component 1 becomes "stdio://" and *name_offset (may be null) 8. 9 otherwise.
int pfa_stdio_claim_location(VynFile* file, void* text, void* colon, void* name_offset);
// The location string of a standard stream: appends component 1 to buffer at *length
// within limit. 0, 1 when it does not fit.
int pfa_stdio_location_string(VynFile* file, void* buffer, void* length, int limit);

}  // namespace vek
