#include "runtime/text/strmake.h"

#include <cstring>

#include "runtime/memory/getmem.h"
#include "runtime/text/wstring.h"

namespace vek {

char* make_scopy(const char* s) {
  if (s == nullptr) return nullptr;
  std::size_t bytes = std::strlen(s) + 1;
  return static_cast<char*>(std::memcpy(getmem(bytes), s, bytes));
}

VynWchar* make_wscopy(const VynWchar* w) {
  if (w == nullptr) return nullptr;
  std::size_t bytes = (static_cast<std::size_t>(wslen(w)) + 1) * sizeof(VynWchar);
  return static_cast<VynWchar*>(std::memcpy(getmem(bytes), w, bytes));
}

}  // namespace vek
