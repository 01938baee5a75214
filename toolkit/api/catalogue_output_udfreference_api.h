// Forwarding functions: host API catalogue: object words Output to Udfreference (rows in catalogue_output_udfreference.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/catalogue_output_udfreference.def"
