// Loading, starting and stopping the plug-in.
#include "host/plugin/plugin_session.h"

#include <dlfcn.h>

#include "host/util/utf16.h"

#if defined(__SANITIZE_ADDRESS__)
#define YRL_HOST_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define YRL_HOST_LEAK_CHECKED 1
#endif
#endif

#ifdef YRL_HOST_LEAK_CHECKED
#include <link.h>

#include <cstring>
#endif

namespace yrlhost {
namespace {

const VynWchar application_name[] = u"Yrlform";

// Plug-in functions come out of dlsym as object pointers.
template <typename F>
F entry_point(void* handle, const char* name) {
  return reinterpret_cast<F>(dlsym(handle, name));
}

// dlopen searches the library path for a name without a '/'; the host means the file
// the name gives, relative to the working directory like any other path.
std::string file_to_load(const std::string& path) {
  return path.find('/') == std::string::npos ? "./" + path : path;
}

std::string last_dl_error() {
  const char* text = dlerror();
  return text ? text : "unknown error";
}

#ifdef YRL_HOST_LEAK_CHECKED
// The plug-in keeps process-wide caches (memory blocks, code-page converters) for its
// whole life and by design frees none of them. Once it is unloaded nothing points at
// them any more and the leak checker, which runs at exit, would report them; nor can a
// suppression by the plug-in's name catch them, since the checker no longer knows the
// object their stacks run through. So the host keeps a copy of the plug-in's writable
// data (its globals) from the moment before the unload until exit: the checker then
// judges the plug-in's memory as while it was loaded. What its globals still reach is
// its cache; a block nothing reaches is reported, the plug-in's as any of the host's.
std::vector<std::vector<VynWord>>* kept_plugin_data;  // never freed, so always reachable

// Word by word and unchecked: the checker's redzones lie between the plug-in's globals
// and must not be read through the checked memcpy.
__attribute__((no_sanitize("address"))) void copy_words(const volatile VynWord* from,
                                                        std::size_t count, VynWord* to) {
  for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
}

int keep_writable_segments(dl_phdr_info* info, std::size_t, void* wanted_object) {
  const link_map* wanted = static_cast<const link_map*>(wanted_object);
  if (info->dlpi_addr != wanted->l_addr || std::strcmp(info->dlpi_name, wanted->l_name) != 0)
    return 0;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD || !(segment.p_flags & PF_W)) continue;
    // Whole words from a word boundary, so that every pointer keeps its alignment; the
    // last word ends inside the segment's last page.
    std::uintptr_t begin = (info->dlpi_addr + segment.p_vaddr) & ~(sizeof(VynWord) - 1);
    std::uintptr_t end = info->dlpi_addr + segment.p_vaddr + segment.p_memsz;
    std::vector<VynWord>& copy =
        kept_plugin_data->emplace_back((end - begin + sizeof(VynWord) - 1) / sizeof(VynWord));
    copy_words(reinterpret_cast<const VynWord*>(begin), copy.size(), copy.data());
  }
  return 1;
}

void keep_plugin_data(void* handle) {
  link_map* object = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &object) != 0 || !object) return;
  if (!kept_plugin_data) kept_plugin_data = new std::vector<std::vector<VynWord>>;
  dl_iterate_phdr(keep_writable_segments, object);
}
#else
void keep_plugin_data(void*) {}
#endif

// Unloads the plug-in; the session keeps what it was handed.
void unload(PluginSession& session) {
  keep_plugin_data(session.handle);
  dlclose(session.handle);
  session.handle = nullptr;
  session.initialize = nullptr;
  session.terminate = nullptr;
}

}  // namespace

SessionOptions session_defaults() {
  SessionOptions options;
  options.plugin_path = YRL_DEFAULT_PLUGIN_PATH;
  options.text_dir = YRL_DEFAULT_TEXT_DIR;
  return options;
}

bool plugin_session_start(PluginSession& session, const SessionOptions& options) {
  if (session.handle) {
    session.failure = "a plug-in is loaded in this session already";
    return false;
  }
  session.status.reset();
  session.failure.clear();
  session.plugin_path = options.plugin_path;
  session.version = options.version;
  session.build = options.build;
  session.text_dir = options.text_dir;
  if (session.plugin_path.empty()) {
    session.failure = "no plug-in path given";
    return false;
  }

  dlerror();
  session.handle = dlopen(file_to_load(session.plugin_path).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!session.handle) {
    session.failure = "cannot load the plug-in " + session.plugin_path + ": " + last_dl_error();
    return false;
  }
  session.initialize = entry_point<VynUserInitializePlus>(session.handle, "user_initialize_plus");
  session.terminate = entry_point<VynUserTerminatePlus>(session.handle, "user_terminate_plus");
  if (!session.initialize || !session.terminate) {
    session.failure = "the plug-in " + session.plugin_path + " has no entry point " +
                      (session.initialize ? "user_terminate_plus" : "user_initialize_plus");
    unload(session);
    return false;
  }

  session.args = options.args;
  session.argv.clear();
  for (std::string& arg : session.args) session.argv.push_back(arg.data());
  session.argv.push_back(nullptr);
  session.table = host_table_build(options.table);
  session.error_text.assign(session_error_text_units, 0);

  session.status = session.initialize(
      static_cast<int>(session.args.size()), session.argv.data(), session.version.c_str(),
      session.build.c_str(), nullptr, session.error_text.data(), session.text_dir.c_str(),
      application_name, session.plugin_path.c_str(), options.context, 0, session.table.data(),
      static_cast<int>(session.table.size()), options.language);
  return true;
}

std::optional<int> plugin_session_stop(PluginSession& session) {
  std::optional<int> result;
  if (!session.handle) return result;
  if (session.status == 0) result = session.terminate();
  unload(session);
  return result;
}

std::string plugin_session_error_text(const PluginSession& session) {
  return utf8_from_utf16(session.error_text.data(), session.error_text.size());
}

std::string host_release_name(const std::string& version) { return "Release " + version; }

}  // namespace yrlhost
