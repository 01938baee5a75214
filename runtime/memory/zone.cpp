// Numbered zones. Each zone is a record in the table zone_arr (a growable array); its
// chunks are memory blocks listed in a growable array of their addresses. Pieces are
// carved from the current chunk; when it is full the zone moves on to the next chunk,
// reusing one kept by empty_zone_low before it makes a new one.
#include "runtime/memory/zone.h"

#include <cstdint>
#include <cstring>

#include "runtime/diag/diag.h"
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

void zone_testing_reset() {
  zone_arr = nullptr;
  num_in_zone_arr = 0;
}

}  // namespace vek
