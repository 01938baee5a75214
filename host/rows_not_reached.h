// Which rows of the host's table have behaviour, and the rows of the application's
// table (toolkit/api/app.def) that have none yet, each with the reason. A row without
// behaviour answers "not available" (host/host_api.h); the host's tests fail for every
// row of the application's table that has no behaviour and is not listed here, and for
// every listed row that has gained one (delete it from the list then).
#pragma once

#include "host/host_behaviours.h"

namespace yrlhost {

template <HostApi id>
inline constexpr bool row_has_behaviour = requires { &Behaviour<id>::run; };

// Per row of the host's table, in the order of HostApi.
inline constexpr bool host_api_has_behaviour[] = {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) row_has_behaviour<HostApi::name>,
#include "host/host_api_rows.h"
#undef YRL_HOST_ROW
};

struct RowNotReached {
  HostApi row;
  const char* reason;
};

inline constexpr const char* not_reached_part_modelling =
    "part modelling (features, sections, geometry): not built yet";

// ==== Rows of the application's table not reached yet ====================================
// When a row gains behaviour, delete its line here.
inline constexpr RowNotReached app_rows_not_reached[] = {
    // ---- Part modelling
    {HostApi::VynEdgeNeighborsGet, not_reached_part_modelling},
    {HostApi::VynGeometryAtPointFind, not_reached_part_modelling},
    {HostApi::VynGeomitemToEdge, not_reached_part_modelling},
};
// ==== End of the rows not reached yet ===================================================

}  // namespace yrlhost
