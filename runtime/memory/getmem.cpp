// Memory blocks: allocation, resize and release on one doubly linked chain, its checks,
// counters and switches, and the keep-released mode that finds writes into freed memory.
#include "runtime/memory/getmem.h"

#include <malloc.h>

#include <cstdlib>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/clump_testing.h"
#include "runtime/memory/getmem_internal.h"
#include "runtime/memory/getmem_layout.h"
#include "runtime/memory/getmem_testing.h"
#include "runtime/memory/har.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

constexpr GetmemHeap c_heap = {&std::malloc, &std::realloc, &std::free, &malloc_usable_size,
                               128 * 1024};

// One block kept by keep-released mode: no longer on the chain, filled with GETMEM_FILL.
struct ReleasedBlock {
  unsigned char* start;
  std::uint64_t total;
};
static_assert(sizeof(ReleasedBlock) == 16);
constexpr int RELEASED_LIST_STEP = 1000;

GetmemHeap heap = c_heap;

unsigned char* frst_area = nullptr;
unsigned char* last_area = nullptr;
int stat_num_blocks = 0;
long stat_application_size = 0;
long stat_system_size = 0;
long stat_max_system_size = 0;

int static_dont_release_memory = 0;
int static_always_relocate = 0;
int stat_marking_mem = 0;
int IsMemoryInitialized = 0;
void* static_released_blocks_har = nullptr;

// Block sizes and growable-array sizes singled out for debugging; none.
const std::size_t* const testgetmem = nullptr;
constexpr int n_testgetmem = 0;
const std::size_t* const testxar = nullptr;
constexpr int n_testxar = 0;

constexpr const char* REPORT_INDENT = "               ";

[[noreturn]] void out_of_memory() {
  ivek_printf(" Serious error - out of virtual memory.");
  ivek_printf(" Starting recovery attempt.\n");
  error_break("Memory error.");
  crash();
}

// Points the previous block's next link (or the first anchor) at after_prev and the next
// block's previous link (or the last anchor) at before_next.
void link_neighbours(unsigned char* prev, unsigned char* next, unsigned char* after_prev,
                     unsigned char* before_next) {
  if (prev) {
    getmem_set_next(prev, after_prev);
  } else {
    frst_area = after_prev;
  }
  if (next) {
    getmem_set_prev(next, before_next);
  } else {
    last_area = before_next;
  }
}

// The heap block for a resized memory block, or null with the old one untouched. Kept
// or always-relocated blocks move and leave their old copy in *moved_from.
unsigned char* resize_heap_block(unsigned char* old_block, std::size_t old_total,
                                 std::size_t total, unsigned char** moved_from) {
  unsigned char* block;
  if (static_dont_release_memory || static_always_relocate) {
    block = static_cast<unsigned char*>(heap.alloc(total));
    if (block) {
      std::memcpy(block, old_block, old_total < total ? old_total : total);
      *moved_from = old_block;
    }
  } else if (heap.small_block_threshold == 0 || total > heap.small_block_threshold ||
             heap.usable_size(old_block) >= total) {
    block = static_cast<unsigned char*>(heap.resize(old_block, total));
  } else {
    // A small heap block without room: the heap would copy it as well.
    block = static_cast<unsigned char*>(heap.alloc(total));
    if (block) {
      std::memcpy(block, old_block, old_total);
      heap.release(old_block);
    }
  }
  return block;
}

// Fills a released block: all of it when small or when it is kept for checking,
// else only both ends (enough to break any use of its header, links or first data).
void fill_released(unsigned char* block, std::size_t total, int whole) {
  if (whole || total < GETMEM_BIG_RELEASE) {
    std::memset(block, GETMEM_FILL, total);
  } else {
    std::memset(block, GETMEM_FILL, GETMEM_RELEASE_EDGE);
    std::memset(block + total - GETMEM_RELEASE_EDGE, GETMEM_FILL, GETMEM_RELEASE_EDGE);
  }
}

ReleasedBlock* released_record(int index) {
  return static_cast<ReleasedBlock*>(
      har_access(&static_released_blocks_har, index, nullptr, nullptr));
}

