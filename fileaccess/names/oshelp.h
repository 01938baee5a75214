// Path and operating-system helpers of the file-access layer.
#pragma once

#include <cstdio>

#include "fileaccess/core/pfa.h"
#include "platform/w32/registry.h"
#include "runtime/vekbase.h"

namespace vek {

// The process-wide input mode, 0 at start.
int get_input_mode();
int set_input_mode(int mode);
// The process-wide view-only order-check flag, 0 at start: stores on and returns it.
int set_view_only_order_check(int on);

// fopen that keeps the directory cache up to date for the files it creates.
std::FILE* dci_fopen(const char* name, const char* mode);

// 1 when path names a directory, 0 when it names anything else, nothing, or is null.
// One trailing delimiter is removed from the caller's text first (a drive root or a
// lone delimiter stays whole); critical-error boxes are off during the test and the
// error mode is restored after it.
int vyn_is_dir(char* path);

// The full name of the layer's current directory as wide text into out (size
// characters): 1; 0 with out empty when there is none or it does not fit.
int dir_get(VynWchar* out, int size);

// The registry primitives: key is a path of names below root. Each opens the key, does
// its one read or write and closes the key again.
//
// Reads a REG_DWORD value (at most 4 bytes) into *value when value is not null: 1, or 0
// when the key or value is missing, is of another type or does not fit.
int nt_get_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD* value);
// Writes a REG_DWORD value, making the key and the keys above it when missing: 1 on
// success, else 0.
int nt_set_registry_value(w32::HKEY root, const char* key, const char* value_name,
                          w32::DWORD value);
// Reads a REG_SZ or REG_EXPAND_SZ value into out of size bytes, always terminated: 1
// when out is not empty. out is empty (and the result 0) when the value is missing, of
// another type, empty, or does not fit with its terminator; 0 for a null out or a size
// below 1.
int nt_get_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           char* out);
// Writes text as a REG_SZ value of at most size bytes, making the keys when missing: 1
// on success, else 0 (also for a null text or a negative size). Nothing past the
// text's terminator is stored, so size may be that of the caller's buffer.
int nt_set_registry_string(w32::HKEY root, const char* key, const char* value_name, int size,
                           const char* text);

// ---- Files by name (wide names)

// Copies source to target, replacing it: 1, else 0. A source named with version 1 that
// does not exist is taken unversioned.
int spg_copy_file(const VynWchar* source, const VynWchar* target);
// Deletes a file by name through a handle of it (pfa_delete_file). Without a version in
// the name dms_delete_file deletes the highest existing version (the unversioned file
// only when no version exists; nothing when the versions cannot be looked up); the other
// two delete the file as named. delete_file and dms_delete_file lower-case name and
// extension first (the names resolve without regard to case either way). delete_file
// and delete_file_this_case always give 0; dms_delete_file gives 0 or a PFA_E_ code.
int delete_file(const VynWchar* name);
int delete_file_this_case(const VynWchar* name);
int dms_delete_file(const VynWchar* name);
int delete_latest_file(const VynWchar* name);
// 1 when name (up to 259 characters) matches a file that is not a directory; ".*" is
// appended first when the file part has no '.', so that a bare name matches that name
// with any extension. The first match decides.
int file_exists(const char* name);

// A new handle of name with the extension put when it is not empty (may be null) and
// version 0; the caller frees it. Null when the name does not parse.
VynFile* make_full_name_pfa(const VynWchar* name, const VynWchar* extension);
// The full name of make_full_name_pfa's handle, case kept, in a static buffer
// (VYN_NAME_MAX units) that the next call overwrites; empty when it cannot be formed.
const VynWchar* make_full_name(const VynWchar* name, const VynWchar* extension);
// The full name of name taken in directory and its sub-path into out (260 units):
// directory (a '\\' is added when it does not parse as it stands), sub-path (may be
// null; each '%' read as '/', one leading '/' dropped) joined below it, and name (may be
// null or empty: the directory itself) taken in that. 0 with out set; else the code of
// the parse that failed, or 1 when the full name cannot be formed, with out empty.
int make_filepath(const VynWchar* name, const VynWchar* directory, const VynWchar* sub_path,
                  VynWchar* out);

