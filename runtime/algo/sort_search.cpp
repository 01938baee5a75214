// Ordered search: segmented arrays, sorted insertion and intervals of doubles.
#include "runtime/algo/sort.h"

#include "runtime/diag/diag.h"
#include "runtime/memory/btree.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

int search_result(int found, int total, int segment, int position, int* total_out, int* segment_out,
                  int* position_out) {
  if (total_out != nullptr) *total_out = total;
  if (segment_out != nullptr) *segment_out = segment;
  if (position_out != nullptr) *position_out = position;
  return found;
}

}  // namespace

// The first elements of the segments bracket the key; only the segment that may hold it
// is searched in full. Empty segments (only the last may be one) are passed over, and
// the segment searched is the last non-empty one whose first element is below the key.
int binary_search_har_low(VekCompare compare, const void* key, void* har, int size,
                          int* total_index, int* segment, int* position) {
  const int segments = har != nullptr ? xar_count(&har) : 0;
  if (segments == 0) return search_result(0, 0, 0, 0, total_index, segment, position);
  void** segment_of = static_cast<void**>(har);
  // Any other element size would read past the elements.
  int element_size = 0;
  xar_params(&segment_of[0], &element_size, nullptr, nullptr, nullptr);
  if (element_size != size) {
    dbg_err_crash("binary_search_har_low", "element size %d, not %d", element_size, size);
    return search_result(0, 0, 0, 0, total_index, segment, position);
  }
  int position_in = 0;
  if (segments == 1) {
    const int found = binary_srch_array_low(xar_count(&segment_of[0]), compare, size, key,
                                            segment_of[0], &position_in);
    return search_result(found, position_in, 0, position_in, total_index, segment, position);
  }
  int before = 0;  // elements in the segments before s
  int searched = 0;
  int searched_before = 0;
  for (int s = 0; s < segments; s++) {
    const int count = xar_count(&segment_of[s]);
    if (count == 0) continue;
    const int c = compare(key, segment_of[s]);
    if (c == 0) return search_result(1, before, s, 0, total_index, segment, position);
    if (c < 0) {
      if (s == 0) return search_result(0, 0, 0, 0, total_index, segment, position);
      break;
    }
    searched = s;
    searched_before = before;
    before += count;
  }
  const int found = binary_srch_array_low(xar_count(&segment_of[searched]), compare, size, key,
                                          segment_of[searched], &position_in);
  return search_result(found, searched_before + position_in, searched, position_in, total_index,
                       segment, position);
}

int binary_search_har(VekCompare compare, const void* key, void* har, int size, int* segment,
                      int* position) {
  int total = 0;
  int s = 0;
  int p = 0;
  if (!binary_search_har_low(compare, key, har, size, &total, &s, &p)) return -1;
  if (segment != nullptr) *segment = s;
  if (position != nullptr) *position = p;
  return total;
}

int insert_object(void* p_xar, const void* object, int size, VekCompare compare) {
  void** handle = static_cast<void**>(p_xar);
  // The search steps and the insert copies by the array's own element size.
  if (!xar_size_matches(p_xar, size, "insert_object")) return 0;
  if (*handle == nullptr) *handle = xar_alloc(0, size, 2);
  int position = 0;
  const int found =
      binary_srch_array_low(xar_count(p_xar), compare, size, object, *handle, &position);
  if (!found) xar_insert(p_xar, position, 1, object);
  return found;
}

int search_double(int n, const double* v, double x) {
  int lo = 0;
  int hi = n - 2;
  int mid = (n - 2) / 2;
  while (lo < hi) {
    if (x < v[mid]) {
      hi = mid - 1;
    } else if (x < v[mid + 1]) {
      lo = hi = mid;
    } else {
      lo = mid + 1;
    }
    mid = (lo + hi) / 2;
  }
  return mid;
}

int search_double_gen(int n, const double* v, double x) {
  if (n < 1 || x < v[0]) return -1;
  if (x > v[n - 1]) return n - 1;
  return search_double(n, v, x);
}

}  // namespace vek
