// The active part, the part's datum planes and the named-plane list, through the
// stand-in host's models.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/viewdata.h"
#include "runtime/text/lang.h"
#include "toolkit/local/local_param.h"
#include "host/plugin/call_log.h"
#include "host/store/extdata.h"
#include "host/util/host_arrays.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "tests/app/util/apputil_fixture.h"

namespace {

class ActivePart : public yrltest::UtilTest {};

bool same_item(const VynModelitem& a, const VynModelitem& b) {
  return a.type == b.type && a.id == b.id && a.owner == b.owner;
}

std::string stored_active_name() {
  char name[YRL_STORE_STRING_SIZE] = "";
  EXPECT_EQ(YrlActiveStringRetrieve("ACTIVE_PART", name), 0);
  return name;
}

TEST_F(ActivePart, SetGetAndTheStoredName) {
  VynMdl part = template_part("PRT0001");
  ASSERT_EQ(YrlActiveClassRegister(), 0);

  VynMdl got = part;
  EXPECT_EQ(YrlActiveModelGet(&got), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(YrlActiveModelGet(nullptr), VYN_TK_E_NOT_FOUND);

  EXPECT_EQ(YrlActiveModelSet(part), 0);
  EXPECT_EQ(YrlActiveModelGet(&got), 0);
  EXPECT_EQ(got, part);
  char name[YRL_MODEL_NAME_SIZE] = "x";
  YrlActiveModelNameGet(name);
  EXPECT_STREQ(name, "PRT0001");
  YrlActiveModelNameGet(nullptr);
  EXPECT_EQ(stored_active_name(), "PRT0001");

  // Clearing stores nothing: the slot keeps the last name.
  EXPECT_EQ(YrlActiveModelSet(nullptr), 0);
  EXPECT_EQ(YrlActiveModelGet(&got), VYN_TK_E_NOT_FOUND);
  YrlActiveModelNameGet(name);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(stored_active_name(), "PRT0001");
}

TEST_F(ActivePart, SetByNameComparesExactly) {
  VynMdl a = template_part("PRT_A");
  VynMdl b = template_part("PRT_B");
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  VynMdl got = nullptr;

  EXPECT_EQ(YrlActiveModelNameSet("PRT_B"), 0);
  YrlActiveModelGet(&got);
  EXPECT_EQ(got, b);
  EXPECT_EQ(YrlActiveModelNameSet("PRT_A"), 0);
  YrlActiveModelGet(&got);
  EXPECT_EQ(got, a);

  // Another case, or a drawing's name, is no part of the session: none is active.
  EXPECT_EQ(YrlActiveModelNameSet("prt_b"), 0);
  EXPECT_EQ(YrlActiveModelGet(&got), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlActiveModelNameSet("DRW0001"), 0);
  EXPECT_EQ(YrlActiveModelGet(&got), VYN_TK_E_NOT_FOUND);
  EXPECT_EQ(YrlActiveModelNameSet(std::string(300, 'P').c_str()), 0);
  EXPECT_EQ(YrlActiveModelGet(&got), VYN_TK_E_NOT_FOUND);

  // A listing or name failure stops and leaves the active part as it was.
  EXPECT_EQ(YrlActiveModelNameSet("PRT_A"), 0);
  yrlhost::call_log_fail_on_call("VynSessionMdlList_v", 1);
  EXPECT_EQ(YrlActiveModelNameSet("PRT_B"), -1);
  yrlhost::call_log_fail_on_call("VynMdlNameGet_v", 1);
  EXPECT_EQ(YrlActiveModelNameSet("PRT_B"), -1);
  YrlActiveModelGet(&got);
  EXPECT_EQ(got, a);
  EXPECT_EQ(YrlActiveModelNameSet(nullptr), VYN_TK_BAD_INPUTS);
}

TEST_F(ActivePart, ReopenedDrawingRestoresTheActivePart) {
  VynMdl part = template_part("PRT0001");
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(part), 0);
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "drw0001.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  active_mdl = nullptr;

  // The host's retrieve notification reads the stored name back.
  VynMdl reopened = yrlhost::host_model_open("drw0001.drw", error);
  ASSERT_NE(reopened, nullptr) << error;
  VynMdl got = nullptr;
  EXPECT_EQ(YrlActiveModelGet(&got), 0);
  EXPECT_EQ(got, part);

  // A drawing without the slot leaves the active part alone and reports the read.
  new_drawing("DRW0002");
  EXPECT_NE(YrlModelRetrievePostActions(nullptr), 0);
  EXPECT_EQ(YrlActiveModelGet(&got), 0);
  EXPECT_EQ(got, part);
}

// The retrieve notification runs for every model the host retrieves; a part that is
// retrieved and made current gets no class of the drawing's.
TEST_F(ActivePart, RetrievingAPartRegistersNothingInIt) {
  VynMdl part = template_part("PRT0001");  // retrieved as the current model
  EXPECT_TRUE(yrlhost::extdata_save_lines(part).empty());

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(part, "prt0001.prt", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(part));
  VynMdl reopened = yrlhost::host_model_open("prt0001.prt", error);
  ASSERT_NE(reopened, nullptr) << error;
  EXPECT_EQ(yrlhost::host_current_model(), reopened);
  EXPECT_EQ(YrlModelRetrievePostActions(reopened), VYN_TK_E_NOT_FOUND);
  EXPECT_TRUE(yrlhost::extdata_save_lines(reopened).empty());
  EXPECT_EQ(yrltest::read_file("prt0001.prt").find("Y_A"), std::string::npos);
}

// A part name of multibyte characters is stored whole, so that reopening the drawing
// makes the same part active again.
TEST_F(ActivePart, AMultibytePartNameIsStoredWhole) {
  struct MultibyteLanguage {
    MultibyteLanguage() { vek::set_language(vek::LANG_JAPANESE); }
    ~MultibyteLanguage() { vek::reset_language(); }
  } language;
  // 31 characters, the most a model name has, each two bytes in the session's encoding.
  std::string utf8;
  std::u16string wide;
  for (int i = 0; i < 31; ++i) {
    utf8 += i % 2 ? "\xe5\x93\x81" : "\xe9\x83\xa8";  // U+54C1, U+90E8
    wide += i % 2 ? u'\u54c1' : u'\u90e8';
  }
  VynMdl part = template_part(utf8);
  ASSERT_EQ(YrlActiveClassRegister(), 0);
  ASSERT_EQ(YrlActiveModelSet(part), 0);

  char narrow[256];
  VynWstringToString(narrow, wide.c_str());
  ASSERT_EQ(std::strlen(narrow), 62u);
  char name[256] = "";
  YrlActiveModelNameGet(name);
  EXPECT_STREQ(name, narrow);
  VynWchar stored[YRL_STORE_STRING_SIZE] = {};
  ASSERT_EQ(YrlWstringRetrieve(&active_class, "ACTIVE_PART", stored), 0);
  EXPECT_EQ(std::u16string(stored), wide);

  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "drw0001.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  active_mdl = nullptr;
  ASSERT_NE(yrlhost::host_model_open("drw0001.drw", error), nullptr) << error;
  VynMdl got = nullptr;
  EXPECT_EQ(YrlActiveModelGet(&got), 0);
  EXPECT_EQ(got, part);
}

TEST_F(ActivePart, ModelInMemoryAndFirstFeature) {
  VynMdl part = template_part("Prt_Mixed");
  yrlhost::call_log_clear();
  int flag = -1;
  EXPECT_EQ(YrlCheckModelinMemory(u"pRT_mIXED", &flag), 0);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(YrlCheckModelinMemory(u"DRW0001", &flag), -1);  // a drawing, not a part
  EXPECT_EQ(flag, 0);
  EXPECT_EQ(YrlCheckModelinMemory(nullptr, &flag), -1);
  // The host's model list is freed either way.
  EXPECT_EQ(yrlhost::call_log_of("VynArrayFree_v").size(), 2u);

  EXPECT_EQ(YrlPartHasFirstFeat(part), 0);
  ASSERT_GT(yrlhost::host_feature_add(part, 917, "PROTRUSION", {}), 0);
  EXPECT_EQ(YrlPartHasFirstFeat(part), 1);
  VynMdl other = template_part("PRT0002");
  ASSERT_GT(yrlhost::host_feature_add(other, 0, "", {}), 0);
  EXPECT_EQ(YrlPartHasFirstFeat(other), 1);
}

class Datums : public yrltest::UtilTest {};

TEST_F(Datums, ByNameFirstSurfaceOfAnActivePlane) {
  VynMdl part = template_part("PRT0001");
  for (const char* name : {"TOP", "FRONT", "RIGHT"}) {
    SCOPED_TRACE(name);
    VynModelitem item = {};
    EXPECT_EQ(YrlDatumFindByName(part, name, &item), 1);
    EXPECT_TRUE(same_item(item, surface_of(part, name)));
    EXPECT_EQ(YrlDatumFind(part, name, nullptr), 1);  // no output asked: no write
  }
  const VynModelitem untouched = {1, 2, nullptr};
  VynModelitem item = untouched;
  EXPECT_EQ(YrlDatumFind(part, "BOTTOM", &item), 0);
  EXPECT_TRUE(same_item(item, untouched));
  EXPECT_EQ(YrlDatumFind(part, "PRT_CSYS_DEF", &item), 0);  // not a datum plane
  EXPECT_EQ(YrlDatumFind(part, nullptr, &item), 0);
  EXPECT_EQ(YrlDatumFind(part, std::string(40, 'T').c_str(), &item), 0);

  // A suppressed plane is not looked at.
  ASSERT_TRUE(yrlhost::host_feature_state_set(part, yrlhost::host_feature_find(part, "TOP"), 1, true));
  EXPECT_EQ(YrlDatumFind(part, "TOP", &item), 0);
  EXPECT_TRUE(same_item(item, untouched));
}

TEST_F(Datums, AtAPointWithANormal) {
  VynMdl part = template_part("PRT0001");
  yrlhost::HostPlane down = {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, 3, 0}};
  ASSERT_GT(yrlhost::host_feature_add(part, 923, "DOWN", {down}), 0);
  struct Case {
    const char* what;
    double point[3];
    double direction[3];
    const char* plane;  // null: none
  } cases[] = {
      {"on TOP", {3, 0, 7}, {0, 1, 0}, "TOP"},
      {"within 0.01 of RIGHT", {0.009, 4, 4}, {1, 0, 0}, "RIGHT"},
      {"on FRONT", {-2, 5, 0}, {0, 0, 1}, "FRONT"},
      {"off TOP", {3, 0.02, 7}, {0, 1, 0}, nullptr},
      {"direction the other way", {3, 0, 7}, {0, -1, 0}, "TOP"},
      {"plane whose normal points down", {1, 3, 1}, {0, 1, 0}, nullptr},
      {"slanted direction", {0, 0, 0}, {0, 0.6, 0.8}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VynModelitem item = {};
    EXPECT_EQ(YrlDatumFindAtPoint(part, c.point, c.direction, &item), c.plane ? 1 : 0);
    if (c.plane) {
      EXPECT_TRUE(same_item(item, surface_of(part, c.plane)));
    }
  }
}

TEST_F(Datums, ForAViewNameWithFallbacks) {
  VynMdl part = template_part("PRT0001");
  struct Case {
    const char* view;
    const char* plane;
  } cases[] = {{"TOP", "TOP"},     {"BOTTOM", "TOP"},  {"LEFT", "RIGHT"},
               {"REAR", "FRONT"},  {"FRONT", "FRONT"}, {"SIDE", nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.view);
    VynModelitem item = {};
    EXPECT_EQ(YrlDatumFindForViewName(part, c.view, &item), c.plane ? 1 : 0);
    if (c.plane) {
      EXPECT_TRUE(same_item(item, surface_of(part, c.plane)));
    }
    EXPECT_EQ(YrlDatumFindForViewName(part, c.view, nullptr), c.plane ? 1 : 0);
  }

  // A plane of the view's own name wins over the fallback.
  yrlhost::HostPlane bottom = {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0, -5, 0}};
  int id = yrlhost::host_feature_add(part, 923, "BOTTOM", {bottom});
  ASSERT_GT(id, 0);
  VynModelitem item = {};
  EXPECT_EQ(YrlDatumFindForViewName(part, "BOTTOM", &item), 1);
  EXPECT_EQ(item.id, id + 1);
}

