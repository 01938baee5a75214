// The items of a part's solid as handles, on parts built from features: surfaces and
// their contours and edges, datum axes, datum curves and their components, and the
// queries the toolkit's collection utilities make of them.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "host/store/model_geometry.h"
#include "tests/host/feature_test.h"

namespace yrltest {
namespace {

#define YRL_SOLID_FUNCTIONS(X)                  \
  X(surface_visit, VynSolidSurfaceVisit)        \
  X(axis_visit, VynSolidAxisVisit)              \
  X(quilt_visit, VynSolidQuiltVisit)            \
  X(csys_visit, VynSolidCsysVisit)              \
  X(quilt_item, VynQuiltToGeomitem)             \
  X(csys_item, VynCsysToGeomitem)               \
  X(axis_data, VynAxisDataGet)                  \
  X(axis_item, VynAxisToGeomitem)               \
  X(surface_id, VynSurfaceIdGet)                \
  X(surface_type, VynSurfaceTypeGet)            \
  X(contour_visit, VynSurfaceContourVisit)      \
  X(contour_traversal, VynContourTraversalGet)  \
  X(contour_edges, VynContourEdgeVisit)         \
  X(edge_id, VynEdgeIdGet)                      \
  X(edge_type, VynEdgeTypeGet)                  \
  X(edge_length, VynEdgeLengthEval)             \
  X(to_curve, VynGeomitemToCurve)               \
  X(comp_visit, VynCurveCompVisit)              \
  X(inactive, VynGeomitemIsInactive)            \
  X(is_ncseq, VynFeatureIsNcseq)                \
  X(to_surface, VynGeomitemToSurface)           \
  X(data_free, VynGeomitemdataFree)             \
  X(name_get, VynModelitemNameGet)

VynError collect_handle(void* handle, VynError, void* data) {
  static_cast<std::vector<void*>*>(data)->push_back(handle);
  return 0;
}

VynError collect_item(VynGeomitem* item, VynError, void* data) {
  static_cast<std::vector<VynModelitem>*>(data)->push_back(*item);
  return 0;
}

struct Component {
  VynCurve handle;
  int index;
  int flip;
};

VynError collect_component(VynCurve, VynCurve component, int index, int flip, void* data) {
  static_cast<std::vector<Component>*>(data)->push_back({component, index, flip});
  return 0;
}

// A filter that skips the first handle offered (-7) and passes 5 on for the others.
struct Filtered {
  int offered = 0;
  std::vector<VynError> statuses;
};
VynError skip_first(void*, void* data) {
  return static_cast<Filtered*>(data)->offered++ == 0 ? VYN_TK_CONTINUE : 5;
}
VynError keep_status(void*, VynError status, void* data) {
  static_cast<Filtered*>(data)->statuses.push_back(status);
  return 0;
}

class SolidItems : public FeatureTest {
 protected:
  void SetUp() override {
    FeatureTest::SetUp();
#define YRL_SOLID_BIND(member, row) member = yrlhost::host_function<yrlhost::HostApi::row>(table);
    YRL_SOLID_FUNCTIONS(YRL_SOLID_BIND)
#undef YRL_SOLID_BIND
  }

  template <class Visit, class Owner>
  std::vector<void*> handles(Visit visit, Owner owner, VynError expected = 0) {
    std::vector<void*> got;
    EXPECT_EQ(visit(1, owner, collect_handle, nullptr, &got), expected);
    return got;
  }

  // The surface handle of the face of the part's solid at a point inside it.
  VynSurface face_at(const yrlhost::geom::Vec3& point) {
    for (const VynModelitem& item : yrlhost::part_geomitems_at(stored(), point, 1e-6))
      if (item.type == 5) {
        VynSurface surface = nullptr;
        VynModelitem copy = item;
        EXPECT_EQ(to_surface(1, &copy, &surface), ok);
        return surface;
      }
    ADD_FAILURE() << "no face at the point";
    return nullptr;
  }

