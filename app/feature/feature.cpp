#include "app/feature/feature.h"

// The feature dialog is not built yet: the command does nothing.
int YrlFeatureCreate(int) { return 0; }
