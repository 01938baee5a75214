// Host functions with real behaviour: one specialisation of Behaviour per key, declared
// here so that the table's stubs see every one of them, and defined in the source file
// of its area. run has the row's signature: context id first for plain and dir rows,
// the text directory last for dir rows.
#pragma once

#include "host/host_api.h"

namespace yrlhost {

// Start-up (host_startup.cpp).
template <>
struct Behaviour<HostApi::vyndev_pass_version_info> {
  // Keeps the plug-in's level and accepts it (nonzero).
  static VynError run(int context, int level);
};

}  // namespace yrlhost
