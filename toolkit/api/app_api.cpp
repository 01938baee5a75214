#include "toolkit/api/app_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/app.def"
