// Sorting, merging and ordered search.
//
// Pointer sorts order an array of pointer-sized items and call compare with two item
// values; object sorts order fixed-size objects and call compare with their addresses.
// Merges and searches call compare with element addresses (the key first in searches).
//
// The quick sort is not stable: ranges of up to 9 items are insertion-sorted and keep
// equal items in order, larger ones may reorder them. The `_same_order` sorts are stable.
// A range whose partitions come out lopsided too often (about log2 of its length times)
// is finished by heap sort, so the worst case is O(n log n) compare calls and O(log n)
// stack. On every other input, with a consistent compare function, the engine makes the
// same compare calls in the same order as the plain quick sort by double recursion.
//
// Several operations park their compare function or tolerance in a process-wide slot for
// the length of the call (the stable sorts, the indexed sort, the point sort and the
// segmented-array pointer sort); such an operation must not be started from inside the
// compare function of another call of the same operation.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// Returns the address of the item slot with the given index.
typedef void* (*SortAccess)(int index);

// The engine: sorts items[first..last] in place.
void quick_sort_with_data(int first, int last, VekCompareData compare, void** items, void* data);
void quick_sort(int first, int last, VekCompare compare, void** items);
void sort_pointers_with_data(int count, VekCompareData compare, void** items, void* data);
void sort_pointers(int count, VekCompare compare, void** items);
// The engine over slots that do not lie in one array.
void quick_sort_access(int first, int last, VekCompare compare, SortAccess access);
void sort_pointers_access(int count, VekCompare compare, SortAccess access);

// Sorts count objects of size bytes in place (compare gets their addresses).
void sort_objects_with_data(int count, VekCompareData compare, void* objects, int size, void* data);
void sort_objects(int count, VekCompare compare, void* objects, int size);
// Stable forms: equal objects (items) keep their order.
void sort_objects_same_order(int count, VekCompare compare, void* objects, int size);
void sort_pointers_same_order(int count, VekCompare compare, void** items);
// Sorts the items of an xarray of pointers; with p_index (the address of an xarray handle
// of ints) also fills it so that index[k] is the position sorted item k had before. An
// existing index array of larger elements gets each position as an integer of its
// element's width; one of smaller elements is reported and left unfilled.
void sort_pointers_with_index(int count, VekCompare compare, void** items, void* p_index);

// Moves the objects so that position i holds the object that pointers[i] pointed to;
// afterwards pointers[i] is the address of object i. Refuses (and moves nothing) unless
// the pointers are a permutation of the objects' addresses.
void order_array(int count, void* objects, void** pointers, int size);

void sort_double(int count, double* values);
// -1, 0 or 1 by the values of two doubles given by address.
int cmp_double(const void* a, const void* b);

// Points are 3 consecutive doubles. With pointers, fills pointers[i] with the address of
// point i and sorts the pointers; without, sorts the points themselves.
void sort_xyz_points(int count, double* points, void** pointers, double tolerance);
// Sets the tolerance of cmp_xyz_points, then compares with it.
int compare_xyz_points(const double* a, const double* b, double tolerance);
// x, then y, then z; coordinates within the last tolerance set count as equal.
int cmp_xyz_points(const void* a, const void* b);

// Segmented arrays are passed by handle (the value of the caller's variable).
void sort_har_pointers(void* har, VekCompare compare);
void sort_har_pointers_ts(void* har, VekCompare compare);
// Slot address of item index of the segmented array being sorted; null outside a sort.
void* har_quick_access(int index);
void sort_har_objects(void* har, VekCompare compare, int size);
// Index of an element equal to key (compare(key, element address)), or -1; the outs are
// written only when found.
int binary_search_har(VekCompare compare, const void* key, void* har, int size, int* segment,
                      int* position);
// 1 found, 0 not. When not found the outs give where the search ended (the insertion
// place as far as the segment searched tells it).
int binary_search_har_low(VekCompare compare, const void* key, void* har, int size,
                          int* total_index, int* segment, int* position);

// Inserts a copy of object into the sorted xarray at p_xar (made when null) unless an
// equal one is there: 1 when one was there (nothing inserted), 0 when inserted. An
// existing array of another element size is reported and left alone (0).
int insert_object(void* p_xar, const void* object, int size, VekCompare compare);

// Merges two sorted arrays of size-byte elements. Equal elements appear once, as A's.
// out receives the first pointer-sized word of each chosen element.
void merge_sorted_pointer_arrays(int size, const void* a, int count_a, const void* b, int count_b,
                                 VekCompare compare, void** out, int* count_out);
// out receives element addresses; results (may be null) each entry's compare answer.
void merge_sorted_arrays(int size, const void* a, int count_a, const void* b, int count_b,
                         VekCompareData compare, void* data, const void** out, int* results,
                         int* count_out);
// Xarray forms (a, b are handles, null for empty); the output is an xarray of pointers
// made or resized at p_out, the results an xarray of ints at p_result. They return the
// merged count; an existing output or result array of another element size is reported
// and nothing is merged (0).
int merge_sorted_pointer_xarrays(const void* a, const void* b, VekCompare compare, void* p_out);
int merge_sorted_xarrays(const void* a, const void* b, VekCompareData compare, void* data,
                         void* p_out, void* p_result);
// Merges two sorted xarrays into a new one (element addresses compared).
int make_merged_xarray(const void* a, const void* b, VekCompareData compare, void* data,
                       void* p_new, void* p_result);
// Segmented forms: the output and results are segmented arrays, made when null; an
// existing one of another element size is reported and nothing is merged (0).
int merge_sorted_harrays(const void* a, const void* b, VekCompareData compare, void* data,
                         void* p_out, void* p_result);
int make_merged_harray(const void* a, const void* b, VekCompareData compare, void* data,
                       void* p_new, void* p_result);

// Merges n sorted values into the sorted xarray of doubles at p_first, dropping values
// within tolerance of one already there; returns the new count. A list of another
// element size is reported and left alone.
int merge_params_to_first(void* p_first, const double* values, int n, double tolerance);

// Interval index i with v[i] <= x < v[i+1] for v[0] <= x < v[n-1].
int search_double(int n, const double* v, double x);
// The same, with -1 below v[0] (and for n = 0) and n - 1 above v[n-1].
int search_double_gen(int n, const double* v, double x);

}  // namespace vek
