// Draft entities through the host functions: creation from entity data, the curve records
// the host keeps and hands out, ids, deletion, drawing and visits.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/util/live_objects.h"
#include "drawing_test.h"

namespace {

using yrlhost::HostApi;

constexpr double kPi = 3.141592653589793;

class DrawingEntities : public yrltest::DrawingTest {
 protected:
  // Makes an entity as the plug-in does: data, curve, view, colour, create; frees the data.
  VynError create(const VynCurvedata& curve, VynDtlentity* entity, VynView view = nullptr,
                  const VynColor* colour = nullptr) {
    VynDtlentitydata data = nullptr;
    VynCurvedata* record = nullptr;
    EXPECT_EQ(call<HostApi::VynDtlentitydataAlloc>(drawing, &data), 0);
    EXPECT_EQ(call<HostApi::VynCurvedataAlloc>(&record), 0);
    std::memcpy(record, &curve, sizeof curve);
    EXPECT_EQ(call<HostApi::VynDtlentitydataCurveSet>(data, record), 0);
    if (view) {
      EXPECT_EQ(call<HostApi::VynDtlentitydataViewSet>(data, view), 0);
    }
    if (colour) {
      EXPECT_EQ(call<HostApi::VynDtlentitydataColorSet>(data, colour), 0);
    }
    VynError status = call<HostApi::VynDtlentityCreate>(drawing, static_cast<VynDtlsymdef*>(nullptr), data, entity);
    EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(data), 0);
    return status;
  }

  // The curve record of an entity as the plug-in reads it; type 0 when it cannot be had.
  VynCurvedata curve_of(int id) {
    VynDtlentity entity{yrlhost::item_type_draft_entity, id, drawing};
    VynDtlentitydata data = nullptr;
    VynCurvedata read{};
    if (call<HostApi::VynDtlentityDataGet>(&entity, static_cast<VynDtlsymdef*>(nullptr), &data) != 0) return read;
    VynCurvedata* curve = nullptr;
    EXPECT_EQ(call<HostApi::VynDtlentitydataCurveGet>(data, &curve), 0);
    std::memcpy(&read, curve, sizeof read);
    EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(data), 0);
    return read;
  }

  std::vector<int> visit(int sheet) {
    std::vector<int> ids;
    auto collect = [](VynModelitem* item, VynError, void* data) -> VynError {
      static_cast<std::vector<int>*>(data)->push_back(item->id);
      return VYN_TK_NO_ERROR;
    };
    EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), sheet,
                                                      +collect, static_cast<VynDtlentityFilterAction>(nullptr), &ids),
              0);
    return ids;
  }
};

VynCurvedata line_record(double x1, double y1, double x2, double y2) {
  const double a[3] = {x1, y1, 0}, b[3] = {x2, y2, 0};
  return yrlhost::draft_line(a, b).record;
}

VynCurvedata arc_record(double start, double sweep, double radius = 2) {
  const double origin[3] = {3, 4, 0};
  return yrlhost::draft_arc(origin, radius, start, sweep).record;
}

TEST_F(DrawingEntities, AnEntityMadeFromDataReadsBackItsCurveViewColourAndId) {
  int sheet2 = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
  VynView background2 = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingBackgroundViewGet>(drawing, sheet2, &background2), 0);
  VynColor red{};
  red.method = 2;
  red.value.rgb[0] = 1;
  VynDtlentity entity{};
  ASSERT_EQ(create(line_record(1, 2, 5, 6), &entity, background2, &red), 0);
  EXPECT_EQ(entity.type, yrlhost::item_type_draft_entity);
  EXPECT_EQ(entity.owner, drawing);
  const yrlhost::DraftEntity& stored = content().entities.at(entity.id);
  EXPECT_EQ(stored.sheet, sheet2);
  EXPECT_EQ(stored.view, yrlhost::view_background);

  VynDtlentitydata data = nullptr;
  ASSERT_EQ(call<HostApi::VynDtlentityDataGet>(&entity, static_cast<VynDtlsymdef*>(nullptr), &data), 0);
  int id = 0, hidden = -1;
  VynColor colour{};
  VynCurvedata* curve = nullptr;
  EXPECT_EQ(call<HostApi::VynDtlentitydataIdGet>(data, &id), 0);
  EXPECT_EQ(id, entity.id);
  EXPECT_EQ(call<HostApi::VynDtlentitydataColorGet>(data, &colour), 0);
  EXPECT_EQ(colour.method, 2);
  EXPECT_EQ(colour.value.rgb[0], 1);
  EXPECT_EQ(call<HostApi::VynDtlentitydataIsHidden>(data, &hidden), 0);
  EXPECT_EQ(hidden, 0);
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveGet>(data, &curve), 0);
  EXPECT_EQ(curve->line.type, VYN_CURVE_LINE);
  EXPECT_EQ(curve->line.end2[1], 6);
  EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(data), 0);
  EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(data), VYN_TK_BAD_INPUTS);

  // Without a view, the current sheet's background view; without a colour, the default.
  ASSERT_EQ(call<HostApi::VynDrawingCurrentSheetSet>(drawing, sheet2), 0);
  VynDtlentity second{};
  ASSERT_EQ(create(line_record(0, 0, 1, 1), &second), 0);
  EXPECT_EQ(content().entities.at(second.id).sheet, sheet2);
  EXPECT_EQ(content().entities.at(second.id).colour.method, 0);
  // Every record the host handed out was freed with its data.
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::data_record), 0u);
}

