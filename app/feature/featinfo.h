// The feature-info record of one run of a feature command and the feature's life in the
// host: built from its element tree, its section filled from the profile, redefined on
// every change, named, previewed, and deleted with what the run created when it fails
// or is cancelled.
#pragma once

#include "app/parts/partinfo.h"
#include "app/sketch/sketchval.h"
#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

// Feature types of a run.
enum : int {
  YRL_FEAT_EXTRUDE = 1,
  YRL_FEAT_REVOLVE = 2,
  YRL_FEAT_HOLE = 3,
  YRL_FEAT_DATUM_CURVE = 4,
  YRL_FEAT_DATUM_POINT = 5,
  YRL_FEAT_DATUM_PLANE = 6,
  YRL_FEAT_DATUM_AXIS = 7,
  YRL_FEAT_CSYS = 8,
};
// Sub-types: a protrusion adds material, a cut takes it away.
enum : int { YRL_FEAT_PROTRUSION = 1, YRL_FEAT_CUT = 2 };
// Depth types of the extent record.
enum : int {
  YRL_DEPTH_BLIND = 1,
  YRL_DEPTH_BOTH_SIDES = 2,
  YRL_DEPTH_NEXT = 3,
  YRL_DEPTH_THROUGH_ALL = 4,
  YRL_DEPTH_UP_TO_REF = 5,
};

// How far the feature reaches: filled by the depth pick and the dialog.
struct YrlExtentInfo {
  int depth_type;
  int parallel_ref;   // the depth line is parallel to the sketch-plane line
  int surface_found;  // a reference surface was found for it
  VynModelitem reference;
  double depth;       // or the revolve angle in degrees
  VynModelitem line_item;
  int direction;      // 1 when the depth runs beyond the sketch-plane offset
};

// The revolve axis pick.
struct YrlRevolveAxisInfo {
  VynSelection selection;
  int view_id;
  char view_name[32];
  VynModelitem item;
  int flag;  // 1 once picked
};

struct YrlHoleInfo {
  VynSelection selection;
  int circle_flag;  // 2 full circle, 1 arc
  int view_id;
  char view_name[32];
  VynModelitem item;
  double centre[3];  // model units
  double radius;
  double diameter;
  const VynModelitem* first_ref;  // into the part info
  const VynModelitem* second_ref;
  double first_distance;
  double second_distance;
};

struct YrlDatumAxisRefs {
  VynModelitem refs[3];
  double offsets[2];
};

// One datum point: its point and the two distances to its references.
struct YrlDatumPoint {
  double point[3];
  double distances[2];
};
static_assert(sizeof(YrlDatumPoint) == 40);

struct YrlDatumPointInfo {
  int view_id;
  char view_name[32];
  VynArray selections;  // host array of VynSelection
  VynArray items;       // host array of VynModelitem
  VynArray points;      // host array of YrlDatumPoint
  const VynModelitem* first_ref;
  const VynModelitem* second_ref;
};

// Where the sketch plane came from (the sketch-plane pick).
struct YrlSketchPlaneInfo {
  VynModelitem plane;  // the surface or datum plane chosen
  int ref_view_id;     // view of the picked line; -1 after an automatic choice
  VynModelitem line_item;
};

struct YrlFeatInfo {
  int type;
  int sub_type;
  VynName name;
  YrlDrawInfo draw;
  YrlPartInfo part;
  YrlSketchValInfo sketch;
  int sketch_failed;
  VynFeature preview;
  VynElement preview_tree;
  VynArray fix_entities;  // VynModelitem of draft entities the fixes added
  int keep_fix_entities;
  int view_dir_flipped;
  YrlExtentInfo extent;
  int material_side;
  int direction_flipped;
  YrlHoleInfo hole;
  YrlDatumAxisRefs axis_refs;
  YrlDatumPointInfo datum_point;
  VynElement tree;
  VynFeature feature;
  int created;
  VynErrors errors;
  int failure;
  YrlRevolveAxisInfo rev_axis;
  YrlSketchPlaneInfo plane;
};

int YrlFeatIsSketchValidateFeature(int type);
int YrlFeatIsSketchedFeature(int type);
int YrlFeatIsDatumFeature(int type);

// ---- Building and redefining ------------------------------------------------------------

int YrlFeatInfoFeatRegen(YrlFeatInfo* info);
int YrlFeatInfoFeatRegenLow(YrlFeatInfo* info, int type, VynFeature* feature, VynElement* tree);
int YrlFeatInfoSketchAddAndRedefine(YrlFeatInfo* info, VynFeature* feature, int type, VynElement* tree);
int YrlFeatInfoMiscElemAdd(YrlFeatInfo* info, VynFeature* feature, int type, VynElement* tree);
int YrlFeatInfoFeatRefresh(YrlFeatInfo* info);
int YrlFeatInfoRedefine(YrlFeatInfo* info);
int YrlFeatInfoSktPreviewFeatRedefine(YrlFeatInfo* info);
int YrlFeatInfoFeatNameUpdate(YrlFeatInfo* info);
// Runs the profile's validation again (after a pick, a fix, a sub-type change or the
// revolve axis pick); always 0.
int YrlSketchCheckValidation(YrlFeatInfo* info, YrlSketchValInfo* sketch);

