// The call log and the answers set per key.
#include "host/plugin/call_log.h"

#include <algorithm>
#include <map>
#include <ostream>

#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

// Function-local so that nothing runs before main; both are put back by
// host_testing_reset.
std::vector<CallRecord>& records() {
  static std::vector<CallRecord> log;
  return log;
}

// How many records the log held before its last clear: positions count on across
// clears, so a call that was under way when the log was cleared finds its record gone
// rather than filling in a later call's.
std::size_t& cleared_records() {
  static std::size_t count = 0;
  return count;
}

std::map<std::string, VynWord, std::less<>>& set_results() {
  static std::map<std::string, VynWord, std::less<>> results;
  return results;
}

struct DueFailure {
  int calls_left;  // calls still to come before the failing one, which is the next at 1
  VynWord result;
};

std::map<std::string, DueFailure, std::less<>>& due_failures() {
  static std::map<std::string, DueFailure, std::less<>> failures;
  return failures;
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const CallRecord& record) {
  out << record.key << "(";
  const char* separator = "";
  if (record.context) {
    out << "context " << *record.context;
    separator = "; ";
  }
  if (!record.words.empty()) {
    out << separator;
    for (std::size_t i = 0; i < record.words.size(); ++i) out << (i ? ", " : "") << record.words[i];
    separator = "; ";
  }
  if (record.dir) out << separator << "dir \"" << *record.dir << "\"";
  out << ")";
  if (record.result) out << " -> " << *record.result;
  if (record.not_available) out << " [not available]";
  return out;
}

const std::vector<CallRecord>& call_log() { return records(); }

void call_log_clear() {
  cleared_records() += records().size();
  records().clear();
}

std::vector<CallRecord> call_log_of(const std::string& key) {
  std::vector<CallRecord> calls;
  for (const CallRecord& record : records())
    if (record.key == key) calls.push_back(record);
  return calls;
}

std::size_t call_log_begin(const char* key, std::optional<int> context,
                           std::vector<VynWord> words, std::optional<std::string> dir) {
  records().push_back(CallRecord{key, context, std::move(words), std::move(dir), std::nullopt});
  return cleared_records() + records().size() - 1;
}

namespace {

// The record begun at position; null when a clear since then took it (a callback that
// clears the log while the call is under way).
CallRecord* record_at(std::size_t position) {
  if (position < cleared_records()) return nullptr;
  std::size_t index = position - cleared_records();
  return index < records().size() ? &records()[index] : nullptr;
}

}  // namespace

void call_log_end(std::size_t position, VynWord result) {
  if (CallRecord* record = record_at(position)) record->result = result;
}

void call_log_mark_not_available(std::size_t position) {
  if (CallRecord* record = record_at(position)) record->not_available = true;
}

std::vector<std::string> call_log_not_available() {
  std::vector<std::string> keys;
  for (const CallRecord& record : records())
    if (record.not_available && std::find(keys.begin(), keys.end(), record.key) == keys.end())
      keys.push_back(record.key);
  return keys;
}

void call_log_set_result_word(const std::string& key, VynWord result) {
  set_results()[key] = result;
}

void call_log_clear_result(const std::string& key) { set_results().erase(key); }

void call_log_fail_on_call(const std::string& key, int n, VynWord result) {
  if (n < 1) {
    due_failures().erase(key);
    return;
  }
  due_failures()[key] = DueFailure{n, result};
}

std::optional<VynWord> call_log_fixed_answer(const char* key) {
  auto set = set_results().find(key);
  if (set != set_results().end()) return set->second;
  auto due = due_failures().find(key);
  if (due == due_failures().end()) return std::nullopt;
  if (--due->second.calls_left > 0) return std::nullopt;
  VynWord result = due->second.result;
  due_failures().erase(due);
  return result;
}

void call_log_testing_reset() {
  call_log_clear();
  set_results().clear();
  due_failures().clear();
}

}  // namespace yrlhost
