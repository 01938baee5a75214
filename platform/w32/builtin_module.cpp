#include "platform/w32/builtin_module.h"

#include <pthread.h>

#include <cstdlib>
#include <cstring>

#include "platform/w32/ascii.h"
#include "platform/w32/builtin_module_testing.h"
#include "platform/w32/error.h"
#include "platform/w32/psapi.h"
#include "platform/w32/toolhelp.h"

namespace w32 {

namespace {

// The last slot is a library that a test registers (builtin_module_testing.h).
enum Module { kKernel32, kPsapi, kTestModule, kModuleCount };

char g_test_module_name[32];
const BuiltinModuleProc* g_test_procs;
int g_test_proc_count;

const char* module_name(int module) {
  static const char* const fixed[] = {"KERNEL32", "PSAPI"};
  return module == kTestModule ? g_test_module_name : fixed[module];
}

// The handles are the addresses of these bytes; nothing reads them.
alignas(8) char g_module_tags[kModuleCount];
int g_loads[kModuleCount];
// -1: follow the environment; 0 or 1: as a test set it.
int g_toolhelp_absent = -1;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

HMODULE handle_of(int module) { return reinterpret_cast<HMODULE>(&g_module_tags[module]); }

int module_of(HMODULE handle) {
  for (int i = 0; i < kModuleCount; ++i)
    if (handle == handle_of(i)) return i;
  return -1;
}

bool toolhelp_absent() {
  int set = __atomic_load_n(&g_toolhelp_absent, __ATOMIC_SEQ_CST);
  if (set >= 0) return set != 0;
  const char* text = std::getenv(W32_NO_TOOLHELP_VARIABLE);
  return text != nullptr && text[0] != '\0' && std::strcmp(text, "0") != 0;
}

// A name is the module's when it equals it, or it with ".DLL", in any case.
bool names(const char* name, const char* module) {
  std::size_t length = std::strlen(module);
  if (!equal_ascii_folded(name, module, length)) return false;
  return name[length] == '\0' ||
         (equal_ascii_folded(name + length, ".dll", 4) && name[length + 4] == '\0');
}

template <typename Function>
FARPROC proc(Function* function) {
  return reinterpret_cast<FARPROC>(function);
}

}  // namespace

HMODULE w32_builtin_module_load(const char* name) {
  if (name == nullptr || std::strpbrk(name, "\\/:") != nullptr) return nullptr;
  for (int i = 0; i < kModuleCount; ++i) {
    if (!module_name(i)[0] || !names(name, module_name(i))) continue;
    pthread_mutex_lock(&g_lock);
    ++g_loads[i];
    pthread_mutex_unlock(&g_lock);
    return handle_of(i);
  }
  return nullptr;
}

bool w32_is_builtin_module(HMODULE module) { return module_of(module) >= 0; }

HMODULE GetModuleHandleA(const char* name) {
  if (name != nullptr && std::strpbrk(name, "\\/:") == nullptr) {
    for (int i = 0; i < kModuleCount; ++i) {
      if (!module_name(i)[0] || !names(name, module_name(i))) continue;
      pthread_mutex_lock(&g_lock);
      bool loaded = g_loads[i] > 0;
      pthread_mutex_unlock(&g_lock);
      if (loaded) return handle_of(i);
    }
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

FARPROC w32_builtin_module_proc(HMODULE module, const char* name) {
  int which = module_of(module);
  pthread_mutex_lock(&g_lock);
  bool loaded = which >= 0 && g_loads[which] > 0;
  pthread_mutex_unlock(&g_lock);
  if (!loaded) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  FARPROC found = nullptr;
  if (which == kKernel32 && !toolhelp_absent()) {
    if (std::strcmp(name, "CreateToolhelp32Snapshot") == 0) found = proc(&CreateToolhelp32Snapshot);
    if (std::strcmp(name, "Process32First") == 0) found = proc(&Process32First);
    if (std::strcmp(name, "Process32Next") == 0) found = proc(&Process32Next);
  } else if (which == kPsapi) {
    if (std::strcmp(name, "EnumProcesses") == 0) found = proc(&EnumProcesses);
    if (std::strcmp(name, "GetModuleBaseNameA") == 0) found = proc(&GetModuleBaseNameA);
  } else if (which == kTestModule) {
    for (int i = 0; i < g_test_proc_count; ++i)
      if (std::strcmp(name, g_test_procs[i].name) == 0) found = g_test_procs[i].function;
  }
  if (found == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return found;
}

BOOL w32_builtin_module_free(HMODULE module) {
  int which = module_of(module);
  pthread_mutex_lock(&g_lock);
  bool out = which >= 0 && g_loads[which] > 0;
  if (out) --g_loads[which];
  pthread_mutex_unlock(&g_lock);
  if (out) return TRUE;
  SetLastError(ERROR_INVALID_HANDLE);
  return FALSE;
}

void builtin_module_testing_set_toolhelp_absent(bool absent) {
  __atomic_store_n(&g_toolhelp_absent, absent ? 1 : 0, __ATOMIC_SEQ_CST);
}

int builtin_module_testing_loaded_count() {
  pthread_mutex_lock(&g_lock);
  int count = 0;
  for (int loads : g_loads) count += loads;
  pthread_mutex_unlock(&g_lock);
  return count;
}

BOOL builtin_module_testing_register(const char* name, const BuiltinModuleProc* procs,
                                     int count) {
  if (name == nullptr || std::strlen(name) >= sizeof g_test_module_name || count < 0 ||
      (count > 0 && procs == nullptr))
    return FALSE;
  pthread_mutex_lock(&g_lock);
  std::strcpy(g_test_module_name, name);
  g_test_procs = procs;
  g_test_proc_count = count;
  g_loads[kTestModule] = 0;
  pthread_mutex_unlock(&g_lock);
  return TRUE;
}

void builtin_module_testing_reset() {
  pthread_mutex_lock(&g_lock);
  for (int& loads : g_loads) loads = 0;
  g_test_module_name[0] = '\0';
  g_test_procs = nullptr;
  g_test_proc_count = 0;
  pthread_mutex_unlock(&g_lock);
  __atomic_store_n(&g_toolhelp_absent, -1, __ATOMIC_SEQ_CST);
}

}  // namespace w32
