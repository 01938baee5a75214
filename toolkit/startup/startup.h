// The plug-in's start-up: what the host hands over in user_initialize_plus, the text
// directories derived from the application's text directory, and the host's version.
#pragma once

#include "toolkit/binding/host_table.h"
#include "toolkit/tkbase.h"

// ---- Start-up globals: the host's values, stored as the host passed them (the host
// owns the strings and the table and keeps them alive while the plug-in is loaded).

extern int my_id_num;            // context id; every forwarded call passes it first
extern int my_lang;              // language id; selects the text directories' folder
extern const char* version;      // host version string
extern const char* bld_date;     // host build code string
extern const VynWchar* my_name;  // application name
extern const char* my_epath;     // path of the plug-in's own file
extern const char* my_dpath;     // the application's text directory
extern int my_fatal;             // stored, never read
extern win_export_entry* win_export_functions;
extern int win_export_func_ct;

// Bytes of each text directory buffer, terminator included.
constexpr int YRL_TEXT_DIR_SIZE = 260;

// Rows of the release table, {internal version, external release name}.
constexpr int YRL_RELEASE_ROWS = 26;
extern const char* const vynkit_versions_strs[YRL_RELEASE_ROWS][2];
// The release name the start-up hands to the application for a host version string: the
// external name of the highest row from 25 down to 1 whose internal version equals it
// (row 0 is never compared), else the string itself ("" for null).
const char* vynkit_release_name(const char* host_version);

// ---- The exported entry points.

extern "C" __attribute__((visibility("default"))) int user_initialize_plus(
    int argc, char** argv, const char* host_version, const char* build, void* unused,
    VynWchar* error_text, const char* text_dir, const VynWchar* app_name, const char* exec_path,
    int context_id, int fatal, win_export_entry* table, int table_count, int language);
extern "C" __attribute__((visibility("default"))) int user_terminate_plus();

// ---- Text directories.

// Sets the run-time library's language and builds msg_path, menu_path and
// resource_path from my_dpath and the language's folder (falling back to "usascii",
// then to no folder); 0 always. Directories that would not fit their buffers are
// reported and all three left empty.
int vdp_uinit_MsgpathMake(int language);
// The buffers themselves.
char* get_vyndevdll_msg_path();
char* get_vyndevdll_menu_path();
char* get_vynkitdll_resource_path();
extern char msg_path[YRL_TEXT_DIR_SIZE];
extern char menu_path[YRL_TEXT_DIR_SIZE];
extern char resource_path[YRL_TEXT_DIR_SIZE];

// ---- Context.

// Both report when called before start-up and carry on.
int set_app_context(int context_id, const char* text_dir);
int get_app_context(int* context_id, const char** text_dir);

// my_epath / my_dpath converted into the caller's wide buffer; 0. The buffer needs one
// wide character per byte of the path and the terminator.
VynError VynToolkitApplExecPathGet(VynWchar* path);
VynError VynToolkitApplTextPathGet(VynWchar* path);
// Both at once through the run-time library's conversion; 1.
int vyn_get_vyndevdat_info(VynWchar* exec_path, VynWchar* text_dir);

// The host's text as the start-up reads it: a null string reads as "".
inline const char* yrl_host_text(const char* text) { return text ? text : ""; }
