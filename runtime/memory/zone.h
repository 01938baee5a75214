// Numbered zones: bump allocators over chunks of memory blocks, freed only whole.
//
// A zone hands out pieces rounded up to 8 bytes, with no header of their own; growable
// arrays may live in a zone (zone_xar_alloc). Zone numbers index one process-wide table
// whose records are reused after free_zone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vek {

// Default chunk: 8179 units of 8 bytes.
constexpr int ZONE_DEFAULT_CHUNK_UNITS = 8179;

int alloc_zone(int chunk_bytes);
void* zone_getmem(int zone, int size);
long zone_get_size(int zone);
int empty_zone(int zone);
int empty_zone_low(int zone, int clear);
int free_zone(int zone);
int check_zone(int zone);
// The zone in use one of whose chunks holds all bytes bytes from piece, or -1. It reads
// no growable array through its checks, so that those checks may call it.
int zone_holding(const void* piece, std::size_t bytes);

// ---- Typed-size zones: chunks of one size, large requests in blocks of their own.

struct TszChunk {
  std::uint32_t used;  // bytes
  char* address;
};

struct TszZone {
  std::uint32_t chunk_size;  // bytes
  TszChunk* chunks;          // growable array
  int last;                  // index of the last chunk, -1 when none
  void** large;              // growable array of separately allocated blocks
};

constexpr int W_GETMEM_CHUNK = 32768;

TszZone* tsz_create_zone(int chunk_size);
void* tsz_zone_getmem(TszZone* zone, int size);
// Both do nothing for a null zone.
void tsz_clear_zone(TszZone* zone);
int tsz_destroy_zone(TszZone* zone);

// The process-wide scratch zone; w_getmem starts it when there is none.
TszZone* start_w_getmem();
void* w_getmem(int size);
void end_w_getmem();
void destroy_w_getmem();

// ---- Block lists: pieces carved without rounding from blocks of one size.

struct BlockListEntry {
  char* block;
  std::uint32_t used;  // bytes
};

constexpr int BLOCK_GETMEM_DEFAULT = 65435;

void* block_getmem(BlockListEntry** list, int size, int block_size, int extra);
void block_rlsmem(BlockListEntry** list);
void block_truncate(BlockListEntry** list, int n);

int* alloc_id_tab(const int* ids, int count, int** out, int* out_count);

}  // namespace vek
