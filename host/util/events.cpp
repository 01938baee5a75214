// The host's event list.
#include "host/util/events.h"

#include <utility>

#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

std::vector<std::string>& events() {
  static std::vector<std::string> list;
  return list;
}

}  // namespace

void host_event(std::string text) { events().push_back(std::move(text)); }

const std::vector<std::string>& host_events() { return events(); }

void events_testing_reset() { events().clear(); }

}  // namespace yrlhost
