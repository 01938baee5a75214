#include "runtime/memory/arrays.h"

#include <climits>
#include <cstdint>
#include <cstring>

#include "runtime/algo/sort.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/arrays_testing.h"
#include "runtime/memory/btree.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/text/strmake.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr int kIntSize = static_cast<int>(sizeof(int));
constexpr int kPtrSize = static_cast<int>(sizeof(void*));
constexpr std::size_t kFillPiece = 65535;    // largest piece byte_fill_func fills at once
constexpr std::size_t kSwapBuffer = 1000;    // swap_objects moves this much at a time
constexpr std::size_t kShiftOnStack = 400;   // shift_elem_array's largest stack buffer
constexpr std::size_t kNarrowBlock = 256;    // block of each wchar_array_to_char_xarray copy

// The compare function of make_sorted_ptr_ptrs while its sort runs.
VekCompare my_static_sort_func = nullptr;
// The intersection is collected here before it goes to the caller's array, which may
// be one of the inputs.
int* res_arr = nullptr;

int count_of(const void* handle) { return xar_count(&handle); }

// Handle variable behind p_x, for any pointer type of that variable.
template <typename T>
T*& handle_ref(void* p_x) {
  return *static_cast<T**>(p_x);
}

char* element(void* array, int size, int index) {
  return static_cast<char*>(array) + static_cast<std::ptrdiff_t>(index) * size;
}

// True when [a, a + a_len) and [b, b + b_len) share a byte.
bool ranges_overlap(const void* a, std::size_t a_len, const void* b, std::size_t b_len) {
  std::uintptr_t x = reinterpret_cast<std::uintptr_t>(a);
  std::uintptr_t y = reinterpret_cast<std::uintptr_t>(b);
  return a_len > 0 && b_len > 0 && x < y + b_len && y < x + a_len;
}

[[noreturn]] void plain_array_fault(const char* name, const char* message) {
  ivek_printf("%s %s \n", name, message);
  crash();
}

template <typename T, typename Less>
void shell_sort(T* array, int count, Less less) {
  for (int gap = count / 2; gap > 0; gap /= 2)
    for (int i = gap; i < count; ++i)
      for (int j = i - gap; j >= 0 && less(array[j + gap], array[j]); j -= gap) {
        T kept = array[j];
        array[j] = array[j + gap];
        array[j + gap] = kept;
      }
}

// Keeps the first of each run of equal neighbours; returns the count kept.
int keep_distinct(void** items, int count) {
  int kept = 0;
  for (int i = 0; i < count; ++i)
    if (kept == 0 || items[kept - 1] != items[i]) items[kept++] = items[i];
  return kept;
}

}  // namespace

void arrays_testing_reset() {
  my_static_sort_func = nullptr;
  res_arr = nullptr;
}

// ---------------------------------------------------------------------------------------
// Bytes and plain arrays

void* bytcpy_func(void* destination, const void* source, std::size_t n) {
  if (n == 0) return destination;
  return std::memmove(destination, source, n);
}

int bytcmp(const void* a, const void* b, std::size_t n) {
  const signed char* x = static_cast<const signed char*>(a);
  const signed char* y = static_cast<const signed char*>(b);
  for (std::size_t i = 0; i < n; ++i)
    if (x[i] != y[i]) return x[i] - y[i];
  return 0;
}

void* byte_fill_func(void* address, std::size_t n, int value) {
  char* at = static_cast<char*>(address);
  while (n > 0) {
    std::size_t piece = n < kFillPiece ? n : kFillPiece;
    std::memset(at, value & 0xFF, piece);
    at += piece;
    n -= piece;
  }
  return address;
}

void* arr_insert(void* array, int size, int* count, int index, int n, const void* source) {
  if (count == nullptr || *count < 0 || index < 0 || index > *count || n < 0 || size < 0 ||
      n > INT_MAX - *count || (array == nullptr && n > 0))
    plain_array_fault("arr_insert", "wrong call.");
  char* gap = element(array, size, index);
  if (n == 0) return gap;
  std::size_t gap_bytes = static_cast<std::size_t>(n) * size;
  std::size_t tail_bytes = static_cast<std::size_t>(*count - index) * size;
  // The tail moves before the gap is filled, so a source anywhere in the moving part
  // would be read after it was overwritten.
  if (source != nullptr && ranges_overlap(source, gap_bytes, gap, gap_bytes + tail_bytes))
    plain_array_fault("arr_insert", "bad data pointer.");
  if (tail_bytes > 0) std::memmove(gap + gap_bytes, gap, tail_bytes);
  *count += n;
  if (source != nullptr)
    std::memcpy(gap, source, gap_bytes);
  else
    std::memset(gap, 0, gap_bytes);
  return gap;
}