TEST_F(DrawingEntities, AnAllocatedCurvePassesToItsDataAndOthersAreCopied) {
  VynDtlentitydata first = nullptr, second = nullptr;
  VynCurvedata* curve = nullptr;
  ASSERT_EQ(call<HostApi::VynDtlentitydataAlloc>(drawing, &first), 0);
  ASSERT_EQ(call<HostApi::VynDtlentitydataAlloc>(drawing, &second), 0);
  ASSERT_EQ(call<HostApi::VynCurvedataAlloc>(&curve), 0);
  VynCurvedata zero{};
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(curve, &zero, sizeof zero), 0);
  VynCurvedata* got = nullptr;
  EXPECT_EQ(call<HostApi::VynDtlentitydataCurveGet>(first, &got), VYN_TK_E_NOT_FOUND);
  int id = 0;
  EXPECT_EQ(call<HostApi::VynDtlentitydataIdGet>(first, &id), VYN_TK_E_NOT_FOUND);

  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveSet>(first, curve), 0);
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveGet>(first, &got), 0);
  EXPECT_EQ(got, curve);  // the same record, which the plug-in may still fill
  *curve = line_record(0, 0, 3, 4);
  // The record is the first data's now: the second gets a copy.
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveSet>(second, curve), 0);
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveGet>(second, &got), 0);
  EXPECT_NE(got, curve);
  EXPECT_EQ(got->line.end2[1], 4);
  // A record of the plug-in's own is copied too.
  VynCurvedata own = line_record(9, 9, 8, 8);
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveSet>(first, &own), 0);
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveGet>(first, &got), 0);
  EXPECT_NE(got, &own);

  VynDtlentity entity{};
  ASSERT_EQ(call<HostApi::VynDtlentityCreate>(drawing, static_cast<VynDtlsymdef*>(nullptr), first, &entity), 0);
  // The data names the entity it made.
  EXPECT_EQ(call<HostApi::VynDtlentitydataIdGet>(first, &id), 0);
  EXPECT_EQ(id, entity.id);
  EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(first), 0);
  EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(second), 0);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::data_record), 0u);
}

