// Memory pools. A pool hands out zeroed objects of one size from clumps: memory blocks
// of the clump size holding a 32-byte header and a slot area of equal slots. Every slot
// carries an 8-byte header before its object, so that an object's address leads to its
// slot, its clump and its pool. One slot of each clump always stays free, so a clump's
// free list is never empty.
#include "runtime/memory/clump.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/algo/sort.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/arrays.h"
#include "runtime/memory/clump_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/har.h"
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

constexpr int INDEX_TAB_SIZE = 4096;  // object sizes in 8-byte units
constexpr int HEADER = static_cast<int>(sizeof(ClumpHeader));
constexpr int SLOT_HEADER = static_cast<int>(sizeof(ClumpSlot));
constexpr int NAME_ROOM = 31;       // characters of a name
constexpr int MERGED_NAME_ROOM = 30;  // characters of a name extended by " + "

ClumpEntry clump_table[CLUMP_MAX_POOLS];
int clump_count = 0;
ClumpEntry* sorted_heads[CLUMP_MAX_POOLS];
// Pool ids by object size in 8-byte units, -1 where unknown. A static table rather than
// a memory block: getmem consults it, and the chain's count of blocks stays the user's.
int index_tab[INDEX_TAB_SIZE];
bool index_tab_ready = false;
// Set while the pool machinery allocates for itself: getmem then takes no pool.
int pools_busy = 0;

MemoryLoopRecord dbgclump[CLUMP_MAX_POOLS];

// Leak-finder state.
int dbgmem_loop_level = 0;
long debug_memory_loop_size = -1;
DebugMemoryFunc debug_memory_func = nullptr;
int suspended_loop_level = 0;

std::size_t slot_bytes(const ClumpEntry* entry) { return vek_round8(entry->size) + SLOT_HEADER; }

int slots_per_clump(std::size_t object_size) {
  return static_cast<int>((Stat_clump_size - HEADER) / (vek_round8(object_size) + SLOT_HEADER));
}

bool in_use_kind(int kind) { return kind == CLUMP_KIND_BY_SIZE || kind == CLUMP_KIND_NAMED; }

ClumpEntry* pool_entry(int id) {
  if (id < 0 || id >= clump_count || !in_use_kind(clump_table[id].kind)) return nullptr;
  return &clump_table[id];
}

char* slot_area(ClumpHeader* clump) { return reinterpret_cast<char*>(clump) + HEADER; }

ClumpSlot* slot_at(ClumpHeader* clump, int offset) {
  return reinterpret_cast<ClumpSlot*>(slot_area(clump) + static_cast<std::size_t>(offset) * 8);
}

void* object_of(ClumpSlot* slot) { return reinterpret_cast<char*>(slot) + SLOT_HEADER; }

std::uint16_t state_of(const void* p) {
  std::uint16_t state;
  std::memcpy(&state, static_cast<const char*>(p) - 4, sizeof state);
  return state;
}

bool object_in_use(const void* p) {
  if (p == nullptr) return false;
  std::uint16_t state = state_of(p);
  return state == CLUMP_SLOT_IN_USE || state == CLUMP_SLOT_IN_USE_XAR;
}

ClumpSlot* slot_of(const void* p) {
  return reinterpret_cast<ClumpSlot*>(const_cast<char*>(static_cast<const char*>(p)) -
                                      SLOT_HEADER);
}

// The clump of an object in use; a wrong check word ends the process.
ClumpHeader* clump_of(const void* p, const char* name) {
  ClumpSlot* slot = slot_of(p);
  char* area = reinterpret_cast<char*>(slot) - static_cast<std::ptrdiff_t>(slot->own) * 8;
  ClumpHeader* clump = reinterpret_cast<ClumpHeader*>(area - HEADER);
  if (clump->self != clump) err_crash(name, "clump corruption");
  return clump;
}

// A refused registration: -1 in run mode 0, the end of the process in the others.
int refuse_registration(const char* message) {
  if (get_run_mode() == 0) return -1;
  err_crash("register_clump_type", message);
}

int cmp_clumps(const void* a, const void* b) {
  const ClumpEntry* x = static_cast<const ClumpEntry*>(a);
  const ClumpEntry* y = static_cast<const ClumpEntry*>(b);
  if (x->size != y->size) return x->size < y->size ? -1 : 1;
  return compare_ptrs(a, b);
}

