#include "toolkit/util/collect.h"

#include <cmath>
#include <cstring>

#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/api/catalogue_feature_option_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/api/catalogue_udfvardim_xsec_api.h"
#include "toolkit/api/older_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/local/local_param.h"
#include "toolkit/testreport/testreport.h"
#include "toolkit/util/collect_testing.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr int kFeatureComponent = 1000;
constexpr int kFeatureDatumCurve = 949;
constexpr int kFeatureDatumPoint = 931;
constexpr int kTypeSurface = 5;
constexpr int kTypeAxis = 21;
constexpr int kTypeCsys = 25;
constexpr int kTypePoint = 66;
constexpr int kModelAssembly = 1;
constexpr int kSurfacePlane = 34;
constexpr int kHandleSize = static_cast<int>(sizeof(void*));
constexpr int kItemSize = static_cast<int>(sizeof(VynModelitem));

// The texts the visit actions and the default filter report with.
const char* action_text = "";
const char* filter_text = "";

void report_callback(const char* text, const char* function) {
  VynTestCallReport(text, function, 0, 0);
}

// A collector's visit status: reported as an error unless 0 or -4.
VynError report_visit(const char* function, const char* caller, VynError status) {
  VynTestCallReport(function, caller, status,
                    status != VYN_TK_NO_ERROR && status != VYN_TK_E_NOT_FOUND);
  return status;
}

VynError append(void* data, const void* element) {
  return VynArrayObjectAdd(static_cast<VynArray*>(data), -1, 1, element);
}

VynError plain_array_free(VynArray* array) { return VynArrayFree(array); }

// The shared procedure of the collectors: a new array of element_size, the report texts,
// the visit (run with the array's address as its data), and the array dropped on failure
// with release, which also frees what its elements own.
template <typename Visit>
VynError collect(VynArray* array, int element_size, const char* action, const char* filter,
                 const char* visit_name, const char* caller, Visit visit,
                 VynError (*release)(VynArray*) = plain_array_free) {
  if (!array) return VYN_TK_BAD_INPUTS;
  VynError status = VynArrayAlloc(0, element_size, 1, array);
  if (status != VYN_TK_NO_ERROR) return status;
  action_text = action;
  filter_text = filter;
  status = report_visit(visit_name, caller, visit(static_cast<void*>(array)));
  if (status != VYN_TK_NO_ERROR) {
    release(array);
    *array = nullptr;
  }
  return status;
}

// The collectors of a solid's handles (csys, axes, quilts, surfaces): one visit shape.
typedef VynError (*SolidHandleVisit)(VynSolid, VynItemVisitAction, VynItemFilterAction, void*);
VynError handle_action3(void* handle, VynError status, void* data);
VynError collect_solid_handles(VynSolid solid, VynArray* array, SolidHandleVisit visit,
                               const char* action, const char* filter, const char* visit_name,
                               const char* caller) {
  return collect(array, kHandleSize, action, filter, visit_name, caller, [&](void* data) {
    return visit(solid, handle_action3, VynUtilDefaultFilter, data);
  });
}

// Typed forms of the public actions and of the default filter, one per callback type.
VynError item_action3(VynModelitem* item, VynError status, void* data) {
  return VynUtilCollect3ParamDBVisitAction(item, status, data);
}
VynError handle_action3(void* handle, VynError status, void* data) {
  return VynUtilCollect3ParamOpaqueVisitAction(handle, status, data);
}
VynError item_filter(VynModelitem* item, void* data) { return VynUtilDefaultFilter(item, data); }
VynError element_filter(VynElement element, VynElempath, void* data) {
  return VynUtilDefaultFilter(element, data);
}
VynError curve_filter(VynCurve, VynCurve component, int, int, void* data) {
  return VynUtilDefaultFilter(component, data);
}
VynError find_geomitem_action(void* handle, VynError status, void* data) {
  return VynUtilFindGeomitemVisitAction(handle, status, data);
}
VynError geomitem_by_name_filter(void* handle, void* data) {
  return VynUtilGeomitemByNameFilterAction(handle, data);
}
VynError axis_by_vector_filter(void* axis, void* data) {
  return VynUtilAxisByVectorFilterAction(axis, data);
}

// A feature's type, or -1 when it cannot be read.
int feature_type(VynFeature* feature) {
  int type = -1;
  if (VynFeatureTypeGet(feature, &type) != VYN_TK_NO_ERROR) return -1;
  return type;
}

// The geometry item a handle of the target's type names, owned by the target's owner.
VynError handle_to_item(void* handle, const VynModelitem& target, VynGeomitem* item) {
  switch (target.type) {
    case kTypeSurface:
      return VynSurfaceToGeomitem(target.owner, static_cast<VynSurface>(handle), item);
    case kTypeAxis:
      return VynAxisToGeomitem(target.owner, static_cast<VynAxis>(handle), item);
    case kTypeCsys:
      return VynCsysToGeomitem(target.owner, static_cast<VynCsys>(handle), item);
    default:
      return VYN_TK_GENERAL_ERROR;
  }
}

// -3 (stopped at a find) is success; any other status is the visit's own, reported as an
// error unless 0 or -4.
VynError find_result(const char* visit, const char* caller, VynError status) {
  if (status == VYN_TK_USER_ABORT) return VYN_TK_NO_ERROR;
  report_visit(visit, caller, status);
  return status;
}

