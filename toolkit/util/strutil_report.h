// The one place where the utilities hand a host call's status to the test-call report.
#pragma once

#include "toolkit/testreport/testreport.h"
#include "toolkit/tkbase.h"

// Reports the status of the host call function made by caller (texts such as
// "VynMenuCreate()"); the error flag is set for a nonzero status. Returns the status.
inline VynError util_call_report(const char* function, const char* caller, VynError status) {
  VynTestCallReport(function, caller, status, status != VYN_TK_NO_ERROR);
  return status;
}
