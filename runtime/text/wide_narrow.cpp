#include "runtime/text/wide_narrow.h"

#include "runtime/diag/console.h"

namespace vek {

char* wstostr(char* dst, const VynWchar* src) {
  if (dst == nullptr || src == nullptr) {
    ivek_printf("WSTOSTR :  Illegal NULL pointer !!!");
    return dst;
  }
  char* out = dst;
  for (; *src != 0; ++src) *out++ = *src > 0xFF ? '?' : static_cast<char>(*src);
  *out = '\0';
  return dst;
}

}  // namespace vek
