// Growable arrays: allocation, growth, shrinking, freeing, the header reads, the
// validity checks and the two switches.
//
// Invariant: every element past the count is zero. New heap blocks come zeroed, a grown
// block's new bytes are zeroed by relocmem_xar, the old tail is cleared before a move
// (it ends up among the elements) and shrinking zero-fills what it drops.
#include "runtime/memory/xar.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"
#include "runtime/memory/clump.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_layout.h"
#include "runtime/memory/xar_internal.h"
#include "runtime/memory/xar_layout.h"
#include "runtime/memory/xar_testing.h"
#include "runtime/memory/zone.h"

namespace vek {

namespace {

int force_ext_no = 0;
int force_ignore_reloc_cnt = 0;
// -1 until the first allocation reads whether DEBUG_XAR is set.
int dbg_xar = -1;

// Arrays of small elements made empty with step 1 would move on every append.
constexpr int XAR_SMALL_ELEMENT = 128;

// Step factors for the first four moves; later moves widen by 1.15 each.
constexpr double XAR_FIRST_FACTORS[] = {1.0, 1.3, 1.6, 2.0};

// Block length in units for room elements: header, elements rounded up, tail.
std::uint32_t length_for(int room, int size) {
  return static_cast<std::uint32_t>((xar_bytes(room, size) + XAR_UNIT - 1) / XAR_UNIT) +
         XAR_OVERHEAD_UNITS;
}

[[noreturn]] void out_of_memory(const char* name, const char* message) {
  err_unwind(name, message);
  crash();
}

void print_switch(const char* format, int flag) {
  if (get_run_mode() != 0) ivek_printf(format, flag ? "ignored" : "valid");
}

// Where the block of an array with an intact head mark lies, judged before anything is
// read through its length: XAR_ZONE_HEAP for a heap array (a pool object that holds the
// length, or a memory block whose guard is intact and whose user size is the length),
// the zone for a piece inside a chunk of a zone in use, or XAR_ZONE_NONE when nothing
// known holds the length.
constexpr int XAR_ZONE_NONE = -2;

int xar_home(const void* handle, std::uint32_t length) {
  const void* start = xar_block_start(handle);
  std::size_t bytes = static_cast<std::size_t>(length) * XAR_UNIT;
  long pooled = clumpmem_area_size(start);
  if (pooled >= 0)
    return static_cast<std::size_t>(pooled) >= bytes ? XAR_ZONE_HEAP : XAR_ZONE_NONE;
  const unsigned char* block = getmem_block_of(start);
  if (getmem_guard(block) == GETMEM_GUARD && getmem_size(block) == bytes) return XAR_ZONE_HEAP;
  int zone = zone_holding(start, bytes);
  return zone >= 0 ? zone : XAR_ZONE_NONE;
}

}  // namespace

int xar_valid(const void* handle) {
  if (!handle || xar_hdr_mark(handle) != XAR_HEAD_MARK) return 0;
  // A frame written here always holds its header and tail, a non-zero size and no more
  // element room than the limit; and the tail is read only once the block around is
  // known to reach it.
  std::uint32_t length = xar_hdr_length(handle);
  if (length < static_cast<std::uint32_t>(XAR_OVERHEAD_UNITS) || xar_hdr_size(handle) < 1 ||
      xar_hdr_room_bytes(handle) > static_cast<std::uint32_t>(XAR_MAX_BYTES))
    return 0;
  int home = xar_home(handle, length);
  if (home == XAR_ZONE_NONE || xar_tail_mark(handle) != XAR_TAIL_MARK) return 0;
  // A piece of a zone names that zone; any other zone field would have it released.
  if (home != XAR_ZONE_HEAP && xar_tail_zone(handle) != home) return 0;
  int count = xar_tail_count(handle);
  return count >= 0 && xar_bytes(count, xar_hdr_size(handle)) <= xar_hdr_room_bytes(handle);
}

unsigned char* xar_checked(const void* p_xar, const char* name) {
  unsigned char* handle = xar_handle(p_xar);
  if (!p_xar || !xar_valid(handle)) err_crash(name, "invalid array");
  return handle;
}

void* zone_xar_alloc(int zone, int count, int size, int step) {
  if (count == 0 && step == 0) return nullptr;
  // The header holds the element size in 16 bits and the tail the zone in 15.
  if (count < 0 || size < 1 || size > XAR_MAX_ELEMENT_SIZE || step < 1 || zone > XAR_MAX_ZONE)
    err_crash("XAR_ALLOC", "invalid request");
  if (count == 0 && step == 1 && size < XAR_SMALL_ELEMENT) step = 2;
  if (force_ext_no) step = 1;
  if (dbg_xar < 0) dbg_xar = std::getenv("DEBUG_XAR") ? 1 : 0;
  // Under DEBUG_XAR an empty array has no room, so that its first append moves it.
  int room = count == 0 && !dbg_xar ? 1 : count;
  if (count > xar_max_count_get(size)) err_crash("XAR_ALLOC", "too big array");
  std::uint32_t length = length_for(room, size);
  std::size_t block_bytes = static_cast<std::size_t>(length) * XAR_UNIT;
  void* block = zone >= 0 ? zone_getmem(zone, static_cast<int>(block_bytes))
                          : getmem_xar(block_bytes, 1);
  if (!block) out_of_memory("XAR_ALLOC", "out of memory");
  void* handle = static_cast<unsigned char*>(block) + XAR_HEADER_BYTES;
  xar_write_frame(handle, length, step > XAR_MAX_STEP ? XAR_MAX_STEP : step, size,
                  zone >= 0 ? zone : XAR_ZONE_HEAP, count);
  return handle;
}

void* xar_alloc(int count, int size, int step) {
  return zone_xar_alloc(XAR_ZONE_HEAP, count, size, step);
}

int xar_pre_reloc(void* block_start, int n) {
  unsigned char* handle =
      block_start ? static_cast<unsigned char*>(block_start) + XAR_HEADER_BYTES : nullptr;
  if (!xar_valid(handle)) err_crash("XAR_PRE_RELOC", "invalid array");
  int size = xar_hdr_size(handle);
  int step = xar_hdr_step(handle);
  int limit = xar_max_count_get(size);
  if (n < 0) err_crash("XAR_PRE_RELOC", "invalid request");
  if (static_cast<long>(xar_tail_count(handle)) + n > limit)
    out_of_memory(" XAR_PRE_RELOC", "too big array");
  // r is 1 + the earlier moves of a heap array, 0 or less for a zone array.
  int r = force_ignore_reloc_cnt ? 1 : -xar_tail_zone(handle);
  if (r > 0) {
    double factor = r <= 4 ? XAR_FIRST_FACTORS[r - 1] : 2.0 * std::pow(1.15, r - 4);
    // After many moves the widened step passes any count; the limit caps it first so
    // that the conversion stays in range.
    double widened = step * factor + 0.1;
    step = widened >= limit ? limit : static_cast<int>(widened);
  }
  long capacity = xar_hdr_capacity(handle) + (static_cast<long>(n - 1) / step + 1) * step;
  return capacity > limit ? limit : static_cast<int>(capacity);
}

void* xar_extend(void* p_xar, int n) {
  return xar_extend_checked(p_xar, xar_checked(p_xar, "XAR_EXTEND"), n);
}

unsigned char* xar_extend_checked(void* p_xar, unsigned char* handle, int n) {
  if (n < 0) err_crash("XAR_EXTEND", "invalid request");
  if (n == 0) return nullptr;
  int size = xar_hdr_size(handle);
  int count = xar_tail_count(handle);
  if (xar_bytes(count, size) + xar_bytes(n, size) <= xar_hdr_room_bytes(handle)) {
    xar_set_count(handle, count + n);
    return handle + xar_bytes(count, size);
  }
  int capacity = xar_pre_reloc(xar_block_start(handle), n);
  std::uint32_t length =
      static_cast<std::uint32_t>((xar_bytes(capacity, size) - 1) / XAR_UNIT) + 3;
  std::size_t block_bytes = static_cast<std::size_t>(length) * XAR_UNIT;
  int step = xar_hdr_step(handle);
  int zone = xar_tail_zone(handle);
  std::size_t old_bytes = static_cast<std::size_t>(xar_hdr_length(handle)) * XAR_UNIT;
  // The old tail lies among the elements of the grown block.
  std::memset(xar_tail(handle), 0, XAR_TAIL_BYTES);
  void* old_block = xar_block_start(handle);
  void* block;
  if (zone < 0) {
    block = relocmem_xar(old_block, block_bytes, 1);
  } else {
    // A zone gives no piece back: the array takes a new piece and the old one stays.
    block = zone_getmem(zone, static_cast<int>(block_bytes));
    if (block) std::memcpy(block, old_block, old_bytes);
  }
  if (!block) out_of_memory(" XAR_EXTEND", "out of memory");
  if (zone < 0 && zone > XAR_ZONE_FLOOR) --zone;
  handle = static_cast<unsigned char*>(block) + XAR_HEADER_BYTES;
  xar_write_frame(handle, length, step, size, zone, count + n);
  xar_set_handle(p_xar, handle);
  return handle + xar_bytes(count, size);
}

void* xar_shrink(void* p_xar, int n) {
  unsigned char* handle = xar_checked(p_xar, "XAR_SHRINK");
  int count = xar_tail_count(handle);
  if (n < 0 || n > count) err_crash("XAR_SHRINK", "invalid request");
  int size = xar_hdr_size(handle);
  int kept = count - n;
  std::memset(handle + xar_bytes(kept, size), 0, xar_bytes(n, size));
  xar_set_count(handle, kept);
  return kept > 0 ? handle + xar_bytes(kept - 1, size) : nullptr;
}

int xar_resize(void* p_xar, int count) {
  if (!xar_handle(p_xar) && count == 0) return 0;
  unsigned char* handle = xar_checked(p_xar, "XAR_RESIZE");
  if (count < 0) err_crash("XAR_RESIZE", "invalid request");
  int old = xar_tail_count(handle);
  if (count < old)
    xar_shrink(p_xar, old - count);
  else if (count > old)
    xar_extend(p_xar, count - old);
  return 0;
}

int xar_resize_w_check(void* p_xar, int count) {
  if (xar_handle(p_xar)) {
    int size = 0;
    xar_params(p_xar, &size, nullptr, nullptr, nullptr);
    if (count > xar_max_count_get(size)) return 65;
  }
  xar_resize(p_xar, count);
  return 0;
}

void xar_free(void* p_xar) {
  if (!xar_handle(p_xar)) return;
  unsigned char* handle = xar_checked(p_xar, "XAR_FREE");
  // A zone array's piece belongs to its zone.
  if (xar_tail_zone(handle) < 0) rlsmem(xar_block_start(handle));
  xar_set_handle(p_xar, nullptr);
}

int xar_count(const void* p_xar) {
  if (!xar_handle(p_xar)) return 0;
  return xar_tail_count(xar_checked(p_xar, "XAR_COUNT"));
}

void* xar_last(const void* p_xar) {
  if (!xar_handle(p_xar)) return nullptr;
  unsigned char* handle = xar_checked(p_xar, "XAR_LAST");
  int count = xar_tail_count(handle);
  return count > 0 ? handle + xar_bytes(count - 1, xar_hdr_size(handle)) : nullptr;
}

void xar_params(const void* p_xar, int* size, int* step, int* count, int* limit) {
  unsigned char* handle = xar_checked(p_xar, "XAR_PARAMS");
  if (size) *size = xar_hdr_size(handle);
  if (step) *step = xar_hdr_step(handle);
  if (count) *count = xar_tail_count(handle);
  if (limit) *limit = xar_max_count_get(xar_hdr_size(handle));
}

int xar_max_count_get(int size) { return size < 1 ? 0 : XAR_MAX_BYTES / size; }

int debug_xar_invalid(const void* p_xar) {
  return p_xar && xar_valid(xar_handle(p_xar)) ? 0 : 1;
}

int debug_xar_memusage(const void* block_start, int* size, int* count, int* capacity) {
  if (!block_start) return 0;
  const unsigned char* handle =
      static_cast<const unsigned char*>(block_start) + XAR_HEADER_BYTES;
  if (!xar_valid(handle)) return 0;
  if (xar_tail_zone(handle) >= 0 && !check_zone(xar_tail_zone(handle))) return 0;
  if (size) *size = xar_hdr_size(handle);
  if (count) *count = xar_tail_count(handle);
  if (capacity) *capacity = xar_hdr_capacity(handle);
  return 1;
}

int debug_user_xar_memusage(const void* p_xar, int* size, int* count, int* capacity,
                            int* overhead) {
  int* outs[] = {size, count, capacity, overhead};
  for (int* out : outs)
    if (out) *out = 0;
  unsigned char* handle = xar_handle(p_xar);
  if (!handle) return 1;
  if (!xar_valid(handle)) {
    dbg_print_info("debug_xar_hdr_memusage", "invalid xarray!");
    return 0;
  }
  int element_size = xar_hdr_size(handle);
  int room = xar_hdr_capacity(handle);
  std::size_t data = xar_bytes(room, element_size);
  std::size_t extra = vek_round8(data) + XAR_HEADER_BYTES + XAR_TAIL_BYTES - data;
  if (xar_tail_zone(handle) < 0) {
    void* previous = nullptr;
    void* next = nullptr;
    std::size_t user_size = 0;
    std::size_t block_overhead = 0;
    int loop_index = 0;
    int xar_flag = 0;
    if (debug_getmem_area(xar_block_start(handle), &previous, &next, &user_size,
                          &block_overhead, &loop_index, &xar_flag))
      extra += block_overhead;
  }
  if (size) *size = element_size;
  if (count) *count = xar_tail_count(handle);
  if (capacity) *capacity = room;
  if (overhead) *overhead = static_cast<int>(extra);
  return 1;
}

void debug_xar_force_ext_no(int flag) {
  force_ext_no = flag;
  print_switch("Xarray extension size is now %s.\n", flag);
}

void debug_xar_ignore_reloc_cnt(int flag) {
  force_ignore_reloc_cnt = flag;
  print_switch("Xarray reloc count is now %s.\n", flag);
}

int get_force_ext_no() { return force_ext_no; }

int set_force_ext_no(int flag) {
  int previous = force_ext_no;
  force_ext_no = flag;
  return previous;
}

int get_force_ignore_reloc_cnt() { return force_ignore_reloc_cnt; }

int set_force_ignore_reloc_cnt(int flag) {
  int previous = force_ignore_reloc_cnt;
  force_ignore_reloc_cnt = flag;
  return previous;
}

int get_xar_force_ext_no() { return force_ext_no; }
int get_xar_ignore_reloc_cnt() { return force_ignore_reloc_cnt; }

void xar_testing_reset() {
  force_ext_no = 0;
  force_ignore_reloc_cnt = 0;
  dbg_xar = -1;
}

}  // namespace vek
