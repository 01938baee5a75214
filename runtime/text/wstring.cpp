#include "runtime/text/wstring.h"

namespace vek {

int wslen(const VynWchar* s) {
  const VynWchar* end = s;
  while (*end != 0) ++end;
  return static_cast<int>(end - s);
}

}  // namespace vek
