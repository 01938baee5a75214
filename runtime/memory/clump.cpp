// Memory pools as far as the memory blocks need them. No pool is registered (nothing
// here registers one, and pools by size would be registered only in automatic mode), so
// every address is "not a pool object" and every size has no pool.
#include "runtime/memory/clump.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "runtime/memory/clump_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"

namespace vek {

MemoryLoopRecord dbggetmem = {0, 0, 0, nullptr, &dbggetmem_mark, &dbggetmem_index,
                              &dbggetmem_size};

std::size_t Stat_clump_size = CLUMP_DEFAULT_SIZE;
int Clump_mode_off = 0;
int dbg_memory_config = 0;
int Clump_mode_off_low = 0;
int automatic_clumps_on = 0;

namespace {

// A clump needs its 24-byte header and two slots of the smallest size (one slot always
// stays free); a smaller or unreadable CLUMP_SIZE keeps the default.
constexpr long CLUMP_MIN_SIZE = 24 + 2 * 16;
constexpr long CLUMP_MAX_SIZE = 0x7FFFFFFF;

int env_true(const char* name) {
  const char* value = std::getenv(name);
  return value && std::strcmp(value, "TRUE") == 0;
}

std::size_t env_clump_size() {
  const char* value = std::getenv("CLUMP_SIZE");
  if (!value) return CLUMP_DEFAULT_SIZE;
  char* end = nullptr;
  errno = 0;
  const long size = std::strtol(value, &end, 10);
  if (errno != 0 || end == value || *end != '\0' || size < CLUMP_MIN_SIZE ||
      size > CLUMP_MAX_SIZE) {
    return CLUMP_DEFAULT_SIZE;
  }
  return static_cast<std::size_t>(size);
}

}  // namespace

int init_clump_lock() { return 1; }

int init_clump_params() {
  debug_xar_force_ext_no(env_true("IGNORE_XAR_EXT"));
  debug_xar_ignore_reloc_cnt(env_true("IGNORE_XAR_RELOC_CNT"));
  Stat_clump_size = env_clump_size();
  Clump_mode_off = env_true("CLUMP_MODE_OFF");
  Clump_mode_off_low = Clump_mode_off || dbg_memory_config;
  set_auto_mem_clumps(env_true("AUTO_CLUMPS_ON"));
  set_always_relocate_mem(env_true("FORCE_MEM_REALLOCATION"));
  return 1;
}

int set_auto_mem_clumps(int flag) {
  automatic_clumps_on = flag;
  return flag;
}

int find_non_id_clump(std::size_t) { return -1; }

void* getmem_pool_xar(int, int) { return nullptr; }

int rlsmem_clump(void*) { return 0; }

void* relocmem_clump(void*, std::size_t) { return nullptr; }

long clumpmem_area_size(const void*) { return -1; }

int checkmem_clump(const void*, int, int* code) {
  if (code) *code = 0;
  return 0;
}

int checkmem_chain_clump(long*, long*) { return 1; }

int debug_isclump_pointer(const void*, std::size_t) { return 0; }

int debug_getmem_clump(const void*, void** prev_user, void** next_user, std::size_t* size,
                       std::size_t* overhead, int* loop_index, int* xar_flag) {
  if (prev_user) *prev_user = nullptr;
  if (next_user) *next_user = nullptr;
  if (size) *size = 0;
  if (overhead) *overhead = 0;
  if (loop_index) *loop_index = -1;
  if (xar_flag) *xar_flag = 0;
  return 0;
}

void clump_memusage(MemusageHistogram* objects, long* useful, long* overhead) {
  objects->used = 0;
  *useful = 0;
  *overhead = 0;
}

// Records become active only through the memory-loop leak finder, which starts no loop
// in this build; an inactive record watches nothing.
void debug_mark_released_memory(MemoryLoopRecord*, void*) {}

void debug_memory_loop_alloc(MemoryLoopRecord*, void*) {}

void clump_testing_reset() {
  dbggetmem.active = 0;
  dbggetmem.counter = 0;
  dbggetmem.previous_count = 0;
  dbggetmem.addresses = nullptr;
  Stat_clump_size = CLUMP_DEFAULT_SIZE;
  Clump_mode_off = 0;
  dbg_memory_config = 0;
  Clump_mode_off_low = 0;
  automatic_clumps_on = 0;
}

}  // namespace vek
