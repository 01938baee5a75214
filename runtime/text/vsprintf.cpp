#include "runtime/text/vsprintf.h"

#include <cstdio>
#include <cstring>

#include "runtime/diag/console.h"

namespace vek {

namespace {

constexpr std::size_t VSPRINTF_MAX_FORMAT = 500;

// Every call formats here first; a call without destination hands this buffer out.
// Text beyond its size is cut, never written past it.
char vsprintf_output[8192];

}  // namespace

char* vyn_vsprintf(char* dst, const char* format, std::va_list args) {
  if (!format) return nullptr;
  if (std::strlen(format) > VSPRINTF_MAX_FORMAT) {
    ivek_printf("vyn_sprintf   format too long \n");
    return nullptr;
  }
  int n = std::vsnprintf(vsprintf_output, sizeof vsprintf_output, format, args);
  if (n < 0) {
    vsprintf_output[0] = '\0';
    return nullptr;
  }
  if (!dst) return vsprintf_output;
  std::memcpy(dst, vsprintf_output, std::strlen(vsprintf_output) + 1);
  return dst;
}

char* vyn_sprintf(char* dst, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  char* result = vyn_vsprintf(dst, format, args);
  va_end(args);
  return result;
}

}  // namespace vek
