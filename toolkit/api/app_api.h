// Forwarding functions: host API functions that the application calls, with typed parameters (rows in app.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/app.def"