TEST_F(Datums, ADetailViewUsesItsParentsPlane) {
  VynMdl part = template_part("PRT0001");
  ASSERT_EQ(YrlViewClassRegister(), 0);
  // "BOTTOM" holds draft entity 12; the detail view "DET_A" is placed by it.
  YrlViewData parent = {};
  parent.view_type = 1;
  parent.group_id = 4;
  std::strcpy(parent.view_name, "BOTTOM");
  parent.member_count = 1;
  parent.scale = 1.0;
  ASSERT_EQ(YrlViewDataWrite("BOTTOM", parent), 0);
  ASSERT_EQ(YrlViewIntegerSave("BOTTOM_0", 12), 0);
  YrlViewData detail = {};
  detail.view_type = 4;
  detail.group_id = 11;
  std::strcpy(detail.view_name, "DET_A");
  detail.position_id = 12;
  detail.scale = 1.0;
  ASSERT_EQ(YrlViewDataWrite("DET_A", detail), 0);

  VynModelitem item = {};
  EXPECT_EQ(YrlDatumFindForViewName(part, "DET_A", &item), 1);
  EXPECT_TRUE(same_item(item, surface_of(part, "TOP")));
}

// The list's entries as "id:name".
std::vector<std::string> names_list(int count, VynArray ids, VynArray names) {
  std::vector<std::string> entries;
  EXPECT_EQ(yrlhost::host_array_size(ids), count);
  EXPECT_EQ(yrlhost::host_array_size(names), count);
  EXPECT_EQ(yrlhost::host_array_element_size(ids), static_cast<int>(sizeof(int)));
  EXPECT_EQ(yrlhost::host_array_element_size(names), static_cast<int>(sizeof(VynWchar*)));
  for (int i = 0; i < count; ++i) {
    std::string name;
    for (const VynWchar* c = static_cast<VynWchar**>(names)[i]; *c; ++c) name += static_cast<char>(*c);
    entries.push_back(std::to_string(static_cast<int*>(ids)[i]) + ":" + name);
  }
  return entries;
}

