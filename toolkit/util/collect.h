// Collection, find and traversal utilities: the host reports a model's items only through
// visit callbacks; these turn the visits into host arrays (collectors), a first item of a
// given name (finders) and walks of an assembly's component tree.
//
// Collectors take their owner arguments and the address of the caller's array variable:
// -2 for a null address; the host's status otherwise. On success the filled array is the
// caller's (free it with VynArrayFree, or the two special free functions below); on
// failure the array is freed and the variable set to null. A visit that visits nothing
// gives the host's status for that (-4 in the stand-in host).
//
// Each collector sets two process-wide report texts (action, filter) before its visit;
// collect_testing.h resets them.
#pragma once

#include "toolkit/api/host_types.h"
#include "toolkit/tkbase.h"

struct VynSimprepdata;

// ---- Element records -------------------------------------------------------------------

// An element of a tree with a copy of its path, owned by the array.
struct VynUtilElemRecord {
  VynElement element;
  VynElempath path;
};
// A component of a composite curve.
struct VynUtilCurveCompRecord {
  VynCurve curve;
  VynCurve component;
  int index;
  int flip;
};
// A reference of an external object: the reference item's three words as the host hands
// them, and the host's second and fourth callback words.
struct VynUtilExtobjRefRecord {
  VynWord reference[3];
  VynWord second;
  VynWord fourth;
};

// Host records collected whole: their sizes (their layouts are the host's).
constexpr int VYN_UTIL_FAMTABLE_INSTANCE_SIZE = 76;
constexpr int VYN_UTIL_PARAMETER_SIZE = 84;
constexpr int VYN_UTIL_FAMTABLE_ITEM_SIZE = 88;
constexpr int VYN_UTIL_MFG_TOOL_SIZE = 168;
constexpr int VYN_UTIL_SIMPREP_ITEM_SIZE = 232;
constexpr int VYN_UTIL_XSEC_SIZE = 68;

// The callback of an external-object reference visit: the reference item, the host's
// second word, the application data and the host's fourth word.
typedef VynError (*VynUtilExtobjRefVisitAction)(const VynWord* reference, VynWord second,
                                                void* app_data, VynWord fourth);

// ---- Visit actions and filters ---------------------------------------------------------

// Append the record item points to (of the array's element size) to the array whose
// address is data; the append's status.
VynError VynUtilCollect2ParamDBVisitAction(void* item, void* data);
VynError VynUtilCollect3ParamDBVisitAction(void* item, VynError filter_status, void* data);
// Append the handle itself, or the id.
VynError VynUtilCollect2ParamOpaqueVisitAction(void* handle, void* data);
VynError VynUtilCollect3ParamOpaqueVisitAction(void* handle, VynError filter_status, void* data);
VynError VynUtilCollect2ParamIdVisitAction(int id, void* data);
VynError VynUtilCollectExtobjReferencesVisitAction(const VynWord* reference, VynWord second,
                                                   void* data, VynWord fourth);
// Appends the element with a new copy of its path.
VynError VynUtilCollectElemtreeElementVisitAction(VynElement element, VynElempath path, void* data);
VynError VynUtilCollectCurveComponentVisitAction(VynCurve curve, VynCurve component, int index,
                                                 int flip, void* data);
// Every item passes (0).
VynError VynUtilDefaultFilter(void* item, void* data);

// The data of the finders: the output record and the wide name looked for.
struct VynUtilFindData {
  VynModelitem* item;
  const VynWchar* name;
};
// Copy the item into data->item and stop the visit (-3).
VynError VynUtilFindModelitemVisitAction(VynModelitem* item, VynError filter_status, void* data);
// The same for a surface (type 5), axis (21) or csys (25) handle, by the type of
// data->item, made a geometry item of data->item's owner; another type gives -1.
VynError VynUtilFindGeomitemVisitAction(void* handle, VynError filter_status, void* data);

