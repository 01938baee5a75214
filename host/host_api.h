// The host functions the stand-in host registers: one per row of the toolkit's API
// tables and of its hand-written entries (host/host_api_rows.h), named by the row's
// function name, with the row's key and signature.
#pragma once

#include <cstddef>

#include "toolkit/api/api_host_type.inc"
#include "toolkit/api/host_types.h"
#include "toolkit/binding/host_table.h"

namespace yrlhost {

// How a function takes its arguments: context id first (plain), its own arguments only
// (no_context), or context id first and a text directory last (dir).
enum class RowForm { plain, no_context, dir };

// One enumerator per row, in the order of the tables.
enum class HostApi : int {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) name,
#include "host/host_api_rows.h"
#undef YRL_HOST_ROW
};

inline constexpr const char* host_api_keys[] = {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) key,
#include "host/host_api_rows.h"
#undef YRL_HOST_ROW
};

inline constexpr std::size_t host_api_count = sizeof host_api_keys / sizeof host_api_keys[0];

constexpr const char* host_api_key(HostApi id) { return host_api_keys[static_cast<int>(id)]; }

// What a host function does beyond logging its call. A key without a specialisation
// (host_behaviours.h) answers by its kind: 0, null, 0.0 or nothing. A specialisation
// has one function, run, with the row's own signature.
template <HostApi id>
struct Behaviour {};

}  // namespace yrlhost
