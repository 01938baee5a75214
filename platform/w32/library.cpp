#include "platform/w32/library.h"

#include <dlfcn.h>
#include <pthread.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/w32/builtin_module.h"
#include "platform/w32/builtin_module_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/library_testing.h"
#include "platform/w32/path.h"

namespace w32 {

namespace {

// A handle the loader gave out, and how many loads of it are not released yet. The
// count matches the loader's own, so that each FreeLibrary reaches dlclose once.
struct Loaded {
  void* handle;
  int count;
};

// malloc'd, grown by doubling; null until the first load. Guarded by g_lock, which is
// also held around dlsym, so that no lookup reaches a handle whose last load another
// thread has released.
Loaded* g_loaded = nullptr;
int g_loaded_count = 0;
int g_loaded_capacity = 0;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// dlerror's text is per thread, and so is this copy of it.
thread_local char t_loader_error[512];

void remember_loader_error(const char* text) {
  std::snprintf(t_loader_error, sizeof t_loader_error, "%s", text != nullptr ? text : "");
}

// The entry of handle, or null. Called with g_lock held.
Loaded* find_loaded(const void* handle) {
  for (int i = 0; i < g_loaded_count; ++i)
    if (g_loaded[i].handle == handle) return &g_loaded[i];
  return nullptr;
}

// Counts one more load of handle; false when there is no memory for a new entry.
// Called with g_lock held.
bool count_load(void* handle) {
  if (Loaded* entry = find_loaded(handle)) {
    ++entry->count;
    return true;
  }
  if (g_loaded_count == g_loaded_capacity) {
    int capacity = g_loaded_capacity == 0 ? 8 : 2 * g_loaded_capacity;
    void* grown = std::realloc(g_loaded, static_cast<std::size_t>(capacity) * sizeof(Loaded));
    if (grown == nullptr) return false;
    g_loaded = static_cast<Loaded*>(grown);
    g_loaded_capacity = capacity;
  }
  g_loaded[g_loaded_count++] = Loaded{handle, 1};
  return true;
}

// Records a failure of one of the three calls; the caller returns its null or FALSE.
void loader_failure(DWORD code, const char* text) {
  remember_loader_error(text);
  SetLastError(code);
}

HMODULE fail_load(DWORD code, const char* text) {
  loader_failure(code, text);
  return nullptr;
}

}  // namespace

HMODULE LoadLibraryA(const char* path) {
  if (path == nullptr) return fail_load(ERROR_INVALID_PARAMETER, "no path");
  if (path[0] == '\0') return fail_load(ERROR_MOD_NOT_FOUND, "empty path");
  if (HMODULE builtin = w32_builtin_module_load(path)) return builtin;
  char posix[W32_PATH_CAPACITY];
  const char* target = path;
  if (std::strpbrk(path, "\\/") != nullptr) {
    if (!w32_resolve_path_a(path, posix, sizeof posix)) {
      char text[96];
      std::snprintf(text, sizeof text, "the path does not resolve (error %u)",
                    static_cast<unsigned>(GetLastError()));
      return fail_load(ERROR_MOD_NOT_FOUND, text);
    }
    target = posix;
  }
  void* handle = dlopen(target, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return fail_load(ERROR_MOD_NOT_FOUND, dlerror());
  pthread_mutex_lock(&g_lock);
  bool counted = count_load(handle);
  pthread_mutex_unlock(&g_lock);
  if (!counted) {
    dlclose(handle);
    return fail_load(ERROR_NOT_ENOUGH_MEMORY, "no memory to keep the handle");
  }
  return static_cast<HMODULE>(handle);
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
  if (module == nullptr) {
    loader_failure(ERROR_INVALID_HANDLE, "no module");
  } else if (name == nullptr) {
    loader_failure(ERROR_INVALID_PARAMETER, "no name");
    // Win32 reads a "name" below 0x10000 as an ordinal; shared objects have none, and
    // such a value is no address to read.
  } else if (reinterpret_cast<std::uintptr_t>(name) < 0x10000) {
    loader_failure(ERROR_PROC_NOT_FOUND, "no function by ordinal");
  } else if (w32_is_builtin_module(module)) {
    FARPROC found = w32_builtin_module_proc(module, name);
    if (found == nullptr) remember_loader_error("no such function in the built-in library");
    return found;
  } else {
    pthread_mutex_lock(&g_lock);
    void* address = nullptr;
    if (find_loaded(module) == nullptr) {
      loader_failure(ERROR_INVALID_HANDLE, "unknown module");
    } else {
      dlerror();
      address = dlsym(module, name);
      if (address == nullptr) {
        const char* text = dlerror();
        loader_failure(ERROR_PROC_NOT_FOUND, text != nullptr ? text : "the symbol's value is null");
      }
    }
    pthread_mutex_unlock(&g_lock);
    return reinterpret_cast<FARPROC>(address);
  }
  return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
  if (w32_is_builtin_module(module)) {
    if (w32_builtin_module_free(module)) return TRUE;
    remember_loader_error("the built-in library is not loaded");
    return FALSE;
  }
  // The entry goes before dlclose runs, outside the lock: the library's finalisers may
  // load or release libraries themselves.
  pthread_mutex_lock(&g_lock);
  Loaded* entry = module != nullptr ? find_loaded(module) : nullptr;
  if (entry != nullptr && --entry->count == 0) *entry = g_loaded[--g_loaded_count];
  pthread_mutex_unlock(&g_lock);
  if (entry == nullptr) {
    loader_failure(ERROR_INVALID_HANDLE, module == nullptr ? "no module" : "unknown module");
    return FALSE;
  }
  if (dlclose(module) != 0) {
    loader_failure(ERROR_GEN_FAILURE, dlerror());
    return FALSE;
  }
  return TRUE;
}

const char* w32_last_loader_error() { return t_loader_error; }

int library_testing_loaded_count() {
  pthread_mutex_lock(&g_lock);
  int count = g_loaded_count;
  pthread_mutex_unlock(&g_lock);
  return count;
}

void library_testing_reset() {
  pthread_mutex_lock(&g_lock);
  for (int i = 0; i < g_loaded_count; ++i)
    while (g_loaded[i].count-- > 0) dlclose(g_loaded[i].handle);
  std::free(g_loaded);
  g_loaded = nullptr;
  g_loaded_count = 0;
  g_loaded_capacity = 0;
  pthread_mutex_unlock(&g_lock);
  t_loader_error[0] = '\0';
  builtin_module_testing_reset();
}

}  // namespace w32
