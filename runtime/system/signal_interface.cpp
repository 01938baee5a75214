#include "runtime/system/signal_interface.h"

#include <csignal>

namespace vek {

// Until the signal layer installs its own handler sets, the C library's installer.
int vek_set_signal_handler(int signal, void (*handler)(int)) {
  std::signal(signal, handler);
  return 0;
}

}  // namespace vek
