// Usage statistics: histograms of the chain's blocks, growable arrays and pool objects
// by size, their differences between two moments, and their printed report.
#include <cstdarg>
#include <cstring>

#include "fileaccess/core/pfa.h"
#include "runtime/algo/sort.h"
#include "runtime/diag/console.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_internal.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

// The two records that memusage_loop_increment uses in turn, their difference, and the
// record of memusage_print_snapshot.
MemusageSnapshot loop_records[2];
MemusageSnapshot loop_difference;
MemusageSnapshot fresh_record;
int stat_last_idx = -1;

int corrupt_walk() {
  ivek_printf(" Memory corruption detected.\n");
  return 1;
}

int descending_key(const void* a, const void* b) {
  const long ka = static_cast<const MemusageSlot*>(a)->key;
  const long kb = static_cast<const MemusageSlot*>(b)->key;
  return (kb > ka) - (kb < ka);
}

long histogram_count(const MemusageHistogram* histogram) {
  long count = 0;
  for (int i = 0; i <= histogram->used; ++i) count += histogram->slot[i].count;
  return count;
}

// Writes to the file, or to the standard output for a null file.
void put(VynFile* file, const char* format, ...) __attribute__((format(printf, 2, 3)));
void put(VynFile* file, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (file) {
    pfa_vfprintf(file, format, args);
  } else {
    ivek_vprintf(format, args);
  }
  va_end(args);
}

void print_under(VynFile* file, const char* title, const MemusageSnapshot* record) {
  put(file, "%s", title);
  memusage_print(record, file);
}

constexpr const char* STATISTICS_TITLE = " *** MEMORY USAGE STATISTICS REPORT *** \n";

}  // namespace

void histogram_add(MemusageHistogram* histogram, long key, long count, long bytes) {
  MemusageSlot* slot = histogram->slot;
  for (int i = 1; i <= histogram->used; ++i) {
    if (slot[i].key == key) {
      slot[i].count += count;
      slot[i].bytes += bytes;
      return;
    }
  }
  if (histogram->used < MEMUSAGE_SLOTS - 1) {
    slot[++histogram->used] = {key, count, bytes};
  } else {
    slot[0].count += count;
    slot[0].bytes += bytes;
  }
}

int memusage_count(MemusageSnapshot* record) {
  std::memset(record, 0, sizeof *record);
  for (void* user = debug_getmem_chain_start(); user;) {
    void* next = nullptr;
    std::size_t size = 0;
    std::size_t overhead = 0;
    int xar_flag = 0;
    if (!debug_getmem_area(user, nullptr, &next, &size, &overhead, nullptr, &xar_flag)) {
      return corrupt_walk();
    }
    const long user_size = static_cast<long>(size);
    record->getmem_overhead += static_cast<long>(overhead);
    if (xar_flag) {
      int element_size = 0;
      int count = 0;
      int capacity = 0;
      if (!debug_xar_memusage(user, &element_size, &count, &capacity)) return corrupt_walk();
      const long data = static_cast<long>(element_size) * count;
      const long room = static_cast<long>(element_size) * capacity;
      record->xar_getmem_overhead += static_cast<long>(overhead);
      histogram_add(&record->xars, element_size, 1, data);
      record->xar_data += data;
      record->xar_reserved += room - data;
      record->xar_overhead += user_size - room;
      if (count == 0) ++record->xar_empty;
    } else if (debug_isclump_pointer(user, size)) {
      record->clump_getmem_overhead += static_cast<long>(overhead);
    } else {
      histogram_add(&record->blocks, user_size, 1, user_size);
      record->block_bytes += user_size;
    }
    user = next;
  }
  clump_memusage(&record->clumps, &record->clump_useful, &record->clump_overhead);
  return 0;
}

int memusage_snapshot(MemusageSnapshot* record) {
  const int result = memusage_count(record);
  sort_histogram(&record->blocks);
  sort_histogram(&record->xars);
  sort_histogram(&record->clumps);
  return result;
}

void sort_histogram(MemusageHistogram* histogram) {
  sort_objects(histogram->used, &descending_key, &histogram->slot[1], sizeof(MemusageSlot));
}

