// Geometry items of parts on real solids: geometry at a point, surface data and
// evaluation of planes, cylinders and what revolutions make, edges and their neighbours,
// item ids across regenerations, the feature and item visits and datum items.
#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "geometry_test.h"
#include "host/geometry/geometry.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/live_objects.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/store/pick_items.h"
#include "host/store/models.h"
#include "host/store/sections.h"
#include "host/display/selection.h"
#include "host_test.h"
#include "toolkit/local/geomdata.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;
namespace geom = yrlhost::geom;
using yrltest::circle;
using yrltest::line;
using yrltest::pi;
using yrltest::rectangle;
using yrltest::Vec2;
using yrltest::Vec3;

constexpr int surface_type = yrlhost::item_type_surface;
constexpr int edge_type = yrlhost::item_type_edge;

Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

Vec3 vec(const double* v) { return {v[0], v[1], v[2]}; }

// The solid of a profile on a frame extruded blind along the frame's normal.
geom::Shape extruded(const geom::Frame& frame, const std::vector<geom::SectionEntity>& section,
                     double depth, int feature, const geom::Shape& part = {},
                     geom::Combine how = geom::Combine::add) {
  geom::Profile profile;
  EXPECT_EQ(geom::profile_make(frame, section, yrltest::tol, profile, nullptr), geom::Status::ok);
  geom::Extent extent;
  extent.front = {geom::DepthKind::blind, depth, {}};
  geom::Shape tool, out;
  EXPECT_EQ(geom::prism(profile, extent, part, feature, tool), geom::Status::ok);
  EXPECT_EQ(geom::combine(part, tool, how, out), geom::Status::ok);
  return out;
}

// What VynGeometryAtPointFind found: the items of its selections, in order.
struct Found {
  VynError status = 0;
  std::vector<VynModelitem> items;
  std::vector<std::array<double, 2>> uvs;
};

class ModelGeometryTest : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    std::string error;
    part = yrlhost::host_model_create(yrlhost::model_type_part, "BLOCK", error);
    ASSERT_NE(part, nullptr) << error;
    extrude = yrlhost::host_feature_add(part, 917, "EXTRUDE", {});
    ASSERT_GT(extrude, 0);
  }

  // The 10 x 5 x 7 block [0, 10] x [0, 5] x [0, 7]: a FRONT sketch extruded 7.
  geom::Shape block(double depth = 7) {
    return extruded(geom::standard_frame(geom::StandardPlane::front, 0), rectangle(0, 0, 10, 5),
                    depth, extrude);
  }

  void set(const geom::Shape& solid, std::vector<yrlhost::StoredDatum> datums = {},
           std::vector<int>* ids = nullptr) {
    ASSERT_TRUE(yrlhost::part_geometry_testing_set(part, solid, std::move(datums), ids));
  }

  Found at(const Vec3& point) {
    Found found;
    VynArray selections = reinterpret_cast<VynArray>(0x1);  // overwritten
    int count = -1;
    found.status =
        Behaviour<HostApi::VynGeometryAtPointFind>::run(1, part, point.data(), &selections, &count);
    if (found.status != 0) {
      EXPECT_EQ(selections, nullptr);
      EXPECT_EQ(count, 0);
      return found;
    }
    EXPECT_EQ(count, yrlhost::host_array_size(selections));
    auto* list = reinterpret_cast<VynSelection*>(selections);
    for (int i = 0; i < count; ++i) {
      found.items.push_back(list[i]->item);
      found.uvs.push_back({list[i]->uv[0], list[i]->uv[1]});
      EXPECT_EQ(Behaviour<HostApi::VynSelectionFree>::run(1, &list[i]), 0);
    }
    EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &selections), 0);
    return found;
  }

  // The single surface item at a point (inside a face).
  VynGeomitem face_at(const Vec3& point) {
    Found found = at(point);
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.items.size(), 1u);
    return found.items.empty() ? VynGeomitem{} : found.items.front();
  }

  VynSurfacedata surface_data(VynGeomitem item) {
    VynGeomitemdata* data = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &item, &data), 0);
    if (!data) return {};
    EXPECT_EQ(data->obj_type, VYN_GEOMITEMDATA_SURFACE);
    VynSurfacedata copy = *data->data.p_surface_data;
    EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &data), 0);
    return copy;
  }

  VynSurface surface_of(VynGeomitem item) {
    VynSurface surface = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynGeomitemToSurface>::run(1, &item, &surface), 0);
    return surface;
  }

  // The point and normal at a model point, as the application reads them: the point's
  // parameters, then the surface there.
  void eval_at(VynGeomitem item, const Vec3& point, Vec3& on, Vec3& normal) {
    VynSurface surface = surface_of(item);
    double uv[2] = {};
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceParamEval>::run(1, part, surface, point.data(), uv), 0);
    double d1[6], d2[9];
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceXyzdataEval>::run(1, surface, uv, on.data(), d1, d2,
                                                             normal.data()),
              0);
  }

  std::vector<VynModelitem> visit(int feature_id, int type) {
    VynFeature feature{yrlhost::item_type_feature, feature_id, part};
    std::vector<VynModelitem> items;
    auto collect = [](VynModelitem* item, VynError, void* data) -> VynError {
      static_cast<std::vector<VynModelitem>*>(data)->push_back(*item);
      return 0;
    };
    EXPECT_EQ(Behaviour<HostApi::VynFeatureGeomitemVisit>::run(1, &feature, type, collect, nullptr,
                                                               &items),
              0);
    return items;
  }

  int feature_of(VynGeomitem item) {
    VynFeature feature{};
    VynError status = Behaviour<HostApi::VynGeomitemFeatureGet>::run(1, &item, &feature);
    return status == 0 ? feature.id : status;
  }

  VynMdl part = nullptr;
  int extrude = 0;
};

