// The session's models: template parts and their datum planes, visits, surfaces,
// copies, erasing, model items, parameters and the model-retrieve notification.
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/plugin/plugin_session.h"
#include "host_test.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/local/mdldata.h"
#include "toolkit/local/paramdata.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;

std::u16string wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string narrow(const VynWchar* text) {
  std::string out;
  for (; *text; ++text) out.push_back(static_cast<char>(*text));
  return out;
}

// The template path as the plug-in composes it: the text directory and a relative path
// with Windows delimiters.
std::u16string template_path(const std::string& file) {
  return wide(yrlhost::session_defaults().text_dir + "\\text\\templates\\" + file);
}

class ModelsTest : public yrltest::HostTest {
 protected:
  VynMdl load(const std::string& file = "inlbs_part_solid.prt") {
    VynMdl model = nullptr;
    std::u16string path = template_path(file);
    EXPECT_EQ(Behaviour<HostApi::VynMdlLoad>::run(1, path.c_str(), -1, 0, &model), 0)
        << yrlhost::host_model_load_error();
    return model;
  }

  std::string feature_name(VynFeature feature) {
    VynName name{};
    if (Behaviour<HostApi::VynModelitemNameGet>::run(1, &feature, name) != 0) return "<none>";
    return narrow(name);
  }

  // The first surface item of the part's feature of that name.
  VynGeomitem plane_item(VynMdl part, const std::string& name) {
    VynFeature feature{yrlhost::item_type_feature, yrlhost::host_feature_find(part, name), part};
    VynGeomitem found{};
    auto take_first = [](VynModelitem* item, VynError, void* data) -> VynError {
      *static_cast<VynGeomitem*>(data) = *item;
      return VYN_TK_E_FOUND;
    };
    EXPECT_EQ(Behaviour<HostApi::VynFeatureGeomitemVisit>::run(1, &feature, 5, take_first, nullptr,
                                                               &found),
              VYN_TK_E_FOUND);
    return found;
  }

  VynSurface plane_surface(VynMdl part, const std::string& name) {
    VynGeomitem item = plane_item(part, name);
    VynSurface surface = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynGeomitemToSurface>::run(1, &item, &surface), 0);
    return surface;
  }
};

// ---- Template parts and their datum planes -------------------------------------------

// What a feature visit saw: the names the action got with their filter statuses.
struct VisitRecord {
  ModelsTest* test = nullptr;
  std::vector<std::pair<std::string, VynError>> visited;
  std::string stop_at;
};

VynError datum_filter(VynModelitem* item, void*) {
  int type = 0;
  if (Behaviour<HostApi::VynFeatureTypeGet>::run(1, item, &type) != 0) return VYN_TK_CONTINUE;
  return type == yrlhost::feature_type_datum_plane ? VYN_TK_E_FOUND : VYN_TK_CONTINUE;
}

TEST_F(ModelsTest, TemplateDatumPlanesAreFoundByAVisitWithFilterAndAction) {
  VynMdl part = load();
  ASSERT_TRUE(yrlhost::host_model_is(part));
  auto action = [](VynModelitem* item, VynError filter_status, void* data) -> VynError {
    auto* record = static_cast<VisitRecord*>(data);
    VynName name{};
    Behaviour<HostApi::VynModelitemNameGet>::run(1, item, name);
    record->visited.emplace_back(narrow(name), filter_status);
    return narrow(name) == record->stop_at ? VYN_TK_E_FOUND : VYN_TK_NO_ERROR;
  };

  // A complete visit: the filter skips the coordinate system and hands -5 on.
  VisitRecord all;
  EXPECT_EQ(Behaviour<HostApi::VynSolidFeatVisit>::run(1, part, action, datum_filter, &all), 0);
  std::vector<std::pair<std::string, VynError>> planes = {
      {"RIGHT", VYN_TK_E_FOUND}, {"TOP", VYN_TK_E_FOUND}, {"FRONT", VYN_TK_E_FOUND}};
  EXPECT_EQ(all.visited, planes);

  // Without a filter every feature is visited with filter status 0.
  VisitRecord unfiltered;
  EXPECT_EQ(Behaviour<HostApi::VynSolidFeatVisit>::run(1, part, action, nullptr, &unfiltered), 0);
  ASSERT_EQ(unfiltered.visited.size(), 4u);
  EXPECT_EQ(unfiltered.visited[3], std::make_pair(std::string("PRT_CSYS_DEF"), VynError{0}));

  // An action's status stops the visit and is its result.
  VisitRecord stopped;
  stopped.stop_at = "TOP";
  EXPECT_EQ(Behaviour<HostApi::VynSolidFeatVisit>::run(1, part, action, datum_filter, &stopped),
            VYN_TK_E_FOUND);
  EXPECT_EQ(stopped.visited.size(), 2u);
}

