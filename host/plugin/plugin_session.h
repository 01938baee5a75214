// One run of the plug-in in the host: load it, start it with the fourteen start-up
// arguments and the host function table, stop it and unload it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/plugin/host_table.h"
#include "toolkit/binding/host_table.h"

namespace yrlhost {

// Capacity of the wide error-text buffer handed to the plug-in, in code units.
inline constexpr std::size_t session_error_text_units = 256;

struct SessionOptions {
  std::string plugin_path;           // the built plug-in unless set
  std::string version = "25";        // host version string
  std::string build = "2003100";     // host build code string
  std::string text_dir;              // host/resources of the source tree unless set
  int context = 1;                   // context id given to the plug-in
  int language = 0;                  // language id
  std::vector<std::string> args{"yrlhost"};  // argc/argv handed over
  HostTableOptions table;
};

// The options with the built plug-in and the source tree's host/resources filled in.
SessionOptions session_defaults();

// A loaded plug-in. Everything the plug-in was handed stays here, alive and in place,
// until plugin_session_stop: the plug-in keeps the pointers.
struct PluginSession {
  PluginSession() = default;
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  void* handle = nullptr;
  VynUserInitializePlus initialize = nullptr;
  VynUserTerminatePlus terminate = nullptr;
  std::string plugin_path, version, build, text_dir;  // as handed over
  std::vector<std::string> args;
  std::vector<char*> argv;
  std::vector<win_export_entry> table;
  std::vector<VynWchar> error_text;
  std::optional<int> status;         // what user_initialize_plus returned
  std::string failure;               // why the plug-in could not be loaded
};

// Loads the plug-in (dlopen, RTLD_NOW | RTLD_LOCAL), finds its two entry points and
// calls user_initialize_plus; its status is in session.status. The plug-in path and the
// text directory are handed over as given: the plug-in resolves them through its Win32
// stand-in, whose current directory of C: starts at the process's working directory, so
// a relative path names the same file to the plug-in as to the host, and the text
// directory may also be given in Windows form (C:\x\y). False, with the reason in
// session.failure and nothing left loaded, when the path is empty, the file or an entry
// point is missing, or the session is loaded already.
bool plugin_session_start(PluginSession& session, const SessionOptions& options);

// Calls user_terminate_plus if the plug-in started with status 0 (a refused plug-in is
// not called again), then unloads it. The terminate result, or nullopt when it was not
// called.
std::optional<int> plugin_session_stop(PluginSession& session);

// The error text the plug-in left, as UTF-8.
std::string plugin_session_error_text(const PluginSession& session);

// The host's own name of its release: "Release <version>".
std::string host_release_name(const std::string& version);

}  // namespace yrlhost