TEST_F(DrawingEntities, CurvesTheHostKeepsAndCurvesItRefuses) {
  struct Case {
    const char* what;
    VynCurvedata record;
    bool kept;
  };
  VynCurvedata point{};
  std::memset(&point, 0, sizeof point);
  point.point.type = VYN_CURVE_POINT;
  VynCurvedata circle_record = point;
  circle_record.circle.type = VYN_CURVE_CIRCLE;
  VynCurvedata clockwise = arc_record(0, 1);
  clockwise.arc.vec2[1] = -1;
  VynCurvedata long_axis = arc_record(0, 1);
  long_axis.arc.vec1[0] = 1.1;
  VynCurvedata tilted = arc_record(0, 1);
  tilted.arc.vec1[2] = 0.01;
  VynCurvedata nan_line = line_record(0, 0, std::nan(""), 1);
  const Case cases[] = {
      {"a point", point, true},
      {"a line", line_record(0, 0, 1, 1), true},
      {"a line of length 0", line_record(1, 1, 1, 1), true},
      {"an arc", arc_record(0.5, 1), true},
      {"a full circle", arc_record(0, yrlhost::full_circle_sweep), true},
      {"a circle record", circle_record, false},
      {"an arc of sweep 0", arc_record(0, 0), false},
      {"an arc of negative sweep", arc_record(0, -1), false},
      {"an arc beyond a full turn", arc_record(0, std::nextafter(yrlhost::full_circle_sweep, 7.0)), false},
      {"an arc of radius 0", arc_record(0, 1, 0), false},
      {"a clockwise arc", clockwise, false},
      {"an arc whose axis is not a unit vector", long_axis, false},
      {"an arc out of the sheet's plane", tilted, false},
      {"a line through NaN", nan_line, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynDtlentity entity{};
    const std::size_t before = content().entities.size();
    EXPECT_EQ(create(c.record, &entity), c.kept ? 0 : VYN_TK_BAD_INPUTS);
    EXPECT_EQ(content().entities.size(), before + (c.kept ? 1 : 0));
    if (c.kept) {
      VynCurvedata read = curve_of(entity.id);
      EXPECT_EQ(std::memcmp(&read, &c.record, sizeof read), 0);
    }
  }
}

TEST_F(DrawingEntities, AFullCircleIsAnArcOfSweepExactlyTwoPi) {
  VynDtlentity circle{};
  ASSERT_EQ(create(arc_record(0, 2 * kPi), &circle), 0);
  VynCurvedata read = curve_of(circle.id);
  EXPECT_EQ(read.arc.type, VYN_CURVE_ARC);
  EXPECT_EQ(read.arc.end_angle, 6.283185307179586);
  EXPECT_EQ(read.arc.start_angle, 0);
  // Drawn as a circle; a part of one as an arc from its start to its end.
  VynDtlentity arc{};
  ASSERT_EQ(create(arc_record(kPi / 2, kPi), &arc), 0);
  ASSERT_EQ(call<HostApi::VynDtlentityDraw>(&circle), 0);
  ASSERT_EQ(call<HostApi::VynDtlentityDraw>(&arc), 0);
  const auto& list = yrlhost::window_find(yrlhost::window_current())->display_list;
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].kind, yrlhost::DrawKind::circle);
  EXPECT_EQ(list[0].radius, 2);
  EXPECT_EQ(list[1].kind, yrlhost::DrawKind::arc);
  EXPECT_NEAR(list[1].points[1][1], 1, 1e-15);   // starts at +y
  EXPECT_NEAR(list[1].points[2][1], -1, 1e-15);  // ends at -y
}