int released_count() {
  return static_released_blocks_har ? har_total(&static_released_blocks_har) : 0;
}

// Ends the process when a kept block no longer holds only GETMEM_FILL.
void check_kept(int index, const ReleasedBlock* record) {
  for (std::uint64_t i = 0; i < record->total; ++i) {
    if (record->start[i] != GETMEM_FILL) {
      ivek_printf("Released memory block %d has been overwritten.\n", index);
      crash();
    }
  }
}

int in_list(std::size_t size, const std::size_t* list, int count) {
  for (int i = 0; i < count; ++i) {
    if (list[i] == size) return 1;
  }
  return 0;
}

}  // namespace

const GetmemHeap getmem_c_heap = c_heap;

void* getmem(std::size_t size) { return getmem_xar(size, 0); }

void* getmem_xar(std::size_t size, int xar_flag) {
  if (size == 0) return nullptr;
  int pool = find_non_id_clump(size);
  if (pool >= 0) {
    void* object = getmem_pool_xar(pool, xar_flag);
    if (object) return object;
  }
  return manage_memory(size, nullptr, 0, xar_flag);
}

void* getmem_null(std::size_t size) { return manage_memory(size, nullptr, 1, 0); }

void* relocmem(void* user, std::size_t size) { return relocmem_xar(user, size, 0); }

void* relocmem_xar(void* user, std::size_t size, int xar_flag) {
  void* moved = relocmem_clump(user, size);
  if (moved) return moved;
  return manage_memory(size, user, 0, xar_flag);
}

// A resize keeps the block's place in the chain. A resize that fails leaves the old
// block as it was (only the null-allowed caller sees that: the others stop).
void* manage_memory(std::size_t size, void* old_user, int null_allowed, int xar_flag) {
  if (!IsMemoryInitialized) init_memory();
  if (old_user && dbggetmem.active) debug_mark_released_memory(&dbggetmem, old_user);

  const std::size_t total = getmem_total(size);
  unsigned char* block = nullptr;
  unsigned char* old_block = nullptr;
  unsigned char* moved_from = nullptr;  // old copy to fill (and keep or free) once relinked
  std::uint32_t old_size = 0;
  std::size_t old_total = 0;
  unsigned char* prev = nullptr;
  unsigned char* next = nullptr;

  if (old_user) {
    void* start = nullptr;
    if (area_invalid(old_user, &start) != GETMEM_VALID) {
      err_crash("manage_memory", "memory chain is corrupt");
    }
    old_block = static_cast<unsigned char*>(start);
    old_size = getmem_size(old_block);
    old_total = getmem_total(old_size);
    prev = getmem_prev(old_block);
    next = getmem_next(old_block);
  }

  if (size <= GETMEM_MAX_USER_SIZE) {
    block = old_block ? resize_heap_block(old_block, old_total, total, &moved_from)
                      : static_cast<unsigned char*>(heap.alloc(total));
  }
  if (!block) {
    if (null_allowed) return nullptr;
    out_of_memory();
  }

  getmem_store32(block + GETMEM_SIZE_OFFSET, static_cast<std::uint32_t>(size));
  getmem_store32(block + GETMEM_GUARD_OFFSET, GETMEM_GUARD);
  if (!old_block) ++stat_num_blocks;
  stat_application_size += static_cast<long>(size) - static_cast<long>(old_size);
  stat_system_size += static_cast<long>(total) - static_cast<long>(old_total);
  if (stat_system_size > stat_max_system_size) stat_max_system_size = stat_system_size;

  if (old_block) {
    getmem_set_prev(block, prev);
    getmem_set_next(block, next);
    link_neighbours(prev, next, block, block);
  } else {
    getmem_set_prev(block, last_area);
    getmem_set_next(block, nullptr);
    if (!frst_area) {
      frst_area = block;
    } else {
      if (getmem_next(last_area)) err_crash("manage_memory", "memory chain is corrupt");
      getmem_set_next(last_area, block);
    }
    last_area = block;
  }
  getmem_set_flags(block, GETMEM_LOOP_UNMARKED | (xar_flag ? GETMEM_FLAG_XARRAY : 0u));
  getmem_store32(getmem_tail(block) + GETMEM_TAIL_SPARE_OFFSET, 0);

  // New bytes read as zero, and so does the rounding pad, which checkmem_block checks.
  unsigned char* user = block + GETMEM_HEADER_SIZE;
  const std::size_t from = old_size < size ? old_size : size;
  std::memset(user + from, 0, vek_round8(size) - from);

  // The old copy is dealt with only now that the chain is whole again: keeping it may
  // allocate (the released list grows), which must not meet half-moved links.
  if (moved_from) {
    std::memset(moved_from, GETMEM_FILL, old_total);
    if (static_dont_release_memory) {
      add_block_to_released_list(moved_from, old_total);
    } else {
      heap.release(moved_from);
    }
  }

  // A pool's own clump is no allocation of the traced work: it takes no trace number,
  // so that the numbers of two runs agree whenever a pool grows.
  if (memory_file_level > 0 && !clump_pools_busy()) memdebug_alloc(user);
  if (dbggetmem.active) debug_memory_loop_alloc(&dbggetmem, user);
  return user;
}