// ---- Geometry at a point ---------------------------------------------------------------

TEST_F(ModelGeometryTest, GeometryAtPointFindsFacesAndEdgesWithinItsTolerance) {
  set(block());
  struct Case {
    const char* what;
    Vec3 point;
    int status;
    std::size_t surfaces, edges;
  };
  const Case cases[] = {
      {"inside the top face", {5, 2.5, 7}, 0, 1, 0},
      {"inside it, 0.005 above", {5, 2.5, 7.005}, 0, 1, 0},
      {"on the top face's boundary, inside an edge", {5, 0, 7}, 0, 2, 1},
      {"0.007 off that edge, off the part", {5, -0.007, 7.007}, 0, 2, 1},
      {"at a corner", {10, 5, 7}, 0, 3, 3},
      {"0.02 above the top face", {5, 2.5, 7.02}, -4, 0, 0},
      {"inside the solid, away from its faces", {5, 2.5, 3.5}, -4, 0, 0},
      {"far off the part", {100, -40, 3}, -4, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Found found = at(c.point);
    EXPECT_EQ(found.status, c.status);
    std::size_t surfaces = 0, edges = 0;
    for (const VynModelitem& item : found.items) {
      EXPECT_EQ(item.owner, part);
      // Surfaces come first.
      if (item.type == surface_type) {
        EXPECT_EQ(edges, 0u);
        ++surfaces;
      }
      if (item.type == edge_type) ++edges;
    }
    EXPECT_EQ(surfaces, c.surfaces);
    EXPECT_EQ(edges, c.edges);
  }
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::selection), 0u);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::array), 0u);
}

TEST_F(ModelGeometryTest, GeometryAtPointSurfaceSelectionsCarryTheParametersThere) {
  set(block());
  Found found = at({4, 3, 7});
  ASSERT_EQ(found.items.size(), 1u);
  // The top plane's own axes: its parameters map back onto the point.
  VynSurfacedata data = surface_data(found.items[0]);
  const VynPlaneShape& plane = data.shape.plane;
  for (int i = 0; i < 3; ++i)
    EXPECT_NEAR(plane.origin[i] + found.uvs[0][0] * plane.e1[i] + found.uvs[0][1] * plane.e2[i],
                (Vec3{4, 3, 7})[i], 1e-9);
}

TEST_F(ModelGeometryTest, GeometryAtPointRefusesBadInputsAndFindsNothingOnAnEmptyPart) {
  const double point[3] = {0, 0, 0};
  VynArray selections = nullptr;
  int count = 0;
  // A part without a solid has nothing anywhere.
  EXPECT_EQ(Behaviour<HostApi::VynGeometryAtPointFind>::run(1, part, point, &selections, &count),
            -4);
  set(block());
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "DRW", error);
  const double nan_point[3] = {NAN, 0, 0};
  EXPECT_EQ(Behaviour<HostApi::VynGeometryAtPointFind>::run(1, drawing, point, &selections, &count),
            -2);
  EXPECT_EQ(Behaviour<HostApi::VynGeometryAtPointFind>::run(1, part, nullptr, &selections, &count),
            -2);
  EXPECT_EQ(Behaviour<HostApi::VynGeometryAtPointFind>::run(1, part, point, nullptr, &count), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGeometryAtPointFind>::run(1, part, nan_point, &selections, &count),
            -2);
  // The count is optional.
  ASSERT_EQ(Behaviour<HostApi::VynGeometryAtPointFind>::run(1, part, point, &selections, nullptr), 0);
  EXPECT_EQ(yrlhost::host_array_size(selections), 6);  // three faces, three edges
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Behaviour<HostApi::VynSelectionFree>::run(
                  1, &reinterpret_cast<VynSelection*>(selections)[i]),
              0);
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &selections), 0);
}

// ---- Surfaces ------------------------------------------------------------------------

