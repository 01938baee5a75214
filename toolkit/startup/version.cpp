#include "toolkit/startup/version.h"

#include <cstdint>
#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/system/appinfo.h"
#include "runtime/system/dll.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vsprintf.h"
#include "toolkit/startup/startup.h"

char mavrel_version[YRL_MAVREL_VERSION_SIZE];
char mavrel_build_date[YRL_MAVREL_VERSION_SIZE];
int mavrel_int_version = 0;
int frnpgm_version = -1;

namespace {

// The decimal value of the text's leading digits, 0 when there are none. Hosts may hand
// over strings of any length, so the value saturates at INT32_MAX instead of overflowing.
long leading_number(const char* text) {
  return vek::read_bounded_number(&text, INT32_MAX - 1);
}

// major x 10,000,000 + date code, saturated at INT32_MAX like its parts.
int level_of(long major, long date_code) {
  long level = major * YRL_LEVEL_MAJOR + date_code;
  return level > INT32_MAX ? INT32_MAX : static_cast<int>(level);
}

// Whether the loaded file exports the marker of a level.
bool has_marker(w32::HMODULE module, const VynWchar* app_name, int level) {
  char name[32];
  vek::vyn_sprintf(name, "i_am_%09d", level);
  w32::FARPROC function = nullptr;
  return vek::dll_get_func_ptr(module, app_name, name, &function) == 1;
}

// "<release name of the major>|<number>", or "<major>|<number>" past the release table.
void write_error_text(VynWchar* error_text, int major, int number) {
  if (!error_text) return;
  if (major >= 0 && major < YRL_RELEASE_ROWS) {
    vek::vyn_wsprintf(error_text, "%s|%d", vynkit_versions_strs[major][1], number);
  } else {
    vek::vyn_wsprintf(error_text, "%d|%d", major, number);
  }
}

}  // namespace

int set_mavrel_version(const char* host_version, const char* build) {
  host_version = yrl_host_text(host_version);
  build = yrl_host_text(build);
  vek::copy_cut(mavrel_version, host_version, sizeof mavrel_version);
  vek::copy_cut(mavrel_build_date, build, sizeof mavrel_build_date);
  // The level comes from the strings as given, not from the cut copies.
  long major = std::strstr(host_version, "G-03") || std::strstr(host_version, "17.")
                   ? 17
                   : leading_number(host_version);
  mavrel_int_version = level_of(major, leading_number(build));
  return 1;
}

int get_mavrel_version(char* host_version, char* build) {
  if (host_version) std::strcpy(host_version, mavrel_version);
  if (build) std::strcpy(build, mavrel_build_date);
  return 1;
}

int get_int_mavrel_version() { return mavrel_int_version; }

int get_cur_frnpgm_version() {
  if (frnpgm_version == -1) {
    // "INVALID" has no leading digits and reads as date code 0.
    frnpgm_version = level_of(YRL_FRNPGM_BASE_LEVEL / YRL_LEVEL_MAJOR,
                              leading_number(vek::vyn_get_datecode()));
  }
  return frnpgm_version;
}

int set_cur_frnpgm_version(int level) {
  int previous = frnpgm_version;
  frnpgm_version = level;
  return previous;
}

VynError tk_uinit_VersionSkewCheck(const char* exec_path, const VynWchar* app_name,
                                   VynWchar* error_text) {
  int plugin = get_cur_frnpgm_version();
  int host = get_int_mavrel_version();
  if (plugin <= host) return VYN_TK_NO_ERROR;

  VynError status = VYN_TK_NO_ERROR;
  int number = 0;
  w32::HMODULE module = nullptr;
  if (plugin / YRL_LEVEL_MAJOR > host / YRL_LEVEL_MAJOR) {
    status = VYN_TK_APP_NEW_VERSION;
  } else if (!exec_path || !vek::dll_load(exec_path, &module) || !module) {
    // Without its file the plug-in cannot show that it needs no newer host: refused.
    vek::dbg_err_syserr("tk_uinit_VersionSkewCheck", "couldn't open %s for version info\n",
                        yrl_host_text(exec_path));
    status = VYN_TK_APP_VERSION_MISMATCH;
  } else {
    // Down from the plug-in's level a week at a time, keeping its last digit; from week
    // 99 of a year, which does not exist, on to week 52.
    int level = plugin;
    while (level > host) {
      if (level % 1000 == 990) level -= 470;
      if (has_marker(module, app_name, level)) break;
      level -= 10;
    }
    if (level > host) {
      status = VYN_TK_APP_VERSION_MISMATCH;
      number = level % YRL_LEVEL_MAJOR;
    }
    vek::dll_unload(module, app_name);
  }
  if (status != VYN_TK_NO_ERROR) write_error_text(error_text, plugin / YRL_LEVEL_MAJOR, number);
  return status;
}

int vyn_wchar_t_check(int size) { return size == static_cast<int>(sizeof(VynWchar)) ? 0 : 2; }
