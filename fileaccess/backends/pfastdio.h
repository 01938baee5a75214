// The standard-stream location ("stdio://in", "stdio://out", "stdio://err").
#pragma once

#include <cstdio>

#include "fileaccess/core/pfa.h"

namespace vek {

// Claims "stdio://" followed by "err", "in" or "out" (colon: the text's first ':'):
// component 1 becomes "stdio://" and *name_offset (may be null) 8. 9 otherwise.
int pfa_stdio_claim_location(VynFile* file, void* text, void* colon, void* name_offset);
// The location string of a standard stream: appends component 1 to buffer at *length
// within limit. 0, 1 when it does not fit.
int pfa_stdio_location_string(VynFile* file, void* buffer, void* length, int limit);

// The process's stream that the handle names (base name "err", "out" or "in") into
// *stream: 0; 11 for an invalid handle or another name.
int pfa_stdio_get_stream(const VynFile* file, std::FILE** stream);
// 1 when the stream allows mode: 2 (write) for output and error, 4 (read) for input;
// 0 for any other mode; 11 for a name that is no stream.
int pfa_stdio_access(VynFile* file, int mode, int unused);

}  // namespace vek
