// The host objects the plug-in holds: every object the host hands out is registered
// here when it is made and taken off when it is freed, so the host can tell a live
// object from a stale or foreign pointer, and tests can see leaks.
#pragma once

#include <cstddef>

namespace yrlhost {

enum class LiveKind {
  array,          // VynArray (the address of element 0)
  selection,      // VynSelection
  selection_env,  // VynSelectionEnv
  string,         // a narrow string freed by VynStringFree
  string_array,   // a char** freed by VynStringarrayFree
  wide_string,    // a wide string held by a wide-string array
  extdata,        // external data read back, freed by VynExtdataFree
  geomitemdata,   // VynGeomitemdata, freed by VynGeomitemdataFree
  data_record,    // any other host record the plug-in frees (entity data, curve data, ...)
};
inline constexpr int live_kind_count = 9;

// The name of a kind, for failure texts ("array", "selection", ...).
const char* live_kind_name(LiveKind kind);

// Registers an object; registering a live object again is a host fault and aborts.
void live_object_add(LiveKind kind, const void* object);
// Takes an object off; false (and nothing changes) when it is not a live object of the kind.
bool live_object_remove(LiveKind kind, const void* object);
bool live_object_is(LiveKind kind, const void* object);
std::size_t live_object_count(LiveKind kind);

void live_objects_testing_reset();

}  // namespace yrlhost
