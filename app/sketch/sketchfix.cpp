#include "app/sketch/sketchfix.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/sketch/sketchplane.h"
#include "app/sketch/sketchsel.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_2d_draw_api.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/vecmath.h"

namespace {

double distance(const double* p, const double* q) { return std::hypot(p[0] - q[0], p[1] - q[1]); }

// Two points are the same within the tolerance by which the validation judges ends to
// meet: a piece whose end moved by more is changed, so a repair closes every gap the
// validation calls open.
bool same_point(const double* p, const double* q) { return distance(p, q) <= YRL_SKETCH_END_TOL; }

void copy3(double* to, const double* from) {
  to[0] = from[0], to[1] = from[1], to[2] = from[2];
}


// The parameter of entity k in a meeting record kept in k's arrays.
double param_of(const YrlSketchIntPoint& p, int k) { return p.first == k ? p.t_first : p.t_second; }

// A meeting with another entity (the revolve axis records both indexes as the entity's).
bool with_other(const YrlSketchIntPoint& p) { return p.first != p.second; }

// The record of entity e itself, unchanged.
YrlSketchFixLine whole(const YrlSketchEntity& e, int index) {
  YrlSketchFixLine r{};
  r.index = index;
  r.entity_id = e.entity_id;
  r.curve_type = e.curve_type;
  r.colour = e.colour;
  copy3(r.start, e.start);
  copy3(r.end, e.end);
  copy3(r.centre, e.centre);
  r.radius = e.radius;
  r.start_angle = e.start_angle;
  r.sweep = YrlSketchEntitySweep(&e);
  return r;
}

// The point of entity e at parameter t: along the segment of a line, along the circle of
// an arc (the parameter runs over the sweep, so points beyond the ends stay on the circle).
void point_at(const YrlSketchEntity& e, double t, double* out) {
  if (IsYrlSketchEntityRound(&e)) {
    double a = e.start_angle + t * YrlSketchEntitySweep(&e);
    out[0] = e.centre[0] + e.radius * std::cos(a);
    out[1] = e.centre[1] + e.radius * std::sin(a);
  } else {
    out[0] = e.start[0] + t * (e.end[0] - e.start[0]);
    out[1] = e.start[1] + t * (e.end[1] - e.start[1]);
  }
  out[2] = 0;
}

// The piece of entity e from parameter ta to tb: a line between the two points, or the
// arc of e's circle between them (its sweep turned to run forward).
YrlSketchFixLine piece(const YrlSketchEntity& e, int index, double ta, double tb, const double* a, const double* b) {
  YrlSketchFixLine r = whole(e, index);
  copy3(r.start, a);
  copy3(r.end, b);
  if (IsYrlSketchEntityRound(&e)) {
    if (tb < ta) std::swap(ta, tb), copy3(r.start, b), copy3(r.end, a);
    r.curve_type = VYN_CURVE_ARC;
    r.start_angle = e.start_angle + ta * YrlSketchEntitySweep(&e);
    r.sweep = (tb - ta) * YrlSketchEntitySweep(&e);
  }
  r.changed = !(same_point(r.start, e.start) && same_point(r.end, e.end));
  if (IsYrlSketchEntityRound(&e) && IsYrlSketchEntityCircle(&e)) r.changed = 1;
  return r;
}

double piece_length(const YrlSketchFixLine& r) {
  return r.curve_type == VYN_CURVE_ARC ? std::fabs(r.sweep) * r.radius : distance(r.start, r.end);
}

// A piece too short to keep: within the repairs' distance tolerance of no length.
bool piece_too_short(const YrlSketchFixLine& r) { return IsYrlDoubleSame(piece_length(r), 0, YRL_SKETCH_DIST_TOL); }

}  // namespace

void YrlSketchOpenPntListFree(YrlSketchOpenPntList* list) {
  if (list == nullptr) return;
  std::free(list->items);
  *list = YrlSketchOpenPntList{};
}

