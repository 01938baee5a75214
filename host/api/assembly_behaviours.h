// Assemblies, component paths and the coordinate systems of solids: the host functions
// with behaviour (see host/api/host_behaviours.h). A stale or unknown model answers -2 and nothing is
// touched.
#pragma once

#include "host/api/host_api.h"

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

// The coordinate systems of a live part or assembly: the host models none, so the visit
// visits nothing and answers -4 (VYN_TK_E_NOT_FOUND).
YRL_ASSEMBLY_BEHAVIOUR(VynSolidCsysVisit, VynSolid solid, VynItemVisitAction action,
                       VynItemFilterAction filter, void* app_data)

#undef YRL_ASSEMBLY_BEHAVIOUR

}  // namespace yrlhost
