#include "app/parts/part_setup.h"

// The Part Setup dialog is not built yet: the command does nothing.
int YrlPartSetupMain() { return 0; }
int YrlPartSetup() { return 0; }
