#include "toolkit/api/catalogue_feature_option_api.h"

#include "toolkit/api/api_define.inc"
#include "toolkit/api/catalogue_feature_option.def"
