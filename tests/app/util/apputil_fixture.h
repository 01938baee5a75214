// Fixture of the application-utility and part-information tests: the application started
// in the stand-in host with a current drawing, parts read from the host's template, and
// draft entities and sheets of the host's drawing that the test sets.
#pragma once

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/util/apputil.h"
#include "host/store/drawings.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "tests/app/app_test.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/vecmath.h"

namespace yrltest {

class UtilTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(start_app(), 0) << error();
    drawing = new_drawing();
  }

  // Makes sheet number of the drawing (made first, with the sheets before it, when it is
  // missing) the current sheet, of that size and transform.
  void sheet_set(const double transform[4][4], int number = 1, const std::u16string& size = u"A") {
    std::string error;
    while (static_cast<int>(yrlhost::host_drawing(drawing)->sheets.size()) < number)
      ASSERT_GT(yrlhost::host_sheet_add(drawing, error), 0) << error;
    yrlhost::DrawingSheet sheet;
    sheet.number = number;
    sheet.size = size;
    std::copy(&transform[0][0], &transform[0][0] + 16, &sheet.transform[0][0]);
    ASSERT_TRUE(yrlhost::host_sheet_set(drawing, sheet, error)) << error;
    ASSERT_TRUE(yrlhost::host_current_sheet_set(drawing, number, error)) << error;
  }

  // A part read from the host's inch template under a new name (datum planes RIGHT, TOP
  // and FRONT through the origin); the drawing stays current.
  VynMdl template_part(const std::string& name) {
    std::ifstream in(text_dir + "/text/templates/inlbs_part_solid.prt");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
      lines.push_back(line.rfind("name ", 0) == 0 ? "name " + name : line);
    }
    std::string error;
    VynMdl part = yrlhost::host_model_read(lines, name + ".prt", error);
    EXPECT_NE(part, nullptr) << error;
    yrlhost::host_model_make_current(drawing);
    return part;
  }

  // The surface item of a part's named feature (its first surface).
  static VynModelitem surface_of(VynMdl part, const std::string& feature) {
    int id = yrlhost::host_feature_find(part, feature);
    std::vector<VynGeomitem> surfaces = yrlhost::host_part_surfaces(part);
    // The template gives each plane the id after its feature's.
    for (const VynGeomitem& s : surfaces) {
      if (s.id == id + 1) return s;
    }
    return VynModelitem{};
  }

  // Gives the drawing's entity id the curve: a new entity when the id is above every id
  // the drawing has used, else the entity of that id takes the curve.
  void entity_curve(int id, const yrlhost::DraftCurve& curve) {
    std::string error;
    if (yrlhost::stored_item_exists(drawing, yrlhost::item_type_draft_entity, id)) {
      ASSERT_TRUE(yrlhost::host_entity_curve_set(drawing, id, curve, error)) << error;
      return;
    }
    yrlhost::DraftEntity entity;
    entity.id = id;
    entity.curve = curve;
    ASSERT_EQ(yrlhost::host_entity_add(drawing, entity, error), id) << error;
  }

  void line_entity(int id, std::initializer_list<double> a, std::initializer_list<double> b) {
    entity_curve(id, yrlhost::draft_line(std::vector<double>(a).data(), std::vector<double>(b).data()));
  }

  void point_entity(int id, std::initializer_list<double> p) {
    entity_curve(id, yrlhost::draft_point(std::vector<double>(p).data()));
  }

  // An arc around centre whose first axis points along vec1 (taken as a direction in the
  // sheet), from start through sweep, as the host keeps arcs.
  void arc_entity(int id, std::initializer_list<double> vec1, std::initializer_list<double> centre,
                  double start, double sweep, double radius) {
    std::vector<double> axis(vec1);
    yrlhost::DraftCurve curve = yrlhost::draft_arc(std::vector<double>(centre).data(), radius,
                                                   std::atan2(axis[1], axis[0]), sweep);
    curve.record.arc.start_angle = start;
    entity_curve(id, curve);
  }

  // The user adds the entities of a box to the selection dialog and closes it: the box
  // runs from the mouse pick (x0, y0) to (x1, y1).
  static void box_select(double x0, double y0, double x1, double y1) {
    user("press yrlselobj Add");
    user("mouse 1 " + std::to_string(x0) + " " + std::to_string(y0) + " 0");
    user("box " + std::to_string(x1) + " " + std::to_string(y1) + " 0");
    user("press yrlselobj Close");
  }

  VynDtlentity entity(int id) const { return VynDtlentity{yrlhost::item_type_draft_entity, id, drawing}; }

  VynMdl drawing = nullptr;
};

}  // namespace yrltest
