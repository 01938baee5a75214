// Draft entities: their data records and curves, creation, drawing, deletion and visits.
#include "host/host_behaviours.h"
#include "host/model_store.h"

namespace yrlhost {

void drawing_entities_testing_reset() {}

}  // namespace yrlhost