int rlsmem(void* user) {
  if (!user || rlsmem_clump(user)) return 0;
  if (dbggetmem.active) debug_mark_released_memory(&dbggetmem, user);
  void* start = nullptr;
  if (area_invalid(user, &start) != GETMEM_VALID) err_crash("rlsmem", "memory chain is corrupt");
  unsigned char* block = static_cast<unsigned char*>(start);
  unsigned char* prev = getmem_prev(block);
  unsigned char* next = getmem_next(block);
  link_neighbours(prev, next, next, prev);
  getmem_set_prev(block, nullptr);
  getmem_set_next(block, nullptr);

  const std::uint32_t size = getmem_size(block);
  const std::size_t total = getmem_total(size);
  --stat_num_blocks;
  stat_application_size -= static_cast<long>(size);
  stat_system_size -= static_cast<long>(total);

  fill_released(block, total, static_dont_release_memory);
  if (static_dont_release_memory) {
    add_block_to_released_list(block, total);
  } else {
    heap.release(block);
  }
  return 0;
}

int relmem(void* address) {
  if (!address) return 0;
  void* user;
  std::memcpy(&user, address, sizeof user);
  rlsmem(user);
  if (!stat_marking_mem) {
    void* none = nullptr;
    std::memcpy(address, &none, sizeof none);
  }
  return 1;
}

void* getrealmem(std::size_t size) { return getmem(size); }
int rlsrealmem(void* user) { return rlsmem(user); }

long getmem_area_size(const void* user) {
  if (!user) return 0;
  long pooled = clumpmem_area_size(user);
  if (pooled >= 0) return pooled;
  void* start = nullptr;
  if (area_invalid(user, &start) != GETMEM_VALID) {
    dbg_err_crash("debug_getmem_size", "invalid memory area %lu",
                  static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(user)));
    return -1;
  }
  return static_cast<long>(getmem_size(static_cast<unsigned char*>(start)));
}

// The tail is found through the size in the header, so the guard is checked before
// anything is read through the size, here and for the previous block.
int area_invalid(const void* user, void** block_start) {
  if (!user) return -1;
  unsigned char* block = getmem_block_of(user);
  if (block_start) *block_start = block;
  if (getmem_guard(block) != GETMEM_GUARD) return GETMEM_BAD_GUARD;
  unsigned char* prev = getmem_prev(block);
  if ((prev == nullptr) != (block == frst_area)) return GETMEM_BAD_PREV_LINK;
  if (prev && (getmem_guard(prev) != GETMEM_GUARD || getmem_next(prev) != block)) {
    return GETMEM_BAD_PREV_BACK;
  }
  unsigned char* next = getmem_next(block);
  if ((next == nullptr) != (block == last_area)) return GETMEM_BAD_NEXT_LINK;
  if (next && getmem_prev(next) != block) return GETMEM_BAD_NEXT_BACK;
  return GETMEM_VALID;
}

