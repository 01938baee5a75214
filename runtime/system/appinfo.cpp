#include "runtime/system/appinfo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileaccess/backends/pfu.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/error.h"
#include "platform/w32/registry.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/xar.h"
#include "runtime/system/appinfo_testing.h"
#include "runtime/system/sysinfo.h"
#include "runtime/text/textbase.h"

namespace vek {

// The release marker (sysinfo.h). Defined beside the build date code, which every build
// of the plug-in carries, so that the marker is in the plug-in's data where
// get_vyndevapp_version finds it.
[[gnu::used]] extern const char vek_release_marker[] = "VEK/*RLSE19.1";


namespace {

struct PlatformRow {
  int id;
  char name[32];
};

// Ids are not unique to a row in principle: the first row of an id names it.
constexpr PlatformRow PlatformTable[] = {
    {1, "vax"},         {2, ""},            {3, "sun386"},        {4, "nec"},
    {21, "nec_risc"},   {5, "apollo"},      {7, "decstation"},    {8, "hp300"},
    {9, "ibm_ps2"},     {10, "ibm_rt"},     {11, "tek"},          {12, "hp800"},
    {13, "mitsubishi"}, {14, "ibm_rs6000"}, {15, ""},             {16, "dg"},
    {17, "i486"},       {18, "sun3"},       {19, "sun4"},         {22, "mips_risc"},
    {25, "m88k"},       {26, "alpha_vms"},  {24, "alpha_unix"},   {27, "alpha_nt"},
    {29, "i486_nt"},    {28, "r4000_nt"},   {30, "hitachi"},      {32, "power_nt"},
    {33, "nec_mips"},   {34, "i486_linux"}, {35, "ia64_nt"},
};
constexpr int num_of_platf = static_cast<int>(sizeof PlatformTable / sizeof PlatformTable[0]);
static_assert(num_of_platf == 31);

constexpr int START_PLATFORM = 29;
constexpr char BUILD_DATECODE[] = "2003100";
constexpr char INVALID_DATECODE[] = "INVALID";
constexpr char VERSION_ONLY[] = "J-03-42";
constexpr char VERSION_NAMENUM[] = "Version J-03-42";
constexpr char MAJOR_VERSION[] = "24.0";

// Date codes: years with two digits count from 1985; both forms stop at 2084.
constexpr int FIRST_YEAR = 1985;
constexpr int LAST_YEAR = 2084;

// Result of nt_insure_mime_type_registered when a write fails.
constexpr int MIME_WRITE_FAILED = 355;
// Room for a registry key name built from the caller's names.
constexpr int MIME_KEY_SIZE = 512;

ApplInfo Appl_info = {0, 0, "", ""};
int platform_ = START_PLATFORM;
// Normalised in place: always 7 digits and the terminator once normalised.
char datecode[sizeof BUILD_DATECODE] = "2003100";
char internal_version[sizeof VERSION_ONLY];
char ver_datecode[32];
char display_address[VYN_DISPLAY_ADDRESS_SIZE];

// The registered appinfo types: a growable array of AppinfoType, the id the index.
AppinfoType* appinfo_funcs;
int num_appinfo_types;

// The handle held in the variable at p_info.
AppinfoEntry* entries_at(const void* p_info) { return *static_cast<AppinfoEntry* const*>(p_info); }

const AppinfoType* appinfo_type(int type) {
  return type >= 0 && type < num_appinfo_types ? &appinfo_funcs[type] : nullptr;
}

// out = first + second; false when it does not fit.
bool join(char* out, const char* first, const char* second) {
  int n = std::snprintf(out, MIME_KEY_SIZE, "%s%s", first, second);
  return n >= 0 && n < MIME_KEY_SIZE;
}

bool class_key_exists(const char* key) {
  w32::HKEY opened;
  if (w32::RegOpenKeyExA(w32::HKEY_CLASSES_ROOT, key, 0, w32::KEY_READ, &opened) !=
      w32::ERROR_SUCCESS) {
    return false;
  }
  w32::RegCloseKey(opened);
  return true;
}

// Writes a string value under HKEY_CLASSES_ROOT; an empty name is the key's default.
bool set_class_string(const char* key, const char* name, const char* text) {
  int size = static_cast<int>(std::strlen(text)) + 1;
  return nt_set_registry_string(w32::HKEY_CLASSES_ROOT, key, name, size, text) == 1;
}

}  // namespace

int set_appl_info(int id, int stamp_id, const char* title) {
  Appl_info.product_id = id;
  Appl_info.stamp_id = stamp_id;
  Appl_info.title = title;
  return id;
}

const char* set_appl_window_title(const char* title) {
  Appl_info.window_title = title;
  return title;
}

int product_id() { return Appl_info.product_id; }
int product_stamp_id() { return Appl_info.stamp_id; }
const char* product_title() { return Appl_info.title; }
const char* product_window_title() { return Appl_info.window_title; }

int get_platform() { return platform_; }

const char* platform_name_by_id(int id) {
  for (const PlatformRow& row : PlatformTable) {
    if (row.id == id) return row.name;
  }
  return "";
}

const char* vyn_get_datecode() {
  // Digits only: read through strtol, "+0310" would pass as 2000310 and "12ab" as 2000120.
  int length = 0;
  while (datecode[length]) {
    if (!is_ascii_digit(datecode[length])) return INVALID_DATECODE;
    ++length;
  }
  if (length < 4 || length > 7) return INVALID_DATECODE;
  long value = std::strtol(datecode, nullptr, 10);
  int sub_build = 0;
  if (length == 5 || length == 7) {
    sub_build = static_cast<int>(value % 10);
    value /= 10;
  }
  int week = static_cast<int>(value % 100);
  int year = static_cast<int>(value / 100);
  if (length <= 5) year += year >= FIRST_YEAR % 100 ? 1900 : 2000;
  if (year < FIRST_YEAR || year > LAST_YEAR || !check_week(week)) return INVALID_DATECODE;
  // Year, week and sub-build are in range here, so the text is exactly 7 digits.
  char normalised[16];
  std::snprintf(normalised, sizeof normalised, "%04d%02d%1d", year, week, sub_build);
  std::memcpy(datecode, normalised, sizeof datecode);
  return datecode;
}

int check_week(int week) { return week >= 0 && week <= 53 ? 1 : 0; }

const char* vyn_ver_datecode() {
  int major = static_cast<int>(std::lround(std::strtod(MAJOR_VERSION, nullptr) * 10.0));
  std::snprintf(ver_datecode, sizeof ver_datecode, "%-d%s", major, vyn_get_datecode());
  return ver_datecode;
}

const char* get_version_only_() { return VERSION_ONLY; }
const char* get_version_namenum_() { return VERSION_NAMENUM; }

const char* get_internal_version() {
  if (!internal_version[0]) std::memcpy(internal_version, VERSION_ONLY, sizeof VERSION_ONLY);
  return internal_version;
}

const char* vyn_get_display_address() {
  const char* display = std::getenv("DISPLAY");
  if (display) {
    std::size_t n = std::strcspn(display, ":");
    if (n > sizeof display_address - 1) n = sizeof display_address - 1;
    std::memcpy(display_address, display, n);
    display_address[n] = '\0';
    if (n > 0 && std::strcmp(display_address, "unix") != 0) return display_address;
  }
  display_address[0] = '\0';
  vyn_get_hostname(display_address, VYN_DISPLAY_ADDRESS_SIZE);
  display_address[VYN_DISPLAY_ADDRESS_SIZE - 1] = '\0';
  return display_address;
}

void get_display_kbd_screen(int* keyboard, int* screen) {
  if (keyboard) *keyboard = 0;
  if (screen) *screen = 0;
}

const char* get_raw_display() { return ""; }

int is_vers_string(const char* text) {
  if (!text) return 0;
  const char* p = text;
  bool negative = *p == '-';
  if (negative) ++p;
  if (!is_ascii_digit(*p) || (!negative && *p == '0')) return 0;
  // The magnitude saturates as it is read, so that no length of digits overflows.
  long limit = negative ? 32768 : 32767;
  long value = read_bounded_number(&p, limit);
  return *p == '\0' && value <= limit ? 1 : 0;
}

int nt_insure_mime_type_registered(const char* content_type, const char* program,
                                   const char* description, const char* class_name,
                                   const char* icon, const char* const* extensions,
                                   int extension_count) {
  if (!content_type || !program || !description || !class_name) return MIME_WRITE_FAILED;
  if (extension_count > 0 && !extensions) return MIME_WRITE_FAILED;
  char key[MIME_KEY_SIZE];
  char text[MIME_KEY_SIZE];
  for (int i = extension_count - 1; i >= 0; --i) {
    if (!extensions[i] || !join(key, ".", extensions[i])) return MIME_WRITE_FAILED;
    if (class_key_exists(key)) continue;
    if (!set_class_string(key, "", class_name) ||
        !set_class_string(key, "Content Type", content_type)) {
      return MIME_WRITE_FAILED;
    }
  }
  // Without extensions there is none to name as the content type's.
  if (extension_count > 0) {
    if (!join(key, "MIME\\Database\\Content Type\\", content_type)) return MIME_WRITE_FAILED;
    if (!class_key_exists(key)) {
      if (!join(text, ".", extensions[0]) || !set_class_string(key, "Extension", text)) {
        return MIME_WRITE_FAILED;
      }
    }
  }
  if (!join(key, class_name, "\\shell\\open\\command")) return MIME_WRITE_FAILED;
  if (!class_key_exists(key)) {
    int n = std::snprintf(text, sizeof text, "\"%s\" %%1", program);
    if (n < 0 || n >= MIME_KEY_SIZE) return MIME_WRITE_FAILED;
    if (!set_class_string(class_name, "", description) || !set_class_string(key, "", text)) {
      return MIME_WRITE_FAILED;
    }
  }
  if (icon) {
    if (!join(key, class_name, "\\DefaultIcon")) return MIME_WRITE_FAILED;
    if (!class_key_exists(key) && !set_class_string(key, "", icon)) return MIME_WRITE_FAILED;
  }
  return 0;
}

int appinfo_register_type(AppinfoFreeFunc free_func, AppinfoCopyFunc copy_func,
                          AppinfoPostCopyFunc post_copy_func) {
  AppinfoType type = {free_func, copy_func, post_copy_func};
  xar_alloc_or_append(&appinfo_funcs, 1, sizeof type, 1, &type);
  return num_appinfo_types++;
}

VynWord* appinfo_find_info(void* p_info, int type, int create) {
  if (!p_info) return nullptr;
  int index = appinfo_find_info_low(entries_at(p_info), type);
  if (index >= 0) return &entries_at(p_info)[index].value;
  if (!create) return nullptr;
  // An entry of an unknown type could never be freed or copied by its type.
  if (!appinfo_type(type)) {
    dbg_err_crash("appinfo_find_info", "unregistered appinfo type %d", type);
    return nullptr;
  }
  AppinfoEntry entry = {type, 0};
  auto* added =
      static_cast<AppinfoEntry*>(xar_alloc_or_append(p_info, 1, sizeof entry, 1, &entry));
  return &added->value;
}

int appinfo_find_info_low(const void* info, int type) {
  const auto* entries = static_cast<const AppinfoEntry*>(info);
  int count = xar_count(&info);
  for (int i = 0; i < count; ++i) {
    if (entries[i].type == type) return i;
  }
  return -1;
}

int appinfo_copy_array(const void* p_source, void* p_target, void* argument) {
  if (!p_source || !p_target || p_source == p_target) return 0;
  *static_cast<AppinfoEntry**>(p_target) = nullptr;
  bool post_copy = false;
  // The source is read afresh for every entry: a copy function may touch it.
  for (int i = 0; i < xar_count(p_source); ++i) {
    AppinfoEntry entry = entries_at(p_source)[i];
    const AppinfoType* type = appinfo_type(entry.type);
    if (!type) continue;
    if (type->post_copy_func) post_copy = true;
    if (type->copy_func) type->copy_func(entry.value, appinfo_find_info(p_target, entry.type, 1));
  }
  if (!post_copy) return 1;
  for (int i = 0; i < xar_count(p_source); ++i) {
    AppinfoEntry entry = entries_at(p_source)[i];
    const AppinfoType* type = appinfo_type(entry.type);
    if (!type || !type->post_copy_func) continue;
    type->post_copy_func(entry.value, appinfo_find_info(p_target, entry.type, 1), argument);
  }
  return 1;
}

int appinfo_free_one_info(void* p_info, int type) {
  if (!p_info) return 0;
  int index = appinfo_find_info_low(entries_at(p_info), type);
  if (index < 0) return 0;
  VynWord value = entries_at(p_info)[index].value;
  // The entry leaves the array before its free function runs, so that the function
  // finds the array consistent if it looks at it.
  xar_remove(p_info, index, 1);
  if (xar_count(p_info) == 0) xar_free(p_info);
  const AppinfoType* registered = appinfo_type(type);
  if (registered && registered->free_func) registered->free_func(value);
  return 1;
}

void appinfo_free_all_info(void* p_info) {
  if (!p_info) return;
  // Detached first: a free function that looks at the record sees it without its list.
  AppinfoEntry* entries = entries_at(p_info);
  *static_cast<AppinfoEntry**>(p_info) = nullptr;
  int count = xar_count(&entries);
  for (int i = 0; i < count; ++i) {
    const AppinfoType* type = appinfo_type(entries[i].type);
    if (type && type->free_func) type->free_func(entries[i].value);
  }
  xar_free(&entries);
}

void appinfo_testing_reset() {
  Appl_info = ApplInfo{0, 0, "", ""};
  platform_ = START_PLATFORM;
  std::memcpy(datecode, BUILD_DATECODE, sizeof BUILD_DATECODE);
  internal_version[0] = '\0';
  ver_datecode[0] = '\0';
  display_address[0] = '\0';
  // Forgotten, not freed: the memory module's reset releases every block.
  appinfo_funcs = nullptr;
  num_appinfo_types = 0;
}

int appinfo_testing_set_datecode(const char* code) {
  if (!code || std::strlen(code) >= sizeof datecode) return 0;
  std::strcpy(datecode, code);
  return 1;
}

const char* appinfo_testing_stored_datecode() { return datecode; }

int appinfo_testing_type_count() { return num_appinfo_types; }

}  // namespace vek
