#include "toolkit/api/catalogue_2d_draw_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/catalogue_2d_draw.def"