// ---- Sketched-datum preview --------------------------------------------------------------

int YrlSketchedDatumPreviewFeatCreate(YrlFeatInfo* info);
void YrlSketchedDatumPreviewFeatDelete(YrlFeatInfo* info);

// ---- Deleting ----------------------------------------------------------------------------

// Deletes the feature (id 1 or more), the datum plane and the section that are given;
// always -1. A feature or datum plane the host refuses to delete keeps its record (zeroed
// once it is gone) and the user is told ("YRL_FEAT_DELETE_REFUSED"): the next deletion
// tries again.
int YrlFeatIncompleteFeatureDelete(VynFeature* feature, VynModelitem* datum_plane, VynSection* section);
// -1, with the item kept, when the host refuses to delete the plane's feature.
int YrlFeatSktPlaneDtmDelete(VynModelitem* item, int* deleted);
void YrlFeatInfoIncompleteFeatureDelete(YrlFeatInfo* info);
// Whether the record names a feature the run no longer builds (created is clear): one the
// host refused to delete. It is deleted again before anything is built in its place.
int YrlFeatInfoFeatureLeftOver(const YrlFeatInfo* info);
// Deletes what the run made that the part does not keep with the feature: the sketch's
// preview, and a datum plane made for a sketch plane the feature no longer stands on
// (one the host refused to delete when the pick changed). 1 when none of it stays.
int YrlFeatInfoRunLeftoversDelete(YrlFeatInfo* info);
void YrlFeatInfoIncompleteFeatureOnlyDelete(YrlFeatInfo* info);
void YrlFeatInfoSktPlaneDtmDelete(YrlFeatInfo* info);
// Forgets the sketch plane: its picked line, view, plane and offset.
void YrlFeatInfoSketchPlaneReset(YrlFeatInfo* info);
// Deletes the draft entities the fixes added, unless they are to be kept; 0.
int YrlFeatInfoSketchFixEntErase(YrlFeatInfo* info);

// ---- Sections ----------------------------------------------------------------------------

// 1 and the section of the tree's {447, 458} element, else 0.
int YrlSectionGetNew(VynElement tree, VynSection* section);
void YrlUtilSectionClean(VynSection section);

// ---- Highlights and the part preview ------------------------------------------------------

// Each highlights its item (the sketch plane; the revolve axis when picked; the depth
// reference when found) in colour; -1 only takes the highlight away.
typedef int (*YrlFeatHighlightFunc)(YrlFeatInfo* info, int colour);
int YrlFeatSketchPlaneHighlight(YrlFeatInfo* info, int colour);
int YrlFeatRevAxisHighlight(YrlFeatInfo* info, int colour);
int YrlFeatSketchExtentRefHighlight(YrlFeatInfo* info, int colour);
// Shows the part in an accessory window, highlights with the function (colour 1) and asks
// to close it: OK deletes the window, Cancel leaves it open.
int YrlFeatPartPreviewWithFunc(VynMdl part, YrlFeatHighlightFunc highlight, YrlFeatInfo* info);
int YrlFeatPartPreview(YrlFeatInfo* info);
int YrlFeatPartPreviewSketchPlane(YrlFeatInfo* info);
int YrlFeatPartPreviewRevAxis(YrlFeatInfo* info);
int YrlFeatPartPreviewExtentRef(YrlFeatInfo* info);

// ---- Helpers of the feature run ---------------------------------------------------------

// Frees every selection of a host array of selections and the array (null: nothing).
void YrlFeatSelectionArrayFree(VynArray* array);
// The draft entity's data (to free with VynDtlentitydataFree; null when not had), curve
// and curve type of a selection; the first failing host status.
int YrlSelectionCurveGet(VynSelection selection, VynDtlentitydata* data, VynCurvedata** curve, int* type);

// ---- A run -------------------------------------------------------------------------------

// Starts a run: zeroes info, makes the fix-entity array and fills the drawing and part
// information; 0 when the run can go on (the dialog is next), else the fill's status
// after its own error dialog. YrlFeatInfoEnd erases the fix entities and frees what the
// run holds.
int YrlFeatInfoBegin(YrlFeatInfo* info, int type);
void YrlFeatInfoEnd(YrlFeatInfo* info);
// Frees the profile's selections and records (pointers null afterwards), and the datum
// point pick's arrays.
void YrlFeatInfoProfileFree(YrlFeatInfo* info);
void YrlFeatInfoDatumPointFree(YrlFeatInfo* info);