VynError find_geomitem(VynSolid solid, const VynWchar* name, VynGeomitem* item, int type,
                       const char* caller) {
  if (!name || !item) return VYN_TK_BAD_INPUTS;
  VynModelitem target{type, 0, solid};
  VynUtilFindData data{&target, name};
  VynError status;
  const char* visit;
  switch (type) {
    case kTypeCsys:
      visit = "VynSolidCsysVisit()";
      status = VynSolidCsysVisit(solid, find_geomitem_action, geomitem_by_name_filter, &data);
      break;
    case kTypeAxis:
      visit = "VynSolidAxisVisit()";
      status = VynSolidAxisVisit(solid, find_geomitem_action, geomitem_by_name_filter, &data);
      break;
    default:
      visit = "VynSolidSurfaceVisit()";
      status = VynSolidSurfaceVisit(solid, find_geomitem_action, geomitem_by_name_filter, &data);
      break;
  }
  if (status == VYN_TK_USER_ABORT) *item = target;
  return find_result(visit, caller, status);
}

// ---- Assembly traversal

struct Traversal {
  void* app_data;
  VynUtilAsmTraverseAction action;
  VynAsmcomppath path;
};

VynError traverse_action(VynFeature* component, VynError, void* data) {
  Traversal* traversal = static_cast<Traversal*>(data);
  VynAsmcomppath& path = traversal->path;
  int length = path.table_num;
  // A path holds VYN_ASMCOMPPATH_MAX levels: a component below them is left out.
  if (length < 0 || length >= VYN_ASMCOMPPATH_MAX) {
    VynTestCallReport("VynUtilAsmTraverse()", "VynUtilAsmTraverse()", VYN_TK_GENERAL_ERROR, 1);
    return VYN_TK_NO_ERROR;
  }
  path.comp_id_table[length] = component->id;
  path.table_num = length + 1;
  if (length + 1 < VYN_ASMCOMPPATH_MAX) path.comp_id_table[length + 1] = -1;
  VynMdl model = nullptr;
  VynError status = VynAsmcompMdlGet(component, &model);
  VynTestCallReport("VynAsmcompMdlGet()", "VynUtilAsmTraverse()", status, status != 0);
  traversal->action(&path, traversal->app_data);
  int type = 0;
  if (status == VYN_TK_NO_ERROR && VynMdlTypeGet(model, &type) == VYN_TK_NO_ERROR &&
      type == kModelAssembly)
    VynUtilAsmcompVisit(model, traverse_action, traversal);
  path.comp_id_table[length] = -1;
  path.table_num = length;
  return VYN_TK_NO_ERROR;
}

}  // namespace

void collect_testing_reset() {
  action_text = "";
  filter_text = "";
}

// ---- Visit actions and filters

VynError VynUtilCollect2ParamDBVisitAction(void* item, void* data) {
  report_callback(action_text, "VynUtilCollect2ParamDBVisitAction");
  return append(data, item);
}

VynError VynUtilCollect3ParamDBVisitAction(void* item, VynError, void* data) {
  report_callback(action_text, "VynUtilCollect3ParamDBVisitAction");
  return append(data, item);
}

VynError VynUtilCollect2ParamOpaqueVisitAction(void* handle, void* data) {
  report_callback(action_text, "VynUtilCollect2ParamOpaqueVisitAction");
  return append(data, &handle);
}

VynError VynUtilCollect3ParamOpaqueVisitAction(void* handle, VynError, void* data) {
  report_callback(action_text, "VynUtilCollect3ParamOpaqueVisitAction");
  return append(data, &handle);
}

VynError VynUtilCollect2ParamIdVisitAction(int id, void* data) {
  report_callback(action_text, "VynUtilCollect2ParamIdVisitAction");
  return append(data, &id);
}

VynError VynUtilCollectExtobjReferencesVisitAction(const VynWord* reference, VynWord second,
                                                   void* data, VynWord fourth) {
  report_callback(action_text, "VynUtilCollectExtobjReferencesVisitAction");
  VynUtilExtobjRefRecord record{};
  if (reference) std::memcpy(record.reference, reference, sizeof record.reference);
  record.second = second;
  record.fourth = fourth;
  return append(data, &record);
}

VynError VynUtilCollectElemtreeElementVisitAction(VynElement element, VynElempath path,
                                                  void* data) {
  report_callback(action_text, "VynUtilCollectElemtreeElementVisitAction");
  VynUtilElemRecord record{element, nullptr};
  VynError status = VynElempathAlloc(&record.path);
  if (status != VYN_TK_NO_ERROR) return status;
  status = VynElempathCopy(path, record.path);
  if (status == VYN_TK_NO_ERROR) status = append(data, &record);
  if (status != VYN_TK_NO_ERROR) VynElempathFree(&record.path);
  return status;
}

VynError VynUtilCollectCurveComponentVisitAction(VynCurve curve, VynCurve component, int index,
                                                 int flip, void* data) {
  report_callback(action_text, "VynUtilCollectCurveComponentVisitAction");
  VynUtilCurveCompRecord record{curve, component, index, flip};
  return append(data, &record);
}

VynError VynUtilDefaultFilter(void*, void*) {
  report_callback(filter_text, "VynUtilDefaultFilter");
  return VYN_TK_NO_ERROR;
}

