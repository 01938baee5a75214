// Sections and their error lists, called through the host's function table as the
// plug-in calls them, on sections the feature builder makes.
#include "host/store/sections.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/store/models.h"
#include "host/display/selection.h"
#include "host/util/utf16.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::host_function;
using yrlhost::HostApi;
namespace geom = yrlhost::geom;

constexpr VynError ok = VYN_TK_NO_ERROR;
constexpr VynError bad = VYN_TK_BAD_INPUTS;
constexpr VynError not_found = VYN_TK_E_NOT_FOUND;

Vyn2dEntity line(double x0, double y0, double x1, double y1, int type = VYN_2D_LINE) {
  return yrltest::line2d(x0, y0, x1, y1, type);
}
Vyn2dEntity circle(double x, double y, double r) { return yrltest::circle2d(x, y, r); }

#define YRL_SECTION_FUNCTIONS(X)               \
  X(entity_add, VynSectionEntityAdd)           \
  X(entity_delete, VynSectionEntityDelete)     \
  X(entity_get, VynSectionEntityGet)           \
  X(entity_ids, VynSectionEntityIdsGet)        \
  X(projection, VynSectionEntityFromProjection) \
  X(epsilon_get, VynSectionEpsilonGet)         \
  X(epsilon_set, VynSectionEpsilonSet)         \
  X(constraint_ids, VynSectionConstraintsIdsGet) \
  X(constraint_deny, VynSectionConstraintDeny) \
  X(autodim, VynSectionAutodim)                \
  X(location, VynSectionLocationGet)           \
  X(section_free, VynSectionFree)              \
  X(errors_alloc, VynSecerrorAlloc)            \
  X(errors_count, VynSecerrorCount)            \
  X(errors_free, VynSecerrorFree)              \
  X(error_item, VynSecerrorItemGet)            \
  X(error_message, VynSecerrorMsgGet)

class Sections : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    table = yrlhost::host_table_build();
#define YRL_SECTION_BIND(member, row) member = host_function<HostApi::row>(table);
    YRL_SECTION_FUNCTIONS(YRL_SECTION_BIND)
#undef YRL_SECTION_BIND
    section = yrlhost::section_new(geom::standard_frame(geom::StandardPlane::top, 0));
    ASSERT_NE(section, nullptr);
  }
  int add(const Vyn2dEntity& entity) {
    int id = 0;
    EXPECT_EQ(entity_add(1, section, &entity, &id), ok);
    return id;
  }
  // The autodim status with the errors as (entity id, message).
  struct Solve {
    VynError status = ok;
    std::vector<std::pair<int, std::string>> errors;
  };
  Solve solve() {
    Solve result;
    VynSecerror errors = nullptr;
    EXPECT_EQ(errors_alloc(1, &errors), ok);
    result.status = autodim(1, section, &errors);
    int count = -1;
    EXPECT_EQ(errors_count(1, &errors, &count), ok);
    for (int i = 0; i < count; ++i) {
      int id = 0;
      VynWchar message[260];
      EXPECT_EQ(error_item(1, errors, i, &id), ok);
      EXPECT_EQ(error_message(1, errors, i, message), ok);
      result.errors.emplace_back(id, yrlhost::utf8_from_utf16(message, 260));
    }
    EXPECT_EQ(error_item(1, errors, count, &count), not_found);
    EXPECT_EQ(errors_free(1, &errors), ok);
    EXPECT_EQ(errors, nullptr);
    return result;
  }
  std::vector<int> ids() {
    VynArray array = nullptr;
    int count = -1;
    EXPECT_EQ(entity_ids(1, section, &array, &count), ok);
    std::vector<int> list(static_cast<const int*>(array), static_cast<const int*>(array) + count);
    EXPECT_TRUE(yrlhost::host_array_release(&array));
    return list;
  }

  std::vector<win_export_entry> table;
  VynSection section = nullptr;
#define YRL_SECTION_MEMBER(member, row) decltype(host_function<HostApi::row>({})) member = nullptr;
  YRL_SECTION_FUNCTIONS(YRL_SECTION_MEMBER)
#undef YRL_SECTION_MEMBER
};

