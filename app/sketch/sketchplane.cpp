#include "app/sketch/sketchplane.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/feature/elemtree.h"
#include "app/menus/app_init.h"
#include "app/parts/autoview.h"
#include "app/sketch/sketchfix.h"
#include "app/sketch/sketchplane_testing.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/local/local_param.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr double kLineTol = 0.01;
constexpr double kNormalTol = 1e-6;

void info_text(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM INFO %0s", text); }
void warn_text(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM WARN %0s", text); }
void error_text(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", text); }
void prompt_text(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM PROMPT %0s", text); }

// The ends of a picked draft line carried into model units by its view's transform.
int line_in_model(const YrlDrawInfo* draw, VynSelection sel, int view_id, double* a, double* b) {
  double p[3], q[3], trf[4][4];
  int status = YrlGetEndPointsFromSelectionNoTrf(sel, p, q);
  if (status == VYN_TK_NO_ERROR) status = YrlGetDrwToMdlTrfForView(draw, view_id, trf, nullptr);
  if (status != VYN_TK_NO_ERROR) return status;
  VynUtilPointTrans(trf, p, a);
  VynUtilPointTrans(trf, q, b);
  a[2] = b[2] = 0;
  return VYN_TK_NO_ERROR;
}

int curve_type_of(VynSelection sel) {
  VynDtlentitydata data = nullptr;
  VynCurvedata* curve = nullptr;
  int type = 0;
  YrlSelectionCurveGet(sel, &data, &curve, &type);
  if (data != nullptr) VynDtlentitydataFree(data);
  return type;
}

// Distance from p to the infinite line a-b (2-D).
double line_distance(const double* p, const double* a, const double* b) {
  double foot[3], dist = 0;
  YrlProjectPointToSeg(p, a, b, foot, &dist, 0.01);
  return dist;
}

bool group_top_bot(int v) { return IsYrlViewGroupTopBot(v) != 0; }
bool group_front_rear(int v) { return IsYrlViewGroupFrontRear(v) != 0; }
bool group_right_left(int v) { return IsYrlViewGroupRightLeft(v) != 0; }

// Whether the line (orientation in its view) shows the profile view's plane edge-on.
bool line_shows_plane(int profile_view, int line_view, int orientation) {
  if (group_top_bot(profile_view))
    return orientation == 2 && (group_front_rear(line_view) || group_right_left(line_view));
  if (group_front_rear(profile_view))
    return (group_top_bot(line_view) && orientation == 2) || (group_right_left(line_view) && orientation == 1);
  if (group_right_left(profile_view))
    return orientation == 1 && (group_top_bot(line_view) || group_front_rear(line_view));
  return false;
}

const char* valid_line_key(int profile_view) {
  if (group_top_bot(profile_view)) return "YRL_SELECT_VALID_LINE_1";
  if (group_front_rear(profile_view)) return "YRL_SELECT_VALID_LINE_2";
  return "YRL_SELECT_VALID_LINE_3";
}

// The sketch line an arc or circle stands for in a revolve: through its centre, across
// the direction d from the profile view's reference point to the picked view's (both in
// drawing coordinates): centre -+ d x z, in model units.
int revolve_arc_line(const YrlDrawInfo* draw, VynSelection sel, int line_view, int profile_view, double* a,
                     double* b) {
  double v1[3], v2[3], c[3], start = 0, sweep = 0, radius = 0, trf[4][4];
  double from[3] = {0, 0, 0}, to[3] = {0, 0, 0};
  VynDtlentitydata data = nullptr;
  VynCurvedata* curve = nullptr;
  int type = 0;
  int status = YrlSelectionCurveGet(sel, &data, &curve, &type);
  if (status == VYN_TK_NO_ERROR) status = VynArcdataGet(curve, v1, v2, c, &start, &sweep, &radius);
  if (data != nullptr) VynDtlentitydataFree(data);
  if (status == VYN_TK_NO_ERROR) status = YrlViewIdRefPointGet(line_view, to);
  if (status == VYN_TK_NO_ERROR) status = YrlViewIdRefPointGet(profile_view, from);
  if (status == VYN_TK_NO_ERROR) status = YrlGetDrwToMdlTrfForView(draw, line_view, trf, nullptr);
  if (status != VYN_TK_NO_ERROR) return status;
  double d[3] = {to[0] - from[0], to[1] - from[1], 0};
  double len = std::hypot(d[0], d[1]);
  if (len <= 0) return VYN_TK_GENERAL_ERROR;  // both views at one point: no direction
  d[0] /= len, d[1] /= len;
  const double z[3] = {0, 0, 1};
  double across[3];
  VynUtilVectorCross(d, z, across);
  double s[3] = {c[0] - across[0], c[1] - across[1], 0}, e[3] = {c[0] + across[0], c[1] + across[1], 0};
  VynUtilPointTrans(trf, s, a);
  VynUtilPointTrans(trf, e, b);
  a[2] = b[2] = 0;
  return VYN_TK_NO_ERROR;
}

// No plane from this line: the attempt failed (its message is shown).
constexpr int kLineRefused = 1;
int plane_from_line(YrlFeatInfo* info, VynSelection picked, int profile_view);

// One pick of a draft entity; the host status.
int pick_one(VynSelection* picked) {
  VynArray sels = nullptr;
  int count = 0;
  int status = VynSelect("draft_ent", 1, nullptr, nullptr, nullptr, 0, &sels, &count);
  *picked = nullptr;
  if (status == VYN_TK_NO_ERROR && count > 0 && sels != nullptr) {
    VynSelectionCopy(static_cast<VynSelection*>(sels)[0], picked);
  }
  if (status == VYN_TK_NO_ERROR && *picked == nullptr) status = VYN_TK_GENERAL_ERROR;
  return status;
}

// The highest n of the part's "OFFSET_DTM_PLN<n>" datums.
struct OffsetNames {
  int highest;
};
VynError offset_name_action(VynFeature* feature, VynError, void* app_data) {
  VynName name{};
  if (VynModelitemNameGet(feature, name) != VYN_TK_NO_ERROR) return VYN_TK_NO_ERROR;
  char narrow[YRL_MODEL_NAME_SIZE] = "";
  VynWstringToString(narrow, name);
  const char prefix[] = "OFFSET_DTM_PLN";
  if (std::strncmp(narrow, prefix, sizeof prefix - 1) != 0) return VYN_TK_NO_ERROR;
  const char* digits = narrow + sizeof prefix - 1;
  char* end = nullptr;
  long n = std::strtol(digits, &end, 10);
  if (end != digits && *end == 0 && n > 0 && n < 1000000) {
    auto* names = static_cast<OffsetNames*>(app_data);
    if (n > names->highest) names->highest = static_cast<int>(n);
  }
  return VYN_TK_NO_ERROR;
}

}  // namespace

int YrlLineOrientationGet(const double* a, const double* b) {
  if (IsYrlDoubleSame(a[0], b[0], kLineTol)) return 1;
  if (IsYrlDoubleSame(a[1], b[1], kLineTol)) return 2;
  return 0;
}

int YrlSketTrf2dPntTo3dPnt(int view_id, const double* p, const double* r, double d, double* out) {
  double u = p[0] - r[0], v = p[1] - r[1];
  if (group_top_bot(view_id)) {
    out[0] = u, out[1] = d, out[2] = -v;
  } else if (group_front_rear(view_id)) {
    out[0] = u, out[1] = v, out[2] = d;
  } else if (group_right_left(view_id)) {
    out[0] = d, out[1] = v, out[2] = -u;
  } else {
    return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

int YrlViewGroupIdNormalGet(int view_id, double* n) {
  n[0] = n[1] = n[2] = 0;
  if (group_top_bot(view_id)) n[1] = 1;
  else if (group_front_rear(view_id)) n[2] = 1;
  else if (group_right_left(view_id)) n[0] = 1;
  else return VYN_TK_GENERAL_ERROR;
  return VYN_TK_NO_ERROR;
}

// ---- Sketch references -------------------------------------------------------------------

int YrlFeatInfoPlaneIdForViewGet(const YrlPartInfo* part, const char* view_name, int* plane_id) {
  *plane_id = -1;
  char part_name[YRL_MODEL_NAME_SIZE] = "";
  VynWstringToString(part_name, part->name);
  char side[64] = "";
  int id = -1;
  if (YrlMapped2dViewDtmIdGet(part_name, view_name, side, &id) == VYN_TK_NO_ERROR && id > 0) {
    *plane_id = id;
    return VYN_TK_NO_ERROR;
  }
  VynModelitem item{};
  if (YrlDatumFindForViewName(part->part, view_name, &item) && item.id > 0) {
    *plane_id = item.id;
    return VYN_TK_NO_ERROR;
  }
  int group = 0, type = 0;
  YrlViewSetupGroupIdFromNameGet(view_name, &group, &type);
  if (view_name[0] != 0 && type == YRL_VIEW_ORTHO) {
    VynMessageDisplay(YrlMsgFile, "YRL_FEAT_NO_DATUM_FOR_VIEW", view_name);
  }
  return VYN_TK_GENERAL_ERROR;
}

int YrlSketchReferencesGet(const YrlPartInfo* part, int view_id, int* plane_id, VynModelitem* orientation_ref,
                           int* orientation_code, VynModelitem* first_ref, VynModelitem* second_ref,
                           VynModelitem* view_datum, char* view_name) {
  char name[32] = "";
  YrlViewIdNameGet(view_id, name);
  int id = -1;
  YrlFeatInfoPlaneIdForViewGet(part, name, &id);
  const VynModelitem *orient = nullptr, *first = nullptr, *second = nullptr;
  int code = 0;
  if (group_top_bot(view_id)) orient = &part->right, code = 4, first = &part->right, second = &part->front;
  else if (group_front_rear(view_id)) orient = &part->right, code = 4, first = &part->right, second = &part->top;
  else if (group_right_left(view_id)) orient = &part->front, code = 3, first = &part->top, second = &part->front;
  if (orient != nullptr) {
    if (orientation_ref) *orientation_ref = *orient;
    if (orientation_code) *orientation_code = code;
    if (first_ref) *first_ref = *first;
    if (second_ref) *second_ref = *second;
  }
  VynModelitem datum{};
  int status = YrlDatumFindForViewName(part->part, name, &datum) ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
  if (view_datum) *view_datum = datum;
  if (view_name) std::memcpy(view_name, name, sizeof name);
  if (plane_id) *plane_id = id;
  return id < 0 ? VYN_TK_GENERAL_ERROR : status;
}

int YrlFeatInfoSketchReferencesGet(YrlFeatInfo* info) {
  YrlSketchValInfo& s = info->sketch;
  // A section view's plane is a datum plane through its cutting line; an auxiliary
  // view's is the part's face its cutting line shows edge-on.
  if (IsYrlViewTypeNonOrtho(s.view_id)) {
    int status = IsYrlViewTypeSection(s.view_id) ? YrlSketchPlaneforSectionViewGet(info)
                                                  : YrlSketchPlaneforAuxViewGet(info);
    if (status != VYN_TK_NO_ERROR) return status;
    YrlViewIdNameGet(s.view_id, s.view_name);
    YrlFeatInfoPlaneIdForViewGet(&info->part, s.view_name, &s.plane_id);
    YrlDatumFindForViewName(info->part.part, s.view_name, &s.view_datum);
    return VYN_TK_NO_ERROR;
  }
  return YrlSketchReferencesGet(&info->part, s.view_id, &s.plane_id, &s.orientation_ref, &s.orientation_code,
                                &s.first_ref, &s.second_ref, &s.view_datum, s.view_name);
}

// ---- Sketch plane ------------------------------------------------------------------------

// The part and feature type of the current run; kept for the run, read by nothing else.
VynMdl yrl_sketch_temp_part = nullptr;
int yrl_sketch_temp_type = 0;

void YrlSketchTempInit(VynMdl part, int feature_type) {
  yrl_sketch_temp_part = part;
  yrl_sketch_temp_type = feature_type;
}

int YrlSketchPlaneAutoSelect(const YrlPartInfo* part, VynModelitem* item) {
  int views = 0;
  YrlViewSetupFindNoOfViews(&views, nullptr, nullptr);
  VynArray names = nullptr;
  int count = 0;
  if (views != 1 || YrlViewSetupOrthoViewNamesGet(&count, &names, nullptr) != VYN_TK_NO_ERROR || count != 1) {
    if (names != nullptr) VynArrayFree(&names);
    return VYN_TK_GENERAL_ERROR;
  }
  const char* name = static_cast<const char*>(names);
  const VynModelitem* datum = nullptr;
  if (std::strcmp(name, "FRONT") == 0) datum = &part->front;
  else if (std::strcmp(name, "TOP") == 0) datum = &part->top;
  else if (std::strcmp(name, "RIGHT") == 0) datum = &part->right;
  VynArrayFree(&names);
  if (datum == nullptr) return VYN_TK_GENERAL_ERROR;
  *item = *datum;
  return VYN_TK_NO_ERROR;
}

int YrlFeatInfoSketchPlaneAutoSelect(YrlFeatInfo* info) {
  int profile_view = info->sketch.view_id;
  if (IsYrlViewTypeSection(profile_view)) {
    // No pick: the section view's cutting line stands for the picked line.
    YrlViewData view{};
    view.group_id = -1;
    YrlGroupDataGet(profile_view, &view);
    if (view.group_id != profile_view || view.cut_plane_id < 1) return VYN_TK_GENERAL_ERROR;
    VynModelitem cut{YRL_DRAFT_ENTITY_TYPE, view.cut_plane_id, info->draw.drawing};
    VynSelection sel = nullptr;
    int status = VynSelectionAlloc(nullptr, &cut, &sel);
    if (status != VYN_TK_NO_ERROR) return status;
    status = plane_from_line(info, sel, profile_view);
    VynSelectionFree(&sel);
    return status == kLineRefused ? VYN_TK_GENERAL_ERROR : status;
  }
  VynModelitem item{};
  int status = YrlSketchPlaneAutoSelect(&info->part, &item);
  if (status != VYN_TK_NO_ERROR) return status;
  info->sketch.found_plane = item;
  info->sketch.use_found_plane = 1;
  info->sketch.offset = 0;
  info->plane.ref_view_id = -1;
  info->plane.line_item = VynModelitem{};
  info->sketch.created_plane = VynModelitem{};
  info->plane.plane = item;
  return VYN_TK_NO_ERROR;
}

namespace {

// 1 and the unit normal of a plane surface; 0 for another surface, -1 when the
// surface's data cannot be had.
int plane_normal(const VynGeomitem* surface, double* n) {
  VynGeomitemdata* data = nullptr;
  if (VynGeomitemdataGet(const_cast<VynGeomitem*>(surface), &data) != VYN_TK_NO_ERROR || data == nullptr) return -1;
  bool plane = data->obj_type == VYN_GEOMITEMDATA_SURFACE && data->data.p_surface_data != nullptr &&
               data->data.p_surface_data->type == VYN_SRF_PLANE;
  if (plane) std::memcpy(n, data->data.p_surface_data->shape.plane.e3, 3 * sizeof(double));
  VynGeomitemdataFree(&data);
  if (!plane) return 0;
  double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len <= 0) return 0;
  for (int k = 0; k < 3; ++k) n[k] /= len;
  return 1;
}

// Along the wanted normal within a tolerance: a computed normal is rarely exactly +-1.
bool along(const double* n, const double* want) {
  return 1 - std::fabs(n[0] * want[0] + n[1] * want[1] + n[2] * want[2]) <= kNormalTol;
}

}  // namespace

int YrlSketchCheckSurfOrientation(const VynGeomitem* surface, int view_id, const double* dir) {
  double n[3] = {0, 0, 0};
  if (plane_normal(surface, n) != 1) return 0;
  double want[3];
  if (YrlViewGroupIdNormalGet(view_id, want) != VYN_TK_NO_ERROR) {
    if (dir == nullptr) return 0;
    std::memcpy(want, dir, sizeof want);
  }
  return along(n, want) ? 1 : 0;
}

int YrlSketchRefSufaceNormalCheckAndCopy(const VynModelitem* surface, int view_id, const double* dir,
                                         VynModelitem* out, int* found) {
  if (surface == nullptr || out == nullptr || found == nullptr) return 0;
  if (!*found && YrlSketchCheckSurfOrientation(surface, view_id, dir) == 1) {
    *out = *surface;
    *found = 1;
  }
  return *found;
}

int YrlSketchCheckIncSurfOrientation(const VynGeomitem* surface, int view_id) {
  double n[3] = {0, 0, 0}, want[3];
  int kind = plane_normal(surface, n);
  if (kind < 0) return 0;
  if (kind == 0 || YrlViewGroupIdNormalGet(view_id, want) != VYN_TK_NO_ERROR) return 1;
  return along(n, want) ? 0 : 1;
}

int YrlSketchIncSurfFindForPoint(YrlFeatInfo* info, int mode, const double* p, const double* a, const double* b,
                                 VynModelitem* found_item, int* found) {
  *found = 0;
  int view = info->sketch.view_id;
  double trf[4][4], ref[3] = {0, 0, 0};
  YrlGetDrwToMdlTrfForView(&info->draw, view, trf, nullptr);
  YrlFeatViewRefPntGetAndTrf(view, trf, ref);
  // The profile's entities are held in the sheet's frame: taken back to the drawing, then
  // carried by the view's transform, as every other point of the view is.
  double from_sheet[4][4], carry[4][4];
  if (VynUtilMatrixInvert(info->draw.sheet_trf, from_sheet) != 1) return VYN_TK_GENERAL_ERROR;
  VynUtilMatrixProduct(from_sheet, trf, carry);
  for (int i = 0; i < info->sketch.count; ++i) {
    const YrlSketchEntity& e = info->sketch.entities[i];
    double m[3];
    if (e.curve_type == VYN_CURVE_LINE) {
      double mid[3] = {(e.start[0] + e.end[0]) / 2, (e.start[1] + e.end[1]) / 2, 0};
      VynUtilPointTrans(carry, mid, m);
    } else if (e.curve_type == VYN_CURVE_ARC || e.curve_type == VYN_CURVE_CIRCLE) {
      VynUtilPointTrans(carry, e.centre, m);
    } else {
      continue;
    }
    double r[3] = {m[0] - ref[0] + p[0], m[1] - ref[1] + p[1], 0};
    double depth = 0;
    if (YrlFindDistanceForInclinedExtent(mode, p, a, b, r, &depth) != VYN_TK_NO_ERROR) continue;
    double point[3];
    if (YrlSketTrf2dPntTo3dPnt(view, m, ref, depth, point) != VYN_TK_NO_ERROR) continue;
    VynArray hits = nullptr;
    int n_hits = 0;
    if (VynGeometryAtPointFind(info->part.part, point, &hits, &n_hits) != VYN_TK_NO_ERROR || hits == nullptr) continue;
    auto* sels = static_cast<VynSelection*>(hits);
    for (int k = 0; k < n_hits; ++k) {
      VynModelitem hit{};
      if (!*found && VynSelectionModelitemGet(sels[k], &hit) == VYN_TK_NO_ERROR && hit.type == 5 &&
          YrlSketchCheckIncSurfOrientation(&hit, view)) {
        *found_item = hit;
        *found = 1;
      }
      VynSelectionFree(&sels[k]);
    }
    VynArrayFree(&hits);
    if (*found) return VYN_TK_NO_ERROR;
  }
  return VYN_TK_GENERAL_ERROR;
}

int YrlSketchPlaneFindForEntity(YrlFeatInfo* info, const VynSelection* selections, int count, int view_id,
                                double offset, const double* ref_point, VynModelitem* found_item, int* found) {
  *found = 0;
  double trf[4][4];
  YrlGetDrwToMdlTrfForView(&info->draw, view_id, trf, nullptr);
  for (int i = 0; i < count; ++i) {
    double p[3], q[3], c[3], m[3];
    VynModelitem item{};
    VynSelectionModelitemGet(selections[i], &item);
    VynDtlentitydata data = nullptr;
    if (VynDtlentityDataGet(&item, nullptr, &data) != VYN_TK_NO_ERROR) continue;
    VynDtlentitydataFree(data);
    int status = YrlGetAllPointsFromEntityNoTrf(&item, p, q, c);
    int type = curve_type_of(selections[i]);
    if (type == VYN_CURVE_LINE && status == VYN_TK_NO_ERROR) {
      double mid[3] = {(p[0] + q[0]) / 2, (p[1] + q[1]) / 2, 0};
      VynUtilPointTrans(trf, mid, m);
    } else if (type == VYN_CURVE_ARC) {
      VynUtilPointTrans(trf, c, m);
    } else {
      continue;
    }
    double point[3];
    if (YrlSketTrf2dPntTo3dPnt(view_id, m, ref_point, offset, point) != VYN_TK_NO_ERROR) continue;
    VynArray hits = nullptr;
    int n_hits = 0;
    if (info->part.has_first_feature && VynGeometryAtPointFind(info->part.part, point, &hits, &n_hits) == VYN_TK_NO_ERROR &&
        hits != nullptr) {
      auto* sels = static_cast<VynSelection*>(hits);
      for (int k = 0; k < n_hits; ++k) {
        VynModelitem hit{};
        if (!*found && VynSelectionModelitemGet(sels[k], &hit) == VYN_TK_NO_ERROR && hit.type == 5 &&
            YrlSketchCheckSurfOrientation(&hit, view_id, nullptr)) {
          *found_item = hit;
          *found = 1;
        }
        VynSelectionFree(&sels[k]);
      }
      VynArrayFree(&hits);
      if (*found) return VYN_TK_NO_ERROR;
    }
    if (IsYrlDoubleSame(offset, 0.0, 0.01)) {
      const char* name = group_top_bot(view_id) ? "TOP" : group_front_rear(view_id) ? "FRONT" : "RIGHT";
      if (YrlDatumFindForViewName(info->part.part, name, found_item)) return *found = 1, VYN_TK_NO_ERROR;
    }
    double normal[3];
    if (YrlViewGroupIdNormalGet(view_id, normal) == VYN_TK_NO_ERROR &&
        YrlDatumFindAtPoint(info->part.part, point, normal, found_item)) {
      return *found = 1, VYN_TK_NO_ERROR;
    }
  }
  return VYN_TK_GENERAL_ERROR;
}

int YrlUtilOffsetPlaneCreate(VynSolid part, const VynModelitem* reference, double offset, VynModelitem* out) {
  VynElement root = nullptr;
  VynElementAlloc(386, &root);
  YrlFeatElementIntAdd(387, root, 923, nullptr);
  VynElement constraints = nullptr, constraint = nullptr;
  VynElementAlloc(410, &constraints);
  VynElemtreeElementAdd(root, nullptr, constraints);
  VynElementAlloc(411, &constraint);
  VynElemtreeElementAdd(constraints, nullptr, constraint);
  YrlFeatElementIntAdd(412, constraint, 3, nullptr);
  YrlFeatElementModelItemAdd(413, constraint, reference, nullptr);
  YrlFeatElementDblAdd(414, constraint, offset, nullptr);
  VynModelitem part_item{};
  VynMdlToModelitem(part, &part_item);
  VynSelection part_sel = nullptr;
  int status = VynSelectionAlloc(nullptr, &part_item, &part_sel);
  VynFeature feature{};
  VynErrors errors{};
  if (status == VYN_TK_NO_ERROR) {
    status = VynFeatureCreate(part_sel, root, nullptr, 0, &feature, &errors);
    VynSelectionFree(&part_sel);
  }
  // The host keeps a copy of the tree with the feature: this one is ours to free.
  if (root != nullptr) VynElementFree(reinterpret_cast<VynWord>(root));
  if (status != VYN_TK_NO_ERROR) return status;
  // The next number the part has free: a reopened part may hold earlier ones.
  OffsetNames names{0};
  VynSolidFeatVisit(part, offset_name_action, nullptr, &names);
  char name[32];
  std::snprintf(name, sizeof name, "OFFSET_DTM_PLN%d", names.highest + 1);
  VynName wide{};
  VynStringToWstring(wide, name);
  status = VynModelitemNameSet(&feature, wide);
  if (status == VYN_TK_NO_ERROR && !YrlDatumFind(part, name, out)) status = VYN_TK_E_NOT_FOUND;
  return status;
}

namespace {

// The sketch plane a picked (or, for a section profile, given) line stands for: checks
// the line, then finds the plane (or makes a datum plane) and stores it in info. 0 or the
// plane creation's status when the line is taken; kLineRefused when it is not.
int plane_from_line(YrlFeatInfo* info, VynSelection picked, int profile_view) {
  const bool section_profile = IsYrlViewTypeSection(profile_view) != 0;
  int line_view = -1;
  YrlViewSetupIdGetBySelection(picked, &line_view);
  double trf[4][4], ref[3] = {0, 0, 0}, a[3], b[3];
  YrlGetDrwToMdlTrfForView(&info->draw, line_view, trf, nullptr);
  YrlFeatViewRefPntGetAndTrf(line_view, trf, ref);
  int type = curve_type_of(picked);
  bool accepted = false;
  double offset = 0;
  if (type == VYN_CURVE_LINE && line_in_model(&info->draw, picked, line_view, a, b) == VYN_TK_NO_ERROR) {
    offset = line_distance(ref, a, b);
    int orientation = YrlLineOrientationGet(a, b);
    if (section_profile) {
      accepted = true;
    } else if (info->type == YRL_FEAT_DATUM_PLANE) {
      accepted = orientation != 0;
      if (!accepted) VynMessageDisplay(YrlMsgFile, "YRL_LINE_FOR_DATUM");
    } else {
      accepted = line_view != profile_view && line_shows_plane(profile_view, line_view, orientation);
      if (!accepted) VynMessageDisplay(YrlMsgFile, valid_line_key(profile_view));
    }
  } else if (type == VYN_CURVE_ARC || type == VYN_CURVE_CIRCLE) {
    if (info->type != YRL_FEAT_REVOLVE) {
      info_text("Arc or Entity is allowed only for Revolve feature");
    } else if (revolve_arc_line(&info->draw, picked, line_view, profile_view, a, b) == VYN_TK_NO_ERROR) {
      // The arc shows a revolve's round face end-on: the plane through its centre,
      // across the direction from the profile's view to the picked one.
      offset = line_distance(ref, a, b);
      accepted = true;
    }
  }
  if (!accepted) return kLineRefused;
  VynModelitem line_item{};
  VynSelectionModelitemGet(picked, &line_item);
  VynModelitem plane{};
  int found = 0;
  int status = VYN_TK_NO_ERROR;
  if (info->type == YRL_FEAT_DATUM_PLANE && !section_profile) {
    bool horizontal = YrlLineOrientationGet(a, b) == 2;
    if (group_top_bot(line_view)) plane = horizontal ? info->part.front : info->part.right;
    else if (group_front_rear(line_view)) plane = horizontal ? info->part.top : info->part.right;
    else plane = horizontal ? info->part.top : info->part.front;
    found = 1;
  } else if (section_profile) {
    // The datum plane through the cutting line; else one made at the line's place, off
    // the default plane the line runs along, on the side the line lies.
    found = YrlSketchPlaneforSectionViewGet(info) == VYN_TK_NO_ERROR;
    if (found) {
      plane = info->sketch.found_plane;
      info_text("Found an EXISTING SURFACE / DEFAULT DATUM PLANE to be used as the sketch plane..");
    } else {
      info_text("Could not find an EXISTING SURFACE to be used as the sketch plane..");
      info_text("A DATUM PLANE will be created as the sketch plane.");
      bool horizontal = YrlLineOrientationGet(a, b) == 2;
      const VynModelitem* reference = nullptr;
      int axis = 0;
      if (group_top_bot(line_view)) reference = horizontal ? (axis = 2, &info->part.front) : &info->part.right;
      else if (group_front_rear(line_view)) reference = horizontal ? (axis = 1, &info->part.top) : &info->part.right;
      else if (group_right_left(line_view)) reference = horizontal ? (axis = 1, &info->part.top) : (axis = 2, &info->part.front);
      double mid[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, 0}, at[3];
      if (reference == nullptr || YrlLineOrientationGet(a, b) == 0 ||
          YrlSketTrf2dPntTo3dPnt(line_view, mid, ref, 0, at) != VYN_TK_NO_ERROR) {
        return VYN_TK_GENERAL_ERROR;  // a cutting line that shows no default plane edge-on
      }
      offset = at[axis];
      status = YrlUtilOffsetPlaneCreate(info->part.part, reference, offset, &info->sketch.created_plane);
      // A section view's turn is fixed: a quarter turn, folded to -90 degrees.
      const double quarter[3] = {0, 1, 0}, x_axis[3] = {1, 0, 0};
      info->sketch.rotation = YrlSketchRotationFromDirection(quarter, x_axis, info->sketch.rotation_matrix);
    }
  } else {
    // The profile's entities at the line's depth, seen from the profile's view.
    double ptrf[4][4], pref[3] = {0, 0, 0};
    YrlGetDrwToMdlTrfForView(&info->draw, profile_view, ptrf, nullptr);
    YrlFeatViewRefPntGetAndTrf(profile_view, ptrf, pref);
    YrlSketchPlaneFindForEntity(info, info->sketch.selections, info->sketch.count, profile_view, offset, pref, &plane,
                                &found);
    if (found) {
      info_text("Found an EXISTING SURFACE / DEFAULT DATUM PLANE to be used as the sketch plane..");
    } else {
      info_text("Could not find an EXISTING SURFACE to be used as the sketch plane..");
      info_text("A DATUM PLANE will be created as the sketch plane.");
      // The profile view's own plane, moved along its normal by the offset.
      const VynModelitem& reference = group_top_bot(profile_view)     ? info->part.top
                                      : group_front_rear(profile_view) ? info->part.front
                                                                       : info->part.right;
      status = YrlUtilOffsetPlaneCreate(info->part.part, &reference, offset, &info->sketch.created_plane);
    }
  }
  info->sketch.found_plane = found ? plane : VynModelitem{};
  info->sketch.use_found_plane = found;
  info->sketch.offset = offset;
  info->plane.plane = found ? plane : info->sketch.created_plane;
  info->plane.ref_view_id = line_view;
  info->plane.line_item = line_item;
  return status;
}

}  // namespace

int YrlSketchPlaneSelect(YrlFeatInfo* info) {
  int profile_view = info->sketch.view_id;
  if (IsYrlViewTypeAuxilary(profile_view)) return VYN_TK_NO_ERROR;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 3) {
      VynMessageDisplay(YrlMsgFile, "YRL_SELECT_LINE_FAILED");
      return VYN_TK_GENERAL_ERROR;
    }
    prompt_text(info->type == YRL_FEAT_REVOLVE
                    ? "Select a LINE or ARC or CIRCLE entity that represents a SKETCH PLANE for revolve feature."
                    : "Select a LINE entity that represents a SKETCH PLANE where the entity(ies) is/are located.");
    VynSelection picked = nullptr;
    int status = pick_one(&picked);
    if (status == VYN_TK_USER_ABORT) return status;
    if (status == -14) {
      VynMessageDisplay(YrlMsgFile, "YRL_SELECTION_ABORTED");
      return status;
    }
    if (status != VYN_TK_NO_ERROR) continue;
    status = plane_from_line(info, picked, profile_view);
    VynSelectionFree(&picked);
    if (status != kLineRefused) return status;
  }
}

int YrlFeatInfoSketchPlaneSelect(YrlFeatInfo* info) { return YrlSketchPlaneSelect(info); }

// ---- Depth -------------------------------------------------------------------------------

int YrlFindDistanceForInclinedExtent(int mode, const double* p, const double* a, const double* b, const double* r,
                                     double* distance) {
  double A[2] = {a[0] - p[0], a[1] - p[1]};
  double B[2] = {b[0] - p[0], b[1] - p[1]};
  int along = mode == 1 ? 1 : 0;  // the coordinate climbed (y for mode 1)
  int across = 1 - along;
  double rise = std::fabs(A[along] - B[along]);
  // A line that does not climb towards r (horizontal in mode 1, vertical in mode 2)
  // reaches r's height nowhere: no distance.
  if (rise <= 0) return VYN_TK_GENERAL_ERROR;
  const double* lower = A[along] <= B[along] ? A : B;
  const double* other = lower == A ? B : A;
  double step = std::fabs(lower[along] - (r[along] - p[along])) / rise * std::fabs(A[across] - B[across]);
  double reached = other[across] >= lower[across] ? lower[across] + step : lower[across] - step;
  *distance = std::fabs(reached);
  return VYN_TK_NO_ERROR;
}

int YrlSketchExtentSelect(YrlFeatInfo* info) {
  YrlExtentInfo& x = info->extent;
  int ref_view = info->plane.ref_view_id;
  double trf[4][4], ref[3] = {0, 0, 0}, pa[3] = {0, 0, 0}, pb[3] = {0, 0, 0};
  YrlGetDrwToMdlTrfForView(&info->draw, ref_view, trf, nullptr);
  YrlFeatViewRefPntGetAndTrf(ref_view, trf, ref);
  int plane_line_id = info->plane.line_item.id;
  if (plane_line_id > 0) {
    VynSelection sel = nullptr;
    if (VynSelectionAlloc(nullptr, &info->plane.line_item, &sel) == VYN_TK_NO_ERROR) {
      line_in_model(&info->draw, sel, ref_view, pa, pb);
      VynSelectionFree(&sel);
    }
  }
  x.parallel_ref = 0;
  x.surface_found = 0;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 3) {
      VynMessageDisplay(YrlMsgFile, "YRL_COULD_NOT_SELECT_BLIND");
      return VYN_TK_GENERAL_ERROR;
    }
    if (attempt == 2) {
      warn_text("Try one more time to select a LINE entity representing a BLIND DEPTH or a REFERENCE SURFACE. If not "
                "successful, feature creation will be aborted.");
    }
    prompt_text(info->type == YRL_FEAT_REVOLVE
                    ? "Select a LINE entity that represents either an ANGLE of REVOLUTION or a REFERENCE SURFACE."
                    : "Select a LINE entity that represents either a BLIND DEPTH or a REFERENCE SURFACE.");
    VynSelection picked = nullptr;
    int status = pick_one(&picked);
    if (status == VYN_TK_USER_ABORT || status == -14) {
      warn_text("Selection aborted by user selecting another menu button");
      return status;
    }
    if (status != VYN_TK_NO_ERROR) continue;
    int view = -1;
    YrlViewSetupIdGetBySelection(picked, &view);
    VynModelitem item{};
    VynSelectionModelitemGet(picked, &item);
    double a[3], b[3];
    bool ok = true;
    if (view != ref_view) {
      error_text("The LINE entity representing the BLIND DEPTH or REFERENCE SURFACE is not from the same view as the "
                 "line indicating the SKETCH PLANE.");
      ok = false;
    } else if (item.id == plane_line_id) {
      error_text("The LINE entity representing the BLIND DEPTH or REFERENCE SURFACE cannot be the same as the line "
                 "indicating the SKETCH PLANE.");
      ok = false;
    } else if (curve_type_of(picked) != VYN_CURVE_LINE ||
               line_in_model(&info->draw, picked, view, a, b) != VYN_TK_NO_ERROR) {
      ok = false;
    }
    if (!ok) {
      VynSelectionFree(&picked);
      continue;
    }
    const double l1[2][3] = {{pa[0], pa[1], 0}, {pb[0], pb[1], 0}};
    const double l2[2][3] = {{a[0], a[1], 0}, {b[0], b[1], 0}};
    x.parallel_ref = YrlUtilLinesParallel(l1, l2);
    double distance = line_distance(ref, a, b);
    double value = 0;
    if (info->type == YRL_FEAT_REVOLVE) {
      double angle = 0;
      YrlUtilFindAngleBetweenLines(pa, pb, a, b, &angle);
      if (IsYrlDoubleSame(angle, 0.0, 0.01)) angle = 360;
      else if (angle < 0) angle += 360;
      value = angle;
    } else if (!x.parallel_ref) {
      value = std::hypot(b[0] - a[0], b[1] - a[1]);
    } else {
      // A reference surface: under an inclined line, or a plane parallel to the sketch
      // plane at the line's distance, looked for where the profile lies.
      if (YrlLineOrientationGet(a, b) == 0) {
        double mid[3] = {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2, 0};
        if (info->part.has_first_feature) {
          YrlSketchIncSurfFindForPoint(info, YrlLineOrientationGet(pa, pb), ref, a, b, &x.reference, &x.surface_found);
        }
        distance = IsYrlViewTypeNonOrtho(info->sketch.view_id) ? line_distance(mid, pa, pb)
                                                                 : std::hypot(mid[0] - ref[0], mid[1] - ref[1]);
      } else if (info->part.has_first_feature) {
        double ptrf[4][4], pref[3] = {0, 0, 0};
        YrlGetDrwToMdlTrfForView(&info->draw, info->sketch.view_id, ptrf, nullptr);
        YrlFeatViewRefPntGetAndTrf(info->sketch.view_id, ptrf, pref);
        YrlSketchPlaneFindForEntity(info, info->sketch.selections, info->sketch.count, info->sketch.view_id, distance,
                                    pref, &x.reference, &x.surface_found);
      }
      if (x.surface_found) {
        info_text("Found an EXISTING SURFACE to be used as a REFERENCE SURFACE for the extent plane..");
      } else {
        warn_text("Could not find an EXISTING SURFACE to be used as a REFERENCE SURFACE for the extent plane..");
        info_text("Calculating the distance between the lines representing the SKETCH SURFACE and REFERENCE SURFACE..");
      }
      value = x.surface_found ? distance : std::fabs(distance - info->sketch.offset);
    }
    VynSelectionFree(&picked);
    x.direction = distance > info->sketch.offset ? 1 : 0;
    x.line_item = item;
    x.depth = value;
    return VYN_TK_NO_ERROR;
  }
}

