#include "fileaccess/core/objtype.h"

#include <cstdio>
#include <cstring>

#include "fileaccess/core/objtype_testing.h"
#include "fileaccess/core/pfa.h"
#include "fileaccess/names/pfahandleops.h"
#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/oshelp.h"
#include "runtime/algo/sort.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/xar.h"
#include "runtime/text/strutil.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

#define OBJ_TYPE_ROW(type, ext, label, length, group, list, icon, ugc, cls) \
  {type, ext, label, length, group, list, icon, ugc, cls, 0},
// The table as built, for the test reset.
constexpr VynObjectType kBuiltRows[] = {
#include "fileaccess/core/objtype_rows.def"
};
static_assert(sizeof kBuiltRows / sizeof kBuiltRows[0] == OBJ_TYPE_ROW_COUNT);
// The table as it stands: extensions change through notify_extension_changed.
VynObjectType object[] = {
#include "fileaccess/core/objtype_rows.def"
};
#undef OBJ_TYPE_ROW

constexpr int kAllFileRow = OBJ_TYPE_ROW_COUNT - 1;

// The indexes, made on first use: rows sorted by extension (those with one, and the
// "All File" row) and by type, each then by table position.
const VynObjectType* by_extension[OBJ_TYPE_ROW_COUNT];
int by_extension_count = -1;
const VynObjectType* by_type[OBJ_TYPE_ROW_COUNT];
bool by_type_made;
// The row that the last type lookup found, tried first by the next.
const VynObjectType* last_found;
bool match_types_filled;

int compare_extensions(const void* a, const void* b) {
  return std::strcmp(static_cast<const VynObjectType*>(a)->extension,
                     static_cast<const VynObjectType*>(b)->extension);
}

int compare_types(const void* a, const void* b) {
  int x = static_cast<const VynObjectType*>(a)->type;
  int y = static_cast<const VynObjectType*>(b)->type;
  return x < y ? -1 : x > y ? 1 : 0;
}

void sort_extension_index() {
  sort_pointers_same_order(by_extension_count, compare_extensions,
                           reinterpret_cast<void**>(const_cast<VynObjectType**>(by_extension)));
}

void sort_type_index() {
  sort_pointers_same_order(OBJ_TYPE_ROW_COUNT, compare_types,
                           reinterpret_cast<void**>(const_cast<VynObjectType**>(by_type)));
}

// The rows with an extension, and the "All File" row that an empty extension finds; made
// again whenever an extension changes, since a row may come into it or leave it, and a
// stable sort of rows taken in table order keeps rows that share an extension in that
// order, so that a lookup finds the first of them.
void make_extension_index() {
  if (by_extension_count >= 0) return;
  int n = 0;
  for (int i = 0; i < OBJ_TYPE_ROW_COUNT; ++i) {
    if (object[i].extension[0] || i == kAllFileRow) by_extension[n++] = &object[i];
  }
  by_extension_count = n;
  sort_extension_index();
}

void make_type_index() {
  if (by_type_made) return;
  for (int i = 0; i < OBJ_TYPE_ROW_COUNT; ++i) by_type[i] = &object[i];
  by_type_made = true;
  sort_type_index();
}

const VynObjectType* find_type(int type) {
  make_type_index();
  if (last_found && last_found->type == type) return last_found;
  int lo = 0, hi = OBJ_TYPE_ROW_COUNT;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (by_type[mid]->type < type) lo = mid + 1; else hi = mid;
  }
  if (lo == OBJ_TYPE_ROW_COUNT || by_type[lo]->type != type) return nullptr;
  last_found = by_type[lo];
  return last_found;
}

}  // namespace

const VynObjectType* obj_type_row(int i) {
  return i >= 0 && i < OBJ_TYPE_ROW_COUNT ? &object[i] : nullptr;
}

int extension_to_type(const char* extension) {
  if (!extension) return OBJ_TYPE_NOT_FOUND;
  char key[sizeof object[0].extension];
  if (std::strlen(extension) >= sizeof key) return OBJ_TYPE_NOT_FOUND;
  vyn_cnvrt_to_upper(extension, key);
  make_extension_index();
  int lo = 0, hi = by_extension_count;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (std::strcmp(by_extension[mid]->extension, key) < 0) lo = mid + 1; else hi = mid;
  }
  if (lo == by_extension_count || std::strcmp(by_extension[lo]->extension, key) != 0)
    return OBJ_TYPE_NOT_FOUND;
  return by_extension[lo]->type;
}

int ext_to_type(const VynWchar* extension) {
  if (!extension) return OBJ_TYPE_NOT_FOUND;
  char narrow[wstostr_room(sizeof object[0].extension)];
  if (wstostr_bounded(narrow, sizeof narrow, extension)) return OBJ_TYPE_NOT_FOUND;
  return extension_to_type(narrow);
}

int is_obj_extension(const VynWchar* extension) {
  int type = ext_to_type(extension);
  return type != OBJ_TYPE_NOT_FOUND && type != OBJ_TYPE_NO_EXTENSION ? 1 : 0;
}

