// Registration of the location types of this system: local files and drive paths, the
// standard streams and UNC paths.
#pragma once

namespace vek {

// Registers the local file system (type 1), then the standard streams (type 8).
int pfa_register_std_filesystem();
// Registers the standard streams (type 8); in pfastdio.cpp.
int pfa_stdio_register();
// Registers UNC paths (type 4).
int pfa_register_unc_filesystem();

}  // namespace vek
