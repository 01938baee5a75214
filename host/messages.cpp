// Messages (placeholder until the module is written).
#include "host/host_testing.h"

namespace yrlhost {

void messages_testing_reset() {}

}  // namespace yrlhost
