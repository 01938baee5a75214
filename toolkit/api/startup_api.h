// Forwarding functions of the start-up protocol (rows in startup.def).
#pragma once

#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/startup.def"
