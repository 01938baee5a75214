#include "toolkit/startup/startup.h"

#include <cstring>
#include <initializer_list>

#include "app/menus/app_init.h"
#include "fileaccess/names/oshelp.h"
#include "runtime/diag/diag.h"
#include "runtime/text/lang.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"
#include "toolkit/api/startup_api.h"
#include "toolkit/local/local_param.h"
#include "toolkit/startup/startup_testing.h"
#include "toolkit/startup/version.h"

int my_id_num = -1;
int my_lang = -2;
const char* version = nullptr;
const char* bld_date = nullptr;
const VynWchar* my_name = nullptr;
const char* my_epath = nullptr;
const char* my_dpath = nullptr;
int my_fatal = 0;
win_export_entry* win_export_functions = nullptr;
int win_export_func_ct = 0;

char msg_path[YRL_TEXT_DIR_SIZE];
char menu_path[YRL_TEXT_DIR_SIZE];
char resource_path[YRL_TEXT_DIR_SIZE];

const char* const vynkit_versions_strs[YRL_RELEASE_ROWS][2] = {
    {"Illegal Internal Version", "Illegal External Version"},
    {"1", "1"},
    {"2", "2"},
    {"3", "3"},
    {"4", "4"},
    {"5", "5"},
    {"6", "6"},
    {"7", "7"},
    {"8", "8"},
    {"9", "9"},
    {"10", "10"},
    {"11", "11"},
    {"12", "12"},
    {"13", "13"},
    {"14", "14"},
    {"15", "15"},
    {"16", "16"},
    {"17", "17"},
    {"18", "18"},
    {"19", "19"},
    {"20", "20"},
    {"21", "Release 21"},
    {"Illegal Internal Version", "Illegal External Version"},
    {"23", "Release 23"},
    {"24", "Release 24"},
    {"25", "Release 25"},
};

const char* vynkit_release_name(const char* host_version) {
  host_version = yrl_host_text(host_version);
  for (int row = YRL_RELEASE_ROWS - 1; row >= 1; --row) {
    if (std::strcmp(vynkit_versions_strs[row][0], host_version) == 0) {
      return vynkit_versions_strs[row][1];
    }
  }
  return host_version;
}

namespace {

// Writes "<dir>\text", then "\<folder>" and "\<leaf>" for those given, into out
// (YRL_TEXT_DIR_SIZE bytes). False, out untouched, when the path would not fit.
bool text_dir_make(char* out, const char* dir, const char* folder, const char* leaf) {
  std::size_t need = std::strlen(dir) + std::strlen("\\text") + 1;
  for (const char* part : {folder, leaf}) {
    if (part) need += 1 + std::strlen(part);
  }
  if (need > YRL_TEXT_DIR_SIZE) return false;
  vek::vyn_sprintf(out, "%s%ctext", dir, '\\');
  for (const char* part : {folder, leaf}) {
    if (part) vek::vyn_sprintf(out + std::strlen(out), "%c%s", '\\', part);
  }
  return true;
}

// Writes D\text\<folder> into out when it fits: true when that is an existing directory.
bool language_folder_exists(char* out, const char* dir, const char* folder, bool* fits) {
  *fits = text_dir_make(out, dir, folder, nullptr);
  return *fits && vek::vyn_is_dir(out) != 0;
}

// Before start-up the context and language still hold their load values.
void report_if_not_started(const char* name) {
  if (my_id_num == -1 || my_lang == -2) vek::dbg_err_crash(name, "called before VDP_INIT_FUNC");
}

}  // namespace

