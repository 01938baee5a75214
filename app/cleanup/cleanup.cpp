#include "app/cleanup/cleanup.h"

// The Clean Up dialog is not built yet: the command does nothing.
int YrlCleanup() { return 0; }
