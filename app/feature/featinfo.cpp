#include "app/feature/featinfo.h"

#include <cstdlib>
#include <cstring>

#include "app/feature/elemtree.h"
#include "app/feature/section.h"
#include "app/menus/app_init.h"
#include "app/sketch/sketchfix.h"
#include "app/sketch/sketchplane.h"
#include "app/util/apputil.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"

namespace {

const int kCreateOptions[] = {2};
constexpr int kFeatureActive = 0;
const int kDeleteOptions[] = {1};
// The host's error row for a feature that does not intersect the part: a cut or hole that
// takes no material, material added apart from the part.
constexpr int kErrorNoIntersection = 8;

void message_key(const char* key) { VynMessageDisplay(YrlMsgFile, key); }

// Tells the user why the host refused to build the feature, by the error rows it filled.
void build_failure_show(const VynErrors& errors) {
  bool apart = false;
  for (int i = 0; errors.rows != nullptr && i < errors.count; ++i)
    apart = apart || errors.rows[i].type == kErrorNoIntersection;
  message_key(apart ? "YRL_FEAT_NO_INTERSECTION" : "YRL_FEAT_BUILD_FAILED");
}

// Copies of the profile's selections, and when a revolve is built the axis after them
// (it becomes the section's centerline). A revolve's sketched-datum preview takes the
// profile alone: a datum curve has no centerline, and the axis as a plain line would lie
// over a profile edge on the axis.
VynSelection* selections_copy(const YrlFeatInfo* info, int type, int* count) {
  int n = info->sketch.count;
  bool axis = type == YRL_FEAT_REVOLVE && info->rev_axis.selection != nullptr;
  int total = n + (axis ? 1 : 0);
  *count = 0;
  if (total < 1) return nullptr;
  auto* copy = static_cast<VynSelection*>(std::calloc(static_cast<size_t>(total), sizeof(VynSelection)));
  if (copy == nullptr) return nullptr;
  for (int i = 0; i < n; ++i) VynSelectionCopy(info->sketch.selections[i], &copy[i]);
  if (axis) VynSelectionCopy(info->rev_axis.selection, &copy[n]);
  *count = total;
  return copy;
}

void selections_free(VynSelection* sels, int count) {
  for (int i = 0; sels != nullptr && i < count; ++i) {
    if (sels[i] != nullptr) VynSelectionFree(&sels[i]);
  }
  std::free(sels);
}

// Whether the host holds the feature built. The host keeps a sketched feature whose
// section holds no profile as an incomplete feature, without geometry: no feature the
// user can be told was built.
bool feature_built(VynFeature* feature) {
  int status = -1;
  return VynFeatureStatusGet(feature, &status) == VYN_TK_NO_ERROR && status == kFeatureActive;
}

int redefine(YrlFeatInfo* info, VynFeature* feature, VynElement tree) {
  int status = VynFeatureRedefine(nullptr, feature, tree, kCreateOptions, 1, &info->errors);
  if (status != VYN_TK_NO_ERROR) build_failure_show(info->errors);
  if (status == VYN_TK_NO_ERROR && !feature_built(feature)) {
    // Redefined, but without a profile in its section: the section failed.
    info->sketch_failed = 1;
    status = VYN_TK_GENERAL_ERROR;
  }
  info->failure = status != VYN_TK_NO_ERROR;
  return status;
}

// Whether the profile can be made into the section of a feature of type: a validated
// profile with a valid verdict, the points of a datum point, any profile of a datum curve.
bool profile_buildable(const YrlFeatInfo* info, int type) {
  if (type == YRL_FEAT_DATUM_POINT) {
    int n = 0;
    return info->datum_point.points != nullptr && VynArraySizeGet(info->datum_point.points, &n) == VYN_TK_NO_ERROR &&
           n > 0;
  }
  if (type == YRL_FEAT_DATUM_CURVE) return info->sketch.count > 0;
  return info->sketch.valid != 0;
}

}  // namespace

