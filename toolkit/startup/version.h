// The version check: the plug-in's level against the host's, and the version markers.
//
// A level is major release x 10,000,000 + a seven-digit date code yyyyWWd (year, week,
// one further digit). A marker i_am_<level> among the plug-in file's exports says that
// the plug-in needs a host of that level or higher.
#pragma once

#include "toolkit/tkbase.h"

constexpr int YRL_LEVEL_MAJOR = 10000000;
// The major release the plug-in is built for, as a level without date code.
constexpr int YRL_FRNPGM_BASE_LEVEL = 25 * YRL_LEVEL_MAJOR;

// ---- The host's version record.

// Bytes of the copies of the host's version and build strings, terminator included.
constexpr int YRL_MAVREL_VERSION_SIZE = 12;
extern char mavrel_version[YRL_MAVREL_VERSION_SIZE];
extern char mavrel_build_date[YRL_MAVREL_VERSION_SIZE];
extern int mavrel_int_version;

// Copies the host's strings (at most 11 characters each; null reads as "") and computes
// the host level; 1. get_mavrel_version copies them out into buffers of
// YRL_MAVREL_VERSION_SIZE bytes, skipping a null output; 1.
int set_mavrel_version(const char* version, const char* build);
int get_mavrel_version(char* version, char* build);
int get_int_mavrel_version();

// ---- The plug-in's level and the check.

// Defines the exported marker of a level (nine digits). Markers take nothing, do nothing
// and are never called: only their presence in the file counts.
#define YRL_VERSION_MARKER(level) \
  extern "C" __attribute__((visibility("default"))) void i_am_##level() {}

// 0 when the host is new enough; -98 when the plug-in's major release is above the
// host's; -96 when the plug-in file cannot be loaded or carries a marker above the host
// level. A refusal writes its error text into error_text unless that is null.
VynError tk_uinit_VersionSkewCheck(const char* exec_path, const VynWchar* app_name,
                                   VynWchar* error_text);

// The plug-in level, computed from the build date code at the first request and kept
// in frnpgm_version (-1 until then).
extern int frnpgm_version;
int get_cur_frnpgm_version();
// Replaces the kept level; returns the previous one (-1 when none was computed).
int set_cur_frnpgm_version(int level);

// 0 when a wide character of the given size is the toolkit's, else 2.
int vyn_wchar_t_check(int size);
