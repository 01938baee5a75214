// UI dialogs (placeholder until the module is written).
#include "host/host_testing.h"

namespace yrlhost {

void ui_testing_reset() {}

}  // namespace yrlhost