VynError VynUtilFindModelitemVisitAction(VynModelitem* item, VynError, void* data) {
  VynUtilFindData* find = static_cast<VynUtilFindData*>(data);
  if (find && find->item && item) *find->item = *item;
  return VYN_TK_USER_ABORT;
}

VynError VynUtilFindGeomitemVisitAction(void* handle, VynError, void* data) {
  VynUtilFindData* find = static_cast<VynUtilFindData*>(data);
  if (!find || !find->item) return VYN_TK_BAD_INPUTS;
  VynGeomitem item{};
  VynError status = handle_to_item(handle, *find->item, &item);
  if (status != VYN_TK_NO_ERROR) return status;
  return VynUtilFindModelitemVisitAction(&item, 0, data);
}

VynError VynUtilAsmcompFilterAction(VynFeature* feature, void*) {
  return feature_type(feature) == kFeatureComponent ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
}

VynError VynUtilCollectDtmCurveFeatFilter(VynFeature* feature, void*) {
  return feature_type(feature) == kFeatureDatumCurve ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
}

VynError VynUtilCollectDtmPointFeatFilter(VynFeature* feature, void*) {
  return feature_type(feature) == kFeatureDatumPoint ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
}

VynError VynUtilCollectNCSeqFeatFilter(VynFeature* feature, void*) {
  int ncseq = 0;
  return VynFeatureIsNcseq(feature, &ncseq) == VYN_TK_NO_ERROR && ncseq == 1 ? VYN_TK_NO_ERROR
                                                                             : VYN_TK_CONTINUE;
}

VynError VynUtilFeatvisFilterAction(VynFeature* feature, void*) {
  int visible = 0;
  VynError status = VynFeatureVisibilityGet(feature, &visible);
  if (status != VYN_TK_NO_ERROR) return status;
  return visible == 1 ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
}

VynError VynUtilGeomitemactiveFilterAction(VynGeomitem* item, void*) {
  int inactive = 0;
  return VynGeomitemIsInactive(item, &inactive) == VYN_TK_NO_ERROR && inactive == 1
             ? VYN_TK_CONTINUE
             : VYN_TK_NO_ERROR;
}

VynError VynUtilByNameFilterAction(VynModelitem* item, void* data) {
  const VynUtilFindData* find = static_cast<const VynUtilFindData*>(data);
  if (!find || !find->name) return VYN_TK_BAD_INPUTS;
  VynName name = {};
  VynError status = VynModelitemNameGet(item, name);
  if (status == VYN_TK_E_NOT_FOUND) return VYN_TK_CONTINUE;
  if (status != VYN_TK_NO_ERROR) return status;
  return VynUtilWstrCmp(name, find->name) == 0 ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
}

VynError VynUtilFeatvisByNameFilterAction(VynFeature* feature, void* data) {
  VynError status = VynUtilFeatvisFilterAction(feature, data);
  if (status != VYN_TK_NO_ERROR) return status;
  return VynUtilByNameFilterAction(feature, data);
}

VynError VynUtilGeomitemByNameFilterAction(void* handle, void* data) {
  const VynUtilFindData* find = static_cast<const VynUtilFindData*>(data);
  if (!find || !find->item) return VYN_TK_BAD_INPUTS;
  VynGeomitem item{};
  VynError status = handle_to_item(handle, *find->item, &item);
  if (status != VYN_TK_NO_ERROR) return status;
  return VynUtilByNameFilterAction(&item, data);
}

VynError VynUtilAxisByVectorFilterAction(void* axis, void* data) {
  const VynUtilAxisByVectorData* by = static_cast<const VynUtilAxisByVectorData*>(data);
  if (!by) return VYN_TK_BAD_INPUTS;
  VynGeomitemdata* geometry = nullptr;
  if (VynAxisDataGet(static_cast<VynAxis>(axis), &geometry) != VYN_TK_NO_ERROR || !geometry)
    return VYN_TK_CONTINUE;
  double end1[3] = {}, end2[3] = {};
  VynError status = geometry->data.p_curve_data
                        ? VynLinedataGet(geometry->data.p_curve_data, end1, end2)
                        : VYN_TK_BAD_INPUTS;
  VynGeomitemdataFree(&geometry);
  if (status != VYN_TK_NO_ERROR) return VYN_TK_CONTINUE;
  double d[3], unit[3];
  VynUtilVectorDiff(end2, end1, d);
  VynUtilVectorNormalize(d, unit);
  double c = std::fabs(VynUtilVectorDot(unit, by->direction));
  if (by->mode == 0) return 1.0 - c < 1e-6 ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
  if (by->mode == 1) return c < 1e-6 ? VYN_TK_NO_ERROR : VYN_TK_CONTINUE;
  return VYN_TK_CONTINUE;
}

// ---- Collectors

VynError VynUtilCollectExplstate(VynSolid solid, VynArray* array) {
  return collect(array, kItemSize, "VynGeomitemAction", "VynGeomitemFilter",
                 "VynSolidExpldstateVisit()", "VynUtilCollectExplstate()", [&](void* data) {
                   return VynSolidExpldstateVisit(solid, item_action3, item_filter, data);
                 });
}

