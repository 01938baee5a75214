// Arrays, strings and external data: the host functions with behaviour (see host/host_behaviours.h).
#pragma once

#include "host/host_api.h"

namespace yrlhost {

}  // namespace yrlhost