TEST_F(ModelsTest, VisitsRefuseBadInputsAndVisitNothingOfOtherItemTypes) {
  VynMdl part = load();
  auto action = [](VynModelitem*, VynError, void* data) -> VynError {
    ++*static_cast<int*>(data);
    return 0;
  };
  int calls = 0;
  EXPECT_EQ(Behaviour<HostApi::VynSolidFeatVisit>::run(1, part, nullptr, nullptr, &calls),
            VYN_TK_BAD_INPUTS);
  VynFeature top{yrlhost::item_type_feature, yrlhost::host_feature_find(part, "TOP"), part};
  EXPECT_EQ(Behaviour<HostApi::VynFeatureGeomitemVisit>::run(1, &top, 6, action, nullptr, &calls), 0);
  EXPECT_EQ(calls, 0);
  VynFeature unknown{yrlhost::item_type_feature, 999, part};
  EXPECT_EQ(Behaviour<HostApi::VynFeatureGeomitemVisit>::run(1, &unknown, 5, action, nullptr, &calls),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(Behaviour<HostApi::VynFeatureGeomitemVisit>::run(1, nullptr, 5, action, nullptr, &calls),
            VYN_TK_BAD_INPUTS);
}

// The templates' default coordinate system is a feature that makes no geometry item: the
// part has no coordinate systems to visit, and without a solid no surfaces either.
TEST_F(ModelsTest, TheTemplatesCsysFeatureMakesNoItems) {
  VynMdl part = load("mmns_part_solid.prt");
  int id = yrlhost::host_feature_find(part, "PRT_CSYS_DEF");
  ASSERT_GT(id, 0);
  VynFeature feature{yrlhost::item_type_feature, id, part};
  int type = 0;
  EXPECT_EQ(Behaviour<HostApi::VynFeatureTypeGet>::run(1, &feature, &type), 0);
  EXPECT_EQ(type, 979);
  int calls = 0;
  auto item_action = [](VynGeomitem*, VynError, void* data) -> VynError {
    ++*static_cast<int*>(data);
    return 0;
  };
  auto handle_action = [](void*, VynError, void* data) -> VynError {
    ++*static_cast<int*>(data);
    return 0;
  };
  EXPECT_EQ(Behaviour<HostApi::VynFeatureGeomitemVisit>::run(1, &feature, -1, item_action, nullptr, &calls), 0);
  EXPECT_EQ(Behaviour<HostApi::VynSolidCsysVisit>::run(1, part, handle_action, nullptr, &calls),
            VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(Behaviour<HostApi::VynSolidSurfaceVisit>::run(1, part, handle_action, nullptr, &calls), 0);
  EXPECT_EQ(calls, 0);
}

TEST_F(ModelsTest, BothTemplatesCarryTheSameDatumPlanesAndTheirUnits) {
  for (const char* file : {"inlbs_part_solid.prt", "mmns_part_solid.prt"}) {
    SCOPED_TRACE(file);
    VynMdl part = load(file);
    EXPECT_EQ(yrlhost::host_model_type(part), yrlhost::model_type_part);
    for (const char* name : {"TOP", "FRONT", "RIGHT"}) {
      int id = yrlhost::host_feature_find(part, name);
      ASSERT_GT(id, 0) << name;
      VynFeature feature{yrlhost::item_type_feature, id, part};
      int type = 0, status = -1, visible = 0;
      EXPECT_EQ(Behaviour<HostApi::VynFeatureTypeGet>::run(1, &feature, &type), 0);
      EXPECT_EQ(Behaviour<HostApi::VynFeatureStatusGet>::run(1, &feature, &status), 0);
      EXPECT_EQ(Behaviour<HostApi::VynFeatureVisibilityGet>::run(1, &feature, &visible), 0);
      EXPECT_EQ(type, 923);
      EXPECT_EQ(status, 0);
      EXPECT_EQ(visible, 1);
    }
  }
  EXPECT_EQ(yrlhost::host_model_units(yrlhost::host_model_find(2, "inlbs_part_solid")), "INCH");
  EXPECT_EQ(yrlhost::host_model_units(yrlhost::host_model_find(2, "mmns_part_solid")), "MM");
}

TEST_F(ModelsTest, PlaneSurfaceDataHasThePlaneTypeAndItsNormal) {
  VynMdl part = load();
  EXPECT_EQ(yrlhost::host_part_surfaces(part).size(), 3u);
  const std::map<std::string, std::vector<double>> normals = {
      {"TOP", {0, 1, 0}}, {"FRONT", {0, 0, 1}}, {"RIGHT", {1, 0, 0}}};
  for (const auto& [name, normal] : normals) {
    SCOPED_TRACE(name);
    VynGeomitem item = plane_item(part, name);
    VynGeomitemdata* data = nullptr;
    ASSERT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &item, &data), 0);
    EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::geomitemdata), 1u);
    ASSERT_EQ(data->obj_type, VYN_GEOMITEMDATA_SURFACE);
    const VynSurfacedata& surface = *data->data.p_surface_data;
    EXPECT_EQ(surface.type, VYN_SRF_PLANE);
    EXPECT_EQ(surface.id, item.id);
    EXPECT_EQ(std::vector<double>(surface.shape.plane.e3, surface.shape.plane.e3 + 3), normal);
    EXPECT_EQ(std::vector<double>(surface.shape.plane.origin, surface.shape.plane.origin + 3),
              std::vector<double>({0, 0, 0}));
    auto plane = yrlhost::host_surface_plane(item);
    ASSERT_TRUE(plane.has_value());
    EXPECT_EQ(std::vector<double>(plane->e3, plane->e3 + 3), normal);

    // The surface handle gives the same data.
    VynSurface handle = plane_surface(part, name);
    VynGeomitemdata* again = nullptr;
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceDataGet>::run(1, handle, &again), 0);
    EXPECT_EQ(again->data.p_surface_data->id, surface.id);

    EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &data), 0);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &again), 0);
    EXPECT_EQ(yrlhost::live_object_count(yrlhost::LiveKind::geomitemdata), 0u);
  }
}