void YrlSketchFixLineListFree(YrlSketchFixLineList* list) {
  if (list == nullptr) return;
  std::free(list->items);
  *list = YrlSketchFixLineList{};
}

// ---- Close -------------------------------------------------------------------------------

int YrlSketchFixOpenPointsGet(const YrlSketchValInfo* sketch, YrlSketchOpenPntList* out) {
  if (sketch == nullptr || out == nullptr) return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < sketch->count && sketch->entities != nullptr; ++i) {
    const YrlSketchEntity& e = sketch->entities[i];
    const YrlSketchEndStatus statuses[2] = {e.start_status, e.end_status};
    const double* points[2] = {e.start, e.end};
    for (int k = 0; k < 2; ++k) {
      if (!IsYrlSketchEndOpen(statuses[k]) || IsYrlSketchEndIntersects(statuses[k])) continue;
      YrlSketchOpenPnt p{};
      p.colour = e.colour;
      copy3(p.point, points[k]);
      p.loop = e.loop;
      if (!YrlSketchListAdd(out, p)) return VYN_TK_GENERAL_ERROR;
    }
  }
  return VYN_TK_NO_ERROR;
}

int YrlSketchFixCloseLinesGet(const YrlSketchValInfo* sketch, int grouping, YrlSketchFixLineList* out) {
  if (sketch == nullptr || out == nullptr) return VYN_TK_BAD_INPUTS;
  YrlSketchOpenPntList ends{};
  int status = YrlSketchFixOpenPointsGet(sketch, &ends);
  const bool grouped = ends.count >= 3 && sketch->loop_count >= 2;
  for (int i = 0; status == VYN_TK_NO_ERROR && i < ends.count; ++i) {
    YrlSketchOpenPnt& a = ends.items[i];
    if (a.used) continue;
    int best = -1;
    double best_distance = 0;
    for (int j = i + 1; j < ends.count; ++j) {
      const YrlSketchOpenPnt& b = ends.items[j];
      if (b.used) continue;
      if (grouped && (grouping == 2 ? b.loop != a.loop : b.loop == a.loop)) continue;
      double d = distance(a.point, b.point);
      if (best < 0 || d < best_distance) best = j, best_distance = d;
    }
    if (best < 0) continue;
    YrlSketchOpenPnt& b = ends.items[best];
    YrlSketchFixLine line{};
    line.index = -1;
    line.curve_type = VYN_CURVE_LINE;
    line.colour = a.colour;
    copy3(line.start, a.point);
    copy3(line.end, b.point);
    line.changed = 1;
    a.used = b.used = 1;
    if (!YrlSketchListAdd(out, line)) status = VYN_TK_GENERAL_ERROR;
  }
  YrlSketchOpenPntListFree(&ends);
  return status;
}

// ---- Extend ------------------------------------------------------------------------------

