// Names for temporary files: fresh names proposed by the run-time's _tempnam, cleaned to
// letters, digits, '_' and '-'.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// A name for a temporary file in directory (null: TMP, else the current directory) with
// prefix (may be null) into out (260 bytes): the file part beyond the prefix is
// lower-cased and every character other than a letter, digit, '_' or '-' becomes '_'; a
// name that needed such a change is taken only when no file has it. A given directory
// stands in TMP for the time of the search. 1, or 0 for a null out or when no name was
// found in 1024 tries.
int vyn_temp_fname_str(const char* directory, const char* prefix, char* out);
// vyn_temp_fname_str in directory, taking only a name that lies in it (the search falls
// back on another place when the directory cannot be used): 1, else 0.
int vyn_temp_fname_in(const char* directory, const char* prefix, char* out);
// The wide form, with the extension appended (".tmp" when null). 0 also when a directory
// was given and the name does not begin with it.
int vyn_temp_fname(const VynWchar* directory, const VynWchar* prefix,
                   const VynWchar* extension, VynWchar* out);
int get_temp_fname(VynWchar* out, const VynWchar* directory, const VynWchar* extension);
// The directory of a temporary name in the default place, through its last '\\', into
// out: 1; a null out is reported and gives 0.
int vyn_temp_path(char* out);

}  // namespace vek
