// The binding of the toolkit API to the host's functions by name.
//
// Every forwarding function owns a slot, null at load. Its first call with an empty slot
// looks its key up in the host's table; a hit fills the slot for good, a miss is reported
// and the function returns the missing-function result of its kind, leaving the slot
// empty so that the next call looks again. A bound call costs one indirect call.
#pragma once

#include <type_traits>

#include "toolkit/api/api_host_type.inc"
#include "toolkit/binding/host_table.h"
#include "toolkit/tkbase.h"

// The function stored under name in the host's table (win_export_functions, sorted by
// strcmp, each name once), or null. A binary search that ends with at most two
// candidates, so every name of the table is found; an empty table reads no row.
VynHostFunction get_vyn_funcptr_by_name(const char* name);

// One slot per forwarding function: the rows of every API table, then the hand-written
// entries (clnt_entries.h).
enum YrlApiSlot : int {
#define YRL_API_FORMS "toolkit/binding/slot_forms.inc"
#include "toolkit/api/api_tables.def"
#undef YRL_API_FORMS
// The hand-written entries' slots come from their host rows, which name every entry
// that reaches the host.
#include "toolkit/binding/slot_forms.inc"
#include "toolkit/binding/clnt_entries.def"
  YRL_SLOT_COUNT
};

extern VynHostFunction yrl_api_slots[YRL_SLOT_COUNT];

// What a forwarding function returns when its host function is missing: status -1,
// comm -11, pointer (or handle) null, none nothing, real 0.0.
enum class YrlKind { status, comm, pointer, none, real };

template <YrlKind K, typename Result>
inline Result yrl_missing_result() {
  if constexpr (K == YrlKind::none) {
    static_assert(std::is_void_v<Result>, "kind none returns nothing");
    return;
  } else if constexpr (K == YrlKind::status || K == YrlKind::comm) {
    static_assert(std::is_same_v<Result, VynError>, "status kinds return a VynError");
    return K == YrlKind::status ? VYN_TK_GENERAL_ERROR : VYN_TK_COMM_ERROR;
  } else if constexpr (K == YrlKind::real) {
    static_assert(std::is_same_v<Result, double>, "kind real returns a double");
    return 0.0;
  } else {
    static_assert(std::is_pointer_v<Result> || std::is_integral_v<Result>,
                  "kind pointer returns a pointer or a handle");
    return Result{};
  }
}

// Fills an empty slot from the table; when the key is not there, reports under
// report_name and returns null.
VynHostFunction yrl_bind(VynHostFunction* slot, const char* key, const char* report_name);

// The forwarding shape: the host function is called through Sig, the function type of
// its row (YRL_API_HOST_TYPE, toolkit/api/api_host_type.inc), so that the call matches
// the host's function built from the same row whatever the argument expressions are,
// references included. The words are converted to Sig's parameter types (the context
// id, when the caller passes one, is read at each call), and the result goes back
// unchanged.
template <YrlKind K, typename Sig>
struct YrlForward;

template <YrlKind K, typename R, typename... P>
struct YrlForward<K, R(P...)> {
  template <typename... Words>
  static R call(VynHostFunction* slot, const char* key, const char* report_name,
                Words&&... words) {
    VynHostFunction function = *slot ? *slot : yrl_bind(slot, key, report_name);
    if (!function) return yrl_missing_result<K, R>();
    return reinterpret_cast<R (*)(P...)>(function)(static_cast<Words&&>(words)...);
  }
};

template <YrlKind K, typename Sig, typename... Words>
inline auto yrl_forward(VynHostFunction* slot, const char* key, const char* report_name,
                        Words&&... words) {
  return YrlForward<K, Sig>::call(slot, key, report_name, static_cast<Words&&>(words)...);
}

// ", a, b" for the parenthesised list (a, b), nothing for (): appends a row's own
// arguments behind the words that stand before them.
#define YRL_API_TAIL(...) __VA_OPT__(, ) __VA_ARGS__
