// Test hooks of the stand-in host.
#pragma once

#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

namespace geom {
struct Shape;
}
struct StoredDatum;

// Puts the whole host back to its start state: the call log and the answers set per key,
// the keys of the extra recorders and what the host's own functions recorded.
void host_testing_reset();

// The parts of host_testing_reset, one per module.
void call_log_testing_reset();
void host_table_testing_reset();
void host_startup_testing_reset();
void script_testing_reset();
void events_testing_reset();
void models_testing_reset();
void arrays_testing_reset();
void extdata_testing_reset();
void messages_testing_reset();
void menus_testing_reset();
void ui_testing_reset();
void graphics_testing_reset();
void elemtrees_testing_reset();
void sections_testing_reset();
void features_testing_reset();  // the error rows handed out
void live_objects_testing_reset();

// Gives a live part a solid and datum items as a regeneration of its features would (made
// with the geometry module's calls, host/geometry/geometry.h; the features named as their origins
// are added with host_feature_add). A datum with id 0 gets a new item id of the part; the
// datums' ids go to datum_ids in order when given. False for anything but a live part.
bool part_geometry_testing_set(VynMdl part, const geom::Shape& solid,
                               std::vector<StoredDatum> datums,
                               std::vector<int>* datum_ids = nullptr);

}  // namespace yrlhost
