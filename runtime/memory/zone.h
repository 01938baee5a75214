// Numbered zones: bump allocators over chunks of memory blocks, freed only whole.
//
// A zone hands out pieces rounded up to 8 bytes, with no header of their own; growable
// arrays may live in a zone (zone_xar_alloc). Zone numbers index one process-wide table
// whose records are reused after free_zone.
#pragma once

#include <cstddef>

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

}  // namespace vek