TEST_F(Sections, EntitiesKeepTheirIdsAndRecords) {
  int first = add(line(0, 0, 10, 0));
  int second = add(circle(5, 5, 2));
  EXPECT_EQ(ids(), (std::vector<int>{first, second}));
  Vyn2dEntity* record = nullptr;
  ASSERT_EQ(entity_get(1, section, second, &record), ok);
  EXPECT_EQ(record->type, VYN_2D_CIRCLE);
  EXPECT_EQ(record->radius, 2);
  EXPECT_EQ(entity_delete(1, section, first), ok);
  EXPECT_EQ(entity_delete(1, section, first), not_found);
  EXPECT_EQ(entity_get(1, section, first, &record), not_found);
  // A deleted id is never given again.
  int third = add(line(0, 0, 1, 1, VYN_2D_CENTERLINE));
  EXPECT_GT(third, second);
  EXPECT_EQ(ids(), (std::vector<int>{second, third}));
}

TEST_F(Sections, BadEntitiesAndHandlesAreRefused) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Vyn2dEntity unknown = line(0, 0, 1, 0);
  unknown.type = 7;
  for (const Vyn2dEntity& entity : {unknown, line(nan, 0, 1, 0), circle(0, 0, 0), circle(0, 0, -1)}) {
    int id = -1;
    EXPECT_EQ(entity_add(1, section, &entity, &id), bad) << entity.type;
    EXPECT_EQ(id, -1);
  }
  EXPECT_TRUE(ids().empty());
  Vyn2dEntity good = line(0, 0, 1, 0);
  int id = 0;
  EXPECT_EQ(entity_add(1, section, nullptr, &id), bad);
  EXPECT_EQ(entity_add(1, section, &good, nullptr), bad);
  VynSection freed = section;
  ASSERT_EQ(section_free(1, &freed), ok);
  EXPECT_EQ(freed, nullptr);
  EXPECT_EQ(entity_add(1, section, &good, &id), bad);
  EXPECT_EQ(section_free(1, &section), bad);
  VynSecerror errors = nullptr;
  EXPECT_EQ(autodim(1, section, &errors), bad);
  EXPECT_EQ(yrlhost::section_counts().sections, 0u);
}

TEST_F(Sections, AutodimNamesTheFaultyEntities) {
  // A closed rectangle solves without errors.
  add(line(0, 0, 10, 0));
  add(line(10, 0, 10, 5));
  int top = add(line(10, 5, 0, 5));
  int left = add(line(0, 5, 0, 0));
  Solve closed = solve();
  EXPECT_EQ(closed.status, ok);
  EXPECT_TRUE(closed.errors.empty());
  // Taking a side away leaves two open ends.
  ASSERT_EQ(entity_delete(1, section, left), ok);
  Solve open = solve();
  EXPECT_EQ(open.status, VYN_TK_GENERAL_ERROR);
  std::vector<int> named;
  for (const auto& [id, message] : open.errors) {
    named.push_back(id);
    EXPECT_EQ(message, "open end");
  }
  EXPECT_EQ(named, (std::vector<int>{1, top}));
  // A line across the rectangle's middle crosses two sides.
  ASSERT_EQ(entity_delete(1, section, top), ok);
  add(line(10, 5, 0, 5));
  add(line(0, 5, 0, 0));
  int across = add(line(5, -1, 5, 6));
  Solve crossing = solve();
  EXPECT_EQ(crossing.status, VYN_TK_GENERAL_ERROR);
  bool names_across = false;
  for (const auto& error : crossing.errors) names_across |= error.first == across;
  EXPECT_TRUE(names_across);
}

// An open section (a datum curve's) may end anywhere; its other faults still count.
TEST_F(Sections, AnOpenSectionReportsNoOpenEnds) {
  ASSERT_EQ(section_free(1, &section), ok);
  section = yrlhost::section_new(geom::standard_frame(geom::StandardPlane::top, 0), true);
  ASSERT_NE(section, nullptr);
  EXPECT_TRUE(yrlhost::section_open(section));
  add(line(0, 0, 10, 0));
  add(line(10, 0, 10, 5));
  add(line(20, 0, 20, 5, VYN_2D_CENTERLINE));
  Solve chain = solve();
  EXPECT_EQ(chain.status, ok);
  EXPECT_TRUE(chain.errors.empty());
  int across = add(line(5, -1, 5, 1));
  Solve crossing = solve();
  EXPECT_EQ(crossing.status, VYN_TK_GENERAL_ERROR);
  ASSERT_FALSE(crossing.errors.empty());
  for (const auto& error : crossing.errors) EXPECT_NE(error.second, "open end");
  bool names_across = false;
  for (const auto& error : crossing.errors) names_across |= error.first == across;
  EXPECT_TRUE(names_across);
}

