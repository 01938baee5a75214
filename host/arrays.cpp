// Arrays and strings (placeholder until the module is written).
#include "host/host_arrays.h"
#include "host/host_testing.h"

namespace yrlhost {

VynArray host_array_make(int, int, int) { return nullptr; }
VynError host_array_append(VynArray*, const void*, int) { return VYN_TK_GENERAL_ERROR; }
bool host_array_is(VynArray) { return false; }
int host_array_size(VynArray) { return -1; }
int host_array_element_size(VynArray) { return -1; }
bool host_array_release(VynArray*) { return false; }
char* host_string_make(const std::string&) { return nullptr; }
char** host_string_array_make(const std::vector<std::string>&) { return nullptr; }
VynArray host_string_vynarray_make(const std::vector<std::string>&) { return nullptr; }
std::vector<std::string> host_string_vynarray_read(VynArray) { return {}; }
std::vector<std::string> host_wstring_vynarray_read(VynArray) { return {}; }
void arrays_testing_reset() {}

}  // namespace yrlhost
