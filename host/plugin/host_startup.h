// The host's side of the plug-in's start-up.
#pragma once

namespace yrlhost {

// The level the plug-in passed with "vyndev_pass_version_info_v"; -1 until it does.
int host_plugin_level();

}  // namespace yrlhost
