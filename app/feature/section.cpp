#include "app/feature/section.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/feature/elemtree.h"
#include "app/menus/app_init.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "app/views/views.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/local/local_param.h"
#include "toolkit/util/printutil.h"
#include "toolkit/util/vecmath.h"

namespace {

void info_message(const char* text) { VynMessageDisplay(YrlMsgFile, "YRLFORM INFO %0s", text); }

// A drawing point carried into the section: through the view's transform, relative to
// the origin.
void to_section(const double trf[4][4], const double* origin, const double* p, double* out) {
  double m[3];
  VynUtilPointTrans(trf, p, m);
  out[0] = m[0] - origin[0];
  out[1] = m[1] - origin[1];
}

// The map from the part into the section's own frame; false when the frame cannot be had.
bool section_frame_inverse(VynSection section, double inverse[4][4]) {
  double frame[4][4];
  return VynSectionLocationGet(section, frame) == VYN_TK_NO_ERROR && VynUtilMatrixInvert(frame, inverse) == 1;
}

// The map of an auxiliary view's drawing points into the section: the view's transform,
// then onto the face the view shows (the sketch's placement), then into the section's
// own frame. False when the section's frame cannot be had.
bool aux_section_map(const double trf[4][4], const double to_part[4][4], VynSection section, double out[4][4]) {
  double inverse[4][4], onto[4][4];
  if (!section_frame_inverse(section, inverse)) return false;
  VynUtilMatrixProduct(trf, to_part, onto);
  VynUtilMatrixProduct(onto, inverse, out);
  return true;
}

// The map of a section view's drawing points into the section: turned back by the
// view's quarter turn and carried by its transform (the host's frame of a section's
// sketch plane is turned to take that turn), then moved so that the view's reference
// point lands on the end of the cutting line that the view draws first along the line
// (leftmost, or lowest when the line is drawn upright). False when the section's frame
// cannot be had or the turn and transform are singular.
bool section_view_map(const double trf[4][4], const YrlSketchValInfo* sketch, VynSection section, double out[4][4]) {
  double inverse[4][4], ends[2][3];
  if (!section_frame_inverse(section, inverse)) return false;
  VynUtilMatrixProduct(sketch->rotation_matrix, trf, out);
  for (int k = 0; k < 2; ++k) VynUtilPointTrans(inverse, sketch->section_line[k], ends[k]);
  // The line as drawn: its run in the section taken back through the turn and transform.
  const double a = out[0][0], b = out[0][1], c = out[1][0], d = out[1][1], det = a * d - b * c;
  if (!(std::fabs(det) > 0)) return false;
  const double run[2] = {ends[1][0] - ends[0][0], ends[1][1] - ends[0][1]};
  const double drawn[2] = {(run[0] * d - run[1] * c) / det, (run[1] * a - run[0] * b) / det};
  const bool across = std::fabs(drawn[0]) > 1e-6 * std::hypot(drawn[0], drawn[1]);
  const double* first = (across ? drawn[0] : drawn[1]) >= 0 ? ends[0] : ends[1];
  double ref[3];
  VynUtilPointTrans(out, sketch->section_ref, ref);
  out[3][0] += first[0] - ref[0];
  out[3][1] += first[1] - ref[1];
  return true;
}

}  // namespace

int YrlViewInfoFill(VynMdl drawing, int view_id, YrlViewInfo* out) {
  YrlViewData data{};
  data.group_id = -1;
  if (YrlGroupDataGet(view_id, &data) != VYN_TK_NO_ERROR || data.group_id != view_id) return VYN_TK_GENERAL_ERROR;
  YrlViewInfo view{};
  view.view_id = view_id;
  view.kind = data.view_type;
  std::memcpy(view.name, data.view_name, sizeof view.name);
  view.name[sizeof view.name - 1] = 0;
  std::memcpy(view.ref_point, data.ref_point, sizeof view.ref_point);
  std::memcpy(view.vpr_point, data.vpr_point, sizeof view.vpr_point);
  std::memcpy(view.position_point, data.position_point, sizeof view.position_point);
  std::memcpy(view.position1_point, data.position1_point, sizeof view.position1_point);
  VynUtilMatrixCopy(nullptr, view.rotation_matrix);
  const struct {
    int id;
    VynModelitem* item;
  } named[] = {{data.cut_plane_id, &view.cut_plane},
               {data.vpr_id, &view.vpr},
               {data.position_id, &view.position},
               {data.position1_id, &view.position1}};
  for (const auto& n : named) {
    if (n.id > 0) VynModelitemInit(drawing, n.id, YRL_DRAFT_ENTITY_TYPE, n.item);
  }
  if (out != nullptr) *out = view;
  return VYN_TK_NO_ERROR;
}

