#include "toolkit/api/catalogue_output_udfreference_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/catalogue_output_udfreference.def"
