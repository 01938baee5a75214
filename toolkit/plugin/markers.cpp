// The version markers of the plug-in file: the host levels at which the plug-in started
// to need something newer. The version check looks for them among the file's exports.
#include "toolkit/startup/version.h"

YRL_VERSION_MARKER(252001290)
YRL_VERSION_MARKER(252001330)
YRL_VERSION_MARKER(252001360)
YRL_VERSION_MARKER(252001490)
YRL_VERSION_MARKER(252002070)
YRL_VERSION_MARKER(252002090)
YRL_VERSION_MARKER(252002110)
YRL_VERSION_MARKER(252002190)
YRL_VERSION_MARKER(252002230)
YRL_VERSION_MARKER(252002360)
