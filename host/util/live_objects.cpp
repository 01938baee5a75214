// The registry of live host objects.
#include "host/util/live_objects.h"

#include <cstdio>
#include <cstdlib>
#include <set>

#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

std::set<const void*>& objects(LiveKind kind) {
  static std::set<const void*> sets[live_kind_count];
  return sets[static_cast<int>(kind)];
}

}  // namespace

const char* live_kind_name(LiveKind kind) {
  static const char* const names[live_kind_count] = {
      "array",  "selection", "selection_env", "string",     "string_array",
      "wide_string", "extdata", "geomitemdata", "data_record"};
  return names[static_cast<int>(kind)];
}

void live_object_add(LiveKind kind, const void* object) {
  if (!objects(kind).insert(object).second) {
    std::fprintf(stderr, "yrlhost: %s %p registered twice\n", live_kind_name(kind), object);
    std::abort();
  }
}

bool live_object_remove(LiveKind kind, const void* object) {
  return objects(kind).erase(object) == 1;
}

bool live_object_is(LiveKind kind, const void* object) {
  return objects(kind).count(object) == 1;
}

std::size_t live_object_count(LiveKind kind) { return objects(kind).size(); }

void live_objects_testing_reset() {
  for (int kind = 0; kind < live_kind_count; ++kind) objects(static_cast<LiveKind>(kind)).clear();
}

}  // namespace yrlhost