void rebuild_sorted_heads() {
  for (int i = 0; i < clump_count; ++i) sorted_heads[i] = &clump_table[i];
  sort_pointers(clump_count, cmp_clumps, reinterpret_cast<void**>(sorted_heads));
}

void init_dbgclump(int id) {
  MemoryLoopRecord* record = &dbgclump[id];
  if (record->addresses != nullptr) har_free(&record->addresses);
  *record = MemoryLoopRecord{0, 0, 0, nullptr, dbgclump_mark, dbgclump_index, dbgclump_size};
}

// Appends " + " and the new name, within MERGED_NAME_ROOM characters in all.
void merge_name(ClumpEntry* entry, const char* name) {
  std::size_t length = std::strlen(entry->name);
  if (length >= static_cast<std::size_t>(MERGED_NAME_ROOM)) return;
  char text[3 + 28 + 1] = " + ";
  const char* added = name != nullptr ? name : "";
  std::size_t added_length = 3;
  while (added_length < sizeof text - 1 && *added != '\0') text[added_length++] = *added++;
  text[added_length] = '\0';
  std::size_t take = MERGED_NAME_ROOM - length;
  if (take > added_length) take = added_length;
  std::memcpy(entry->name + length, text, take);
  entry->name[length + take] = '\0';
}

void unlink_clump(ClumpEntry* entry, ClumpHeader* clump) {
  if (clump->previous != nullptr)
    clump->previous->next = clump->next;
  else
    entry->first = clump->next;
  if (clump->next != nullptr) clump->next->previous = clump->previous;
  clump->next = nullptr;
  clump->previous = nullptr;
}