// Filters: 0 visits, -7 skips.
VynError VynUtilAsmcompFilterAction(VynFeature* feature, void* data);        // type 1000
VynError VynUtilCollectDtmCurveFeatFilter(VynFeature* feature, void* data);  // type 949
VynError VynUtilCollectDtmPointFeatFilter(VynFeature* feature, void* data);  // type 931
VynError VynUtilCollectNCSeqFeatFilter(VynFeature* feature, void* data);
// Visible features; a failing visibility query's status.
VynError VynUtilFeatvisFilterAction(VynFeature* feature, void* data);
VynError VynUtilGeomitemactiveFilterAction(VynGeomitem* item, void* data);
// Items named data->name (VynUtilFindData); an item without a name is skipped, another
// failing name query's status is returned.
VynError VynUtilByNameFilterAction(VynModelitem* item, void* data);
VynError VynUtilFeatvisByNameFilterAction(VynFeature* feature, void* data);
VynError VynUtilGeomitemByNameFilterAction(void* handle, void* data);
// The data of the axis-by-vector filter: the array, a direction (a unit vector for the
// test to mean an angle) and the mode: 0 parallel, 1 perpendicular (within 1e-6 of the
// cosine).
struct VynUtilAxisByVectorData {
  // The array being filled, first: the visit action appends through the record's first
  // word as through an array variable (the host may move the array as it grows).
  VynArray array;
  double direction[3];
  int mode;
};
VynError VynUtilAxisByVectorFilterAction(void* axis, void* data);

// ---- Collectors ------------------------------------------------------------------------

VynError VynUtilCollectExplstate(VynSolid solid, VynArray* array);
VynError VynUtilCollectFamtableInstance(VynFamtable* famtable, VynArray* array);
VynError VynUtilCollectFamtableItem(VynFamtable* famtable, VynArray* array);
VynError VynUtilCollectAnimFrames(VynAnimmovie movie, VynArray* array);
VynError VynUtilCollectAnimObjects(VynAnimframe frame, VynArray* array);
VynError VynUtilCollectParameters(VynModelitem* owner, VynArray* array);
VynError VynUtilCollectModelNotes(VynMdl model, VynArray* array);
VynError VynUtilCollectMfgTools(VynMfg mfg, VynArray* array);
VynError VynUtilCollectRelset(VynSolid solid, VynArray* array);
VynError VynUtilCollectFeatureGeomitems(VynFeature* feature, int type, VynArray* array);
VynError VynUtilCollectExtobjReferences(VynWord extobj, VynArray* array);
VynError VynUtilCollectExtobj(VynMdl model, VynExtobjClass* ext_class, VynArray* array);
// Of VynUtilElemRecord; free with VynUtilElemtreeElementArrayFree.
VynError VynUtilCollectElemtreeElements(VynElement tree, VynElempath path, VynArray* array);
VynError VynUtilCollectCurveComponents(VynCurve curve, VynArray* array);
VynError VynUtilCollectContourEdges(VynSurface surface, VynContour contour, VynArray* array);
VynError VynUtilCollectSolidCsys(VynSolid solid, VynArray* array);
VynError VynUtilCollectSolidAxis(VynSolid solid, VynArray* array);
VynError VynUtilCollectSolidQuilts(VynSolid solid, VynArray* array);
VynError VynUtilCollectSolidSurfaces(VynSolid solid, VynArray* array);
VynError VynUtilCollectQuiltSurfaces(VynQuilt quilt, VynArray* array);
VynError VynUtilCollectSolidSimpreps(VynSolid solid, VynArray* array);
VynError VynUtilCollectSimprepsdataitems(const VynSimprepdata* data, VynArray* array);
VynError VynUtilCollectSolidFeaturesWithFilter(VynSolid solid, VynFeatureFilterAction filter,
                                               VynArray* array);
VynError VynUtilCollectSurfaceContours(VynSurface surface, VynArray* array);
VynError VynUtilCollectMdlLayers(VynMdl model, VynArray* array);
VynError VynUtilCollectProcstep(VynSolid solid, VynArray* array);
VynError VynUtilCollectWindowIds(VynArray* array);
// Keeps the array (0) even when it is empty; only a failing size query frees it.
VynError VynUtilCollectSolidXsec(VynSolid solid, VynArray* array);
VynError VynUtilCollectSolidAnalysis(VynSolid solid, VynArray* array);