TEST_F(ModelsTest, GeometryDataFreeRefusesWhatItDidNotHandOut) {
  VynGeomitemdata fake{};
  VynGeomitemdata* pointer = &fake;
  VynGeomitemdata* null_data = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &pointer), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(pointer, &fake);
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &null_data), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, nullptr), VYN_TK_BAD_INPUTS);
}

TEST_F(ModelsTest, ParamEvalAndXyzdataEvalRoundTripThroughEachPlane) {
  VynMdl part = load();
  const double point[3] = {3.0, -4.0, 7.5};
  for (const char* name : {"TOP", "FRONT", "RIGHT"}) {
    SCOPED_TRACE(name);
    VynSurface surface = plane_surface(part, name);
    double uv[2] = {};
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceParamEval>::run(1, part, surface, point, uv), 0);
    double on_plane[3], d1[6], d2[9], normal[3];
    ASSERT_EQ(Behaviour<HostApi::VynSurfaceXyzdataEval>::run(1, surface, uv, on_plane, d1, d2, normal), 0);
    // The point comes back with its component along the normal removed.
    double along = point[0] * normal[0] + point[1] * normal[1] + point[2] * normal[2];
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(on_plane[i], point[i] - along * normal[i]);
    // d/du and d/dv span the plane; the normal is their cross product.
    double cross[3] = {d1[1] * d1[5] - d1[2] * d1[4], d1[2] * d1[3] - d1[0] * d1[5],
                       d1[0] * d1[4] - d1[1] * d1[3]};
    for (int i = 0; i < 3; ++i) EXPECT_DOUBLE_EQ(cross[i], normal[i]);
    for (double value : d2) EXPECT_EQ(value, 0.0);

    // Only the outputs asked for are written.
    double only_normal[3] = {9, 9, 9};
    EXPECT_EQ(Behaviour<HostApi::VynSurfaceXyzdataEval>::run(1, surface, uv, nullptr, nullptr,
                                                             nullptr, only_normal), 0);
    EXPECT_EQ(std::vector<double>(only_normal, only_normal + 3),
              std::vector<double>(normal, normal + 3));
  }
  // The surface must belong to the solid named.
  VynMdl other = load("mmns_part_solid.prt");
  double uv[2];
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceParamEval>::run(1, other, plane_surface(part, "TOP"),
                                                          point, uv),
            VYN_TK_BAD_INPUTS);
}