ClumpHeader* new_clump(ClumpEntry* entry, int id) {
  ++pools_busy;
  ClumpHeader* clump = static_cast<ClumpHeader*>(getmem(Stat_clump_size));
  --pools_busy;
  clump->in_use = 0;
  clump->pool = static_cast<std::int16_t>(id);
  clump->first_free = 0;
  clump->next = nullptr;
  clump->previous = nullptr;
  clump->self = clump;
  const int step = static_cast<int>(slot_bytes(entry) / 8);
  for (int i = 0; i < entry->per_clump; ++i) {
    ClumpSlot* slot = slot_at(clump, i * step);
    slot->own = static_cast<std::int16_t>(i * step);
    slot->next = static_cast<std::int16_t>(i + 1 < entry->per_clump ? (i + 1) * step : -1);
    slot->state = CLUMP_SLOT_FREE;
    slot->mark = -1;
  }
  return clump;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Settings

int init_clump_lock() { return 1; }

namespace {

int env_true(const char* name) {
  const char* value = std::getenv(name);
  return value && std::strcmp(value, "TRUE") == 0;
}

// The clump size CLUMP_SIZE asks for, or the default when it is unset, unreadable or
// outside the sizes whose slot offsets fit the slot fields.
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

bool any_pool_registered() {
  for (int i = 0; i < clump_count; ++i)
    if (in_use_kind(clump_table[i].kind)) return true;
  return false;
}

}  // namespace

int init_clump_params() {
  debug_xar_force_ext_no(env_true("IGNORE_XAR_EXT"));
  debug_xar_ignore_reloc_cnt(env_true("IGNORE_XAR_RELOC_CNT"));
  // Registered pools carve their clumps at the size they were counted for.
  if (!any_pool_registered()) Stat_clump_size = env_clump_size();
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

int get_dbg_memory_config() { return dbg_memory_config; }

int set_dbg_memory_config(int flag) {
  int old = dbg_memory_config;
  dbg_memory_config = flag;
  set_force_ext_no(flag);
  set_force_ignore_reloc_cnt(flag);
  Clump_mode_off_low = Clump_mode_off || dbg_memory_config;
  return old;
}

int show_mem_debug_settings() {
  const bool no_ext = get_force_ext_no() != 0;
  const bool no_reloc = get_force_ignore_reloc_cnt() != 0;
  const bool relocate = get_always_relocate_mem() != 0;
  if (!automatic_clumps_on && !no_ext && !no_reloc && !relocate) return 0;
  ivek_printf("************** Memory debug settings ************\n");
  ivek_printf("Standard mem clumps are %s.\n", Clump_mode_off_low ? "disabled" : "enabled");
  if (automatic_clumps_on) ivek_printf("Automatic clumps are enabled.\n");
  if (no_ext) ivek_printf("Xarrays will have no extensions.\n");
  if (no_reloc) ivek_printf("Xarrays will have no reloc adjustment feature.\n");
  if (relocate) ivek_printf("Reallocations will always move memory.\n");
  ivek_printf("************** End Memory debug settings ********\n");
  return 0;
}

// ---------------------------------------------------------------------------------------
// Registration and look-up

int register_clump_type(const char* name, std::size_t size, int kind) {
  if (size < 1) err_crash("register_clump_type", "invalid object size");
  // The table keeps 32-bit sizes, and the slot arithmetic below must not wrap.
  if (size > UINT32_MAX) return refuse_registration("object size too large for a clump");
  if (kind == CLUMP_KIND_BY_SIZE) size = vek_round8(size);
  // Fewer than two slots: a clump could hold no object, since one slot stays free.
  if (slots_per_clump(size) < 2) return refuse_registration("object size too large for a clump");
  int id = 0;
  for (; id < clump_count; ++id) {
    ClumpEntry* entry = &clump_table[id];
    if (entry->kind == CLUMP_KIND_FREE) break;
    if (kind == CLUMP_KIND_BY_SIZE && entry->kind == CLUMP_KIND_BY_SIZE && entry->size == size) {
      merge_name(entry, name);
      return id;
    }
  }
  if (id == clump_count) {
    if (clump_count >= CLUMP_MAX_POOLS) return refuse_registration("pool table is full");
    ++clump_count;
  }
  ClumpEntry* entry = &clump_table[id];
  std::memset(entry->name, 0, sizeof entry->name);
  for (int i = 0; name != nullptr && i < NAME_ROOM && name[i] != '\0'; ++i)
    entry->name[i] = name[i];
  entry->size = static_cast<std::uint32_t>(size);
  entry->first = nullptr;
  entry->per_clump = slots_per_clump(size);
  entry->kind = kind;
  rebuild_sorted_heads();
  init_dbgclump(id);
  return id;
}

int create_mem_pool(const char* name, std::size_t size) {
  return register_clump_type(name, size, CLUMP_KIND_NAMED);
}

int register_clump(const char* name, std::size_t size) {
  return register_clump_type(name, size, CLUMP_KIND_BY_SIZE);
}

int clump_pools_busy() { return pools_busy > 0 ? 1 : 0; }

int find_non_id_clump(std::size_t size) {
  if (Clump_mode_off_low || pools_busy) return -1;
  if (!index_tab_ready) {
    for (int i = 0; i < INDEX_TAB_SIZE; ++i) index_tab[i] = -1;
    index_tab_ready = true;
  }
  if (size < 1) err_crash("find_non_id_clump", "invalid size");
  const std::size_t rounded = vek_round8(size);
  const std::size_t key = rounded / 8;
  auto by_size = [rounded](const ClumpEntry* entry) {
    return entry->kind == CLUMP_KIND_BY_SIZE && entry->size == rounded;
  };
  if (key < INDEX_TAB_SIZE && index_tab[key] >= 0 && index_tab[key] < clump_count &&
      by_size(&clump_table[index_tab[key]]))
    return index_tab[key];
  // Binary search by size; among equal sizes the first pool by size met going down
  // from the hit, then up.
  int low = 0;
  int high = clump_count - 1;
  int hit = -1;
  while (low <= high) {
    int middle = low + (high - low) / 2;
    std::uint32_t s = sorted_heads[middle]->size;
    if (s == rounded) {
      hit = middle;
      break;
    }
    if (s < rounded)
      low = middle + 1;
    else
      high = middle - 1;
  }
  if (hit >= 0) {
    int found = -1;
    for (int i = hit; i >= 0 && sorted_heads[i]->size == rounded && found < 0; --i)
      if (by_size(sorted_heads[i])) found = static_cast<int>(sorted_heads[i] - clump_table);
    for (int i = hit + 1; i < clump_count && sorted_heads[i]->size == rounded && found < 0; ++i)
      if (by_size(sorted_heads[i])) found = static_cast<int>(sorted_heads[i] - clump_table);
    if (found >= 0) {
      if (key < INDEX_TAB_SIZE) index_tab[key] = found;
      return found;
    }
  }
  if (rounded > CLUMP_AUTO_MAX || !automatic_clumps_on) return -1;
  return register_clump(nullptr, rounded);
}

const ClumpEntry* clump_entry(int id) {
  return id >= 0 && id < clump_count ? &clump_table[id] : nullptr;
}

int clump_pool_count() { return clump_count; }

// ---------------------------------------------------------------------------------------
// Objects

void* getmem_pool(int id) { return getmem_pool_xar(id, 0); }

void* getmem_pool_xar(int id, int xar_flag) {
  ClumpEntry* entry = pool_entry(id);
  if (entry == nullptr) return nullptr;
  ClumpHeader* clump = entry->first;
  while (clump != nullptr && static_cast<int>(clump->in_use) >= entry->per_clump - 1)
    clump = clump->next;
  if (clump == nullptr) clump = new_clump(entry, id);
  // The clump with room goes to the head, where the next request finds it first.
  if (clump != entry->first) {
    if (clump->previous != nullptr || clump->next != nullptr) unlink_clump(entry, clump);
    clump->next = entry->first;
    if (entry->first != nullptr) entry->first->previous = clump;
    entry->first = clump;
  }
  ClumpSlot* slot = slot_at(clump, clump->first_free);
  clump->first_free = slot->next;
  slot->next = -1;
  slot->state = xar_flag ? CLUMP_SLOT_IN_USE_XAR : CLUMP_SLOT_IN_USE;
  slot->mark = -1;
  ++clump->in_use;
  void* object = object_of(slot);
  std::memset(object, 0, vek_round8(entry->size));
  if (dbgclump[id].active) debug_memory_loop_alloc(&dbgclump[id], object);
  return object;
}

int rlsmem_clump(void* p) {
  if (p == nullptr) return 0;
  if (state_of(p) == CLUMP_SLOT_FREE) {
    dbg_err_crash("rlsmem_clump", " release of already released object");
    return 1;
  }
  if (!object_in_use(p)) return 0;
  ClumpHeader* clump = clump_of(p, "rlsmem_clump");
  ClumpSlot* slot = slot_of(p);
  const int id = clump->pool;
  ClumpEntry* entry = &clump_table[id];
  slot->next = clump->first_free;
  clump->first_free = slot->own;
  --clump->in_use;
  if (dbgclump[id].active) debug_mark_released_memory(&dbgclump[id], p);
  std::memset(p, 0xFF, vek_round8(entry->size));
  slot->state = CLUMP_SLOT_FREE;
  if (clump->in_use == 0) {
    unlink_clump(entry, clump);
    ++pools_busy;
    rlsmem(clump);
    --pools_busy;
  }
  return 1;
}

void* relocmem_clump(void* p, std::size_t size) {
  if (!object_in_use(p)) return nullptr;
  ClumpHeader* clump = clump_of(p, "relocmem_clump");
  if (clump->pool < 0) return nullptr;
  const ClumpEntry* entry = &clump_table[clump->pool];
  if (entry->kind == CLUMP_KIND_NAMED)
    dbg_err_crash("relocmem_clump", "Cannot reallocate a user registered clump!");
  const std::size_t old = vek_round8(entry->size);
  const int xar_flag = state_of(p) == CLUMP_SLOT_IN_USE_XAR;
  // Null stays the answer for "no pool object": a new size of 0 gets a chained block
  // without user bytes, as a block resized to 0 is.
  void* moved = size > 0 ? getmem_xar(size, xar_flag) : manage_memory(0, nullptr, 0, xar_flag);
  std::memcpy(moved, p, size < old ? size : old);
  rlsmem(p);
  return moved;
}

int free_pool_contents(int id) {
  ClumpEntry* entry = pool_entry(id);
  if (entry == nullptr) return 0;
  ++pools_busy;
  while (entry->first != nullptr) {
    ClumpHeader* clump = entry->first;
    entry->first = clump->next;
    rlsmem(clump);
  }
  --pools_busy;
  debug_mark_released_memory_all(&dbgclump[id]);
  return 1;
}

int free_all_pool(int id) {
  if (!free_pool_contents(id)) return 0;
  clump_table[id].kind = CLUMP_KIND_FREE;
  return 1;
}

int mempool_of_slot(const void* p) {
  if (!object_in_use(p)) return -1;
  return clump_of(p, "mempool_of_slot")->pool;
}

long clumpmem_area_size(const void* p) {
  if (!object_in_use(p)) return -1;
  return static_cast<long>(clump_table[clump_of(p, "clumpmem_area_size")->pool].size);
}

// ---------------------------------------------------------------------------------------
// Checks and statistics

int checkmem_clump(const void* p, int, int* code) {
  if (code) *code = 0;
  if (!object_in_use(p)) return 0;
  clump_of(p, "checkmem_clump");
  return 1;
}

namespace {

// Checks one clump; reports under "checkmem_chain_clump()".
void check_clump(int id, const ClumpEntry* entry, ClumpHeader* clump) {
  static constexpr const char* name = "checkmem_chain_clump()";
  if (clump->self != clump || clump->first_free < 0) {
    dbg_err_crash(name, " block corruption");
    return;
  }
  const int step = static_cast<int>(slot_bytes(entry) / 8);
  const int end = entry->per_clump * step;
  int links = 0;
  int offset = clump->first_free;
  while (links <= 2 * entry->per_clump) {
    if (offset < 0 || offset >= end || offset % step != 0) {
      dbg_err_crash(name, " block corruption");
      return;
    }
    int next = slot_at(clump, offset)->next;
    if (next == -1) break;
    ++links;
    offset = next;
  }
  const int difference = links + static_cast<int>(clump->in_use) - (entry->per_clump - 1);
  if (difference != 0) dbg_err_crash(name, " Count is wrong for id = %d (%d).", id, difference);
  for (int i = 0; i < entry->per_clump; ++i) {
    const ClumpSlot* slot = slot_at(clump, i * step);
    if (slot->own != i * step ||
        (slot->state != CLUMP_SLOT_FREE && slot->state != CLUMP_SLOT_IN_USE &&
         slot->state != CLUMP_SLOT_IN_USE_XAR)) {
      dbg_err_crash(name, " object corruption");
      return;
    }
  }
}

}  // namespace

int checkmem_chain_clump(long* useful, long* overhead) {
  for (int id = 0; id < clump_count; ++id) {
    const ClumpEntry* entry = pool_entry(id);
    if (entry == nullptr) continue;
    for (ClumpHeader* clump = entry->first; clump != nullptr; clump = clump->next) {
      check_clump(id, entry, clump);
      const long used = static_cast<long>(clump->in_use) * static_cast<long>(vek_round8(entry->size));
      if (useful) *useful += used;
      if (overhead) *overhead += static_cast<long>(Stat_clump_size) - used;
    }
  }
  return 1;
}

int debug_isclump_pointer(const void* user, std::size_t size) {
  if (user == nullptr || size != Stat_clump_size) return 0;
  const ClumpHeader* clump = static_cast<const ClumpHeader*>(user);
  if (clump->self != clump || pool_entry(clump->pool) == nullptr) return 0;
  for (const ClumpHeader* c = clump_table[clump->pool].first; c != nullptr; c = c->next)
    if (c == clump) return 1;
  return 0;
}

int debug_getmem_clump(const void* p, void** prev_user, void** next_user, std::size_t* size,
                       std::size_t* overhead, int* loop_index, int* xar_flag) {
  if (prev_user) *prev_user = nullptr;
  if (next_user) *next_user = nullptr;
  if (size) *size = 0;
  if (overhead) *overhead = 0;
  if (loop_index) *loop_index = -1;
  if (xar_flag) *xar_flag = 0;
  if (!object_in_use(p)) return 0;
  const ClumpEntry* entry = &clump_table[clump_of(p, "debug_getmem_clump")->pool];
  if (size) *size = entry->size;
  if (overhead) *overhead = vek_round8(entry->size) - entry->size + SLOT_HEADER;
  if (loop_index) *loop_index = slot_of(p)->mark;
  if (xar_flag) *xar_flag = state_of(p) == CLUMP_SLOT_IN_USE_XAR ? 1 : 0;
  return 1;
}

void clump_memusage(MemusageHistogram* objects, long* useful, long* overhead) {
  objects->used = 0;
  objects->slot[0] = MemusageSlot{0, 0, 0};
  *useful = 0;
  *overhead = 0;
  for (int id = 0; id < clump_count; ++id) {
    const ClumpEntry* entry = pool_entry(id);
    if (entry == nullptr || entry->first == nullptr) continue;
    long count = 0;
    long clumps = 0;
    for (const ClumpHeader* c = entry->first; c != nullptr; c = c->next) {
      count += c->in_use;
      ++clumps;
    }
    const long bytes = count * static_cast<long>(vek_round8(entry->size));
    histogram_add(objects, entry->size, count, bytes);
    *useful += bytes;
    *overhead += clumps * static_cast<long>(Stat_clump_size) - bytes;
  }
}

int clump_stats() {
  constexpr std::size_t kNameColumn = 25;
  static constexpr const char* heading = "%25s %4s %10s %9s %10s %12s\n";
  ivek_printf(heading, "Registered Name          ", "size", "Active    ", "Per Clump",
              "Num Clumps", "Percent Full");
  ivek_printf(heading, "-------------------------", "----", "----------", "---------",
              "----------", "------------");
  ivek_printf("\n");
  for (int id = 0; id < clump_count; ++id) {
    const ClumpEntry* entry = &clump_table[id];
    int clumps = 0;
    long in_use = 0;
    if (in_use_kind(entry->kind)) {
      for (const ClumpHeader* c = entry->first; c != nullptr; c = c->next) {
        ++clumps;
        in_use += c->in_use;
      }
    }
    const char* active = entry->kind == CLUMP_KIND_FREE    ? "Non-active"
                         : entry->kind == CLUMP_KIND_NAMED ? "Active    "
                                                           : "Non-id    ";
    const int full =
        clumps > 0 ? static_cast<int>(in_use * 100 / (static_cast<long>(clumps) * entry->per_clump))
                   : 0;
    // The name padded with blanks to the column's width, so that it stands left.
    char name[sizeof entry->name + kNameColumn];
    std::size_t length = std::strlen(entry->name);
    std::memcpy(name, entry->name, length);
    while (length < kNameColumn) name[length++] = ' ';
    name[length] = '\0';
    ivek_printf("%25s %4d %10s %9d %10d %12d\n", name, static_cast<int>(entry->size), active,
                entry->per_clump, clumps, full);
  }
  ivek_printf("\n");
  return clump_count;
}

// ---------------------------------------------------------------------------------------
// The memory-loop leak finder

unsigned dbgclump_mark(MemoryLoopRecord* record, void* address) {
  if (!object_in_use(address)) return 0xFFFFFFFFu;
  slot_of(address)->mark = static_cast<std::int16_t>(record->counter & 0xFFFFu);
  return record->counter & 0xFFFFu;
}

unsigned dbgclump_index(const void* address) {
  if (!object_in_use(address)) return 0xFFFFFFFFu;
  return static_cast<std::uint16_t>(slot_of(address)->mark);
}

std::size_t dbgclump_size(MemoryLoopRecord*, const void* address) {
  if (!object_in_use(address)) err_crash("dbgclump_size", "not a pool object");
  return clump_table[clump_of(address, "dbgclump_size")->pool].size;
}

void dbgclump_access(MemoryLoopRecord** records, int* count) {
  if (records) *records = dbgclump;
  if (count) *count = clump_count;
}

namespace {

bool size_filtered_out(MemoryLoopRecord* record, const void* address) {
  return debug_memory_loop_size != -1 &&
         static_cast<long>(record->size(record, address)) != debug_memory_loop_size;
}

void** address_at(MemoryLoopRecord* record, long index) {
  if (index < 0 || index >= har_total(&record->addresses)) return nullptr;
  return static_cast<void**>(har_access(&record->addresses, static_cast<int>(index), nullptr,
                                        nullptr));
}

// Runs f on dbggetmem and on the record of every pool.
template <typename F>
void for_each_record(F f) {
  f(&dbggetmem);
  for (int id = 0; id < clump_count; ++id) f(&dbgclump[id]);
}

}  // namespace

int debug_memory_loop() {
  if (!debug_getmem()) {
    ivek_printf("Memory debugging is not available\n");
    ivek_printf(" Redefine symbolic constant, recompile, and try again.\n");
    return 0;
  }
  bool mismatch = false;
  for_each_record([&mismatch](MemoryLoopRecord* record) {
    if (!mismatch && debug_memory_loop_low(record)) mismatch = true;
  });
  if (mismatch) {
    ivek_printf("Two previous loops had different numbers of memory allocations.\n");
    ivek_printf("Cancelling memory loop handling.  Try again.\n");
    debug_cancel_memory_loop();
    return 0;
  }
  dbgmem_loop_level = dbgmem_loop_level == 3 ? 1 : dbgmem_loop_level + 1;
  return dbgmem_loop_level;
}

int debug_memory_loop_low(MemoryLoopRecord* record) {
  if (record == nullptr) return 0;
  if (dbgmem_loop_level == 2 && record->previous_count != record->counter) return 1;
  record->previous_count = record->counter;
  record->counter = 0;
  record->active = 1;
  if (dbgmem_loop_level == 3 && record->addresses != nullptr) {
    // The array's own memory is not watched.
    int level = dbgmem_loop_level;
    dbgmem_loop_level = 0;
    har_resize(&record->addresses, 0);
    dbgmem_loop_level = level;
  }
  return 0;
}

void debug_cancel_memory_loop() {
  dbgmem_loop_level = 0;
  for_each_record([](MemoryLoopRecord* record) {
    record->active = 0;
    if (record->addresses != nullptr) har_free(&record->addresses);
    record->addresses = nullptr;
  });
}

void debug_memory_loop_alloc(MemoryLoopRecord* record, void* address) {
  if (dbgmem_loop_level == 0 || record == nullptr || size_filtered_out(record, address)) return;
  if (dbgmem_loop_level == 3 && record->addresses != nullptr) {
    void** entry = address_at(record, record->counter);
    if (entry == nullptr) {
      ivek_printf("debug_memory_loop_alloc: too many allocations.");
      ivek_printf(" Cancelling memory loop.\n");
      debug_cancel_memory_loop();
      return;
    }
    if (*entry != nullptr) debug_memory_not_released(record, *entry);
  }
  record->mark(record, address);
  if (dbgmem_loop_level == 1) {
    // The array's own memory is neither watched nor shaped by the xarray switches.
    const int ext = set_force_ext_no(0);
    const int reloc = set_force_ignore_reloc_cnt(0);
    dbgmem_loop_level = 0;
    if (record->addresses == nullptr)
      record->addresses = har_alloc(static_cast<int>(sizeof(void*)), 300);
    har_append(&record->addresses, 1, &address);
    dbgmem_loop_level = 1;
    set_force_ext_no(ext);
    set_force_ignore_reloc_cnt(reloc);
  }
  ++record->counter;
}

void debug_mark_released_memory(MemoryLoopRecord* record, void* address) {
  if ((dbgmem_loop_level != 1 && dbgmem_loop_level != 2) || record == nullptr ||
      record->addresses == nullptr || size_filtered_out(record, address))
    return;
  const unsigned index = record->index(address);
  if (index == 0xFFFFFFFFu) return;
  // Pool marks hold the low 16 bits of the allocation number.
  const long stride = record->index == dbgclump_index ? 0x10000L : 0;
  for (long i = index; address_at(record, i) != nullptr; i += stride) {
    void** entry = address_at(record, i);
    if (*entry == address) {
      *entry = nullptr;
      return;
    }
    if (stride == 0) return;
  }
}

void debug_mark_released_memory_all(MemoryLoopRecord* record) {
  if ((dbgmem_loop_level != 1 && dbgmem_loop_level != 2) || record == nullptr ||
      record->addresses == nullptr)
    return;
  const int total = har_total(&record->addresses);
  for (int i = 0; i < total; ++i)
    *static_cast<void**>(har_access(&record->addresses, i, nullptr, nullptr)) = nullptr;
}

void debug_memory_not_released(MemoryLoopRecord* record, void* address) {
  ivek_printf("debug_memory_not_released: %u bytes at %lx won't get released.\n",
              static_cast<unsigned>(record->size(record, address)),
              static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(address)));
  if (debug_memory_func != nullptr) debug_memory_func(address);
}

DebugMemoryFunc set_debug_memory_func(DebugMemoryFunc func) {
  debug_memory_func = func;
  return func;
}

long set_debug_memory_loop_size(long size) {
  debug_memory_loop_size = size;
  return size;
}

int get_in_debug_memory_loop() { return dbgmem_loop_level > 0 ? 1 : 0; }

int debug_memory_suspend() {
  suspended_loop_level = dbgmem_loop_level;
  dbgmem_loop_level = 0;
  return suspended_loop_level;
}

int debug_memory_resume() {
  dbgmem_loop_level = suspended_loop_level;
  return dbgmem_loop_level;
}

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
  std::memset(clump_table, 0, sizeof clump_table);
  std::memset(sorted_heads, 0, sizeof sorted_heads);
  std::memset(dbgclump, 0, sizeof dbgclump);
  clump_count = 0;
  index_tab_ready = false;
  pools_busy = 0;
  dbgmem_loop_level = 0;
  debug_memory_loop_size = -1;
  debug_memory_func = nullptr;
  suspended_loop_level = 0;
}

}  // namespace vek
