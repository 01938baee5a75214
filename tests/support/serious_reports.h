// The serious-error reports (dbg_err_crash) of a test, printed and not ending the run.
#pragma once

#include <string>
#include <vector>

#include "tests/support/console_capture.h"

namespace yrltest {

// Verbose mode on, run mode 1, crash-out off: each report prints "name:  message\n",
// then the "continuing" line, and the caller goes on.
void print_serious_reports();

// Serious reports on and the console captured for the length of a scope.
class SeriousReports {
 public:
  SeriousReports() { print_serious_reports(); }

  // The report lines printed so far, without their "continuing" lines or newlines.
  std::vector<std::string> lines() const;
  void clear() { capture_.clear(); }

 private:
  ConsoleCapture capture_;
};

}  // namespace yrltest
