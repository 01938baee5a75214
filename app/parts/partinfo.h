// What the current drawing and the active part are, filled once at the start of a feature
// command.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

struct YrlDrawInfo {
  VynMdl drawing;           // the current model, a drawing
  VynName name;             // its name
  int window;               // the current window
  int sheet;                // the current sheet
  int view_count;           // named 2-D views declared in the drawing
  VynWchar sheet_size[64];  // the sheet's size name
  double sheet_trf[4][4];   // the sheet's transform, diagonal divided by the drawing scale
};

struct YrlPartInfo {
  VynMdl part;            // the active part
  VynName name;           // its name
  int model_type;         // 2 (a part)
  int datums_found;       // 1 when TOP, FRONT and RIGHT were all found
  VynModelitem top;       // first surface of the datum plane "TOP"
  VynModelitem front;     // of "FRONT"
  VynModelitem right;     // of "RIGHT"
  int has_first_feature;  // 1 when the part already has a base feature
};

// Fills info from the current drawing; 0, or a failure status after telling the user
// (-1 when no views are declared or the drawing has no name).
int YrlDrawInfoFill(YrlDrawInfo* info);
// Fills info from the active part; 0, or -1 after telling the user to set up a part.
int YrlPartInfoFill(YrlPartInfo* info);
