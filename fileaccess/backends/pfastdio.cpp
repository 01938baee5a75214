#include "fileaccess/backends/pfastdio.h"

#include <cstring>

#include "fileaccess/backends/pfafs.h"
#include "fileaccess/core/pfacomp.h"
#include "fileaccess/core/pfaloc.h"

namespace vek {

namespace {
constexpr char kPrefix[] = "stdio://";
constexpr int kPrefixLength = 8;
}  // namespace

int pfa_stdio_claim_location(VynFile* file, void* text, void* colon, void* name_offset) {
  const char* name = static_cast<const char*>(text);
  if (!name || colon != name + 5 || std::strncmp(name, kPrefix, kPrefixLength) != 0)
    return PFA_E_INVALID_INPUT;
  const char* rest = name + kPrefixLength;
  if (std::strcmp(rest, "err") != 0 && std::strcmp(rest, "in") != 0 &&
      std::strcmp(rest, "out") != 0)
    return PFA_E_INVALID_INPUT;
  if (pfa_put_component_len(file, 1, kPrefix, kPrefixLength, 0)) return PFA_E_INVALID_INPUT;
  if (name_offset) *static_cast<int*>(name_offset) = kPrefixLength;
  return PFA_E_NO_ERROR;
}

int pfa_stdio_location_string(VynFile* file, void* buffer, void* length, int limit) {
  return pfa_append_component(file, 1, static_cast<char*>(buffer), static_cast<int*>(length),
                              limit);
}

int pfa_stdio_register() {
  constexpr int type = static_cast<int>(PFA_LOC_STDIO);
  if (!pfa_loc_register_setup(type)) return 0;
  pfa_loc_method_register(type, PfaClaimLocation, PLM_CALL_FPPP,
                          reinterpret_cast<PfaLocMethod>(&pfa_stdio_claim_location));
  pfa_loc_method_register(type, PfaGetLocationString, PLM_CALL_FPPS,
                          reinterpret_cast<PfaLocMethod>(&pfa_stdio_location_string));
  pfa_loc_method_register(type, PfaGetNeutralLocation, PLM_CALL_FPPS,
                          reinterpret_cast<PfaLocMethod>(&pfa_stdio_location_string));
  return pfa_loc_register_setup(PFA_LOC_NONE);
}

}  // namespace vek
