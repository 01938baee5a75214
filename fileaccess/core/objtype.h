// Object types: the table that maps extensions to the kinds of files, their labels,
// name rules and icons, with its two indexes.
#pragma once

#include <cstdio>

#include "runtime/vekbase.h"

namespace vek {

constexpr int OBJ_TYPE_ROW_COUNT = 254;
// Answers of extension_to_type besides the table's types.
constexpr int OBJ_TYPE_NO_EXTENSION = -1;  // an empty extension ("All File")
constexpr int OBJ_TYPE_NOT_FOUND = -2;     // an extension no row has

// Class bits of a row.
constexpr int OBJ_CLASS_LOWER_CASE = 1;     // names of the type are lower-cased
constexpr int OBJ_CLASS_UNUSUAL_CHARS = 2;  // any character is allowed in names
constexpr int OBJ_CLASS_IMPORT = 4;         // an outside format

struct VynObjectType {
  int type;
  char extension[16];  // upper case, without the dot
  const char* label;
  int name_length;
  int search_group;
  int name_list_id;
  const char* icon;
  int ugc_type;
  int type_class;
  int ext_match_type;  // filled on first use by type_to_ext_match_type
};

// The row at table position i (0 to 253), null outside.
const VynObjectType* obj_type_row(int i);

// The type of an extension (any case; the first row in table order when several share
// it): -2 for null or an extension no row has, -1 for an empty one.
int extension_to_type(const char* extension);
int ext_to_type(const VynWchar* extension);
// 1 when the extension names a type of the table (neither -2 nor -1).
int is_obj_extension(const VynWchar* extension);

// The row of a type (the first in table order when repeated); the "All File" row for a
// type not in the table.
const VynObjectType* search_by_type(int type);
const char* type_to_extension(int type);
const char* get_db_type_label(int type);
int type_to_name_length(int type);
int type_to_spg_mode(int type);
int type_to_name_list_type(int type);
int find_ugc_type_from_db_type(int type);
int type_to_mixed_case_OK(int type);
int type_to_weird_chars_OK(int type);
int is_nonvek_import_type(int type);
int is_valid_dbtype(int type);
// The row's icon; an empty one is "generic_vek" ("generic_nonvek" for an import type)
// when generic icons are asked for.
const char* type_to_icon_name(int type, int generic);
// The type that the row's extension maps to; a row whose extension maps to -1 keeps
// its own type.
int type_to_ext_match_type(int type);
// The first type of a search group, -1 when none.
int spg_mode_to_type(int group);
// The first type whose label matches without case, -1 when none.
int type_label_to_type(const char* label);
int is_basalk_application_type(int type);
// The extension as wide text, in a buffer that the next call reuses.
const VynWchar* object_extension(int type);
// A file-name filter for the types ("*.PRT*", "*{.PRT,.ASM}*"), in a buffer that the
// next call reuses; empty for no type or a filter too long for the buffer.
const char* get_object_extension_filter(const int* types, int count);
// A new growable array of ints in *out (a former array there is freed): 826, then
// every import type in table order. The count, -1 for a null out.
int get_import_type_list_low(int** out);
// Gives the type the new extension (upper-cased) and sorts the indexes again. 0; an
// extension of 16 characters or more is not stored.
int notify_extension_changed(int type, const char* extension);
// Compare the table's name-list ids and user-group types with the answers of a
// function; each mismatch is reported. 1.
typedef int (*ObjTypeVerifyFunc)(int type);
int obj_type_verify_namelist_ids(ObjTypeVerifyFunc function);
int obj_type_verify_ugc_types(ObjTypeVerifyFunc function);
// Calls function(type, icon, label, data) for each row with an icon; the count of
// calls that answered nonzero.
typedef int (*ObjTypeIconFunc)(int type, const char* icon, const char* label, void* data);
int obj_type_add_icon_names(ObjTypeIconFunc function, void* data);

// Search paths: seven search groups (1 to 7), each a list of wide paths of at most 259
// characters, empty at start.
constexpr int SPG_GROUP_COUNT = 7;
// Appends the path to the group's list: 1; 0 for a group that does not exist, a null
// path or one of 260 characters or more.
int add_spgpath_to_array(int group, const VynWchar* path);
// The first of the group's paths, in order, in which the name (joined with '\\' unless
// the path ends in a delimiter) names an existing file; it is copied into out (260, may
// be null). 1 when found; 0 otherwise (out left alone), joined names of 260 characters
// or more being skipped.
int search_for_spg_file(const VynWchar* name, int group, VynWchar* out);
// Opens the name for reading, else the file that the group's search finds. When
// nothing opens and report is set, says so on the console and in the error log (which
// is closed again). The stream or null.
std::FILE* open_spg_file(const VynWchar* name, int group, int report);

// The error log "msgerror.txt", opened for appending on first use. Sets the errors flag
// and writes the text: 1; 0 when the log cannot be opened (reported the first time
// only) or the text is null.
int msg_append_error(const VynWchar* text);
// Closes the log; the next message opens it again.
void msg_close_error();
void msg_reset_error();
// 1 once an error was logged since the last reset.
int errors_in_file();

}  // namespace vek