VynError VynUtilCollectSolidFeatures(VynSolid solid, VynArray* array);
VynError VynUtilCollectNCSeqFeat(VynSolid solid, VynArray* array);
VynError VynUtilCollectDtmCurveFeat(VynSolid solid, VynArray* array);
VynError VynUtilCollectSolidFeatvis(VynSolid solid, VynArray* array);
VynError VynUtilCollectAsmcomp(VynSolid solid, VynArray* array);

// The ids of the model's dimensions (older call): -4 for none (nothing allocated), -1
// for a failing query.
VynError VynUtilCollectDimension(VynMdl model, int kind, int filter, VynArray* array);
// The solid's axes parallel (mode 0) or perpendicular (mode 1) to direction.
VynError VynUtilCollectSolidAxisByVector(VynSolid solid, const double* direction, int mode,
                                         VynArray* array);
// The same to the normal of a plane surface; -2 for a surface that is no plane.
VynError VynUtilCollectSolidAxisByPlane(VynSolid solid, VynSurface surface, int mode,
                                        VynArray* array);

// Every component path of an assembly, depth first, each parent before its children:
// 0 with count set; -4 for none; -1 (reported) when a component lies deeper than a path
// holds (VYN_ASMCOMPPATH_MAX levels). The array is freed and the variable nulled on
// every failure.
VynError VynUtilCollectAsmcomppath(VynSolid assembly, VynArray* array, int* count);
// Appends the paths of model's components below path at level (and of their components);
// 0, the component collector's status, or -1 for a level beyond the path's table.
VynError VynUtilCollectOneLevelAsmcomppath(VynSolid model, VynAsmcomppath* path, int level,
                                           VynArray* array);
// The datum points of a solid and, for an assembly, of its components, as selections
// with their paths: 0 with count set, -4 for none. Free with VynUtilSelectionArrayFree.
VynError VynUtilCollectSolidDtmPnts(VynSolid solid, VynArray* array, int* count);
VynError VynUtilCollectOneLevelDtmPnts(VynSolid model, VynAsmcomppath* path, VynArray* array);
VynError VynUtilSelectionArrayFree(VynArray* array);
VynError VynUtilElemtreeElementArrayFree(VynArray* array);

// ---- Finders ---------------------------------------------------------------------------

// The first item of that name: 0 (item written), or the visit's status (item untouched).
VynError VynUtilFindFeatureByName(VynSolid solid, const VynWchar* name, VynFeature* feature);
VynError VynUtilFindFeatvisByName(VynSolid solid, const VynWchar* name, VynFeature* feature);
VynError VynUtilFindFeatureGeomitemByName(VynFeature* feature, int type, const VynWchar* name,
                                          VynGeomitem* item);
VynError VynUtilFindCsysByName(VynSolid solid, const VynWchar* name, VynGeomitem* item);
VynError VynUtilFindAxisByName(VynSolid solid, const VynWchar* name, VynGeomitem* item);
VynError VynUtilFindSurfaceByName(VynSolid solid, const VynWchar* name, VynGeomitem* item);

// ---- Traversal -------------------------------------------------------------------------

VynError VynUtilAsmcompVisit(VynSolid solid, VynFeatureVisitAction action, void* data);
VynError VynUtilFeatvisVisit(VynSolid solid, VynFeatureVisitAction action, void* data);
VynError VynUtilGeomitemactiveVisit(VynFeature* feature, int type, VynGeomitemVisitAction action,
                                    void* data);

// Calls action with the path of every component of the assembly, depth first, parents
// before children (the path is valid during the call only); components deeper than a
// path holds are left out. 0.
typedef VynError (*VynUtilAsmTraverseAction)(VynAsmcomppath* path, void* app_data);
VynError VynUtilAsmTraverse(VynSolid assembly, VynUtilAsmTraverseAction action, void* app_data);
VynError VynUtilAsmFeatsTraverse(VynSolid assembly, VynUtilAsmTraverseAction action,
                                 void* app_data);
