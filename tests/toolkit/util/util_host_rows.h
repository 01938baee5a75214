// Host rows of the utility tests: scripted answers to the message-window reads, and a
// model with a data record, served by functions of the tests' own.
#pragma once

#include <cstring>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "host/plugin/host_table.h"
#include "tests/toolkit/toolkit_test.h"
#include "toolkit/api/host_types.h"
#include "toolkit/local/mdldata.h"

namespace utiltest {

// What the user answers, one entry per read; nullopt: gives nothing (the read fails
// with -3). An exhausted script fails every further read.
struct Script {
  std::deque<std::optional<std::u16string>> strings;
  std::deque<std::optional<int>> ints;
  std::deque<std::optional<double>> doubles;
  std::vector<int> string_max_lengths;  // the max_length of each string read
  // The messages shown: file and key.
  std::vector<std::pair<std::u16string, std::string>> messages;
  // The current model and its data.
  VynMdl current = nullptr;
  VynError current_status = 0;
  VynError data_status = 0;
  std::u16string name, type;
  std::vector<VynMdl> data_asked_for;
};

inline Script& script() {
  static Script s;
  return s;
}

template <typename T>
std::optional<T> next(std::deque<std::optional<T>>& queue) {
  if (queue.empty()) return std::nullopt;
  std::optional<T> value = queue.front();
  queue.pop_front();
  return value;
}

inline VynError string_read(int, int max_length, VynWchar* text) {
  script().string_max_lengths.push_back(max_length);
  std::optional<std::u16string> answer = next(script().strings);
  if (!answer) return VYN_TK_USER_ABORT;
  std::size_t units = std::min(answer->size(), static_cast<std::size_t>(max_length));
  std::memcpy(text, answer->data(), units * sizeof(VynWchar));
  text[units] = 0;
  return 0;
}

inline VynError int_read(int, const int*, int* value) {
  std::optional<int> answer = next(script().ints);
  if (!answer) return VYN_TK_USER_ABORT;
  *value = *answer;
  return 0;
}

inline VynError double_read(int, const double*, double* value) {
  std::optional<double> answer = next(script().doubles);
  if (!answer) return VYN_TK_USER_ABORT;
  *value = *answer;
  return 0;
}

inline VynError message_display(int, const VynWchar* file, const char* key, const void*,
                                const void*, const void*, const void*, const void*, const void*,
                                const void*, const void*, const void*, const void*, const char*) {
  script().messages.emplace_back(file, key);
  return 0;
}

inline VynError current_get(int, VynMdl* model) {
  if (script().current_status != 0) return script().current_status;
  *model = script().current;
  return 0;
}

inline VynError data_get(int, VynMdl model, VynMdldata* data) {
  script().data_asked_for.push_back(model);
  if (script().data_status != 0) return script().data_status;
  std::memset(data, 0, sizeof *data);
  std::memcpy(data->name, script().name.data(),
              std::min(script().name.size(), std::size_t{32}) * sizeof(VynWchar));
  std::memcpy(data->type, script().type.data(),
              std::min(script().type.size(), std::size_t{32}) * sizeof(VynWchar));
  return 0;
}


// The rows above, to add to a table's extra rows; also clears the script.
inline std::vector<win_export_entry> input_rows() {
  script() = Script();
  return {yrltest::host_row(&string_read, "VynMessageStringRead_v"),
          yrltest::host_row(&int_read, "VynMessageIntegerRead_v"),
          yrltest::host_row(&double_read, "VynMessageDoubleRead_v"),
          yrltest::host_row(&message_display, "VynMessageDisplay_v"),
          yrltest::host_row(&current_get, "VynMdlCurrentGet_v"),
          yrltest::host_row(&data_get, "VynMdlDataGet_v")};
}

}  // namespace utiltest
