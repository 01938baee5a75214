// Small operations on plain arrays and on growable arrays of ints, pointers and strings.
//
// Int lists and id sets are growable arrays of 4-byte ints; an id set is sorted
// ascending without duplicates. Pointer and string arrays are growable arrays of
// pointer-sized elements, each string or object a memory block owned by the array.
// As with the growable arrays, `p_x` is the address of the caller's handle variable (of
// any pointer type) and a "handle" is the array itself. The operations that make, grow
// or fill the array at p_x report an existing array of another element size
// (xar_size_matches) and return 0 (null) without writing it.
#pragma once

#include <cstddef>

#include "runtime/vekbase.h"

namespace vek {

// ---- Bytes and plain arrays

void* bytcpy_func(void* destination, const void* source, std::size_t n);
int bytcmp(const void* a, const void* b, std::size_t n);
void* byte_fill_func(void* address, std::size_t n, int value);

// Plain arrays: a misused call ends the process.
void* arr_insert(void* array, int size, int* count, int index, int n, const void* source);
void* arr_delete(void* array, int size, int* count, int index, int n, void* out);

int shift_elem_array(void* array, int size, int shift, int count);
int reverse_obj_array(void* array, int count, int size);
void swap_objects(void* a, void* b, std::size_t size);
void swap_doubles(double* a, double* b);
void swap_ints(int* a, int* b);
// a and b are addresses of pointer variables of any pointer type.
void swap_pointers(void* a, void* b);

// ---- Pointer arrays and sorted pointer indexes

int compare_ptrs(const void* a, const void* b);
int find_ptr_in_array(void* const* array, const void* pointer, int count);
int is_ptr_in_array(void* const* array, const void* pointer, int count);
int compress_pointer_array(void* p_x);
int uniquify_sorted_pointer_array(void* p_x, int count);
int uniquify_pointer_array(void* p_x, VekCompare compare);
void release_ptr_xar(void* p_x);
void release_wstring_xarray(void* p_x);
// *p_x becomes count pointers to the pointer-sized items, sorted by compare(item, item).
void** make_sorted_ptr_ptrs(int count, VekCompare compare, void* const* items, void* p_x);
int make_sorted_ptr_ptrs_comp_fcn(const void* a, const void* b);
// Index in items of the item comparing equal to key (compare(key, item)), or -1.
int sorted_ptr_ptrs_lookup(int count, VekCompare compare, const void* key,
                           void* const* items, void* const* sorted);

// ---- Int lists and id sets

int int_cmp(int a, int b);
int int_element_cmp(const void* a, const void* b);
void sort_ints(int* array, int count);
void simple_sort_int_list(int* list);
void simple_sort_ptrs(void** array, int count);
int simple_search_ptrs(void* const* array, int count, const void* key);
int binary_search_int(int count, const int* array, int key);
// Sorts array[first..last], both included.
void sort_ints_short(int first, int last, int* array);
int uniquify_int_array(void* p_x);
void fill_int_list(int* list, int value);

// Int lists are growable arrays of 4-byte ints, passed by handle.
int int_in_list(int value, const int* list);
int int_is_in_list(int value, const int* list);
int list_in_list(const int* a, const int* b);
int cmpr_int_lists(const int* a, const int* b);
int arr_is_substr_of_arr(const int* a, int count_a, const int* b, int count_b);

int id_insert(void* p_x, int id);
int id_insert_low(void* p_x, int id, int unique, int* position);
int id_remove(void* p_x, int id);
int id_search(const int* set, int id);
int sort_and_clean_ids(void* p_x);
int subtract_int_sets(void* p_a, const int* b);
int intersect_int_sets(const int* a, const int* b, void* p_out);
int int_sets_intersect(const int* a, const int* b);

// ---- String arrays

int rls_string_xarray(void* p_x);
int resize_string_xarray(void* p_x, int count);
int copy_string_array_to_xarray(const char* const* strings, int count, void* p_x);
int copy_wstring_array_to_xarray(const VynWchar* const* strings, int count, void* p_x);
// Both return the new destination handle.
void* copy_wstring_xarray(const void* p_source, void* p_destination, int step);
void* copy_wstring_xarray_from_to(const void* p_source, void* p_destination, int step,
                                  int first, int last);
int char_array_to_wchar_xarray(const char* const* strings, int count, void* p_x);
int wchar_array_to_char_xarray(const VynWchar* const* strings, int count, void* p_x);

// ---- Function tables

typedef void (*VekFunctabFunc)();

// A table ends with a row whose function is null and whose key is -1.
struct VekFunctabRow {
  int key;
  VekFunctabFunc func;
};

VekFunctabFunc find_func_in_functab_by_key(const VekFunctabRow* table, int key);
VekFunctabFunc get_func_from_functab(const VekFunctabRow* table, int key);
VekFunctabRow* functab_to_xarray(const VekFunctabRow* table);

}  // namespace vek