int YrlFeatIsSketchValidateFeature(int type) { return type == YRL_FEAT_EXTRUDE || type == YRL_FEAT_REVOLVE; }
int YrlFeatIsSketchedFeature(int type) {
  return type == YRL_FEAT_EXTRUDE || type == YRL_FEAT_REVOLVE || type == YRL_FEAT_DATUM_CURVE ||
         type == YRL_FEAT_DATUM_POINT;
}
int YrlFeatIsDatumFeature(int type) { return type >= YRL_FEAT_DATUM_CURVE && type <= YRL_FEAT_CSYS; }

int YrlSketchCheckValidation(YrlFeatInfo* info, YrlSketchValInfo* sketch) {
  if (info == nullptr || sketch == nullptr) return 0;
  YrlSketchEntity axis{};
  bool revolve = info->type == YRL_FEAT_REVOLVE;
  bool has_axis = false;
  if (revolve && info->rev_axis.view_id >= 1 && info->rev_axis.selection != nullptr) {
    double a[3], b[3];
    if (YrlGetEndPointsFromSelection(info->rev_axis.selection, a, b) == VYN_TK_NO_ERROR) {
      YrlSketchEntityLineSet(&axis, a, b);
      has_axis = true;
    }
  }
  YrlSketchValidate(sketch, revolve, has_axis ? &axis : nullptr, info->sub_type == YRL_FEAT_CUT);
  return 0;
}

// ---- Building ----------------------------------------------------------------------------

int YrlFeatInfoFeatRegen(YrlFeatInfo* info) {
  if (info == nullptr) return VYN_TK_BAD_INPUTS;
  return YrlFeatInfoFeatRegenLow(info, info->type, &info->feature, &info->tree);
}

int YrlFeatInfoFeatRegenLow(YrlFeatInfo* info, int type, VynFeature* feature, VynElement* tree) {
  if (info == nullptr || feature == nullptr || tree == nullptr) return VYN_TK_BAD_INPUTS;
  YrlFeatInfoFeatElememntsAdd(info, type, tree);
  VynModelitem part_item{};
  int status = VynMdlToModelitem(info->part.part, &part_item);
  VynSelection part_sel = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynSelectionAlloc(nullptr, &part_item, &part_sel);
  if (status == VYN_TK_NO_ERROR) {
    status = VynFeatureCreate(part_sel, *tree, kCreateOptions, 1, feature, &info->errors);
    if (status != VYN_TK_NO_ERROR) build_failure_show(info->errors);
    VynSelectionFree(&part_sel);
  }
  if (status == VYN_TK_NO_ERROR && YrlFeatIsSketchedFeature(type)) {
    status = YrlFeatInfoSketchAddAndRedefine(info, feature, type, tree);
    if (status == VYN_TK_NO_ERROR) status = YrlFeatInfoMiscElemAdd(info, feature, type, tree);
  } else if (status == VYN_TK_NO_ERROR && type == YRL_FEAT_HOLE) {
    // A hole has no sketch, but its direction is set and the hole redefined here as
    // well, so that a flip chosen before the first build is built with it.
    status = YrlFeatInfoMiscElemAdd(info, feature, type, tree);
  }
  if (status == VYN_TK_NO_ERROR && !feature_built(feature)) {
    // Made, but left without geometry: deleted, and a sketched one's section failed.
    if (YrlFeatIsSketchedFeature(type)) info->sketch_failed = 1;
    YrlFeatIncompleteFeatureDelete(feature, nullptr, nullptr);
    status = VYN_TK_GENERAL_ERROR;
  }
  return status;
}

