#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/feature/elemtree.h"
#include "app/feature/section.h"
#include "app/menus/app_init.h"
#include "app/sketch/sketchplane.h"
#include "app/sketch/sketchsel.h"
#include "app/util/apputil.h"
#include "app/views/views.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/vecmath.h"

namespace {

void error_text(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", text); }

// Picks of "draft_ent" (max picks, -1 any number) after the prompt (a format with its
// text, or a key alone when prompt is null); the host status.
// Leaving the pick by another menu button is reported.
int pick_entities(const char* prompt_format, const char* prompt, int max, VynArray* sels, int* count) {
  VynSelectionEnv env = nullptr;
  VynSelectionEnvAlloc(nullptr, 0, &env);
  if (prompt != nullptr) VynMessageDisplay(YrlMsgFile, prompt_format, prompt);
  else VynMessageDisplay(YrlMsgFile, prompt_format);
  *sels = nullptr;
  *count = 0;
  int status = VynSelect("draft_ent", max, nullptr, nullptr, env, 0, sels, count);
  VynSelectionEnvFree(reinterpret_cast<VynWord>(env));
  if (status == -14) VynMessageDisplay(YrlMsgFile, "YRLFORM WARN %0s", "Selection aborted by user selecting another menu button");
  return status;
}

// The profile becomes the one pick (its records built, its view checked).
void profile_single_set(YrlFeatInfo* info, VynSelection selection) {
  int view_result = 0;
  YrlSketchProfileSet(info, &selection, 1, &view_result);
}

}  // namespace

// ---- Revolve axis ------------------------------------------------------------------------

int YrlSketchAxisInfoSet(YrlFeatInfo* info, VynSelection selection) {
  YrlRevolveAxisInfo& a = info->rev_axis;
  if (a.selection != nullptr) VynSelectionFree(&a.selection);
  int status = VynSelectionCopy(selection, &a.selection);
  if (status == VYN_TK_NO_ERROR) status = VynSelectionModelitemGet(selection, &a.item);
  a.view_id = -1;
  YrlViewSetupIdGetBySelection(selection, &a.view_id);
  YrlViewIdNameGet(a.view_id, a.view_name);
  a.flag = status == VYN_TK_NO_ERROR;
  return status;
}

int YrlUtilDatumAxisRefGet(YrlFeatInfo* info) {
  const YrlRevolveAxisInfo& a = info->rev_axis;
  if (a.view_id < 1 || a.selection == nullptr) return VYN_TK_GENERAL_ERROR;
  double p[3], q[3];
  if (YrlGetEndPointsFromSelection(a.selection, p, q) != VYN_TK_NO_ERROR) return VYN_TK_GENERAL_ERROR;
  bool code2 = YrlLineOrientationGet(p, q) == 2;
  const YrlPartInfo& part = info->part;
  const VynModelitem *first, *second, *third;
  if (IsYrlViewGroupTopBot(a.view_id)) {
    first = code2 ? &part.right : &part.front, second = &part.top, third = code2 ? &part.front : &part.right;
  } else if (IsYrlViewGroupFrontRear(a.view_id)) {
    first = code2 ? &part.right : &part.top, second = &part.front, third = code2 ? &part.top : &part.right;
  } else if (IsYrlViewGroupRightLeft(a.view_id)) {
    first = code2 ? &part.front : &part.top, second = &part.right, third = code2 ? &part.top : &part.front;
  } else {
    return VYN_TK_GENERAL_ERROR;
  }
  info->axis_refs.refs[0] = *first;
  info->axis_refs.refs[1] = *second;
  info->axis_refs.refs[2] = *third;
  info->axis_refs.offsets[0] = info->axis_refs.offsets[1] = 1.0;
  return VYN_TK_NO_ERROR;
}

int YrlSketchRevAxisSelect(YrlFeatInfo* info) {
  VynWindowCurrentSet(info->draw.window);
  VynArray sels = nullptr;
  int count = 0;
  int status = pick_entities("YRLFORM PROMPT %0s", "Selent a LINE entity that represents revolve Axis.", 1, &sels, &count);
  if (status != VYN_TK_NO_ERROR || count < 1 || sels == nullptr) return status != VYN_TK_NO_ERROR ? status : -1;
  VynSelection picked = static_cast<VynSelection*>(sels)[0];
  int view = -1;
  YrlViewSetupIdGetBySelection(picked, &view);
  if (info->sketch.count > 0 && info->sketch.view_id >= 1 && view != info->sketch.view_id) {
    error_text("Revolve Axis and section profile entities must be from the same view.");
    VynSelectionFree(&static_cast<VynSelection*>(sels)[0]);
    VynArrayFree(&sels);
    return VYN_TK_GENERAL_ERROR;
  }
  status = YrlSketchAxisInfoSet(info, picked);
  YrlUtilDatumAxisRefGet(info);
  VynSelectionFree(&static_cast<VynSelection*>(sels)[0]);
  VynArrayFree(&sels);
  if (YrlFeatIsSketchValidateFeature(info->type)) YrlSketchCheckValidation(info, &info->sketch);
  return status;
}

// ---- Hole --------------------------------------------------------------------------------

int YrlGetCircleinfoFromSelection(YrlFeatInfo* info, VynSelection selection, double* radius, double* centre) {
  VynDtlentitydata data = nullptr;
  VynCurvedata* curve = nullptr;
  int type = 0;
  int status = YrlSelectionCurveGet(selection, &data, &curve, &type);
  if (status == VYN_TK_NO_ERROR && type != VYN_CURVE_ARC) status = VYN_TK_GENERAL_ERROR;
  double v1[3], v2[3], origin[3], start = 0, sweep = 0, r = 0;
  if (status == VYN_TK_NO_ERROR) status = VynArcdataGet(curve, v1, v2, origin, &start, &sweep, &r);
  if (data != nullptr) VynDtlentitydataFree(data);
  if (status != VYN_TK_NO_ERROR) return status;
  double trf[4][4];
  double scale = 1.0;
  YrlGetDrwToMdlTrfForView(&info->draw, info->hole.view_id, trf, &scale);
  VynUtilPointTrans(trf, origin, centre);
  *radius = r * trf[0][0];
  info->hole.circle_flag = sweep == YRL_TWO_PI ? 2 : 1;
  return VYN_TK_NO_ERROR;
}

int YrlSketchHoleInfoSet(YrlFeatInfo* info, VynSelection selection) {
  // The hole as it was stays whole until the new pick is known to be a circle or an arc:
  // a wrong pick leaves it, its selection and the profile untouched.
  const YrlHoleInfo before = info->hole;
  YrlHoleInfo& h = info->hole;
  h.selection = nullptr;
  int status = VynSelectionCopy(selection, &h.selection);
  if (status == VYN_TK_NO_ERROR) status = VynSelectionModelitemGet(selection, &h.item);
  h.view_id = -1;
  YrlViewSetupIdGetBySelection(selection, &h.view_id);
  YrlViewIdNameGet(h.view_id, h.view_name);
  if (status == VYN_TK_NO_ERROR) status = YrlGetCircleinfoFromSelection(info, selection, &h.radius, h.centre);
  if (status != VYN_TK_NO_ERROR) {
    if (h.selection != nullptr) VynSelectionFree(&h.selection);
    info->hole = before;
    VynMessageDisplay(YrlMsgFile, "YRL_HOLE_NOT_CIRCLE");
    return status;
  }
  if (before.selection != nullptr) {
    VynSelection old = before.selection;
    VynSelectionFree(&old);
  }
  h.diameter = 2 * h.radius;
  profile_single_set(info, selection);
  return YrlFeatInfoSketchReferencesGet(info);
}

int YrlFeatInfoHoleProfileSelect(YrlFeatInfo* info) {
  VynWindowCurrentSet(info->draw.window);
  VynArray sels = nullptr;
  int count = 0;
  int status = pick_entities("YRLFORM PROMPT %0s", "Select a CIRCLE/ARC entity for the Hole feature.", 1, &sels, &count);
  if (status != VYN_TK_NO_ERROR) return status;
  if (count < 1 || sels == nullptr) {
    error_text("No entity selected.");
    if (sels != nullptr) VynArrayFree(&sels);
    return VYN_TK_GENERAL_ERROR;
  }
  status = YrlSketchHoleInfoSet(info, static_cast<VynSelection*>(sels)[0]);
  VynSelectionFree(&static_cast<VynSelection*>(sels)[0]);
  VynArrayFree(&sels);
  return status;
}

// ---- Datum points ------------------------------------------------------------------------

int YrlFeatDatumPntsAddToArray(YrlFeatInfo* info, const double* point) {
  YrlDatumPointInfo& d = info->datum_point;
  if (d.points == nullptr && VynArrayAlloc(0, sizeof(YrlDatumPoint), 1, &d.points) != VYN_TK_NO_ERROR) {
    return VYN_TK_GENERAL_ERROR;
  }
  int n = 0;
  VynArraySizeGet(d.points, &n);
  const auto* pts = static_cast<const YrlDatumPoint*>(d.points);
  for (int i = 0; i < n; ++i) {
    double dx = pts[i].point[0] - point[0], dy = pts[i].point[1] - point[1], dz = pts[i].point[2] - point[2];
    if (std::sqrt(dx * dx + dy * dy + dz * dz) <= 0.01) return VYN_TK_NO_ERROR;
  }
  YrlDatumPoint p{{point[0], point[1], point[2]}, {0, 0}};
  return VynArrayObjectAdd(&d.points, -1, 1, &p);
}

int YrlFeatGetDatumPointsFromEntity(YrlFeatInfo* info) {
  YrlDatumPointInfo& d = info->datum_point;
  int n = 0;
  if (d.selections != nullptr) VynArraySizeGet(d.selections, &n);
  if (d.view_id < 1 || n < 1) return VYN_TK_GENERAL_ERROR;
  if (d.points != nullptr) VynArrayFree(&d.points);
  const auto* sels = static_cast<const VynSelection*>(d.selections);
  int status = VYN_TK_NO_ERROR;
  for (int i = 0; i < n; ++i) {
    VynDtlentitydata data = nullptr;
    VynCurvedata* curve = nullptr;
    int type = 0;
    if (YrlSelectionCurveGet(sels[i], &data, &curve, &type) == VYN_TK_NO_ERROR) {
      if (type == VYN_CURVE_LINE) {
        double a[3], b[3];
        if (VynLinedataGet(curve, a, b) == VYN_TK_NO_ERROR) {
          YrlFeatDatumPntsAddToArray(info, a);
          YrlFeatDatumPntsAddToArray(info, b);
        }
      } else if (type == VYN_CURVE_ARC) {
        double v1[3], v2[3], o[3], start = 0, sweep = 0, r = 0;
        if (VynArcdataGet(curve, v1, v2, o, &start, &sweep, &r) == VYN_TK_NO_ERROR) {
          if (!IsYrlDoubleSame(sweep, YRL_TWO_PI, 0.01)) {
            double base = std::atan2(v1[1], v1[0]);
            double a[3] = {o[0] + r * std::cos(base + start), o[1] + r * std::sin(base + start), o[2]};
            double b[3] = {o[0] + r * std::cos(base + start + sweep), o[1] + r * std::sin(base + start + sweep), o[2]};
            YrlFeatDatumPntsAddToArray(info, a);
            YrlFeatDatumPntsAddToArray(info, b);
          }
          YrlFeatDatumPntsAddToArray(info, o);
        }
      } else if (type == VYN_CURVE_POINT) {
        double p[3];
        if (VynPointdataGet(curve, p) == VYN_TK_NO_ERROR) YrlFeatDatumPntsAddToArray(info, p);
      }
    } else {
      status = VYN_TK_GENERAL_ERROR;
    }
    if (data != nullptr) VynDtlentitydataFree(data);
  }
  return status;
}

int YrlSketchDatumPointInfoSet(YrlFeatInfo* info, int count, const VynSelection* selections) {
  YrlDatumPointInfo& d = info->datum_point;
  if (count < 1 || selections == nullptr) return VYN_TK_BAD_INPUTS;
  // The points are carried into the part through one view's transform: entities of no
  // view, or of two, would give points where no view draws them. Such picks are refused
  // and the points picked before stay.
  int result = YrlSketchViewValidate(info, selections, count, nullptr);
  if (result != VYN_TK_NO_ERROR) return YrlSketchViewRefusalShow(info, result);
  YrlFeatSelectionArrayFree(&d.selections);
  if (d.items != nullptr) VynArrayFree(&d.items);
  VynArrayAlloc(0, sizeof(VynSelection), 1, &d.selections);
  VynArrayAlloc(0, sizeof(VynModelitem), 1, &d.items);
  for (int i = 0; i < count; ++i) {
    VynSelection copy = nullptr;
    VynModelitem item{};
    if (VynSelectionCopy(selections[i], &copy) != VYN_TK_NO_ERROR) continue;
    VynArrayObjectAdd(&d.selections, -1, 1, &copy);
    VynSelectionModelitemGet(selections[i], &item);
    VynArrayObjectAdd(&d.items, -1, 1, &item);
  }
  d.view_id = -1;
  YrlViewSetupIdGetBySelection(selections[0], &d.view_id);
  YrlViewIdNameGet(d.view_id, d.view_name);
  profile_single_set(info, selections[0]);
  // The points the feature is built from: the picked entities' ends, centres and points.
  int status = YrlFeatGetDatumPointsFromEntity(info);
  if (status != VYN_TK_NO_ERROR) return status;
  return YrlFeatInfoSketchReferencesGet(info);
}

int YrlFeatInfoDatumPointRefSelect(YrlFeatInfo* info) {
  VynWindowCurrentSet(info->draw.window);
  VynArray sels = nullptr;
  int count = 0;
  int status = pick_entities("YRL_FEAT_DTMPNT_ENTS_SELECT", nullptr, -1, &sels, &count);
  if (status != VYN_TK_NO_ERROR) return status;
  if (count < 1 || sels == nullptr) {
    error_text("No entity selected.");
    if (sels != nullptr) VynArrayFree(&sels);
    return VYN_TK_GENERAL_ERROR;
  }
  status = YrlSketchDatumPointInfoSet(info, count, static_cast<VynSelection*>(sels));
  YrlFeatSelectionArrayFree(&sels);
  return status;
}