TEST_F(ModelsTest, GeometryItemsAndSurfacesMapBothWays) {
  VynMdl part = load();
  VynGeomitem item = plane_item(part, "FRONT");
  VynSurface surface = plane_surface(part, "FRONT");
  VynGeomitem back{};
  EXPECT_EQ(Behaviour<HostApi::VynSurfaceToGeomitem>::run(1, part, surface, &back), 0);
  EXPECT_EQ(back.type, item.type);
  EXPECT_EQ(back.id, item.id);
  EXPECT_EQ(back.owner, part);
  VynFeature feature{};
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemFeatureGet>::run(1, &item, &feature), 0);
  EXPECT_EQ(feature_name(feature), "FRONT");
  VynName type_name{};
  EXPECT_EQ(Behaviour<HostApi::VynFeatureTypenameGet>::run(1, &feature, type_name), 0);
  EXPECT_EQ(narrow(type_name), "DATUM PLANE");
}

// ---- Loading -------------------------------------------------------------------------

TEST_F(ModelsTest, LoadRefusesBadPathsAndLoadsNothing) {
  struct Case {
    const char* what;
    std::u16string path;
    int type;
    VynError status;
  };
  const std::string dir = yrlhost::session_defaults().text_dir;
  const std::vector<Case> cases = {
      {"empty path", u"", -1, VYN_TK_BAD_INPUTS},
      {"missing file", template_path("no_such_part.prt"), -1, VYN_TK_E_NOT_FOUND},
      {"missing folder", wide(dir + "\\no_such_folder\\x.prt"), -1, VYN_TK_E_NOT_FOUND},
      {"a folder", wide(dir + "\\text\\templates"), -1, VYN_TK_E_NOT_FOUND},
      {"invalid name", wide(dir + "\\a|b.prt"), -1, VYN_TK_BAD_INPUTS},
      {"part loaded as a drawing", template_path("inlbs_part_solid.prt"), 4, VYN_TK_BAD_INPUTS},
      {"unknown model type", template_path("inlbs_part_solid.prt"), 7, VYN_TK_BAD_INPUTS},
      {"path too long", std::u16string(300, u'a'), -1, VYN_TK_BAD_INPUTS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynMdl model = reinterpret_cast<VynMdl>(0x1);
    EXPECT_EQ(Behaviour<HostApi::VynMdlLoad>::run(1, c.path.c_str(), c.type, 0, &model), c.status);
    EXPECT_TRUE(yrlhost::host_models().empty());
  }
  VynMdl model = nullptr;
  std::u16string path = template_path("inlbs_part_solid.prt");
  EXPECT_EQ(Behaviour<HostApi::VynMdlLoad>::run(1, nullptr, -1, 0, &model), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(Behaviour<HostApi::VynMdlLoad>::run(1, path.c_str(), -1, 0, nullptr), VYN_TK_BAD_INPUTS);
}

TEST_F(ModelsTest, LoadingAModelInSessionAnswersThatModel) {
  VynMdl first = load();
  VynMdl second = load();
  EXPECT_EQ(first, second);
  EXPECT_EQ(yrlhost::host_models().size(), 1u);
}

TEST_F(ModelsTest, LoadIsServedThroughTheHostTable) {
  auto table = yrlhost::host_table_build();
  auto load_function = yrlhost::host_function<HostApi::VynMdlLoad>(table);
  ASSERT_NE(load_function, nullptr);
  std::u16string path = template_path("mmns_part_solid.prt");
  VynMdl model = nullptr;
  EXPECT_EQ(load_function(1, path.c_str(), -1, 0, &model), 0);
  EXPECT_EQ(yrlhost::host_model_name(model), "mmns_part_solid");
  EXPECT_EQ(yrlhost::host_current_model(), nullptr);  // retrieving does not display
}

// ---- Session, copies and erasing -----------------------------------------------------

TEST_F(ModelsTest, CurrentModelFollowsCreationAndDisplay) {
  VynMdl current = reinterpret_cast<VynMdl>(0x1);
  EXPECT_EQ(Behaviour<HostApi::VynMdlCurrentGet>::run(1, &current), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(Behaviour<HostApi::VynMdlCurrentGet>::run(1, nullptr), VYN_TK_BAD_INPUTS);
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "PLATE", error);
  ASSERT_NE(drawing, nullptr) << error;
  EXPECT_EQ(Behaviour<HostApi::VynMdlCurrentGet>::run(1, &current), 0);
  EXPECT_EQ(current, drawing);
  VynMdl part = load();
  EXPECT_EQ(Behaviour<HostApi::VynMdlDisplay>::run(1, part), 0);
  EXPECT_EQ(yrlhost::host_current_model(), part);
}

TEST_F(ModelsTest, HostSideCreateRefusesBadNamesAndTakenNames) {
  std::string error;
  ASSERT_NE(yrlhost::host_model_create(4, "PLATE", error), nullptr);
  EXPECT_EQ(yrlhost::host_model_create(4, "PLATE", error), nullptr);
  EXPECT_NE(error.find("already in session"), std::string::npos);
  EXPECT_NE(yrlhost::host_model_create(2, "PLATE", error), nullptr);  // another type
  EXPECT_EQ(yrlhost::host_model_create(4, "", error), nullptr);
  EXPECT_EQ(yrlhost::host_model_create(4, std::string(32, 'N'), error), nullptr);
  EXPECT_NE(yrlhost::host_model_create(4, std::string(31, 'N'), error), nullptr);
  EXPECT_EQ(yrlhost::host_model_create(3, "X", error), nullptr);
  EXPECT_EQ(yrlhost::host_model_create(2, "Y", error, "MILLI METRE"), nullptr);
  EXPECT_EQ(yrlhost::host_model_create(2, "Y", error, ""), nullptr);
}

TEST_F(ModelsTest, OlderStyleUnitsQueryAnswersOneAndTheUnitsName) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "D1", error, "MM");
  ASSERT_NE(drawing, nullptr) << error;
  VynName name{};
  int type = -1;
  double factor = 0;
  EXPECT_EQ(Behaviour<HostApi::vyndb_get_model_units>::run(1, drawing, 21, &type, name, &factor), 1);
  EXPECT_EQ(narrow(name), "MM");
  EXPECT_EQ(type, 0);
  EXPECT_EQ(factor, 1.0);
  VynName other{};
  EXPECT_EQ(Behaviour<HostApi::vyndb_get_model_units>::run(1, drawing, 22, nullptr, other, nullptr), 0);
  EXPECT_EQ(narrow(other), "");
  EXPECT_EQ(Behaviour<HostApi::vyndb_get_model_units>::run(1, drawing, 21, nullptr, nullptr, nullptr), -2);
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  EXPECT_EQ(Behaviour<HostApi::vyndb_get_model_units>::run(1, drawing, 21, nullptr, name, nullptr), -2);
}

