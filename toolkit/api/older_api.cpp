#include "toolkit/api/older_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/older.def"
