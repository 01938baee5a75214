// Forwarding functions: host API catalogue: object words Drawing to Featref (rows in catalogue_drawing_featref.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/catalogue_drawing_featref.def"