int debug_getmem_area(const void* user, void** prev_user, void** next_user, std::size_t* size,
                      std::size_t* overhead, int* loop_index, int* xar_flag) {
  // Not a pool object: the outs are preset (0, loop index -1) for an invalid block.
  if (debug_getmem_clump(user, prev_user, next_user, size, overhead, loop_index, xar_flag)) {
    return 1;
  }
  void* start = nullptr;
  if (area_invalid(user, &start) != GETMEM_VALID) return 0;
  unsigned char* block = static_cast<unsigned char*>(start);
  unsigned char* prev = getmem_prev(block);
  unsigned char* next = getmem_next(block);
  const std::uint32_t user_size = getmem_size(block);
  const std::uint32_t flags = getmem_flags(block);
  if (prev_user) *prev_user = prev ? getmem_user_of(prev) : nullptr;
  if (next_user) *next_user = next ? getmem_user_of(next) : nullptr;
  if (size) *size = user_size;
  if (overhead) *overhead = getmem_total(user_size) - user_size;
  if (loop_index) *loop_index = static_cast<int>(flags & GETMEM_LOOP_MASK);
  if (xar_flag) *xar_flag = (flags & GETMEM_FLAG_XARRAY) ? 1 : 0;
  return 1;
}

void* debug_getmem_chain_start() { return frst_area ? getmem_user_of(frst_area) : nullptr; }

int checkmem_block(const void* user, int print) {
  int code = 0;
  if (checkmem_clump(user, print, &code)) return code;
  void* start = nullptr;
  code = area_invalid(user, &start);
  if (!print) return code;
  if (!user) {
    ivek_printf(" Memory block : User pointer - %lu ", 0ul);
    ivek_printf("          LOOKS BAD \n");
    return code;
  }
  const unsigned char* block = static_cast<unsigned char*>(start);
  const std::uint32_t size = getmem_size(block);
  if (code == GETMEM_VALID) {
    const unsigned char* data = static_cast<const unsigned char*>(user);
    for (std::size_t i = size; i < vek_round8(size); ++i) {
      if (data[i] != 0) code = 1;
    }
  }
  ivek_printf(" Memory block : User pointer - %lu ", reinterpret_cast<unsigned long>(user));
  ivek_printf(code ? "          LOOKS BAD \n" : "          looks good \n");
  ivek_printf(" %s Header starts at     %lu \n", REPORT_INDENT,
              reinterpret_cast<unsigned long>(block));
  ivek_printf(" %s Number of user bytes %u \n", REPORT_INDENT, size);
  ivek_printf(" %s Tail starts at       %lu \n", REPORT_INDENT,
              reinterpret_cast<unsigned long>(getmem_tail(block)));
  ivek_printf(" %s Previous memory area %lu \n", REPORT_INDENT,
              reinterpret_cast<unsigned long>(getmem_prev(block)));
  // With an overwritten header the size, and so the tail's place, cannot be trusted.
  if (code == GETMEM_BAD_GUARD) return code;
  const std::uint32_t flags = getmem_flags(block);
  ivek_printf(" %s Next memory area     %lu \n", REPORT_INDENT,
              reinterpret_cast<unsigned long>(getmem_next(block)));
  ivek_printf(" %s Memory loop index    %d \n", REPORT_INDENT,
              static_cast<int>(flags & GETMEM_LOOP_MASK));
  ivek_printf(" %s Xarray usage flag    %d \n", REPORT_INDENT,
              (flags & GETMEM_FLAG_XARRAY) ? 1 : 0);
  return code;
}

namespace {

// The block whose previous link is block, found by walking the previous links back from
// the end of the chain, which reads no block's size. The walk follows only links of
// headers whose guard is intact and takes at most as many steps as there are blocks;
// null when block is the last one or the walk meets a damaged header first.
unsigned char* next_by_prev_links(const unsigned char* block) {
  unsigned char* later = last_area;
  for (int steps = 0; later && later != block && steps <= stat_num_blocks; ++steps) {
    if (getmem_guard(later) != GETMEM_GUARD) return nullptr;
    unsigned char* before = getmem_prev(later);
    if (before == block) return later;
    later = before;
  }
  return nullptr;
}

}  // namespace

