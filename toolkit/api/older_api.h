// Forwarding functions: older-style API families (lower-case names grouped by prefix) (rows in older.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/older.def"
