#include "tests/support/serious_reports.h"

#include <sstream>

#include "runtime/diag/diag.h"
#include "runtime/diag/runmode.h"

namespace yrltest {

void print_serious_reports() {
  vek::set_verbose_mode(1);
  vek::set_run_mode(1);
  vek::set_dbg_err_crash(0);
}

std::vector<std::string> SeriousReports::lines() const {
  static const char kContinuing[] = "dbg_err_crash() -- continuing from serious error";
  std::vector<std::string> lines;
  std::istringstream in(capture_.out());
  for (std::string line; std::getline(in, line);)
    if (line.rfind(kContinuing, 0) != 0) lines.push_back(line);
  return lines;
}

}  // namespace yrltest
