#include "app/views/view_setup.h"

// The View Setup dialog is not built yet: the command does nothing.
int YrlViewSetup() { return 0; }
