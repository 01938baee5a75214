// The stubs of the rows, built in parts: each part's source instantiates the stubs of
// the rows whose place in the tables is its part number modulo host_row_stub_parts, so
// that the ~2,700 stubs compile in parallel. Every part lists every row (null for the
// rows of other parts); host_table.cpp takes each row's stub from its part.
#pragma once

#include "host/plugin/host_table.h"

namespace yrlhost::detail {

inline constexpr int host_row_stub_parts = 4;

extern const VynHostFunction row_stubs_part0[host_api_count];
extern const VynHostFunction row_stubs_part1[host_api_count];
extern const VynHostFunction row_stubs_part2[host_api_count];
extern const VynHostFunction row_stubs_part3[host_api_count];

// The stub of row id when the row belongs to part; null, and nothing instantiated,
// otherwise.
template <int part, HostApi id, RowForm form, typename Sig>
VynHostFunction part_stub() {
  if constexpr (static_cast<int>(id) % host_row_stub_parts == part) {
    return reinterpret_cast<VynHostFunction>(&RowStub<id, form, Sig>::call);
  } else {
    return nullptr;
  }
}

}  // namespace yrlhost::detail