TEST_F(DrawingEntities, SplinesInTheirPinnedLayoutFromAndToThePlugIn) {
  // The plug-in's spline: its own arrays, read by the host at creation.
  const double params[3] = {0, 1, 3};
  const double points[9] = {0, 0, 0, 1, 1, 0, 3, 0, 0};
  const double tangents[9] = {1, 1, 0, 1, 0, 0, 1, -1, 0};
  VynCurvedata record{};
  std::memset(&record, 0, sizeof record);
  record.spline.type = VYN_CURVE_SPLINE;
  record.spline.num_points = 3;
  ASSERT_EQ(yrlhost::host_array_hand_out(params, 3, sizeof(double), &record.spline.params), 0);
  ASSERT_EQ(yrlhost::host_array_hand_out(points, 3, 3 * sizeof(double), &record.spline.points), 0);
  ASSERT_EQ(yrlhost::host_array_hand_out(tangents, 3, 3 * sizeof(double), &record.spline.tangents), 0);
  VynDtlentity spline{};
  ASSERT_EQ(create(record, &spline), 0);
  const std::size_t arrays = yrlhost::live_object_count(yrlhost::LiveKind::array);

  // Handed out with arrays of the data's own, read through the pinned offsets.
  VynDtlentitydata data = nullptr;
  ASSERT_EQ(call<HostApi::VynDtlentityDataGet>(&spline, static_cast<VynDtlsymdef*>(nullptr), &data), 0);
  VynCurvedata* curve = nullptr;
  ASSERT_EQ(call<HostApi::VynDtlentitydataCurveGet>(data, &curve), 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(curve);
  int type = 0, count = 0;
  VynArray read_params = nullptr, read_points = nullptr, read_tangents = nullptr;
  std::memcpy(&type, bytes, sizeof type);
  std::memcpy(&read_params, bytes + 8, sizeof read_params);
  std::memcpy(&read_points, bytes + 16, sizeof read_points);
  std::memcpy(&read_tangents, bytes + 24, sizeof read_tangents);
  std::memcpy(&count, bytes + 32, sizeof count);
  EXPECT_EQ(type, 12);
  EXPECT_EQ(count, 3);
  EXPECT_NE(read_params, record.spline.params);
  ASSERT_EQ(yrlhost::host_array_size(read_params), 3);
  ASSERT_EQ(yrlhost::host_array_size(read_points), 3);
  EXPECT_EQ(std::memcmp(read_params, params, sizeof params), 0);
  EXPECT_EQ(std::memcmp(read_points, points, sizeof points), 0);
  EXPECT_EQ(std::memcmp(read_tangents, tangents, sizeof tangents), 0);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), arrays + 3);
  EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(data), 0);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), arrays);

  // The point at a parameter follows the knots: the ends and the middle knot exactly.
  const yrlhost::DraftCurve& kept = content().entities.at(spline.id).curve;
  double p[3];
  ASSERT_TRUE(yrlhost::draft_curve_point(kept, 0, p));
  EXPECT_EQ(p[0], 0);
  ASSERT_TRUE(yrlhost::draft_curve_point(kept, 1.0 / 3, p));
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[1], 1);
  ASSERT_TRUE(yrlhost::draft_curve_point(kept, 1, p));
  EXPECT_EQ(p[0], 3);

  // Refused: arrays that are not the host's or do not match the count, too few points,
  // parameters that do not increase.
  VynCurvedata short_count = record;
  short_count.spline.num_points = 2;
  VynCurvedata foreign = record;
  double not_an_array[3] = {0, 1, 2};
  foreign.spline.params = not_an_array;
  VynDtlentity refused{};
  EXPECT_EQ(create(short_count, &refused), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(create(foreign, &refused), VYN_TK_BAD_INPUTS);
  const double flat[3] = {0, 1, 1};
  VynCurvedata flat_params = record;
  ASSERT_EQ(yrlhost::host_array_hand_out(flat, 3, sizeof(double), &flat_params.spline.params), 0);
  EXPECT_EQ(create(flat_params, &refused), VYN_TK_BAD_INPUTS);
}

