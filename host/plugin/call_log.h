// The record of everything the plug-in asks of the host, and the answers a test sets.
//
// Every host function logs one record when it is called (before it does anything, so
// calls that nest keep their order) and fills the result in when it returns. A test
// can fix the answer of any key: a key with a set result does nothing but answer it.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <iterator>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "runtime/vekbase.h"

namespace yrlhost {

struct CallRecord {
  std::string key;                 // the lookup key the function is registered under
  std::optional<int> context;      // the context id, for functions that take one
  std::vector<VynWord> words;      // the function's own arguments as append_words
                                   // gives them: one word each, a record by value one
                                   // word per sizeof(VynWord) bytes
  std::optional<std::string> dir;  // the text directory passed last, for the rows that
                                   // take one (nullopt also when it was null)
  std::optional<VynWord> result;   // the answer as a word; none for functions without one
  bool not_available = false;      // the function has no behaviour in the host: it
                                   // answered "not available" (host/api/host_api.h)

  bool operator==(const CallRecord&) const = default;
};

// key(context; words; dir) -> result [not available], for test failures and traces.
std::ostream& operator<<(std::ostream& out, const CallRecord& record);

// Every call since the last clear, in call order.
const std::vector<CallRecord>& call_log();
void call_log_clear();

// The calls of one key, in call order.
std::vector<CallRecord> call_log_of(const std::string& key);

// Starts the record of a call and returns its number for call_log_end; the numbers go
// on across clears, so ending a call whose record was cleared changes nothing.
std::size_t call_log_begin(const char* key, std::optional<int> context,
                           std::vector<VynWord> words, std::optional<std::string> dir);
void call_log_end(std::size_t position, VynWord result);
// Marks the call begun at position as one the host has no behaviour for.
void call_log_mark_not_available(std::size_t position);
// The keys of the calls marked not available since the last clear, each once, in the
// order of their first call.
std::vector<std::string> call_log_not_available();

// Fixes the answer of a key until it is cleared; the key then does nothing but answer.
void call_log_set_result_word(const std::string& key, VynWord result);
void call_log_clear_result(const std::string& key);

// Makes the n-th call of key from now on (1: the next one) do nothing but answer result
// (by default -1, VYN_TK_GENERAL_ERROR); the calls before and after it run as usual.
// A later call for the same key replaces the earlier one.
void call_log_fail_on_call(const std::string& key, int n, VynWord result = -1);

// The answer of the call of key that is starting, when it is fixed: the key's set
// result, or the failure due on this call. Counts the call for call_log_fail_on_call,
// so it is asked once per call.
std::optional<VynWord> call_log_fixed_answer(const char* key);

// One argument or result as a word: integers and enumerations by value, pointers by
// address (a handle, an array parameter, a callback: the function's address),
// floating-point values by the bits of their double.
template <typename T>
VynWord to_word(T value) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::bit_cast<VynWord>(static_cast<double>(value));
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<VynWord>(value);
  } else if constexpr (std::is_null_pointer_v<T>) {
    return 0;
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return static_cast<VynWord>(value);
  } else {
    static_assert(std::is_floating_point_v<T>, "to_word: teach the call log this argument type");
    return 0;
  }
}

// Appends one argument of a parameter of type T to the words of a call: a reference by
// the address it refers to, a record passed by value by its bytes (one word per
// sizeof(VynWord) bytes, the last one filled up with zeros; padding bytes are copied as
// they are), anything else as to_word gives it.
template <typename T>
void append_words(std::vector<VynWord>& words, const std::remove_reference_t<T>& value) {
  using Value = std::remove_cvref_t<T>;
  if constexpr (std::is_reference_v<T>) {
    words.push_back(reinterpret_cast<VynWord>(&value));
  } else if constexpr (std::is_class_v<Value>) {
    static_assert(std::is_trivially_copyable_v<Value>, "a record passed by value is plain data");
    VynWord bytes[(sizeof(Value) + sizeof(VynWord) - 1) / sizeof(VynWord)] = {};
    std::memcpy(bytes, &value, sizeof(Value));
    words.insert(words.end(), std::begin(bytes), std::end(bytes));
  } else {
    words.push_back(to_word(value));
  }
}

// The inverse of to_word, for answers set as words.
template <typename T>
T from_word(VynWord word) {
  if constexpr (std::is_floating_point_v<T>) {
    return static_cast<T>(std::bit_cast<double>(word));
  } else if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<T>(word);
  } else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) {
    return static_cast<T>(word);
  } else {
    static_assert(std::is_floating_point_v<T>, "from_word: teach the call log this result type");
    return T{};
  }
}

template <typename T>
void call_log_set_result(const std::string& key, T result) {
  call_log_set_result_word(key, to_word(result));
}

}  // namespace yrlhost
