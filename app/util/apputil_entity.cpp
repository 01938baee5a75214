// End points of drawing entities and picks, and the screen-to-drawing transform of the
// current sheet.
#include <cmath>
#include <cstring>

#include "app/menus/app_init.h"
#include "app/util/apputil.h"
#include "app/views/outline.h"
#include "runtime/text/vsprintf.h"
#include "toolkit/api/app_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/vecmath.h"

double scr_to_drw_matrix[4][4];
int ScrToDrwMatix_Set;

namespace {


// The points an entity gives and what it gave of them.
struct EntityPoints {
  int curve_type = 0;
  bool ends = false;    // first and second are set
  bool centre = false;  // centre is set
  double first[3] = {};
  double second[3] = {};
  double middle[3] = {};  // an arc's centre
  double radius = 0.0;
};

// The curve type of a curve record: the low byte of its first word.
int curve_type_of(const VynCurvedata& curve) { return curve.line.type & 0xff; }

// Reads a draft entity's curve into points. The arc's end points follow the arc's own
// start and sweep angles measured from its first axis, whose direction is taken with
// atan2 so that axes along and near the y axis keep their quadrant. A full circle has
// no end points: -1. Returns the last host step's status.
int entity_points_read(VynDtlentity* entity, EntityPoints& points) {
  if (!entity) return VYN_TK_BAD_INPUTS;
  VynDtlentitydata data = nullptr;
  int status = VynDtlentityDataGet(entity, nullptr, &data);
  if (status != VYN_TK_NO_ERROR) return status;
  VynCurvedata* curve = nullptr;
  status = VynDtlentitydataCurveGet(data, &curve);
  if (status == VYN_TK_NO_ERROR && !curve) status = VYN_TK_GENERAL_ERROR;
  if (status == VYN_TK_NO_ERROR) {
    points.curve_type = curve_type_of(*curve);
    if (points.curve_type == VYN_CURVE_LINE) {
      VynUtilVectorCopy(curve->line.end1, points.first);
      VynUtilVectorCopy(curve->line.end2, points.second);
      points.ends = true;
    } else if (points.curve_type == VYN_CURVE_ARC) {
      const VynArcCurve& arc = curve->arc;
      VynUtilVectorCopy(arc.origin, points.middle);
      points.centre = true;
      points.radius = arc.radius;
      if (!IsEntArc(curve)) {
        status = VYN_TK_GENERAL_ERROR;
      } else {
        double a0 = std::atan2(arc.vec1[1], arc.vec1[0]) + arc.start_angle;
        double a1 = a0 + arc.end_angle;
        points.first[0] = arc.origin[0] + arc.radius * std::cos(a0);
        points.first[1] = arc.origin[1] + arc.radius * std::sin(a0);
        points.first[2] = arc.origin[2] + arc.radius * 0.0;
        points.second[0] = arc.origin[0] + arc.radius * std::cos(a1);
        points.second[1] = arc.origin[1] + arc.radius * std::sin(a1);
        points.second[2] = arc.origin[2] + arc.radius * 0.0;
        points.ends = true;
      }
    }
  }
  if (data) VynDtlentitydataFree(data);
  return status;
}

int transform_point(double* point) {
  double result[3];
  int status = VynPntTrfEval(point, scr_to_drw_matrix, result);
  if (status == VYN_TK_NO_ERROR) VynUtilVectorCopy(result, point);
  return status;
}

// The entity's points, carried into drawing coordinates when transform is not 0 and the
// screen-to-drawing transform is set (the centre only when with_centre).
int entity_points_get(VynDtlentity* entity, int transform, bool with_centre, EntityPoints& points) {
  int status = entity_points_read(entity, points);
  if (status != VYN_TK_NO_ERROR || !transform || !ScrToDrwMatix_Set) return status;
  if (points.ends) {
    status = transform_point(points.first);
    if (status == VYN_TK_NO_ERROR) status = transform_point(points.second);
  }
  if (status == VYN_TK_NO_ERROR && with_centre && points.centre) status = transform_point(points.middle);
  return status;
}

}  // namespace

int YrlGetAllPointsFromEntityWithTrans(VynDtlentity* entity, double* first, double* second,
                                       double* centre, int transform) {
  EntityPoints points;
  int status = entity_points_get(entity, transform, centre != nullptr, points);
  if (status == VYN_TK_NO_ERROR && points.ends) {
    if (first) VynUtilVectorCopy(points.first, first);
    if (second) VynUtilVectorCopy(points.second, second);
  }
  if (centre && points.centre) VynUtilVectorCopy(points.middle, centre);
  return status;
}

int YrlGetAllPointsFromEntity(VynDtlentity* entity, double* first, double* second, double* centre) {
  return YrlGetAllPointsFromEntityWithTrans(entity, first, second, centre, 1);
}

int YrlGetAllPointsFromEntityNoTrf(VynDtlentity* entity, double* first, double* second,
                                   double* centre) {
  return YrlGetAllPointsFromEntityWithTrans(entity, first, second, centre, 0);
}

int YrlGetEndPointsFromEntity(VynDtlentity* entity, double* first, double* second) {
  return YrlGetAllPointsFromEntityWithTrans(entity, first, second, nullptr, 1);
}

int YrlGetEndPointsFromEntityNoTrf(VynDtlentity* entity, double* first, double* second) {
  return YrlGetAllPointsFromEntityWithTrans(entity, first, second, nullptr, 0);
}

