// The host's side of the plug-in's start-up.
#include "host/plugin/host_startup.h"

#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"

namespace yrlhost {
namespace {

int plugin_level = -1;

}  // namespace

VynError Behaviour<HostApi::vyndev_pass_version_info>::run(int, int level) {
  plugin_level = level;
  return 1;
}

int host_plugin_level() { return plugin_level; }

void host_startup_testing_reset() { plugin_level = -1; }

}  // namespace yrlhost
