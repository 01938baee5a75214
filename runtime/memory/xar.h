// Growable arrays (xarrays): a counted array of fixed-size elements in one memory block.
//
// A handle is the address of element 0; a null handle is an empty array where an
// operation allows it. Operations that may move the array take the address of the
// caller's handle variable (`p_xar`, a variable of any pointer type) and update it.
// Element sizes are sizeof(...) of the stored type; pointer arrays use sizeof(void*).
#pragma once

#include <cstddef>

#include "runtime/vekbase.h"

namespace vek {

// Largest number of element bytes an array may hold.
constexpr int XAR_MAX_BYTES = 0x1F3FF0;

// A zone number below 0 puts the array on the heap. Null for count 0 with step 0.
void* zone_xar_alloc(int zone, int count, int size, int step);
void* xar_alloc(int count, int size, int step);
// Grows the count by n (new elements are zero); the first new element, null for n = 0.
void* xar_extend(void* p_xar, int n);
int xar_pre_reloc(void* block_start, int n);
// A source (or element) inside the array is read as the array stood before the call,
// elements past its count reading as zero, even when the array moves.
void* xar_append(void* p_xar, int n, const void* source);
void* xar_append_multi(void* p_xar, int n, const void* element);
void* xar_shrink(void* p_xar, int n);
int xar_resize(void* p_xar, int count);
int xar_resize_w_check(void* p_xar, int count);
void xar_free(void* p_xar);
int xar_count(const void* p_xar);
void* xar_last(const void* p_xar);
// limit: the most elements an array of this element size may hold.
void xar_params(const void* p_xar, int* size, int* step, int* count, int* limit);
int xar_max_count_get(int size);
void* xar_insert(void* p_xar, int index, int n, const void* source);
void xar_remove(void* p_xar, int index, int n);
void* xar_delete(void* p_xar, int index, int n, void* out);
void xar_replicate(void* p_xar, int from, int to);
// 92 when an index is out of range, else 0.
int xar_move(void* p_xar, int from, int to);
void xar_swap(void* xar, int i, int j);
void xar_flip(void* xar);
int xar_sort(void* p_xar, VekCompare compare);
void* xar_cpy(const void* p_source, void* p_out);
void* xar_copy(const void* p_source, int size, int step, void* p_out);
void* array_to_xarray(const void* array, int count, int size, int step, void* p_out);
void xar_concat(void* p_dst, const void* source);
void xar_inject(void* p_dst, const void* source, int index);
// 1 when the handle at p_xar is null or its array has element size `size`. Otherwise the
// mixed-size report ("inconsistent size: ...", through dbg_err_crash under name) and 0:
// the caller must then leave the array alone, since reading or writing it with its own
// stride would reach past the elements. A null p_xar is an invalid array (the process
// ends, as in xar_params).
int xar_size_matches(const void* p_xar, int size, const char* name);
// Each makes the array when the handle is null. An existing array of another element
// size is reported; resize and extend use it all the same (their new elements are
// zero), append leaves it alone and returns null, since copying the source with the
// array's own stride would read past it.
void* xar_alloc_or_resize(void* p_xar, int count, int size, int step);
void* xar_alloc_or_extend(void* p_xar, int n, int size, int step);
void* xar_alloc_or_append(void* p_xar, int n, int size, int step, const void* source);
int xar_cmp(const void* a, const void* b);
int check_null_pointers(const void* a, const void* b);
int xar_sorted_find_w_start(const void* p_xar, VekCompareData compare, const void* key,
                            void* data, int start, int* position);
int xar_sorted_find(const void* p_xar, VekCompareData compare, const void* key, void* data,
                    int* position);
int xar_sorted_insert(void* p_xar, VekCompareData compare, const void* element, void* data,
                      int duplicates_allowed, int* position);
int subtract_xarrays(void* p_a, const void* b, VekCompare compare);
int merge_to_target_xar(void* p_a, const void* b, VekCompareData compare);

// Search record of xar_search_cmp: the compare function sees (key, element, data).
struct XarSearch {
  VekCompareData compare;
  void* data;
  const void* key;
};
int xar_search_cmp(const void* search, const void* element);

// Arrays of array handles (element size sizeof(void*)).
void* copy_xar_xar(const void* source, void* p_out);
void free_xar_xar(void* p_xar);
void reset_xar_xar(void* p_xar);

// Validity checks that never end the process.
int debug_xar_invalid(const void* p_xar);
int debug_xar_memusage(const void* block_start, int* size, int* count, int* capacity);
int debug_user_xar_memusage(const void* p_xar, int* size, int* count, int* capacity,
                            int* overhead);

// Switches: force_ext_no gives every new array step 1; force_ignore_reloc_cnt makes
// growth ignore how often an array moved. The setters return the previous value.
void debug_xar_force_ext_no(int flag);
void debug_xar_ignore_reloc_cnt(int flag);
int get_force_ext_no();
int set_force_ext_no(int flag);
int get_force_ignore_reloc_cnt();
int set_force_ignore_reloc_cnt(int flag);
int get_xar_force_ext_no();
int get_xar_ignore_reloc_cnt();

}  // namespace vek
