#include "toolkit/api/startup_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/startup.def"