int YrlFeatInfoExtentSelect(YrlFeatInfo* info) {
  int status = YrlSketchExtentSelect(info);
  if (status != VYN_TK_NO_ERROR) VynMessageDisplay(YrlMsgFile, "YRL_SELECT_SECTPLN_FAILED");
  return status;
}

// ---- Fix lines ---------------------------------------------------------------------------

int YrlSketchFixCreate(const YrlDrawInfo* draw, const double* start, const double* end, const VynColor* colour,
                       VynSelection* selection) {
  if (draw == nullptr || start == nullptr || end == nullptr || selection == nullptr) return VYN_TK_BAD_INPUTS;
  *selection = nullptr;
  double inverse[4][4];
  if (VynUtilMatrixInvert(draw->sheet_trf, inverse) != 1) return VYN_TK_BAD_INPUTS;
  double a[3], b[3];
  int status = VynPntTrfEval(start, inverse, a);
  if (status == VYN_TK_NO_ERROR) status = VynPntTrfEval(end, inverse, b);
  VynCurvedata* curve = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynCurvedataAlloc(&curve);
  if (status == VYN_TK_NO_ERROR) status = VynLinedataInit(a, b, curve);
  if (status != VYN_TK_NO_ERROR) {
    if (curve != nullptr) VynCurvedataFree(reinterpret_cast<VynWord>(curve));
    return status;
  }
  return YrlSketchFixCurveCreate(draw, curve, colour, selection);
}

