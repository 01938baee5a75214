// Which rows of the host's table have behaviour, and the rows of the application's
// table (toolkit/api/app.def) that have none yet, each with the reason. A row without
// behaviour answers "not available" (host/api/host_api.h); the host's tests fail for every
// row of the application's table that has no behaviour and is not listed here, and for
// every listed row that has gained one (delete it from the list then).
#pragma once

#include <array>

#include "host/api/host_behaviours.h"

namespace yrlhost {

template <HostApi id>
inline constexpr bool row_has_behaviour = requires { &Behaviour<id>::run; };

// Per row of the host's table, in the order of HostApi.
inline constexpr bool host_api_has_behaviour[] = {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) row_has_behaviour<HostApi::name>,
#include "host/api/host_api_rows.h"
#undef YRL_HOST_ROW
};

struct RowNotReached {
  HostApi row;
  const char* reason;
};

// ==== Rows of the application's table not reached yet ====================================
// Every row has behaviour now. A row added to the application's table before its
// behaviour goes here, with its reason (and the array's size with it).
inline constexpr std::array<RowNotReached, 0> app_rows_not_reached{};
// ==== End of the rows not reached yet ===================================================

}  // namespace yrlhost
