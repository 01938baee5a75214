#include "runtime/text/wide.h"

#include "runtime/diag/console.h"

namespace vek {

VynWchar* strtows(VynWchar* dst, const char* src) {
  if (!dst || !src) {
    ivek_printf("%s", "STRTOWS :  Illegal NULL pointer !!!");
    return dst;
  }
  // Each byte becomes the unit of the same value.
  std::size_t i = 0;
  for (; src[i]; ++i) dst[i] = static_cast<unsigned char>(src[i]);
  dst[i] = 0;
  return dst;
}

}  // namespace vek
