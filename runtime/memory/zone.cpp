// Numbered zones. Each zone is a record in the table zone_arr (a growable array); its
// chunks are memory blocks listed in a growable array of their addresses. Pieces are
// carved from the current chunk; when it is full the zone moves on to the next chunk,
// reusing one kept by empty_zone_low before it makes a new one.
#include "runtime/memory/zone.h"

#include <cstdint>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/zone_testing.h"

namespace vek {

namespace {

struct ZoneRecord {
  void** chunks;             // growable array of chunk addresses
  std::uint32_t chunk_count;  // its count, readable without the array checks
  std::uint32_t units_used;  // 8-byte units used in the current chunk
  std::uint32_t chunk_units;
  std::uint32_t current;     // index of the current chunk
  std::uint32_t in_use;
};

constexpr int ZONE_UNIT = 8;
constexpr int ZONE_CHUNK_LIST_STEP = 10;
constexpr int ZONE_TABLE_STEP = 2;

ZoneRecord* zone_arr = nullptr;
int num_in_zone_arr = 0;

// The record of a zone number, or null beyond the table. A record that is not in use
// is reported (but still returned, since callers act on a released record).
ZoneRecord* zone_record(int zone) {
  if (zone < 0 || zone >= num_in_zone_arr) {
    error_break("Memory error.");
    return nullptr;
  }
  ZoneRecord* record = zone_arr + zone;
  if (!record->in_use) error_break("Memory error.");
  return record;
}

void* new_chunk(ZoneRecord* record) {
  void* chunk = getmem(static_cast<std::size_t>(record->chunk_units) * ZONE_UNIT);
  void** slot = static_cast<void**>(xar_extend(&record->chunks, 1));
  *slot = chunk;
  ++record->chunk_count;
  return chunk;
}

}  // namespace

int alloc_zone(int chunk_bytes) {
  if (!zone_arr)
    zone_arr = static_cast<ZoneRecord*>(xar_alloc(0, sizeof(ZoneRecord), ZONE_TABLE_STEP));
  int zone = 0;
  while (zone < num_in_zone_arr && zone_arr[zone].in_use) ++zone;
  if (zone == num_in_zone_arr) {
    xar_extend(&zone_arr, 1);
    ++num_in_zone_arr;
  }
  ZoneRecord* record = zone_arr + zone;
  // A chunk smaller than one unit could hold nothing: it gets one unit.
  record->chunk_units = chunk_bytes <= 0 ? ZONE_DEFAULT_CHUNK_UNITS
                        : chunk_bytes < ZONE_UNIT
                            ? 1
                            : static_cast<std::uint32_t>(chunk_bytes / ZONE_UNIT);
  record->chunks = static_cast<void**>(xar_alloc(0, sizeof(void*), ZONE_CHUNK_LIST_STEP));
  record->chunk_count = 0;
  record->units_used = 0;
  record->current = 0;
  record->in_use = 1;
  new_chunk(record);
  return zone;
}

void* zone_getmem(int zone, int size) {
  ZoneRecord* record = zone_record(zone);
  if (!record || !record->in_use) return nullptr;
  std::uint32_t units = size < 0 ? 0 : (static_cast<std::uint32_t>(size) + 7) / ZONE_UNIT;
  if (size < 0 || units > record->chunk_units) {
    error_break("Memory error.");
    return nullptr;
  }
  if (record->units_used + units <= record->chunk_units) {
    unsigned char* chunk = static_cast<unsigned char*>(record->chunks[record->current]);
    void* piece = chunk + static_cast<std::size_t>(record->units_used) * ZONE_UNIT;
    record->units_used += units;
    return piece;
  }
  ++record->current;
  void* chunk = static_cast<int>(record->current) < xar_count(&record->chunks)
                    ? record->chunks[record->current]
                    : new_chunk(record);
  record->units_used = units;
  return chunk;
}

long zone_get_size(int zone) {
  ZoneRecord* record = zone_record(zone);
  if (!record) return 0;
  return (static_cast<long>(record->units_used) +
          static_cast<long>(record->current) * record->chunk_units) *
         ZONE_UNIT;
}

int empty_zone(int zone) { return empty_zone_low(zone, 1); }

int empty_zone_low(int zone, int clear) {
  ZoneRecord* record = zone_record(zone);
  if (!record) return 0;
  record->current = 0;
  record->units_used = 0;
  if (clear) {
    int chunks = xar_count(&record->chunks);
    for (int i = 0; i < chunks; ++i)
      std::memset(record->chunks[i], 0,
                  static_cast<std::size_t>(record->chunk_units) * ZONE_UNIT);
  }
  return 0;
}

int free_zone(int zone) {
  ZoneRecord* record = zone_record(zone);
  if (!record) return 0;
  int chunks = xar_count(&record->chunks);
  for (int i = 0; i < chunks; ++i) rlsmem(record->chunks[i]);
  xar_free(&record->chunks);
  record->chunk_count = 0;
  record->in_use = 0;
  return 0;
}

int zone_holding(const void* piece, std::size_t bytes) {
  std::uintptr_t start = reinterpret_cast<std::uintptr_t>(piece);
  for (int zone = 0; zone < num_in_zone_arr; ++zone) {
    const ZoneRecord* record = zone_arr + zone;
    if (!record->in_use) continue;
    std::uintptr_t chunk_bytes = static_cast<std::uintptr_t>(record->chunk_units) * ZONE_UNIT;
    for (std::uint32_t i = 0; i < record->chunk_count; ++i) {
      std::uintptr_t chunk = reinterpret_cast<std::uintptr_t>(record->chunks[i]);
      if (start >= chunk && start - chunk < chunk_bytes) {
        // Chunks never overlap: no other one can hold the piece.
        return bytes <= chunk_bytes - (start - chunk) ? zone : -1;
      }
    }
  }
  return -1;
}

int check_zone(int zone) {
  return zone >= 0 && zone < num_in_zone_arr && zone_arr[zone].in_use ? 1 : 0;
}

// ---------------------------------------------------------------------------------------
// Typed-size zones

TszZone* tsz_create_zone(int chunk_size) {
  TszZone* zone = static_cast<TszZone*>(getmem(sizeof(TszZone)));
  zone->chunk_size = chunk_size > 0 ? static_cast<std::uint32_t>(chunk_size) : 0;
  zone->chunks = static_cast<TszChunk*>(xar_alloc(0, static_cast<int>(sizeof(TszChunk)), 5));
  zone->last = -1;
  zone->large = static_cast<void**>(xar_alloc(0, static_cast<int>(sizeof(void*)), 5));
  return zone;
}

void* tsz_zone_getmem(TszZone* zone, int size) {
  if (zone == nullptr || size < 0) return nullptr;
  if (static_cast<std::uint32_t>(size) > zone->chunk_size) {
    void* block = getmem(static_cast<std::size_t>(size));
    xar_append(&zone->large, 1, &block);
    return block;
  }
  const std::uint32_t piece = static_cast<std::uint32_t>(vek_round8(static_cast<std::size_t>(size)));
  TszChunk* chunk = nullptr;
  for (int i = zone->last; i >= 0; --i) {
    if (zone->chunks[i].used + piece <= zone->chunk_size) {
      chunk = &zone->chunks[i];
      break;
    }
  }
  if (chunk == nullptr) {
    TszChunk fresh{0, static_cast<char*>(getmem(zone->chunk_size))};
    chunk = static_cast<TszChunk*>(xar_append(&zone->chunks, 1, &fresh));
    zone->last = xar_count(&zone->chunks) - 1;
  }
  void* result = chunk->address + chunk->used;
  chunk->used += piece;
  return result;
}

void tsz_clear_zone(TszZone* zone) {
  if (zone == nullptr) return;
  int large = xar_count(&zone->large);
  for (int i = 0; i < large; ++i) rlsmem(zone->large[i]);
  xar_resize(&zone->large, 0);
  int chunks = xar_count(&zone->chunks);
  for (int i = 0; i < chunks; ++i) {
    std::memset(zone->chunks[i].address, 0, zone->chunks[i].used);
    zone->chunks[i].used = 0;
  }
}

int tsz_destroy_zone(TszZone* zone) {
  if (zone == nullptr) return 0;
  int large = xar_count(&zone->large);
  for (int i = 0; i < large; ++i) rlsmem(zone->large[i]);
  int chunks = xar_count(&zone->chunks);
  for (int i = 0; i < chunks; ++i) rlsmem(zone->chunks[i].address);
  xar_free(&zone->large);
  xar_free(&zone->chunks);
  rlsmem(zone);
  return 0;
}

namespace {

TszZone* static_tsz_id = nullptr;

}  // namespace

TszZone* start_w_getmem() {
  static_tsz_id = tsz_create_zone(W_GETMEM_CHUNK);
  return static_tsz_id;
}

void* w_getmem(int size) {
  if (size < 1) {
    tsz_clear_zone(static_tsz_id);
    return nullptr;
  }
  if (static_tsz_id == nullptr) start_w_getmem();
  return tsz_zone_getmem(static_tsz_id, size);
}

void end_w_getmem() {
  tsz_destroy_zone(static_tsz_id);
  static_tsz_id = nullptr;
}

void destroy_w_getmem() { static_tsz_id = nullptr; }

// ---------------------------------------------------------------------------------------
// Block lists

namespace {

// The overflow of a block list: nothing more in run mode 0, the end of the process in
// the others.
void block_overflow(const char* message) {
  ivek_printf("%s", message);
  if (get_run_mode() != 0) crash();
}

}  // namespace

void* block_getmem(BlockListEntry** list, int size, int block_size, int extra) {
  if (list == nullptr || size < 0 || extra < 0) return nullptr;
  if (block_size <= 0) block_size = BLOCK_GETMEM_DEFAULT;
  if (static_cast<long long>(size) + extra > block_size) {
    block_overflow("block_getmem: requested size larger than block!\n");
    return nullptr;
  }
  if (*list == nullptr)
    *list = static_cast<BlockListEntry*>(xar_alloc(0, static_cast<int>(sizeof(BlockListEntry)), 10));
  BlockListEntry* last = static_cast<BlockListEntry*>(xar_last(list));
  if (last == nullptr ||
      static_cast<long long>(last->used) + size + extra > block_size) {
    BlockListEntry fresh{static_cast<char*>(getmem(static_cast<std::size_t>(block_size))), 0};
    last = static_cast<BlockListEntry*>(xar_append(list, 1, &fresh));
  }
  void* result = last->block + last->used;
  last->used += static_cast<std::uint32_t>(size);
  return result;
}

void block_rlsmem(BlockListEntry** list) {
  if (list == nullptr || *list == nullptr) return;
  int count = xar_count(list);
  for (int i = 0; i < count; ++i) {
    relmem(&(*list)[i].block);
    if (!marking_mem_to_preserve()) (*list)[i].used = 0;
  }
  xar_free(list);
}

void block_truncate(BlockListEntry** list, int n) {
  BlockListEntry* last =
      list != nullptr && *list != nullptr ? static_cast<BlockListEntry*>(xar_last(list)) : nullptr;
  if (last == nullptr || n < 0 || last->used < static_cast<std::uint32_t>(n)) {
    block_overflow("block_truncate: requested size larger than block!\n");
    return;
  }
  last->used -= static_cast<std::uint32_t>(n);
}

int* alloc_id_tab(const int* ids, int count, int** out, int* out_count) {
  int* tab = nullptr;
  if (count > 0 && ids != nullptr) {
    tab = static_cast<int*>(xar_alloc(count, static_cast<int>(sizeof(int)), 1));
    std::memcpy(tab, ids, static_cast<std::size_t>(count) * sizeof(int));
  } else {
    count = 0;
  }
  if (out != nullptr) *out = tab;
  if (out_count != nullptr) *out_count = count;
  return tab;
}

void zone_testing_reset() {
  zone_arr = nullptr;
  num_in_zone_arr = 0;
  static_tsz_id = nullptr;
}

}  // namespace vek
