// Whole-file operations on named handles: temporary files and deleting.
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Names the handle after a file that does not exist yet in the system's temporary
// directory (TMP, TEMP, else /tmp), "vyn<process id>_<number>" with the extension "tmp",
// and gives it the object type. Only names of no known type (-6) are made so far; other
// types give 9. 11 for an invalid handle, 8 for an open one, 1 when no name can be made.
int pfa_make_temp_file(VynFile* file, int type);

// Deletes the handle's file. Mode 0 (the version the handle names) alone is served;
// others give 9. 11 for an invalid or directory handle, 8 for an open one, 1 when the
// file cannot be deleted.
int pfa_delete_file(VynFile* file, int mode);

}  // namespace vek
