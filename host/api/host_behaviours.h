// Host functions with real behaviour: one specialisation of Behaviour per key, declared
// in the header of its area (below) so that the table's stubs see every one of them, and
// defined in the source files of that area. run has the row's signature: context id
// first for plain and dir rows, the text directory last for dir rows.
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// Start-up (host_startup.cpp).
template <>
struct Behaviour<HostApi::vyndev_pass_version_info> {
  // Keeps the plug-in's level and accepts it (nonzero).
  static VynError run(int context, int level);
};

}  // namespace yrlhost

#include "host/api/models_behaviours.h"    // session, models, parts, features, notifications
#include "host/api/data_behaviours.h"      // arrays, strings, external data
#include "host/api/messages_behaviours.h"  // messages, menus, commands
#include "host/api/ui_behaviours.h"        // UI dialogs and their components
#include "host/api/graphics_behaviours.h"  // selections, mouse, windows, graphics
#include "host/api/drawing_behaviours.h"   // sheets, drawing views, entities, notes, dimensions, layers
#include "host/api/elemtree_behaviours.h"  // element trees, element values, element paths
#include "host/api/section_behaviours.h"   // sections and section error lists
#include "host/api/feature_behaviours.h"   // features from element trees
#include "host/api/assembly_behaviours.h"  // assemblies and component paths
#include "host/api/older_menu_behaviours.h"  // the older menus
