// File names: substitution, parsing a text into a handle's components and reading it
// back (full, neutral, masked), joining relative names to directories, and the setters
// of a handle's single fields.
#pragma once

#include <cstddef>

#include "fileaccess/core/pfa.h"

namespace vek {

// Longest name text, terminator included.
constexpr int PFA_NAME_SIZE = 260;
// Masks of pfa_get_file_name: the parts to keep.
constexpr int PFA_MASK_HOST = 1;
constexpr int PFA_MASK_DEVICE = 2;
constexpr int PFA_MASK_PATH = 4;
constexpr int PFA_MASK_NAME = 8;
constexpr int PFA_MASK_EXTENSION = 16;
constexpr int PFA_MASK_VERSION = 32;

// Copies in to out (limit bytes), then replaces each '$' and the variable name after it
// (up to the first '/', '\\', '.' or ']', or the end) by the variable's value. A '$'
// followed directly by a separator, or a variable without a value, stays; inserted
// values are not scanned again. 1; 0 when the text would reach limit: out then ends at
// the '$' that would have overflowed it (empty when in itself does not fit), and
// nothing is ever written past limit.
int substitute_env_vars(const char* in, char* out, int limit);

// Copies in; a leading '~' followed by '/', '\\' or the end becomes the home directory's
// full name (the text after the tilde and its separator follows). 1; 0 for "~user", a
// home that cannot be found and a result that would reach limit (out is then empty).
int substitute_unix_home_dir(const char* in, char* out, int limit);
// Both substitutions on wide text: 1 with the result in out (limit characters); else 0
// with out a copy of in (cut at limit).
int w_substitute_vars(const VynWchar* in, VynWchar* out, int limit);

// Names the handle after the text: variables and the home directory substituted, the
// location claimed by a location type, the rest split into base name, extension and
// version, the object type from the extension, and a relative name joined to dir
// (pfa_parse_to_vyn_file_in_dir). 11 for an invalid handle; 9 for the current-directory
// record, a null name, one of 260 characters or more or one that substitution would take
// there, and "~user"; 8 for an open handle (it stays as it was). Any other refusal
// leaves the handle reset (no name, type -4).
int pfa_parse_to_vyn_file_in_dir(VynFile* file, const VynFile* dir, const char* name);
// The low parse: location type 0 claims no location, -1 any. 9 for a null text.
int parse_to_pfa(VynFile* file, int location_type, const char* text);
// Sets the type of a handle of type -4 from its extension and, for a local location,
// makes it a directory when it names one. 11 unless the type is -4.
int pfa_to_standard_form(VynFile* file);
// mode: 0 a file, 1 a directory, -1 asks the location.
int pfa_to_standard_form_private(VynFile* file, int mode);
int pfa_put_extension_to_type(VynFile* file, int name_length, int unusual);
int move_dir_to_name(VynFile* file, int type);
// Parses a wide name and gives each part asked for (a null out is skipped); location
// and name buffers of 260, the extension buffer of 32 characters.
int pfa_parse_to_components(const VynWchar* name, VynWchar* location, int* location_type,
                            VynWchar* base_name, VynWchar* extension, int* version);
// 1 when names of the handle's type are lower-cased (also for null); 0 for -6 and -4.
int pfa_no_mixed_case(const VynFile* file);

// Reading names (buffers of 260 unless said). 11 for an invalid handle or null buffer;
// a name that does not fit gives 1 with an empty buffer.
int pfa_get_full_name(const VynFile* file, char* buffer);
int pfa_get_full_name_mixed_case(const VynFile* file, char* buffer, int lower);
// The neutral form ('/' delimiters); 11 also for type -4.
int pfa_get_neutral_name(const VynFile* file, char* buffer);
// The parts of mask (PFA_MASK_*); 9 for a mixture of location bits on a location type
// other than 1.
int pfa_get_file_name(const VynFile* file, int mask, char* buffer);
int pfa_get_file_name_mixed_case(const VynFile* file, int mask, char* buffer, int lower);
// A directory's name with mask 56, in a buffer that the next call reuses; null for any
// other handle.
const char* pfa_extract_path_tail(const VynFile* file);
// The base name; for a directory the last element of its location.
int pfa_get_name(const VynFile* file, char* buffer);
// The extension (a buffer of 32); 11 when it is longer than 4 characters and than the
// extension of the handle's type (unless the type is -6).
int pfa_get_extension(const VynFile* file, char* buffer);
// The location string (native or neutral; a null buffer skips it) and the location type
// (type may be null).
int pfa_get_location(const VynFile* file, char* buffer, int* type);
int pfa_get_neutral_location(const VynFile* file, char* buffer, int* type);

// Joining.
int pfa_path_is_absolute(const VynFile* file);
// Puts dir's location followed by the relative path text on out: 11 for invalid handles,
// 9 when dir is no directory, 14 for a ".." above the root, 4 when the result would
// reach 260 characters.
int pfa_location_append(const VynFile* dir, VynFile* out, const char* text);
int concat_pfa_paths(const VynFile* dir, VynFile* file);
int pfa_build_path(const VynFile* dir, const VynFile* relative, VynFile* out);
int pfa_concat_locations(const VynFile* dir, const VynFile* name, VynFile* out);

// Removes, in a path with '/' separators, every ".." element (preceded by '/' at offset 2
// or later, followed by '/' or the end) together with the element before it, unless
// that element is itself ".." or empty; repeated until none is left. 1 when anything
// was removed.
int pfa_remove_redundant_updirs(char* path);

// The component that the location type names host or device, into a buffer of 32: 0;
// 11 for an invalid handle or buffer or a location type without one (empty buffer); 1
// when it does not fit (empty buffer).
int pfa_get_host(const VynFile* file, char* buffer);
int pfa_get_device(const VynFile* file, char* buffer);
// The path component as native text, into a buffer of 260: up to its last '/', without
// the elements that a ".." takes back, every '/' written as '\\'. Empty when the
// location type has no path. 11 for an invalid handle or buffer.
int pfa_get_path(const VynFile* file, char* buffer);

// Field setters. 11 for an invalid handle.
// Host and device (11 when the location type has none, 9 for a null text or one of 32
// characters or more) and path (11 without a path, 9 for a null text or one that would
// reach 260 characters). The path is normalised: '\\' becomes '/', "./" at the start or
// after a separator is dropped, and a nonempty path ends with '/'. A handle of location
// type 0 becomes a local one first.
int pfa_put_host(VynFile* file, const char* text);
int pfa_put_device(VynFile* file, const char* text);
int pfa_put_path(VynFile* file, const char* text);
// The base name (the type becomes -6 when the name does not suit it) and the extension
// (the type follows from it).
int pfa_put_name(VynFile* file, const char* text);
int pfa_put_extension(VynFile* file, const char* text);
// The object type; a type of the table also sets the table's extension (lower-cased for
// pfa_put_obj_type), -5 makes the handle's name a subdirectory of its location.
int pfa_put_obj_type(VynFile* file, int type);
int pfa_put_obj_type_lower(VynFile* file, int type, int lower);
int pfa_put_obj_type_pdm(VynFile* file, int type);
int pfa_put_obj_type_stat(VynFile* file, int type, int lower, int data_management);
// Replaces the location by the text, claimed by the given type (-1 any).
int pfa_put_location(VynFile* file, const char* text, int type);
// Copies base name, extension and type; the version is copied for rule 0, else
// resolved on to with the rule.
int pfa_copy_name_ext_vers(const VynFile* from, VynFile* to, int rule);

// The highest version a name can carry; no version follows it.
inline constexpr int PFA_VERSION_MAX = 32767;
// The version, -32768 to PFA_VERSION_MAX (else 9); clears the exact-case flag.
int pfa_put_version(VynFile* file, int version);
// The stream's text converter; 9 for a directory.
int pfa_put_encode(VynFile* file, int encode);
// The location type; 9 unless the type is registered.
int pfa_put_location_type(VynFile* file, int type);
// 1 when the handle is of that location type.
int pfa_is_location(const VynFile* file, int type);

// The object-info record, all text wide.
struct VynObjInfo {
  VynWchar name[80];
  VynWchar extension[10];
  VynWchar path[260];
  VynWchar device[20];
  VynWchar host[80];
  std::int32_t version;
};
static_assert(offsetof(VynObjInfo, extension) == 160);
static_assert(offsetof(VynObjInfo, path) == 180);
static_assert(offsetof(VynObjInfo, device) == 700);
static_assert(offsetof(VynObjInfo, host) == 740);
static_assert(offsetof(VynObjInfo, version) == 900);
static_assert(sizeof(VynObjInfo) == 904);
// 11 for an invalid handle or null record, 4 when a part does not fit its field.
int pfa_to_vyn_obj_info(const VynFile* file, VynObjInfo* info);
int vyn_obj_info_to_pfa(const VynObjInfo* info, VynFile* file);

// Tag hints of the location (method PfaLocUgcTagHint).
// dbg_print_info with a format that takes wide texts (%ws), which the format check of
// dbg_print_info does not know.
int print_wide_info(const char* name, const char* format, ...);
int pfaloc_supports_ugc_tag_hints(const VynFile* file);
int pfaloc_put_ugc_tag_hints(VynFile* file, int count, const VynWchar* const* tags);

}  // namespace vek
