// The whole host's reset for tests.
#include "host/host_testing.h"

namespace yrlhost {

void host_testing_reset() {
  call_log_testing_reset();
  host_table_testing_reset();
  host_startup_testing_reset();
}

}  // namespace yrlhost
