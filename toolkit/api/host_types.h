// Types of the host API that cross the function table: handles, records and callbacks.
// Both the toolkit's forwarding functions and the stand-in host's stubs build on them;
// every family's header includes this one.
#pragma once

#include "toolkit/api/host_base_types.h"
#include "toolkit/api/catalogue_types.h"
