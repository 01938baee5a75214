#include "app/feature/featdlg.h"

#include <cstdio>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"

namespace {

// The step tables: page, enter and exit (null: nothing to run), completeness.
YrlExtDlgStep yrl_feat_extrude_comps[] = {
    {"LayExtrudeMain", nullptr, nullptr, YrlExtDlgExtrudeMainValidate, 0},
    {"LaySktProfile", YrlExtDlgSketchProfileEnter, YrlExtDlgSketchProfileExit, YrlExtDlgSketchProfileValidate, 0},
    {"LaySktPlane", YrlExtDlgSketchPlaneEnter, YrlExtDlgSketchPlaneExit, YrlExtDlgSketchPlaneValidate, 0},
    {"LayDepthRef", YrlExtDlgDepthRefEnter, YrlExtDlgDepthRefExit, YrlExtDlgDepthRefValidate, 0},
};
YrlExtDlgStep yrl_feat_revolve_comps[] = {
    {"LayExtrudeMain", nullptr, nullptr, YrlExtDlgExtrudeMainValidate, 0},
    {"LayRevolveAxis", YrlExtDlgRevAxisEnter, YrlExtDlgRevAxisExit, YrlExtDlgRevolveAxisValidate, 0},
    {"LaySktProfile", YrlExtDlgSketchProfileEnter, YrlExtDlgSketchProfileExit, YrlExtDlgSketchProfileValidate, 0},
    {"LaySktPlane", YrlExtDlgSketchPlaneEnter, YrlExtDlgSketchPlaneExit, YrlExtDlgSketchPlaneValidate, 0},
    {"LayAngleRef", YrlExtDlgDepthRefEnter, YrlExtDlgDepthRefExit, YrlExtDlgDepthRefValidate, 0},
};
YrlExtDlgStep yrl_feat_hole_comps[] = {
    {"LayHoleMain", nullptr, nullptr, YrlExtDlgHoleMainValidate, 0},
    {"LayHolePrf", nullptr, nullptr, YrlExtDlgHoleSurfaceValidate, 0},
    {"LaySktPlane", YrlExtDlgSketchPlaneEnter, YrlExtDlgSketchPlaneExit, YrlExtDlgSketchPlaneValidate, 0},
    {"LayDepthRef", YrlExtDlgDepthRefEnter, YrlExtDlgDepthRefExit, YrlExtDlgDepthRefValidate, 0},
};
YrlExtDlgStep yrl_feat_dtm_curve_comps[] = {
    {"LayDatumMain", nullptr, nullptr, YrlExtDlgExtrudeMainValidate, 0},
    {"LaySktProfile", YrlExtDlgSketchProfileEnter, YrlExtDlgSketchProfileExit, YrlExtDlgSketchProfileValidate, 0},
    {"LaySktPlane", YrlExtDlgSketchPlaneEnter, YrlExtDlgSketchPlaneExit, YrlExtDlgSketchPlaneValidate, 0},
};
YrlExtDlgStep yrl_feat_dtm_point_comps[] = {
    {"LayDatumMain", nullptr, nullptr, YrlExtDlgDatumMainValidate, 0},
    {"LayDtmPnt", nullptr, nullptr, YrlExtDlgDPntEntValidate, 0},
    {"LaySktPlane", YrlExtDlgSketchPlaneEnter, YrlExtDlgSketchPlaneExit, YrlExtDlgSketchPlaneValidate, 0},
};
YrlExtDlgStep yrl_feat_dtm_plane_comps[] = {
    {"LayDatumMain", nullptr, nullptr, YrlExtDlgDatumMainValidate, 0},
    {"LayOffsetRef", nullptr, nullptr, YrlExtDlgOffsetRefValidate, 0},
};
YrlExtDlgStep yrl_feat_dtm_axis_comps[] = {
    {"LayDatumMain", nullptr, nullptr, YrlExtDlgDatumMainValidate, 0},
    {"LayRevolveAxis", YrlExtDlgRevAxisEnter, YrlExtDlgRevAxisExit, YrlExtDlgRevolveAxisValidate, 0},
};
YrlExtDlgStep yrl_feat_dtm_csys_comps[] = {
    {"LayDatumMain", nullptr, nullptr, YrlExtDlgDatumMainValidate, 0},
    {"LayOffsetRef", nullptr, nullptr, YrlExtDlgOffsetRefValidate, 0},
};

struct StepTable {
  YrlExtDlgStep* steps;
  int count;
  const char* title;
};
template <int N>
constexpr StepTable table(YrlExtDlgStep (&steps)[N], const char* title) {
  return {steps, N, title};
}
const StepTable step_tables[8] = {
    table(yrl_feat_extrude_comps, "Extrude Feature"),     table(yrl_feat_revolve_comps, "Revolve Feature"),
    table(yrl_feat_hole_comps, "Hole Feature"),           table(yrl_feat_dtm_curve_comps, "Sketched Datum Curve"),
    table(yrl_feat_dtm_point_comps, "Sketched Datum Point"), table(yrl_feat_dtm_plane_comps, "Datum Plane"),
    table(yrl_feat_dtm_axis_comps, "Datum Axis"),         table(yrl_feat_dtm_csys_comps, "Datum Csys"),
};

bool has_current(const YrlExtDlgInfo* dlg) {
  return dlg != nullptr && dlg->steps != nullptr && dlg->current >= 0 && dlg->current < dlg->count;
}

int set_flag(YrlExtDlgInfo* dlg, int complete) {
  if (has_current(dlg)) dlg->steps[dlg->current].complete = complete ? 1 : 0;
  return complete ? 1 : 0;
}

int always_complete(YrlExtDlgInfo* dlg) {
  set_flag(dlg, 1);
  return VYN_TK_NO_ERROR;
}

}  // namespace