TEST_F(ModelsTest, ModelNameTypeAndDataRecord) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "Plate 7", error);
  VynName name{};
  int type = 0;
  EXPECT_EQ(Behaviour<HostApi::VynMdlNameGet>::run(1, drawing, name), 0);
  EXPECT_EQ(narrow(name), "Plate 7");
  EXPECT_EQ(Behaviour<HostApi::VynMdlTypeGet>::run(1, drawing, &type), 0);
  EXPECT_EQ(type, 4);
  VynMdldata data{};
  EXPECT_EQ(Behaviour<HostApi::VynMdlDataGet>::run(1, drawing, &data), 0);
  EXPECT_EQ(narrow(data.name), "Plate 7");
  EXPECT_EQ(narrow(data.type), "DRW");
  EXPECT_EQ(narrow(data.path), "");
  VynModelitem item{};
  EXPECT_EQ(Behaviour<HostApi::VynMdlToModelitem>::run(1, drawing, &item), 0);
  EXPECT_EQ(item.type, 4);
  EXPECT_EQ(item.owner, drawing);
  EXPECT_EQ(Behaviour<HostApi::VynModelitemNameGet>::run(1, &item, name), 0);
  EXPECT_EQ(narrow(name), "Plate 7");
}

TEST_F(ModelsTest, SessionListGivesTheModelsOfOneTypeInOrder) {
  std::string error;
  VynMdl a = yrlhost::host_model_create(2, "A", error);
  yrlhost::host_model_create(4, "D", error);
  VynMdl b = yrlhost::host_model_create(2, "B", error);
  VynArray models = nullptr;
  int count = -1;
  ASSERT_EQ(Behaviour<HostApi::VynSessionMdlList>::run(1, 2, &models, &count), 0);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(yrlhost::host_array_size(models), 2);
  EXPECT_EQ(static_cast<VynMdl*>(models)[0], a);
  EXPECT_EQ(static_cast<VynMdl*>(models)[1], b);
  EXPECT_TRUE(yrlhost::host_array_release(&models));
  EXPECT_EQ(Behaviour<HostApi::VynSessionMdlList>::run(1, 2, nullptr, &count), VYN_TK_BAD_INPUTS);
}

