// Merges of sorted lists: plain arrays, xarrays, segmented arrays and doubles.
#include "runtime/algo/sort.h"

#include <cstring>

#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/har.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

// One input of a merge: a plain array (one segment) or the segments of a segmented array,
// read front to back.
struct MergeSide {
  void* const* segments;  // null for a plain array
  int segment_count;
  int segment;
  const char* element;
  int left_in_segment;
  int remaining;
  int size;
};

// Moves to the next non-empty segment once the current one is used up.
void merge_side_settle(MergeSide& side) {
  while (side.left_in_segment == 0 && side.remaining > 0 && side.segment + 1 < side.segment_count) {
    side.segment++;
    side.left_in_segment = xar_count(&side.segments[side.segment]);
    side.element = static_cast<const char*>(side.segments[side.segment]);
  }
}

void merge_side_advance(MergeSide& side) {
  side.element += side.size;
  side.left_in_segment--;
  side.remaining--;
  merge_side_settle(side);
}

MergeSide merge_array_side(const void* array, int count, int size) {
  if (count < 0) count = 0;
  return MergeSide{nullptr, 1, 0, static_cast<const char*>(array), count, count, size};
}

MergeSide merge_har_side(const void* har, int size) {
  if (har == nullptr) return merge_array_side(nullptr, 0, size);
  MergeSide side{
      static_cast<void* const*>(har), xar_count(&har), -1, nullptr, 0, har_total(&har), size};
  merge_side_settle(side);
  return side;
}

// The merge walk. r is compare(A's element, B's element) while both sides have elements,
// -1 when only A has, 1 when only B has; A's element goes out for r < 1, B's otherwise;
// A advances for r < 1, B for r >= 0, so of two equal elements only A's goes out.
template <bool kData>
int merge_walk(MergeSide a, MergeSide b, VekCompare compare, VekCompareData compare_data,
               void* data, const void** out, int* results) {
  int n = 0;
  while (a.remaining > 0 || b.remaining > 0) {
    int r;
    if (a.remaining > 0 && b.remaining > 0) {
      if constexpr (kData) {
        r = compare_data(a.element, b.element, data);
      } else {
        r = compare(a.element, b.element);
      }
    } else {
      r = a.remaining > 0 ? -1 : 1;
    }
    out[n] = r < 1 ? a.element : b.element;
    if (results != nullptr) results[n] = r;
    n++;
    if (r < 1) merge_side_advance(a);
    if (r >= 0) merge_side_advance(b);
  }
  return n;
}

// Replaces each element address by the element's first pointer-sized word (fewer bytes of
// a smaller element, the rest zero).
void first_words(const void** list, int n, int size) {
  const std::size_t bytes = static_cast<std::size_t>(size) < sizeof(void*)
                                ? static_cast<std::size_t>(size)
                                : sizeof(void*);
  for (int k = 0; k < n; k++) {
    void* word = nullptr;
    std::memcpy(&word, list[k], bytes);
    list[k] = word;
  }
}

struct XarShape {
  int size;
  int step;
  int count;
};

// Element size, step and count of an input xarray; a null one is empty with step 1 and
// the size of the other.
void xarray_shapes(const char* name, const void* a, const void* b, XarShape* sa, XarShape* sb) {
  *sa = XarShape{0, 1, 0};
  *sb = XarShape{0, 1, 0};
  if (a != nullptr) xar_params(&a, &sa->size, &sa->step, &sa->count, nullptr);
  if (b != nullptr) xar_params(&b, &sb->size, &sb->step, &sb->count, nullptr);
  if (a != nullptr && b != nullptr && sa->size != sb->size) err_crash(name, "unequal size");
  if (a == nullptr) sa->size = sb->size;
  if (b == nullptr) sb->size = sa->size;
}