int YrlSketchAuxPointDeRotate(const YrlViewInfo* view, int view_id, const double matrix[4][4], const double* pivot,
                              double* point) {
  if (view == nullptr || pivot == nullptr || point == nullptr) return VYN_TK_BAD_INPUTS;
  if (!IsYrlViewTypeNonOrtho(view_id)) return VYN_TK_NO_ERROR;
  double inverse[4][4], centre[3] = {pivot[0], pivot[1], pivot[2]};
  if (matrix != nullptr) {
    if (VynUtilMatrixInvert(matrix, inverse) != 1) return VYN_TK_BAD_INPUTS;
    VynUtilPointTrans(inverse, pivot, centre);
  }
  double moved[3] = {point[0] - centre[0], point[1] - centre[1], point[2]};
  double turned[3];
  VynUtilPointTrans(view->rotation_matrix, moved, turned);
  point[0] = turned[0] + centre[0];
  point[1] = turned[1] + centre[1];
  return VYN_TK_NO_ERROR;
}

int YrlAddSectionEntitiesNew(const YrlDrawInfo* draw, YrlSketchValInfo* sketch, YrlDatumPointInfo* points, int type,
                             int view_id, const VynSelection* selections, int count, int datums_found,
                             const VynModelitem* first_ref, const VynModelitem* second_ref, VynSection section) {
  if (draw == nullptr || section == nullptr) return VYN_TK_BAD_INPUTS;
  double epsilon = 0;
  if (VynSectionEpsilonGet(section, &epsilon) == VYN_TK_NO_ERROR) VynSectionEpsilonSet(section, epsilon);
  double trf[4][4];
  double scale = 1.0;
  int status = YrlGetDrwToMdlTrfForView(draw, view_id, trf, &scale);
  if (status != VYN_TK_NO_ERROR) return status;
  // An auxiliary view's points have their place on the face it shows (found with its
  // sketch plane), a section view's on its cutting plane: they go there and into the
  // section's frame in one transform, with no origin of their own (a section view's
  // quarter turn is in it).
  const bool aux_placed = IsYrlViewTypeAuxilary(view_id) && sketch != nullptr && sketch->aux_placed;
  const bool section_placed = IsYrlViewTypeSection(view_id) && sketch != nullptr && sketch->section_placed;
  const bool placed = aux_placed || section_placed;
  if (placed) {
    double onto[4][4];
    if (aux_placed ? !aux_section_map(trf, sketch->aux_to_part, section, onto)
                   : !section_view_map(trf, sketch, section, onto))
      return VYN_TK_GENERAL_ERROR;
    VynUtilMatrixCopy(onto, trf);
  }
  // A section view (or an auxiliary one) not placed is drawn turned: its points are
  // turned back about the view's reference point (carried off the screen for an
  // auxiliary view) before they are carried into the part, and its arcs take the turn in
  // their angles.
  const bool turned = !placed && IsYrlViewTypeNonOrtho(view_id) != 0;
  double screen[4][4];
  const double(*screen_matrix)[4] = nullptr;
  if (IsYrlViewTypeAuxilary(view_id) && YrlGetScrToDrwMatrix(screen) == VYN_TK_NO_ERROR) screen_matrix = screen;
  VynWindowCurrentSet(draw->window);
  YrlViewInfo view{};
  YrlViewInfoFill(draw->drawing, view_id, &view);
  if (turned && sketch != nullptr) VynUtilMatrixCopy(sketch->rotation_matrix, view.rotation_matrix);
  const double rotation = turned && sketch != nullptr ? sketch->rotation : 0.0;
  double pivot[3] = {0, 0, 0};
  YrlViewIdRefPointGet(view_id, pivot);
  double origin[3] = {0, 0, 0};
  if (!placed) YrlFeatViewRefPntGetAndTrf(view_id, trf, origin);
  auto derotate = [&](const double* p, double* out) {
    out[0] = p[0], out[1] = p[1], out[2] = p[2];
    if (turned) YrlSketchAuxPointDeRotate(&view, view_id, screen_matrix, pivot, out);
  };

  if (datums_found && first_ref != nullptr && second_ref != nullptr) {
    double lines[2][2][3] = {};
    int projected_lines = 0;
    for (const VynModelitem* ref : {first_ref, second_ref}) {
      VynSelection sel = nullptr;
      if (VynSelectionAlloc(nullptr, const_cast<VynModelitem*>(ref), &sel) != VYN_TK_NO_ERROR) continue;
      int id = 0;
      if (VynSectionEntityFromProjection(section, sel, &id) == VYN_TK_NO_ERROR) {
        Vyn2dEntity* projected = nullptr;
        if (VynSectionEntityGet(section, id, &projected) == VYN_TK_NO_ERROR && projected != nullptr &&
            (projected->type == VYN_2D_LINE || projected->type == VYN_2D_CENTERLINE)) {
          double(*line)[3] = lines[projected_lines++];
          line[0][0] = projected->start[0], line[0][1] = projected->start[1];
          line[1][0] = projected->end[0], line[1][1] = projected->end[1];
        }
      }
      VynSelectionFree(&sel);
    }
    // A turned view's reference point stands where its two references cross in the
    // section: the section's coordinates are shifted to put it there.
    double crossing[3];
    if (turned && projected_lines == 2 && YrlUtilLineLineX(lines[0], lines[1], crossing) != nullptr) {
      origin[0] -= crossing[0];
      origin[1] -= crossing[1];
    }
  }

  if (type != YRL_FEAT_DATUM_POINT) {
    for (int i = 0; i < count; ++i) {
      VynDtlentitydata data = nullptr;
      VynCurvedata* curve = nullptr;
      int curve_type = 0;
      int s = YrlSelectionCurveGet(selections[i], &data, &curve, &curve_type);
      Vyn2dEntity entity{};
      bool add = false;
      if (s == VYN_TK_NO_ERROR && curve_type == VYN_CURVE_LINE) {
        double a[3], b[3];
        s = VynLinedataGet(curve, a, b);
        entity.type = type == YRL_FEAT_REVOLVE && i == count - 1 ? VYN_2D_CENTERLINE : VYN_2D_LINE;
        double ta[3], tb[3];
        derotate(a, ta);
        derotate(b, tb);
        to_section(trf, origin, ta, entity.start);
        to_section(trf, origin, tb, entity.end);
        add = s == VYN_TK_NO_ERROR;
      } else if (s == VYN_TK_NO_ERROR && curve_type == VYN_CURVE_ARC) {
        double v1[3], v2[3], centre[3], start = 0, sweep = 0, radius = 0;
        s = VynArcdataGet(curve, v1, v2, centre, &start, &sweep, &radius);
        double tc[3];
        derotate(centre, tc);
        to_section(trf, origin, tc, entity.center);
        // The arc's angles are measured from its first axis, carried into the view.
        double dir[3];
        VynUtilVectorTrans(trf, v1, dir);
        entity.radius = radius * std::hypot(dir[0], dir[1]);
        double base = std::atan2(dir[1], dir[0]);
        if (sweep == YRL_TWO_PI) {
          entity.type = VYN_2D_CIRCLE;
        } else {
          entity.type = VYN_2D_ARC;
          // Carried mirrored (an auxiliary view of a face whose sketch frame faces into
          // the part), the arc runs the other way round: its counter-clockwise start is
          // where its end lands.
          const bool mirrored = trf[0][0] * trf[1][1] - trf[0][1] * trf[1][0] < 0;
          entity.start_angle = (mirrored ? base - start - sweep : base + start) + rotation;
          entity.end_angle = entity.start_angle + sweep;
        }
        add = s == VYN_TK_NO_ERROR;
      }
      if (add) {
        int id = 0;
        s = VynSectionEntityAdd(section, &entity, &id);
      }
      if (s != VYN_TK_NO_ERROR) status = s;
      if (data != nullptr) VynDtlentitydataFree(data);
    }
  } else if (points != nullptr && points->points != nullptr) {
    int n = 0;
    VynArraySizeGet(points->points, &n);
    const auto* pts = static_cast<const YrlDatumPoint*>(points->points);
    for (int i = 0; i < n; ++i) {
      Vyn2dEntity entity{};
      entity.type = VYN_2D_POINT;
      double tp[3];
      derotate(pts[i].point, tp);
      to_section(trf, origin, tp, entity.start);
      int id = 0;
      int s = VynSectionEntityAdd(section, &entity, &id);
      if (s != VYN_TK_NO_ERROR) status = s;
    }
  }

  VynSecerror errors = nullptr;
  VynSecerrorAlloc(&errors);
  int autodim = VynSectionAutodim(section, &errors);
  if (autodim == VYN_TK_NO_ERROR) info_message("Successfully auto dimensioned the section..");
  int n_errors = 0;
  VynSecerrorCount(&errors, &n_errors);
  if (n_errors == 0) info_message("The section was solved successfully..");
  else YrlAddSectionDebugPrint(draw->drawing, errors, n_errors);
  VynSecerrorFree(&errors);
  return autodim != VYN_TK_NO_ERROR ? autodim : status;
}

