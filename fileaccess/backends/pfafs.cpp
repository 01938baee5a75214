#include "fileaccess/backends/pfafs.h"

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaloc.h"

namespace vek {

namespace {

// Which location component is the host, the device and the path of a local name.
int pfafs_host_idx(VynFile*) { return 0; }
int pfafs_device_idx(VynFile*) { return 1; }
int pfafs_path_idx(VynFile*) { return 2; }

template <typename F>
PfaLocMethod as_method(F* function) {
  return reinterpret_cast<PfaLocMethod>(function);
}

}  // namespace

// The methods of each type are registered between its setup and the closing setup(0).

int pfa_register_std_filesystem() {
  constexpr int type = static_cast<int>(PFA_LOC_STD_FILESYSTEM);
  if (!pfa_loc_register_setup(type)) return 0;
  pfa_loc_method_register(type, PfaDeviceIdx, PLM_CALL_F, as_method(&pfafs_device_idx));
  pfa_loc_method_register(type, PfaHostIdx, PLM_CALL_F, as_method(&pfafs_host_idx));
  pfa_loc_method_register(type, PfaPathIdx, PLM_CALL_F, as_method(&pfafs_path_idx));
  pfa_loc_register_setup(PFA_LOC_NONE);
  return pfa_stdio_register();
}

int pfa_register_unc_filesystem() {
  if (!pfa_loc_register_setup(PFA_LOC_UNC)) return 0;
  // A network name is handled as a local one except where the whole name matters.
  pfa_loc_type_inherit_methods(PFA_LOC_UNC, static_cast<int>(PFA_LOC_STD_FILESYSTEM));
  return pfa_loc_register_setup(PFA_LOC_NONE);
}

}  // namespace vek