TEST_F(ModelsTest, CopyTakesTheFeaturesUnderANewNameAndRefusesATakenName) {
  VynMdl part = load();
  VynMdl copy = nullptr;
  std::u16string name = u"BRACKET";
  ASSERT_EQ(Behaviour<HostApi::VynMdlCopy>::run(1, part, name.c_str(), &copy), 0);
  EXPECT_NE(copy, part);
  EXPECT_EQ(yrlhost::host_model_name(copy), "BRACKET");
  EXPECT_EQ(yrlhost::host_feature_ids(copy), yrlhost::host_feature_ids(part));
  EXPECT_NE(plane_surface(copy, "TOP"), plane_surface(part, "TOP"));

  VynMdl again = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynMdlCopy>::run(1, part, name.c_str(), &again), VYN_TK_E_FOUND);
  EXPECT_EQ(again, nullptr);
  std::u16string too_long(32, u'N');
  EXPECT_EQ(Behaviour<HostApi::VynMdlCopy>::run(1, part, too_long.c_str(), &again), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(Behaviour<HostApi::VynMdlCopy>::run(1, part, u"", &again), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(yrlhost::host_models().size(), 2u);

  // The copy outlives its template.
  EXPECT_EQ(Behaviour<HostApi::VynMdlErase>::run(1, part), 0);
  EXPECT_GT(yrlhost::host_feature_find(copy, "RIGHT"), 0);
}

TEST_F(ModelsTest, ErasedModelsHandlesAreStaleEverywhere) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "D", error);
  VynMdl part = load();
  VynGeomitem item = plane_item(part, "TOP");
  VynSurface surface = plane_surface(part, "TOP");
  VynFeature feature{3, yrlhost::host_feature_find(part, "TOP"), part};
  VynGeomitemdata* kept = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynGeomitemdataGet>::run(1, &item, &kept), 0);
  ASSERT_EQ(Behaviour<HostApi::VynMdlDisplay>::run(1, part), 0);

  ASSERT_EQ(Behaviour<HostApi::VynMdlErase>::run(1, part), 0);
  EXPECT_FALSE(yrlhost::host_model_is(part));
  EXPECT_TRUE(yrlhost::host_model_is(drawing));
  VynMdl current = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynMdlCurrentGet>::run(1, &current), VYN_TK_E_NOT_FOUND);

  VynName name{};
  int value = 0;
  VynMdldata data{};
  VynModelitem out{};
  VynMdl copy = nullptr;
  VynSurface surface_out = nullptr;
  VynGeomitemdata* geometry = nullptr;
  double point[3] = {}, uv[2] = {};
  auto action = [](VynModelitem*, VynError, void*) -> VynError { return 0; };
  const std::vector<std::pair<const char*, VynError>> answers = {
      {"NameGet", Behaviour<HostApi::VynMdlNameGet>::run(1, part, name)},
      {"TypeGet", Behaviour<HostApi::VynMdlTypeGet>::run(1, part, &value)},
      {"DataGet", Behaviour<HostApi::VynMdlDataGet>::run(1, part, &data)},
      {"Display", Behaviour<HostApi::VynMdlDisplay>::run(1, part)},
      {"Erase", Behaviour<HostApi::VynMdlErase>::run(1, part)},
      {"ToModelitem", Behaviour<HostApi::VynMdlToModelitem>::run(1, part, &out)},
      {"Copy", Behaviour<HostApi::VynMdlCopy>::run(1, part, u"X", &copy)},
      {"ModelitemInit", Behaviour<HostApi::VynModelitemInit>::run(1, part, 1, 3, &out)},
      {"SolidFeatVisit", Behaviour<HostApi::VynSolidFeatVisit>::run(1, part, action, nullptr, nullptr)},
      {"SolidRegenerate", Behaviour<HostApi::VynSolidRegenerate>::run(1, part, 0)},
      {"FeatureTypeGet", Behaviour<HostApi::VynFeatureTypeGet>::run(1, &feature, &value)},
      {"FeatureNameGet", Behaviour<HostApi::VynModelitemNameGet>::run(1, &feature, name)},
      {"GeomitemToSurface", Behaviour<HostApi::VynGeomitemToSurface>::run(1, &item, &surface_out)},
      {"GeomitemdataGet", Behaviour<HostApi::VynGeomitemdataGet>::run(1, &item, &geometry)},
      {"SurfaceDataGet", Behaviour<HostApi::VynSurfaceDataGet>::run(1, surface, &geometry)},
      {"SurfaceParamEval", Behaviour<HostApi::VynSurfaceParamEval>::run(1, part, surface, point, uv)},
      {"SurfaceXyzdataEval", Behaviour<HostApi::VynSurfaceXyzdataEval>::run(1, surface, uv, point,
                                                                           nullptr, nullptr, nullptr)},
  };
  for (const auto& [what, status] : answers) EXPECT_EQ(status, VYN_TK_BAD_INPUTS) << what;

  // Geometry data handed out before stays the caller's until freed; a new model never
  // takes the erased one's handle.
  EXPECT_EQ(kept->data.p_surface_data->type, VYN_SRF_PLANE);
  EXPECT_EQ(Behaviour<HostApi::VynGeomitemdataFree>::run(1, &kept), 0);
  EXPECT_NE(load(), part);
}