TEST_F(DrawingEntities, ADeletedEntitysIdStaysDead) {
  VynDtlentity a{}, b{}, c{};
  ASSERT_EQ(create(line_record(0, 0, 1, 0), &a), 0);
  ASSERT_EQ(create(line_record(1, 0, 1, 1), &b), 0);
  ASSERT_EQ(call<HostApi::VynDtlentityDelete>(&b, 0), 0);
  EXPECT_FALSE(yrlhost::stored_item_exists(drawing, yrlhost::item_type_draft_entity, b.id));
  EXPECT_TRUE(yrlhost::stored_item_exists(drawing, yrlhost::item_type_draft_entity, a.id));
  ASSERT_EQ(create(line_record(1, 1, 0, 1), &c), 0);
  EXPECT_GT(c.id, b.id);
  // The dead id answers -4 wherever it is named; a bad record -2.
  VynDtlentitydata data = nullptr;
  EXPECT_EQ(call<HostApi::VynDtlentityDataGet>(&b, static_cast<VynDtlsymdef*>(nullptr), &data), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDtlentityDelete>(&b, 0), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(call<HostApi::VynDtlentityDraw>(&b), VYN_TK_E_NOT_FOUND);
  VynDtlentity wrong_type{yrlhost::item_type_note, a.id, drawing};
  VynDtlentity wrong_owner{yrlhost::item_type_draft_entity, a.id, part};
  for (VynDtlentity* bad : {&wrong_type, &wrong_owner, static_cast<VynDtlentity*>(nullptr)}) {
    EXPECT_EQ(call<HostApi::VynDtlentityDataGet>(bad, static_cast<VynDtlsymdef*>(nullptr), &data), VYN_TK_BAD_INPUTS);
    EXPECT_EQ(call<HostApi::VynDtlentityDelete>(bad, 0), VYN_TK_BAD_INPUTS);
  }
  // A host-side id must lie above every id used, so a deleted one cannot come back.
  yrlhost::DraftEntity again;
  again.id = b.id;
  again.curve = yrlhost::draft_line(content().entities.at(a.id).curve.record.line.end1,
                                    content().entities.at(a.id).curve.record.line.end2);
  std::string error;
  EXPECT_EQ(yrlhost::host_entity_add(drawing, again, error), -1);
  EXPECT_EQ(visit(-1), (std::vector<int>{a.id, c.id}));
}

TEST_F(DrawingEntities, DrawingAddsToTheCurrentWindowAndDeletingTakesItOff) {
  VynDtlentity a{}, b{};
  VynColor blue{};
  blue.method = 2;
  blue.value.rgb[2] = 1;
  ASSERT_EQ(create(line_record(0, 0, 1, 0), &a, nullptr, &blue), 0);
  const double p[3] = {5, 5, 0};
  yrlhost::DraftEntity hidden;
  hidden.hidden = true;
  hidden.curve = yrlhost::draft_point(p);
  std::string error;
  int hidden_id = yrlhost::host_entity_add(drawing, hidden, error);
  ASSERT_GT(hidden_id, 0) << error;
  ASSERT_EQ(create(yrlhost::draft_point(p).record, &b), 0);
  ASSERT_EQ(call<HostApi::VynDtlentityDraw>(&a), 0);
  VynDtlentity hidden_item{yrlhost::item_type_draft_entity, hidden_id, drawing};
  EXPECT_EQ(call<HostApi::VynDtlentityDraw>(&hidden_item), 0);  // not drawn
  ASSERT_EQ(call<HostApi::VynDtlentityDraw>(&b), 0);
  const auto* window = yrlhost::window_find(yrlhost::window_current());
  ASSERT_EQ(window->display_list.size(), 2u);
  EXPECT_EQ(window->display_list[0].kind, yrlhost::DrawKind::line);
  EXPECT_EQ(window->display_list[0].colour.value.rgb[2], 1);
  EXPECT_EQ(window->display_list[0].item.id, a.id);
  EXPECT_EQ(window->display_list[1].kind, yrlhost::DrawKind::point);

  VynDtlentitydata data = nullptr;
  ASSERT_EQ(call<HostApi::VynDtlentityDataGet>(&hidden_item, static_cast<VynDtlsymdef*>(nullptr), &data), 0);
  int is_hidden = 0;
  EXPECT_EQ(call<HostApi::VynDtlentitydataIsHidden>(data, &is_hidden), 0);
  EXPECT_EQ(is_hidden, 1);
  call<HostApi::VynDtlentitydataFree>(data);

  ASSERT_EQ(call<HostApi::VynDtlentityDelete>(&a, 0), 0);
  ASSERT_EQ(window->display_list.size(), 1u);
  EXPECT_EQ(window->display_list[0].item.id, b.id);
}

// What a visit saw, and how its callbacks behave.
struct VisitLog {
  DrawingEntities* test = nullptr;
  std::vector<int> seen;
  std::vector<int> filter_statuses;
  int stop_at = 0;         // the action stops the visit at this id with status 99
  int skip = 0;            // the filter skips this id
  int delete_at = 0;       // the action at this id deletes delete_id
  VynDtlentity delete_id{};
  bool make_one = false;   // the first action makes a new entity
};

TEST_F(DrawingEntities, VisitsBySheetWithFilterStopAndChangesDuringTheVisit) {
  int sheet2 = 0;
  ASSERT_EQ(call<HostApi::VynDrawingSheetCreate>(drawing, &sheet2), 0);
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  int e1 = line(a, b), e2 = line(a, b, sheet2), e3 = line(a, b), e4 = line(a, b);
  EXPECT_EQ(visit(1), (std::vector<int>{e1, e3, e4}));
  EXPECT_EQ(visit(sheet2), (std::vector<int>{e2}));
  EXPECT_EQ(visit(-1), (std::vector<int>{e1, e2, e3, e4}));

  auto action = [](VynModelitem* item, VynError filter_status, void* data) -> VynError {
    auto* log = static_cast<VisitLog*>(data);
    log->seen.push_back(item->id);
    log->filter_statuses.push_back(filter_status);
    if (item->id == log->delete_at)
      log->test->call<HostApi::VynDtlentityDelete>(&log->delete_id, 0);
    if (log->make_one) {
      log->make_one = false;
      const double p[3] = {0, 0, 0};
      log->test->line(p, p);
    }
    return item->id == log->stop_at ? 99 : VYN_TK_NO_ERROR;
  };
  auto filter = [](VynModelitem* item, void* data) -> VynError {
    return item->id == static_cast<VisitLog*>(data)->skip ? VYN_TK_CONTINUE : 5;
  };
  VisitLog log;
  log.test = this;
  log.skip = e3;
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), -1, +action, +filter, &log), 0);
  EXPECT_EQ(log.seen, (std::vector<int>{e1, e2, e4}));
  EXPECT_EQ(log.filter_statuses, (std::vector<int>{5, 5, 5}));

  log = VisitLog{};
  log.test = this;
  log.stop_at = e2;
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), -1, +action,
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            99);
  EXPECT_EQ(log.seen, (std::vector<int>{e1, e2}));

  // An entity deleted by an action before its turn is not offered.
  log = VisitLog{};
  log.test = this;
  log.delete_at = e1;
  log.delete_id = VynDtlentity{yrlhost::item_type_draft_entity, e3, drawing};
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), 1, +action,
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            0);
  EXPECT_EQ(log.seen, (std::vector<int>{e1, e4}));

  // An entity made by an action is not offered by the visit that runs.
  log = VisitLog{};
  log.test = this;
  log.make_one = true;
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), 1, +action,
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            0);
  EXPECT_EQ(log.seen, (std::vector<int>{e1, e4}));
  EXPECT_EQ(visit(1).size(), 3u);

  // Refusals.
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), 3, +action,
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), -1,
                                                    static_cast<VynDtlentityVisitAction>(nullptr),
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            VYN_TK_BAD_INPUTS);
  VynDtlsymdef symbol{};
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, &symbol, -1, +action,
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            VYN_TK_BAD_INPUTS);
}