// Every face of the block is a plane whose e3 is exactly its outward normal, with
// right-handed axes, and evaluation there gives back the point and that normal.
TEST_F(ModelGeometryTest, PlaneFacesGiveTypeOutwardNormalAndEvaluation) {
  set(block());
  const std::vector<std::pair<Vec3, Vec3>> faces = {
      {{5, 2.5, 7}, {0, 0, 1}}, {{5, 2.5, 0}, {0, 0, -1}}, {{0, 2.5, 3}, {-1, 0, 0}},
      {{10, 2.5, 3}, {1, 0, 0}}, {{5, 0, 3}, {0, -1, 0}},  {{5, 5, 3}, {0, 1, 0}}};
  for (const auto& [point, normal] : faces) {
    SCOPED_TRACE(::testing::PrintToString(point));
    VynGeomitem item = face_at(point);
    VynSurfacedata data = surface_data(item);
    EXPECT_EQ(data.type, VYN_SRF_PLANE);
    EXPECT_EQ(data.id, item.id);
    EXPECT_EQ(data.orient, 1);
    const VynPlaneShape& plane = data.shape.plane;
    EXPECT_EQ(vec(plane.e3), normal);  // exact: the application compares with 0 and 1
    yrltest::expect_near3(cross(vec(plane.e1), vec(plane.e2)), normal, 1e-12, "e1 x e2");
    // The origin lies in the face's plane.
    EXPECT_NEAR((vec(plane.origin)[0] - point[0]) * normal[0] +
                    (vec(plane.origin)[1] - point[1]) * normal[1] +
                    (vec(plane.origin)[2] - point[2]) * normal[2],
                0, 1e-9);
    // The face's parameter ranges hold the point's parameters.
    double uv[2];
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceParamEval>::run(1, part, surface_of(item), point.data(),
                                                           uv),
              0);
    for (int k = 0; k < 2; ++k) {
      EXPECT_LE(data.uv_min[k] - 1e-9, uv[k]);
      EXPECT_GE(data.uv_max[k] + 1e-9, uv[k]);
    }
    Vec3 on{}, at_normal{};
    eval_at(item, point, on, at_normal);
    yrltest::expect_near3(on, point, 1e-9, "point");
    EXPECT_EQ(at_normal, normal);
    // The surface handle and its item go both ways.
    VynGeomitem back{};
    EXPECT_EQ(Behaviour<HostApi::VynSurfaceToGeomitem>::run(1, part, surface_of(item), &back), 0);
    EXPECT_EQ(back.id, item.id);
    EXPECT_EQ(back.type, surface_type);
    EXPECT_EQ(surface_of(item), surface_of(item));
  }
}

// A boss's cylinder faces away from its axis, a hole's towards it; both give type 36,
// their radius and axis, and evaluate onto the surface.
TEST_F(ModelGeometryTest, CylinderFacesOfABossAndOfAHole) {
  int boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
  int hole = yrlhost::host_feature_add(part, 916, "HOLE", {});
  geom::Frame top7 = geom::standard_frame(geom::StandardPlane::front, 7);
  geom::Shape solid = block();
  // A boss of radius 1.5 about (2.5, 2.5) on the top, a hole of radius 1 through at (7, 2.5).
  solid = extruded(top7, {circle(1, {2.5, 2.5}, 1.5)}, 3, boss, solid);
  solid = extruded(geom::standard_frame(geom::StandardPlane::front, -1), {circle(1, {7, 2.5}, 1)},
                   9, hole, solid, geom::Combine::remove);
  set(solid);
  struct Case {
    const char* what;
    Vec3 point;
    Vec3 center;  // the axis's point at the point's height
    double radius;
    double outward;  // +1: the normal points away from the axis
    int feature;
  };
  const Case cases[] = {
      {"boss", {4, 2.5, 8.5}, {2.5, 2.5, 8.5}, 1.5, 1, boss},
      {"hole", {7, 1.5, 3}, {7, 2.5, 3}, 1, -1, hole},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynGeomitem item = face_at(c.point);
    VynSurfacedata data = surface_data(item);
    EXPECT_EQ(data.type, VYN_SRF_CYLINDER);
    EXPECT_NEAR(data.shape.cylinder.radius, c.radius, 1e-9);
    Vec3 axis = vec(data.shape.cylinder.axes.e3);
    EXPECT_EQ(std::fabs(axis[2]), 1.0);
    EXPECT_NEAR(data.shape.cylinder.axes.origin[0], c.center[0], 1e-9);
    EXPECT_NEAR(data.shape.cylinder.axes.origin[1], c.center[1], 1e-9);
    Vec3 on{}, normal{};
    eval_at(item, c.point, on, normal);
    yrltest::expect_near3(on, c.point, 1e-9, "point");
    Vec3 radial{(c.point[0] - c.center[0]) / c.radius, (c.point[1] - c.center[1]) / c.radius, 0};
    yrltest::expect_near3(normal, {c.outward * radial[0], c.outward * radial[1], 0}, 1e-9,
                          "normal");
    EXPECT_EQ(feature_of(item), c.feature);
  }
}

