// Memory pools: fixed-size objects carved from large memory blocks (clumps), the memory
// debug settings read from the environment, and the memory-loop leak finder.
//
// Named pools are made by their users and addressed by id; pools by size are consulted
// by getmem for every request and registered on demand only in automatic mode.
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
// Clump sizes whose every slot offset (in 8-byte units) fits the i16 slot fields, and
// that hold at least two of the smallest slots.
constexpr long CLUMP_MIN_SIZE = 64;
constexpr long CLUMP_MAX_SIZE = 262144;
// Automatic mode registers pools by size for requests up to this size.
constexpr std::size_t CLUMP_AUTO_MAX = 2048;

// Pool kinds.
constexpr int CLUMP_KIND_BY_SIZE = -7;
constexpr int CLUMP_KIND_NAMED = -8;
constexpr int CLUMP_KIND_FREE = -9;

// The head of a clump; its slot area follows.
struct ClumpHeader {
  std::uint32_t in_use;  // objects in use
  std::int16_t pool;     // pool id
  std::int16_t first_free;  // offset of the first free slot, in 8-byte units
  ClumpHeader* next;
  ClumpHeader* previous;
  ClumpHeader* self;  // check word: the clump's own address
};
static_assert(sizeof(ClumpHeader) == 32, "clump header layout");

// The 8 bytes before each object.
struct ClumpSlot {
  std::int16_t own;   // this slot's offset from the slot area, in 8-byte units
  std::int16_t next;  // next free slot's offset, -1 for none
  std::uint16_t state;
  std::int16_t mark;  // memory-loop mark, -1 when unmarked
};
static_assert(sizeof(ClumpSlot) == 8, "slot header layout");

struct ClumpEntry {
  char name[32];
  std::uint32_t size;  // object size (rounded to 8 for pools by size)
  std::int32_t kind;
  ClumpHeader* first;  // head of the clump list, null when none
  std::int32_t per_clump;  // slots per clump; one always stays free
};

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
// Reads the memory debug environment; 1. A new clump size is taken only while no pool
// is registered.
int init_clump_params();
int set_auto_mem_clumps(int flag);
int get_dbg_memory_config();
int set_dbg_memory_config(int flag);
int show_mem_debug_settings();

// Registration. A size of more than 32 bits, a size that leaves fewer than two slots per
// clump and a full table give -1 in run mode 0 and end the process in the others; a size
// below 1 always ends it.
int create_mem_pool(const char* name, std::size_t size);
int register_clump(const char* name, std::size_t size);
int register_clump_type(const char* name, std::size_t size, int kind);
void* getmem_pool(int id);
int free_pool_contents(int id);
int free_all_pool(int id);
// The pool id of an object in use; -1 when the slot is not in use.
int mempool_of_slot(const void* p);
// The table entry of a pool id, or null (tests and reports).
const ClumpEntry* clump_entry(int id);
int clump_pool_count();
// Prints the pool table; the number of entries.
int clump_stats();

// The pool by size for a size, or -1.
int find_non_id_clump(std::size_t size);
// 1 while the pools allocate memory of their own (a new clump), else 0.
int clump_pools_busy();
// One zeroed object of a pool; 0 for an unknown id.
void* getmem_pool_xar(int id, int xar_flag);
// 1 when p was a pool object and is released; 0 when it is no pool object.
int rlsmem_clump(void* p);
// A new block for a pool object (a block without user bytes for size 0); 0 only when p
// is no pool object.
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

// ---- The memory-loop leak finder. debug_memory_loop starts each pass of a piece of
// work repeated identically; the third pass reports what the first one allocated and
// the first two never released.

// Called after each not-released report with the block's address.
typedef void (*DebugMemoryFunc)(void* address);

int debug_memory_loop();
int debug_memory_loop_low(MemoryLoopRecord* record);
void debug_cancel_memory_loop();
void debug_memory_loop_alloc(MemoryLoopRecord* record, void* address);
void debug_mark_released_memory(MemoryLoopRecord* record, void* address);
void debug_mark_released_memory_all(MemoryLoopRecord* record);
void debug_memory_not_released(MemoryLoopRecord* record, void* address);
DebugMemoryFunc set_debug_memory_func(DebugMemoryFunc func);
long set_debug_memory_loop_size(long size);
int get_in_debug_memory_loop();
int debug_memory_suspend();
int debug_memory_resume();

unsigned dbgclump_mark(MemoryLoopRecord* record, void* address);
unsigned dbgclump_index(const void* address);
std::size_t dbgclump_size(MemoryLoopRecord* record, const void* address);
void dbgclump_access(MemoryLoopRecord** records, int* count);

}  // namespace vek
