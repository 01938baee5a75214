// Versions in file names: opening by version, version lists, stripping and reading
// version and extension texts, renaming every version of a file, deleting and renaming
// files and directories, the per-user registry store and the file-header text.
//
// The version of a name follows the file-name grammar (fnstring.h): "a.prt.3" is
// version 3 of "a.prt". A file without a version part counts as version 1 wherever the
// highest version is asked.
#pragma once

#include <cstdint>
#include <cstdio>

#include "fileaccess/core/pfa.h"
#include "runtime/vekbase.h"

namespace vek {

// ---- Opening by version

// Opens name with a stdio mode. version 0 chooses it: the next one for a mode beginning
// 'w' (made, never opened: a version written since the lookup is stepped over), the
// highest existing for 'r' (null when there is none), else the highest or 1;
// a version of 0 or more is appended as ".%d" (a name that already has one is refused),
// a negative one opens the name as given. The file part is lower-cased first; version
// 1 falls back to the unversioned file, and the whole name lower-cased is tried last.
// Null when nothing opens, the name would reach 260 characters, or version 0 is asked
// and the versions cannot be looked up (a failed lookup is not taken for none, so that
// no existing version is opened as the next one).
std::FILE* vyn_spg_fopen(const VynWchar* name, int version, const char* mode);
std::FILE* vyn_fopen(const char* name, int version, const char* mode);
// Opens the highest version of an unversioned name for reading; out_name (260 units,
// may be null) gets the name opened and *version (may be null) the version. Null when
// the name has a version or none exists.
std::FILE* vyn_spg_try_rol_fopen(const VynWchar* name, VynWchar* out_name, int* version);
// Opens name for reading; on success out_name (may be null) gets the name.
std::FILE* try_rol_fopen(const VynWchar* name, VynWchar* out_name);
// 1 when the name has a version part.
int fname_has_version(const VynWchar* name);
// Copies in to out with the file part (after the last '\\') lower-cased; 1.
int cnvrt_filenm_only_to_lower(const VynWchar* in, VynWchar* out);

// ---- Version lists and the highest version

// The existing versions of the unversioned name, ascending, in a new growable array of
// int16_t (free it) in *versions, the unversioned file counted as 1: their count. Null
// and 0 when there is none, null and -1 when the directory cannot be listed whole.
int vyn_get_all_versions(const VynWchar* name, std::int16_t** versions);
// The highest existing version of the unversioned name, 1 for an unversioned file
// alone, 0 when none exists or the lookup fails. Without a handle the name's own
// directory is asked (pfa_get_file_vers); with one, the name's file part is looked for
// in the directory the handle names, the hint passed on as the lookup's object type
// (pfa_get_file_vers_low; -2 is the plain lookup).
int vyn_get_highest_version_low(const VynWchar* name, VynFile* file, int directory_hint);
int vyn_get_highest_version(const VynWchar* name);
int vyn_file_highest_version(const char* name);
// The '.' that begins the version part of name's file part, or null.
const VynWchar* spg_file_version_ptr(const VynWchar* name);

// ---- Version and extension texts (out as large as in)

// Copies in without its version part; 1.
int strip_version_from_fname(const VynWchar* in, VynWchar* out);
// Copies in cut at the '.' that ends the base name (extension and version go); 1.
int strip_ext_from_ascii_fname(const char* in, char* out);
int strip_extension_from_fname(const VynWchar* in, VynWchar* out);
// The number after the last '.' of the file part, out being in cut at that '.'; 0 with
// out a copy when that text is not all digits (an empty one cuts the '.' all the same),
// for a name ending in '\\', and for a number too large for an int.
int get_version_from_ascii_fname(const char* in, char* out);
// The parts of name into the given buffers (each may be null; path of 260 units, the
// others as large as the name), an absent part empty: path through the last delimiter,
// base name, extension and version text. Every given buffer is empty for a name that
// does not parse. 1.
int get_path_name_ext_ver(const VynWchar* name, VynWchar* path, VynWchar* base,
                          VynWchar* extension, VynWchar* version);
// Path through the last '\\' (included), name, and extension from the '.' that ends the
// base name (the '.' and any version included); 0.
int get_path_name_ext(const VynWchar* full, VynWchar* path, VynWchar* name,
                      VynWchar* extension);

// ---- Renaming and deleting

// Renames from to to: 1 on success. A from whose version part is ".*" renames every
// version the directory's listing holds, n to to with version n (the unversioned file
// to version 1 when there is no version 1), stopping at the first failure (0); a
// listing that cannot be read whole renames nothing (0). Names of 257 characters or
// more are refused with a message.
int file_rename(const VynWchar* from, const VynWchar* to);
// Moves a file (pfa_move_file), replacing an existing file under the target name: 0, or
// a PFA_E_ code (9 for a null name, 12 when a directory has the target name).
int rename_even_if_exists(const char* from, const char* to);
// Moves a directory to to, over an existing directory there: the old tree is checked
// first (7 and nothing moves when an entry of it cannot be written), moved aside under a
// fresh name, the directory moved (when that fails the old tree comes back), and only
// then the old tree deleted. 0; else a PFA_E_ code (9 for a null name). When the old
// tree cannot all be deleted after the move, the move stands, what is left of the old
// tree stays beside it, and the result is the deletion's failure. A move to another
// location type whose source cannot all be deleted once its copy stands (pfa_move_dir)
// stands too: the old tree is deleted as after a move, and the result is the move's.
int rename_dir_even_if_exists(const char* from, const char* to);
// Deletes a directory with its contents, or only its contents, through the file layer
// (pfa_delete_dir): 1 on success. The whole tree is checked first; an entry that cannot
// be written stops the delete before anything goes (0), unless flag (force) is set, which
// makes such entries writable first.
int delete_directory(const char* name, int flag);
int delete_directory_contents(const char* name, int flag);
int delete_directory_ws(const VynWchar* name, int flag);
int delete_directory_contents_ws(const VynWchar* name, int flag);

// ---- Per-user registry store (the maker's area); the product is the subkey, replaced
// by the regression product name while a regression run mode is on.

int vekreg_store_string(const char* product, const char* value_name, const char* text);
// 1 when the value exists and is shorter than size; out is untouched otherwise.
int vekreg_get_string(const char* product, const char* value_name, char* out, int size);
int vekreg_delete_val(const char* product, const char* value_name);
// The subkey to use for product.
const char* vekreg_adjust_prodname(const char* product);

// ---- File header text

// "%.15s_%.15s_%.15s_%.15s" of the system record's fourth, first, second and third
// texts into out (wide): its length plus 1, or 92 for a null out.
int vyn_gen_filehdr_sys_info(VynWchar* out);

}  // namespace vek
