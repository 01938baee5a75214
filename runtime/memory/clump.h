// Memory pools: fixed-size objects carved from large memory blocks (clumps), the memory
// debug settings read from the environment, and the records of the memory-loop leak
// finder.
//
// No pool is registered yet: the pool table is empty, so every question about an
// address answers "not a pool object" and getmem serves every request from the heap.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/memory/getmem.h"

namespace vek {

// States of a pool slot, kept in the u16 at data address - 4.
constexpr std::uint16_t CLUMP_SLOT_IN_USE = 12345;
constexpr std::uint16_t CLUMP_SLOT_IN_USE_XAR = 12347;
constexpr std::uint16_t CLUMP_SLOT_FREE = 12349;

constexpr int CLUMP_MAX_POOLS = 500;
constexpr std::size_t CLUMP_DEFAULT_SIZE = 65536;

// One kind of memory watched by the memory-loop leak finder.
struct MemoryLoopRecord {
  std::uint32_t active;
  std::uint32_t counter;         // allocations in the current pass
  std::uint32_t previous_count;  // allocations in the previous pass
  void* addresses;               // segmented array of block addresses by allocation number
  unsigned (*mark)(MemoryLoopRecord* record, void* address);
  unsigned (*index)(const void* address);
  std::size_t (*size)(MemoryLoopRecord* record, const void* address);
};

// The record of the memory blocks; inactive until the leak finder starts a loop.
extern MemoryLoopRecord dbggetmem;

// Debug settings (all 0 at start; the clump size starts at CLUMP_DEFAULT_SIZE).
extern std::size_t Stat_clump_size;
extern int Clump_mode_off;
extern int dbg_memory_config;
extern int Clump_mode_off_low;
extern int automatic_clumps_on;

int init_clump_lock();
// Reads the memory debug environment; 1.
int init_clump_params();
int set_auto_mem_clumps(int flag);

// The pool by size for a size, or -1.
int find_non_id_clump(std::size_t size);
// One zeroed object of a pool; 0 for an unknown id.
void* getmem_pool_xar(int id, int xar_flag);
// 1 when p was a pool object and is released; 0 when it is no pool object.
int rlsmem_clump(void* p);
// A new block for a pool object; 0 when p is no pool object.
void* relocmem_clump(void* p, std::size_t size);
// The pool's object size; -1 when p is no pool object.
long clumpmem_area_size(const void* p);
// 1 when p is a pool object (its check code in *code, 0); else 0.
int checkmem_clump(const void* p, int print, int* code);
// Checks every clump; adds the useful bytes and the clumps' overhead; 1.
int checkmem_chain_clump(long* useful, long* overhead);
// 1 when the memory block of that user size is a clump of some pool.
int debug_isclump_pointer(const void* user, std::size_t size);
// As debug_getmem_area for a pool object; 0 when p is no pool object.
int debug_getmem_clump(const void* p, void** prev_user, void** next_user, std::size_t* size,
                       std::size_t* overhead, int* loop_index, int* xar_flag);
// The pool part of the usage statistics.
void clump_memusage(MemusageHistogram* objects, long* useful, long* overhead);

// Leak-finder hooks of every allocation and release of a watched kind of memory.
void debug_mark_released_memory(MemoryLoopRecord* record, void* address);
void debug_memory_loop_alloc(MemoryLoopRecord* record, void* address);

}  // namespace vek