// ---- Model items ---------------------------------------------------------------------

TEST_F(ModelsTest, FeatureNamesDefaultNamesAndRenaming) {
  VynMdl part = load();
  int id = yrlhost::host_feature_add(part, 923, "", {yrlhost::HostPlane{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 5}}});
  ASSERT_GT(id, 0);
  VynModelitem feature{};
  ASSERT_EQ(Behaviour<HostApi::VynModelitemInit>::run(1, part, id, 3, &feature), 0);
  VynName name{};
  EXPECT_EQ(Behaviour<HostApi::VynModelitemNameGet>::run(1, &feature, name), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(Behaviour<HostApi::VynModelitemDefaultnameGet>::run(1, &feature, name), 0);
  EXPECT_EQ(narrow(name), "DTM" + std::to_string(id));

  EXPECT_EQ(Behaviour<HostApi::VynModelitemNameSet>::run(1, &feature, u"OFFSET_DTM_PLN1"), 0);
  EXPECT_EQ(feature_name(feature), "OFFSET_DTM_PLN1");
  EXPECT_EQ(yrlhost::host_feature_find(part, "OFFSET_DTM_PLN1"), id);
  EXPECT_EQ(Behaviour<HostApi::VynModelitemNameSet>::run(1, &feature, u"TOP"), VYN_TK_E_FOUND);
  std::u16string too_long(32, u'N');
  EXPECT_EQ(Behaviour<HostApi::VynModelitemNameSet>::run(1, &feature, too_long.c_str()),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(feature_name(feature), "OFFSET_DTM_PLN1");

  // A removed feature is gone for the functions that name it.
  EXPECT_TRUE(yrlhost::host_feature_remove(part, id));
  int type = 0;
  EXPECT_EQ(Behaviour<HostApi::VynFeatureTypeGet>::run(1, &feature, &type), VYN_TK_BAD_INPUTS);
}

// ---- Parameters ----------------------------------------------------------------------

VynParamvalue string_value(const std::u16string& text) {
  VynParamvalue value{};
  value.type = VYN_PARAM_STRING;
  std::copy(text.begin(), text.end(), value.value.as_string);
  return value;
}

TEST_F(ModelsTest, ParameterCreateAnswersFoundWhenItExistsAndValueSetFollows) {
  VynMdl part = load();
  VynModelitem owner{};
  ASSERT_EQ(Behaviour<HostApi::VynMdlToModelitem>::run(1, part, &owner), 0);
  // The plug-in's parameter record; its layout is the host's, the host keeps it by address.
  alignas(8) unsigned char storage[128] = {};
  auto* parameter = reinterpret_cast<VynParameter*>(storage);

  VynParamvalue first = string_value(u"Bracket, left");
  ASSERT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &owner, u"DESCRIPTION", &first, parameter), 0);
  auto stored = yrlhost::host_parameter_value(owner, "DESCRIPTION");
  ASSERT_TRUE(stored.has_value());
  EXPECT_EQ(std::u16string(stored->value.as_string), u"Bracket, left");

  VynParamvalue second = string_value(u"Bracket, right");
  EXPECT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &owner, u"DESCRIPTION", &second, parameter),
            VYN_TK_E_FOUND);
  EXPECT_EQ(std::u16string(yrlhost::host_parameter_value(owner, "DESCRIPTION")->value.as_string),
            u"Bracket, left");
  EXPECT_EQ(Behaviour<HostApi::VynParameterValueSet>::run(1, parameter, &second), 0);
  EXPECT_EQ(std::u16string(yrlhost::host_parameter_value(owner, "DESCRIPTION")->value.as_string),
            u"Bracket, right");

  VynParamvalue bad{};
  bad.type = 55;
  EXPECT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &owner, u"MODELED_BY", &bad, parameter),
            VYN_TK_BAD_INPUTS);
  VynParamvalue unterminated{};
  unterminated.type = VYN_PARAM_STRING;
  std::fill_n(unterminated.value.as_string, VYN_PARAM_STRING_SIZE, u'x');
  EXPECT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &owner, u"MODELED_BY", &unterminated,
                                                        parameter),
            VYN_TK_BAD_INPUTS);
  EXPECT_FALSE(yrlhost::host_parameter_value(owner, "MODELED_BY").has_value());
  alignas(8) unsigned char unknown[128] = {};
  EXPECT_EQ(Behaviour<HostApi::VynParameterValueSet>::run(1, reinterpret_cast<VynParameter*>(unknown),
                                                          &second),
            VYN_TK_BAD_INPUTS);
  VynModelitem stale_owner{2, 999, part};
  EXPECT_EQ(Behaviour<HostApi::VynParameterCreate>::run(1, &stale_owner, u"X", &first, parameter),
            VYN_TK_BAD_INPUTS);

  // A copy takes its template's parameters; an erased model's parameter record is stale.
  VynMdl copy = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynMdlCopy>::run(1, part, u"COPY", &copy), 0);
  VynModelitem copy_item{};
  Behaviour<HostApi::VynMdlToModelitem>::run(1, copy, &copy_item);
  EXPECT_TRUE(yrlhost::host_parameter_value(copy_item, "DESCRIPTION").has_value());
  Behaviour<HostApi::VynMdlErase>::run(1, part);
  EXPECT_EQ(Behaviour<HostApi::VynParameterValueSet>::run(1, parameter, &first), VYN_TK_BAD_INPUTS);
}

