#include "runtime/system/ntsys.h"

#include "platform/w32/system.h"

namespace vek {

int NT_gethostname(char* buffer, int length) {
  if (!buffer || length < 1) return 0;
  w32::DWORD size = static_cast<w32::DWORD>(length);
  if (w32::GetComputerNameA(buffer, &size)) return 1;
  // What a failed call leaves in the buffer is unspecified.
  buffer[0] = '\0';
  return 0;
}

}  // namespace vek
