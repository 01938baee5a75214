// Fixture of the application-utility and part-information tests: the application started
// in the stand-in host with a current drawing, parts read from the host's template, and
// draft entities whose curves the test sets (the host keeps no draft geometry, so the
// entity and sheet functions are served here).
#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/util/apputil.h"
#include "host/models.h"
#include "tests/app/app_test.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/vecmath.h"

namespace yrltest {

// What the served draft functions answer: entity id -> curve, the current sheet and the
// sheet's transform and size name.
struct DraftState {
  std::map<int, VynCurvedata> curves;
  int sheet = 1;
  double sheet_trf[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  const char16_t* sheet_size = u"A";
  VynError sheet_trf_status = 0;
};

inline DraftState& draft_state() {
  static DraftState state;
  return state;
}

inline VynError served_dtlentity_data_get(int, VynDtlentity* entity, VynDtlsymdef*,
                                          VynDtlentitydata* data) {
  if (!entity || !data) return VYN_TK_BAD_INPUTS;
  auto it = draft_state().curves.find(entity->id);
  if (it == draft_state().curves.end()) return VYN_TK_E_NOT_FOUND;
  *data = reinterpret_cast<VynDtlentitydata>(&it->second);
  return VYN_TK_NO_ERROR;
}

inline VynError served_curve_get(int, VynDtlentitydata data, VynCurvedata** curve) {
  if (!data || !curve) return VYN_TK_BAD_INPUTS;
  *curve = reinterpret_cast<VynCurvedata*>(data);
  return VYN_TK_NO_ERROR;
}

inline VynError served_current_sheet_get(int, VynMdl, int* sheet) {
  if (!sheet) return VYN_TK_BAD_INPUTS;
  *sheet = draft_state().sheet;
  return VYN_TK_NO_ERROR;
}

inline VynError served_sheet_trf_get(int, VynMdl, int, VynWchar* size, double transform[4][4]) {
  if (draft_state().sheet_trf_status) return draft_state().sheet_trf_status;
  const char16_t* name = draft_state().sheet_size;
  std::size_t n = 0;
  for (; name[n]; ++n) size[n] = name[n];
  size[n] = 0;
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) transform[r][c] = draft_state().sheet_trf[r][c];
  }
  return VYN_TK_NO_ERROR;
}

class UtilTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    draft_state() = DraftState();
    table_options.extra = {
        yrltest::host_row(&served_dtlentity_data_get, "VynDtlentityDataGet_v"),
        yrltest::host_row(&served_curve_get, "VynDtlentitydataCurveGet_v"),
        yrltest::host_row(&served_current_sheet_get, "VynDrawingCurrentSheetGet_v"),
        yrltest::host_row(&served_sheet_trf_get, "VynDrawingSheetTrfGet_v"),
    };
    ASSERT_EQ(start_app(), 0) << error();
    drawing = new_drawing();
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

  static void line_entity(int id, std::initializer_list<double> a, std::initializer_list<double> b) {
    VynCurvedata curve = {};
    curve.line.type = VYN_CURVE_LINE;
    std::copy(a.begin(), a.end(), curve.line.end1);
    std::copy(b.begin(), b.end(), curve.line.end2);
    draft_state().curves[id] = curve;
  }

  static void arc_entity(int id, std::initializer_list<double> vec1, std::initializer_list<double> centre,
                         double start, double sweep, double radius) {
    VynCurvedata curve = {};
    curve.arc.type = VYN_CURVE_ARC;
    std::copy(vec1.begin(), vec1.end(), curve.arc.vec1);
    std::copy(centre.begin(), centre.end(), curve.arc.origin);
    curve.arc.start_angle = start;
    curve.arc.end_angle = sweep;
    curve.arc.radius = radius;
    draft_state().curves[id] = curve;
  }

  static VynDtlentity entity(int id) {
    return VynDtlentity{77, id, yrlhost::host_current_model()};
  }

  VynMdl drawing = nullptr;
};

}  // namespace yrltest