int vdp_uinit_MsgpathMake(int language) {
  vek::set_language(language);
  const char* dir = yrl_host_text(my_dpath);
  char msg[YRL_TEXT_DIR_SIZE];
  char menu[YRL_TEXT_DIR_SIZE];
  char resource[YRL_TEXT_DIR_SIZE];

  const char* folder = vek::lang_name_by_id(language);
  bool fits = true;
  bool found = *folder && language_folder_exists(msg, dir, folder, &fits);
  if (fits && !found) {
    // Language 6's folder, "usascii".
    folder = vek::lang_name_by_id(vek::LANG_GENERIC_MULTIBYTE);
    found = language_folder_exists(msg, dir, folder, &fits);
  }
  if (!found) folder = nullptr;
  // Every path is built before any is kept, so that a text directory too long for the
  // buffers leaves all three empty rather than some cut.
  fits = fits && text_dir_make(msg, dir, folder, nullptr) &&
         text_dir_make(menu, dir, folder, "menus") &&
         text_dir_make(resource, dir, folder, "resource");
  if (!fits) {
    vek::dbg_err_crash("vdp_uinit_MsgpathMake", "text directory too long: %s", dir);
    msg_path[0] = menu_path[0] = resource_path[0] = '\0';
    return 0;
  }
  std::strcpy(msg_path, msg);
  std::strcpy(menu_path, menu);
  std::strcpy(resource_path, resource);
  return 0;
}

char* get_vyndevdll_msg_path() { return msg_path; }
char* get_vyndevdll_menu_path() { return menu_path; }
char* get_vynkitdll_resource_path() { return resource_path; }

int user_initialize_plus(int argc, char** argv, const char* host_version, const char* build,
                         void*, VynWchar* error_text, const char* text_dir,
                         const VynWchar* app_name, const char* exec_path, int context_id,
                         int fatal, win_export_entry* table, int table_count, int language) {
  my_id_num = context_id;
  my_lang = language;
  version = host_version;
  bld_date = build;
  my_name = app_name;
  my_epath = exec_path;
  my_dpath = text_dir;
  my_fatal = fatal;
  set_mavrel_version(version, bld_date);

  int status = tk_uinit_VersionSkewCheck(my_epath, my_name, error_text);
  if (status != 0) return status;
  // The table is stored only once the check passed: a refused host is never called.
  win_export_functions = table;
  win_export_func_ct = table_count;
  status = vdp_uinit_MsgpathMake(my_lang);
  if (status != 0) return status;
  // A host without the function answers -1, which is no refusal.
  if (vyndev_pass_version_info(get_cur_frnpgm_version()) == 0) return VYN_TK_GENERAL_ERROR;
  return user_initialize(argc, argv, vynkit_release_name(version),
                         yrl_host_text(bld_date), error_text);
}

int user_terminate_plus() { return user_terminate(); }

int set_app_context(int context_id, const char* text_dir) {
  report_if_not_started("set_app_context");
  my_id_num = context_id;
  my_dpath = text_dir;
  return vdp_uinit_MsgpathMake(my_lang);
}

int get_app_context(int* context_id, const char** text_dir) {
  report_if_not_started("get_app_context");
  if (context_id) *context_id = my_id_num;
  if (text_dir) *text_dir = my_dpath;
  return 0;
}

VynError VynToolkitApplExecPathGet(VynWchar* path) {
  VynStringToWstring(path, yrl_host_text(my_epath));
  return VYN_TK_NO_ERROR;
}

VynError VynToolkitApplTextPathGet(VynWchar* path) {
  VynStringToWstring(path, yrl_host_text(my_dpath));
  return VYN_TK_NO_ERROR;
}

int vyn_get_vyndevdat_info(VynWchar* exec_path, VynWchar* text_dir) {
  vek::vyn_str_to_wstr(exec_path, yrl_host_text(my_epath));
  vek::vyn_str_to_wstr(text_dir, yrl_host_text(my_dpath));
  return 1;
}

void startup_testing_reset() {
  my_id_num = -1;
  my_lang = -2;
  version = nullptr;
  bld_date = nullptr;
  my_name = nullptr;
  my_epath = nullptr;
  my_dpath = nullptr;
  my_fatal = 0;
  win_export_functions = nullptr;
  win_export_func_ct = 0;
  msg_path[0] = menu_path[0] = resource_path[0] = '\0';
  mavrel_version[0] = mavrel_build_date[0] = '\0';
  mavrel_int_version = 0;
  frnpgm_version = -1;
}