// What a revolution makes: planes, cylinders, cones, spheres and tori, each with its type
// code and a normal out of the material.
TEST_F(ModelGeometryTest, RevolvedFacesHaveTheirTypeCodesAndOutwardNormals) {
  struct Case {
    const char* what;
    std::vector<geom::SectionEntity> section;  // on FRONT, turned about the y axis
    Vec3 point;                                // on the face looked at
    int type;
    Vec3 inside;  // a point of the material near it
  };
  const std::vector<Case> cases = {
      {"cylinder", rectangle(1, 0, 3, 4), {3, 2, 0}, VYN_SRF_CYLINDER, {2.9, 2, 0}},
      {"inner cylinder", rectangle(1, 0, 3, 4), {0, 2, 1}, VYN_SRF_CYLINDER, {0, 2, 1.1}},
      {"cone",
       {line(1, {0, 0}, {3, 0}), line(2, {3, 0}, {0, 4}), line(3, {0, 4}, {0, 0})},
       {1.5, 2, 0},
       VYN_SRF_CONE,
       {1.4, 2, 0}},
      {"sphere",
       {yrltest::arc(1, {0, 0}, 2, -pi / 2, pi / 2), line(2, {0, 2}, {0, -2})},
       {0, 0, 2},
       VYN_SRF_REVOLVE,
       {0, 0, 1.9}},
      {"torus", {circle(1, {5, 0}, 1)}, {6, 0, 0}, VYN_SRF_TORUS, {5.9, 0, 0}},
  };
  const geom::Frame front = geom::standard_frame(geom::StandardPlane::front, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    geom::Profile profile;
    ASSERT_EQ(geom::profile_make(front, c.section, yrltest::tol, profile, nullptr),
              geom::Status::ok);
    geom::Shape solid;
    ASSERT_EQ(geom::revolve(profile, {{0, 0, 0}, {0, 1, 0}}, 360, 0, extrude, solid),
              geom::Status::ok);
    set(solid);
    VynGeomitem item = face_at(c.point);
    VynSurfacedata data = surface_data(item);
    EXPECT_EQ(data.type, c.type);
    EXPECT_EQ(std::fabs(data.shape.plane.e3[1]), 1.0) << "the axis of revolution";
    if (c.type == VYN_SRF_REVOLVE) {
      // The sphere's meridian: a half circle of its radius about its centre.
      const VynArcCurve& arc = data.shape.srfrev.curve.arc;
      EXPECT_EQ(arc.type, VYN_CURVE_ARC);
      EXPECT_NEAR(arc.radius, 2, 1e-9);
      EXPECT_NEAR(arc.end_angle - arc.start_angle, pi, 1e-12);
    }
    if (c.type == VYN_SRF_TORUS) {
      EXPECT_NEAR(data.shape.torus.radius1, 5, 1e-9);
      EXPECT_NEAR(data.shape.torus.radius2, 1, 1e-9);
    }
    Vec3 on{}, normal{};
    eval_at(item, c.point, on, normal);
    yrltest::expect_near3(on, c.point, 1e-7, "point");
    Vec3 into{c.inside[0] - c.point[0], c.inside[1] - c.point[1], c.inside[2] - c.point[2]};
    EXPECT_LT(normal[0] * into[0] + normal[1] * into[1] + normal[2] * into[2], 0);
  }
}

// ---- Edges ---------------------------------------------------------------------------

TEST_F(ModelGeometryTest, EdgeNeighboursAreItsTwoFacesAndTheEdgesMeetingItsEnds) {
  set(block());
  Found found = at({5, 0, 7});  // the top face's front edge
  ASSERT_EQ(found.items.size(), 3u);
  VynGeomitem edge_item = found.items[2];
  ASSERT_EQ(edge_item.type, edge_type);
  VynEdge edge = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemToEdge>::run(1, &edge_item, &edge), 0);
  VynEdge edge1 = nullptr, edge2 = nullptr;
  VynSurface surface1 = nullptr, surface2 = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynEdgeNeighborsGet>::run(1, edge, &edge1, &edge2, &surface1,
                                                         &surface2),
            0);
  // The two surfaces are the top and the front, as items of the part.
  std::set<int> faces;
  for (VynSurface surface : {surface1, surface2}) {
    VynGeomitem item{};
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceToGeomitem>::run(1, part, surface, &item), 0);
    faces.insert(item.id);
  }
  EXPECT_EQ(faces, (std::set<int>{found.items[0].id, found.items[1].id}));
  std::set<Vec3> normals;
  for (const VynModelitem& item : {found.items[0], found.items[1]})
    normals.insert(vec(surface_data(item).shape.plane.e3));
  EXPECT_EQ(normals, (std::set<Vec3>{{0, 0, 1}, {0, -1, 0}}));

  // The edge's curve is the line along the top's front, and each neighbour edge is
  // another edge that meets one of its ends.
  VynGeomitemdata* data = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &edge_item, &data), 0);
  ASSERT_EQ(data->obj_type, VYN_GEOMITEMDATA_EDGE);
  const VynLineCurve segment = data->data.p_curve_data->line;
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &data), 0);
  ASSERT_EQ(segment.type, VYN_CURVE_LINE);
  EXPECT_EQ((std::set<Vec3>{vec(segment.end1), vec(segment.end2)}),
            (std::set<Vec3>{{0, 0, 7}, {10, 0, 7}}));
  for (VynEdge neighbour : {edge1, edge2}) {
    EXPECT_NE(neighbour, edge);
    auto ref = yrlhost::geomitem_of_edge(neighbour);
    ASSERT_TRUE(ref.has_value());
    VynCurvedata curve{};
    ASSERT_TRUE(yrlhost::geomitem_curve(*ref, curve));
    std::set<Vec3> ends{vec(curve.line.end1), vec(curve.line.end2)};
    EXPECT_TRUE(ends.count(vec(segment.end1)) + ends.count(vec(segment.end2)) == 1);
  }
}

