#include "toolkit/api/catalogue_udfvardim_xsec_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/catalogue_udfvardim_xsec.def"
