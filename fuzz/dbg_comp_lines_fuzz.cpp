// The word-by-word line comparison on two arbitrary lines of any length (cut at a zero
// byte) with drawn flags and tolerances: no crash, no sanitizer report, an answer of 0 or
// 1, a line always matches itself without the blank check, and a line without line-end
// characters matches its copies ended by "\n" and by "\r\n". Reports go to "dbgfile.dat"
// in the test's temporary directory.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input.h"
#include "runtime/tools/dbgcomp.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static yrltest::InTempDir* dir = new yrltest::InTempDir();
  (void)dir;
  FuzzInput in{data, size};
  int flags = in.byte();
  double tolerances[] = {0, 1e-9, 1e-6, 1e-3, 0.5, 2, 1e9};
  double abs_eps = tolerances[in.below(7)];
  double rel_eps = tolerances[in.below(7)];
  std::string lines[2];
  for (std::string& line : lines) {
    while (!in.done()) {
      int b = in.byte();
      if (b == 0) break;
      line += static_cast<char>(b);
    }
  }
  int result = vek::dbg_comp_two_lines(lines[0].c_str(), lines[1].c_str(), 1, flags & 1,
                                       flags & 2, abs_eps, rel_eps, flags & 4, "a", "b");
  if (result != 0 && result != 1) std::abort();
  if (vek::dbg_comp_two_lines(lines[0].c_str(), lines[0].c_str(), 1, 0, flags & 2, abs_eps,
                              rel_eps, 0, "a", "a") != 0)
    std::abort();
  if (lines[0].find_first_of("\r\n") == std::string::npos &&
      vek::dbg_comp_two_lines((lines[0] + "\r\n").c_str(), (lines[0] + "\n").c_str(), 1, 0,
                              flags & 2, abs_eps, rel_eps, 0, "a", "a") != 0)
    std::abort();
  yrltest::reset_runtime_state();
  return 0;
}
