// Section building: the picked draft entities of one view carried into the sketch plane
// of a feature's section, with the projected sketch references, the revolve axis as a
// centerline, and the host's automatic dimensioning; a failed solve is written to a
// ".ent" report shown in the information window.
#pragma once

#include "app/feature/featinfo.h"

// The data of a declared view that section building and the sketch references use: its
// kind and name, its reference points, the sketch rotation (radians) with its matrix, and
// the draft entities the view data names as model items (id 0 when not named).
struct YrlViewInfo {
  int view_id;
  int kind;  // 1 orthographic, 2 section, 3 auxiliary, 4 detail
  char name[32];
  double ref_point[3];
  double vpr_point[3];
  double position_point[3];
  double position1_point[3];
  double rotation;
  double rotation_matrix[4][4];  // identity until a sketch rotation is set
  VynModelitem cut_plane;
  VynModelitem vpr;
  VynModelitem position;
  VynModelitem position1;
};

// Reads the view's record; only when it is the record of view_id is the record filled
// (and copied to out when given). -1 for another or a missing view.
int YrlViewInfoFill(VynMdl drawing, int view_id, YrlViewInfo* out);
// For a section or auxiliary view: the point turned by the view info's rotation about
// the pivot carried by the inverse of matrix (x and y only); nothing for other views.
int YrlSketchAuxPointDeRotate(const YrlViewInfo* view, int view_id, const double matrix[4][4], const double* pivot,
                              double* point);

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