// ---- Section and auxiliary views ---------------------------------------------------------

namespace {

// The fold of a sketch rotation angle: 90 degrees or less becomes its negative, more
// becomes 180 minus itself; radians out, with its z rotation matrix.
double rotation_fold(double degrees, double matrix[4][4]) {
  double folded = degrees <= 90 ? -degrees : 180 - degrees;
  if (matrix != nullptr) {
    VynUtilMatrixCopy(nullptr, matrix);
    VynUtilRotZ(folded, matrix);
  }
  return folded * 3.141592653589793 / 180.0;
}

}  // namespace

double YrlSketchRotationFromDirection(const double* direction, const double* axis, double matrix[4][4]) {
  double dot = direction[0] * axis[0] + direction[1] * axis[1] + direction[2] * axis[2];
  // Two unit vectors can give a dot product just past 1 by rounding.
  if (dot > 1) dot = 1;
  if (dot < -1) dot = -1;
  return rotation_fold(std::fabs(std::acos(dot) * 180.0 / 3.141592653589793), matrix);
}

int YrlSketchPlaneforSectionViewGet(YrlFeatInfo* info) {
  info->sketch.section_placed = 0;
  YrlViewData view{};
  view.group_id = -1;
  YrlGroupDataGet(info->sketch.view_id, &view);
  if (view.group_id != info->sketch.view_id || view.cut_plane_id < 1) return VYN_TK_GENERAL_ERROR;
  VynModelitem cut{YRL_DRAFT_ENTITY_TYPE, view.cut_plane_id, info->draw.drawing};
  VynSelection sel = nullptr;
  int status = VynSelectionAlloc(nullptr, &cut, &sel);
  if (status != VYN_TK_NO_ERROR) return status;
  int cut_view = -1;
  YrlViewSetupIdGetBySelection(sel, &cut_view);
  double trf[4][4], ref[3] = {0, 0, 0}, a[3], b[3];
  YrlGetDrwToMdlTrfForView(&info->draw, cut_view, trf, nullptr);
  YrlFeatViewRefPntGetAndTrf(cut_view, trf, ref);
  status = line_in_model(&info->draw, sel, cut_view, a, b);
  VynSelectionFree(&sel);
  double pa[3], pb[3], n_view[3];
  if (status != VYN_TK_NO_ERROR || YrlSketTrf2dPntTo3dPnt(cut_view, a, ref, 0, pa) != VYN_TK_NO_ERROR ||
      YrlSketTrf2dPntTo3dPnt(cut_view, b, ref, 0, pb) != VYN_TK_NO_ERROR ||
      YrlViewGroupIdNormalGet(cut_view, n_view) != VYN_TK_NO_ERROR) {
    return VYN_TK_GENERAL_ERROR;
  }
  double dir[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
  double normal[3];
  VynUtilVectorCross(dir, n_view, normal);
  double len = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (len <= 0) return VYN_TK_GENERAL_ERROR;
  for (double& c : normal) c /= len;
  // Where the section view's points go (the plane, found or made, holds the cutting
  // line): its view-reference point, or without a view-reference line its own reference
  // point, stands for the end of the cutting line (in its view's reference plane) that
  // the section view draws first along the line (section building chooses it).
  YrlSketchValInfo& s = info->sketch;
  std::memcpy(s.section_line[0], pa, sizeof pa);
  std::memcpy(s.section_line[1], pb, sizeof pb);
  std::memcpy(s.section_ref, view.vpr_id > 0 ? view.vpr_point : view.ref_point, sizeof s.section_ref);
  s.section_ref[2] = 0;
  s.section_placed = 1;
  // The plane through the cutting line, facing either way, at either end.
  const double* points[2] = {pa, pb};
  for (int k = 0; k < 4; ++k) {
    double n[3] = {normal[0], normal[1], normal[2]};
    if (k % 2) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2];
    s.orientation_code = k % 2 ? 1 : 2;
    VynModelitem item{};
    if (YrlDatumFindAtPoint(info->part.part, points[k / 2], n, &item)) {
      s.found_plane = item;
      s.use_found_plane = 1;
      s.offset = 0.0;
      info->plane.plane = item;
      info->plane.ref_view_id = cut_view;
      s.rotation = rotation_fold(90, s.rotation_matrix);  // a section view's is fixed
      return VYN_TK_NO_ERROR;
    }
  }
  return VYN_TK_GENERAL_ERROR;
}