namespace {

// The end points of the selection's entity; -1 when the selection gives no entity.
int selection_end_points(VynSelection selection, double* first, double* second, int transform) {
  VynModelitem item = {};
  if (VynSelectionModelitemGet(selection, &item) != VYN_TK_NO_ERROR) return VYN_TK_GENERAL_ERROR;
  return YrlGetAllPointsFromEntityWithTrans(&item, first, second, nullptr, transform);
}

}  // namespace

int YrlGetEndPointsFromSelection(VynSelection selection, double* first, double* second) {
  return selection_end_points(selection, first, second, 1);
}

int YrlGetEndPointsFromSelectionNoTrf(VynSelection selection, double* first, double* second) {
  return selection_end_points(selection, first, second, 0);
}

int YrlEntSelNearestEndGet(VynSelection selection, double* end) {
  double uv[2] = {};
  int status = VynSelectionUvParamGet(selection, uv);
  if (status != VYN_TK_NO_ERROR) return status;
  VynModelitem item = {};
  if (VynSelectionModelitemGet(selection, &item) != VYN_TK_NO_ERROR) return VYN_TK_GENERAL_ERROR;
  EntityPoints points;
  status = entity_points_get(&item, 1, false, points);
  if (status != VYN_TK_NO_ERROR) return status;
  // Entities other than lines and arcs have no ends.
  if (!points.ends) return VYN_TK_GENERAL_ERROR;
  if (end) VynUtilVectorCopy(uv[0] <= 0.5 ? points.first : points.second, end);
  return VYN_TK_NO_ERROR;
}

int YrlGetRadiusFromEntity(VynDtlentity* entity, double* radius) {
  EntityPoints points;
  int status = entity_points_read(entity, points);
  if (points.curve_type != VYN_CURVE_ARC || !points.centre) return status;
  // An arc's radius is measured along x in drawing units; without a sheet transform
  // the drawing units are the entity's own.
  const double(*matrix)[4] = ScrToDrwMatix_Set ? scr_to_drw_matrix : vyn_util_identity_matrix;
  double rim[3] = {points.middle[0] + points.radius, points.middle[1] + 0.0, points.middle[2] + 0.0};
  double rim_t[3], centre_t[3];
  status = VynPntTrfEval(rim, matrix, rim_t);
  if (status == VYN_TK_NO_ERROR) status = VynPntTrfEval(points.middle, matrix, centre_t);
  if (status == VYN_TK_NO_ERROR && radius) *radius = rim_t[0] - centre_t[0];
  return status;
}

int YrlSelectionDtlEntityIdGet(VynSelection selection, int* id) {
  VynModelitem item = {};
  int status = VynSelectionModelitemGet(selection, &item);
  if (status == VYN_TK_NO_ERROR && id) *id = item.id;
  return status;
}

int YrlCompareSelectionWithList(VynSelection value, const VynSelection* list, int count,
                                int* found) {
  int hit = 0;
  for (int i = 0; list && i < count && !hit; ++i) hit = list[i] == value;
  if (found) *found = hit;
  return 0;
}

int YrlInitScrToDrwMatrix() {
  if (ScrToDrwMatix_Set) return VYN_TK_NO_ERROR;
  VynMdl drawing = nullptr;
  int status = VynMdlCurrentGet(&drawing);
  int sheet = 0;
  if (status == VYN_TK_NO_ERROR) status = VynDrawingCurrentSheetGet(drawing, &sheet);
  VynWchar size[VYN_PATH_SIZE] = {};
  if (status == VYN_TK_NO_ERROR) status = VynDrawingSheetTrfGet(drawing, sheet, size, scr_to_drw_matrix);
  ScrToDrwMatix_Set = status == VYN_TK_NO_ERROR ? 1 : 0;
  return status;
}

int YrlClearScrToDrwMatrix() {
  ScrToDrwMatix_Set = 0;
  return 0;
}

int YrlGetScrToDrwMatrix(double matrix[4][4]) {
  if (!ScrToDrwMatix_Set) return VYN_TK_E_NOT_FOUND;
  if (!matrix) return VYN_TK_BAD_INPUTS;
  std::memcpy(matrix, scr_to_drw_matrix, sizeof scr_to_drw_matrix);
  return VYN_TK_NO_ERROR;
}

namespace {

// Bytes kept of each formatted point text; the formatter's text is cut to fit.
constexpr int kPointTextSize = 128;

void point_text(char* text, const char* format, const double* point) {
  text[0] = '\0';
  const char* formatted = vek::vyn_sprintf(nullptr, format, point[0], point[1]);
  if (!formatted) return;
  std::strncat(text, formatted, kPointTextSize - 1);
}

}  // namespace

int YrlCmdEndPoints() {
  YrlInitScrToDrwMatrix();
  for (;;) {
    VynArray picks = nullptr;
    int count = 0;
    if (VynSelect("draft_ent", 1, nullptr, nullptr, nullptr, 0, &picks, &count) != VYN_TK_NO_ERROR ||
        count < 1 || !picks) {
      return 0;
    }
    // The picks belong to the host until the next selection.
    VynModelitem item = {};
    if (VynSelectionModelitemGet(static_cast<VynSelection*>(picks)[0], &item) != VYN_TK_NO_ERROR) continue;
    EntityPoints points;
    // Lines and arcs other than full circles have end points; other entities are passed over.
    if (entity_points_get(&item, 1, false, points) != VYN_TK_NO_ERROR || !points.ends) continue;
    char first[kPointTextSize];
    char second[kPointTextSize];
    point_text(first, " Point1 = %5.2f,%5.2f", points.first);
    point_text(second, " Point2 = %5.2f,%5.2f", points.second);
    VynMessageClear();
    VynMessageDisplay(YrlMsgFile, "YRLFORM INFO %0s %1s", first, second);
  }
}
