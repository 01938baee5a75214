// The boundary between the host and the plug-in: the host's function table and the
// plug-in's two entry points. Both sides build against this header.
#pragma once

#include "toolkit/tkbase.h"

// Any host function; each caller casts it to the function's own type before calling.
typedef void (*VynHostFunction)();

// One row of the host's function table. The host sorts the rows by strcmp of their
// names, each name once, and keeps the table alive while the plug-in is loaded.
struct win_export_entry {
  VynHostFunction function;
  const char* name;
};

// user_initialize_plus(argc, argv, host version, host build code, unused, error text
// buffer, text directory, application name, plug-in file path, context id, fatal flag,
// function table, its row count, language id).
typedef int (*VynUserInitializePlus)(int argc, char** argv, const char* version,
                                     const char* build, void* unused, VynWchar* error_text,
                                     const char* text_dir, const VynWchar* app_name,
                                     const char* exec_path, int context_id, int fatal,
                                     win_export_entry* table, int table_count, int language);
typedef int (*VynUserTerminatePlus)();
