// Models (placeholder until the module is written).
#include "host/models.h"
#include "host/host_testing.h"

namespace yrlhost {

bool host_model_is(VynMdl) { return false; }
VynMdl host_current_model() { return nullptr; }
void models_testing_reset() {}

}  // namespace yrlhost
