// Facts about the running program and its build (product identity, platform, date code,
// versions, display), document-type registration with the shell, and the registry of
// application-information types through which records carry typed values.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// The product identity; the titles are the caller's strings, kept by pointer.
struct ApplInfo {
  int product_id;
  int stamp_id;
  const char* title;
  const char* window_title;
};

int set_appl_info(int id, int stamp_id, const char* title);
const char* set_appl_window_title(const char* title);
int product_id();
int product_stamp_id();
const char* product_title();
const char* product_window_title();

// Platform id of this build (29) and the name of a platform id ("" when unknown).
int get_platform();
const char* platform_name_by_id(int id);

// The build date code, normalised in place to "%04d%02d%1d" (year, week, sub-build);
// "INVALID" when it holds anything but 4 to 7 digits, a year outside 1985 to 2084 or a
// week outside 0 to 53 (the stored code is then left as it was).
const char* vyn_get_datecode();
// 1 for a week 0 to 53, else 0.
int check_week(int week);
// The major version times ten followed by the date code ("2402003100"), in a static
// buffer.
const char* vyn_ver_datecode();
const char* get_version_only_();
const char* get_version_namenum_();
// A copy of the version made on first use.
const char* get_internal_version();

// The host part of DISPLAY, or the computer name when DISPLAY is unset, names no host
// or names "unix"; in a static buffer of VYN_DISPLAY_ADDRESS_SIZE bytes.
constexpr int VYN_DISPLAY_ADDRESS_SIZE = 256;
const char* vyn_get_display_address();
// Sets both to 0, each when given.
void get_display_kbd_screen(int* keyboard, int* screen);
const char* get_raw_display();

// 1 when the text is a version number: a digit other than '0' or '-' and a digit first,
// digits only after, and a value that fits a signed 16-bit integer. 0 for a null text.
int is_vers_string(const char* text);

// Registers a document type with the shell under HKEY_CLASSES_ROOT, writing only the
// keys that are missing (a key that can be opened for reading is left alone).
// extensions are given without their dot; icon may be null. 0, or 355 at the first
// write that fails and for a missing argument or key name that is too long.
int nt_insure_mime_type_registered(const char* content_type, const char* program,
                                   const char* description, const char* class_name,
                                   const char* icon, const char* const* extensions,
                                   int extension_count);

// Application-information types. A value is one word; records store pointers in it.
typedef void (*AppinfoFreeFunc)(VynWord value);
typedef void (*AppinfoCopyFunc)(VynWord value, VynWord* new_value);
typedef void (*AppinfoPostCopyFunc)(VynWord value, VynWord* new_value, void* argument);

// One registered type; its id is its index in the registry. Any function may be null.
struct AppinfoType {
  AppinfoFreeFunc free_func;
  AppinfoCopyFunc copy_func;
  AppinfoPostCopyFunc post_copy_func;
};

// One entry of a record's info array: a growable array of these, null while empty.
struct AppinfoEntry {
  int type;
  VynWord value;
};

// Registers a type: its id (the count of types before).
int appinfo_register_type(AppinfoFreeFunc free, AppinfoCopyFunc copy,
                          AppinfoPostCopyFunc post_copy);

// p_info is the address of the record's info array handle (a variable of any pointer
// type); the array may move and the handle is updated.
//
// The address of the value stored for the type, valid until the array next changes.
// Not found: null when create is 0, else a new entry {type, 0} is appended (the array
// made when null). A type that was never registered gets no entry: null after a report.
VynWord* appinfo_find_info(void* p_info, int type, int create);
// Index of the first entry of the type, -1 when none (a null array has none).
int appinfo_find_info_low(const void* info, int type);
// Gives the target the copied values of the source's entries: first every type's copy
// function in entry order, then every type's post-copy function with argument. The
// target handle is set to null first; its previous array, if any, is the caller's. 1;
// 0 (nothing done) when either address is null or both are the same.
int appinfo_copy_array(const void* p_source, void* p_target, void* argument);
// Calls the free function of the type's entry on its value and removes the entry; an
// array left empty is freed and the handle set to null. 1 when there was an entry.
int appinfo_free_one_info(void* p_info, int type);
// Calls each entry's free function in order, then frees the array; the handle is null.
void appinfo_free_all_info(void* p_info);

}  // namespace vek
