// Sketch plane and depth: lines that show planes edge-on in another view turned into
// model references (an existing surface, a default datum plane or a new offset datum
// plane), the blind depth or reference surface of an extrusion, the angle of a revolve,
// and the sketch references of a profile's view.
#pragma once

#include "app/feature/featinfo.h"

// Line orientation in a view: 1 vertical, 2 horizontal, 0 inclined (tolerance 0.01).
int YrlLineOrientationGet(const double* a, const double* b);
// A view point p (model units) with the view's reference point r and depth d as a 3-D
// point of the part; -1 for a view outside the orthographic groups.
int YrlSketTrf2dPntTo3dPnt(int view_id, const double* p, const double* r, double d, double* out);
// The normal of a view's group; -1 outside the orthographic groups.
int YrlViewGroupIdNormalGet(int view_id, double* normal);

// The sketch references of an orthographic profile view from the part's default planes.
int YrlSketchReferencesGet(const YrlPartInfo* part, int view_id, int* plane_id, VynModelitem* orientation_ref,
                           int* orientation_code, VynModelitem* first_ref, VynModelitem* second_ref,
                           VynModelitem* view_datum, char* view_name);
int YrlFeatInfoSketchReferencesGet(YrlFeatInfo* info);
// The datum id mapped to (or named by) a view of the part; -1 and "YRL_FEAT_NO_DATUM_FOR_VIEW"
// for an orthographic view without one.
int YrlFeatInfoPlaneIdForViewGet(const YrlPartInfo* part, const char* view_name, int* plane_id);

// The sketch rotation of a non-orthographic view from the angle (degrees) between a
// line's unit direction and a unit axis: the arc cosine of their dot product (held to
// [-1, 1], which rounding can leave), folded (90 or less becomes its negative, more
// becomes 180 minus itself). Radians out, with the z rotation matrix of it.
double YrlSketchRotationFromDirection(const double* direction, const double* axis, double matrix[4][4]);
// The sketch plane of a section view: a datum plane through its cutting-plane line;
// 0 with the plane kept as the found plane and the fixed rotation of -90 degrees, -1
// when none is found.
int YrlSketchPlaneforSectionViewGet(YrlFeatInfo* info);

// Records the part and feature type of a starting feature run.
void YrlSketchTempInit(VynMdl part, int feature_type);
// Unless found is already set: when the surface is a plane facing the view (or dir,
// outside the orthographic groups), copies it to out and sets found; found.
int YrlSketchRefSufaceNormalCheckAndCopy(const VynModelitem* surface, int view_id, const double* dir,
                                         VynModelitem* out, int* found);

// The sketch plane of an auxiliary view: the part's plane face that its cutting-plane line
// (drawn in an orthographic view) shows edge-on, found where the line's inner points lie
// at the depth of the view-reference line's middle (0 without one), directly or as a
// neighbour of an edge met there. 0 with the face kept as the found plane and the view's
// turn; -1 and "YRL_AUX_SEC_VIEW_NO_SRF_EDGE" when no face fits.
int YrlSketchPlaneforAuxViewGet(YrlFeatInfo* info);

// The default datum of the single declared FRONT, TOP or RIGHT view; -1 otherwise.
int YrlSketchPlaneAutoSelect(const YrlPartInfo* part, VynModelitem* item);
// Interactive sketch-plane pick (up to three attempts); 0, -1, -3 or -14.
int YrlSketchPlaneSelect(YrlFeatInfo* info);
int YrlFeatInfoSketchPlaneSelect(YrlFeatInfo* info);
int YrlFeatInfoSketchPlaneAutoSelect(YrlFeatInfo* info);
// Depth or angle pick (up to three attempts); 0 or a failure.
int YrlSketchExtentSelect(YrlFeatInfo* info);
int YrlFeatInfoExtentSelect(YrlFeatInfo* info);

// The plane at the profile: an existing plane surface seen edge-on, the view group's
// default datum (offset 0) or a datum plane through the point; 0 and found 1, else -1.
int YrlSketchPlaneFindForEntity(YrlFeatInfo* info, const VynSelection* selections, int count, int view_id,
                                double offset, const double* ref_point, VynModelitem* found_item, int* found);
// 1 when the surface is a plane whose normal lies along the view group's normal (or dir).
int YrlSketchCheckSurfOrientation(const VynGeomitem* surface, int view_id, const double* dir);
// 1 for a surface an inclined depth line may stand for: anything but a plane that faces
// the view group's normal.
int YrlSketchCheckIncSurfOrientation(const VynGeomitem* surface, int view_id);
// The surface under an inclined depth line a-b (model units, in the reference view whose
// point is p; mode the sketch-plane line's orientation there), looked for where each
// profile entity lies at the line's depth; 0 and found 1, else -1.
int YrlSketchIncSurfFindForPoint(YrlFeatInfo* info, int mode, const double* p, const double* a, const double* b,
                                 VynModelitem* found_item, int* found);
// The distance for an inclined reference line; -1 for a line that does not rise
// (mode 1) or run (mode 2), with its message.
int YrlFindDistanceForInclinedExtent(int mode, const double* p, const double* a, const double* b, const double* r,
                                     double* distance);
// Creates "OFFSET_DTM_PLN<n>" at offset from reference (n the next number the part has
// free); the creation's status.
int YrlUtilOffsetPlaneCreate(VynSolid part, const VynModelitem* reference, double offset, VynModelitem* out);
// A new draft line between two view points in the colour given; a selection of it. The
// first failing host call's status (the curve and entity data are freed in any case).
int YrlSketchFixCreate(const YrlDrawInfo* draw, const double* start, const double* end, const VynColor* colour,
                       VynSelection* selection);
