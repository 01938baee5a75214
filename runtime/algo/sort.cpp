// The quick sort engine, the sorts built on it and the in-place object permutation.
#include "runtime/algo/sort.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "runtime/algo/sort_testing.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/har.h"
#include "runtime/memory/xar.h"

namespace vek {

namespace {

// Compare functions and tolerance parked for the length of one call. Each parking call
// restores the value it found, so a sort started from inside another sort's compare
// function leaves the outer sort's slot intact.
VekCompare use_comp_fctn = nullptr;
VekCompare use_comp_fctn_ptrs = nullptr;
VekCompare compare_func_to_use = nullptr;
double static_xyz_tol = 0.0;
void* static_har = nullptr;
int static_size = 0;

// Object sorts keep up to this many element addresses on the stack.
constexpr int OBJECT_STACK_POINTERS = 12;
constexpr int DOUBLE_STACK_POINTERS = 32;
// Objects up to this size are parked on the stack while a cycle is followed.
constexpr int SCRATCH_STACK_BYTES = 512;

// How the engine reaches its compare function and its item slots, one kind for each form
// of the engine. Each is at most two words, so it travels through the recursion in
// registers rather than being copied to the stack for every call.
struct PlainCall {
  VekCompare compare;
};
struct DataCall {
  VekCompareData compare;
  void* data;
};
// Over slots that do not lie in one array: the engine walks indexes and asks access for
// the address of each slot.
struct AccessCall {
  VekCompare compare;
  SortAccess access;
};

inline int sort_compare(const PlainCall& c, const void* a, const void* b) {
  return c.compare(a, b);
}
inline int sort_compare(const DataCall& c, const void* a, const void* b) {
  return c.compare(a, b, c.data);
}
inline int sort_compare(const AccessCall& c, const void* a, const void* b) {
  return c.compare(a, b);
}

// The engine walks positions: slot addresses (void**) over an array, indexes (int)
// through the access function. Both step, subtract and compare alike.
template <class Call>
inline void** sort_slot(const Call&, void** position) {
  return position;
}
inline void** sort_slot(const AccessCall& c, int position) {
  return static_cast<void**>(c.access(position));
}

template <class Call, class P>
inline void sort_swap(const Call& c, P a, P b) {
  void** slot_a = sort_slot(c, a);
  void** slot_b = sort_slot(c, b);
  void* item = *slot_a;
  *slot_a = *slot_b;
  *slot_b = item;
}

// Straight insertion of [first..last], at least 2 items: an item moves left only past
// items that compare greater than it, so equal items keep their order.
template <class Call, class P>
void insertion_sort(P first, P last, Call c) {
  for (P k = first + 1; k <= last; ++k) {
    void* const item = *sort_slot(c, k);
    void* before = *sort_slot(c, k - 1);
    if (sort_compare(c, item, before) < 0) {
      P m = k;
      do {
        *sort_slot(c, m) = before;
        if (--m == first) break;
        before = *sort_slot(c, m - 1);
      } while (sort_compare(c, item, before) < 0);
      *sort_slot(c, m) = item;
    }
  }
}

// Heap sort of [first..last]: the engine's way out of a range whose partitions keep
// coming out lopsided. An item is placed bottom-up: the hole at root goes down along the
// larger children to a leaf, then the item climbs back up from there, which costs about
// one compare call per level instead of two.
template <class Call, class P>
void heap_place(P first, long root, long n, void* item, Call c) {
  long hole = root;
  for (long child = 2 * hole + 1; child < n; child = 2 * hole + 1) {
    if (child + 1 < n &&
        sort_compare(c, *sort_slot(c, first + child), *sort_slot(c, first + (child + 1))) < 0) {
      child++;
    }
    *sort_slot(c, first + hole) = *sort_slot(c, first + child);
    hole = child;
  }
  while (hole > root) {
    const long parent = (hole - 1) / 2;
    void* const above = *sort_slot(c, first + parent);
    if (sort_compare(c, above, item) >= 0) break;
    *sort_slot(c, first + hole) = above;
    hole = parent;
  }
  *sort_slot(c, first + hole) = item;
}

template <class Call, class P>
void heap_sort(P first, P last, Call c) {
  const long n = static_cast<long>(last - first) + 1;
  for (long root = n / 2 - 1; root >= 0; root--) {
    heap_place(first, root, n, *sort_slot(c, first + root), c);
  }
  for (long end = n - 1; end > 0; end--) {
    void** top = sort_slot(c, first);
    void** tail = sort_slot(c, first + end);
    void* const item = *tail;
    *tail = *top;
    heap_place(first, 0, end, item, c);
  }
}

// Lopsided partitions a range may go through before it is heap-sorted: about log2 of its
// length. A partition is lopsided when its smaller part holds less than 1/16 of the
// range. Random inputs meet well under that many on any path, so the heap sort takes over
// only where the middle item keeps being near an extreme (rising-then-falling inputs,
// crafted inputs), which would otherwise cost up to n^2 / 4 compare calls.
int lopsided_budget(long length) {
  int budget = 4;
  for (; length > 1; length >>= 1) budget++;
  return budget;
}

// Quick sort of [first..last] around the value of the middle item.
//
// The item identical to the pivot stops either scan without a compare call, which also
// guards the scans for any consistent compare function. The bound checks after each
// compare only matter for an inconsistent one: they keep the scans inside the range, and
// every pass still shrinks both parts, so such a function gives some order, never a
// fault.
//
// Of the two parts the smaller is sorted first, by recursion or, when it holds at most 9
// items, by insertion in place; the larger by the next turn of the loop. The compare
// calls come in the order of plain double recursion while the stack stays O(log n).
//
// The scans (and the insertion) make their first compare before their loop, so that a
// scan that stops at once, as every scan does among equal keys, enters no loop and takes
// at most one jump: with the compare function behind a pointer, the partition is bound by
// taken jumps, calls and returns rather than by its few instructions.
template <class Call, class P>
void quick_sort_range(P first, P last, Call c, int budget) {
  while (last - first >= 9) {
    void* const pivot = *sort_slot(c, first + (last - first) / 2);
    P i = first;
    P j = last;
    for (;;) {
      void* at_i = *sort_slot(c, i);
      if (at_i != pivot && sort_compare(c, at_i, pivot) < 0) {
        do {
          if (i >= last) break;
          at_i = *sort_slot(c, ++i);
          if (at_i == pivot) break;
        } while (sort_compare(c, at_i, pivot) < 0);
      }
      void* at_j = *sort_slot(c, j);
      if (at_j != pivot && sort_compare(c, pivot, at_j) < 0) {
        do {
          if (j <= first) break;
          at_j = *sort_slot(c, --j);
          if (at_j == pivot) break;
        } while (sort_compare(c, pivot, at_j) < 0);
      }
      // The swap reads both items again: kept across the compare calls they would not
      // fit in registers beside the six values the scans need.
      if (i > j) break;
      sort_swap(c, i, j);
      ++i;
      --j;
      if (i > j) break;
    }

    const long left = static_cast<long>(j - first);  // part lengths less one
    const long right = static_cast<long>(last - i);
    const long length = static_cast<long>(last - first) + 1;
    if ((left < right ? left : right) + 1 < length / 16 && --budget == 0) [[unlikely]] {
      heap_sort(first, last, c);
      return;
    }
    if (left >= right) {
      if (right >= 9) {
        quick_sort_range(i, last, c, budget);
      } else if (right >= 1) {
        insertion_sort(i, last, c);
      }
      last = j;
    } else {
      if (left >= 9) {
        quick_sort_range(first, j, c, budget);
      } else if (left >= 1) {
        insertion_sort(first, j, c);
      }
      first = i;
    }
  }
  if (last - first >= 1) insertion_sort(first, last, c);
}

template <class Call, class P>
void quick_sort_engine(P first, P last, Call c) {
  quick_sort_range(first, last, c, lopsided_budget(static_cast<long>(last - first) + 1));
}

void print_order_array_error(const char* message) {
  ivek_printf("%s:  %s\n", "ORDER_ARRAY", message);
}

// ---------------------------------------------------------------------------------------
// Cycle-following permutation, shared by order_array and the segmented-array object sort.
// A layout says where pointer slot j and object j are and which object a pointer names.

struct FlatLayout {
  char* base;
  void** pointers;
  int size;
};

inline void** layout_slot(const FlatLayout& l, int j) { return l.pointers + j; }
inline char* layout_object(const FlatLayout& l, int j) {
  return l.base + static_cast<std::size_t>(j) * static_cast<std::size_t>(l.size);
}
inline int layout_index(FlatLayout& l, const void* p) {
  return static_cast<int>(static_cast<std::size_t>(static_cast<const char*>(p) - l.base) /
                          static_cast<std::size_t>(l.size));
}

// Element index of a segmented array whose segments but the last hold `per` elements.
inline char* har_element(void* const* segments, int per, int size, int index) {
  return static_cast<char*>(segments[index / per]) +
         static_cast<std::size_t>(index % per) * static_cast<std::size_t>(size);
}

struct HarLayout {
  void* const* objects;  // segments of the objects
  int object_segments;
  int object_per;
  int size;
  void* const* pointers;  // segments of the element addresses
  int pointer_per;
  int last_segment;  // where the previous address was found
};

inline void** layout_slot(const HarLayout& l, int j) {
  return reinterpret_cast<void**>(har_element(l.pointers, l.pointer_per, sizeof(void*), j));
}
inline char* layout_object(const HarLayout& l, int j) {
  return har_element(l.objects, l.object_per, l.size, j);
}
// Segments lie anywhere in memory; the one whose range holds the address is looked up,
// starting with the one that held the previous address.
inline int layout_index(HarLayout& l, const void* p) {
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(p);
  int s = l.last_segment;
  for (int tries = 0; tries < l.object_segments; tries++) {
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(l.objects[s]);
    const std::uintptr_t bytes =
        static_cast<std::uintptr_t>(xar_count(&l.objects[s])) * static_cast<std::uintptr_t>(l.size);
    if (address >= start && address - start < bytes) {
      l.last_segment = s;
      return s * l.object_per + static_cast<int>((address - start) / l.size);
    }
    s = s + 1 == l.object_segments ? 0 : s + 1;
  }
  return -1;  // not reached: every address was made from these segments
}

// Moves every object once. The pointers must form a permutation of the objects'
// addresses (callers check or construct that); afterwards they are the identity.
template <class Layout>
void follow_cycles(int count, Layout& l, int size) {
  char stack_scratch[SCRATCH_STACK_BYTES];
  char* scratch = size <= SCRATCH_STACK_BYTES
                      ? stack_scratch
                      : static_cast<char*>(getmem(static_cast<std::size_t>(size)));
  const std::size_t bytes = static_cast<std::size_t>(size);
  for (int i = 0; i < count; i++) {
    char* object_i = layout_object(l, i);
    if (*layout_slot(l, i) == object_i) continue;
    std::memcpy(scratch, object_i, bytes);
    int j = i;
    for (;;) {
      void** slot = layout_slot(l, j);
      if (*slot == object_i) break;
      const int k = layout_index(l, *slot);
      char* object_j = layout_object(l, j);
      *slot = object_j;
      std::memcpy(object_j, layout_object(l, k), bytes);
      j = k;
    }
    char* object_j = layout_object(l, j);
    *layout_slot(l, j) = object_j;
    std::memcpy(object_j, scratch, bytes);
  }
  if (scratch != stack_scratch) rlsmem(scratch);
}

// Checks that the pointers name every object exactly once: on an element boundary,
// inside the array, no two alike.
bool order_pointers_valid(int count, const char* base, void* const* pointers, int size) {
  unsigned char stack_seen[SCRATCH_STACK_BYTES];
  const std::size_t seen_bytes = static_cast<std::size_t>(count) / 8 + 1;
  unsigned char* seen = seen_bytes <= sizeof stack_seen
                            ? stack_seen
                            : static_cast<unsigned char*>(getmem(seen_bytes));
  if (seen == stack_seen) std::memset(seen, 0, seen_bytes);
  const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(base);
  const std::uintptr_t span =
      static_cast<std::uintptr_t>(size) * static_cast<std::uintptr_t>(count);
  bool valid = true;
  for (int j = 0; j < count && valid; j++) {
    const std::uintptr_t offset = reinterpret_cast<std::uintptr_t>(pointers[j]) - start;
    if (offset >= span || offset % static_cast<std::uintptr_t>(size) != 0) {
      valid = false;
      break;
    }
    const std::uintptr_t k = offset / static_cast<std::uintptr_t>(size);
    const unsigned char bit = static_cast<unsigned char>(1u << (k % 8));
    if (seen[k / 8] & bit) valid = false;
    seen[k / 8] |= bit;
  }
  if (seen != stack_seen) rlsmem(seen);
  return valid;
}

// Object sort: sorts the objects' addresses, then moves the objects once each.
template <class Call>
void sort_objects_low(int count, Call c, void* objects, int size, int stack_pointers) {
  if (count < 0 || size < 1 || (count > 0 && objects == nullptr)) {
    print_order_array_error("invalid input");
    return;
  }
  if (count < 2) return;
  void* stack_items[DOUBLE_STACK_POINTERS];
  void** items = count <= stack_pointers
                     ? stack_items
                     : static_cast<void**>(getmem(static_cast<std::size_t>(count) * sizeof(void*)));
  char* base = static_cast<char*>(objects);
  for (int i = 0; i < count; i++) {
    items[i] = base + static_cast<std::size_t>(i) * static_cast<std::size_t>(size);
  }
  quick_sort_engine(items, items + (count - 1), c);
  FlatLayout layout{base, items, size};
  follow_cycles(count, layout, size);
  if (items != stack_items) rlsmem(items);
}

int address_order(const void* a, const void* b) {
  const std::uintptr_t x = reinterpret_cast<std::uintptr_t>(a);
  const std::uintptr_t y = reinterpret_cast<std::uintptr_t>(b);
  return (x > y) - (x < y);
}

// Compare of the stable object sort: the caller's order, then the objects' places.
int same_order_compare(const void* a, const void* b) {
  if (use_comp_fctn == nullptr) crash();
  const int r = use_comp_fctn(a, b);
  return r != 0 ? r : address_order(a, b);
}

// Compare of the stable pointer sort: a and b are the addresses of two item slots.
int same_order_pointer_compare(const void* a, const void* b) {
  if (use_comp_fctn_ptrs == nullptr) crash();
  return use_comp_fctn_ptrs(*static_cast<void* const*>(a), *static_cast<void* const*>(b));
}

struct IndexRecord {
  int index;
  void* item;
};

int with_index_ptr_compare_func(const void* a, const void* b) {
  if (a == nullptr || b == nullptr) return 0;
  if (compare_func_to_use == nullptr) {
    dbg_err_crash("with_index_ptr_compare_func", "No compare function");
    return 0;
  }
  return compare_func_to_use(static_cast<const IndexRecord*>(a)->item,
                             static_cast<const IndexRecord*>(b)->item);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The engine and its wrappers

void quick_sort_with_data(int first, int last, VekCompareData compare, void** items, void* data) {
  if (last - first < 1) return;
  quick_sort_engine(items + first, items + last, DataCall{compare, data});
}

void quick_sort(int first, int last, VekCompare compare, void** items) {
  if (last - first < 1) return;
  quick_sort_engine(items + first, items + last, PlainCall{compare});
}

void sort_pointers_with_data(int count, VekCompareData compare, void** items, void* data) {
  quick_sort_with_data(0, count - 1, compare, items, data);
}

void sort_pointers(int count, VekCompare compare, void** items) {
  quick_sort(0, count - 1, compare, items);
}

void quick_sort_access(int first, int last, VekCompare compare, SortAccess access) {
  quick_sort_engine(first, last, AccessCall{compare, access});
}

void sort_pointers_access(int count, VekCompare compare, SortAccess access) {
  quick_sort_access(0, count - 1, compare, access);
}

void sort_objects_with_data(int count, VekCompareData compare, void* objects, int size,
                            void* data) {
  sort_objects_low(count, DataCall{compare, data}, objects, size, OBJECT_STACK_POINTERS);
}

void sort_objects(int count, VekCompare compare, void* objects, int size) {
  sort_objects_low(count, PlainCall{compare}, objects, size, OBJECT_STACK_POINTERS);
}

void sort_objects_same_order(int count, VekCompare compare, void* objects, int size) {
  const VekCompare saved = use_comp_fctn;
  use_comp_fctn = compare;
  sort_objects(count, same_order_compare, objects, size);
  use_comp_fctn = saved;
}

void sort_pointers_same_order(int count, VekCompare compare, void** items) {
  const VekCompare saved = use_comp_fctn_ptrs;
  use_comp_fctn_ptrs = compare;
  sort_objects_same_order(count, same_order_pointer_compare, items,
                          static_cast<int>(sizeof(void*)));
  use_comp_fctn_ptrs = saved;
}

void sort_pointers_with_index(int count, VekCompare compare, void** items, void* p_index) {
  if (p_index == nullptr) {
    sort_pointers(count, compare, items);
    return;
  }
  // The records exist for the xarray's items only; a larger count would read past it.
  const int total = xar_count(&items);
  if (count > total) count = total;
  // An existing index array of another element size passes the guard with its report.
  // Each position is then written at the array's own stride, as an integer as wide as
  // its element (the int zero-extended: positions are never negative); elements too
  // small for an int are left unfilled, and the items are sorted all the same.
  xar_alloc_or_resize(p_index, total, static_cast<int>(sizeof(int)), 3);
  int element_size = 0;
  xar_params(p_index, &element_size, nullptr, nullptr, nullptr);
  unsigned char* index = element_size >= static_cast<int>(sizeof(int))
                             ? *static_cast<unsigned char**>(p_index)
                             : nullptr;
  const std::size_t stride = static_cast<std::size_t>(element_size);
  static_assert(std::endian::native == std::endian::little,
                "an int copied to the front of a wider element is the same integer");
  auto put_index = [index, stride](int position, int value) {
    unsigned char* element = index + static_cast<std::size_t>(position) * stride;
    std::memset(element, 0, stride);
    std::memcpy(element, &value, sizeof value);
  };
  if (index != nullptr)
    for (int i = 0; i < total; i++) put_index(i, i);
  if (count < 2) return;

  // One block: the record addresses that are sorted, then the records.
  const std::size_t n = static_cast<std::size_t>(count);
  void** order = static_cast<void**>(getmem(n * (sizeof(void*) + sizeof(IndexRecord))));
  IndexRecord* records = reinterpret_cast<IndexRecord*>(order + n);
  for (int i = 0; i < count; i++) {
    records[i].index = i;
    records[i].item = items[i];
    order[i] = &records[i];
  }
  const VekCompare saved = compare_func_to_use;
  compare_func_to_use = compare;
  sort_pointers(count, with_index_ptr_compare_func, order);
  compare_func_to_use = saved;
  for (int i = 0; i < count; i++) {
    const IndexRecord* record = static_cast<const IndexRecord*>(order[i]);
    items[i] = record->item;
    if (index != nullptr) put_index(i, record->index);
  }
  rlsmem(order);
}

void order_array(int count, void* objects, void** pointers, int size) {
  if (count < 0 || size < 1 || (count > 0 && (objects == nullptr || pointers == nullptr))) {
    print_order_array_error("invalid input");
    return;
  }
  char* base = static_cast<char*>(objects);
  if (!order_pointers_valid(count, base, pointers, size)) {
    print_order_array_error("invalid data");
    return;
  }
  FlatLayout layout{base, pointers, size};
  follow_cycles(count, layout, size);
}

// ---------------------------------------------------------------------------------------
// Doubles and points

int cmp_double(const void* a, const void* b) {
  const double x = *static_cast<const double*>(a);
  const double y = *static_cast<const double*>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

void sort_double(int count, double* values) {
  sort_objects_low(count, PlainCall{cmp_double}, values, static_cast<int>(sizeof(double)),
                   DOUBLE_STACK_POINTERS);
}

int cmp_xyz_points(const void* a, const void* b) {
  const double* p = static_cast<const double*>(a);
  const double* q = static_cast<const double*>(b);
  const double t = static_xyz_tol;
  for (int k = 0; k < 3; k++) {
    if (p[k] < q[k] - t) return -1;
    if (p[k] > q[k] + t) return 1;
  }
  return 0;
}

int compare_xyz_points(const double* a, const double* b, double tolerance) {
  static_xyz_tol = tolerance;
  return cmp_xyz_points(a, b);
}

void sort_xyz_points(int count, double* points, void** pointers, double tolerance) {
  static_xyz_tol = tolerance;
  if (pointers == nullptr) {
    sort_objects(count, cmp_xyz_points, points, static_cast<int>(3 * sizeof(double)));
    return;
  }
  for (int i = 0; i < count; i++) pointers[i] = points + 3 * static_cast<std::size_t>(i);
  sort_pointers(count, cmp_xyz_points, pointers);
}

// ---------------------------------------------------------------------------------------
// Segmented arrays. Every segment but the last is full, so element i lies in segment
// i / (count of segment 0).

namespace {

// A segmented array is sorted only with its own element size: any other would reach past
// its elements.
bool har_size_matches(const char* name, void** segment, int size) {
  int element_size = 0;
  xar_params(&segment[0], &element_size, nullptr, nullptr, nullptr);
  if (element_size == size) return true;
  dbg_err_crash(name, "element size %d, not %d", element_size, size);
  return false;
}

}  // namespace

void* har_quick_access(int index) {
  if (static_har == nullptr || static_size < 1 || index < 0) return nullptr;
  return har_element(static_cast<void* const*>(static_har), static_size,
                     static_cast<int>(sizeof(void*)), index);
}

void sort_har_pointers(void* har, VekCompare compare) {
  const int segments = har != nullptr ? xar_count(&har) : 0;
  if (segments == 0) return;
  void** segment = static_cast<void**>(har);
  if (!har_size_matches("sort_har_pointers", segment, static_cast<int>(sizeof(void*)))) return;
  if (segments == 1) {
    sort_pointers(xar_count(&segment[0]), compare, static_cast<void**>(segment[0]));
    return;
  }
  const int per = xar_count(&segment[0]);
  if (per < 1) return;  // a segment before the last is never empty
  void* const saved_har = static_har;
  const int saved_size = static_size;
  static_har = har;
  static_size = per;
  sort_pointers_access(har_total(&har), compare, har_quick_access);
  static_har = saved_har;
  static_size = saved_size;
}

void sort_har_pointers_ts(void* har, VekCompare compare) { sort_har_pointers(har, compare); }

void sort_har_objects(void* har, VekCompare compare, int size) {
  const int segments = har != nullptr ? xar_count(&har) : 0;
  if (segments == 0) return;
  void** segment = static_cast<void**>(har);
  if (!har_size_matches("sort_har_objects", segment, size)) return;
  if (segments == 1) {
    sort_objects(xar_count(&segment[0]), compare, segment[0], size);
    return;
  }
  const int per = xar_count(&segment[0]);
  const int total = har_total(&har);
  if (per < 1 || total < 2) return;

  void* addresses = har_alloc(static_cast<int>(sizeof(void*)), 4);
  har_resize(&addresses, total);
  void** address_segment = static_cast<void**>(addresses);
  HarLayout layout{segment, segments, per, size, address_segment, xar_count(&address_segment[0]),
                   0};
  for (int i = 0; i < total; i++) *layout_slot(layout, i) = layout_object(layout, i);
  sort_har_pointers(addresses, compare);
  follow_cycles(total, layout, size);
  har_free(&addresses);
}

void sort_testing_reset() {
  use_comp_fctn = nullptr;
  use_comp_fctn_ptrs = nullptr;
  compare_func_to_use = nullptr;
  static_xyz_tol = 0.0;
  static_har = nullptr;
  static_size = 0;
}

}  // namespace vek
