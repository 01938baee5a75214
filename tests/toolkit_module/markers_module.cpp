// A small shared object with chosen version markers, for the version walk of the tests:
// markers of the plug-in's last digit 0 (one where the jump from week 99 lands, one in a
// week that the walk skips), of digit 5, and one above the plug-in's own level.
#include "toolkit/startup/version.h"

YRL_VERSION_MARKER(252001290)
YRL_VERSION_MARKER(252002360)
YRL_VERSION_MARKER(252002365)
YRL_VERSION_MARKER(252002520)
YRL_VERSION_MARKER(252002600)
YRL_VERSION_MARKER(252002955)
YRL_VERSION_MARKER(252003200)