int YrlFeatInfoSketchAddAndRedefine(YrlFeatInfo* info, VynFeature* feature, int type, VynElement* tree) {
  // A profile that failed, or one that cannot make a section, builds nothing: the
  // feature would stay without its section, and the user would be told it was built.
  if (info->sketch_failed || !profile_buildable(info, type)) {
    info->sketch_failed = 1;
    YrlFeatIncompleteFeatureDelete(feature, nullptr, nullptr);
    return VYN_TK_GENERAL_ERROR;
  }
  int count = 0;
  VynSelection* sels = selections_copy(info, type, &count);
  VynElement own = nullptr;
  int status = VynFeatureElemtreeCreate(feature, &own);
  if (status == VYN_TK_NO_ERROR) *tree = own;
  if (status == VYN_TK_NO_ERROR && type != YRL_FEAT_DATUM_CURVE) info->tree = own;
  // Each feature (the preview and the main one) has its own section: the one of its tree.
  VynSection section = nullptr;
  if (status == VYN_TK_NO_ERROR && !YrlSectionGetNew(own, &section)) {
    message_key("YRL_SECTION_FIND_FAILED");
    selections_free(sels, count);
    YrlFeatIncompleteFeatureDelete(feature, nullptr, nullptr);
    return VYN_TK_GENERAL_ERROR;
  }
  if (status == VYN_TK_NO_ERROR) {
    YrlUtilSectionClean(section);
    message_key("YRL_FEAT_SOLVING_SECTION");
    status = YrlAddSectionEntitiesNew(&info->draw, &info->sketch, &info->datum_point, type, info->sketch.view_id, sels,
                                      count, info->part.datums_found, &info->sketch.first_ref, &info->sketch.second_ref,
                                      section);
  }
  selections_free(sels, count);
  if (status != VYN_TK_NO_ERROR) {
    // The profile could not be made into a section: no section is built from it again
    // until the user picks a new profile or sketch plane.
    info->sketch_failed = 1;
    YrlFeatIncompleteFeatureDelete(feature, nullptr, nullptr);
    return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

int YrlFeatInfoMiscElemAdd(YrlFeatInfo* info, VynFeature* feature, int type, VynElement* tree) {
  if (type != YRL_FEAT_DATUM_CURVE && type != YRL_FEAT_DATUM_POINT) {
    if (type == YRL_FEAT_HOLE) {
      YrlFeatElemtreeHoleDirectionSet(*tree, info->direction_flipped ? -1 : 34);
    } else {
      YrlFeatElemtreeDirectionSet(*tree, info->direction_flipped ? 1 : -1);
      int side = info->sub_type == YRL_FEAT_CUT ? (info->material_side ? 1 : 2) : 1;
      YrlFeatElemtreeMaterialsideSet(*tree, side);
    }
  }
  int status = redefine(info, feature, *tree);
  if (status != VYN_TK_NO_ERROR) {
    // The run's feature goes with what it made; the preview alone.
    if (feature == &info->feature) YrlFeatInfoIncompleteFeatureDelete(info);
    else YrlFeatIncompleteFeatureDelete(feature, nullptr, nullptr);
    info->failure = 1;
    return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

int YrlFeatInfoFeatRefresh(YrlFeatInfo* info) {
  if (redefine(info, &info->feature, info->tree) != VYN_TK_NO_ERROR) {
    YrlFeatInfoIncompleteFeatureDelete(info);
    info->failure = 1;
    return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

int YrlFeatInfoRedefine(YrlFeatInfo* info) { return redefine(info, &info->feature, info->tree); }

int YrlFeatInfoSktPreviewFeatRedefine(YrlFeatInfo* info) {
  return redefine(info, &info->preview, info->preview_tree);
}

int YrlFeatInfoFeatNameUpdate(YrlFeatInfo* info) {
  if (info->name[0] == 0) {
    int status = VynModelitemNameGet(&info->feature, info->name);
    if (status != VYN_TK_NO_ERROR) status = VynModelitemDefaultnameGet(&info->feature, info->name);
    return status;
  }
  return VynModelitemNameSet(&info->feature, info->name);
}

// ---- Preview -----------------------------------------------------------------------------

int YrlSketchedDatumPreviewFeatCreate(YrlFeatInfo* info) {
  const VynModelitem& plane = info->sketch.use_found_plane ? info->sketch.found_plane : info->sketch.created_plane;
  if (!info->sketch.valid || info->sketch_failed || plane.id < 1 || info->preview.id >= 1) return VYN_TK_NO_ERROR;
  return YrlFeatInfoFeatRegenLow(info, YRL_FEAT_DATUM_CURVE, &info->preview, &info->preview_tree);
}

void YrlSketchedDatumPreviewFeatDelete(YrlFeatInfo* info) {
  YrlFeatIncompleteFeatureDelete(&info->preview, nullptr, nullptr);
  if (info->preview.id < 1) info->preview_tree = nullptr;
}

// ---- Deleting ----------------------------------------------------------------------------

// A deletion the host refuses leaves the feature in the part: its record is kept (the
// next deletion tries it again, and the wizard builds nothing beside it) and the user is
// told. A record is zeroed once its feature is gone, deleted or no longer in the part.

namespace {

// Whether the host still holds the feature.
bool in_part(VynFeature* feature) {
  int status = 0;
  return VynFeatureStatusGet(feature, &status) == VYN_TK_NO_ERROR;
}

// Asks the host to delete the feature (id 1 or more) with what depends on it; the record
// is zeroed when the feature is gone, kept when it stays.
void feature_delete(VynFeature* feature) {
  if (feature == nullptr || feature->id < 1) return;
  int ids[] = {feature->id};
  if (VynFeatureDelete(feature->owner, ids, 1, kDeleteOptions, 1) == VYN_TK_NO_ERROR || !in_part(feature))
    *feature = VynFeature{};
}

// Tells the user of a feature whose deletion the host refused, unless it has gone since
// (with a feature it depended on), when its record is zeroed; whether it stays.
bool refusal_report(VynFeature* feature) {
  if (feature == nullptr || feature->id < 1) return false;
  if (!in_part(feature)) {
    *feature = VynFeature{};
    return false;
  }
  VynMessageDisplay(YrlMsgFile, "YRL_FEAT_DELETE_REFUSED", &feature->id);
  return true;
}

// Whether the sketch stands on the datum plane the run made.
bool sketched_on_created_plane(const YrlFeatInfo* info) {
  const VynModelitem& made = info->sketch.created_plane;
  const VynModelitem& used = info->sketch.use_found_plane ? info->sketch.found_plane : info->plane.plane;
  return made.id >= 1 && used.id == made.id && used.owner == made.owner;
}

}  // namespace

int YrlFeatIncompleteFeatureDelete(VynFeature* feature, VynModelitem* datum_plane, VynSection* section) {
  const bool asked = feature != nullptr && feature->id >= 1;
  feature_delete(feature);
  YrlFeatSktPlaneDtmDelete(datum_plane, nullptr);
  // Reported after the datum plane, which may have taken a feature standing on it along.
  const bool kept = refusal_report(feature);
  if (section != nullptr && *section != nullptr) {
    YrlUtilSectionClean(*section);
    VynSectionFree(section);
    *section = nullptr;
  }
  if (asked && !kept) VynWindowRepaint(-1);
  return VYN_TK_GENERAL_ERROR;
}

int YrlFeatSktPlaneDtmDelete(VynModelitem* item, int* deleted) {
  if (deleted != nullptr) *deleted = 0;
  if (item == nullptr) return VYN_TK_NO_ERROR;
  int status = VYN_TK_NO_ERROR;
  if (item->id >= 1) {
    VynFeature feature{};
    status = VynGeomitemFeatureGet(item, &feature);
    if (status == VYN_TK_NO_ERROR && feature.id > 0) {
      feature_delete(&feature);
      if (refusal_report(&feature)) return VYN_TK_GENERAL_ERROR;  // the plane stays, and its item
      if (deleted != nullptr) *deleted = 1;
    }
  }
  *item = VynModelitem{};
  return status;
}

void YrlFeatInfoIncompleteFeatureDelete(YrlFeatInfo* info) {
  info->created = 0;
  // A sketch plane the run made goes too: the pick that chose it is forgotten, so the
  // sketch-plane step asks for a new one instead of building on a deleted plane.
  const bool sketched_on_it = sketched_on_created_plane(info);
  // The sketch's preview stands on that plane too, and goes with it (reported once the
  // plane was asked for: a preview the host kept may go with the plane).
  if (sketched_on_it) feature_delete(&info->preview);
  YrlFeatIncompleteFeatureDelete(&info->feature, &info->sketch.created_plane, nullptr);
  if (sketched_on_it && !refusal_report(&info->preview)) info->preview_tree = nullptr;
  // A plane the host kept still holds the pick.
  if (sketched_on_it && info->sketch.created_plane.id < 1) YrlFeatInfoSketchPlaneReset(info);
}

int YrlFeatInfoFeatureLeftOver(const YrlFeatInfo* info) { return !info->created && info->feature.id >= 1; }

int YrlFeatInfoRunLeftoversDelete(YrlFeatInfo* info) {
  YrlSketchedDatumPreviewFeatDelete(info);
  if (!sketched_on_created_plane(info)) YrlFeatInfoSktPlaneDtmDelete(info);
  return info->preview.id < 1 && (info->sketch.created_plane.id < 1 || sketched_on_created_plane(info));
}

void YrlFeatInfoSketchPlaneReset(YrlFeatInfo* info) {
  info->plane.line_item = VynModelitem{};
  info->plane.ref_view_id = -1;
  info->plane.plane = VynModelitem{};
  info->sketch.use_found_plane = 0;
  info->sketch.found_plane = VynModelitem{};
  info->sketch.offset = 0;
}

void YrlFeatInfoIncompleteFeatureOnlyDelete(YrlFeatInfo* info) {
  info->created = 0;
  YrlFeatIncompleteFeatureDelete(&info->feature, nullptr, nullptr);
}

void YrlFeatInfoSktPlaneDtmDelete(YrlFeatInfo* info) { YrlFeatSktPlaneDtmDelete(&info->sketch.created_plane, nullptr); }

int YrlFeatInfoSketchFixEntErase(YrlFeatInfo* info) {
  if (info->keep_fix_entities || info->fix_entities == nullptr) return VYN_TK_NO_ERROR;
  int n = 0;
  VynArraySizeGet(info->fix_entities, &n);
  auto* items = static_cast<VynModelitem*>(info->fix_entities);
  YrlSketchFixEntitiesViewRemove(info);  // the view must not list deleted entities
  for (int i = 0; i < n; ++i) VynDtlentityDelete(&items[i], 0);
  return VYN_TK_NO_ERROR;
}

// ---- Sections ----------------------------------------------------------------------------

int YrlSectionGetNew(VynElement tree, VynSection* section) {
  const VynElempathItem items[] = {{VYN_ELEMPATH_ID, 447}, {VYN_ELEMPATH_ID, 458}};
  VynElempath path = nullptr;
  if (VynElempathAlloc(&path) != VYN_TK_NO_ERROR) return 0;
  int found = 0;
  VynElement element = nullptr;
  VynValue value = nullptr;
  VynValuedata data{};
  if (VynElempathDataSet(path, items, 2) == VYN_TK_NO_ERROR &&
      VynElemtreeElementGet(tree, path, &element) == VYN_TK_NO_ERROR &&
      VynElementValueGet(element, &value) == VYN_TK_NO_ERROR && VynValueDataGet(value, &data) == VYN_TK_NO_ERROR &&
      data.value.p != nullptr) {
    if (section != nullptr) *section = static_cast<VynSection>(data.value.p);
    found = 1;
  }
  VynElempathFree(&path);
  return found;
}

void YrlUtilSectionClean(VynSection section) {
  if (section == nullptr) return;
  VynArray ids = nullptr;
  int count = 0;
  if (VynSectionConstraintsIdsGet(section, &ids, &count) == VYN_TK_NO_ERROR && ids != nullptr) {
    for (int i = 0; i < count; ++i) VynSectionConstraintDeny(section, static_cast<int*>(ids)[i]);
    VynArrayFree(&ids);
  }
  ids = nullptr;
  count = 0;
  if (VynSectionEntityIdsGet(section, &ids, &count) == VYN_TK_NO_ERROR && ids != nullptr) {
    for (int i = 0; i < count; ++i) VynSectionEntityDelete(section, static_cast<int*>(ids)[i]);
    VynArrayFree(&ids);
  }
}

// ---- Helpers ------------------------------------------------------------------------------

void YrlFeatSelectionArrayFree(VynArray* array) {
  if (array == nullptr || *array == nullptr) return;
  int n = 0;
  VynArraySizeGet(*array, &n);
  for (int i = 0; i < n; ++i) VynSelectionFree(&static_cast<VynSelection*>(*array)[i]);
  VynArrayFree(array);
}

int YrlSelectionCurveGet(VynSelection selection, VynDtlentitydata* data, VynCurvedata** curve, int* type) {
  VynModelitem item{};
  *data = nullptr;
  int status = VynSelectionModelitemGet(selection, &item);
  if (status == VYN_TK_NO_ERROR) status = VynDtlentityDataGet(&item, nullptr, data);
  if (status == VYN_TK_NO_ERROR) status = VynDtlentitydataCurveGet(*data, curve);
  if (status == VYN_TK_NO_ERROR) status = VynCurvedataTypeGet(*curve, type);
  return status;
}

// ---- A run -------------------------------------------------------------------------------

int YrlFeatInfoBegin(YrlFeatInfo* info, int type) {
  std::memset(info, 0, sizeof(*info));
  info->type = type;
  info->sketch.view_id = -1;
  int status = VynArrayAlloc(0, sizeof(VynModelitem), 1, &info->fix_entities);
  if (status != VYN_TK_NO_ERROR) return status;
  status = YrlDrawInfoFill(&info->draw);
  YrlClearScrToDrwMatrix();
  if (status == VYN_TK_NO_ERROR) status = YrlPartInfoFill(&info->part);
  if (status != VYN_TK_NO_ERROR) return status;
  if (info->type == 0) info->type = YRL_FEAT_EXTRUDE;
  info->sub_type = YRL_FEAT_PROTRUSION;
  info->created = 0;
  YrlSketchTempInit(info->part.part, info->type);
  return VYN_TK_NO_ERROR;
}

void YrlFeatInfoEnd(YrlFeatInfo* info) {
  YrlFeatInfoSketchFixEntErase(info);
  if (info->fix_entities != nullptr) VynArrayFree(&info->fix_entities);
  YrlFeatInfoProfileFree(info);
  if (info->rev_axis.selection != nullptr) VynSelectionFree(&info->rev_axis.selection);
  if (info->hole.selection != nullptr) VynSelectionFree(&info->hole.selection);
  YrlFeatInfoDatumPointFree(info);
}

void YrlFeatInfoProfileFree(YrlFeatInfo* info) {
  for (int i = 0; info->sketch.selections != nullptr && i < info->sketch.count; ++i) {
    VynSelectionFree(&info->sketch.selections[i]);
  }
  std::free(info->sketch.selections);
  info->sketch.selections = nullptr;
  YrlSketchEntitiesFree(info->sketch.entities, info->sketch.count);
  std::free(info->sketch.entities);
  info->sketch.entities = nullptr;
}

void YrlFeatInfoDatumPointFree(YrlFeatInfo* info) {
  YrlDatumPointInfo& d = info->datum_point;
  YrlFeatSelectionArrayFree(&d.selections);
  if (d.items != nullptr) VynArrayFree(&d.items);
  if (d.points != nullptr) VynArrayFree(&d.points);
}
