// The application's datum plane searches on a part whose datum planes and solid are real
// geometry items: datum items of datum features beside the template's planes, and a solid
// whose faces are no datum planes.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/util/apputil.h"
#include "host/geometry/geometry.h"
#include "host/util/host_testing.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

namespace geom = yrlhost::geom;

class DatumsOnASolid : public yrltest::UtilTest {};

TEST_F(DatumsOnASolid, DatumPlanesOfDatumFeaturesAreFoundByNameAndAtAPoint) {
  VynMdl part = template_part("PRT0001");
  int block = yrlhost::host_feature_add(part, 917, "EXTRUDE", {});
  int offset = yrlhost::host_feature_add(part, 923, "DTM_OFFSET", {});
  // The plane facing back comes first, so that a search at its place must pass it by.
  int facing_back = yrlhost::host_feature_add(part, 923, "DTM_BACK", {});
  int below = yrlhost::host_feature_add(part, 923, "DTM_BELOW", {});
  ASSERT_GT(block, 0);
  // A block [0, 10] x [0, 5] x [0, 7] and datum planes 10 in front of FRONT, 10 behind it
  // facing the same way, and 10 behind it facing back.
  geom::Profile profile;
  ASSERT_EQ(geom::profile_make(geom::standard_frame(geom::StandardPlane::front, 0),
                               {{1, geom::EntityKind::line, {0, 0}, {10, 0}},
                                {2, geom::EntityKind::line, {10, 0}, {10, 5}},
                                {3, geom::EntityKind::line, {10, 5}, {0, 5}},
                                {4, geom::EntityKind::line, {0, 5}, {0, 0}}},
                               1e-6, profile, nullptr),
            geom::Status::ok);
  geom::Extent extent;
  extent.front = {geom::DepthKind::blind, 7, {}};
  geom::Shape solid;
  ASSERT_EQ(geom::prism(profile, extent, {}, block, solid), geom::Status::ok);
  std::vector<yrlhost::StoredDatum> datums(3);
  const int features[3] = {offset, below, facing_back};
  const geom::Plane planes[3] = {{{0, 0, 10}, {0, 0, 1}}, {{0, 0, -10}, {0, 0, 1}},
                                 {{0, 0, -10}, {0, 0, -1}}};
  for (int i = 0; i < 3; ++i) {
    datums[i].feature_id = features[i];
    datums[i].plane = planes[i];
  }
  std::vector<int> ids;
  ASSERT_TRUE(yrlhost::part_geometry_testing_set(part, solid, datums, &ids));

  // By name: the datum item, as a surface of the part.
  const char* names[3] = {"DTM_OFFSET", "DTM_BELOW", "DTM_BACK"};
  for (int i = 0; i < 3; ++i) {
    VynModelitem item{};
    EXPECT_EQ(YrlDatumFind(part, names[i], &item), 1) << names[i];
    EXPECT_EQ(item.type, yrlhost::item_type_surface);
    EXPECT_EQ(item.id, ids[i]);
    EXPECT_EQ(item.owner, part);
  }
  // At a point with the FRONT normal: the plane through the point whose normal is +z; a
  // plane facing back is not taken there, nor is the block's face at z = 7.
  struct Case {
    double z;
    int found;
    int id;
  } cases[] = {{10, 1, ids[0]}, {-10, 1, ids[1]}, {7, 0, 0}, {0, 1, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.z);
    double point[3] = {3, 4, c.z};
    double direction[3] = {0, 0, 1};
    VynModelitem item{};
    EXPECT_EQ(YrlDatumFindAtPoint(part, point, direction, &item), c.found);
    if (c.id != 0) {
      EXPECT_EQ(item.id, c.id > 0 ? c.id : surface_of(part, "FRONT").id);  // -1: the template's
    }
  }
}

}  // namespace
