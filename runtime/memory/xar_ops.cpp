// Growable arrays: appending, insertion and removal, reordering, copies, concatenation,
// comparison, sorted search and insertion, subtraction and merging.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/algo/sort.h"
#include "runtime/diag/diag.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/arrays.h"
#include "runtime/memory/btree.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_internal.h"
#include "runtime/memory/xar_layout.h"

namespace vek {

namespace {

constexpr int XAR_XAR_STEP = 10;

unsigned char* element(unsigned char* handle, int index, int size) {
  return handle + xar_bytes(index, size);
}

// Concatenation needs equal element sizes; a mismatch ends the process.
void require_same_size(const char* name, const void* p_dst, const void* p_source) {
  int dst_size = 0;
  int source_size = 0;
  xar_params(p_dst, &dst_size, nullptr, nullptr, nullptr);
  xar_params(p_source, &source_size, nullptr, nullptr, nullptr);
  if (dst_size == source_size) return;
  dbg_err_syserr(name, "different object size numbers %d - %d !!!", dst_size, source_size);
  crash();
}

void remove_low(void* p_xar, int index, int n, void* out) {
  unsigned char* handle = xar_checked(p_xar, "XAR_SHRINK");
  int count = xar_tail_count(handle);
  arr_delete(handle, xar_hdr_size(handle), &count, index, n, out);
  xar_shrink(p_xar, n);
}

}  // namespace

int xar_size_matches(const void* p_xar, int size, const char* name) {
  if (p_xar && !xar_handle(p_xar)) return 1;
  int old = 0;
  xar_params(p_xar, &old, nullptr, nullptr, nullptr);
  if (old == size) return 1;
  dbg_err_crash(name, XAR_INCONSISTENT_SIZE, old, size);
  return 0;
}

void* xar_snapshot_source(const unsigned char* handle, const void* source, int n) {
  if (!source || !xar_points_into(source, handle, xar_hdr_room_bytes(handle))) return nullptr;
  int size = xar_hdr_size(handle);
  int count = xar_tail_count(handle);
  // A count the array cannot take is left to the growth's own stop.
  if (n <= 0 || n > xar_max_count_get(size) - count) return nullptr;
  std::size_t bytes = xar_bytes(n, size);
  void* copy = getmem(bytes);
  std::size_t offset =
      static_cast<std::size_t>(static_cast<const unsigned char*>(source) - handle);
  std::size_t used = xar_bytes(count, size);
  if (offset < used) std::memcpy(copy, source, std::min(bytes, used - offset));
  return copy;
}

unsigned char* xar_append_low(void* p_xar, int n, const void* source) {
  return xar_append_checked(p_xar, xar_checked(p_xar, "XAR_EXTEND"), n, source);
}

unsigned char* xar_append_checked(void* p_xar, unsigned char* handle, int n,
                                  const void* source) {
  int size = xar_hdr_size(handle);
  void* snapshot = xar_snapshot_source(handle, source, n);
  unsigned char* first = xar_extend_checked(p_xar, handle, n);
  if (n > 0 && source) std::memcpy(first, snapshot ? snapshot : source, xar_bytes(n, size));
  if (snapshot) rlsmem(snapshot);
  return first;
}

unsigned char* xar_insert_low(void* p_xar, int index, int n, const void* source) {
  unsigned char* handle = xar_checked(p_xar, "XAR_EXTEND");
  int count = xar_tail_count(handle);
  void* snapshot = xar_snapshot_source(handle, source, n);
  xar_extend_checked(p_xar, handle, n);
  handle = xar_handle(p_xar);
  unsigned char* gap = static_cast<unsigned char*>(arr_insert(
      handle, xar_hdr_size(handle), &count, index, n, snapshot ? snapshot : source));
  if (snapshot) rlsmem(snapshot);
  return gap;
}

void* xar_append(void* p_xar, int n, const void* source) {
  unsigned char* handle = xar_checked(p_xar, "XAR_EXTEND");
  if (n == 0) return xar_last(p_xar);
  if (source && xar_points_into(source, handle,
                                xar_bytes(xar_tail_count(handle), xar_hdr_size(handle))))
    dbg_print_info("XAR_APPEND", ": don't ask for trouble. Use xar_replicate");
  return xar_append_checked(p_xar, handle, n, source);
}

void* xar_append_multi(void* p_xar, int n, const void* element) {
  unsigned char* handle = xar_checked(p_xar, "XAR_EXTEND");
  int size = xar_hdr_size(handle);
  void* snapshot = xar_snapshot_source(handle, element, 1);
  const void* from = snapshot ? snapshot : element;
  unsigned char* first = xar_extend_checked(p_xar, handle, n);
  if (from)
    for (int i = 0; i < n; ++i) std::memcpy(first + xar_bytes(i, size), from, xar_bytes(1, size));
  if (snapshot) rlsmem(snapshot);
  return first;
}

void* xar_insert(void* p_xar, int index, int n, const void* source) {
  unsigned char* handle = xar_checked(p_xar, "XAR_EXTEND");
  if (source && xar_points_into(source, handle,
                                xar_bytes(xar_tail_count(handle), xar_hdr_size(handle))))
    dbg_crash_msg("xar_insert", "xarray may be relocated.");
  return xar_insert_low(p_xar, index, n, source);
}

void xar_remove(void* p_xar, int index, int n) { remove_low(p_xar, index, n, nullptr); }

void* xar_delete(void* p_xar, int index, int n, void* out) {
  int count = xar_count(p_xar);
  if (index < 0 || n < 0 || index > count - n) {
    dbg_err_crash("xar_delete", "Invalid request");
    return nullptr;
  }
  if (n > 0) remove_low(p_xar, index, n, out);
  return out;
}

void xar_replicate(void* p_xar, int from, int to) {
  int count = xar_count(p_xar);
  if (from < 0 || from >= count || to < 0 || to > count)
    err_crash("XAR_REPLICATE", "invalid request");
  xar_extend(p_xar, 1);
  unsigned char* handle = xar_handle(p_xar);
  int size = xar_hdr_size(handle);
  std::memmove(element(handle, to + 1, size), element(handle, to, size),
               xar_bytes(count - to, size));
  // The original moved up with the others when it stood at or after the gap.
  int source = to <= from ? from + 1 : from;
  std::memcpy(element(handle, to, size), element(handle, source, size), xar_bytes(1, size));
}

int xar_move(void* p_xar, int from, int to) {
  int count = xar_count(p_xar);
  if (from < 0 || from >= count || to < 0 || to >= count) return 92;
  if (from == to) return 0;
  // A rotation of the range between the two places gives what replicating and removing
  // give, without growing the array (which a full array could not).
  unsigned char* handle = xar_handle(p_xar);
  int size = xar_hdr_size(handle);
  if (from < to)
    std::rotate(element(handle, from, size), element(handle, from + 1, size),
                element(handle, to + 1, size));
  else
    std::rotate(element(handle, to, size), element(handle, from, size),
                element(handle, from + 1, size));
  return 0;
}

void xar_swap(void* xar, int i, int j) {
  int count = xar_count(&xar);
  if (i < 0 || i >= count || j < 0 || j >= count) {
    dbg_err_crash("xar_swap", "Invalid request");
    return;
  }
  unsigned char* handle = static_cast<unsigned char*>(xar);
  int size = xar_hdr_size(handle);
  if (i != j)
    std::swap_ranges(element(handle, i, size), element(handle, i + 1, size),
                     element(handle, j, size));
}

void xar_flip(void* xar) {
  int count = xar_count(&xar);
  for (int i = 0, j = count - 1; i < j; ++i, --j) xar_swap(xar, i, j);
}

int xar_sort(void* p_xar, VekCompare compare) {
  int count = xar_count(p_xar);
  unsigned char* handle = xar_handle(p_xar);
  if (count > 1) sort_objects(count, compare, handle, xar_hdr_size(handle));
  return count;
}

void* xar_cpy(const void* p_source, void* p_out) {
  if (!xar_handle(p_source)) return nullptr;
  int size = 0;
  int step = 0;
  int count = 0;
  xar_params(p_source, &size, &step, &count, nullptr);
  void* copy = xar_alloc(count, size, step);
  std::memcpy(copy, xar_handle(p_source), xar_bytes(count, size));
  if (p_out) xar_set_handle(p_out, copy);
  return copy;
}

void* xar_copy(const void* p_source, int size, int step, void* p_out) {
  if (!xar_handle(p_source)) return nullptr;
  int source_size = 0;
  int count = 0;
  xar_params(p_source, &source_size, nullptr, &count, nullptr);
  void* copy = xar_alloc(count, size, step);
  // Of elements of another size only what fits is copied; the rest stays zero.
  if (copy)
    std::memcpy(copy, xar_handle(p_source),
                xar_bytes(count, std::min(size, source_size)));
  if (p_out) xar_set_handle(p_out, copy);
  return copy;
}

void* array_to_xarray(const void* array, int count, int size, int step, void* p_out) {
  void* copy = xar_alloc(count, size, step);
  if (copy && array) std::memcpy(copy, array, xar_bytes(count, size));
  if (p_out) xar_set_handle(p_out, copy);
  return copy;
}

void xar_concat(void* p_dst, const void* source) {
  if (!source || !p_dst) return;
  if (!xar_handle(p_dst)) {
    xar_cpy(&source, p_dst);
    return;
  }
  require_same_size("xar_concat", p_dst, &source);
  xar_append_low(p_dst, xar_count(&source), source);
}

void xar_inject(void* p_dst, const void* source, int index) {
  if (!source || !p_dst) return;
  if (!xar_handle(p_dst)) {
    if (index != 0) {
      dbg_err_syserr("xar_inject", "attempt to insert after index %d in empty xarray.", index);
      crash();
    }
    xar_cpy(&source, p_dst);
    return;
  }
  require_same_size("xar_inject", p_dst, &source);
  xar_insert_low(p_dst, index, xar_count(&source), source);
}

void* xar_alloc_or_resize(void* p_xar, int count, int size, int step) {
  if (p_xar && !xar_handle(p_xar)) {
    void* handle = xar_alloc(count, size, step);
    xar_set_handle(p_xar, handle);
    return handle;
  }
  // The guard reports a mismatch and goes on.
  xar_size_matches(p_xar, size, "xar_alloc_or_resize");
  xar_resize(p_xar, count);
  return nullptr;
}

void* xar_alloc_or_extend(void* p_xar, int n, int size, int step) {
  if (p_xar && !xar_handle(p_xar)) {
    void* handle = xar_alloc(n, size, step);
    xar_set_handle(p_xar, handle);
    return n > 0 ? handle : nullptr;
  }
  xar_size_matches(p_xar, size, "xar_alloc_or_extend");
  return xar_extend(p_xar, n);
}

void* xar_alloc_or_append(void* p_xar, int n, int size, int step, const void* source) {
  if (p_xar && !xar_handle(p_xar)) {
    xar_set_handle(p_xar, xar_alloc(0, size, step));
  } else if (!xar_size_matches(p_xar, size, "xar_alloc_or_append")) {
    // The source holds n elements of size bytes; the array's own stride would read
    // past them or split them.
    return nullptr;
  }
  return xar_append(p_xar, n, source);
}

int xar_cmp(const void* a, const void* b) {
  if (!a || !b) return check_null_pointers(a, b);
  int size_a = 0;
  int size_b = 0;
  int count_a = 0;
  int count_b = 0;
  xar_params(&a, &size_a, nullptr, &count_a, nullptr);
  xar_params(&b, &size_b, nullptr, &count_b, nullptr);
  if (size_a != size_b) return size_a < size_b ? -1 : 1;
  if (count_a != count_b) return count_a < count_b ? -1 : 1;
  int order = std::memcmp(a, b, xar_bytes(count_a, size_a));
  return (order > 0) - (order < 0);
}

int check_null_pointers(const void* a, const void* b) {
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  dbg_err_crash("check_pointers", "neither pointers are null");
  return 0;
}

int xar_search_cmp(const void* search, const void* element) {
  const XarSearch* record = static_cast<const XarSearch*>(search);
  if (!record->compare) return 0;
  return record->compare(record->key, element, record->data);
}

int xar_sorted_find_w_start(const void* p_xar, VekCompareData compare, const void* key,
                            void* data, int start, int* position) {
  int count = xar_count(p_xar);
  int found_at = 0;
  if (start != 0 && (start < 0 || start >= count)) {
    dbg_err_crash("xar_sorted_find_w_start", "invalid start index!");
    if (position) *position = 0;
    return 0;
  }
  unsigned char* handle = xar_handle(p_xar);
  int size = count > 0 ? xar_hdr_size(handle) : 0;
  XarSearch search = {compare, data, key};
  int found = binary_srch_array_low(count - start, xar_search_cmp, size, &search,
                                    count > 0 ? element(handle, start, size) : nullptr,
                                    &found_at);
  if (position) *position = found_at;
  return found;
}

int xar_sorted_find(const void* p_xar, VekCompareData compare, const void* key, void* data,
                    int* position) {
  return xar_sorted_find_w_start(p_xar, compare, key, data, 0, position);
}

int xar_sorted_insert(void* p_xar, VekCompareData compare, const void* element, void* data,
                      int duplicates_allowed, int* position) {
  int at = 0;
  int found = xar_sorted_find(p_xar, compare, element, data, &at);
  if (position) *position = at;
  if (found && !duplicates_allowed) return 0;
  xar_insert_low(p_xar, at, 1, element);
  return 1;
}

int subtract_xarrays(void* p_a, const void* b, VekCompare compare) {
  if (!p_a || !b) {
    dbg_err_crash("subtract_arrays", "Invalid Input");
    return xar_count(p_a);
  }
  int count_a = xar_count(p_a);
  int count_b = xar_count(&b);
  if (count_a == 0) return 0;
  unsigned char* a = xar_handle(p_a);
  const unsigned char* elements_b = static_cast<const unsigned char*>(b);
  int size_a = xar_hdr_size(a);
  int size_b = xar_hdr_size(elements_b);
  // Walk both in order, keeping a's elements that b does not hold, packed to the front.
  int kept = 0;
  for (int i = 0, j = 0; i < count_a;) {
    int order =
        j < count_b ? compare(element(a, i, size_a), elements_b + xar_bytes(j, size_b)) : -1;
    if (order > 0) {
      ++j;
      continue;
    }
    if (order < 0) {
      if (kept != i)
        std::memcpy(element(a, kept, size_a), element(a, i, size_a), xar_bytes(1, size_a));
      ++kept;
    }
    ++i;
  }
  if (kept < count_a) xar_shrink(p_a, count_a - kept);
  return kept;
}

int merge_to_target_xar(void* p_a, const void* b, VekCompareData compare) {
  if (!p_a) return 0;
  // An empty target takes b's elements too: the merge with an empty array is b. An
  // empty target of another element size could not hold them and stays as it is.
  if (b && xar_count(&b) > 0) {
    if (xar_count(p_a) == 0 &&
        !xar_size_matches(p_a, xar_hdr_size(b), "merge_to_target_xar"))
      return 0;
    void* merged = nullptr;
    make_merged_xarray(xar_handle(p_a), b, compare, nullptr, &merged, nullptr);
    xar_free(p_a);
    xar_set_handle(p_a, merged);
  }
  return xar_count(p_a);
}

void* copy_xar_xar(const void* source, void* p_out) {
  if (!source) return nullptr;
  int count = xar_count(&source);
  void** copy = static_cast<void**>(xar_alloc(count, sizeof(void*), XAR_XAR_STEP));
  void* const* arrays = static_cast<void* const*>(source);
  for (int i = 0; i < count; ++i) copy[i] = xar_cpy(&arrays[i], nullptr);
  if (p_out) xar_set_handle(p_out, copy);
  return copy;
}

void reset_xar_xar(void* p_xar) {
  int count = xar_count(p_xar);
  void** arrays = reinterpret_cast<void**>(xar_handle(p_xar));
  for (int i = 0; i < count; ++i) xar_free(&arrays[i]);
  xar_resize(p_xar, 0);
}

void free_xar_xar(void* p_xar) {
  reset_xar_xar(p_xar);
  xar_free(p_xar);
}

}  // namespace vek
