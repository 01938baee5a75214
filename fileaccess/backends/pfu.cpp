#include "fileaccess/backends/pfu.h"

#include <csignal>
#include <cstdio>

#include "runtime/diag/console.h"

namespace vek {

int ctsu_raise_signal(int signal) {
  if (signal == -1) return 0;
  ivek_fprintf(stderr, "RAISING SIGNAL : Signal number : %d\n", signal);
  if (std::raise(signal) != 0) {
    ivek_fprintf(stderr, "APPLICATION ERROR\n");
    return 0;
  }
  ivek_fprintf(stderr, "Raised Signal number : %d\n", signal);
  return 1;
}

}  // namespace vek