VynError VynUtilCollectFamtableInstance(VynFamtable* famtable, VynArray* array) {
  return collect(array, VYN_UTIL_FAMTABLE_INSTANCE_SIZE, "VynFamtableInstanceAction",
                 "VynFamtableInstanceFilter", "VynFamtableInstanceVisit()",
                 "VynUtilCollectFamtableInstance()", [&](void* data) {
                   return VynFamtableInstanceVisit(famtable, VynUtilCollect3ParamDBVisitAction,
                                                   VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectFamtableItem(VynFamtable* famtable, VynArray* array) {
  return collect(array, VYN_UTIL_FAMTABLE_ITEM_SIZE, "VynFamtableItemAction",
                 "VynFamtableItemFilter", "VynFamtableItemVisit()", "VynUtilCollectFamtableItem()",
                 [&](void* data) {
                   return VynFamtableItemVisit(famtable, VynUtilCollect3ParamDBVisitAction,
                                               VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectAnimFrames(VynAnimmovie movie, VynArray* array) {
  return collect(array, kHandleSize, "VynAnimFrameAct", "VynAnimFrameAct",
                 "VynAnimmovieFrameVisit()", "VynUtilCollectAnimFrames()", [&](void* data) {
                   return VynAnimmovieFrameVisit(movie, VynUtilCollect2ParamOpaqueVisitAction,
                                                 VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectAnimObjects(VynAnimframe frame, VynArray* array) {
  return collect(array, kHandleSize, "VynAnimObjAct", "VynAnimObjAct", "VynAnimframeObjVisit()",
                 "VynUtilCollectAnimObjects()", [&](void* data) {
                   return VynAnimframeObjVisit(frame, VynUtilCollect2ParamOpaqueVisitAction,
                                               VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectParameters(VynModelitem* owner, VynArray* array) {
  return collect(array, VYN_UTIL_PARAMETER_SIZE, "VynParameterAction", "VynParameterFilter",
                 "VynParameterVisit()", "VynUtilCollectParameters()", [&](void* data) {
                   return VynParameterVisit(owner, VynUtilDefaultFilter,
                                            VynUtilCollect3ParamDBVisitAction, data);
                 });
}

VynError VynUtilCollectModelNotes(VynMdl model, VynArray* array) {
  return collect(array, kItemSize, "VynMdlNoteVisitAction", "VynMdlNoteFilterAction",
                 "VynMdlNoteVisit()", "VynUtilCollectModelNotes()", [&](void* data) {
                   return VynMdlNoteVisit(model, item_action3, item_filter, data);
                 });
}

VynError VynUtilCollectMfgTools(VynMfg mfg, VynArray* array) {
  return collect(array, VYN_UTIL_MFG_TOOL_SIZE, "VynMfgToolAction", "", "VynMfgToolVisit()",
                 "VynUtilCollectMfgTools()", [&](void* data) {
                   return VynMfgToolVisit(mfg, VynUtilCollect2ParamDBVisitAction, data);
                 });
}

VynError VynUtilCollectRelset(VynSolid solid, VynArray* array) {
  return collect(array, kItemSize, "VynSolidRelsetVisitAction", "", "VynSolidRelsetVisit()",
                 "VynUtilCollectRelset()", [&](void* data) {
                   return VynSolidRelsetVisit(solid, VynUtilCollect2ParamDBVisitAction, data);
                 });
}

VynError VynUtilCollectFeatureGeomitems(VynFeature* feature, int type, VynArray* array) {
  return collect(array, kItemSize, "VynGeomitemAction", "VynGeomitemFilter",
                 "VynFeatureGeomitemVisit()", "VynUtilCollectFeatureGeomitems()", [&](void* data) {
                   return VynFeatureGeomitemVisit(feature, type, item_action3, item_filter, data);
                 });
}

VynError VynUtilCollectExtobjReferences(VynWord extobj, VynArray* array) {
  VynUtilExtobjRefVisitAction action = VynUtilCollectExtobjReferencesVisitAction;
  VynError (*filter)(void*, void*) = VynUtilDefaultFilter;
  return collect(array, static_cast<int>(sizeof(VynUtilExtobjRefRecord)), "VynExtobjRefVisitAction",
                 "VynExtobjRefFilterAction", "VynExtobjRefVisit()",
                 "VynUtilCollectExtobjReferences()", [&](void* data) {
                   return VynExtobjRefVisit(extobj, reinterpret_cast<VynWord>(action),
                                            reinterpret_cast<VynWord>(filter),
                                            reinterpret_cast<VynWord>(data));
                 });
}

VynError VynUtilCollectExtobj(VynMdl model, VynExtobjClass* ext_class, VynArray* array) {
  return collect(array, kItemSize, "VynExtobjVisitAction", "VynExtobjFilterAction",
                 "VynExtobjVisit()", "VynUtilCollectExtobj()", [&](void* data) {
                   return VynExtobjVisit(model, ext_class, item_action3, item_filter, data);
                 });
}

VynError VynUtilCollectElemtreeElements(VynElement tree, VynElempath path, VynArray* array) {
  VynError status =
      collect(array, static_cast<int>(sizeof(VynUtilElemRecord)), "VynElemtreeVisitAction",
              "VynElemtreeVisitFilter", "VynElemtreeElementVisit()",
              "VynUtilCollectElemtreeElements()",
              [&](void* data) {
                return VynElemtreeElementVisit(tree, path, element_filter,
                                               VynUtilCollectElemtreeElementVisitAction, data);
              },
              VynUtilElemtreeElementArrayFree);
  return status;
}

VynError VynUtilCollectCurveComponents(VynCurve curve, VynArray* array) {
  return collect(array, static_cast<int>(sizeof(VynUtilCurveCompRecord)), "VynCurveCompAction",
                 "VynCurveCompFilter", "VynCurveCompVisit()", "VynUtilCollectCurveComponents()",
                 [&](void* data) {
                   return VynCurveCompVisit(curve, VynUtilCollectCurveComponentVisitAction,
                                            curve_filter, data);
                 });
}

VynError VynUtilCollectContourEdges(VynSurface surface, VynContour contour, VynArray* array) {
  return collect(array, kHandleSize, "VynContourEdgeVisitAction", "VynContourEdgeFilterAction",
                 "VynContourEdgeVisit()", "VynUtilCollectContourEdges()", [&](void* data) {
                   return VynContourEdgeVisit(surface, contour, handle_action3,
                                              VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectSolidCsys(VynSolid solid, VynArray* array) {
  return collect_solid_handles(solid, array, VynSolidCsysVisit, "VynCsysVisitAction",
                               "VynCsysFilterAction", "VynSolidCsysVisit()",
                               "VynUtilCollectSolidCsys()");
}

VynError VynUtilCollectSolidAxis(VynSolid solid, VynArray* array) {
  return collect_solid_handles(solid, array, VynSolidAxisVisit, "VynAxisVisitAction",
                               "VynAxisFilterAction", "VynSolidAxisVisit()",
                               "VynUtilCollectSolidAxis()");
}

VynError VynUtilCollectSolidQuilts(VynSolid solid, VynArray* array) {
  return collect_solid_handles(solid, array, VynSolidQuiltVisit, "VynQuiltVisitAction",
                               "VynQuiltFilterAction", "VynSolidQuiltVisit()",
                               "VynUtilCollectSolidQuilts()");
}

VynError VynUtilCollectSolidSurfaces(VynSolid solid, VynArray* array) {
  return collect_solid_handles(solid, array, VynSolidSurfaceVisit, "VynSurfaceVisitAction",
                               "VynSurfaceFilterAction", "VynSolidSurfaceVisit()",
                               "VynUtilCollectSolidSurfaces()");
}

VynError VynUtilCollectQuiltSurfaces(VynQuilt quilt, VynArray* array) {
  return collect(array, kHandleSize, "VynQuiltSurfaceVisitAction", "VynQuiltSurfaceFilterAction",
                 "VynQuiltSurfaceVisit()", "VynUtilCollectQuiltSurfaces()", [&](void* data) {
                   return VynQuiltSurfaceVisit(quilt, handle_action3, VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectSolidSimpreps(VynSolid solid, VynArray* array) {
  return collect(array, kItemSize, "VynGeomitemAction", "VynGeomitemFilter",
                 "VynSolidSimprepVisit()", "VynUtilCollectSolidSimpreps()", [&](void* data) {
                   return VynSolidSimprepVisit(solid, item_filter, item_action3, data);
                 });
}

VynError VynUtilCollectSimprepsdataitems(const VynSimprepdata* simprep, VynArray* array) {
  return collect(array, VYN_UTIL_SIMPREP_ITEM_SIZE, "VynFunction", "VynFunction",
                 "VynSimprepdataitemsVisit()", "VynUtilCollectSimprepsdataitems()",
                 [&](void* data) {
                   return VynSimprepdataitemsVisit(simprep, VynUtilDefaultFilter,
                                                   VynUtilCollect3ParamDBVisitAction, data);
                 });
}

VynError VynUtilCollectSolidFeaturesWithFilter(VynSolid solid, VynFeatureFilterAction filter,
                                               VynArray* array) {
  return collect(array, kItemSize, "VynFeatureVisitAction", "VynFeatureFilterAction",
                 "VynSolidFeatVisit()", "VynUtilCollectSolidFeaturesWithFilter()",
                 [&](void* data) { return VynSolidFeatVisit(solid, item_action3, filter, data); });
}

VynError VynUtilCollectSurfaceContours(VynSurface surface, VynArray* array) {
  return collect(
      array, kHandleSize, "VynSurfaceContourVisitAction", "VynSurfaceContourFilterAction",
      "VynSurfaceContourVisit()", "VynUtilCollectSurfaceContours()", [&](void* data) {
        return VynSurfaceContourVisit(surface, handle_action3, VynUtilDefaultFilter, data);
      });
}

VynError VynUtilCollectMdlLayers(VynMdl model, VynArray* array) {
  // The host calls a layer visit's action with the filter's status, as every item visit.
  return collect(array, kItemSize, "VynLayerAction", "VynLayerAction", "VynMdlLayerVisit()",
                 "VynUtilCollectMdlLayers()", [&](void* data) {
                   return VynMdlLayerVisit(model, item_action3, item_filter, data);
                 });
}

VynError VynUtilCollectProcstep(VynSolid solid, VynArray* array) {
  return collect(array, kItemSize, "VynGeomitemAction", "VynGeomitemFilter", "VynProcstepVisit()",
                 "VynUtilCollectProcstep()", [&](void* data) {
                   return VynProcstepVisit(solid, item_action3, item_filter, data);
                 });
}

VynError VynUtilCollectWindowIds(VynArray* array) {
  return collect(array, static_cast<int>(sizeof(int)), "VynWindowVisitAction", "",
                 "VynWindowsVisit()", "VynUtilCollectWindowIds()", [&](void* data) {
                   return VynWindowsVisit(VynUtilCollect2ParamIdVisitAction, data);
                 });
}

VynError VynUtilCollectSolidXsec(VynSolid solid, VynArray* array) {
  if (!array) return VYN_TK_BAD_INPUTS;
  VynError status = VynArrayAlloc(0, VYN_UTIL_XSEC_SIZE, 1, array);
  if (status != VYN_TK_NO_ERROR) return status;
  action_text = "VynSolidXsecVisitAction";
  filter_text = "";
  // What the visit found is kept whatever its status; an empty array is a result too.
  report_visit("VynSolidXsecVisit()", "VynUtilCollectSolidXsec()",
               VynSolidXsecVisit(solid, VynUtilCollect2ParamDBVisitAction, array));
  int size = 0;
  status = VynArraySizeGet(*array, &size);
  if (status != VYN_TK_NO_ERROR) {
    VynArrayFree(array);
    *array = nullptr;
  }
  return status;
}

VynError VynUtilCollectSolidAnalysis(VynSolid solid, VynArray* array) {
  return collect(array, kHandleSize, "VynAnalysisVisitAction", "VynAnalysisFilterAction",
                 "VynSolidAnalysisVisit()", "VynUtilCollectSolidAnalysis()", [&](void* data) {
                   return VynSolidAnalysisVisit(solid, handle_action3, VynUtilDefaultFilter, data);
                 });
}

VynError VynUtilCollectSolidFeatures(VynSolid solid, VynArray* array) {
  return VynUtilCollectSolidFeaturesWithFilter(solid, item_filter, array);
}
VynError VynUtilCollectNCSeqFeat(VynSolid solid, VynArray* array) {
  return VynUtilCollectSolidFeaturesWithFilter(solid, VynUtilCollectNCSeqFeatFilter, array);
}
VynError VynUtilCollectDtmCurveFeat(VynSolid solid, VynArray* array) {
  return VynUtilCollectSolidFeaturesWithFilter(solid, VynUtilCollectDtmCurveFeatFilter, array);
}
VynError VynUtilCollectSolidFeatvis(VynSolid solid, VynArray* array) {
  return VynUtilCollectSolidFeaturesWithFilter(solid, VynUtilFeatvisFilterAction, array);
}
VynError VynUtilCollectAsmcomp(VynSolid solid, VynArray* array) {
  return VynUtilCollectSolidFeaturesWithFilter(solid, VynUtilAsmcompFilterAction, array);
}

VynError VynUtilCollectDimension(VynMdl model, int kind, int filter, VynArray* array) {
  if (!array) return VYN_TK_BAD_INPUTS;
  int* ids = nullptr;
  VynError n = vyndim_get_dim_ids(model, kind, filter, &ids);
  VynTestCallReport("vyndim_get_dim_ids()", "VynUtilCollectDimension()", n, n < 0);
  if (n == 0) return VYN_TK_E_NOT_FOUND;
  if (n < 0 || !ids) return VYN_TK_GENERAL_ERROR;
  VynError status = VynArrayAlloc(0, static_cast<int>(sizeof(int)), 1, array);
  if (status != VYN_TK_NO_ERROR) return status;
  status = VynArrayObjectAdd(array, -1, n, ids);
  if (status != VYN_TK_NO_ERROR) {
    VynArrayFree(array);
    *array = nullptr;
  }
  return status;
}

VynError VynUtilCollectSolidAxisByVector(VynSolid solid, const double* direction, int mode,
                                         VynArray* array) {
  if (!array || !direction) return VYN_TK_BAD_INPUTS;
  VynError status = VynArrayAlloc(0, kHandleSize, 1, array);
  if (status != VYN_TK_NO_ERROR) return status;
  VynUtilAxisByVectorData data{*array, {direction[0], direction[1], direction[2]}, mode};
  action_text = "VynAxisVisitAction";
  filter_text = "VynAxisFilterAction";
  status = report_visit("VynSolidAxisVisit()", "VynUtilCollectSolidAxisByVector()",
                        VynSolidAxisVisit(solid, handle_action3, axis_by_vector_filter, &data));
  *array = data.array;
  if (status != VYN_TK_NO_ERROR) {
    VynArrayFree(array);
    *array = nullptr;
  }
  return status;
}

VynError VynUtilCollectSolidAxisByPlane(VynSolid solid, VynSurface surface, int mode,
                                        VynArray* array) {
  int type = 0;
  if (VynSurfaceTypeGet(surface, &type) != VYN_TK_NO_ERROR || type != kSurfacePlane)
    return VYN_TK_BAD_INPUTS;
  VynGeomitemdata* geometry = nullptr;
  if (VynSurfaceDataGet(surface, &geometry) != VYN_TK_NO_ERROR || !geometry)
    return VYN_TK_BAD_INPUTS;
  double normal[3] = {};
  VynError status = VYN_TK_BAD_INPUTS;
  if (geometry->data.p_surface_data) {
    VynSurfaceShape shape;
    std::memset(&shape, 0, sizeof shape);
    status = VynSurfacedataGet(geometry->data.p_surface_data, nullptr, nullptr, nullptr, nullptr,
                               &shape, nullptr);
    if (status == VYN_TK_NO_ERROR)
      status = VynPlanedataGet(&shape, nullptr, nullptr, normal, nullptr);
  }
  VynGeomitemdataFree(&geometry);
  if (status != VYN_TK_NO_ERROR) return VYN_TK_BAD_INPUTS;
  return VynUtilCollectSolidAxisByVector(solid, normal, mode, array);
}

VynError VynUtilCollectOneLevelAsmcomppath(VynSolid model, VynAsmcomppath* path, int level,
                                           VynArray* array) {
  if (!path || !array) return VYN_TK_BAD_INPUTS;
  VynArray components = nullptr;
  VynError status = VynUtilCollectAsmcomp(model, &components);
  if (status == VYN_TK_E_NOT_FOUND) return VYN_TK_NO_ERROR;  // a model without components
  if (status != VYN_TK_NO_ERROR) return status;
  int n = 0;
  VynArraySizeGet(components, &n);
  const VynAsmcomp* list = static_cast<const VynAsmcomp*>(components);
  for (int i = 0; i < n && status == VYN_TK_NO_ERROR; ++i) {
    // The table holds VYN_ASMCOMPPATH_MAX levels: a deeper component cannot be written.
    if (level < 0 || level >= VYN_ASMCOMPPATH_MAX) {
      VynTestCallReport("VynUtilCollectOneLevelAsmcomppath()", "VynUtilCollectAsmcomppath()",
                        VYN_TK_GENERAL_ERROR, 1);
      status = VYN_TK_GENERAL_ERROR;
      break;
    }
    path->comp_id_table[level] = list[i].id;
    if (level + 1 < VYN_ASMCOMPPATH_MAX) path->comp_id_table[level + 1] = -1;
    path->table_num = level + 1;
    status = VynArrayObjectAdd(array, -1, 1, path);
    VynMdl placed = nullptr;
    int type = 0;
    if (status == VYN_TK_NO_ERROR &&
        VynAsmcompMdlGet(const_cast<VynAsmcomp*>(&list[i]), &placed) == VYN_TK_NO_ERROR &&
        VynMdlTypeGet(placed, &type) == VYN_TK_NO_ERROR && type == kModelAssembly)
      status = VynUtilCollectOneLevelAsmcomppath(placed, path, level + 1, array);
  }
  VynArrayFree(&components);
  return status;
}

VynError VynUtilCollectAsmcomppath(VynSolid assembly, VynArray* array, int* count) {
  if (!array || !count) return VYN_TK_BAD_INPUTS;
  VynError status = VynArrayAlloc(0, static_cast<int>(sizeof(VynAsmcomppath)), 10, array);
  if (status != VYN_TK_NO_ERROR) return status;
  VynAsmcomppath path;
  std::memset(&path, 0, sizeof path);
  path.owner = assembly;
  path.comp_id_table[0] = -1;
  status = VynUtilCollectOneLevelAsmcomppath(assembly, &path, 0, array);
  int size = 0;
  if (status == VYN_TK_NO_ERROR) VynArraySizeGet(*array, &size);
  if (status == VYN_TK_NO_ERROR && size == 0) status = VYN_TK_E_NOT_FOUND;
  if (status != VYN_TK_NO_ERROR) {
    VynArrayFree(array);
    *array = nullptr;
    return status;
  }
  *count = size;
  return VYN_TK_NO_ERROR;
}

VynError VynUtilCollectOneLevelDtmPnts(VynSolid model, VynAsmcomppath* path, VynArray* array) {
  if (!array) return VYN_TK_BAD_INPUTS;
  VynArray features = nullptr;
  VynError status =
      VynUtilCollectSolidFeaturesWithFilter(model, VynUtilCollectDtmPointFeatFilter, &features);
  if (status != VYN_TK_NO_ERROR) return status;
  int n = 0;
  VynArraySizeGet(features, &n);
  VynFeature* list = static_cast<VynFeature*>(features);
  for (int i = 0; i < n; ++i) {
    VynArray points = nullptr;
    if (VynUtilCollectFeatureGeomitems(&list[i], kTypePoint, &points) != VYN_TK_NO_ERROR) continue;
    int m = 0;
    VynArraySizeGet(points, &m);
    VynGeomitem* items = static_cast<VynGeomitem*>(points);
    for (int k = 0; k < m; ++k) {
      VynSelection selection = nullptr;
      if (VynSelectionAlloc(path, &items[k], &selection) == VYN_TK_NO_ERROR)
        VynArrayObjectAdd(array, -1, 1, &selection);
    }
    VynArrayFree(&points);
  }
  VynArrayFree(&features);
  return VYN_TK_NO_ERROR;
}

VynError VynUtilCollectSolidDtmPnts(VynSolid solid, VynArray* array, int* count) {
  if (!array || !count) return VYN_TK_BAD_INPUTS;
  VynError status = VynArrayAlloc(0, kHandleSize, 10, array);
  if (status != VYN_TK_NO_ERROR) return status;
  // A level without datum points (-4) leaves the others to look at.
  status = VynUtilCollectOneLevelDtmPnts(solid, nullptr, array);
  if (status == VYN_TK_E_NOT_FOUND) status = VYN_TK_NO_ERROR;
  int type = 0;
  if (status == VYN_TK_NO_ERROR && VynMdlTypeGet(solid, &type) == VYN_TK_NO_ERROR &&
      type == kModelAssembly) {
    VynArray paths = nullptr;
    int n = 0;
    if (VynUtilCollectAsmcomppath(solid, &paths, &n) == VYN_TK_NO_ERROR) {
      VynAsmcomppath* list = static_cast<VynAsmcomppath*>(paths);
      for (int i = 0; i < n; ++i) {
        VynMdl model = nullptr;
        if (VynAsmcomppathMdlGet(&list[i], &model) == VYN_TK_NO_ERROR)
          VynUtilCollectOneLevelDtmPnts(model, &list[i], array);
      }
      VynArrayFree(&paths);
    }
  }
  int size = 0;
  if (status == VYN_TK_NO_ERROR) VynArraySizeGet(*array, &size);
  if (status == VYN_TK_NO_ERROR && size == 0) status = VYN_TK_E_NOT_FOUND;
  if (status != VYN_TK_NO_ERROR) {
    VynArrayFree(array);
    *array = nullptr;
    return status;
  }
  *count = size;
  return VYN_TK_NO_ERROR;
}

VynError VynUtilSelectionArrayFree(VynArray* array) {
  if (!array || !*array) return VYN_TK_NO_ERROR;
  int n = 0;
  VynArraySizeGet(*array, &n);
  VynSelection* list = static_cast<VynSelection*>(*array);
  for (int i = 0; i < n; ++i) VynSelectionFree(&list[i]);
  VynArrayFree(array);
  *array = nullptr;
  return VYN_TK_NO_ERROR;
}

VynError VynUtilElemtreeElementArrayFree(VynArray* array) {
  if (!array || !*array) return VYN_TK_NO_ERROR;
  int n = 0;
  VynError status = VynArraySizeGet(*array, &n);
  VynUtilElemRecord* list = static_cast<VynUtilElemRecord*>(*array);
  for (int i = 0; i < n; ++i) status = VynElempathFree(&list[i].path);
  status = VynArrayFree(array);
  *array = nullptr;
  return status;
}

// ---- Finders

VynError VynUtilFindFeatureByName(VynSolid solid, const VynWchar* name, VynFeature* feature) {
  if (!name || !feature) return VYN_TK_BAD_INPUTS;
  VynUtilFindData data{feature, name};
  return find_result(
      "VynSolidFeatVisit()", "VynUtilFindFeatureByName()",
      VynSolidFeatVisit(solid, VynUtilFindModelitemVisitAction, VynUtilByNameFilterAction, &data));
}

VynError VynUtilFindFeatvisByName(VynSolid solid, const VynWchar* name, VynFeature* feature) {
  if (!name || !feature) return VYN_TK_BAD_INPUTS;
  VynUtilFindData data{feature, name};
  return find_result("VynSolidFeatVisit()", "VynUtilFindFeatvisByName()",
                     VynSolidFeatVisit(solid, VynUtilFindModelitemVisitAction,
                                       VynUtilFeatvisByNameFilterAction, &data));
}

VynError VynUtilFindFeatureGeomitemByName(VynFeature* feature, int type, const VynWchar* name,
                                          VynGeomitem* item) {
  if (!name || !item) return VYN_TK_BAD_INPUTS;
  VynUtilFindData data{item, name};
  return find_result("VynFeatureGeomitemVisit()", "VynUtilFindFeatureGeomitemByName()",
                     VynFeatureGeomitemVisit(feature, type, VynUtilFindModelitemVisitAction,
                                             VynUtilByNameFilterAction, &data));
}

VynError VynUtilFindCsysByName(VynSolid solid, const VynWchar* name, VynGeomitem* item) {
  return find_geomitem(solid, name, item, kTypeCsys, "VynUtilFindCsysByName()");
}
VynError VynUtilFindAxisByName(VynSolid solid, const VynWchar* name, VynGeomitem* item) {
  return find_geomitem(solid, name, item, kTypeAxis, "VynUtilFindAxisByName()");
}
VynError VynUtilFindSurfaceByName(VynSolid solid, const VynWchar* name, VynGeomitem* item) {
  return find_geomitem(solid, name, item, kTypeSurface, "VynUtilFindSurfaceByName()");
}

// ---- Traversal

VynError VynUtilAsmcompVisit(VynSolid solid, VynFeatureVisitAction action, void* data) {
  return VynSolidFeatVisit(solid, action, VynUtilAsmcompFilterAction, data);
}

VynError VynUtilFeatvisVisit(VynSolid solid, VynFeatureVisitAction action, void* data) {
  return VynSolidFeatVisit(solid, action, VynUtilFeatvisFilterAction, data);
}

VynError VynUtilGeomitemactiveVisit(VynFeature* feature, int type, VynGeomitemVisitAction action,
                                    void* data) {
  return VynFeatureGeomitemVisit(feature, type, action, VynUtilGeomitemactiveFilterAction, data);
}

VynError VynUtilAsmTraverse(VynSolid assembly, VynUtilAsmTraverseAction action, void* app_data) {
  if (!action) return VYN_TK_BAD_INPUTS;
  Traversal traversal;
  std::memset(&traversal, 0, sizeof traversal);
  traversal.app_data = app_data;
  traversal.action = action;
  int table[VYN_ASMCOMPPATH_MAX] = {};
  VynError status = VynAsmcomppathInit(assembly, table, 0, &traversal.path);
  VynTestCallReport("VynAsmcomppathInit()", "VynUtilAsmTraverse()", status, status != 0);
  VynUtilAsmcompVisit(assembly, traverse_action, &traversal);
  return VYN_TK_NO_ERROR;
}

VynError VynUtilAsmFeatsTraverse(VynSolid assembly, VynUtilAsmTraverseAction action,
                                 void* app_data) {
  return VynUtilAsmTraverse(assembly, action, app_data);
}
