// The function table the host hands to the plug-in.
//
// Every key of every row of the toolkit's API tables and of its hand-written entries
// (host/api/host_api_rows.h) is registered with a stub of the row's own signature: it logs
// the call (host/plugin/call_log.h) and answers the key's set result, or runs the key's
// behaviour (host/api/host_behaviours.h), or, for a key without behaviour, answers "not
// available" (VYN_TK_NOT_IMPLEMENTED for a status; null, 0.0 or nothing for the other
// kinds) and marks the call so in the log; a table built with unique_results makes every
// row answer a value of its own instead (unique_result). A test can leave keys out and add keys of its own with
// recorders of the signatures it chooses, also for every row of a table of its own
// (YRL_HOST_EXTRA_ROW at the end of this file).
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/api/host_api.h"
#include "toolkit/binding/host_table.h"

namespace yrlhost {

struct HostTableOptions {
  std::vector<std::string> left_out;     // keys the table does not offer
  std::vector<win_export_entry> extra;   // further rows (extra_recorder); one whose name
                                         // is a row's key replaces that row
  bool unique_results = false;           // every row stub answers unique_result of its
                                         // row (a set answer still wins), until the next
                                         // build or host_testing_reset
};

// What a row's stub answers under unique_results, derived from the row's place in the
// tables so that no two rows of one result type answer alike: a status or handle
// 100000 + row, an address 0x5eed0000 + 16 * row (never dereferenced), a floating-point
// value row + 0.5; nothing for a function without a result.
template <typename R>
R unique_result(HostApi id) {
  int row = static_cast<int>(id);
  if constexpr (std::is_void_v<R>) {
    return;
  } else if constexpr (std::is_floating_point_v<R>) {
    return static_cast<R>(row + 0.5);
  } else if constexpr (std::is_pointer_v<R>) {
    return reinterpret_cast<R>(std::uintptr_t{0x5eed0000} + 16u * static_cast<unsigned>(row));
  } else {
    static_assert(std::is_integral_v<R> || std::is_enum_v<R>,
                  "unique_result: teach the host this result type");
    return static_cast<R>(100000 + row);
  }
}

// The table: rows sorted ascending by strcmp of their names, each name once. The names
// are the rows' key literals or the extra recorders' keys, which live until
// host_testing_reset.
std::vector<win_export_entry> host_table_build(const HostTableOptions& options = {});

// The function registered under key, null when the table lacks it.
VynHostFunction host_table_find(const std::vector<win_export_entry>& table, const char* key);

// The function the table registers for row id, typed as the row's behaviour (which has
// the row's own signature); null when the table lacks the row. For calling a host
// function as the plug-in would, through the stub that logs it.
template <HostApi id>
auto host_function(const std::vector<win_export_entry>& table) {
  return reinterpret_cast<decltype(&Behaviour<id>::run)>(host_table_find(table, host_api_key(id)));
}

// How many extra recorder keys can be live at a time (until host_testing_reset).
inline constexpr int extra_recorder_count = 16;

namespace detail {

// The keys of the extra recorders, by slot; "" for a free slot.
extern std::string extra_keys[extra_recorder_count];

// The unique_results of the last table built.
extern bool unique_results;

// The slot that holds key, taking a free one if none does; aborts when all are taken.
int extra_slot(const std::string& key);

// Logs a call of key with the arguments of a function of the given form, whose
// parameters have the types A.
template <RowForm form, typename... A>
std::size_t log_call(const char* key, const std::remove_reference_t<A>&... a) {
  std::vector<VynWord> words;
  (append_words<A>(words, a), ...);
  std::optional<int> context;
  std::optional<std::string> dir;
  if constexpr (form != RowForm::no_context) {
    static_assert(sizeof...(A) >= 1, "the context id comes first");
    using First = std::tuple_element_t<0, std::tuple<A...>>;
    static_assert(std::is_same_v<First, int>, "the context id is an int");
    context = static_cast<int>(words.front());
    words.erase(words.begin());
  }
  if constexpr (form == RowForm::dir) {
    static_assert(sizeof...(A) >= 2, "the text directory comes last");
    using Last = std::tuple_element_t<sizeof...(A) - 1, std::tuple<A...>>;
    static_assert(std::is_same_v<Last, const char*>, "the text directory is a narrow string");
    const char* text = reinterpret_cast<const char*>(words.back());
    if (text) dir = text;
    words.pop_back();
  }
  return call_log_begin(key, context, std::move(words), std::move(dir));
}

// The answer to a logged call: the key's fixed answer if there is one (a set result or
// a failure due on this call; nothing else runs), else what run gives.
template <typename R, typename Run>
R answer(const char* key, std::size_t position, Run run) {
  std::optional<VynWord> set = call_log_fixed_answer(key);
  if constexpr (std::is_void_v<R>) {
    (void)position;
    if (!set) run();
  } else {
    R result = set ? from_word<R>(*set) : run();
    call_log_end(position, to_word(result));
    return result;
  }
}

// What a row without behaviour answers: VYN_TK_NOT_IMPLEMENTED for a status (never a
// success that did nothing), the value-initialised result for the other kinds.
template <typename R>
R not_available_result(HostApi id) {
  if constexpr (std::is_void_v<R>) {
    (void)id;
    return;
  } else {
    RowKind kind = host_api_kinds[static_cast<int>(id)];
    if constexpr (std::is_integral_v<R>)
      if (kind == RowKind::status || kind == RowKind::comm) return VYN_TK_NOT_IMPLEMENTED;
    return R();
  }
}

// The body of every row stub without a behaviour, one per form and signature rather
// than per row (the rows outnumber their signatures many times over): id is the row.
// The call is logged as not available unless a test fixed its answer.
template <RowForm form, typename R, typename... A>
R serve(HostApi id, A... a) {
  const char* key = host_api_key(id);
  std::size_t position = log_call<form, A...>(key, a...);
  return answer<R>(key, position, [id, position]() -> R {
    if (unique_results) return unique_result<R>(id);
    call_log_mark_not_available(position);
    return not_available_result<R>(id);
  });
}

}  // namespace detail

// The stub of one row: Sig is the row's signature.
template <HostApi id, RowForm form, typename Sig>
struct RowStub;

template <HostApi id, RowForm form, typename R, typename... A>
struct RowStub<id, form, R(A...)> {
  static R call(A... a) {
    if constexpr (requires { &Behaviour<id>::run; }) {
      static_assert(std::is_same_v<decltype(&Behaviour<id>::run), R (*)(A...)>,
                    "a host behaviour has its row's signature");
      const char* key = host_api_key(id);
      std::size_t position = detail::log_call<form, A...>(key, a...);
      return detail::answer<R>(key, position, [&]() -> R {
        if (detail::unique_results) return unique_result<R>(id);
        return Behaviour<id>::run(a...);
      });
    } else {
      return detail::serve<form, R, A...>(id, static_cast<A>(a)...);
    }
  }
};

// A recorder of the signature Sig that knows its key by its slot.
template <RowForm form, int slot, typename Sig>
struct ExtraStub;

template <RowForm form, int slot, typename R, typename... A>
struct ExtraStub<form, slot, R(A...)> {
  static R call(A... a) {
    const char* key = detail::extra_keys[slot].c_str();
    std::size_t position = detail::log_call<form, A...>(key, a...);
    return detail::answer<R>(key, position, [] { return R(); });
  }
};

namespace detail {

template <RowForm form, typename Sig, int... slot>
VynHostFunction extra_function(int wanted, std::integer_sequence<int, slot...>) {
  static const VynHostFunction functions[] = {
      reinterpret_cast<VynHostFunction>(&ExtraStub<form, slot, Sig>::call)...};
  return functions[wanted];
}

}  // namespace detail

// A row for key whose function has the signature Sig (a function type) and takes its
// arguments in the given form; it logs its calls and answers the key's set result or
// the value-initialised result. The plug-in calls it through exactly that type.
template <typename Sig, RowForm form = RowForm::plain>
win_export_entry extra_recorder(const std::string& key) {
  int slot = detail::extra_slot(key);
  return win_export_entry{
      detail::extra_function<form, Sig>(slot, std::make_integer_sequence<int, extra_recorder_count>()),
      detail::extra_keys[slot].c_str()};
}

}  // namespace yrlhost

// A row form for YRL_HOST_ROW (host/api/host_api_rows.h) that gives, for each row, an extra
// recorder of the row's own key, form and signature, followed by a comma. A test serves
// a table of its own (a file of the rows' format) as the host serves the toolkit's:
//   std::vector<win_export_entry> rows = {
//   #define YRL_HOST_API_LIST "tests/.../table.def"
//   #define YRL_HOST_ROW YRL_HOST_EXTRA_ROW
//   #include "host/api/host_api_rows.h"
//   #undef YRL_HOST_ROW
//   };
#define YRL_HOST_EXTRA_ROW(form, kind, result, name, key, params, args) \
  ::yrlhost::extra_recorder<YRL_API_HOST_TYPE(form, result, params),   \
                            ::yrlhost::RowForm::form>(key),