// ---- Notifications -------------------------------------------------------------------

std::vector<VynMdl> retrieved;
std::vector<VynMdl> current_at_retrieve;

VynError record_retrieve(VynMdl model) {
  retrieved.push_back(model);
  current_at_retrieve.push_back(yrlhost::host_current_model());
  return 0;
}

class NotificationTest : public ModelsTest {
 protected:
  void SetUp() override {
    ModelsTest::SetUp();
    retrieved.clear();
    current_at_retrieve.clear();
  }
  void set_retrieve(VynNotificationFunction function) {
    ASSERT_EQ(Behaviour<HostApi::VynNotificationSet>::run(1, 18, function), 0);
  }
};

TEST_F(NotificationTest, RetrieveNotificationFiresOnLoadOnlyWhileSet) {
  set_retrieve(reinterpret_cast<VynNotificationFunction>(&record_retrieve));
  VynMdl part = load();
  load();  // already in session: not retrieved again
  EXPECT_EQ(retrieved, std::vector<VynMdl>{part});

  set_retrieve(nullptr);
  EXPECT_EQ(yrlhost::host_notification_function(18), nullptr);
  load("mmns_part_solid.prt");
  EXPECT_EQ(retrieved.size(), 1u);
  EXPECT_EQ(Behaviour<HostApi::VynNotificationSet>::run(1, -1, nullptr), VYN_TK_BAD_INPUTS);
}

TEST_F(NotificationTest, RetrieveNotificationFiresOnOpeningADrawingWhichIsThenCurrent) {
  std::string error;
  VynMdl drawing = yrlhost::host_model_create(4, "PLATE_DRW", error);
  std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
  yrlhost::host_models_erase_all();
  set_retrieve(reinterpret_cast<VynNotificationFunction>(&record_retrieve));
  VynMdl opened = yrlhost::host_model_read(lines, "plate.drw", error);
  ASSERT_NE(opened, nullptr) << error;
  EXPECT_EQ(retrieved, std::vector<VynMdl>{opened});
  EXPECT_EQ(current_at_retrieve, std::vector<VynMdl>{opened});
}

}  // namespace
