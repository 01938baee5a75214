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

// ---- Picks that feed the other sketches ------------------------------------------------

// The revolve axis: one line of the profile's view; the datum-axis references follow.
int YrlSketchRevAxisSelect(YrlFeatInfo* info);
int YrlSketchAxisInfoSet(YrlFeatInfo* info, VynSelection selection);
// The three references of the datum axis along the revolve axis; -1 outside the
// orthographic groups.
int YrlUtilDatumAxisRefGet(YrlFeatInfo* info);
// The hole's circle or arc: one pick, its centre (model units) and diameter.
int YrlFeatInfoHoleProfileSelect(YrlFeatInfo* info);
int YrlSketchHoleInfoSet(YrlFeatInfo* info, VynSelection selection);
int YrlGetCircleinfoFromSelection(YrlFeatInfo* info, VynSelection selection, double* radius, double* centre);
// The entities that give datum points: any number of picks.
int YrlFeatInfoDatumPointRefSelect(YrlFeatInfo* info);
int YrlSketchDatumPointInfoSet(YrlFeatInfo* info, int count, const VynSelection* selections);
// Rebuilds the datum points from the picked entities: line ends, arc ends (not of a
// full circle) and centres, points; -1 without a view or entities.
int YrlFeatGetDatumPointsFromEntity(YrlFeatInfo* info);
// Adds the point (zero distances) unless one within 0.01 is there.
int YrlFeatDatumPntsAddToArray(YrlFeatInfo* info, const double* point);