int checkmem_chain() {
  int blocks = 0;
  long application = 0;
  long overhead = 0;
  // The block before the one being checked; it checked good, which includes that the
  // current block's previous link points back to it.
  unsigned char* prev = nullptr;
  for (unsigned char* block = frst_area; block;) {
    void* user = getmem_user_of(block);
    void* next_user = nullptr;
    std::size_t size = 0;
    std::size_t block_overhead = 0;
    int xar_flag = 0;
    if (!debug_getmem_area(user, nullptr, &next_user, &size, &block_overhead, nullptr,
                           &xar_flag)) {
      dbg_print_info("checkmem_chain", " Invalid block found\n");
      const int code = checkmem_block(user, 1);
      // With an overwritten header the size, and so the tail with the next link, cannot
      // be trusted: the next block is found from the end of the chain instead.
      unsigned char* next =
          code == GETMEM_BAD_GUARD ? next_by_prev_links(block) : getmem_next(block);
      if (prev) checkmem_block(getmem_user_of(prev), 1);
      if (next) checkmem_block(getmem_user_of(next), 1);
      crash();
    }
    if (xar_flag && !debug_xar_memusage(user, nullptr, nullptr, nullptr)) {
      dbg_print_info("checkmem_chain",
                     "Found a memory block containing invalid expandable array.\n");
      checkmem_block(user, 1);
      crash();
    }
    ++blocks;
    application += static_cast<long>(size);
    overhead += static_cast<long>(block_overhead);
    prev = block;
    block = next_user ? getmem_block_of(next_user) : nullptr;
  }
  // Clumps are blocks of the chain; the pools count their unused room as overhead.
  long pool_useful = 0;
  long pool_overhead = 0;
  checkmem_chain_clump(&pool_useful, &pool_overhead);
  application -= pool_overhead;
  overhead += pool_overhead;
  dbg_print_info("checkmem_chain", " The chain of %d areas checks OK. \n", blocks);
  dbg_print_info("checkmem_chain", " Total application size %ld \n", application);
  dbg_print_info("checkmem_chain", " Total system size %ld \n", application + overhead);
  return 0;
}

void get_memory_usage(int* blocks, long* application_size, long* system_size,
                      long* peak_system_size) {
  if (blocks) *blocks = stat_num_blocks;
  if (application_size) *application_size = stat_application_size;
  if (system_size) *system_size = stat_system_size;
  if (peak_system_size) *peak_system_size = stat_max_system_size;
}

void dbg_print_memory_usage() {
  ivek_printf("%d blocks;  Size: %ld; Overhead: %ld; Peak system size: %ld.\n", stat_num_blocks,
              stat_application_size, stat_system_size - stat_application_size,
              stat_max_system_size);
}

int set_marking_mem_to_preserve(int flag) {
  const int old = stat_marking_mem;
  stat_marking_mem = flag;
  return old;
}

int marking_mem_to_preserve() { return stat_marking_mem; }

int free_object_reset_int(int* address, int value) {
  if (!stat_marking_mem && address) *address = value;
  return 0;
}

int clear_freed_pointer(void* address, void* value) {
  if (!stat_marking_mem && address) std::memcpy(address, &value, sizeof value);
  return 0;
}

int set_always_relocate_mem(int flag) {
  const int old = static_always_relocate;
  static_always_relocate = flag;
  if (get_run_mode() != 0) {
    ivek_printf("Relocation will %s memory.\n", flag ? "always move" : "not always");
  }
  return old;
}

int get_always_relocate_mem() { return static_always_relocate; }

void stop_releasing_memory() {
  if (!static_released_blocks_har) {
    static_released_blocks_har = har_alloc(sizeof(ReleasedBlock), RELEASED_LIST_STEP);
  } else if (har_total(&static_released_blocks_har) > 0) {
    start_releasing_memory();
  }
  static_dont_release_memory = 1;
}

void start_releasing_memory() {
  static_dont_release_memory = 0;
  const int count = released_count();
  if (count == 0) return;
  for (int i = 0; i < count; ++i) heap.release(released_record(i)->start);
  har_resize(&static_released_blocks_har, 0);
}