  std::string name_of(VynModelitem item) {
    VynName name{};
    if (name_get(1, &item, name) != ok) return "<none>";
    std::string narrow;
    for (const char16_t* c = name; *c; ++c) narrow += static_cast<char>(*c);
    return narrow;
  }

  // A datum axis normal to TOP, 1 from FRONT and 2 from RIGHT: along y through x 2, z 1.
  VynFeature y_axis() {
    return made(N(386, {I(387, 926), N(2015, {N(2016, {I(2017, 0), S(413, TOP)})}),
                        N(2019, {N(2020, {S(2021, FRONT), D(2022, 1)}),
                                 N(2020, {S(2021, RIGHT), D(2022, 2)})})}));
  }

#define YRL_SOLID_MEMBER(member, row) \
  decltype(yrlhost::host_function<yrlhost::HostApi::row>({})) member = nullptr;
  YRL_SOLID_FUNCTIONS(YRL_SOLID_MEMBER)
#undef YRL_SOLID_MEMBER
};

// The block 0..10 with a hole of diameter 2 through it along y at x 5, z 5: seven faces,
// the bore a cylinder; the top face has its square outline and the hole's circle.
TEST_F(SolidItems, SurfacesContoursAndEdgesOfABlockWithAHole) {
  VynFeature box = block();
  VynFeature top10 = made(datum_plane(TOP, 10));
  VynFeature bore = made(hole(top10, 2, hole_through(), 5, 5));

  std::vector<void*> surfaces = handles(surface_visit, part);
  ASSERT_EQ(surfaces.size(), 7u);
  std::vector<int> ids, expected;
  int planes = 0, cylinders = 0;
  for (void* handle : surfaces) {
    int id = 0, type = 0;
    ASSERT_EQ(surface_id(1, static_cast<VynSurface>(handle), &id), ok);
    ASSERT_EQ(surface_type(1, static_cast<VynSurface>(handle), &type), ok);
    ids.push_back(id);
    planes += type == VYN_SRF_PLANE;
    cylinders += type == VYN_SRF_CYLINDER;
  }
  EXPECT_EQ(planes, 6);
  EXPECT_EQ(cylinders, 1);
  // The faces are those the block and the hole made, and no datum plane is one.
  for (const VynFeature& feature : {box, bore})
    for (const VynModelitem& item : yrlhost::feature_geomitems(stored(), feature.id, 5))
      expected.push_back(item.id);
  std::sort(ids.begin(), ids.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(ids, expected);

  // The top face: the outer loop of four edges of 10, then the hole's circle (2 pi).
  VynSurface top = face_at({2, 10, 2});
  std::vector<void*> contours = handles(contour_visit, top);
  ASSERT_EQ(contours.size(), 2u);
  struct Loop {
    int traversal;
    std::vector<int> types;
    std::vector<double> lengths;
  };
  auto loop_of = [&](VynSurface surface, void* contour) {
    Loop loop{};
    EXPECT_EQ(contour_traversal(1, static_cast<VynContour>(contour), &loop.traversal), ok);
    std::vector<void*> edges;
    EXPECT_EQ(contour_edges(1, surface, static_cast<VynContour>(contour), collect_handle, nullptr,
                            &edges),
              ok);
    for (void* edge : edges) {
      int type = 0;
      double length = 0;
      EXPECT_EQ(edge_type(1, static_cast<VynEdge>(edge), &type), ok);
      EXPECT_EQ(edge_length(1, static_cast<VynEdge>(edge), &length), ok);
      loop.types.push_back(type);
      loop.lengths.push_back(std::round(length * 1e6) / 1e6);
    }
    return loop;
  };
  Loop outer = loop_of(top, contours[0]);
  Loop inner = loop_of(top, contours[1]);
  double circle = std::round(2 * pi_value * 1e6) / 1e6;
  EXPECT_EQ(outer.traversal, 1);
  EXPECT_EQ(outer.types, (std::vector<int>{2, 2, 2, 2}));
  EXPECT_EQ(outer.lengths, (std::vector<double>{10, 10, 10, 10}));
  EXPECT_EQ(inner.traversal, -1);
  EXPECT_EQ(inner.types, std::vector<int>{3});
  EXPECT_EQ(inner.lengths, std::vector<double>{circle});

  // The bore: one loop of its two circles; its seam is no edge.
  VynSurface cylinder = face_at({4, 5, 5});
  std::vector<void*> bore_loops = handles(contour_visit, cylinder);
  ASSERT_EQ(bore_loops.size(), 1u);
  Loop bore_loop = loop_of(cylinder, bore_loops[0]);
  EXPECT_EQ(bore_loop.traversal, 1);
  EXPECT_EQ(bore_loop.lengths, (std::vector<double>{circle, circle}));

  // A contour asked of another surface's edges is refused.
  std::vector<void*> none;
  EXPECT_EQ(contour_edges(1, cylinder, static_cast<VynContour>(contours[0]), collect_handle,
                          nullptr, &none),
            VYN_TK_BAD_INPUTS);
  EXPECT_TRUE(none.empty());
  // A datum plane has no bounds: no contours.
  VynSurface front = nullptr;
  VynModelitem front_plane = yrlhost::feature_geomitems(stored(), FRONT.id, 5).at(0);
  ASSERT_EQ(to_surface(1, &front_plane, &front), ok);
  EXPECT_TRUE(handles(contour_visit, front).empty());
  int type = 0;
  EXPECT_EQ(surface_type(1, front, &type), ok);
  EXPECT_EQ(type, VYN_SRF_PLANE);
}

// Every edge of the block is a line of 10 whose id is its item's.
TEST_F(SolidItems, EdgeIdsTypesAndLengths) {
  VynFeature box = block();
  std::vector<VynModelitem> edges = yrlhost::feature_geomitems(stored(), box.id, 6);
  ASSERT_EQ(edges.size(), 12u);
  for (VynModelitem item : edges) {
    std::optional<yrlhost::GeomitemRef> ref = yrlhost::geomitem_find(&item);
    ASSERT_TRUE(ref);
    VynEdge edge = yrlhost::geomitem_edge_handle(*ref);
    int id = 0, type = 0;
    double length = 0;
    EXPECT_EQ(edge_id(1, edge, &id), ok);
    EXPECT_EQ(edge_type(1, edge, &type), ok);
    EXPECT_EQ(edge_length(1, edge, &length), ok);
    EXPECT_EQ(id, item.id);
    EXPECT_EQ(type, VYN_CURVE_LINE);
    EXPECT_NEAR(length, 10, 1e-9);
  }
  // Handles the host never gave, and null outputs.
  int id = 0;
  double length = 0;
  EXPECT_EQ(edge_id(1, reinterpret_cast<VynEdge>(0x1234), &id), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(edge_length(1, nullptr, &length), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(surface_type(1, reinterpret_cast<VynSurface>(0x1234), &id), VYN_TK_BAD_INPUTS);
}

TEST_F(SolidItems, DatumAxesTheirLinesItemsAndNames) {
  block();
  // A part without axes: an empty, complete visit.
  EXPECT_TRUE(handles(axis_visit, part).empty());
  VynFeature axis = y_axis();
  VynName name{u'A', u'_', u'1', 0};
  ASSERT_EQ(name_set(1, &axis, name), ok);
  std::vector<void*> axes = handles(axis_visit, part);
  ASSERT_EQ(axes.size(), 1u);
  VynAxis handle = static_cast<VynAxis>(axes[0]);

  VynGeomitemdata* data = nullptr;
  ASSERT_EQ(axis_data(1, handle, &data), ok);
  EXPECT_EQ(data->obj_type, 21);
  const VynLineCurve& line = data->data.p_curve_data->line;
  EXPECT_EQ(line.type, VYN_CURVE_LINE);
  EXPECT_NEAR(line.end1[0], 2, 1e-12);
  EXPECT_NEAR(line.end1[2], 1, 1e-12);
  EXPECT_NEAR(line.end2[0] - line.end1[0], 0, 1e-12);
  EXPECT_NEAR(line.end2[1] - line.end1[1], 1, 1e-12);
  EXPECT_NEAR(line.end2[2] - line.end1[2], 0, 1e-12);
  EXPECT_EQ(data_free(1, &data), ok);

  VynGeomitem item{};
  ASSERT_EQ(axis_item(1, part, handle, &item), ok);
  EXPECT_EQ(item.type, 21);
  EXPECT_EQ(item.id, datum_of(axis)->id);
  EXPECT_EQ(name_of(item), "A_1");
  // The same axis gives the same handle; another owner is refused.
  EXPECT_EQ(handles(axis_visit, part), axes);
  std::string error;
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_part, "OTHER", error);
  EXPECT_EQ(axis_item(1, other, handle, &item), VYN_TK_BAD_INPUTS);

  // Once its feature is gone the handle is stale.
  int ids[] = {axis.id};
  ASSERT_EQ(feature_delete(1, part, ids, 1, nullptr, 0), ok);
  EXPECT_TRUE(handles(axis_visit, part).empty());
  EXPECT_EQ(axis_data(1, handle, &data), VYN_TK_BAD_INPUTS);
}

// A filter's -7 skips a handle; an action's nonzero status ends the visit as its answer.
TEST_F(SolidItems, VisitsHonourFilterAndAction) {
  block();
  Filtered filtered;
  std::vector<void*> got;
  EXPECT_EQ(surface_visit(1, part, keep_status, skip_first, &filtered), ok);
  EXPECT_EQ(filtered.offered, 6);
  EXPECT_EQ(filtered.statuses, std::vector<VynError>(5, 5));
  auto stop = [](void*, VynError, void*) -> VynError { return VYN_TK_USER_ABORT; };
  EXPECT_EQ(surface_visit(1, part, stop, nullptr, nullptr), VYN_TK_USER_ABORT);
  EXPECT_EQ(surface_visit(1, nullptr, collect_handle, nullptr, &got), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(surface_visit(1, part, nullptr, nullptr, &got), VYN_TK_BAD_INPUTS);
  EXPECT_TRUE(got.empty());
}

// Components of datum curves sketched on FRONT: index in section order, flipped where an
// entity runs against the chain.
TEST_F(SolidItems, CurveComponentsAndTheirDirections) {
  struct Case {
    std::string name;
    std::vector<Vyn2dEntity> entities;
    std::vector<int> flips;
  };
  const std::vector<Case> cases = {
      {"one line", {line2d(0, 0, 5, 5)}, {0}},
      {"a chain", {line2d(0, 0, 10, 0), line2d(10, 0, 10, 5), line2d(10, 5, 0, 5)}, {0, 0, 0}},
      {"the second reversed", {line2d(0, 0, 10, 0), line2d(10, 5, 10, 0), line2d(10, 5, 0, 5)}, {0, 1, 0}},
      {"the first reversed", {line2d(0, 0, 10, 0), line2d(0, 0, 0, 5)}, {1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VynFeature feature = made_sketched(N(386, {I(387, 949), I(511, 0), sketch_setup(FRONT, RIGHT)}), c.entities);
    std::vector<VynModelitem> items = yrlhost::feature_geomitems(stored(), feature.id, 62);
    ASSERT_EQ(items.size(), 1u);
    VynCurve curve = nullptr;
    ASSERT_EQ(to_curve(1, &items[0], &curve), ok);
    std::vector<Component> components;
    ASSERT_EQ(comp_visit(1, curve, collect_component, nullptr, &components), ok);
    ASSERT_EQ(components.size(), c.entities.size());
    std::vector<int> flips;
    for (std::size_t i = 0; i < components.size(); ++i) {
      EXPECT_EQ(components[i].index, static_cast<int>(i));
      EXPECT_NE(components[i].handle, curve);
      flips.push_back(components[i].flip);
    }
    EXPECT_EQ(flips, c.flips);
    // A component is no curve of components.
    std::vector<Component> none;
    EXPECT_EQ(comp_visit(1, components[0].handle, collect_component, nullptr, &none), VYN_TK_BAD_INPUTS);
  }
  // Only a curve item gives a curve.
  VynCurve curve = nullptr;
  VynModelitem front_plane = yrlhost::feature_geomitems(stored(), FRONT.id, 5).at(0);
  EXPECT_EQ(to_curve(1, &front_plane, &curve), VYN_TK_BAD_INPUTS);
}

// Item type -1 asks for all of a feature's items: surfaces, then edges, then datum items.
TEST_F(SolidItems, AFeaturesItemsOfEveryType) {
  VynFeature box = block();
  std::vector<VynModelitem> items;
  ASSERT_EQ(feature_items_visit(1, &box, -1, collect_item, nullptr, &items), ok);
  ASSERT_EQ(items.size(), 18u);
  EXPECT_TRUE(std::all_of(items.begin(), items.begin() + 6, [](const VynModelitem& i) { return i.type == 5; }));
  EXPECT_TRUE(std::all_of(items.begin() + 6, items.end(), [](const VynModelitem& i) { return i.type == 6; }));
  VynFeature points = made_sketched(N(386, {I(387, 931), I(3179, 22), sketch_setup(TOP, RIGHT)}),
                                    {point2d(3, 4), point2d(-1, 2)});
  items.clear();
  ASSERT_EQ(feature_items_visit(1, &points, -1, collect_item, nullptr, &items), ok);
  ASSERT_EQ(items.size(), 2u);
  // Datum points carry their feature's name; faces have none; a template's datum plane has
  // its feature's.
  VynName name{u'P', u'N', u'T', u'0', 0};
  ASSERT_EQ(name_set(1, &points, name), ok);
  EXPECT_EQ(items[0].type, 66);
  EXPECT_EQ(name_of(items[1]), "PNT0");
  EXPECT_EQ(name_of(yrlhost::feature_geomitems(stored(), box.id, 5).at(0)), "<none>");
  EXPECT_EQ(name_of(yrlhost::feature_geomitems(stored(), TOP.id, 5).at(0)), "TOP");
}

// What the host does not model answers as such; what it does is active and no sequence.
TEST_F(SolidItems, QuiltsCsysActivityAndSequences) {
  VynFeature box = block();
  EXPECT_TRUE(handles(quilt_visit, part).empty());
  EXPECT_TRUE(handles(csys_visit, part, VYN_TK_E_NOT_FOUND).empty());
  VynGeomitem item{};
  EXPECT_EQ(quilt_item(1, reinterpret_cast<VynWord>(part), 0x10, reinterpret_cast<VynWord>(&item)),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(csys_item(1, part, reinterpret_cast<VynCsys>(0x10), &item), VYN_TK_BAD_INPUTS);

  VynModelitem face = yrlhost::feature_geomitems(stored(), box.id, 5).at(0);
  int flag = -1;
  EXPECT_EQ(inactive(1, &face, &flag), ok);
  EXPECT_EQ(flag, 0);
  VynModelitem dead{5, 99999, part};
  EXPECT_EQ(inactive(1, &dead, &flag), VYN_TK_BAD_INPUTS);
  flag = -1;
  EXPECT_EQ(is_ncseq(1, &box, &flag), ok);
  EXPECT_EQ(flag, 0);
  VynFeature unknown{3, 99999, part};
  EXPECT_EQ(is_ncseq(1, &unknown, &flag), VYN_TK_BAD_INPUTS);
}

}  // namespace
}  // namespace yrltest
