// Model-file access: opening model files by wide names, their dates, and the detection
// and repair of model files whose lines end with DOS line ends (a carriage return
// before each line feed), copied into the next version with plain line feeds.
//
// A model file is a versioned text file whose first line begins "#UGC" and which has a
// further line beginning "#Mavrel".
#pragma once

#include <cstdint>
#include <cstdio>

#include "runtime/vekbase.h"

namespace vek {

struct VynFile;

// Descriptor open through the run-time's _open, binary added to flags. Flags other than 0
// open the name with base name and extension lower-cased; flags 0 (reading) open the
// name as it exists on disk. -1 when nothing opens, nothing exists to read, or the name
// would reach 260 characters.
int spg_open(const VynWchar* name, int flags, int permission);
// The same for streams: a mode other than "r" opens the lower-cased name; "r" the name
// on disk (null when there is none).
std::FILE* spg_fopen(const VynWchar* name, const char* mode);
// Opens a handle exactly as named (rule 0): for a mode holding "r" the name as it exists
// on disk, else the name with path and base name lower-cased. Null when the name is 260
// characters or more, does not parse or does not open.
VynFile* pfa_spg_fopen(const VynWchar* name, const char* mode);
// 0 when the name exists (mode 0) or allows mode, else -1.
int spg_access(const VynWchar* name, int mode);
// Sets (on) or clears the write bits of the named file's mode: the handle operation's
// code, 1 when the name makes no handle.
int change_file_write_access(const VynWchar* name, int on);
// 1 when the handle's file exists, its name's case kept. A handle of version 1 whose
// file does not exist is tried as the unversioned file: found, it keeps version 0;
// else it gets version 1 back.
int find_pfa(VynFile* file);
// 1 when the handle's file exists under its own name or, on a location that keeps
// letter case, under its base name and extension each all lower or all upper case; the
// handle then carries the name found. 0 with its name and extension as they were.
int get_real_name_pfa(VynFile* file);
// The full name as it exists on disk into out (260 units), through get_real_name_pfa on
// a handle made from name: 1 when found; 0 with the handle's full name when not found,
// and 0 with out empty when name makes no handle or no full name (a null out gives 0).
int get_real_name(const VynWchar* name, VynWchar* out);
// Path as given, then base name and extension lower-cased, into out (as large as
// name); 1.
int file_name_cnvrt_to_lower(const VynWchar* name, VynWchar* out);
// Modification and change times (seconds since 1970): 1, or 0 when the name cannot be
// read; time may be null.
int vyn_get_mdate(const VynWchar* name, std::int64_t* time);
int vyn_get_cdate(const VynWchar* name, std::int64_t* time);
// Copies name cut at the second '.' of its last element (a '.' that begins the element
// does not count) into out (as large as name); 1.
int strip_version_from_char_name(const char* name, char* out);

// 1 when the open handle holds a model file with DOS line ends: its head line ends with
// CR LF, or its "#Mavrel" line does. *status (may be null) gets 0, 5 when the file ends
// before its first line, or the failed read's code; release (5 bytes, may be null) the
// ninth field of the head line. The handle is back at its start afterwards, unless the
// first read did not come.
int is_dossed_ugc_file(VynFile* file, int* status, char* release);
// Copies the DOS model file source into the next version of target with every CR that
// directly precedes an LF dropped: 1 when converted, target then naming the version
// written. That version is made, never opened: one that turns up after the lookup is
// another program's file and is stepped over. The copy starts at the file's first byte
// and reads every byte it held.
// *status: 0 after a complete copy and for a file that needs no repair (0), the open's
// code when the source or target cannot be opened, the test's code when the file could
// not be read or put back at its start, 1 for a failed read or a copy that did not read
// the whole file from its start, 13 for a failed write or close of the target, 11 for
// invalid or identical handles; every failure removes the partial target and leaves the
// source alone. Both handles are closed afterwards.
int vyn_fix_dossed_pfas(VynFile* source, VynFile* target, int* status, char* release);
// The same on two handles parsed from the names (4 when one does not parse); written
// (260 bytes, may be null) gets the full name written.
int vyn_fix_dossed_file(const char* source, const char* target, int* status, char* release,
                        char* written = nullptr);
// Checks (check_only) or repairs one model file, or every model file of a directory
// handle (its subdirectories too with descend), reporting on the standard error stream.
// A repaired file's version is deleted only after a complete copy. 1; 0 for an invalid
// handle, a directory that cannot be listed whole, a file that cannot be opened or read,
// a repair that has no room or permission or failed, and a repaired version that could
// not be deleted.
int vyn_fix_dossed_pfa_dirs(VynFile* file, int check_only, int descend);
// 1 when the directory of the file may be written and has room for the file's size;
// *size (may be null) gets 0, or the size when the room is short.
int have_space_and_perms(VynFile* file, std::int64_t* size);
// "%d bytes", "%d Kbytes", "%d Mbytes" or "%d Gbytes", in a static buffer that the next
// call overwrites.
const char* formatted_size(std::int64_t bytes);

}  // namespace vek
