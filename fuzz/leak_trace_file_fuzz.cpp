// The leak-trace file ("unreleased.memory", one "<allocation number> <size>" a line):
// the input is the file in the working directory. With marking started, 64 allocations
// are made; the allocations reported as never released are those whose numbers the
// file's records give in order, where the C library's sscanf reads each record from
// the same pieces of at most 260 bytes, and the first record that gives no number of
// 0 or more ends the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_file.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/getmem_layout.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr int kAllocations = 64;
// The longest piece of a line read at once.
constexpr int kRecordLine = 260;
constexpr char kReport[] = "won't get released.\n";

void require(bool condition) {
  if (!condition) std::abort();
}

// The allocation numbers of the file's records, as the C library reads them.
std::vector<std::uint32_t> recorded_numbers(const char* name) {
  std::vector<std::uint32_t> numbers;
  std::FILE* file = std::fopen(name, "r");
  require(file != nullptr);
  char line[kRecordLine + 1];
  while (std::fgets(line, sizeof line, file)) {
    int index = -1;
    int size = 0;
    if (std::sscanf(line, "%d %d\n", &index, &size) < 1 || index < 0) break;
    numbers.push_back(static_cast<std::uint32_t>(index) & vek::GETMEM_LOOP_MASK);
  }
  std::fclose(file);
  return numbers;
}

int count_of(const std::string& text, const std::string& piece) {
  int count = 0;
  for (std::size_t at = 0; (at = text.find(piece, at)) != std::string::npos; at += piece.size())
    ++count;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const yrltest::InTempDir dir;  // the trace file is read from the current directory
  setenv("REG_MEM_DEBUG", "1", 1);
  yrltest::reset_runtime_state();
  fuzz_write_file("unreleased.memory",
                      std::string(reinterpret_cast<const char*>(data), size));

  // Allocation n is reported when it is the number the next record gives.
  const std::vector<std::uint32_t> numbers = recorded_numbers("unreleased.memory");
  int expected = 0;
  for (std::uint32_t n = 0, next = 0; n < kAllocations && next < numbers.size(); ++n)
    if (n == numbers[next]) ++expected, ++next;

  yrltest::ConsoleCapture console;
  vek::memdebug_start_marking_blocks();
  void* blocks[kAllocations];
  for (int i = 0; i < kAllocations; ++i) blocks[i] = vek::getmem(static_cast<std::size_t>(8 + i));
  vek::memdebug_stop_marking_blocks();
  for (void* block : blocks) vek::rlsmem(block);
  require(count_of(console.out(), kReport) == expected);
  return 0;
}