const VynObjectType* search_by_type(int type) {
  const VynObjectType* row = find_type(type);
  return row ? row : &object[kAllFileRow];
}

const char* type_to_extension(int type) { return search_by_type(type)->extension; }
const char* get_db_type_label(int type) { return search_by_type(type)->label; }
int type_to_name_length(int type) { return search_by_type(type)->name_length; }
int type_to_spg_mode(int type) { return search_by_type(type)->search_group; }
int type_to_name_list_type(int type) { return search_by_type(type)->name_list_id; }
int find_ugc_type_from_db_type(int type) { return search_by_type(type)->ugc_type; }
int type_to_mixed_case_OK(int type) {
  return search_by_type(type)->type_class & OBJ_CLASS_LOWER_CASE ? 0 : 1;
}
int type_to_weird_chars_OK(int type) {
  return search_by_type(type)->type_class & OBJ_CLASS_UNUSUAL_CHARS ? 1 : 0;
}
int is_nonvek_import_type(int type) {
  return search_by_type(type)->type_class & OBJ_CLASS_IMPORT ? 1 : 0;
}
int is_valid_dbtype(int type) { return search_by_type(type) != &object[kAllFileRow] ? 1 : 0; }

const char* type_to_icon_name(int type, int generic) {
  const VynObjectType* row = search_by_type(type);
  if (row->icon[0] || !generic) return row->icon;
  return row->type_class & OBJ_CLASS_IMPORT ? "generic_nonvek" : "generic_vek";
}

int type_to_ext_match_type(int type) {
  if (!match_types_filled) {
    match_types_filled = true;
    for (int i = 0; i < OBJ_TYPE_ROW_COUNT; ++i) {
      int mapped = extension_to_type(object[i].extension);
      object[i].ext_match_type =
          mapped == OBJ_TYPE_NO_EXTENSION && i != kAllFileRow ? object[i].type : mapped;
    }
  }
  return search_by_type(type)->ext_match_type;
}

int spg_mode_to_type(int group) {
  for (const VynObjectType& row : object) {
    if (row.search_group == group) return row.type;
  }
  return -1;
}

int type_label_to_type(const char* label) {
  // Rows whose label is unknown to us have none; an empty label names no row.
  if (!label || !*label) return -1;
  for (const VynObjectType& row : object) {
    if (u_strcmp_func(row.label, label) == 0) return row.type;
  }
  return -1;
}

int is_basalk_application_type(int type) { return type >= 843 && type <= 845 ? 1 : 0; }

const VynWchar* object_extension(int type) {
  static VynWchar buffer[sizeof object[0].extension];
  strtows_bounded(buffer, sizeof buffer / sizeof buffer[0], type_to_extension(type));
  return buffer;
}

const char* get_object_extension_filter(const int* types, int count) {
  static char buffer[1024];
  buffer[0] = '\0';
  if (!types || count < 1) return buffer;
  int n;
  if (count == 1) {
    n = std::snprintf(buffer, sizeof buffer, "*.%s*", type_to_extension(types[0]));
  } else {
    n = std::snprintf(buffer, sizeof buffer, "*{");
    for (int i = 0; i < count && n >= 0 && n < static_cast<int>(sizeof buffer); ++i) {
      n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), "%s.%s",
                         i ? "," : "", type_to_extension(types[i]));
    }
    if (n >= 0 && n < static_cast<int>(sizeof buffer))
      n += std::snprintf(buffer + n, sizeof buffer - static_cast<std::size_t>(n), "}*");
  }
  // A cut filter would match other files.
  if (n < 0 || n >= static_cast<int>(sizeof buffer)) buffer[0] = '\0';
  return buffer;
}

int get_import_type_list_low(int** out) {
  if (!out) return -1;
  static int list[OBJ_TYPE_ROW_COUNT + 1];
  static int count;
  if (count == 0) {
    list[count++] = 826;
    for (const VynObjectType& row : object) {
      if (row.type_class & OBJ_CLASS_IMPORT) list[count++] = row.type;
    }
  }
  if (*out) xar_free(out);
  array_to_xarray(list, count, sizeof(int), 10, out);
  return count;
}

int notify_extension_changed(int type, const char* extension) {
  const VynObjectType* found = find_type(type);
  if (!found || !extension || std::strlen(extension) >= sizeof found->extension) return 0;
  VynObjectType* row = &object[found - object];
  vyn_cnvrt_to_upper(extension, row->extension);
  if (by_extension_count >= 0) {
    by_extension_count = -1;
    make_extension_index();
  }
  if (by_type_made) sort_type_index();
  return 0;
}

namespace {

int verify(ObjTypeVerifyFunc function, bool namelist) {
  if (!function) return 1;
  for (const VynObjectType& row : object) {
    int answer = function(row.type);
    int expected = namelist ? row.name_list_id : row.ugc_type;
    if (answer == expected) continue;
    if (namelist) {
      dbg_err_crash("obj_type_verify_namelist_ids", "namelist %d != %d for type %d", answer,
                    expected, row.type);
    } else {
      dbg_err_crash("obj_type_verify_ugc_types", "ugc type %d != %d for type %d", answer,
                    expected, row.type);
    }
  }
  return 1;
}

}  // namespace

