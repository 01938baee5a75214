// Notes with their attachments, symbol instances and dimensions.
#include "host/host_behaviours.h"
#include "host/model_store.h"

namespace yrlhost {

void drawing_annotations_model_erased(VynMdl) {}
void drawing_annotations_testing_reset() {}

}  // namespace yrlhost