TEST_F(ModelGeometryTest, ACircleEdgeOfACylinderIsAFullArcAndItsOwnNeighbourOnTheCap) {
  set(extruded(geom::standard_frame(geom::StandardPlane::top, 0), {circle(1, {0, 0}, 2)}, 4,
               extrude));
  Found found = at({2, 4, 0});  // on the top circle (the TOP sketch runs up y)
  ASSERT_EQ(found.status, 0);
  ASSERT_EQ(found.items.size(), 3u);
  VynGeomitem edge_item = found.items[2];
  VynGeomitemdata* data = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &edge_item, &data), 0);
  const VynArcCurve arc = data->data.p_curve_data->arc;
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &data), 0);
  EXPECT_EQ(arc.type, VYN_CURVE_ARC);
  EXPECT_NEAR(arc.radius, 2, 1e-9);
  EXPECT_NEAR(arc.end_angle - arc.start_angle, 2 * pi, 1e-12);
  yrltest::expect_near3(vec(arc.origin), {0, 4, 0}, 1e-9, "centre");

  VynEdge edge = nullptr, edge1 = nullptr, edge2 = nullptr;
  VynSurface surface1 = nullptr, surface2 = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemToEdge>::run(1, &edge_item, &edge), 0);
  ASSERT_EQ(Behaviour<HostApi::VynEdgeNeighborsGet>::run(1, edge, &edge1, &edge2, &surface1,
                                                         &surface2),
            0);
  EXPECT_NE(surface1, surface2);
  // No other edge meets the circle: on each face it is its own neighbour.
  EXPECT_EQ(edge1, edge);
  EXPECT_EQ(edge2, edge);
  std::multiset<int> types;
  for (VynSurface surface : {surface1, surface2}) {
    VynGeomitemdata* surface_data = nullptr;
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceDataGet>::run(1, surface, &surface_data), 0);
    types.insert(surface_data->data.p_surface_data->type);
    EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &surface_data), 0);
  }
  EXPECT_EQ(types, (std::multiset<int>{VYN_SRF_PLANE, VYN_SRF_CYLINDER}));
}

TEST_F(ModelGeometryTest, EdgeAndSurfaceCallsRefuseItemsOfTheWrongKind) {
  set(block());
  Found found = at({5, 0, 7});
  ASSERT_EQ(found.items.size(), 3u);
  VynGeomitem surface_item = found.items[0], edge_item = found.items[2];
  VynEdge edge = nullptr;
  VynSurface surface = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemToEdge>::run(1, &surface_item, &edge), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemToSurface>::run(1, &edge_item, &surface), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemToEdge>::run(1, &edge_item, nullptr), -2);
  VynGeomitem unknown{edge_type, 9999, part};
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemToEdge>::run(1, &unknown, &edge), -2);
  VynEdge e1, e2;
  VynSurface s1, s2;
  EXPECT_EQ(Behaviour<HostApi::VynEdgeNeighborsGet>::run(1, reinterpret_cast<VynEdge>(0x40), &e1,
                                                         &e2, &s1, &s2),
            -2);
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemToEdge>::run(1, &edge_item, &edge), 0);
  EXPECT_EQ(Behaviour<HostApi::VynEdgeNeighborsGet>::run(1, edge, &e1, nullptr, &s1, &s2), -2);
  // A surface of one part is not another's.
  std::string error;
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_part, "OTHER", error);
  VynGeomitem back{};
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceToGeomitem>::run(1, other, surface_of(surface_item), &back),
            -2);
  double uv[2];
  const double point[3] = {0, 0, 7};
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceParamEval>::run(1, other, surface_of(surface_item), point,
                                                         uv),
            -2);
}