void names_free(int count, VynArray* ids, VynArray* names) {
  for (int i = 0; i < count; ++i) std::free(static_cast<VynWchar**>(*names)[i]);
  EXPECT_EQ(VynArrayFree(names), 0);
  EXPECT_EQ(VynArrayFree(ids), 0);
}

TEST_F(Datums, NamesListOfVisibleActiveNamedPlanes) {
  VynMdl part = template_part("PRT0001");
  yrlhost::HostPlane slanted = {{1, 0, 0}, {0, 0.6, 0.8}, {0, -0.8, 0.6}, {0, 0, 0}};
  int dtm1 = yrlhost::host_feature_add(part, 923, "DTM1", {slanted});
  int hidden = yrlhost::host_feature_add(part, 923, "DTM2", {slanted});
  int unnamed = yrlhost::host_feature_add(part, 923, "", {slanted});
  ASSERT_GT(unnamed, 0);
  ASSERT_TRUE(yrlhost::host_feature_state_set(part, hidden, 0, false));

  int count = -1;
  VynArray ids = nullptr, names = nullptr;
  ASSERT_EQ(YrlDatumNamesGet(part, &count, &ids, &names), 0);
  ASSERT_EQ(count, 7);
  std::string d = std::to_string(dtm1);
  EXPECT_EQ(names_list(count, ids, names),
            (std::vector<std::string>{"1:RIGHT(Side1)", "1:RIGHT(Side2)", "3:TOP(Side1)",
                                      "3:TOP(Side2)", "5:FRONT(Side1)", "5:FRONT(Side2)", d + ":"}));
  names_free(count, &ids, &names);

  // A hidden plane in the middle is passed over; the rest still come.
  ASSERT_TRUE(yrlhost::host_feature_state_set(part, 3, 0, false));
  ASSERT_EQ(YrlDatumNamesGet(part, &count, &ids, &names), 0);
  EXPECT_EQ(names_list(count, ids, names),
            (std::vector<std::string>{"1:RIGHT(Side1)", "1:RIGHT(Side2)", "5:FRONT(Side1)",
                                      "5:FRONT(Side2)", d + ":"}));
  names_free(count, &ids, &names);

  // Outputs may be left out; a failing visit leaves the given ones zeroed.
  EXPECT_EQ(YrlDatumNamesGet(part, &count, nullptr, nullptr), 0);
  EXPECT_EQ(count, 5);
  yrlhost::call_log_fail_on_call("VynArrayObjectAdd_v", 3);
  ids = names = reinterpret_cast<VynArray>(1);
  EXPECT_EQ(YrlDatumNamesGet(part, &count, &ids, &names), -1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ids, nullptr);
  EXPECT_EQ(names, nullptr);
}

}  // namespace