// The chain pick's way: each step starts a new full visit of the same drawing from inside
// the action and stops the visit it runs in.
struct ChainLog {
  DrawingEntities* test = nullptr;
  std::vector<int> taken;
  int depth = 0;
  std::vector<std::vector<int>> seen_by_depth;  // what each visit, by its depth, offered
};

VynError chain_step(VynModelitem* item, VynError, void* data) {
  auto* log = static_cast<ChainLog*>(data);
  log->seen_by_depth.resize(std::max<std::size_t>(log->seen_by_depth.size(), log->depth + 1));
  log->seen_by_depth[log->depth].push_back(item->id);
  for (int id : log->taken)
    if (id == item->id) return VYN_TK_NO_ERROR;  // in the chain already: go on
  log->taken.push_back(item->id);
  ++log->depth;
  log->test->call<HostApi::VynDrawingDtlentityVisit>(item->owner, static_cast<VynDtlsymdef*>(nullptr), -1,
                                                     &chain_step,
                                                     static_cast<VynDtlentityFilterAction>(nullptr), data);
  --log->depth;
  return 1;  // the nested visit went on from here: stop this one
}

TEST_F(DrawingEntities, ANestedVisitFromAnActionNeitherSkipsNorRepeats) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  std::vector<int> ids;
  for (int i = 0; i < 6; ++i) ids.push_back(line(a, b));
  ChainLog log;
  log.test = this;
  EXPECT_EQ(call<HostApi::VynDrawingDtlentityVisit>(drawing, static_cast<VynDtlsymdef*>(nullptr), -1, &chain_step,
                                                    static_cast<VynDtlentityFilterAction>(nullptr), &log),
            1);
  EXPECT_EQ(log.taken, ids);
  // The visit at depth d offered the first d + 1 entities in order and stopped at the
  // new one; the innermost offered all six and ran to its end.
  ASSERT_EQ(log.seen_by_depth.size(), 7u);
  for (std::size_t depth = 0; depth < 7; ++depth)
    EXPECT_EQ(log.seen_by_depth[depth],
              std::vector<int>(ids.begin(), ids.begin() + static_cast<long>(std::min<std::size_t>(depth + 1, 6))))
        << depth;
}

}  // namespace