// Both key lists are descending. A merged list longer than the slots spills into
// "other", so that nothing is lost and no slot is written twice.
void memusage_array_diff(const MemusageHistogram* a, const MemusageHistogram* b,
                         MemusageHistogram* out, int with_other) {
  MemusageHistogram merged;
  merged.used = 0;
  merged.slot[0] = {0, 0, 0};
  if (with_other) {
    merged.slot[0].count = a->slot[0].count - b->slot[0].count;
    merged.slot[0].bytes = a->slot[0].bytes - b->slot[0].bytes;
  }
  int i = 1;
  int j = 1;
  while (i <= a->used || j <= b->used) {
    long key;
    long count;
    long bytes;
    if (j > b->used || (i <= a->used && a->slot[i].key > b->slot[j].key)) {
      key = a->slot[i].key;
      count = a->slot[i].count;
      bytes = a->slot[i].bytes;
      ++i;
    } else if (i > a->used || b->slot[j].key > a->slot[i].key) {
      key = b->slot[j].key;
      count = -b->slot[j].count;
      bytes = -b->slot[j].bytes;
      ++j;
    } else {
      key = a->slot[i].key;
      count = a->slot[i].count - b->slot[j].count;
      bytes = a->slot[i].bytes - b->slot[j].bytes;
      ++i;
      ++j;
      if (bytes == 0) continue;
    }
    if (merged.used < MEMUSAGE_SLOTS - 1) {
      merged.slot[++merged.used] = {key, count, bytes};
    } else {
      merged.slot[0].count += count;
      merged.slot[0].bytes += bytes;
    }
  }
  *out = merged;
}

void memusage_diff(const MemusageSnapshot* a, const MemusageSnapshot* b, MemusageSnapshot* out) {
  memusage_array_diff(&a->blocks, &b->blocks, &out->blocks, 1);
  memusage_array_diff(&a->xars, &b->xars, &out->xars, 1);
  memusage_array_diff(&a->clumps, &b->clumps, &out->clumps, 0);
  out->block_bytes = a->block_bytes - b->block_bytes;
  out->getmem_overhead = a->getmem_overhead - b->getmem_overhead;
  out->xar_getmem_overhead = a->xar_getmem_overhead - b->xar_getmem_overhead;
  out->clump_getmem_overhead = a->clump_getmem_overhead - b->clump_getmem_overhead;
  out->xar_data = a->xar_data - b->xar_data;
  out->xar_overhead = a->xar_overhead - b->xar_overhead;
  out->xar_reserved = a->xar_reserved - b->xar_reserved;
  out->xar_empty = a->xar_empty - b->xar_empty;
  out->clump_useful = a->clump_useful - b->clump_useful;
  out->clump_overhead = a->clump_overhead - b->clump_overhead;
}

