#include "app/sketch/sketchsel.h"

#include <cmath>
#include <cstdlib>

#include "app/menus/app_init.h"
#include "app/select/select.h"
#include "app/util/apputil.h"
#include "app/views/views.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_output_udfreference_api.h"
#include "toolkit/local/geomdata.h"

namespace {

void error_text(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", text); }

// A point of the sheet carried into view coordinates by the sheet transform (z 0).
void sheet_point(const YrlDrawInfo* draw, const double* p, double* out) {
  double t[3] = {p[0], p[1], p[2]};
  VynPntTrfEval(p, draw->sheet_trf, t);
  out[0] = t[0], out[1] = t[1], out[2] = 0;
}

// The length scale of the sheet transform (its x axis), for radii.
double sheet_scale(const YrlDrawInfo* draw) {
  const double* x = draw->sheet_trf[0];
  double s = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  return s > 0 ? s : 1.0;
}

void free_profile(YrlSketchValInfo* sketch) {
  for (int i = 0; sketch->selections != nullptr && i < sketch->count; ++i) VynSelectionFree(&sketch->selections[i]);
  std::free(sketch->selections);
  YrlSketchEntitiesFree(sketch->entities, sketch->count);
  std::free(sketch->entities);
  sketch->selections = nullptr;
  sketch->entities = nullptr;
  sketch->count = 0;
}

}  // namespace

int YrlSketchGetPointsFromSelection(const YrlDrawInfo* draw, const VynSelection* selections, int count,
                                    YrlSketchEntity* entities) {
  if (draw == nullptr || entities == nullptr || (count > 0 && selections == nullptr)) return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < count; ++i) {
    YrlSketchEntity& e = entities[i];
    e.loop = -1;
    if (VynSelectionModelitemGet(selections[i], &e.item) != VYN_TK_NO_ERROR) return VYN_TK_GENERAL_ERROR;
    VynDtlentitydata data = nullptr;
    if (VynDtlentityDataGet(&e.item, nullptr, &data) != VYN_TK_NO_ERROR) continue;
    VynDtlentitydataIdGet(data, &e.entity_id);
    VynCurvedata* curve = nullptr;
    VynDtlentitydataCurveGet(data, &curve);
    VynDtlentitydataColorGet(data, &e.colour);
    if (curve != nullptr) VynCurvedataTypeGet(curve, &e.curve_type);
    if (curve != nullptr && e.curve_type == VYN_CURVE_LINE) {
      double a[3], b[3];
      if (VynLinedataGet(curve, a, b) == VYN_TK_NO_ERROR) {
        sheet_point(draw, a, e.start);
        sheet_point(draw, b, e.end);
      }
    } else if (curve != nullptr && e.curve_type == VYN_CURVE_ARC) {
      double v1[3], v2[3], origin[3], start = 0, sweep = 0, radius = 0;
      if (VynArcdataGet(curve, v1, v2, origin, &start, &sweep, &radius) == VYN_TK_NO_ERROR) {
        double centre[3];
        sheet_point(draw, origin, centre);
        // The arc's angles run from its first axis; the stored angles are absolute.
        double rotation = std::atan2(v1[1], v1[0]);
        YrlSketchEntityArcSet(&e, centre, radius * sheet_scale(draw), rotation + start, sweep);
        if (!IsYrlSketchEntityCircle(&e)) {
          double p[3] = {origin[0] + radius * std::cos(rotation + start), origin[1] + radius * std::sin(rotation + start),
                         origin[2]};
          double q[3] = {origin[0] + radius * std::cos(rotation + start + sweep),
                         origin[1] + radius * std::sin(rotation + start + sweep), origin[2]};
          sheet_point(draw, p, e.start);
          sheet_point(draw, q, e.end);
        }
      }
    } else if (curve != nullptr && e.curve_type == VYN_CURVE_CIRCLE) {
      // A circle record holds its centre and its radius.
      double centre[3], other[3], radius = 0;
      if (VynCircledataGet(centre, other, &radius, curve) == VYN_TK_NO_ERROR) {
        double c[3];
        sheet_point(draw, centre, c);
        YrlSketchEntityCircleSet(&e, c, radius * sheet_scale(draw));
      }
    }
    VynDtlentitydataFree(data);
  }
  return VYN_TK_NO_ERROR;
}

int YrlSketchViewValidate(const YrlFeatInfo* info, const VynSelection* selections, int count, int* view_id) {
  int reference = -1;
  if (info != nullptr && info->type == YRL_FEAT_REVOLVE) reference = info->rev_axis.view_id;
  else if (count > 0) YrlViewSetupIdGetBySelection(selections[0], &reference);
  if (reference < 1) {
    if (view_id != nullptr) *view_id = -1;
    return VYN_TK_GENERAL_ERROR;
  }
  VynMessageDisplay(YrlMsgFile, "YRL_ENT_VIEW_VALIDATE");
  for (int i = 0; i < count; ++i) {
    int view = -1;
    YrlViewSetupIdGetBySelection(selections[i], &view);
    if (view == -1 || view != reference) {
      if (view_id != nullptr) *view_id = view;
      return -2;
    }
  }
  if (view_id != nullptr) *view_id = reference;
  return VYN_TK_NO_ERROR;
}