namespace {

// A drawn entity of the view data as a line in model units with its view; -1 when the
// entity is not a line or its view is not one of the orthographic groups.
int view_line_in_model(const YrlDrawInfo* draw, int entity_id, int* view, double* a, double* b, double* ref) {
  VynModelitem item{YRL_DRAFT_ENTITY_TYPE, entity_id, draw->drawing};
  VynSelection sel = nullptr;
  int status = VynSelectionAlloc(nullptr, &item, &sel);
  if (status != VYN_TK_NO_ERROR) return status;
  *view = -1;
  YrlViewSetupIdGetBySelection(sel, view);
  double trf[4][4];
  ref[0] = ref[1] = ref[2] = 0;
  status = YrlGetDrwToMdlTrfForView(draw, *view, trf, nullptr);
  if (status == VYN_TK_NO_ERROR) status = YrlFeatViewRefPntGetAndTrf(*view, trf, ref);
  if (status == VYN_TK_NO_ERROR) status = line_in_model(draw, sel, *view, a, b);
  VynSelectionFree(&sel);
  double n[3];
  if (status == VYN_TK_NO_ERROR && YrlViewGroupIdNormalGet(*view, n) != VYN_TK_NO_ERROR) status = VYN_TK_GENERAL_ERROR;
  return status;
}

// The first plane face at point that faces along normal, directly or beside an edge
// met there; found set when one is.
void aux_face_at(VynSolid part, const double* point, int view_id, const double* normal, VynModelitem* out,
                 int* found) {
  VynArray hits = nullptr;
  int n = 0;
  if (VynGeometryAtPointFind(part, const_cast<double*>(point), &hits, &n) != VYN_TK_NO_ERROR || hits == nullptr) return;
  auto* sels = static_cast<VynSelection*>(hits);
  for (int k = 0; k < n; ++k) {
    VynModelitem hit{};
    if (!*found && VynSelectionModelitemGet(sels[k], &hit) == VYN_TK_NO_ERROR) {
      if (hit.type == 5) {
        YrlSketchRefSufaceNormalCheckAndCopy(&hit, view_id, normal, out, found);
      } else if (hit.type == 6) {
        VynEdge edge = nullptr, e1 = nullptr, e2 = nullptr;
        VynSurface s1 = nullptr, s2 = nullptr;
        if (VynGeomitemToEdge(&hit, &edge) == VYN_TK_NO_ERROR &&
            VynEdgeNeighborsGet(edge, &e1, &e2, &s1, &s2) == VYN_TK_NO_ERROR) {
          for (VynSurface side : {s1, s2}) {
            VynModelitem face{};
            if (side != nullptr && VynSurfaceToGeomitem(part, side, &face) == VYN_TK_NO_ERROR) {
              YrlSketchRefSufaceNormalCheckAndCopy(&face, view_id, normal, out, found);
            }
          }
        }
      }
    }
    VynSelectionFree(&sels[k]);
  }
  VynArrayFree(&hits);
}

// Where an auxiliary view's points stand on the face its cutting line shows. The face
// seen in the view runs along the cutting line (from pa to pb in the part) and along the
// cutting line's view normal n_view (the depth of that view, which grows into the part).
// The view-reference line stands for the face's edge in the reference plane, the plane
// of the cutting line's depth, drawn along the cutting line: its picked end (the view's
// reference point) for one end of the cutting line, its other end towards the other.
// The view's content lies on one side of that line, and that side runs into the part
// along n_view. The view shows the face from outside, as every view shows what faces
// it: so its points are not mirrored on the way (their turn seen from outside, along
// the face's outward normal n_out, is the one they are drawn with), and this decides
// which end of the cutting line the reference point stands for. Without a
// view-reference line of the view itself, the line stands along the view's x axis.
// out carries a point in model units (the view's drawing-to-model transform applied)
// onto the face; -1 when the view's reference point cannot be had.
int aux_placement(const YrlDrawInfo* draw, const YrlViewData& view, const double* pa, const double* pb,
                  const double* n_view, const double* n_out, double out[4][4]) {
  double trf[4][4], ref[3] = {0, 0, 0};
  int status = YrlGetDrwToMdlTrfForView(draw, view.group_id, trf, nullptr);
  if (status == VYN_TK_NO_ERROR) status = YrlFeatViewRefPntGetAndTrf(view.group_id, trf, ref);
  if (status != VYN_TK_NO_ERROR) return status;
  ref[2] = 0;
  // x: along the view-reference line, away from its picked end.
  double x[2] = {1, 0};
  VynModelitem vpr{YRL_DRAFT_ENTITY_TYPE, view.vpr_id, draw->drawing};
  VynSelection sel = nullptr;
  if (view.vpr_id > 0 && VynSelectionAlloc(nullptr, &vpr, &sel) == VYN_TK_NO_ERROR) {
    int vpr_view = -1;
    double a[3], b[3];
    YrlViewSetupIdGetBySelection(sel, &vpr_view);
    if (vpr_view == view.group_id && line_in_model(draw, sel, vpr_view, a, b) == VYN_TK_NO_ERROR) {
      const double* far = std::hypot(a[0] - ref[0], a[1] - ref[1]) > std::hypot(b[0] - ref[0], b[1] - ref[1]) ? a : b;
      double len = std::hypot(far[0] - ref[0], far[1] - ref[1]);
      if (len > 0) x[0] = (far[0] - ref[0]) / len, x[1] = (far[1] - ref[1]) / len;
    }
    VynSelectionFree(&sel);
  }
  // y: across it, towards the middle of the view (counter-clockwise from x when the
  // middle lies on the line).
  double y[2] = {-x[1], x[0]}, centre[3] = {0, 0, 0}, middle[3];
  if (YrlViewNameCentrePointGet(view.view_name, nullptr, centre) == VYN_TK_NO_ERROR) {
    VynUtilPointTrans(trf, centre, middle);
    if ((middle[0] - ref[0]) * y[0] + (middle[1] - ref[1]) * y[1] < 0) y[0] = -y[0], y[1] = -y[1];
  }
  const double turn = x[0] * y[1] - x[1] * y[0] > 0 ? 1.0 : -1.0;
  // In the part: y runs along n_view, x along the cutting line, turned with y about n_out
  // as the view turns them.
  double e1[3], e2[3] = {n_view[0], n_view[1], n_view[2]};
  VynUtilVectorCross(e2, n_out, e1);
  double len = VynUtilVectorLength(e1);
  if (!(len > 0)) return VYN_TK_GENERAL_ERROR;
  for (double& c : e1) c *= turn / len;
  const double along = (pb[0] - pa[0]) * e1[0] + (pb[1] - pa[1]) * e1[1] + (pb[2] - pa[2]) * e1[2];
  const double* anchor = along >= 0 ? pa : pb;
  VynUtilMatrixCopy(nullptr, out);
  for (int k = 0; k < 3; ++k) {
    out[0][k] = x[0] * e1[k] + y[0] * e2[k];
    out[1][k] = x[1] * e1[k] + y[1] * e2[k];
    out[2][k] = n_out[k];
    out[3][k] = anchor[k] - ref[0] * out[0][k] - ref[1] * out[1][k];
  }
  return VYN_TK_NO_ERROR;
}

}  // namespace

