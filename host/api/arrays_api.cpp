// The VynArray and string functions: the plug-in's calls on the host's arrays and strings
// (host/util/host_arrays.h keeps them).
#include "host/api/data_behaviours.h"
#include "host/util/host_arrays.h"

namespace yrlhost {
namespace {

VynError status_of(bool done) { return done ? VYN_TK_NO_ERROR : VYN_TK_BAD_INPUTS; }

}  // namespace

// A growth step below 1 grows one element at a time.
VynError Behaviour<HostApi::VynArrayAlloc>::run(int, int n_objs, int obj_size, int reallocation_size,
                                                VynArray* array) {
  if (!array || n_objs < 0 || obj_size < 1) return VYN_TK_BAD_INPUTS;
  VynArray made = host_array_make(n_objs, obj_size, reallocation_size);
  if (!made) return VYN_TK_BAD_INPUTS;
  *array = made;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynArrayFree>::run(int, VynArray* array) {
  return status_of(host_array_release(array));
}

VynError Behaviour<HostApi::VynArrayObjectAdd>::run(int, VynArray* array, int index, int n_objs,
                                                    const void* objects) {
  return host_array_insert(array, index, n_objs, objects);
}

VynError Behaviour<HostApi::VynArrayObjectRemove>::run(int, VynArray* array, int index, int n_objs) {
  return host_array_remove(array, index, n_objs);
}

VynError Behaviour<HostApi::VynArraySizeGet>::run(int, VynArray array, int* size) {
  int count = host_array_size(array);
  if (!size || count < 0) return VYN_TK_BAD_INPUTS;
  *size = count;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynStringFree>::run(int, char* string) {
  return status_of(host_string_release(string));
}

VynError Behaviour<HostApi::VynStringarrayFree>::run(int, char** strings, int count) {
  return status_of(host_string_array_release(strings, count));
}

VynError Behaviour<HostApi::VynStringvynarrayFree>::run(int, VynArray strings) {
  return status_of(host_string_vynarray_release(strings));
}

VynError Behaviour<HostApi::VynWstringArrayObjectAdd>::run(int, VynArray* array, int index, int n_objs,
                                                           VynWchar** strings) {
  return host_wstring_array_insert(array, index, n_objs, strings);
}

VynError Behaviour<HostApi::VynWstringArrayFree>::run(int, VynArray* array) {
  return status_of(host_wstring_vynarray_release(array));
}

}  // namespace yrlhost
