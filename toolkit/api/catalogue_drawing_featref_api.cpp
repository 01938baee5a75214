#include "toolkit/api/catalogue_drawing_featref_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/catalogue_drawing_featref.def"
