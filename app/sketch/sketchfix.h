// Repairs of a section profile that failed its validation: close the gaps between open
// ends, extend or trim entities to their nearest crossings, divide entities at their
// crossings, remove entities, keep one side of a revolve axis. Each repair has a preview
// in temporary graphics; applying it creates draft entities for the changed pieces (kept
// in the feature run's fix-entity array and added to the profile's declared view),
// replaces the profile's selections and rebuilds its records.
//
// The geometry of each repair is computed apart from the host (the *LinesGet functions),
// so that it can be checked on its own.
#pragma once

#include "app/feature/featinfo.h"
#include "app/sketch/sketchval.h"

// One open end of the profile.
struct YrlSketchOpenPnt {
  VynColor colour;
  double point[3];  // view coordinates
  int used;
  int loop;
};

// One closing line, or one kept or changed piece of a profile entity. Arc pieces keep
// their circle: centre, radius, absolute start angle and sweep (radians).
struct YrlSketchFixLine {
  int index;      // entity index in the profile (-1 for a closing line)
  int entity_id;  // 0 for a closing line
  int curve_type;
  VynColor colour;
  double start[3];
  double end[3];
  double centre[3];
  int changed;    // differs from the entity: a new draft entity is made for it
  double radius;
  double start_angle;
  double sweep;
};

// Plain growable arrays (calloc'd; free with the matching Free).
struct YrlSketchOpenPntList {
  YrlSketchOpenPnt* items;
  int count;
  int capacity;
};
struct YrlSketchFixLineList {
  YrlSketchFixLine* items;
  int count;
  int capacity;
};
void YrlSketchOpenPntListFree(YrlSketchOpenPntList* list);
void YrlSketchFixLineListFree(YrlSketchFixLineList* list);

// ---- Geometry of the repairs (no host calls) --------------------------------------------

// The open ends that do not intersect, each entity's start then end, in entity order.
int YrlSketchFixOpenPointsGet(const YrlSketchValInfo* sketch, YrlSketchOpenPntList* out);
// Closing lines between nearest open ends. Grouping 2 pairs only ends of the same loop,
// other values only ends of different loops (with at least three open ends and two loops).
int YrlSketchFixCloseLinesGet(const YrlSketchValInfo* sketch, int grouping, YrlSketchFixLineList* out);
// One record per entity: its ends moved to the nearest crossings. An arc stays on its
// circle; a circle is never changed.
int YrlSketchFixExtendLinesGet(const YrlSketchValInfo* sketch, YrlSketchFixLineList* out);
// The pieces of every entity between its crossings, in order along the entity (arcs give
// arcs); an entity without crossings gives one unchanged record.
int YrlSketchFixDivideLinesGet(const YrlSketchValInfo* sketch, YrlSketchFixLineList* out);
// The entities with an end on side (1 or 2) of the revolve axis, lines trimmed at the
// axis. An arc that crosses the axis is kept whole: its crossing is not recorded on its
// circle.
int YrlSketchFixRevolveLinesGet(const YrlSketchValInfo* sketch, int side, YrlSketchFixLineList* out);

// ---- Drawing ---------------------------------------------------------------------------

// A marker circle of radius 5 at the point (mapped by matrix when given) in colour 0.
void YrlTestPointDraw(const double* point, const double (*matrix)[4]);
// Draws one profile entity (view coordinates mapped by matrix, the inverse sheet transform).
void YrlSketchEntGraphicsDraw(const YrlSketchEntity* entity, const double (*matrix)[4]);

// ---- The repairs (0 or the last failing host status) ------------------------------------

int YrlSketchFixPreviewClose(YrlFeatInfo* info, int grouping);
int YrlSketchFixClose(YrlFeatInfo* info, int grouping);
int YrlSketchFixPreviewExtend(YrlFeatInfo* info);
int YrlSketchFixExtend(YrlFeatInfo* info);
int YrlSketchFixPreviewDivide(YrlFeatInfo* info);
int YrlSketchFixDivide(YrlFeatInfo* info);
int YrlSketchFixRemove(YrlFeatInfo* info, VynArray keep);
int YrlSketchFixPreviewRevolve(YrlFeatInfo* info, int side);
int YrlSketchFixRevolve(YrlFeatInfo* info, int side);

// A new draft entity of the curve (drawing coordinates; the curve is handed over and
// freed in any case) in the sheet's background view, in the colour when one is given,
// drawn; a selection of it (null on failure). The first failing host status.
int YrlSketchFixCurveCreate(const YrlDrawInfo* draw, VynCurvedata* curve, const VynColor* colour,
                            VynSelection* selection);
// A new arc draft entity in the sheet's background view for an arc piece (view
// coordinates); a selection of it (null on failure). The first failing host status.
int YrlSketchFixArcCreate(const YrlDrawInfo* draw, const YrlSketchFixLine* piece, VynSelection* selection);

// Takes an entity id out of the named view's member list; -4 when the view cannot be read.
int YrlViewSetupEntityRemove(const char* view_name, int entity_id);
// Takes the fix entities out of the profile's view; called before they are deleted.
void YrlSketchFixEntitiesViewRemove(YrlFeatInfo* info);