const VynWchar YrlExtDlgMsgFile[] = u"transition_msg.txt";

int YrlExtDlgLabelSet(const YrlExtDlgInfo* dlg, const char* label, const char* text) {
  VynWchar wide[VYN_PATH_SIZE];
  vek::strtows_bounded(wide, VYN_PATH_SIZE, text);
  return VynUILabelTextSet(dlg->name, label, wide);
}

int YrlExtDlgFeatElemCompsSet(YrlExtDlgInfo* dlg) {
  if (dlg == nullptr || dlg->info == nullptr) return VYN_TK_BAD_INPUTS;
  int type = dlg->info->type;
  if (type < 1 || type > 8) return VYN_TK_BAD_INPUTS;
  const StepTable& t = step_tables[type - 1];
  dlg->steps = t.steps;
  dlg->count = t.count;
  std::snprintf(dlg->title, sizeof dlg->title, "%s", t.title);
  for (int i = 0; i < dlg->count; ++i) dlg->steps[i].complete = 0;
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgExtrudeMainValidate(YrlExtDlgInfo* dlg) { return always_complete(dlg); }
int YrlExtDlgHoleMainValidate(YrlExtDlgInfo* dlg) { return always_complete(dlg); }
int YrlExtDlgDatumMainValidate(YrlExtDlgInfo* dlg) { return always_complete(dlg); }
int YrlExtDlgRevolveAxisValidate(YrlExtDlgInfo* dlg) { return always_complete(dlg); }
int YrlExtDlgHoleSurfaceValidate(YrlExtDlgInfo* dlg) { return always_complete(dlg); }
int YrlExtDlgDPntEntValidate(YrlExtDlgInfo* dlg) { return always_complete(dlg); }

int YrlExtDlgSketchProfileValidate(YrlExtDlgInfo* dlg) {
  const YrlFeatInfo* info = dlg->info;
  const YrlSketchValInfo& s = info->sketch;
  bool complete = s.selections != nullptr && s.count >= 1;
  if (info->type != YRL_FEAT_DATUM_CURVE) {
    complete = complete && s.valid && !info->sketch_failed;
    YrlExtDlgLabelSet(dlg, "skt_val_label", s.valid ? "Successful" : "Failed");
    (s.valid ? VynUILabelShow : VynUILabelHide)(dlg->name, "skt_val_pass_icon");
    (s.valid ? VynUILabelHide : VynUILabelShow)(dlg->name, "skt_val_fail_icon");
  }
  return set_flag(dlg, complete);
}

namespace {

// A picked reference line, or one declared view with a plane set.
bool line_or_single_view(const YrlFeatInfo* info) {
  return (info->plane.line_item.id >= 1 && info->plane.ref_view_id >= 1) ||
         (info->draw.view_count == 1 && info->plane.plane.id >= 1);
}

}  // namespace

int YrlExtDlgSketchPlaneValidate(YrlExtDlgInfo* dlg) {
  const YrlFeatInfo* info = dlg->info;
  int kind = info->sketch.view_kind;
  bool non_ortho = kind == YRL_VIEW_SECTION || kind == YRL_VIEW_AUXILIARY;
  bool complete = line_or_single_view(info) || (non_ortho && info->plane.plane.id > 0);
  set_flag(dlg, complete);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgOffsetRefValidate(YrlExtDlgInfo* dlg) {
  set_flag(dlg, line_or_single_view(dlg->info));
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgExtentValid(const YrlFeatInfo* info) {
  return info->extent.line_item.id > 0 || info->extent.reference.id >= 1;
}

int YrlExtDlgDepthRefValidate(YrlExtDlgInfo* dlg) {
  const YrlFeatInfo* info = dlg->info;
  double v = info->extent.depth;
  bool complete = false;
  switch (info->extent.depth_type) {
    case YRL_DEPTH_BLIND:
      // A revolve turns by an angle above 0 and up to a full turn: the build refuses
      // any other, so such an angle leaves the step incomplete.
      complete = info->type == YRL_FEAT_REVOLVE ? v > 0 && !IsYrlDoubleSame(v, 0, 0.01) &&
                                                      IsYrlDoubleInRange(v, -360, 360, 0.01) != 0
                                                : !IsYrlDoubleSame(v, 0, 0.01);
      break;
    case YRL_DEPTH_BOTH_SIDES: complete = !IsYrlDoubleSame(v, 0, 0.01); break;
    case YRL_DEPTH_THROUGH_ALL:
      complete = info->part.has_first_feature && (info->sub_type == YRL_FEAT_CUT || info->type == YRL_FEAT_HOLE);
      break;
    case YRL_DEPTH_UP_TO_REF: complete = YrlExtDlgExtentValid(info) != 0; break;
    default: break;
  }
  return set_flag(dlg, complete);
}

// ---- Driver ------------------------------------------------------------------------------

namespace {

// The steps whose picks the feature is built from: checked again on every validation,
// wherever the user is, since a section failure, a cleared axis or a deleted sketch
// plane takes away what such a step once had. The others are read as they were left.
bool rechecked(const YrlExtDlgStep& step) {
  return step.validate == YrlExtDlgSketchProfileValidate || step.validate == YrlExtDlgSketchPlaneValidate;
}

// Runs the validate function of step i on its own row (it writes the current row).
void step_validate(YrlExtDlgInfo* dlg, int i) {
  int saved = dlg->current;
  dlg->current = i;
  dlg->steps[i].validate(dlg);
  dlg->current = saved;
}

}  // namespace

int YrlExtDlgFeatSketchErrorCapture(YrlExtDlgInfo* dlg, int failed_before) {
  if (!dlg->info->sketch_failed || dlg->info->sketch_failed == failed_before) return VYN_TK_NO_ERROR;
  ErrorDialog("SECTION CREATION FAILURE",
              "Section Profile Ceation Failed. \n\n Reselect Section Profile in previous step of the wizard.\n");
  return -1;
}

namespace {

// Makes the part window current, refreshes it, highlights the feature in colour there and
// makes the drawing window current again.
void part_window_highlight(YrlExtDlgInfo* dlg, VynFeature feature, int colour) {
  if (dlg->part_window <= 0 || feature.id <= 0) return;
  VynWindowCurrentSet(dlg->part_window);
  VynWindowRefresh(dlg->part_window);
  VynSelection sel = nullptr;
  if (VynSelectionAlloc(nullptr, &feature, &sel) == VYN_TK_NO_ERROR) {
    VynSelectionHighlight(sel, colour);
    VynSelectionFree(&sel);
  }
  VynWindowCurrentSet(dlg->drawing_window);
}

}  // namespace

int YrlExtDlgFeatCreate(YrlExtDlgInfo* dlg) {
  YrlFeatInfo* info = dlg->info;
  int failed_before = info->sketch_failed;
  // A feature the host refused to delete is still in the part: it is deleted again, and
  // while it stays nothing is built beside it (the failure flag is left as it was, so the
  // next validation tries again).
  if (dlg->ready && YrlFeatInfoFeatureLeftOver(info)) YrlFeatInfoIncompleteFeatureOnlyDelete(info);
  if (dlg->ready && !YrlFeatInfoFeatureLeftOver(info)) {
    int result = info->created && info->feature.id > 0 ? YrlFeatInfoFeatRefresh(info) : YrlFeatInfoFeatRegen(info);
    info->created = result == VYN_TK_NO_ERROR;
    info->failure = result != VYN_TK_NO_ERROR;
    YrlExtDlgFeatSketchErrorCapture(dlg, failed_before);
    YrlFeatInfoFeatNameUpdate(info);
    if (info->feature.id > 0) {
      char name[32];
      vek::wstostr_bounded(name, sizeof name, info->name);
      const char* field = info->type >= 4 ? "dtm_fname_txt" : info->type == YRL_FEAT_HOLE ? "hole_fname_txt" : "fname_txt";
      VynUIInputpanelStringSet(dlg->name, field, name);
    }
    part_window_highlight(dlg, info->feature, 19);
  }
  VynWindowCurrentSet(dlg->drawing_window);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgValidate(YrlExtDlgInfo* dlg) {
  if (dlg == nullptr || dlg->info == nullptr || dlg->steps == nullptr) return VYN_TK_BAD_INPUTS;
  YrlFeatInfo* info = dlg->info;
  int all = 1;
  for (int i = 0; i < dlg->count; ++i) {
    if (i == dlg->current || rechecked(dlg->steps[i])) step_validate(dlg, i);
    all = all && dlg->steps[i].complete;
  }
  dlg->ready = all && !info->failure;
  int failed_before = info->sketch_failed;
  YrlSketchedDatumPreviewFeatCreate(info);
  part_window_highlight(dlg, info->preview, 12);
  YrlExtDlgFeatSketchErrorCapture(dlg, failed_before);
  if (dlg->ready) {
    VynMessageDisplay(YrlExtDlgMsgFile, "YRL_FEAT_PROCESSING");
    YrlExtDlgFeatCreate(dlg);
  }
  dlg->ready = all && !info->failure && !YrlFeatInfoFeatureLeftOver(info);
  YrlExtDlgSetNavigateAccess(dlg);
  YrlExtDlgSetButtonsAccess(dlg);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgShowCurTabLay(YrlExtDlgInfo* dlg) {
  if (!has_current(dlg)) return VYN_TK_BAD_INPUTS;
  YrlSelectedNameSet(VynUITabSelectednamesSet, dlg->name, "FeatCreationTab", dlg->steps[dlg->current].layout);
  char text[32];
  std::snprintf(text, sizeof text, "Step %d Of %d", dlg->current + 1, dlg->count);
  YrlExtDlgLabelSet(dlg, "page_label", text);
  YrlExtDlgSetNavigateAccess(dlg);
  if (dlg->steps[dlg->current].enter != nullptr) dlg->steps[dlg->current].enter(dlg);
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgSetNavigateAccess(YrlExtDlgInfo* dlg) {
  if (!has_current(dlg)) return VYN_TK_BAD_INPUTS;
  (dlg->current >= 1 ? VynUIPushbuttonEnable : VynUIPushbuttonDisable)(dlg->name, "prev_btn");
  bool next = dlg->current < dlg->count - 1 && dlg->steps[dlg->current].complete;
  (next ? VynUIPushbuttonEnable : VynUIPushbuttonDisable)(dlg->name, "next_btn");
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgSetOKAccess(YrlExtDlgInfo* dlg) {
  return (dlg->ready ? VynUIPushbuttonEnable : VynUIPushbuttonDisable)(dlg->name, "ok_btn");
}
int YrlExtDlgSetButtonsAccess(YrlExtDlgInfo* dlg) { return YrlExtDlgSetOKAccess(dlg); }

int YrlExtDlgMoveToNextTab(YrlExtDlgInfo* dlg) {
  if (!has_current(dlg) || dlg->current >= dlg->count - 1) return VYN_TK_NO_ERROR;
  if (dlg->steps[dlg->current].exit != nullptr) dlg->steps[dlg->current].exit(dlg);
  ++dlg->current;
  return VYN_TK_NO_ERROR;
}

int YrlExtDlgMoveAutoForward(YrlExtDlgInfo* dlg) {
  if (!has_current(dlg) || !dlg->auto_forward || !dlg->steps[dlg->current].complete) return VYN_TK_NO_ERROR;
  YrlExtDlgMoveToNextTab(dlg);
  return YrlExtDlgShowCurTabLay(dlg);
}

int YrlExtDlgAutoForwardInit(YrlExtDlgInfo* dlg) {
  dlg->auto_forward = YrlPreferencesAutomaticForwardGet() ? 1 : 0;
  (dlg->auto_forward ? VynUICheckbuttonSet : VynUICheckbuttonUnset)(dlg->name, "auto_ff_btn");
  return VYN_TK_NO_ERROR;
}

void YrlExtDlgCBNext(char*, char*, void* app_data) {
  auto* dlg = static_cast<YrlExtDlgInfo*>(app_data);
  if (!has_current(dlg)) return;
  YrlExtDlgMoveToNextTab(dlg);
  dlg->steps[dlg->current].validate(dlg);
  YrlExtDlgShowCurTabLay(dlg);
}

void YrlExtDlgCBPrev(char*, char*, void* app_data) {
  auto* dlg = static_cast<YrlExtDlgInfo*>(app_data);
  if (!has_current(dlg)) return;
  if (dlg->current > 0) {
    if (dlg->steps[dlg->current].exit != nullptr) dlg->steps[dlg->current].exit(dlg);
    --dlg->current;
  }
  dlg->steps[dlg->current].validate(dlg);
  YrlExtDlgShowCurTabLay(dlg);
}
