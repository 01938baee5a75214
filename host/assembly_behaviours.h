// Assemblies and component paths: the host functions with behaviour (see
// host/host_behaviours.h). A stale or unknown model answers -2 and nothing is touched.
#pragma once

#include "host/host_api.h"

namespace yrlhost {

#define YRL_ASSEMBLY_BEHAVIOUR(name, ...)  \
  template <>                              \
  struct Behaviour<HostApi::name> {        \
    static VynError run(int, __VA_ARGS__); \
  };

// The model a component feature of a live assembly places; -4 for a feature of the
// assembly that is no component.
YRL_ASSEMBLY_BEHAVIOUR(VynAsmcompMdlGet, VynAsmcomp* component, VynMdl* model)
// A path of count component ids (0 to 25) from a live assembly, each a component of the
// model the ids before it lead to; the entry after the last is -1 (when there is room).
// -2 for an id that is no such component.
YRL_ASSEMBLY_BEHAVIOUR(VynAsmcomppathInit, VynSolid assembly, int* component_ids, int count,
                       VynAsmcomppath* path)
// The model a path leads to (its owner for an empty path); -2 for a path that leads
// nowhere.
YRL_ASSEMBLY_BEHAVIOUR(VynAsmcomppathMdlGet, VynAsmcomppath* path, VynMdl* model)

#undef YRL_ASSEMBLY_BEHAVIOUR

}  // namespace yrlhost