// The output (and result) arrays are written with pointer (int) strides: an existing one
// of another element size is reported and nothing is merged.
template <bool kData>
int merge_xarrays_low(const char* name, const void* a, const void* b, VekCompare compare,
                      VekCompareData compare_data, void* data, void* p_out, void* p_result) {
  XarShape sa;
  XarShape sb;
  xarray_shapes("merge_sorted_xarrays", a, b, &sa, &sb);
  if (!xar_size_matches(p_out, static_cast<int>(sizeof(void*)), name) ||
      (p_result != nullptr && !xar_size_matches(p_result, static_cast<int>(sizeof(int)), name)))
    return 0;
  const int total = sa.count + sb.count;
  xar_alloc_or_resize(p_out, total, static_cast<int>(sizeof(void*)),
                      sa.step > sb.step ? sa.step : sb.step);
  int* results = nullptr;
  if (p_result != nullptr) {
    xar_alloc_or_resize(p_result, total, static_cast<int>(sizeof(int)), 1);
    results = *static_cast<int**>(p_result);
  }
  const void** out = *static_cast<const void***>(p_out);
  const int n = merge_walk<kData>(merge_array_side(a, sa.count, sa.size),
                                  merge_array_side(b, sb.count, sb.size), compare, compare_data,
                                  data, out, results);
  if constexpr (!kData) first_words(out, n, sa.size);
  xar_resize(p_out, n);
  if (p_result != nullptr) xar_resize(p_result, n);
  return n;
}

// Element size and extension step of a segmented array (the step of its last segment).
void har_shape(const void* har, int* size, int* step) {
  if (har == nullptr) return;
  void* const* segment = static_cast<void* const*>(har);
  const int segments = xar_count(&har);
  if (segments == 0) return;
  xar_params(&segment[0], size, nullptr, nullptr, nullptr);
  xar_params(&segment[segments - 1], nullptr, step, nullptr, nullptr);
}

// 1 when the segmented array at p_har is null or holds elements of size bytes (those of
// its segment 0); otherwise reports the mismatch under name (xar_size_matches) and gives
// 0, since filling it with size-byte elements would read past the source.
int har_size_matches(const void* p_har, int size, const char* name) {
  void* const* segments = *static_cast<void* const* const*>(p_har);
  if (segments == nullptr) return 1;
  return xar_size_matches(&segments[0], size, name);
}

// Makes the segmented array at p_har when it is null, then makes it hold exactly the n
// elements of source.
void har_set(void* p_har, int size, int step, int n, const void* source) {
  void** handle = static_cast<void**>(p_har);
  if (*handle == nullptr) *handle = har_alloc(size, step);
  har_resize(p_har, 0);
  if (n > 0) har_append(p_har, n, source);
}

}  // namespace

void merge_sorted_arrays(int size, const void* a, int count_a, const void* b, int count_b,
                         VekCompareData compare, void* data, const void** out, int* results,
                         int* count_out) {
  const int n =
      merge_walk<true>(merge_array_side(a, count_a, size), merge_array_side(b, count_b, size),
                       nullptr, compare, data, out, results);
  if (count_out != nullptr) *count_out = n;
}

void merge_sorted_pointer_arrays(int size, const void* a, int count_a, const void* b, int count_b,
                                 VekCompare compare, void** out, int* count_out) {
  const void** list = const_cast<const void**>(out);
  const int n =
      merge_walk<false>(merge_array_side(a, count_a, size), merge_array_side(b, count_b, size),
                        compare, nullptr, nullptr, list, nullptr);
  first_words(list, n, size);
  if (count_out != nullptr) *count_out = n;
}

int merge_sorted_pointer_xarrays(const void* a, const void* b, VekCompare compare, void* p_out) {
  return merge_xarrays_low<false>("merge_sorted_pointer_xarrays", a, b, compare, nullptr,
                                  nullptr, p_out, nullptr);
}

int merge_sorted_xarrays(const void* a, const void* b, VekCompareData compare, void* data,
                         void* p_out, void* p_result) {
  return merge_xarrays_low<true>("merge_sorted_xarrays", a, b, nullptr, compare, data, p_out,
                                 p_result);
}

int make_merged_xarray(const void* a, const void* b, VekCompareData compare, void* data,
                       void* p_new, void* p_result) {
  XarShape sa;
  XarShape sb;
  xarray_shapes("merge_sorted_xarrays", a, b, &sa, &sb);
  const int size = sa.size > 0 ? sa.size : static_cast<int>(sizeof(void*));
  void* addresses = nullptr;
  const int n = merge_sorted_xarrays(a, b, compare, data, &addresses, p_result);
  char* merged = static_cast<char*>(xar_alloc(n, size, 1));
  const void* const* list = static_cast<const void* const*>(addresses);
  for (int k = 0; k < n; k++) {
    std::memcpy(merged + static_cast<std::size_t>(k) * static_cast<std::size_t>(size), list[k],
                static_cast<std::size_t>(size));
  }
  xar_free(&addresses);
  *static_cast<void**>(p_new) = merged;
  return n;
}

