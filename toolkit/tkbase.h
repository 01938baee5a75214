// Types and status codes shared by the toolkit layer and the application.
#pragma once

#include "runtime/vekbase.h"

// Status of every toolkit API function: 0 for success, a negative code otherwise.
typedef int VynError;

enum : VynError {
  VYN_TK_NO_ERROR = 0,
  VYN_TK_GENERAL_ERROR = -1,
  VYN_TK_BAD_INPUTS = -2,
  VYN_TK_USER_ABORT = -3,
  VYN_TK_E_NOT_FOUND = -4,
  VYN_TK_E_FOUND = -5,
  VYN_TK_LINE_TOO_LONG = -6,
  VYN_TK_CONTINUE = -7,
  VYN_TK_BAD_CONTEXT = -8,
  VYN_TK_NOT_IMPLEMENTED = -9,
  VYN_TK_COMM_ERROR = -11,
  VYN_TK_INVALID_TYPE = -18,
  VYN_TK_BSPL_MULTI_INNER_KNOTS = -43,
  VYN_TK_BAD_SRF_CRV = -44,
  VYN_TK_APP_VERSION_MISMATCH = -96,
  VYN_TK_APP_NEW_VERSION = -98,
};

// A host name: 32 wide characters with the terminator.
typedef VynWchar VynName[32];

// Wide characters of a host file name or path buffer, terminator included.
constexpr int VYN_PATH_SIZE = 260;