int YrlSketchProfileSet(YrlFeatInfo* info, const VynSelection* selections, int count, int* view_result) {
  YrlSketchValInfo* sketch = &info->sketch;
  free_profile(sketch);
  if (count < 1) return VYN_TK_NO_ERROR;
  sketch->selections = static_cast<VynSelection*>(std::calloc(static_cast<size_t>(count), sizeof(VynSelection)));
  sketch->entities = static_cast<YrlSketchEntity*>(std::calloc(static_cast<size_t>(count), sizeof(YrlSketchEntity)));
  if (sketch->selections == nullptr || sketch->entities == nullptr) {
    std::free(sketch->selections);
    std::free(sketch->entities);
    sketch->selections = nullptr;
    sketch->entities = nullptr;
    return VYN_TK_GENERAL_ERROR;
  }
  for (int i = 0; i < count; ++i) VynSelectionCopy(selections[i], &sketch->selections[i]);
  sketch->count = count;
  int status = YrlSketchGetPointsFromSelection(&info->draw, sketch->selections, count, sketch->entities);
  int view = -1;
  int result = YrlSketchViewValidate(info, sketch->selections, count, &view);
  sketch->view_id = result == VYN_TK_NO_ERROR ? view : -1;
  sketch->view_kind = 0;
  sketch->view_name[0] = 0;
  if (view_result != nullptr) *view_result = result;
  if (result == VYN_TK_NO_ERROR) {
    YrlViewSetupViewnameGetFromGroupId(view, sketch->view_name, &sketch->view_kind);
    if (YrlFeatIsSketchValidateFeature(info->type)) YrlSketchCheckValidation(info, sketch);
  } else {
    // Entities of no view, or of two: no verdict stands for them.
    sketch->valid = 0;
  }
  return status;
}

int YrlSketchEntitiesSelect(VynArray* selections, int* count) {
  const VynSelectionEnvOption options[] = {{50, 0}, {51, 1}, {52, 1}};
  VynSelectionEnv env = nullptr;
  VynSelectionEnvAlloc(options, 3, &env);
  VynMessageDisplay(YrlMsgFile, "YRLFORM PROMPT %0s", "Select entities for the section profile.   Click OK when done. ");
  VynArray picked = nullptr;
  int n = 0;
  int status = YrlSelect("draft_ent", -1, *selections, nullptr, env, 0, &picked, &n, 5);
  VynSelectionEnvFree(reinterpret_cast<VynWord>(env));
  if (status == VYN_TK_USER_ABORT || status == -14) return status;
  if (status != VYN_TK_NO_ERROR || n < 1 || picked == nullptr) {
    VynMessageDisplay(YrlMsgFile, "YRL_NO_ENT_SELECTED");
    return VYN_TK_GENERAL_ERROR;
  }
  // The first pick of an entity wins; pick order is kept.
  VynArray unique = nullptr;
  VynArrayAlloc(0, sizeof(VynSelection), 1, &unique);
  auto* sels = static_cast<VynSelection*>(picked);
  int kept = 0;
  for (int i = 0; i < n; ++i) {
    int found = 0;
    YrlCompareSelectionWithList(sels[i], static_cast<VynSelection*>(unique), kept, &found);
    if (found) {
      VynSelectionFree(&sels[i]);
      continue;
    }
    VynArrayObjectAdd(&unique, -1, 1, &sels[i]);
    ++kept;
  }
  VynArrayFree(&picked);
  if (*selections != nullptr) VynArrayFree(selections);
  *selections = unique;
  *count = kept;
  return VYN_TK_NO_ERROR;
}

int YrlSketchSelect(YrlFeatInfo* info, const YrlDrawInfo*, YrlSketchValInfo* sketch) {
  if (info == nullptr || sketch == nullptr) return VYN_TK_BAD_INPUTS;
  VynArray current = nullptr;
  VynArrayAlloc(0, sizeof(VynSelection), 1, &current);
  for (int i = 0; i < sketch->count; ++i) {
    VynSelection copy = nullptr;
    if (VynSelectionCopy(sketch->selections[i], &copy) == VYN_TK_NO_ERROR) VynArrayObjectAdd(&current, -1, 1, &copy);
  }
  int count = 0;
  int status = YrlSketchEntitiesSelect(&current, &count);
  if (status != VYN_TK_NO_ERROR) {
    YrlFeatSelectionArrayFree(&current);
    return VYN_TK_GENERAL_ERROR;
  }
  // The picks' view is checked before they replace the profile: a refused pick leaves
  // the profile, its records and its verdict as they were.
  int result = YrlSketchViewValidate(info, static_cast<VynSelection*>(current), count, nullptr);
  if (result == VYN_TK_NO_ERROR) {
    status = YrlSketchProfileSet(info, static_cast<VynSelection*>(current), count, &result);
  }
  YrlFeatSelectionArrayFree(&current);
  if (result == -1 || result == -2) return YrlSketchViewRefusalShow(info, result);
  return status;
}

int YrlSketchViewRefusalShow(const YrlFeatInfo* info, int result) {
  if (result == -1) {
    error_text("One or more entities selected for the SKETCH (section) are NOT part of any view. Reselect section profile.");
  } else if (info != nullptr && info->type == YRL_FEAT_REVOLVE) {
    error_text("Revolve Axis and section profile entities must be from the same view.");
  } else {
    error_text("Selected section profile entities are not from the same view. Reselect section profile.");
  }
  VynWindowRepaint(-1);
  VynMessageClear();
  return VYN_TK_GENERAL_ERROR;
}
