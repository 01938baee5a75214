// The session's models as the host's other modules see them.
#pragma once

#include "toolkit/api/host_types.h"

namespace yrlhost {

// Whether model is a live model of the session.
bool host_model_is(VynMdl model);
// The current model; null when there is none.
VynMdl host_current_model();

}  // namespace yrlhost
