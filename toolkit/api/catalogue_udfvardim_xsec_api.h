// Forwarding functions: host API catalogue: object words Udfvardim to Xsec (rows in catalogue_udfvardim_xsec.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/catalogue_udfvardim_xsec.def"