// ---- Ids across regenerations --------------------------------------------------------

TEST_F(ModelGeometryTest, ItemIdsStayWithTheirFaceOriginsAcrossRegenerations) {
  set(block());
  VynGeomitem top = face_at({5, 2.5, 7});
  Found edge_found = at({5, 0, 7});
  ASSERT_EQ(edge_found.items.size(), 3u);
  VynGeomitem front_edge = edge_found.items[2];
  VynSurface top_handle = surface_of(top);
  std::set<int> ids;
  for (int type : {surface_type, edge_type})
    for (const VynModelitem& item : visit(extrude, type)) ids.insert(item.id);
  EXPECT_EQ(ids.size(), 18u);
  EXPECT_EQ(ids.count(extrude), 0u) << "item ids are the part's, apart from its features'";

  // The same feature regenerated deeper: the same faces and edges keep their ids.
  set(block(9));
  VynGeomitem top9 = face_at({5, 2.5, 9});
  EXPECT_EQ(top9.id, top.id);
  Found edge9 = at({5, 0, 9});
  ASSERT_EQ(edge9.items.size(), 3u);
  EXPECT_EQ(edge9.items[2].id, front_edge.id);
  EXPECT_EQ(surface_of(top9), top_handle) << "and so do their handles";
  Vec3 on{}, normal{};
  eval_at(top9, {1, 1, 9}, on, normal);
  yrltest::expect_near3(on, {1, 1, 9}, 1e-12, "point");

  // A cut adds faces with new ids and leaves the block's faces theirs.
  int cut = yrlhost::host_feature_add(part, 916, "CUT", {});
  set(extruded(geom::standard_frame(geom::StandardPlane::front, 7), rectangle(2, 1, 4, 3), 2, cut,
               block(9), geom::Combine::remove));
  EXPECT_EQ(face_at({8, 2.5, 9}).id, top.id);
  VynGeomitem floor = face_at({3, 2, 7});
  EXPECT_EQ(ids.count(floor.id), 0u);
  EXPECT_EQ(feature_of(floor), cut);
  EXPECT_EQ(visit(cut, surface_type).size(), 5u);   // the pocket's floor and four walls
  // The pocket's edges: the floor's, the corners' and where its walls meet the top.
  EXPECT_EQ(visit(cut, edge_type).size(), 12u);
  EXPECT_EQ(visit(extrude, edge_type).size(), 12u);

  // Without a solid, the items and handles are stale.
  set({});
  VynSurface surface = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemToSurface>::run(1, &top, &surface), -2);
  VynGeomitemdata* data = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceDataGet>::run(1, top_handle, &data), -2);
  double uv[2] = {0, 0};
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceXyzdataEval>::run(1, top_handle, uv, on.data(), nullptr,
                                                           nullptr, nullptr),
            -2);
  EXPECT_EQ(feature_of(top), -2);
  EXPECT_TRUE(visit(extrude, surface_type).empty());
}

// A copy of the part has its solid and datum items under the same ids, with handles of
// its own; the part's items stay the part's.
TEST_F(ModelGeometryTest, ACopyOfThePartKeepsItsGeometryItems) {
  int datum = yrlhost::host_feature_add(part, 923, "DTM1", {});
  yrlhost::StoredDatum plane;
  plane.feature_id = datum;
  plane.plane = {{0, 0, 10}, {0, 0, 1}};
  std::vector<int> ids;
  set(block(), {plane}, &ids);
  // Copied before anything asked for the part's faces.
  VynMdl copy = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynMdlCopy>::run(1, part, u"BLOCK_COPY", &copy), 0);
  VynGeomitem top = face_at({5, 2.5, 7});
  VynMdl original = part;
  part = copy;
  VynGeomitem copied_top = face_at({5, 2.5, 7});
  // Ids the copy takes next are none of its items'.
  std::set<int> taken;
  for (int type : {surface_type, edge_type})
    for (const VynModelitem& item : visit(extrude, type)) taken.insert(item.id);
  EXPECT_EQ(taken.count(yrlhost::host_feature_add(copy, 917, "NEXT", {})), 0u);
  EXPECT_EQ(copied_top.id, top.id);
  EXPECT_EQ(copied_top.owner, copy);
  EXPECT_NE(surface_of(copied_top), surface_of(VynGeomitem{surface_type, top.id, original}));
  ASSERT_EQ(visit(datum, surface_type).size(), 1u);
  EXPECT_EQ(visit(datum, surface_type)[0].id, ids[0]);
  // The copy's handle is not the original's surface.
  VynGeomitem back{};
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceToGeomitem>::run(1, original, surface_of(copied_top), &back),
            -2);
}

// ---- Features, visits and datum items ------------------------------------------------

