#include "toolkit/local/local_param.h"

#include "runtime/text/wide.h"

VynWchar* VynStringToWstring(VynWchar* target, const char* source) {
  if (!target) return nullptr;
  return vek::strtows(target, source);
}
