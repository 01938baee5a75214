// External data (placeholder until the module is written).
#include "host/extdata.h"
#include "host/host_testing.h"

namespace yrlhost {

std::vector<std::string> extdata_save_lines(VynMdl) { return {}; }
bool extdata_load_lines(VynMdl, const std::vector<std::string>&, std::string&) { return true; }
void extdata_model_erased(VynMdl) {}
void extdata_testing_reset() {}

}  // namespace yrlhost
