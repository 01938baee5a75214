// The view map of a part: pairs the drawing's declared 2-D views with the sides of the
// part's datum planes, stores the pairs in the drawing ("Y_P" slots) and makes general
// drawing views of the part on a sheet of its own.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// The command entry: drawing null means the current model. auto_map 1 pairs the matching
// names at once; show_dialog 1 opens the dialog when that is not enough.
int YrlAutoView(VynMdl part, VynMdl drawing, int auto_map, int show_dialog);