void* arr_delete(void* array, int size, int* count, int index, int n, void* out) {
  if (count == nullptr || *count < 0 || index < 0 || index > *count || n < 0 || size < 0 ||
      n > *count - index || (array == nullptr && n > 0))
    plain_array_fault("arr_delete", "wrong call.");
  char* gap = element(array, size, index);
  if (n == 0) return gap;
  std::size_t gap_bytes = static_cast<std::size_t>(n) * size;
  std::size_t rest_bytes = static_cast<std::size_t>(*count - index) * size;
  if (out != nullptr && ranges_overlap(out, gap_bytes, gap, rest_bytes))
    plain_array_fault("arr_delete", " bad data pointer.");
  if (out != nullptr) std::memcpy(out, gap, gap_bytes);
  if (rest_bytes > gap_bytes) std::memmove(gap, gap + gap_bytes, rest_bytes - gap_bytes);
  *count -= n;
  return gap;
}

int shift_elem_array(void* array, int size, int shift, int count) {
  if (array == nullptr || shift < 0 || shift >= count || size < 1) return 0;
  if (shift == 0) return 1;
  std::size_t kept_bytes = static_cast<std::size_t>(shift) * size;
  std::size_t rest_bytes = static_cast<std::size_t>(count - shift) * size;
  char on_stack[kShiftOnStack];
  bool small = static_cast<std::size_t>(count) * size <= kShiftOnStack;
  char* kept = small ? on_stack : static_cast<char*>(getmem_null(kept_bytes));
  if (kept == nullptr) return 0;
  char* base = static_cast<char*>(array);
  std::memcpy(kept, base, kept_bytes);
  std::memmove(base, base + kept_bytes, rest_bytes);
  std::memcpy(base + rest_bytes, kept, kept_bytes);
  if (!small) rlsmem(kept);
  return 1;
}

void swap_objects(void* a, void* b, std::size_t size) {
  char buffer[kSwapBuffer];
  char* x = static_cast<char*>(a);
  char* y = static_cast<char*>(b);
  while (size > 0) {
    std::size_t piece = size < kSwapBuffer ? size : kSwapBuffer;
    std::memcpy(buffer, x, piece);
    std::memmove(x, y, piece);
    std::memcpy(y, buffer, piece);
    x += piece;
    y += piece;
    size -= piece;
  }
}

int reverse_obj_array(void* array, int count, int size) {
  if (array == nullptr || size < 1) return 1;
  for (int i = 0, j = count - 1; i < j; ++i, --j)
    swap_objects(element(array, size, i), element(array, size, j),
                 static_cast<std::size_t>(size));
  return 1;
}

void swap_doubles(double* a, double* b) { swap_objects(a, b, sizeof(double)); }
void swap_ints(int* a, int* b) { swap_objects(a, b, sizeof(int)); }
void swap_pointers(void* a, void* b) { swap_objects(a, b, sizeof(void*)); }

// ---------------------------------------------------------------------------------------
// Pointer arrays and sorted pointer indexes

