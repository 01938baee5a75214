// Section building: the picked draft entities of one view carried into the sketch plane
// of a feature's section, with the projected sketch references, the revolve axis as a
// centerline, and the host's automatic dimensioning; a failed solve is written to a
// ".ent" report shown in the information window.
#pragma once

#include "app/feature/featinfo.h"

// Fills section from the selections of view view_id (for a revolve the last selection
// is the axis); the auto-dimension status.
int YrlAddSectionEntitiesNew(const YrlDrawInfo* draw, YrlSketchValInfo* sketch, YrlDatumPointInfo* points, int type,
                             int view_id, const VynSelection* selections, int count, int datums_found,
                             const VynModelitem* first_ref, const VynModelitem* second_ref, VynSection section);
// Writes the section errors to "<drawing name>.ent" and shows it; 0 or the file's failure.
int YrlAddSectionDebugPrint(VynMdl drawing, VynSecerror errors, int count);
