// Runs the date-note formatter on arbitrary wide formats with arbitrary dates and
// clocks, into an output of exactly the documented size (so a write past it is caught),
// and checks that the output is terminated within it.
//
// Input: a clock-mode byte, seven 32-bit values (year, month, day, hour, minute,
// second, unused), then the format as 16-bit units. Half the units are mapped onto the
// keywords' letters, '%' and blanks, so that most formats hold keywords.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "runtime/system/dates.h"

namespace {

int value32(FuzzInput& in) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v = v << 8 | static_cast<std::uint32_t>(in.byte());
  // Mostly small values, now and then any.
  return (v & 0x80000000u) ? static_cast<int>(v) : static_cast<int>(v % 4000);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzInput in{data, size};
  static constexpr int kModes[] = {0, 12, 24, 1, -1};
  int mode = kModes[in.below(5)];
  int values[7];
  for (int& v : values) v = value32(in);
  static constexpr char16_t kUnits[] = u"%yMmodnthO %-.,";
  std::vector<char16_t> format;
  while (!in.done() && format.size() < 200) {
    int unit = in.byte() | in.byte() << 8;
    format.push_back((unit & 1) ? kUnits[(unit >> 1) % (sizeof kUnits / 2 - 1)]
                                : static_cast<char16_t>(unit == 0 ? 'x' : unit));
  }
  format.push_back(0);
  std::unique_ptr<char16_t[]> out(new char16_t[vek::DATE_NOTE_OUT_SIZE]);
  int result = vek::format_date_time_string(format.data(), values[0], values[1], values[2],
                                            mode, values[3], values[4], values[5], out.get());
  if (result != 1) std::abort();
  int length = 0;
  while (length < vek::DATE_NOTE_OUT_SIZE && out[length] != 0) ++length;
  if (length == vek::DATE_NOTE_OUT_SIZE) std::abort();
  vek::format_date_string(format.data(), values[0], values[1], values[2], out.get());
  return 0;
}