int YrlSketchFixExtendLinesGet(const YrlSketchValInfo* sketch, YrlSketchFixLineList* out) {
  if (sketch == nullptr || out == nullptr) return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < sketch->count && sketch->entities != nullptr; ++i) {
    const YrlSketchEntity& e = sketch->entities[i];
    if (IsYrlSketchEntityCircle(&e) || e.degenerate) {
      if (!YrlSketchListAdd(out, whole(e, i))) return VYN_TK_GENERAL_ERROR;
      continue;
    }
    // Start side: the meeting nearest the middle (largest parameter) and the one that
    // was best before it; end side likewise with the smallest parameter.
    const YrlSketchIntPoint* ps = nullptr;
    double ts = -10000, ts2 = 0;
    for (int k = 0; k < e.start_side.count; ++k) {
      const YrlSketchIntPoint& p = e.start_side.items[k];
      double t = param_of(p, i);
      if (!with_other(p) || !(t > ts)) continue;
      if (ps != nullptr) ts2 = ts;
      ps = &p, ts = t;
    }
    const YrlSketchIntPoint* pe = nullptr;
    double te = 10000, te2 = 1;
    for (int k = 0; k < e.end_side.count; ++k) {
      const YrlSketchIntPoint& p = e.end_side.items[k];
      double t = param_of(p, i);
      if (!with_other(p) || !(t < te)) continue;
      if (pe != nullptr) te2 = te;
      pe = &p, te = t;
    }
    double t_start = 0, t_end = 1;
    const bool start_free = !IsYrlSketchEndClosed(e.start_status);
    const bool end_free = !IsYrlSketchEndClosed(e.end_status);
    bool start_moved = false, end_moved = false;
    if (start_free && ps != nullptr) t_start = ts, start_moved = true;
    if (end_free) {
      if (pe != nullptr) {
        t_end = te, end_moved = true;
      } else if (ps != nullptr) {
        if (start_moved) t_start = ts2;
        t_end = ts, end_moved = true;
      }
    }
    if (start_free && ps == nullptr && pe != nullptr) {
      if (end_moved) t_start = te, t_end = te2;
      else t_start = te;
    }
    double a[3], b[3];
    point_at(e, t_start, a);
    point_at(e, t_end, b);
    YrlSketchFixLine r = piece(e, i, t_start, t_end, a, b);
    // Both ends moved onto one crossing (a stem whose only crossing is at its closed
    // end) would leave no entity: the entity stays as it is.
    if (piece_too_short(r) || (IsYrlSketchEntityRound(&e) && std::fabs(r.sweep) > YRL_TWO_PI)) r = whole(e, i);
    if (!YrlSketchListAdd(out, r)) return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

// ---- Divide ------------------------------------------------------------------------------

int YrlSketchFixDivideLinesGet(const YrlSketchValInfo* sketch, YrlSketchFixLineList* out) {
  if (sketch == nullptr || out == nullptr) return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < sketch->count && sketch->entities != nullptr; ++i) {
    const YrlSketchEntity& e = sketch->entities[i];
    // The crossings of both side arrays, in order along the entity.
    YrlSketchIntPointList cuts{};
    bool ok = true;
    for (const YrlSketchIntPointList* side : {&e.start_side, &e.end_side}) {
      for (int k = 0; ok && k < side->count; ++k) {
        if (YrlSelIntPointIsIntersection(&side->items[k])) ok = YrlSketchListAdd(&cuts, side->items[k]);
      }
    }
    if (!ok) {
      std::free(cuts.items);
      return VYN_TK_GENERAL_ERROR;
    }
    if (cuts.count == 0) {
      if (!YrlSketchListAdd(out, whole(e, i))) return VYN_TK_GENERAL_ERROR;
      continue;
    }
    std::stable_sort(cuts.items, cuts.items + cuts.count, [i](const YrlSketchIntPoint& x, const YrlSketchIntPoint& y) {
      return param_of(x, i) < param_of(y, i);
    });
    double t0 = 0, p0[3];
    copy3(p0, e.start);
    for (int k = 0; ok && k <= cuts.count; ++k) {
      double t1 = k < cuts.count ? param_of(cuts.items[k], i) : 1;
      double p1[3];
      if (k < cuts.count) copy3(p1, cuts.items[k].point);
      else copy3(p1, e.end);
      YrlSketchFixLine r = piece(e, i, t0, t1, p0, p1);
      if (!piece_too_short(r)) ok = YrlSketchListAdd(out, r);
      t0 = t1;
      copy3(p0, p1);
    }
    std::free(cuts.items);
    if (!ok) return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

// ---- Revolve side ------------------------------------------------------------------------

int YrlSketchFixRevolveLinesGet(const YrlSketchValInfo* sketch, int side, YrlSketchFixLineList* out) {
  if (sketch == nullptr || out == nullptr) return VYN_TK_BAD_INPUTS;
  for (int i = 0; i < sketch->count && sketch->entities != nullptr; ++i) {
    const YrlSketchEntity& e = sketch->entities[i];
    if (e.start_axis_side != side && e.end_axis_side != side) continue;
    YrlSketchFixLine r = whole(e, i);
    if (!IsYrlSketchEntityRound(&e)) {
      // The crossing with the axis; without one the end stays where it is.
      const YrlSketchIntPoint* axis = nullptr;
      for (const YrlSketchIntPointList* list : {&e.start_side, &e.end_side}) {
        for (int k = 0; axis == nullptr && k < list->count; ++k) {
          if (list->items[k].first == i && list->items[k].second == i) axis = &list->items[k];
        }
      }
      if (e.start_axis_side != side && e.start_axis_side != 0 && axis != nullptr) copy3(r.start, axis->point);
      if (e.end_axis_side != side && e.end_axis_side != 0 && axis != nullptr) copy3(r.end, axis->point);
      r.changed = !(same_point(r.start, e.start) && same_point(r.end, e.end));
    }
    if (!YrlSketchListAdd(out, r)) return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

// ---- Drawing -------------------------------------------------------------------------------

namespace {

void map_point(const double (*matrix)[4], const double* p, double* out) {
  if (matrix != nullptr) VynUtilPointTrans(matrix, p, out);
  else copy3(out, p);
}

// A direction (view coordinates) carried into the drawing by matrix and made unit.
void map_direction(const double (*matrix)[4], double angle, double* out) {
  double d[3] = {std::cos(angle), std::sin(angle), 0};
  if (matrix != nullptr) {
    for (int k = 0; k < 3; ++k) out[k] = d[0] * matrix[0][k] + d[1] * matrix[1][k] + d[2] * matrix[2][k];
  } else {
    copy3(out, d);
  }
  double n = std::sqrt(out[0] * out[0] + out[1] * out[1] + out[2] * out[2]);
  if (n > 0) out[0] /= n, out[1] /= n, out[2] /= n;
}

double matrix_scale(const double (*matrix)[4]) {
  if (matrix == nullptr) return 1.0;
  return std::sqrt(matrix[0][0] * matrix[0][0] + matrix[0][1] * matrix[0][1] + matrix[0][2] * matrix[0][2]);
}

void line_draw(const double* a, const double* b, const double (*matrix)[4]) {
  double p[3], q[3];
  map_point(matrix, a, p);
  map_point(matrix, b, q);
  VynGraphicsPenPosition(p);
  VynGraphicsLineDraw(q);
}

void arc_draw(const double* centre, double radius, double start_angle, double sweep, bool circle,
              const double (*matrix)[4]) {
  double c[3];
  map_point(matrix, centre, c);
  double r = radius * matrix_scale(matrix);
  if (circle) {
    VynGraphicsCircleDraw(c, r);
    return;
  }
  double v1[3], v2[3];
  map_direction(matrix, start_angle, v1);
  map_direction(matrix, start_angle + sweep, v2);
  VynGraphicsArcDraw(c, r, v1, v2);
}

void fix_line_draw(const YrlSketchFixLine& r, const double (*matrix)[4]) {
  if (r.curve_type == VYN_CURVE_ARC || r.curve_type == VYN_CURVE_CIRCLE) {
    bool circle = r.curve_type == VYN_CURVE_CIRCLE || IsYrlDoubleSame(std::fabs(r.sweep), YRL_TWO_PI, 0.01);
    arc_draw(r.centre, r.radius, r.start_angle, r.sweep, circle, matrix);
  } else {
    line_draw(r.start, r.end, matrix);
  }
}

// The inverse of the sheet transform; false when it has none.
bool inverse_of(const YrlFeatInfo* info, double inverse[4][4]) {
  return VynUtilMatrixInvert(info->draw.sheet_trf, inverse) == 1;
}

}  // namespace

void YrlTestPointDraw(const double* point, const double (*matrix)[4]) {
  if (point == nullptr) return;
  double p[3];
  map_point(matrix, point, p);
  int old = 0;
  VynGraphicsColorSet(0, &old);
  VynGraphicsCircleDraw(p, 5.0);
  VynGraphicsColorSet(old, nullptr);
}

void YrlSketchEntGraphicsDraw(const YrlSketchEntity* e, const double (*matrix)[4]) {
  if (e == nullptr) return;
  if (IsYrlSketchEntityRound(e)) arc_draw(e->centre, e->radius, e->start_angle, YrlSketchEntitySweep(e), IsYrlSketchEntityCircle(e), matrix);
  else line_draw(e->start, e->end, matrix);
}

// ---- Applying ------------------------------------------------------------------------------

int YrlSketchFixCurveCreate(const YrlDrawInfo* draw, VynCurvedata* curve, const VynColor* colour,
                            VynSelection* selection) {
  if (draw == nullptr || curve == nullptr || selection == nullptr) {
    if (curve != nullptr) VynCurvedataFree(reinterpret_cast<VynWord>(curve));
    return VYN_TK_BAD_INPUTS;
  }
  *selection = nullptr;
  VynDtlentitydata data = nullptr;
  int status = VynDtlentitydataAlloc(draw->drawing, &data);
  bool handed = false;
  if (status == VYN_TK_NO_ERROR) {
    status = VynDtlentitydataCurveSet(data, curve);
    handed = status == VYN_TK_NO_ERROR;  // the entity data holds the curve from here on
  }
  int sheet = 0;
  VynView view = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynDrawingCurrentSheetGet(draw->drawing, &sheet);
  if (status == VYN_TK_NO_ERROR) status = VynDrawingBackgroundViewGet(draw->drawing, sheet, &view);
  if (status == VYN_TK_NO_ERROR) status = VynDtlentitydataViewSet(data, view);
  if (status == VYN_TK_NO_ERROR && colour != nullptr) status = VynDtlentitydataColorSet(data, colour);
  VynDtlentity entity{};
  if (status == VYN_TK_NO_ERROR) status = VynDtlentityCreate(draw->drawing, nullptr, data, &entity);
  if (status == VYN_TK_NO_ERROR) {
    VynDtlentityDraw(&entity);
    status = VynSelectionAlloc(nullptr, &entity, selection);
  }
  if (!handed) VynCurvedataFree(reinterpret_cast<VynWord>(curve));
  if (data != nullptr) VynDtlentitydataFree(data);
  return status;
}

int YrlSketchFixArcCreate(const YrlDrawInfo* draw, const YrlSketchFixLine* arc, VynSelection* selection) {
  if (draw == nullptr || arc == nullptr || selection == nullptr) return VYN_TK_BAD_INPUTS;
  *selection = nullptr;
  double inverse[4][4];
  if (VynUtilMatrixInvert(draw->sheet_trf, inverse) != 1) return VYN_TK_BAD_INPUTS;
  // In the drawing the arc runs from its first axis (towards its start) through its sweep.
  double origin[3], v1[3], v2[3];
  VynUtilPointTrans(inverse, arc->centre, origin);
  map_direction(inverse, arc->start_angle, v1);
  map_direction(inverse, arc->start_angle + YRL_TWO_PI / 4, v2);
  double radius = arc->radius * matrix_scale(inverse);
  VynCurvedata* curve = nullptr;
  int status = VynCurvedataAlloc(&curve);
  if (status == VYN_TK_NO_ERROR) status = VynArcdataInit(v1, v2, origin, 0.0, arc->sweep, radius, curve);
  if (status != VYN_TK_NO_ERROR) {
    if (curve != nullptr) VynCurvedataFree(reinterpret_cast<VynWord>(curve));
    return status;
  }
  return YrlSketchFixCurveCreate(draw, curve, &arc->colour, selection);
}

int YrlViewSetupEntityRemove(const char* view_name, int entity_id) {
  YrlViewData record;
  // The count as far as the drawing holds slots: a damaged one would walk on for hours.
  if (view_name == nullptr || YrlViewDataReadMembers(view_name, &record) != VYN_TK_NO_ERROR)
    return VYN_TK_E_NOT_FOUND;
  int kept = 0, status = VYN_TK_NO_ERROR;
  for (int i = 0; i < record.member_count && status == VYN_TK_NO_ERROR; ++i) {
    YrlSlotName slot;
    int id = 0;
    status = YrlSlotNameFormat(slot, "%s_%d", view_name, i);
    if (status == VYN_TK_NO_ERROR && YrlViewIntegerRetrieve(slot, &id) != VYN_TK_NO_ERROR) continue;
    if (status != VYN_TK_NO_ERROR || id == entity_id) continue;
    if (kept != i) {
      status = YrlSlotNameFormat(slot, "%s_%d", view_name, kept);
      if (status == VYN_TK_NO_ERROR) status = YrlViewIntegerSave(slot, id);
    }
    ++kept;
  }
  if (status != VYN_TK_NO_ERROR) return status;
  if (kept == record.member_count) return VYN_TK_NO_ERROR;
  const int old_count = record.member_count;
  record.member_count = kept;
  status = YrlViewDataWrite(view_name, record);
  // The slots past the new count held members that moved down or left: none stays
  // behind to be read as a member of the view. (A slot that is missing, as below a
  // damaged count, has nothing to delete.)
  for (int i = kept; i < old_count && status == VYN_TK_NO_ERROR; ++i) {
    YrlSlotName slot;
    status = YrlSlotNameFormat(slot, "%s_%d", view_name, i);
    if (status == VYN_TK_NO_ERROR && (status = YrlViewStreamDelete(slot)) == VYN_TK_E_NOT_FOUND)
      status = VYN_TK_NO_ERROR;
  }
  return status;
}

void YrlSketchFixEntitiesViewRemove(YrlFeatInfo* info) {
  if (info == nullptr || info->fix_entities == nullptr || info->sketch.view_name[0] == '\0') return;
  int n = 0;
  VynArraySizeGet(info->fix_entities, &n);
  const auto* items = static_cast<const VynModelitem*>(info->fix_entities);
  for (int i = 0; i < n; ++i) YrlViewSetupEntityRemove(info->sketch.view_name, items[i].id);
}

namespace {

// A new draft entity for a changed record: a line, or an arc that keeps its circle. On
// success its model item joins the fix entities and its id the profile's view.
int fix_entity_make(YrlFeatInfo* info, const YrlSketchFixLine& r, VynSelection* selection) {
  *selection = nullptr;
  // A line whose ends meet is never made: the validation would refuse it.
  if (r.curve_type != VYN_CURVE_ARC && same_point(r.start, r.end)) return VYN_TK_BAD_INPUTS;
  int status = r.curve_type == VYN_CURVE_ARC ? YrlSketchFixArcCreate(&info->draw, &r, selection)
                                             : YrlSketchFixCreate(&info->draw, r.start, r.end, &r.colour, selection);
  if (*selection == nullptr) return status != VYN_TK_NO_ERROR ? status : VYN_TK_GENERAL_ERROR;
  VynModelitem item{};
  int s = VynSelectionModelitemGet(*selection, &item);
  if (s == VYN_TK_NO_ERROR && info->fix_entities != nullptr) s = VynArrayObjectAdd(&info->fix_entities, -1, 1, &item);
  if (s == VYN_TK_NO_ERROR) s = YrlViewSetupEntityAdd(info->sketch.view_name, item.id);
  return s != VYN_TK_NO_ERROR ? s : status;
}

// A growable list of selections the rebuild takes over.
struct SelectionList {
  VynSelection* items;
  int count;
  int capacity;
};

void selection_list_free(SelectionList* list) {
  for (int i = 0; i < list->count; ++i) VynSelectionFree(&list->items[i]);
  std::free(list->items);
  *list = SelectionList{};
}

// Appends a copy of the profile's own selection of entity index.
int own_selection_add(YrlFeatInfo* info, int index, SelectionList* list) {
  VynSelection copy = nullptr;
  int status = VynSelectionCopy(info->sketch.selections[index], &copy);
  if (copy != nullptr && !YrlSketchListAdd(list, copy)) {
    VynSelectionFree(&copy);
    return VYN_TK_GENERAL_ERROR;
  }
  return status;
}

// The profile becomes the list (its records rebuilt, its view checked again); the list
// is released. The rebuild's status when the repair itself had none.
int profile_replace(YrlFeatInfo* info, SelectionList* list, int status) {
  int view_result = 0;
  int rebuilt = YrlSketchProfileSet(info, list->items, list->count, &view_result);
  selection_list_free(list);
  return status != VYN_TK_NO_ERROR ? status : rebuilt;
}

// One entry per record: a new entity for a changed record, else the entity's own
// selection (also when the new entity cannot be made, so the place stays valid).
int pieces_apply(YrlFeatInfo* info, const YrlSketchFixLineList& pieces) {
  SelectionList list{};
  int status = VYN_TK_NO_ERROR;
  for (int k = 0; k < pieces.count; ++k) {
    const YrlSketchFixLine& r = pieces.items[k];
    VynSelection made = nullptr;
    if (r.changed) {
      int s = fix_entity_make(info, r, &made);
      if (s != VYN_TK_NO_ERROR) status = s;
    }
    if (made != nullptr) {
      if (!YrlSketchListAdd(&list, made)) VynSelectionFree(&made), status = VYN_TK_GENERAL_ERROR;
    } else if (int s = own_selection_add(info, r.index, &list)) {
      status = s;
    }
  }
  return profile_replace(info, &list, status);
}

bool has_profile(const YrlFeatInfo* info) {
  return info != nullptr && info->sketch.entities != nullptr && info->sketch.selections != nullptr;
}

}  // namespace

namespace {

// Runs a repair's geometry on the profile and hands the records to use: the drawing
// of a preview (with the inverse sheet transform) or the applying.
template <typename Get, typename Use>
int with_pieces(YrlFeatInfo* info, Get get, Use use) {
  if (!has_profile(info)) return VYN_TK_BAD_INPUTS;
  YrlSketchFixLineList pieces{};
  int status = get(&info->sketch, &pieces);
  if (status == VYN_TK_NO_ERROR) status = use(pieces);
  YrlSketchFixLineListFree(&pieces);
  return status;
}

template <typename Get, typename Draw>
int preview(YrlFeatInfo* info, Get get, Draw draw) {
  double inverse[4][4];
  if (info != nullptr && !inverse_of(info, inverse)) return VYN_TK_BAD_INPUTS;
  return with_pieces(info, get, [&](const YrlSketchFixLineList& pieces) {
    for (int k = 0; k < pieces.count; ++k) draw(pieces.items[k], inverse);
    return VYN_TK_NO_ERROR;
  });
}

template <typename Get>
int apply(YrlFeatInfo* info, Get get) {
  return with_pieces(info, get, [info](const YrlSketchFixLineList& pieces) { return pieces_apply(info, pieces); });
}

}  // namespace

int YrlSketchFixPreviewClose(YrlFeatInfo* info, int grouping) {
  auto get = [grouping](const YrlSketchValInfo* s, YrlSketchFixLineList* l) {
    return YrlSketchFixCloseLinesGet(s, grouping, l);
  };
  int status = preview(info, get, [](const YrlSketchFixLine& r, const double (*m)[4]) { fix_line_draw(r, m); });
  double inverse[4][4];
  if (status == VYN_TK_NO_ERROR && inverse_of(info, inverse)) {
    for (int i = 0; i < info->sketch.count; ++i) YrlSketchEntGraphicsDraw(&info->sketch.entities[i], inverse);
  }
  return status;
}

int YrlSketchFixClose(YrlFeatInfo* info, int grouping) {
  auto get = [grouping](const YrlSketchValInfo* s, YrlSketchFixLineList* l) {
    return YrlSketchFixCloseLinesGet(s, grouping, l);
  };
  return with_pieces(info, get, [info](const YrlSketchFixLineList& lines) {
    if (lines.count == 0) return static_cast<int>(VYN_TK_NO_ERROR);  // nothing to close: the profile stays
    // The profile's own selections, then the closing lines that could be made.
    SelectionList list{};
    int status = VYN_TK_NO_ERROR;
    for (int i = 0; i < info->sketch.count; ++i) {
      if (int s = own_selection_add(info, i, &list)) status = s;
    }
    for (int k = 0; k < lines.count; ++k) {
      VynSelection made = nullptr;
      if (int s = fix_entity_make(info, lines.items[k], &made)) status = s;
      if (made != nullptr && !YrlSketchListAdd(&list, made)) VynSelectionFree(&made), status = VYN_TK_GENERAL_ERROR;
    }
    return profile_replace(info, &list, status);
  });
}

int YrlSketchFixPreviewExtend(YrlFeatInfo* info) {
  return preview(info, YrlSketchFixExtendLinesGet, [info](const YrlSketchFixLine& r, const double (*m)[4]) {
    if (r.changed) fix_line_draw(r, m);
    else YrlSketchEntGraphicsDraw(&info->sketch.entities[r.index], m);
  });
}

int YrlSketchFixExtend(YrlFeatInfo* info) { return apply(info, YrlSketchFixExtendLinesGet); }

int YrlSketchFixPreviewDivide(YrlFeatInfo* info) {
  int drawn = -1;
  return preview(info, YrlSketchFixDivideLinesGet, [info, &drawn](const YrlSketchFixLine& r, const double (*m)[4]) {
    if (!r.changed) return;
    if (r.index != drawn) YrlSketchEntGraphicsDraw(&info->sketch.entities[r.index], m), drawn = r.index;
    YrlTestPointDraw(r.start, m);
    YrlTestPointDraw(r.end, m);
  });
}

int YrlSketchFixDivide(YrlFeatInfo* info) { return apply(info, YrlSketchFixDivideLinesGet); }

int YrlSketchFixRemove(YrlFeatInfo* info, VynArray keep) {
  if (info == nullptr) return VYN_TK_BAD_INPUTS;
  int n = 0;
  if (keep != nullptr) VynArraySizeGet(keep, &n);
  const auto* kept = static_cast<const VynSelection*>(keep);
  SelectionList list{};
  int status = VYN_TK_NO_ERROR;
  for (int k = 0; k < n; ++k) {
    VynSelection copy = nullptr;
    if (int s = VynSelectionCopy(kept[k], &copy)) status = s;
    if (copy != nullptr && !YrlSketchListAdd(&list, copy)) VynSelectionFree(&copy), status = VYN_TK_GENERAL_ERROR;
  }
  return profile_replace(info, &list, status);
}

int YrlSketchFixPreviewRevolve(YrlFeatInfo* info, int side) {
  auto get = [side](const YrlSketchValInfo* s, YrlSketchFixLineList* l) { return YrlSketchFixRevolveLinesGet(s, side, l); };
  return preview(info, get, [](const YrlSketchFixLine& r, const double (*m)[4]) { fix_line_draw(r, m); });
}

int YrlSketchFixRevolve(YrlFeatInfo* info, int side) {
  return apply(info, [side](const YrlSketchValInfo* s, YrlSketchFixLineList* l) {
    return YrlSketchFixRevolveLinesGet(s, side, l);
  });
}
