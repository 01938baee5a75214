// The typed parameter value record that the local parameter-value functions write and
// read and that the host's parameter functions take. Its layout is a contract with the
// host: the value type in word 0, bytes 4 to 7 unused, the value from byte 8.
#pragma once

#include <cstddef>

#include "toolkit/api/host_base_types.h"

// Value types.
enum : int {
  VYN_PARAM_DOUBLE = 50,
  VYN_PARAM_STRING = 51,
  VYN_PARAM_INTEGER = 52,
  VYN_PARAM_BOOLEAN = 53,
  VYN_PARAM_ID = 54,
  VYN_PARAM_VOID = 57,
};

// Wide characters a string value holds, terminator included.
constexpr int VYN_PARAM_STRING_SIZE = 80;

struct VynParamvalue {
  int type;
  int unused;
  union {
    double as_double;                           // 50
    VynWchar as_string[VYN_PARAM_STRING_SIZE];  // 51, with its terminator
    int as_int;                                 // 52
    short as_bool;                              // 53: a 16-bit boolean
    int as_id;                                  // 54: an int
  } value;
};
static_assert(offsetof(VynParamvalue, value) == 8);
static_assert(sizeof(VynParamvalue) == 8 + 2 * VYN_PARAM_STRING_SIZE);
