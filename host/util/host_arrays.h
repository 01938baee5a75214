// The host's arrays and strings as the host's own modules make and read them; the
// plug-in reaches them through the VynArray and string functions.
//
// A VynArray is the address of its element 0; the host's header (count, element size,
// growth step) lies in front of it, so the plug-in reads the elements through the handle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

// A new live array of n_objs zeroed elements of obj_size bytes (growing by
// reallocation_size elements); null for a negative count or a size below 1.
VynArray host_array_make(int n_objs, int obj_size, int reallocation_size = 1);
// Appends n_objs elements copied from objects; the array may move. -2 for a bad array,
// count or source.
VynError host_array_append(VynArray* array, const void* objects, int n_objs);
// Hands out a new live array of count elements of element_size bytes copied from
// elements (an empty one for count 0) through array; -2 for a null array, -1 when it
// cannot be made.
VynError host_array_hand_out(const void* elements, std::size_t count, int element_size,
                             VynArray* array);
template <typename T>
VynError host_array_hand_out(const std::vector<T>& elements, VynArray* array) {
  return host_array_hand_out(elements.data(), elements.size(), static_cast<int>(sizeof(T)), array);
}
// Whether array is a live array of the host.
bool host_array_is(VynArray array);
// The element count and size of a live array; -1 for anything else.
int host_array_size(VynArray array);
int host_array_element_size(VynArray array);
// A live array's number, which no other array made since the last reset has (it stays
// when the array moves); 0 for anything else. Tells an array the host handed out from a
// later one at the same address.
std::uint64_t host_array_serial(VynArray array);
// Frees a live array and nulls the variable; false (and nothing freed) for anything else.
bool host_array_release(VynArray* array);

// A narrow string the plug-in frees with VynStringFree.
char* host_string_make(const std::string& text);
// count strings the plug-in frees with VynStringarrayFree (strings, count).
char** host_string_array_make(const std::vector<std::string>& texts);
// A VynArray of narrow strings (char* elements) the plug-in frees with
// VynStringvynarrayFree.
VynArray host_string_vynarray_make(const std::vector<std::string>& texts);
// A VynArray of wide strings (VynWchar* elements) the plug-in frees with
// VynWstringArrayFree.
VynArray host_wstring_vynarray_make(const std::vector<std::u16string>& texts);
// The texts of a VynArray of narrow strings (char* elements) or of wide strings
// (VynWchar* elements, as UTF-8); empty for anything else.
std::vector<std::string> host_string_vynarray_read(VynArray array);
std::vector<std::string> host_wstring_vynarray_read(VynArray array);

// ---- The plug-in's operations on them (the VynArray and string functions) --------------

// Inserts n_objs elements copied from objects before index (-1: at the end); the array
// may move and *array follows it. -2 for a bad array, index, count or source, or a size
// past the host's limit; -1 when memory runs out.
VynError host_array_insert(VynArray* array, int index, int n_objs, const void* objects);
// Removes n_objs elements from index on; -2 for a bad array, index or count.
VynError host_array_remove(VynArray* array, int index, int n_objs);
// Frees a string of host_string_make; false (nothing freed) for anything else.
bool host_string_release(char* string);
// Frees an array of host_string_array_make with its strings; count must be the count it
// was made with. False (nothing freed) otherwise.
bool host_string_array_release(char** strings, int count);
// Frees a VynArray of the host's narrow strings (or nulls) with its strings; false
// (nothing freed) for anything else.
bool host_string_vynarray_release(VynArray strings);
// Inserts copies of n_objs wide strings before index (-1: at the end) into an array of
// pointers; -2 (nothing added) for a null string or an array of other elements.
VynError host_wstring_array_insert(VynArray* array, int index, int n_objs, VynWchar** strings);
// Frees a VynArray of the host's wide strings (or nulls) with its strings and nulls the
// variable; false (nothing freed) for anything else.
bool host_wstring_vynarray_release(VynArray* array);

}  // namespace yrlhost