int obj_type_verify_namelist_ids(ObjTypeVerifyFunc function) { return verify(function, true); }
int obj_type_verify_ugc_types(ObjTypeVerifyFunc function) { return verify(function, false); }

int obj_type_add_icon_names(ObjTypeIconFunc function, void* data) {
  if (!function) return 0;
  int answered = 0;
  for (const VynObjectType& row : object) {
    if (row.icon[0] && function(row.type, row.icon, row.label, data)) ++answered;
  }
  return answered;
}


namespace {

constexpr int kPathSize = 260;
typedef VynWchar SpgPath[kPathSize];

// Each group's growable array of paths (step 5), made on first use.
SpgPath* spg_paths[SPG_GROUP_COUNT];

// The error log.
bool errors_logged;
VynFile* error_log;
bool error_log_failure_reported;

// dir joined with name into out (kPathSize); false when the result would not fit.
bool join_spg_path(const VynWchar* dir, const VynWchar* name, VynWchar* out) {
  int d = wslen(dir);
  int n = wslen(name);
  if (d >= kPathSize) return false;
  wscpy(out, dir);
  if (d > 0 && add_dir_w_delim(out, kPathSize, u'\\', 0)) ++d;
  if (d + n >= kPathSize) return false;
  wscpy(out + d, name);
  return true;
}

// True when a file that is not a directory has that name.
bool spg_file_exists(const VynWchar* name) {
  VynFile* file = pfa_alloc_wfile(name);
  bool exists = file && !pfa_is_dir(file) && pfa_access(file, 0);
  pfa_free_vyn_file(&file);
  return exists;
}

std::FILE* open_for_reading(const VynWchar* name) {
  char narrow[wstostr_room(kPathSize)];
  if (wstostr_bounded(narrow, sizeof narrow, name)) return nullptr;
  return dci_fopen(narrow, "r");
}

}  // namespace

int add_spgpath_to_array(int group, const VynWchar* path) {
  if (group < 1 || group > SPG_GROUP_COUNT || !path || wslen(path) >= kPathSize) return 0;
  SpgPath entry = {};
  wscpy(entry, path);
  xar_alloc_or_append(&spg_paths[group - 1], 1, sizeof(SpgPath), 5, &entry);
  return 1;
}

int search_for_spg_file(const VynWchar* name, int group, VynWchar* out) {
  if (!name || group < 1 || group > SPG_GROUP_COUNT) return 0;
  SpgPath* paths = spg_paths[group - 1];
  int count = xar_count(&paths);
  for (int i = 0; i < count; ++i) {
    VynWchar joined[kPathSize];
    if (!join_spg_path(paths[i], name, joined) || !spg_file_exists(joined)) continue;
    if (out) wscpy(out, joined);
    return 1;
  }
  return 0;
}

std::FILE* open_spg_file(const VynWchar* name, int group, int report) {
  if (!name) return nullptr;
  std::FILE* stream = open_for_reading(name);
  VynWchar found[kPathSize];
  if (!stream && search_for_spg_file(name, group, found)) stream = open_for_reading(found);
  if (!stream && report) {
    vyn_printf("Could not find file %ws\n", name);
    const char* text = vyn_sprintf(nullptr, "\nFile Not Found:\nCould not find file %ws\n", name);
    VynWchar wide[kPathSize + 64];
    if (text && !strtows_bounded(wide, sizeof wide / sizeof wide[0], text)) msg_append_error(wide);
    msg_close_error();
  }
  return stream;
}

int msg_append_error(const VynWchar* text) {
  if (!text) return 0;
  errors_logged = true;
  if (!error_log) {
    // The log is opened exactly as named: through the highest-version rule that the
    // plain open would choose for "a", a log that does not exist yet could never be made.
    error_log = pfa_fopen_file_vers("msgerror.txt", "a", PFA_RULE_AS_NAMED);
    if (!error_log) {
      if (!error_log_failure_reported) {
        error_log_failure_reported = true;
        dbg_err_syserr("msg_append_error", "Cannot open file to log errors!");
      }
      return 0;
    }
  }
  pfa_fprintf(error_log, "%ws", text);
  return 1;
}

void msg_close_error() { pfa_dispose(&error_log); }
void msg_reset_error() { errors_logged = false; }
int errors_in_file() { return errors_logged ? 1 : 0; }

void objtype_testing_reset() {
  std::memcpy(static_cast<void*>(object), kBuiltRows, sizeof object);
  by_extension_count = -1;
  by_type_made = false;
  last_found = nullptr;
  match_types_filled = false;
  // The arrays and the log's record belong to the memory chain, which its own reset
  // releases; the log's stream is closed here.
  for (SpgPath*& paths : spg_paths) paths = nullptr;
  if (error_log && pfa_is_valid(error_log)) pfa_close(error_log);
  error_log = nullptr;
  errors_logged = false;
  error_log_failure_reported = false;
}

}  // namespace vek