// ---- Directories and tests

// The current directory into buffer (260 bytes); the buffer, or null when it cannot be
// read or does not fit.
char* getwd(char* buffer);
// Makes directory the current one: 1, else 0.
int dir_change(const VynWchar* directory);
// 1 when name exists (a file or a directory).
int dir_valid(const VynWchar* name);
// in into out (260 units); when it is not empty and does not exist, out is its full
// name. 1 when in is empty or out names something that exists, else 0.
int os_convert_path(const VynWchar* in, VynWchar* out);
// 1 for "X:\\..." and for a '\\' after leading white space; '/' never counts.
int is_path_absolute(const VynWchar* path);
// 1 when name is a directory.
int vyn_is_directory(const VynWchar* name);
// Asked of a handle made from name: -1 when no handle can be made, the file does not
// exist (its case not kept) or its mode cannot be read, 1 for a directory, 2 for
// anything else.
int get_file_stat(const VynWchar* name);
// vyn_is_directory of path and name joined as vyn_cat_full_path_name joins them.
int vyn_is_local_directory(const VynWchar* path, const VynWchar* name);
// 1 when the directory (the current one for a null or empty name) may be written.
int dir_has_write_access(const VynWchar* directory);
// 0 when name allows mode (0 existence, 2 writing, 4 reading, 6 both), else
// PFA_E_NOT_FOUND or PFA_E_NO_ACCESS (PFA_E_INVALID_INPUT for a null name).
int vyn_check_access(const char* name, int mode);
// Makes the directory with its parent's owners and mode bits. With keep_parent_writable,
// a parent without the owner-write bit gets it for the time of the creation and has its
// mode restored afterwards, also when the creation failed. 1 when made, 0 when not, -1
// when made but the parent's owners could not be given to it.
int make_dir(const VynWchar* directory, int keep_parent_writable);

// ---- The older name splitting and joining (narrow)

// Splits name into directory (through the last '\\'), base name, extension and version
// text by the file-name grammar, without testing the version; outputs (each may be
// null) point into static buffers, null for an empty part. 0; 11 for a null name or one
// longer than 260 characters.
int proj_parse_filename(const char* name, char** directory, char** base, char** extension,
                        char** version);
// "drive:path\\name" or "\\\\host\\<drive><path>\\name", with ".extension" when not empty and
// ".version" for a version of 1 or more, into out (260 bytes); all of host, device and
// path empty gives the name. 0; 3 for a null out; 11, with out empty, for a name of 260
// characters or more.
int proj_make_full_filename(const char* host, const char* device, const char* path,
                            const char* name, const char* extension, int version, char* out);
// make_family_name in narrow text: out (260 bytes) may be null. 0.
int proj_make_family_name(const char* generic, const char* instance, char* out);
// The version after the file part's last ';' (else its last '.'), when that is not the
// file part's first character and a digit or '-' follows; base_out (may be null; as
// large as name) gets the name without it, or the whole name for version 0. The
// version (0 for none or one that does not fit an int) into *version when not null; 1.
int get_version_num(const VynWchar* name, int* version, VynWchar* base_out);
// Splits a full name into host and device (of "\\\\host\\share\\..." and "X:..."), path
// through the last delimiter, name, extension and version; each output may be null,
// and is as large as full_name.
int get_host_path_name(const VynWchar* full_name, VynWchar* host, VynWchar* device,
                       VynWchar* path, VynWchar* name, VynWchar* extension, int* version);

// ---- Image formats

// The object types of an image-format class (0 Image, 1 Bump, 2 Texture, 3 Decal): 0;
// 100 with a null list and count 0 for another class.
int image_formats_from_class(int image_class, const int** list, int* count);
// 1 when the object type is in the class's list.
int valid_image_type(int image_class, int object_type);

}  // namespace vek
