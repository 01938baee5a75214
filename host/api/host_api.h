// The host functions the stand-in host registers: one per row of the toolkit's API
// tables and of its hand-written entries (host/api/host_api_rows.h), named by the row's
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

// What a row's function answers: a status, nothing, a status whose missing function is
// a communication error (comm), a pointer, or a double.
enum class RowKind { status, none, comm, pointer, real };

// One enumerator per row, in the order of the tables.
enum class HostApi : int {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) name,
#include "host/api/host_api_rows.h"
#undef YRL_HOST_ROW
};

inline constexpr const char* host_api_keys[] = {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) key,
#include "host/api/host_api_rows.h"
#undef YRL_HOST_ROW
};

inline constexpr std::size_t host_api_count = sizeof host_api_keys / sizeof host_api_keys[0];

inline constexpr RowKind host_api_kinds[] = {
#define YRL_HOST_ROW(form, kind, result, name, key, params, args) RowKind::kind,
#include "host/api/host_api_rows.h"
#undef YRL_HOST_ROW
};

constexpr const char* host_api_key(HostApi id) { return host_api_keys[static_cast<int>(id)]; }

// What a host function does beyond logging its call. A key without a specialisation
// (host_behaviours.h) has no behaviour: it answers VYN_TK_NOT_IMPLEMENTED when its kind
// is a status (null, 0.0 or nothing otherwise) and its call is logged as not available.
// A specialisation has one function, run, with the row's own signature.
template <HostApi id>
struct Behaviour {};

}  // namespace yrlhost