int YrlAddSectionDebugPrint(VynMdl drawing, VynSecerror errors, int count) {
  VynMessageDisplay(YrlMsgFile, "YRLFORM ERROR %0s", "The section was not solved successfully");
  // The entity file is named after the drawing; the utility shows why it could not open.
  char path[VYN_UTIL_PATH_SIZE] = "";
  FILE* file = VynUtilGenFilePtr(drawing, ".ent", path, "w");
  if (file == nullptr) return VYN_TK_GENERAL_ERROR;
  std::fputs("The section was not solved successfully \n\n", file);
  std::fputs("\n*** Errors of section solving and regenerating ***\n", file);
  std::fputs("__________________________________________________\n\n", file);
  std::fputs("Index   Entity ID       Error Message\n\n", file);
  for (int i = 0; i < count; ++i) {
    int id = 0;
    VynSecerrorItemGet(errors, i, &id);
    VynWchar wide[256] = {};
    VynSecerrorMsgGet(errors, i, wide);
    char message[vek::wstostr_room(255)] = "";
    VynWstringToString(message, wide);
    std::fprintf(file, "%3d    %10d       %s\n", i, id, message);
  }
  std::fclose(file);
  VynWchar wide_path[VYN_PATH_SIZE] = {};
  VynStringToWstring(wide_path, path);
  return VynInfoWindowDisplay(wide_path, 0, 0);
}
