#include "app/parts/autoview.h"

// The view map is not built yet: nothing is mapped.
int YrlAutoView(VynMdl, VynMdl, int, int) { return 0; }