TEST_F(ModelGeometryTest, ItemsBelongToTheFeatureThatMadeThem) {
  int boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
  set(extruded(geom::standard_frame(geom::StandardPlane::front, 7), rectangle(2, 1, 4, 3), 2, boss,
               block()));
  EXPECT_EQ(visit(extrude, surface_type).size(), 6u);
  EXPECT_EQ(visit(boss, surface_type).size(), 5u);
  // Edges go to the later feature of their two faces: the boss's meets with the block's
  // top are the boss's.
  EXPECT_EQ(visit(extrude, edge_type).size(), 12u);
  EXPECT_EQ(visit(boss, edge_type).size(), 12u);
  Found meet = at({3, 1, 7});
  ASSERT_EQ(meet.items.size(), 3u);
  EXPECT_EQ(feature_of(meet.items[2]), boss);
  EXPECT_EQ(feature_of(meet.items[0]) + feature_of(meet.items[1]), extrude + boss);
  // The user may pick them while their feature shows.
  EXPECT_TRUE(yrlhost::drawing_item_pickable(part, edge_type, meet.items[2].id));
  EXPECT_TRUE(yrlhost::drawing_item_pickable(part, surface_type, meet.items[0].id));
  ASSERT_TRUE(yrlhost::host_feature_state_set(part, boss, 0, false));
  EXPECT_EQ(yrlhost::drawing_item_state(part, edge_type, meet.items[2].id),
            yrlhost::ItemShown::hidden);
  ASSERT_TRUE(yrlhost::host_feature_state_set(part, boss, 0, true));
  EXPECT_EQ(yrlhost::drawing_item_state(part, edge_type, 9999), yrlhost::ItemShown::absent);
  // Types without items here visit nothing.
  for (int type : {yrlhost::item_type_axis, yrlhost::item_type_point, yrlhost::item_type_curve, 999})
    EXPECT_TRUE(visit(boss, type).empty()) << type;

  // A face whose feature the part no longer has belongs to none.
  VynGeomitem top = face_at({3, 2, 9});
  ASSERT_TRUE(yrlhost::host_feature_remove(part, boss));
  EXPECT_EQ(feature_of(top), -4);
  VynGeomitem null_item{};
  VynFeature feature{};
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemFeatureGet>::run(1, &null_item, &feature), -2);
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemFeatureGet>::run(1, nullptr, &feature), -2);
}