TEST_F(Sections, EpsilonLocationAndConstraints) {
  double epsilon = 0;
  ASSERT_EQ(epsilon_get(1, section, &epsilon), ok);
  EXPECT_EQ(epsilon, yrlhost::section_epsilon_default);
  EXPECT_EQ(epsilon_set(1, section, 0), bad);
  EXPECT_EQ(epsilon_set(1, section, std::numeric_limits<double>::infinity()), bad);
  ASSERT_EQ(epsilon_set(1, section, 0.5), ok);
  // Ends 0.3 apart meet with the wider tolerance.
  add(line(0, 0, 10, 0));
  add(line(10, 0.3, 5, 5));
  add(line(5, 5, 0, 0));
  EXPECT_EQ(solve().status, ok);

  // TOP: the sketch's (u, v) lies at (u, 0, -v).
  double location_out[4][4] = {};
  ASSERT_EQ(location(1, section, location_out), ok);
  const double expected[4][4] = {{1, 0, 0, 0}, {0, 0, -1, 0}, {0, 1, 0, 0}, {0, 0, 0, 1}};
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(location_out[r][c], expected[r][c], 1e-12) << r << c;

  VynArray constraints = nullptr;
  int count = -1;
  ASSERT_EQ(constraint_ids(1, section, &constraints, &count), ok);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(yrlhost::host_array_release(&constraints));
  EXPECT_EQ(constraint_deny(1, section, 1), not_found);
}

TEST_F(Sections, ADatumPlaneSeenEdgeOnProjectsToACenterline) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "P", error);
  ASSERT_NE(part, nullptr) << error;
  // RIGHT (x = 3) and FRONT (z = 0) on a sketch on TOP; TOP itself is parallel.
  yrlhost::HostPlane right{{0, 0, -1}, {0, 1, 0}, {1, 0, 0}, {3, 0, 0}};
  yrlhost::HostPlane top{{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {0, 0, 0}};
  int right_id = yrlhost::host_feature_add(part, yrlhost::feature_type_datum_plane, "RIGHT", {right});
  int top_id = yrlhost::host_feature_add(part, yrlhost::feature_type_datum_plane, "TOP", {top});
  VynSelection right_pick = yrlhost::selection_make({yrlhost::item_type_feature, right_id, part}, 0, nullptr);
  VynSelection top_pick = yrlhost::selection_make({yrlhost::item_type_feature, top_id, part}, 0, nullptr);
  int id = 0;
  ASSERT_EQ(projection(1, section, right_pick, &id), ok);
  Vyn2dEntity* record = nullptr;
  ASSERT_EQ(entity_get(1, section, id, &record), ok);
  EXPECT_EQ(record->type, VYN_2D_CENTERLINE);
  // On TOP, x = 3 is the sketch line u = 3.
  EXPECT_NEAR(record->start[0], 3, 1e-9);
  EXPECT_NEAR(record->end[0], 3, 1e-9);
  EXPECT_NEAR(std::abs(record->end[1] - record->start[1]), 1000, 1e-9);
  EXPECT_NEAR(record->start[1] + record->end[1], 0, 1e-9);
  EXPECT_EQ(projection(1, section, top_pick, &id), VYN_TK_GENERAL_ERROR);
  VynSelection part_pick = yrlhost::selection_make({yrlhost::model_type_part, 0, part}, 0, nullptr);
  EXPECT_EQ(projection(1, section, part_pick, &id), bad);
  // A centerline alone is no profile: nothing to complain about.
  EXPECT_EQ(solve().status, ok);
  for (VynSelection pick : {right_pick, top_pick, part_pick}) yrlhost::selection_release(pick);
}

}  // namespace