int YrlSketchPlaneforAuxViewGet(YrlFeatInfo* info) {
  info->sketch.aux_placed = 0;
  YrlViewData view{};
  view.group_id = -1;
  YrlGroupDataGet(info->sketch.view_id, &view);
  if (view.group_id != info->sketch.view_id || view.cut_plane_id < 1) {
    VynMessageDisplay(YrlMsgFile, "YRL_AUX_SEC_VIEW_NO_SRF_EDGE");
    return VYN_TK_GENERAL_ERROR;
  }
  int cut_view = -1;
  double a[3], b[3], ref[3];
  int status = view_line_in_model(&info->draw, view.cut_plane_id, &cut_view, a, b, ref);
  // The depth of the search: where the view-reference line's middle lies along the
  // cutting line's view normal; the front of that view without one.
  double depth = 0;
  int vpr_view = -1;
  double va[3], vb[3], vref[3];
  if (status == VYN_TK_NO_ERROR && view.vpr_id > 0 &&
      view_line_in_model(&info->draw, view.vpr_id, &vpr_view, va, vb, vref) == VYN_TK_NO_ERROR && vpr_view != cut_view) {
    double mid[3], at[3], n[3];
    YrlLineMidPointGet(va, vb, mid);
    YrlSketTrf2dPntTo3dPnt(vpr_view, mid, vref, 0, at);
    YrlViewGroupIdNormalGet(cut_view, n);
    depth = at[0] * n[0] + at[1] * n[1] + at[2] * n[2];
  }
  double pa[3], pb[3], n_view[3], normal[3];
  if (status == VYN_TK_NO_ERROR) {
    YrlSketTrf2dPntTo3dPnt(cut_view, a, ref, depth, pa);
    YrlSketTrf2dPntTo3dPnt(cut_view, b, ref, depth, pb);
    YrlViewGroupIdNormalGet(cut_view, n_view);
    double dir[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    VynUtilVectorCross(dir, n_view, normal);
    double len = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (len <= 0) status = VYN_TK_GENERAL_ERROR;
    else for (double& c : normal) c /= len;
  }
  YrlSketchValInfo& s = info->sketch;
  int found = 0;
  VynModelitem face{};
  // A third and two thirds along the line: inside the face, off its ends.
  for (double t : {1.0 / 3, 2.0 / 3}) {
    if (status != VYN_TK_NO_ERROR || found) break;
    double point[3];
    for (int k = 0; k < 3; ++k) point[k] = pa[k] + t * (pb[k] - pa[k]);
    aux_face_at(info->part.part, point, s.view_id, normal, &face, &found);
  }
  // The face's outward normal: the side the view shows it from.
  double n_out[3];
  if (found && plane_normal(&face, n_out) != 1) found = 0;
  if (!found || aux_placement(&info->draw, view, pa, pb, n_view, n_out, s.aux_to_part) != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_AUX_SEC_VIEW_NO_SRF_EDGE");
    return VYN_TK_GENERAL_ERROR;
  }
  s.aux_placed = 1;
  s.found_plane = face;
  s.use_found_plane = 1;
  s.offset = 0.0;
  info->plane.plane = face;
  info->plane.ref_view_id = cut_view;
  // The view's turn, the cutting line's angle to the sheet's x axis, kept with the
  // sketch (the placement above already carries the view's points as they are drawn).
  double drawn[3] = {b[0] - a[0], b[1] - a[1], 0};
  double len = std::hypot(drawn[0], drawn[1]);
  drawn[0] /= len, drawn[1] /= len;
  const double x_axis[3] = {1, 0, 0};
  s.rotation = YrlSketchRotationFromDirection(drawn, x_axis, s.rotation_matrix);
  return VYN_TK_NO_ERROR;
}