// Datum planes are surface items of their features, read the way the application finds a
// datum plane at a point: its plane data, the point's parameters and the normal there.
TEST_F(ModelGeometryTest, DatumItemsAreItemsOfTheirDatumFeatures) {
  int offset = yrlhost::host_feature_add(part, 923, "DTM1", {});
  int flipped = yrlhost::host_feature_add(part, 923, "DTM2", {});
  int slanted = yrlhost::host_feature_add(part, 923, "DTM3", {});
  int axis = yrlhost::host_feature_add(part, 926, "A_1", {});
  int point = yrlhost::host_feature_add(part, 931, "PNT0", {});
  int curve = yrlhost::host_feature_add(part, 949, "CURVE1", {});
  auto datum = [](int feature, yrlhost::DatumKind kind) {
    yrlhost::StoredDatum d;
    d.feature_id = feature;
    d.kind = kind;
    return d;
  };
  std::vector<yrlhost::StoredDatum> datums;
  datums.push_back(datum(offset, yrlhost::DatumKind::plane));
  datums.back().plane = {{0, 0, 10}, {0, 0, 1}};
  datums.push_back(datum(flipped, yrlhost::DatumKind::plane));
  datums.back().plane = {{0, 0, -10}, {0, 0, -1}};
  datums.push_back(datum(slanted, yrlhost::DatumKind::plane));
  datums.back().plane = {{1, 2, 3}, {0.6, 0, 0.8}};
  datums.push_back(datum(axis, yrlhost::DatumKind::axis));
  datums.back().axis = {{1, 2, 3}, {0, 0, -1}};
  datums.push_back(datum(point, yrlhost::DatumKind::point));
  datums.push_back(datum(curve, yrlhost::DatumKind::curve));
  datums.back().curve_frame = geom::standard_frame(geom::StandardPlane::top, 2);
  datums.back().curve = {line(1, {1, 1}, {4, 1})};
  std::vector<int> ids;
  set(block(), datums, &ids);
  ASSERT_EQ(ids.size(), 6u);

  struct PlaneCase {
    int feature;
    Vec3 point;  // a point of the plane
    Vec3 normal;
  };
  const PlaneCase planes[] = {{offset, {3, 4, 10}, {0, 0, 1}},
                              {flipped, {-3, 4, -10}, {0, 0, -1}},
                              {slanted, {1 + 0.8, 7, 3 - 0.6}, {0.6, 0, 0.8}}};
  for (const PlaneCase& c : planes) {
    SCOPED_TRACE(c.feature);
    std::vector<VynModelitem> items = visit(c.feature, surface_type);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(feature_of(items[0]), c.feature);
    VynSurfacedata data = surface_data(items[0]);
    EXPECT_EQ(data.type, VYN_SRF_PLANE);
    yrltest::expect_near3(vec(data.shape.plane.e3), c.normal, 1e-15);
    if (c.feature != slanted) {
      EXPECT_EQ(vec(data.shape.plane.e3), c.normal);
    }
    yrltest::expect_near3(cross(vec(data.shape.plane.e1), vec(data.shape.plane.e2)), c.normal,
                          1e-12);
    Vec3 on{}, normal{};
    eval_at(items[0], c.point, on, normal);
    yrltest::expect_near3(on, c.point, 1e-12, "point");
    yrltest::expect_near3(normal, c.normal, 1e-15, "normal");
    auto plane = yrlhost::host_surface_plane(items[0]);
    ASSERT_TRUE(plane.has_value());
    yrltest::expect_near3({plane->e3[0], plane->e3[1], plane->e3[2]}, c.normal, 1e-15);
  }
  // The other datum items, one per feature, under their item types.
  const std::pair<int, int> others[] = {{axis, yrlhost::item_type_axis},
                                        {point, yrlhost::item_type_point},
                                        {curve, yrlhost::item_type_curve}};
  for (auto [feature, type] : others) {
    std::vector<VynModelitem> items = visit(feature, type);
    ASSERT_EQ(items.size(), 1u) << type;
    EXPECT_EQ(feature_of(items[0]), feature);
    EXPECT_TRUE(visit(feature, surface_type).empty());
  }
  // A datum curve's data is its curve in the model; an axis's a line from its origin one
  // unit along its direction.
  VynGeomitem curve_item{yrlhost::item_type_curve, ids[5], part};
  VynGeomitemdata* data = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &curve_item, &data), 0);
  EXPECT_EQ(data->obj_type, VYN_GEOMITEMDATA_CURVE);
  EXPECT_EQ(vec(data->data.p_curve_data->line.end1), (Vec3{1, 2, -1}));
  EXPECT_EQ(vec(data->data.p_curve_data->line.end2), (Vec3{4, 2, -1}));
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &data), 0);
  VynGeomitem axis_item{yrlhost::item_type_axis, ids[3], part};
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &axis_item, &data), 0);
  EXPECT_EQ(data->obj_type, yrlhost::item_type_axis);
  EXPECT_EQ(vec(data->data.p_curve_data->line.end1), (Vec3{1, 2, 3}));
  EXPECT_EQ(vec(data->data.p_curve_data->line.end2), (Vec3{1, 2, 2}));
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &data), 0);
  // Datum items are not the solid's: nothing is found on a datum plane away from the part.
  EXPECT_EQ(at({3, 4, 10}).status, -4);
  EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::geomitemdata), 0u);
}

// A planar face or a datum plane seen edge-on from a sketch projects into its section as
// the line where the two planes meet; a cylinder does not project.
TEST_F(ModelGeometryTest, PlanarFacesAndDatumPlanesProjectIntoASection) {
  int datum = yrlhost::host_feature_add(part, 923, "DTM1", {});
  yrlhost::StoredDatum plane;
  plane.feature_id = datum;
  plane.plane = {{6, 0, 0}, {1, 0, 0}};
  int boss = yrlhost::host_feature_add(part, 917, "BOSS", {});
  std::vector<int> ids;
  set(extruded(geom::standard_frame(geom::StandardPlane::front, 7), {circle(1, {2, 2}, 1)}, 1,
               boss, block()),
      {plane}, &ids);
  // A sketch on TOP: x = 10 (the block's right face) and x = 6 (the datum) are u = 10, 6.
  VynSection section = yrlhost::section_new(geom::standard_frame(geom::StandardPlane::top, 0));
  struct Case {
    const char* what;
    VynModelitem item;
    VynError status;
    double u;
  };
  const Case cases[] = {
      {"right face", face_at({10, 2, 3}), 0, 10},
      {"datum plane", {surface_type, ids[0], part}, 0, 6},
      {"back face (y = 5), parallel", face_at({5, 5, 3}), -1, 0},
      {"boss cylinder", face_at({3, 2, 7.5}), -2, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynSelection pick = yrlhost::selection_make(c.item, 0, nullptr);
    int id = 0;
    ASSERT_EQ(Behaviour<HostApi::VynSectionEntityFromProjection>::run(1, section, pick, &id),
              c.status);
    if (c.status == 0) {
      Vyn2dEntity* record = nullptr;
      ASSERT_EQ(Behaviour<HostApi::VynSectionEntityGet>::run(1, section, id, &record), 0);
      EXPECT_NEAR(record->start[0], c.u, 1e-9);
      EXPECT_NEAR(record->end[0], c.u, 1e-9);
    }
    yrlhost::selection_release(pick);
  }
  yrlhost::section_release(section);
}

}  // namespace
