// The host's data record of a model (VynMdlDataGet): its wide name first, then its type
// text ("PRT" for a part, "DRW" for a drawing) and the file it was loaded from or saved to.
#pragma once

#include <cstddef>

#include "toolkit/api/host_base_types.h"

struct VynMdldata {
  VynName name;
  VynName type;
  VynWchar path[VYN_PATH_SIZE];  // empty while the model has no file
};
static_assert(offsetof(VynMdldata, type) == 64 && offsetof(VynMdldata, path) == 128);