int merge_sorted_harrays(const void* a, const void* b, VekCompareData compare, void* data,
                         void* p_out, void* p_result) {
  int size_a = 0;
  int size_b = 0;
  int step_a = 1;
  int step_b = 1;
  har_shape(a, &size_a, &step_a);
  har_shape(b, &size_b, &step_b);
  if (a != nullptr && b != nullptr && size_a != size_b) {
    err_crash("merge_sorted_harrays", "unequal size");
  }
  // The output holds addresses and the result ints: an existing one of another element
  // size is reported and nothing is merged.
  if (!har_size_matches(p_out, static_cast<int>(sizeof(void*)), "merge_sorted_harrays") ||
      (p_result != nullptr &&
       !har_size_matches(p_result, static_cast<int>(sizeof(int)), "merge_sorted_harrays")))
    return 0;
  const int size = a != nullptr ? size_a : size_b;
  MergeSide side_a = merge_har_side(a, size);
  MergeSide side_b = merge_har_side(b, size);
  // The walk fills one plain list, which then becomes the output segmented array(s).
  const std::size_t total =
      static_cast<std::size_t>(side_a.remaining) + static_cast<std::size_t>(side_b.remaining);
  const std::size_t entry = sizeof(void*) + (p_result != nullptr ? sizeof(int) : 0);
  const void** out = static_cast<const void**>(getmem(total * entry + 1));
  int* results = p_result != nullptr ? reinterpret_cast<int*>(out + total) : nullptr;
  const int n = merge_walk<true>(side_a, side_b, nullptr, compare, data, out, results);
  har_set(p_out, static_cast<int>(sizeof(void*)), step_a > step_b ? step_a : step_b, n, out);
  if (p_result != nullptr) har_set(p_result, static_cast<int>(sizeof(int)), 1, n, results);
  rlsmem(out);
  return n;
}

int make_merged_harray(const void* a, const void* b, VekCompareData compare, void* data,
                       void* p_new, void* p_result) {
  int size = 0;
  int step = 1;
  har_shape(a != nullptr ? a : b, &size, &step);
  if (size < 1) size = static_cast<int>(sizeof(void*));
  void* addresses = nullptr;
  const int n = merge_sorted_harrays(a, b, compare, data, &addresses, p_result);
  void* merged = har_alloc(size, 1);
  har_resize(&merged, n);
  for (int k = 0; k < n; k++) {
    const void* element =
        *static_cast<const void* const*>(har_access(&addresses, k, nullptr, nullptr));
    std::memcpy(har_access(&merged, k, nullptr, nullptr), element, static_cast<std::size_t>(size));
  }
  har_free(&addresses);
  *static_cast<void**>(p_new) = merged;
  return n;
}

int merge_params_to_first(void* p_first, const double* values, int n, double tolerance) {
  void** handle = static_cast<void**>(p_first);
  int count = xar_count(p_first);
  if (n < 1 || values == nullptr) return count;
  // The first list is read and grown as doubles.
  if (!xar_size_matches(p_first, static_cast<int>(sizeof(double)), "merge_params_to_first"))
    return count;
  const double t = tolerance;
  int i = 0;
  int j = 0;
  while (i < count && j < n) {
    const double* first = static_cast<const double*>(*handle);
    if (values[j] - t > first[i]) {
      while (i < count && first[i] < values[j] - t) i++;
    } else if (values[j] + t >= first[i]) {
      j++;  // a near-duplicate of first[i]
    } else {
      int k = j + 1;
      while (k < n && values[k] + t < first[i]) k++;
      xar_insert(p_first, i, k - j, values + j);
      i += k - j;
      count += k - j;
      j = k;
    }
  }
  // The loop stopped past the end of the first list (or found it empty): the rest of the
  // new values lie beyond it.
  if (i >= count && j < n) {
    xar_alloc_or_append(p_first, n - j, static_cast<int>(sizeof(double)), 1, values + j);
    count += n - j;
  }
  return count;
}

}  // namespace vek