int check_released_memory() {
  const int count = released_count();
  long bytes = 0;
  for (int i = 0; i < count; ++i) {
    const ReleasedBlock* record = released_record(i);
    check_kept(i, record);
    bytes += static_cast<long>(record->total);
  }
  ivek_printf("No overwrite for %d blocks and %ld bytes.\n", count, bytes);
  return count;
}

int check_released_block(int index) {
  if (index < 0 || index >= released_count()) return 0;
  check_kept(index, released_record(index));
  return 0;
}

// The list's own growth goes through relocmem and must not be kept, so keep-released
// mode is off while the record is appended.
void add_block_to_released_list(void* block_start, std::size_t total) {
  const int keeping = static_dont_release_memory;
  static_dont_release_memory = 0;
  if (!static_released_blocks_har) {
    static_released_blocks_har = har_alloc(sizeof(ReleasedBlock), RELEASED_LIST_STEP);
  }
  const ReleasedBlock record = {static_cast<unsigned char*>(block_start), total};
  har_append(&static_released_blocks_har, 1, &record);
  static_dont_release_memory = keeping;
}

unsigned dbggetmem_mark(MemoryLoopRecord* record, void* user) {
  void* start = nullptr;
  const int code = area_invalid(user, &start);
  if (code != GETMEM_VALID) return static_cast<unsigned>(code);
  unsigned char* block = static_cast<unsigned char*>(start);
  const std::uint32_t flags =
      (getmem_flags(block) & GETMEM_FLAG_XARRAY) | (record->counter & GETMEM_LOOP_MASK);
  getmem_set_flags(block, flags);
  return flags;
}

unsigned dbggetmem_index(const void* user) {
  void* start = nullptr;
  if (area_invalid(user, &start) != GETMEM_VALID) return 0xFFFFFFFFu;
  return getmem_flags(static_cast<unsigned char*>(start)) & GETMEM_LOOP_MASK;
}

std::size_t dbggetmem_size(MemoryLoopRecord*, const void* user) {
  return user ? getmem_size(getmem_block_of(user)) : 0;
}

void dbggetmem_access(MemoryLoopRecord** out) {
  if (out) *out = &dbggetmem;
}

void init_memory() {
  IsMemoryInitialized = 1;
  init_clump_lock();
}

int init_memory_management(void (*func)()) {
  init_memory();
  init_clump_params();
  if (func) func();
  return 0;
}

void resetmemchain() {
  frst_area = nullptr;
  last_area = nullptr;
}

int debug_getmem() { return 1; }

int debug_istestgetmem(std::size_t size) { return in_list(size, testgetmem, n_testgetmem); }

int debug_istestxar(std::size_t size) { return in_list(size, testxar, n_testxar); }

GetmemHeap getmem_testing_set_heap(const GetmemHeap* replacement) {
  const GetmemHeap old = heap;
  heap = replacement ? *replacement : c_heap;
  return old;
}

void getmem_testing_reset() {
  clump_testing_reset();
  memdebug_testing_reset();
  memusage_testing_reset();
  // Kept blocks are off the chain; their list is on it, so it is read first.
  for (int i = 0, count = released_count(); i < count; ++i) {
    heap.release(released_record(i)->start);
  }
  // A test may leave a broken chain behind: only the sound part before the first bad
  // block is freed; the rest is leaked rather than freed through a wild link.
  int sound = 0;
  for (unsigned char* block = frst_area; block; block = getmem_next(block)) {
    if (area_invalid(getmem_user_of(block), nullptr) != GETMEM_VALID) break;
    ++sound;
  }
  for (unsigned char* block = frst_area; sound > 0; --sound) {
    unsigned char* next = getmem_next(block);
    heap.release(block);
    block = next;
  }
  frst_area = nullptr;
  last_area = nullptr;
  stat_num_blocks = 0;
  stat_application_size = 0;
  stat_system_size = 0;
  stat_max_system_size = 0;
  static_dont_release_memory = 0;
  static_always_relocate = 0;
  stat_marking_mem = 0;
  IsMemoryInitialized = 0;
  static_released_blocks_har = nullptr;
  heap = c_heap;
}

}  // namespace vek