int compare_ptrs(const void* a, const void* b) {
  std::uintptr_t x = reinterpret_cast<std::uintptr_t>(a);
  std::uintptr_t y = reinterpret_cast<std::uintptr_t>(b);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int find_ptr_in_array(void* const* array, const void* pointer, int count) {
  if (array == nullptr) return -1;
  for (int i = 0; i < count; ++i)
    if (array[i] == pointer) return i;
  return -1;
}

int is_ptr_in_array(void* const* array, const void* pointer, int count) {
  return find_ptr_in_array(array, pointer, count) >= 0 ? 1 : 0;
}

int compress_pointer_array(void* p_x) {
  if (p_x == nullptr) return 0;
  void**& items = handle_ref<void*>(p_x);
  int count = 0;
  for (int i = 0, n = count_of(items); i < n; ++i)
    if (items[i] != nullptr) items[count++] = items[i];
  xar_resize(p_x, count);
  return count;
}

int uniquify_sorted_pointer_array(void* p_x, int count) {
  if (p_x == nullptr) return 0;
  void**& items = handle_ref<void*>(p_x);
  int n = count_of(items);
  if (count > n) count = n;
  for (int i = 0; i + 1 < count; ++i)
    if (items[i] == items[i + 1]) items[i] = nullptr;
  compress_pointer_array(p_x);
  return 0;
}

int uniquify_pointer_array(void* p_x, VekCompare compare) {
  if (p_x == nullptr) return 0;
  void**& items = handle_ref<void*>(p_x);
  int count = count_of(items);
  if (count < 2) return count;
  sort_pointers(count, compare, items);
  count = keep_distinct(items, count);
  xar_resize(p_x, count);
  return count;
}

void release_ptr_xar(void* p_x) {
  if (p_x == nullptr) return;
  void**& items = handle_ref<void*>(p_x);
  if (items == nullptr) return;
  for (int i = 0, n = count_of(items); i < n; ++i)
    if (items[i] != nullptr) rlsmem(items[i]);
  xar_free(p_x);
}

void release_wstring_xarray(void* p_x) { release_ptr_xar(p_x); }

int make_sorted_ptr_ptrs_comp_fcn(const void* a, const void* b) {
  return my_static_sort_func(*static_cast<void* const*>(a), *static_cast<void* const*>(b));
}

void** make_sorted_ptr_ptrs(int count, VekCompare compare, void* const* items, void* p_x) {
  if (p_x == nullptr || count < 0 || (items == nullptr && count > 0)) return nullptr;
  if (!xar_size_matches(p_x, kPtrSize, "make_sorted_ptr_ptrs")) return nullptr;
  void**& pointers = handle_ref<void*>(p_x);
  xar_alloc_or_resize(p_x, count, kPtrSize, 1);
  for (int i = 0; i < count; ++i) pointers[i] = const_cast<void**>(items + i);
  // Kept and put back, so that a compare function may itself build an index.
  VekCompare outer = my_static_sort_func;
  my_static_sort_func = compare;
  sort_pointers(count, make_sorted_ptr_ptrs_comp_fcn, pointers);
  my_static_sort_func = outer;
  return pointers;
}

namespace {
struct ItemSearch {
  VekCompare compare;
};

// Element of the sorted index -> pointer to an item -> the item.
int compare_key_with_item(const void* key, const void* element, void* data) {
  void* const* item = *static_cast<void* const* const*>(element);
  return static_cast<ItemSearch*>(data)->compare(key, *item);
}
}  // namespace

int sorted_ptr_ptrs_lookup(int count, VekCompare compare, const void* key,
                           void* const* items, void* const* sorted) {
  if (count < 1 || items == nullptr || sorted == nullptr) return -1;
  ItemSearch search{compare};
  int position = 0;
  if (!binary_srch_array_low_with_data(count, compare_key_with_item, kPtrSize, key, sorted,
                                       &search, &position))
    return -1;
  return static_cast<int>(static_cast<void* const*>(sorted[position]) - items);
}

// ---------------------------------------------------------------------------------------
// Int lists and id sets

int int_cmp(int a, int b) { return a < b ? -1 : (a > b ? 1 : 0); }

int int_element_cmp(const void* a, const void* b) {
  return int_cmp(*static_cast<const int*>(a), *static_cast<const int*>(b));
}

void sort_ints(int* array, int count) {
  if (array == nullptr) return;
  shell_sort(array, count, [](int a, int b) { return a < b; });
}

void simple_sort_int_list(int* list) { sort_ints(list, count_of(list)); }

void simple_sort_ptrs(void** array, int count) {
  if (array == nullptr) return;
  shell_sort(array, count, [](void* a, void* b) { return compare_ptrs(a, b) < 0; });
}

int simple_search_ptrs(void* const* array, int count, const void* key) {
  return binary_search(count, compare_ptrs, key, array);
}

int binary_search_int(int count, const int* array, int key) {
  return binary_srch_array(count, int_element_cmp, kIntSize, &key, array);
}

void sort_ints_short(int first, int last, int* array) {
  if (array == nullptr || first < 0) return;
  for (int i = first + 1; i <= last; ++i) {
    int value = array[i];
    int j = i - 1;
    for (; j >= first && int_cmp(array[j], value) > 0; --j) array[j + 1] = array[j];
    array[j + 1] = value;
  }
}

int uniquify_int_array(void* p_x) {
  if (p_x == nullptr) return 0;
  int*& items = handle_ref<int>(p_x);
  int count = count_of(items);
  if (count < 2) return count;
  sort_ints_short(0, count - 1, items);
  int kept = 1;
  for (int i = 1; i < count; ++i)
    if (items[i] != items[kept - 1]) items[kept++] = items[i];
  xar_resize(p_x, kept);
  return kept;
}

void fill_int_list(int* list, int value) {
  for (int i = 0, n = count_of(list); i < n; ++i) list[i] = value;
}

int int_in_list(int value, const int* list) {
  for (int i = 0, n = count_of(list); i < n; ++i)
    if (list[i] == value) return i;
  return -1;
}

int int_is_in_list(int value, const int* list) { return int_in_list(value, list) >= 0 ? 1 : 0; }

int list_in_list(const int* a, const int* b) {
  int count_a = count_of(a);
  if (count_a > count_of(b)) return 0;
  for (int i = 0; i < count_a; ++i)
    if (int_in_list(a[i], b) < 0) return 0;
  return 1;
}

int cmpr_int_lists(const int* a, const int* b) {
  int count_a = count_of(a);
  int count_b = count_of(b);
  if (count_a != count_b) return count_b - count_a;
  for (int i = 0; i < count_a; ++i) {
    // The difference of two ints may not fit an int; its sign is what must survive.
    long long difference = static_cast<long long>(b[i]) - a[i];
    if (difference > INT_MAX) return INT_MAX;
    if (difference < INT_MIN) return INT_MIN;
    if (difference != 0) return static_cast<int>(difference);
  }
  return 0;
}

int arr_is_substr_of_arr(const int* a, int count_a, const int* b, int count_b) {
  if (count_a < 0 || count_a >= count_b) return 0;
  if (count_a == 0) return 1;
  if (a == nullptr || b == nullptr) return 0;
  return std::memcmp(a, b, static_cast<std::size_t>(count_a) * sizeof(int)) == 0 ? 1 : 0;
}

int id_insert_low(void* p_x, int id, int unique, int* position) {
  if (p_x == nullptr) return 0;
  if (!xar_size_matches(p_x, kIntSize, "id_insert_low")) {
    if (position != nullptr) *position = 0;
    return 0;
  }
  int*& set = handle_ref<int>(p_x);
  if (set == nullptr) set = static_cast<int*>(xar_alloc(0, kIntSize, 2));
  int at = 0;
  int found = binary_srch_array_low(count_of(set), int_element_cmp, kIntSize, &id, set, &at);
  if (!(found && unique)) xar_insert(p_x, at, 1, &id);
  if (position != nullptr) *position = at;
  return found;
}

int id_insert(void* p_x, int id) { return id_insert_low(p_x, id, 1, nullptr); }

int id_remove(void* p_x, int id) {
  if (p_x == nullptr) return 0;
  int* set = handle_ref<int>(p_x);
  int at = 0;
  if (!binary_srch_array_low(count_of(set), int_element_cmp, kIntSize, &id, set, &at))
    return 0;
  xar_remove(p_x, at, 1);
  return 1;
}

int id_search(const int* set, int id) {
  return binary_search_int(count_of(set), set, id) >= 0 ? 1 : 0;
}

int sort_and_clean_ids(void* p_x) {
  if (p_x == nullptr) return 0;
  int* ids = handle_ref<int>(p_x);
  int count = count_of(ids);
  if (count == 0) return 0;
  sort_ints(ids, count);
  // ids[0..write] is the cleaned part; only ids[write] may still be a -1, which the
  // next element overwrites.
  int write = 0;
  for (int i = 1; i < count; ++i) {
    if (ids[write] == -1)
      ids[write] = ids[i];
    else if (ids[i] != ids[write])
      ids[++write] = ids[i];
  }
  int kept = ids[write] == -1 ? write : write + 1;
  xar_resize(p_x, kept);
  return kept;
}

int subtract_int_sets(void* p_a, const int* b) {
  if (p_a == nullptr) return 0;
  if (handle_ref<int>(p_a) == nullptr || b == nullptr) return count_of(handle_ref<int>(p_a));
  return subtract_xarrays(p_a, b, int_element_cmp);
}

int intersect_int_sets(const int* a, const int* b, void* p_out) {
  if (p_out == nullptr || !xar_size_matches(p_out, kIntSize, "intersect_int_sets")) return 0;
  xar_alloc_or_resize(&res_arr, 0, kIntSize, 4);
  for (int i = 0, j = 0, count_a = count_of(a), count_b = count_of(b);
       i < count_a && j < count_b;) {
    if (a[i] < b[j]) {
      ++i;
    } else if (b[j] < a[i]) {
      ++j;
    } else {
      xar_append(&res_arr, 1, &a[i]);
      ++i;
      ++j;
    }
  }
  int count = count_of(res_arr);
  xar_alloc_or_resize(p_out, count, kIntSize, 4);
  if (count > 0)
    std::memcpy(handle_ref<int>(p_out), res_arr, static_cast<std::size_t>(count) * sizeof(int));
  return count;
}

int int_sets_intersect(const int* a, const int* b) {
  for (int i = 0, j = 0, count_a = count_of(a), count_b = count_of(b);
       i < count_a && j < count_b;) {
    if (a[i] < b[j])
      ++i;
    else if (b[j] < a[i])
      ++j;
    else
      return 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------
// String arrays

namespace {

// Releases every string of the array and leaves the entries null.
void release_strings(void** strings) {
  for (int i = 0, n = count_of(strings); i < n; ++i)
    if (strings[i] != nullptr) relmem(&strings[i]);
}

template <typename Char>
int copy_strings_to_xarray(const char* name, const Char* const* strings, int count, void* p_x,
                           Char* (*copy)(const Char*)) {
  if (p_x == nullptr || count < 0 || (strings == nullptr && count > 0)) return 0;
  if (!xar_size_matches(p_x, kPtrSize, name)) return 0;
  void**& items = handle_ref<void*>(p_x);
  release_strings(items);
  xar_alloc_or_resize(p_x, count, kPtrSize, 2);
  for (int i = 0; i < count; ++i) items[i] = copy(strings[i]);
  return 0;
}

// Appends count null entries; the address of the first, or null when nothing is added.
void** append_null_entries(void* p_x, int count) {
  if (count < 1) return nullptr;
  return static_cast<void**>(xar_alloc_or_extend(p_x, count, kPtrSize, 1));
}

}  // namespace

int rls_string_xarray(void* p_x) {
  release_ptr_xar(p_x);
  return 0;
}

int resize_string_xarray(void* p_x, int count) {
  if (p_x == nullptr || count < 0) {
    dbg_err_crash("resize_string_xarray", "invalid call");
    return 0;
  }
  if (!xar_size_matches(p_x, kPtrSize, "resize_string_xarray")) return 0;
  void**& items = handle_ref<void*>(p_x);
  if (items == nullptr) {
    if (count >= 1) xar_alloc_or_resize(p_x, count, kPtrSize, 1);
    return 0;
  }
  for (int i = count, n = count_of(items); i < n; ++i)
    if (items[i] != nullptr) relmem(&items[i]);
  xar_resize(p_x, count);
  return 0;
}

int copy_string_array_to_xarray(const char* const* strings, int count, void* p_x) {
  return copy_strings_to_xarray("copy_string_array_to_xarray", strings, count, p_x, make_scopy);
}

int copy_wstring_array_to_xarray(const VynWchar* const* strings, int count, void* p_x) {
  return copy_strings_to_xarray("copy_wstring_array_to_xarray", strings, count, p_x,
                                make_wscopy);
}

void* copy_wstring_xarray_from_to(const void* p_source, void* p_destination, int step,
                                  int first, int last) {
  if (p_destination == nullptr) return nullptr;
  VynWchar**& destination = handle_ref<VynWchar*>(p_destination);
  VynWchar* const* source =
      p_source != nullptr ? *static_cast<VynWchar* const* const*>(p_source) : nullptr;
  destination = nullptr;
  if (static_cast<long long>(last) < static_cast<long long>(first) - 1) return nullptr;
  if (last >= first && (first < 0 || last >= count_of(source))) {
    dbg_err_crash("copy_wstring_xarray_from_to", "range %d - %d outside the source", first,
                  last);
    return nullptr;
  }
  destination = static_cast<VynWchar**>(xar_alloc(last - first + 1, kPtrSize, step));
  for (int i = first; i <= last; ++i) destination[i - first] = make_wscopy(source[i]);
  return destination;
}

void* copy_wstring_xarray(const void* p_source, void* p_destination, int step) {
  const void* source = p_source != nullptr ? *static_cast<const void* const*>(p_source) : nullptr;
  return copy_wstring_xarray_from_to(p_source, p_destination, step, 0, count_of(source) - 1);
}

namespace {

// The wide form of s in a block of (strlen + 1) x 2 bytes.
void* wide_copy_of(const char* s) {
  std::size_t bytes = (std::strlen(s) + 1) * sizeof(VynWchar);
  return strtows(static_cast<VynWchar*>(getmem(bytes)), s);
}

// The narrow form of w in a block of kNarrowBlock bytes. The narrow form may take four
// bytes a character; it is converted in full and cut to what the block holds.
void* narrow_copy_of(const VynWchar* w) {
  std::size_t room = 4 * static_cast<std::size_t>(wslen(w)) + 1;
  char on_stack[4 * kNarrowBlock];
  char* narrow = room <= sizeof on_stack ? on_stack : static_cast<char*>(getmem(room));
  wstostr(narrow, w);
  char* copy = static_cast<char*>(getmem(kNarrowBlock));
  std::size_t length = std::strlen(narrow);
  if (length > kNarrowBlock - 1) length = kNarrowBlock - 1;
  std::memcpy(copy, narrow, length);  // the block came zeroed: the terminator is there
  if (narrow != on_stack) rlsmem(narrow);
  return copy;
}

// Appends to the array one converted copy of each string, null for a null string.
template <typename Char>
int append_converted(const char* name, const Char* const* strings, int count, void* p_x,
                     void* (*convert)(const Char*)) {
  if (p_x == nullptr || (strings == nullptr && count > 0)) return 0;
  if (!xar_size_matches(p_x, kPtrSize, name)) return 0;
  void** added = append_null_entries(p_x, count);
  for (int i = 0; i < count; ++i)
    if (strings[i] != nullptr) added[i] = convert(strings[i]);
  return 1;
}

}  // namespace

int char_array_to_wchar_xarray(const char* const* strings, int count, void* p_x) {
  return append_converted("char_array_to_wchar_xarray", strings, count, p_x, wide_copy_of);
}

int wchar_array_to_char_xarray(const VynWchar* const* strings, int count, void* p_x) {
  return append_converted("wchar_array_to_char_xarray", strings, count, p_x, narrow_copy_of);
}

// ---------------------------------------------------------------------------------------
// Function tables

namespace {
constexpr int kTableEnd = -1;  // key of the row that ends a table
}

VekFunctabFunc find_func_in_functab_by_key(const VekFunctabRow* table, int key) {
  if (table == nullptr) return nullptr;
  for (const VekFunctabRow* row = table; row->func != nullptr; ++row)
    if (row->key == key) return row->func;
  return nullptr;
}

VekFunctabFunc get_func_from_functab(const VekFunctabRow* table, int key) {
  if (table == nullptr) return nullptr;
  // Row key is read only once the rows before it show that the table reaches it.
  bool reaches = key >= 0;
  for (int i = 0; reaches && i < key; ++i)
    if (table[i].key == kTableEnd) reaches = false;
  if (reaches && table[key].key == key) return table[key].func;
  dbg_err_crash("get_func_from_functab", "functable[key].key != key:  fix the fucntable.");
  for (const VekFunctabRow* row = table; row->key != kTableEnd; ++row)
    if (row->key == key) return row->func;
  return nullptr;
}

VekFunctabRow* functab_to_xarray(const VekFunctabRow* table) {
  if (table == nullptr) return nullptr;
  int rows = 1;
  while (table[rows - 1].func != nullptr) ++rows;
  VekFunctabRow* copy = nullptr;
  array_to_xarray(table, rows, static_cast<int>(sizeof(VekFunctabRow)), 1, &copy);
  return copy;
}

}  // namespace vek