void memusage_print(const MemusageSnapshot* record, VynFile* file) {
  const MemusageHistogram* blocks = &record->blocks;
  put(file, "\n ************* Memory usage statistics ******** \n");
  put(file, "\n ** Getmem (!xarray & !clump) memory blocks **\n");
  put(file, "|%10s |%10s |%10s |\n", "  SIZE    ", "   COUNT  ", "   BYTES  ");
  for (int i = 1; i <= blocks->used; ++i) {
    const MemusageSlot& s = blocks->slot[i];
    put(file, "|%10ld |%10ld |%10ld |\n", s.key, s.count, s.bytes);
  }
  if (blocks->slot[0].bytes != 0) {
    put(file, "|%10s |%10ld |%10ld |\n", "  other   ", blocks->slot[0].count,
        blocks->slot[0].bytes);
  }
  put(file, " %ld objects of %d sizes tracked.\n", histogram_count(blocks), blocks->used);
  put(file, " ** Subcategory total - %ld bytes; Overhead - %ld bytes. **\n", record->block_bytes,
      record->getmem_overhead);
  put(file, " **   %ld bytes of getmem overhead are caused by xarrays\n",
      record->xar_getmem_overhead);
  put(file, " **   %ld bytes of getmem overhead are caused by clumps\n",
      record->clump_getmem_overhead);

  const MemusageHistogram* xars = &record->xars;
  put(file, "\n ** Xarray memory usage\n");
  put(file, "|%10s |%10s |%10s |%10s |\n", " OBJ_SIZE ", " N_ARRAYS ", "DATA_BYTES", " OBJinARR ");
  for (int i = 1; i <= xars->used; ++i) {
    const MemusageSlot& s = xars->slot[i];
    const double per_array =
        s.count != 0 && s.key != 0 ? static_cast<double>(s.bytes) / (s.key * s.count) : 0.0;
    put(file, "|%10ld |%10ld |%10ld| %10g |\n", s.key, s.count, s.bytes, per_array);
  }
  if (xars->slot[0].bytes != 0) {
    put(file, "|%10s |%10ld |%10ld %s |\n", "  other   ", xars->slot[0].count,
        xars->slot[0].bytes, " ");
  }
  put(file, " %ld xarrays of %d object sizes tracked.\n", histogram_count(xars), xars->used);
  put(file, " Total memory used by valid data in xarrays: %ld bytes\n", record->xar_data);
  put(file, " Additional memory reserved for xarray expansions: %ld bytes\n",
      record->xar_reserved);
  put(file, " %ld expandable arrays are empty\n", record->xar_empty);
  put(file, " Overhead imposed by xarrays - %ld bytes\n", record->xar_overhead);

  const MemusageHistogram* clumps = &record->clumps;
  put(file, "\n ** Clump memory usage\n");
  put(file, "|%10s |%10s |%10s |\n", " OBJ_SIZE ", " N_OBJECT ", "DATA_BYTES");
  for (int i = 1; i <= clumps->used; ++i) {
    const MemusageSlot& s = clumps->slot[i];
    put(file, "|%10ld |%10ld |%10ld |\n", s.key, s.count, s.bytes);
  }
  put(file, " %ld objects in clumps of %d object sizes tracked.\n", histogram_count(clumps),
      clumps->used);
  put(file, " Total useful memory in clumps %ld bytes\n", record->clump_useful);
  put(file, " Total clump overhead is %ld bytes\n", record->clump_overhead);
  if (record->clump_overhead < 0) {
    put(file, "%5s A negative value of clump overhead indicates overhead reduction\n", " ");
  }

  const long useful = record->block_bytes + record->xar_data + record->clump_useful;
  const long overhead = record->getmem_overhead + record->xar_reserved + record->xar_overhead +
                        record->clump_overhead;
  put(file, "\n ** Memory usage summary: \n");
  put(file, " %10s useful = %ld + %ld + %ld = %ld\n", " ", record->block_bytes, record->xar_data,
      record->clump_useful, useful);
  put(file, " %10s overhead = %ld + %ld + %ld + %ld = %ld\n", " ", record->getmem_overhead,
      record->xar_reserved, record->xar_overhead, record->clump_overhead, overhead);
  put(file, " %10s total = %ld + %ld = %ld\n", " ", useful, overhead, useful + overhead);
  put(file, "\n ********************************************** \n");
}

int memusage_loop_increment(VynFile* file) {
  const int idx = stat_last_idx == 0 ? 1 : 0;
  memusage_snapshot(&loop_records[idx]);
  if (stat_last_idx < 0) {
    print_under(file, " *** MEMORY USAGE INCREMENT REPORT *** \n", &loop_records[idx]);
  } else {
    memusage_diff(&loop_records[idx], &loop_records[stat_last_idx], &loop_difference);
    print_under(file, " *** MEMORY USAGE INCREMENT REPORT *** \n", &loop_difference);
  }
  stat_last_idx = idx;
  return idx;
}

// Without an earlier memusage_loop_increment the record printed is the empty one.
void memusage_loop_stats(VynFile* file) {
  print_under(file, STATISTICS_TITLE, &loop_records[stat_last_idx < 0 ? 0 : stat_last_idx]);
}

void memusage_print_snapshot(VynFile* file) {
  memusage_snapshot(&fresh_record);
  print_under(file, STATISTICS_TITLE, &fresh_record);
}

void memusage_testing_reset() {
  std::memset(loop_records, 0, sizeof loop_records);
  std::memset(&loop_difference, 0, sizeof loop_difference);
  std::memset(&fresh_record, 0, sizeof fresh_record);
  stat_last_idx = -1;
}

}  // namespace vek
