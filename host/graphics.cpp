// Selections and graphics (placeholder until the module is written).
#include "host/host_testing.h"

namespace yrlhost {

void graphics_testing_reset() {}

}  // namespace yrlhost
