// Forwarding functions: host API catalogue: object words Feature to Option (rows in catalogue_feature_option.def).
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"
// VynGtolleadersFree, a member of this family written by hand, is declared there.
#include "toolkit/binding/clnt_entries.h"

#include "toolkit/api/api_declare.inc"
#include "toolkit/api/catalogue_feature_option.def"
