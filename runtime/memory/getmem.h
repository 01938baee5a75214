// Memory blocks: the run-time library's own allocator.
//
// Every block carries a header and a tail by which all live blocks form one doubly
// linked chain (layout in getmem_layout.h). User data is zeroed when handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace vek {

struct VynFile;

void* getmem(std::size_t size);
void* getmem_xar(std::size_t size, int xar_flag);
void* getmem_null(std::size_t size);
void* relocmem(void* user, std::size_t size);
void* relocmem_xar(void* user, std::size_t size, int xar_flag);
void* manage_memory(std::size_t size, void* old_user, int null_allowed, int xar_flag);
int rlsmem(void* user);
// address: the address of a pointer variable of any pointer type.
int relmem(void* address);
void* getrealmem(std::size_t size);
int rlsrealmem(void* user);

long getmem_area_size(const void* user);
int area_invalid(const void* user, void** block_start);
int debug_getmem_area(const void* user, void** prev_user, void** next_user,
                      std::size_t* size, std::size_t* overhead, int* loop_index,
                      int* xar_flag);
void* debug_getmem_chain_start();
int checkmem_block(const void* user, int print);
int checkmem_chain();
void get_memory_usage(int* blocks, long* application_size, long* system_size,
                      long* peak_system_size);
void dbg_print_memory_usage();

int set_marking_mem_to_preserve(int flag);
int marking_mem_to_preserve();
int free_object_reset_int(int* address, int value);
int clear_freed_pointer(void* address, void* value);
int set_always_relocate_mem(int flag);
int get_always_relocate_mem();

void stop_releasing_memory();
void start_releasing_memory();
int check_released_memory();
int check_released_block(int index);
void add_block_to_released_list(void* block_start, std::size_t total);

struct MemoryLoopRecord;  // defined with the pools (clump.h)
unsigned dbggetmem_mark(MemoryLoopRecord* record, void* user);
unsigned dbggetmem_index(const void* user);
std::size_t dbggetmem_size(MemoryLoopRecord* record, const void* user);
void dbggetmem_access(MemoryLoopRecord** out);

void memdebug_start_marking_blocks();
void memdebug_stop_marking_blocks();
void memdebug_alloc(void* user);
void memdebug_get_next_bad_index();
void memdebug_print_marked_blocks();

// Usage statistics: what the chain holds, by kind of memory and size.
constexpr int MEMUSAGE_SLOTS = 1024;

struct MemusageSlot {
  long key;    // user size, element size or object size
  long count;  // blocks, arrays or objects
  long bytes;
};

// Slots 1 to used hold sizes in order of first appearance (descending once sorted);
// slot 0 ("other") collects sizes met when every slot was taken.
struct MemusageHistogram {
  int used;
  MemusageSlot slot[MEMUSAGE_SLOTS];
};

struct MemusageSnapshot {
  MemusageHistogram blocks;  // blocks that hold neither a growable array nor a clump
  long block_bytes;          // their user bytes
  long getmem_overhead;      // overhead of all blocks
  long xar_getmem_overhead;  // of that, of blocks holding growable arrays
  long clump_getmem_overhead;  // of that, of clumps
  MemusageHistogram xars;    // growable arrays by element size: arrays, data bytes
  long xar_data;             // element bytes in use
  long xar_overhead;         // block bytes that are no element room
  long xar_reserved;         // element room beyond the counts
  long xar_empty;            // arrays without elements
  MemusageHistogram clumps;  // pool objects by object size
  long clump_useful;
  long clump_overhead;
};

// 0, or 1 when a corrupt block ended the walk.
int memusage_count(MemusageSnapshot* record);
int memusage_snapshot(MemusageSnapshot* record);
void sort_histogram(MemusageHistogram* histogram);
// Counts into the slot of the key, or into "other" when every slot is taken.
void histogram_add(MemusageHistogram* histogram, long key, long count, long bytes);
void memusage_diff(const MemusageSnapshot* a, const MemusageSnapshot* b, MemusageSnapshot* out);
// with_other: slot 0 is given as a - b.
void memusage_array_diff(const MemusageHistogram* a, const MemusageHistogram* b,
                         MemusageHistogram* out, int with_other);
// file null: the standard output.
void memusage_print(const MemusageSnapshot* record, VynFile* file);
int memusage_loop_increment(VynFile* file);
void memusage_loop_stats(VynFile* file);
void memusage_print_snapshot(VynFile* file);

void init_memory();
int init_memory_management(void (*func)());
void resetmemchain();
int debug_getmem();
int debug_istestgetmem(std::size_t size);
int debug_istestxar(std::size_t size);

}  // namespace vek
