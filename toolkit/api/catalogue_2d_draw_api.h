// Forwarding functions: host API catalogue: object words 2d to Draw (rows in catalogue_2d_draw.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/catalogue_2d_draw.def"
