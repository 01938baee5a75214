#include "fileaccess/backends/pfafs.h"

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"

namespace vek {

// The methods of each type are registered between its setup and the closing setup(0).

int pfa_register_std_filesystem() {
  if (!pfa_loc_register_setup(static_cast<int>(PFA_LOC_STD_FILESYSTEM))) return 0;
  pfa_loc_register_setup(PFA_LOC_NONE);
  return pfa_stdio_register();
}

int pfa_register_unc_filesystem() {
  if (!pfa_loc_register_setup(PFA_LOC_UNC)) return 0;
  return pfa_loc_register_setup(PFA_LOC_NONE);
}

}  // namespace vek
