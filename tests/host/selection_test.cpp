// Selections, the selection function driven by the scripted user's picks, highlights and
// mouse input.
#include "host/display/selection.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin/call_log.h"
#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/plugin/host_table.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "host/store/models.h"
#include "host/store/drawings.h"
#include "host/script/script.h"
#include "host/script/script_text.h"
#include "tests/host/host_test.h"

namespace {

using yrlhost::Behaviour;
using yrlhost::HostApi;
using yrlhost::LiveKind;
using yrlhost::live_object_count;

using Item = std::pair<int, int>;  // type, id

class Selection : public yrltest::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    open_drawing();
  }

  // A current drawing whose draft entities 1 to 9 are lines from (0, id) to (10, id),
  // entity 6 hidden, with dimension 14 and notes 15 and 16.
  void open_drawing() {
    std::string error;
    drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "DRW0001", error);
    ASSERT_NE(drawing, nullptr) << error;
    for (int id = 1; id <= 9; ++id) {
      yrlhost::DraftEntity entity;
      entity.id = id;
      entity.hidden = id == 6;
      const double end1[3] = {0, double(id), 0}, end2[3] = {10, double(id), 0};
      entity.curve = yrlhost::draft_line(end1, end2);
      ASSERT_EQ(yrlhost::host_entity_add(drawing, entity, error), id) << error;
    }
    yrlhost::DrawingDimension dimension;
    dimension.id = 14;
    ASSERT_EQ(yrlhost::host_dimension_add(drawing, dimension, error), 14) << error;
    for (int id : {15, 16}) {
      yrlhost::DraftNote note;
      note.id = id;
      note.lines = {u"NOTE"};
      ASSERT_EQ(yrlhost::host_note_add(drawing, note, error), id) << error;
    }
  }

  static void push(const std::string& line) {
    std::string error;
    ASSERT_TRUE(yrlhost::script_push_text(line, error)) << line << ": " << error;
  }

  static VynError select(const char* filter, int max_count, VynArray* array, int* count,
                         VynSelectionEnv env = nullptr) {
    return Behaviour<HostApi::VynSelect>::run(1, filter, max_count, nullptr, nullptr, env, 0,
                                              array, count);
  }

  static VynSelection alloc(int type, int id) {
    VynModelitem item{type, id, nullptr};
    VynSelection selection = nullptr;
    EXPECT_EQ(Behaviour<HostApi::VynSelectionAlloc>::run(1, nullptr, &item, &selection), 0);
    return selection;
  }

  static Item item_of(VynSelection selection) {
    VynModelitem item{};
    EXPECT_EQ(Behaviour<HostApi::VynSelectionModelitemGet>::run(1, selection, &item), 0);
    return {item.type, item.id};
  }

  // The items of an answer of the selection function.
  static std::vector<Item> items_of(VynArray array, int count) {
    std::vector<Item> items;
    for (int i = 0; i < count; ++i) items.push_back(item_of(static_cast<VynSelection*>(array)[i]));
    return items;
  }

  static void free_selection(VynSelection selection) {
    EXPECT_EQ(Behaviour<HostApi::VynSelectionFree>::run(1, &selection), 0);
  }

  VynMdl drawing = nullptr;
};

TEST_F(Selection, FilterWordsMapToItemTypes) {
  struct Case {
    const char* filter;
    bool known;
    std::vector<int> types;
  } cases[] = {
      {"draft_ent", true, {77}},
      {"dimension,any_note", true, {8, 28, 68, 69}},
      {" draft_ent , any_note ", true, {77, 68, 69}},
      {"feature,surface,datum,layer", true, {3, 5, 176, 117}},
      {"", false, {}},
      {"draft_ent,", false, {}},
      {"Draft_Ent", false, {}},
      {"draft_entity", false, {}},
  };
  for (const Case& c : cases) {
    std::vector<int> types;
    EXPECT_EQ(yrlhost::selection_filter_types(c.filter, types), c.known) << c.filter;
    EXPECT_EQ(types, c.types) << c.filter;
  }
}

TEST_F(Selection, SelectTakesThePicksTheFilterAllowsUpToTheMaximum) {
  struct Case {
    const char* filter;
    int max_count;
    std::vector<std::string> script;
    std::vector<Item> taken;
    std::vector<Item> refused;
  } cases[] = {
      {"draft_ent", -1, {"pick 77 1 + 77 2"}, {{77, 1}, {77, 2}}, {}},
      {"draft_ent", 1, {"pick 77 1 + 77 2 + 77 3"}, {{77, 1}}, {}},
      {"draft_ent", 0, {"pick 77 1 + 77 2"}, {{77, 1}, {77, 2}}, {}},
      {"dimension,any_note", -1, {"pick 77 1 + 8 14 + 68 15"}, {{8, 14}, {68, 15}}, {{77, 1}}},
      // A pick the filter refuses whole leaves the user picking again.
      {"draft_ent", 1, {"pick 68 15 + 8 14", "pick 77 9"}, {{77, 9}}, {{68, 15}, {8, 14}}},
  };
  for (const Case& c : cases) {
    yrlhost::host_testing_reset();
    open_drawing();
    for (const std::string& line : c.script) push(line);
    VynArray array = nullptr;
    int count = -1;
    ASSERT_EQ(select(c.filter, c.max_count, &array, &count), 0) << c.filter;
    EXPECT_EQ(items_of(array, count), c.taken) << c.filter;
    EXPECT_EQ(yrlhost::host_array_size(array), count) << c.filter;
    std::vector<Item> refused;
    for (const VynModelitem& item : yrlhost::selection_refused())
      refused.push_back({item.type, item.id});
    EXPECT_EQ(refused, c.refused) << c.filter;
    EXPECT_TRUE(yrlhost::script_empty()) << c.filter;
    EXPECT_TRUE(yrlhost::script_failures().empty()) << c.filter;
  }
}

TEST_F(Selection, APickedSelectionKnowsItsWindowPointAndModel) {
  int accessory = 0;
  ASSERT_EQ(Behaviour<HostApi::VynAccessorywindowCreate>::run(1, u"PRT", 2, &accessory), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, accessory), 0);
  push("pick 77 1 1 4.5 6 0 + 77 2");
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(select("draft_ent", -1, &array, &count), 0);
  ASSERT_EQ(count, 2);
  auto* picked = static_cast<VynSelection*>(array);
  int windows[2] = {};
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(Behaviour<HostApi::VynSelectionWindowIdGet>::run(1, picked[i], &windows[i]), 0);
  EXPECT_EQ(windows[0], yrlhost::main_window_id);
  EXPECT_EQ(windows[1], accessory);  // no window given: the current one
  EXPECT_EQ(picked[0]->point[0], 4.5);
  EXPECT_EQ(picked[0]->point[1], 6);
  VynModelitem item{};
  ASSERT_EQ(Behaviour<HostApi::VynSelectionModelitemGet>::run(1, picked[0], &item), 0);
  EXPECT_EQ(item.owner, yrlhost::host_current_model());
}

// The answer stays the host's until the next selection: what the plug-in keeps it copies.
TEST_F(Selection, TheHostFreesItsLastAnswerAtTheNextSelection) {
  push("pick 77 1 + 77 2 + 77 3");
  push("abort");
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(select("draft_ent", -1, &array, &count), 0);
  ASSERT_EQ(count, 3);
  auto* picked = static_cast<VynSelection*>(array);
  VynSelection kept = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionCopy>::run(1, picked[0], &kept), 0);
  free_selection(picked[1]);  // the plug-in may free one itself
  EXPECT_EQ(live_object_count(LiveKind::selection), 3u);

  VynArray second = nullptr;
  ASSERT_EQ(select("draft_ent", -1, &second, &count), -3);
  EXPECT_EQ(live_object_count(LiveKind::selection), 1u);
  EXPECT_EQ(live_object_count(LiveKind::array), 0u);
  EXPECT_EQ(item_of(kept), (Item{77, 1}));
  free_selection(kept);
  EXPECT_EQ(live_object_count(LiveKind::selection), 0u);
}

TEST_F(Selection, AnAbortAnswersItsStatusWithNothingPicked) {
  struct Case {
    const char* line;
    VynError status;
  } cases[] = {{"abort", -3}, {"abort -14", yrlhost::selection_left_by_menu}};
  for (const Case& c : cases) {
    push(c.line);
    VynArray array = reinterpret_cast<VynArray>(0x1234);  // the caller's own, left alone
    int count = -1;
    EXPECT_EQ(select("draft_ent", 1, &array, &count), c.status) << c.line;
    EXPECT_EQ(count, 0) << c.line;
    EXPECT_EQ(array, reinterpret_cast<VynArray>(0x1234)) << c.line;
  }
  EXPECT_TRUE(yrlhost::script_failures().empty());
  EXPECT_EQ(live_object_count(LiveKind::selection), 0u);
}

TEST_F(Selection, AMenuPressLeavesTheSelectionAndStaysForTheTopLevel) {
  push("menu Yrlform Help");
  VynArray array = nullptr;
  int count = -1;
  EXPECT_EQ(select("draft_ent", 1, &array, &count), yrlhost::selection_left_by_menu);
  EXPECT_EQ(count, 0);
  EXPECT_TRUE(yrlhost::script_failures().empty());
  ASSERT_EQ(yrlhost::script_size(), 1u);
  EXPECT_EQ(yrlhost::script_front()->kind, yrlhost::ScriptActionKind::menu_press);
}

TEST_F(Selection, AScriptThatDoesNotPickFailsAndAnswersTheUsersAbort) {
  VynArray array = nullptr;
  int count = -1;
  EXPECT_EQ(select("draft_ent", 1, &array, &count), -3);  // empty script
  EXPECT_EQ(count, 0);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);

  push("press yrlselobj Close");
  EXPECT_EQ(select("draft_ent", 1, &array, &count), -3);
  std::vector<std::string> failures = yrlhost::script_take_failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("press yrlselobj Close"), std::string::npos) << failures[0];
  EXPECT_EQ(yrlhost::script_size(), 1u);  // left for whoever waits for it
  EXPECT_EQ(array, nullptr);
}

// A pick names an item the model in the pick's window has and shows; any other pick is a
// script failure, answered as the user's abort with nothing picked and the pick used up.
TEST_F(Selection, APickOfAnItemTheModelDoesNotShowFailsTheScript) {
  struct Case {
    const char* pick;
    const char* failure;  // a part of the failure text
  } cases[] = {
      {"pick 77 12345", "DRW0001 has no item 77 12345"},
      {"pick 77 6", "item 77 6 of DRW0001 is hidden"},
      {"pick 77 1 + 77 6", "is hidden"},  // one bad item spoils the pick
      {"pick 68 7", "has no item 68 7"},
      {"pick 77 1 9", "there is no window 9"},
      {"pick 3 1", "has no item 3 1"},  // a drawing has no features
  };
  for (const Case& c : cases) {
    push(c.pick);
    push("pick 77 2");
    VynArray array = nullptr;
    int count = -1;
    EXPECT_EQ(select("draft_ent,any_note,feature", -1, &array, &count), -3) << c.pick;
    EXPECT_EQ(count, 0) << c.pick;
    std::vector<std::string> failures = yrlhost::script_take_failures();
    ASSERT_EQ(failures.size(), 1u) << c.pick;
    EXPECT_NE(failures[0].find(c.failure), std::string::npos) << failures[0];
    EXPECT_NE(failures[0].find(c.pick), std::string::npos) << failures[0];
    EXPECT_EQ(yrlhost::script_size(), 1u) << c.pick;  // the next pick stays
    yrlhost::script_clear();
  }
  EXPECT_EQ(live_object_count(LiveKind::selection), 0u);

  // A deleted entity is no longer there.
  ASSERT_TRUE(yrlhost::host_entity_delete(drawing, 3));
  push("pick 77 3");
  VynArray array = nullptr;
  int count = -1;
  EXPECT_EQ(select("draft_ent", 1, &array, &count), -3);
  ASSERT_EQ(yrlhost::script_take_failures().size(), 1u);

  // No model at all: the window shows none.
  yrlhost::host_models_erase_all();
  push("pick 77 1");
  EXPECT_EQ(select("draft_ent", 1, &array, &count), -3);
  std::vector<std::string> failures = yrlhost::script_take_failures();
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("window 1 shows no model"), std::string::npos) << failures[0];
}

// The models module's own items are picked in the model their window shows: the features
// of a part previewed in an accessory window, shown while visible.
TEST_F(Selection, FeaturesArePickedInThePartTheirWindowShows) {
  std::string error;
  VynMdl part = yrlhost::host_model_create(yrlhost::model_type_part, "PRT0001", error);
  ASSERT_NE(part, nullptr) << error;
  int shown = yrlhost::host_feature_add(part, yrlhost::feature_type_datum_plane, "TOP", {});
  int blanked = yrlhost::host_feature_add(part, yrlhost::feature_type_datum_plane, "FRONT", {});
  ASSERT_TRUE(yrlhost::host_feature_state_set(part, blanked, yrlhost::feature_status_active, false));
  ASSERT_TRUE(yrlhost::host_model_make_current(drawing));
  int preview = 0;
  ASSERT_EQ(Behaviour<HostApi::VynAccessorywindowCreate>::run(1, u"PRT0001", 2, &preview), 0);
  ASSERT_EQ(Behaviour<HostApi::VynMdlDisplay>::run(1, part), 0);
  ASSERT_EQ(Behaviour<HostApi::VynWindowCurrentSet>::run(1, yrlhost::main_window_id), 0);

  push("pick 3 " + std::to_string(shown) + " " + std::to_string(preview));
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(select("feature", 1, &array, &count), 0);
  ASSERT_EQ(count, 1);
  VynModelitem item{};
  ASSERT_EQ(Behaviour<HostApi::VynSelectionModelitemGet>::run(1, static_cast<VynSelection*>(array)[0], &item), 0);
  EXPECT_EQ(item.owner, part);
  EXPECT_EQ(item.id, shown);

  push("pick 3 " + std::to_string(blanked) + " " + std::to_string(preview));
  EXPECT_EQ(select("feature", 1, &array, &count), -3);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
  push("pick 3 " + std::to_string(shown));  // the main window shows the drawing
  EXPECT_EQ(select("feature", 1, &array, &count), -3);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
}

// What the filter record's function saw of each pick offered to it.
struct FilterSeen {
  std::vector<Item> items;
  std::vector<double> parameters;
  std::vector<int> refused_ids;
  bool free_it = false;  // frees the selection it is handed
};

VynError refusing_filter(VynSelection selection, void* app_data) {
  auto* seen = static_cast<FilterSeen*>(app_data);
  VynModelitem item{};
  double uv[2] = {-1, -1};
  if (Behaviour<HostApi::VynSelectionModelitemGet>::run(1, selection, &item) != 0 ||
      Behaviour<HostApi::VynSelectionUvParamGet>::run(1, selection, uv) != 0)
    return VYN_TK_GENERAL_ERROR;
  seen->items.push_back({item.type, item.id});
  seen->parameters.push_back(uv[0]);
  if (seen->free_it) Behaviour<HostApi::VynSelectionFree>::run(1, &selection);
  for (int id : seen->refused_ids)
    if (item.id == id) return VYN_TK_GENERAL_ERROR;
  return VYN_TK_NO_ERROR;
}

// The host calls the filter record's function on each pick the filter text allows, up to
// the maximum, and asks the user again while it refuses them all.
TEST_F(Selection, AFilterThatRefusesMakesTheUserPickAgain) {
  struct Case {
    std::vector<int> refused_ids;
    bool free_it;
    int max_count;
    std::vector<std::string> script;
    std::vector<Item> offered;
    std::vector<Item> taken;
  } cases[] = {
      {{2}, false, 1, {"pick 77 2", "pick 77 3"}, {{77, 2}, {77, 3}}, {{77, 3}}},
      {{2}, false, 1, {"pick 77 2 + 77 3 + 77 4"}, {{77, 2}, {77, 3}}, {{77, 3}}},
      {{2}, false, -1, {"pick 77 2 + 68 15 + 77 4"}, {{77, 2}, {77, 4}}, {{77, 4}}},
      {{2, 3}, false, -1, {"pick 77 2 + 77 3", "pick 77 3", "pick 77 1"},
       {{77, 2}, {77, 3}, {77, 3}, {77, 1}}, {{77, 1}}},
      {{}, true, 1, {"pick 77 2", "abort"}, {{77, 2}}, {}},  // freed: refused
  };
  // Through the table, as the plug-in calls it.
  const std::vector<win_export_entry> table = yrlhost::host_table_build();
  auto select_function = yrlhost::host_function<HostApi::VynSelect>(table);
  for (const Case& c : cases) {
    yrlhost::host_testing_reset();
    open_drawing();
    for (const std::string& line : c.script) push(line);
    FilterSeen seen;
    seen.refused_ids = c.refused_ids;
    seen.free_it = c.free_it;
    VynSelectionFilter record{refusing_filter, &seen};
    VynArray array = nullptr;
    int count = -1;
    VynError status =
        select_function(1, "draft_ent", c.max_count, nullptr, &record, nullptr, 0, &array, &count);
    EXPECT_EQ(status, c.taken.empty() ? -3 : 0) << c.script[0];
    EXPECT_EQ(seen.items, c.offered) << c.script[0];
    EXPECT_EQ(c.taken.empty() ? std::vector<Item>{} : items_of(array, count), c.taken) << c.script[0];
    EXPECT_TRUE(yrlhost::script_empty()) << c.script[0];
    EXPECT_TRUE(yrlhost::script_failures().empty()) << c.script[0];
    // Refused picks leave no selection behind; the taken ones are the answer's.
    EXPECT_EQ(live_object_count(LiveKind::selection), c.taken.size()) << c.script[0];
  }

  // A record without a function takes every pick.
  VynSelectionFilter none{nullptr, nullptr};
  push("pick 77 2 + 77 3");
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(select_function(1, "draft_ent", -1, nullptr, &none, nullptr, 0, &array, &count), 0);
  EXPECT_EQ(count, 2);
}

// Without U V in the script the parameter along the picked curve comes from the pick
// point; without a point either, the user picked the curve's middle.
TEST_F(Selection, AParameterAlongThePickedCurveComesFromThePickPoint) {
  std::string error;
  const double end1[3] = {0, 0, 0}, end2[3] = {10, 0, 0};
  ASSERT_TRUE(yrlhost::host_entity_curve_set(drawing, 7, yrlhost::draft_line(end1, end2), error)) << error;
  struct Case {
    const char* pick;
    double u;
    double point[3];
  } cases[] = {
      {"pick 77 7 1 2.5 3 0", 0.25, {2.5, 3, 0}},
      {"pick 77 7 1 12 0 0", 1.0, {12, 0, 0}},
      {"pick 77 7 1 2.5 3 0 0.75 0.5", 0.75, {2.5, 3, 0}},  // the script's own
      {"pick 77 7", 0.5, {5, 0, 0}},
      {"pick 68 15 1 4 4 0", 0.0, {4, 4, 0}},  // a note has no curve
  };
  for (const Case& c : cases) {
    push(c.pick);
    VynArray array = nullptr;
    int count = 0;
    ASSERT_EQ(select("draft_ent,any_note", 1, &array, &count), 0) << c.pick;
    ASSERT_EQ(count, 1);
    VynSelection picked = static_cast<VynSelection*>(array)[0];
    double uv[2] = {-1, -1};
    ASSERT_EQ(Behaviour<HostApi::VynSelectionUvParamGet>::run(1, picked, uv), 0);
    EXPECT_EQ(uv[0], c.u) << c.pick;
    EXPECT_EQ(std::vector<double>(picked->point, picked->point + 3),
              std::vector<double>(c.point, c.point + 3))
        << c.pick;
  }
}

TEST_F(Selection, ChecksAheadOfThePickRunFirst) {
  bool checked = false;
  yrlhost::ScriptAction check;
  check.run = [&checked] { checked = true; };
  yrlhost::script_push(check);
  push("pick 77 3");
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(select("draft_ent", 1, &array, &count), 0);
  EXPECT_TRUE(checked);
  EXPECT_EQ(items_of(array, count), (std::vector<Item>{{77, 3}}));
}

TEST_F(Selection, BadSelectInputsAreRefusedWithoutTakingTheUsersAction) {
  push("pick 77 1");
  VynArray array = nullptr;
  int count = 0;
  VynSelectionEnvOption option{1, 1};
  VynSelectionEnv env = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionEnvAlloc>::run(1, &option, 1, &env), 0);
  VynSelectionEnv stale = env;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionEnvFree>::run(1, reinterpret_cast<VynWord>(env)), 0);

  EXPECT_EQ(select(nullptr, 1, &array, &count), -2);
  EXPECT_EQ(select("draft_entity", 1, &array, &count), -2);
  EXPECT_EQ(select("draft_ent", 1, nullptr, &count), -2);
  EXPECT_EQ(select("draft_ent", 1, &array, nullptr), -2);
  EXPECT_EQ(select("draft_ent", 1, &array, &count, stale), -2);
  EXPECT_EQ(yrlhost::script_size(), 1u);
}

TEST_F(Selection, SelectThroughTheTableIsLogged) {
  auto table = yrlhost::host_table_build();
  auto select_function = yrlhost::host_function<HostApi::VynSelect>(table);
  ASSERT_NE(select_function, nullptr);
  push("pick 77 5");
  VynArray array = nullptr;
  int count = 0;
  EXPECT_EQ(select_function(7, "draft_ent", 1, nullptr, nullptr, nullptr, 0, &array, &count), 0);
  EXPECT_EQ(count, 1);
  auto calls = yrlhost::call_log_of("VynSelect_v");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].context, 7);
  EXPECT_EQ(calls[0].result, 0);
}

TEST_F(Selection, AllocCopyAndFreeKeepTheLiveCount) {
  VynSelection first = alloc(77, 4);
  VynSelection copy = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionCopy>::run(1, first, &copy), 0);
  EXPECT_NE(copy, first);
  EXPECT_EQ(item_of(copy), (Item{77, 4}));
  EXPECT_EQ(live_object_count(LiveKind::selection), 2u);

  VynSelection variable = first;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionFree>::run(1, &variable), 0);
  EXPECT_EQ(variable, nullptr);
  VynSelection stale = first;
  EXPECT_EQ(Behaviour<HostApi::VynSelectionFree>::run(1, &stale), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionFree>::run(1, nullptr), -2);
  VynModelitem item{};
  EXPECT_EQ(Behaviour<HostApi::VynSelectionModelitemGet>::run(1, first, &item), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionCopy>::run(1, first, &variable), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionModelitemGet>::run(1, copy, nullptr), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionAlloc>::run(1, nullptr, nullptr, &variable), -2);
  free_selection(copy);
  EXPECT_EQ(live_object_count(LiveKind::selection), 0u);
}

TEST_F(Selection, ParametersAndWindowOfAnAllocatedSelection) {
  VynSelection selection = alloc(68, 2);
  double uv[2] = {7, 7};
  ASSERT_EQ(Behaviour<HostApi::VynSelectionUvParamGet>::run(1, selection, uv), 0);
  EXPECT_EQ(uv[0], 0);
  EXPECT_EQ(uv[1], 0);
  const double set[2] = {0.25, 12};
  ASSERT_TRUE(yrlhost::selection_uv_set(selection, set));
  ASSERT_EQ(Behaviour<HostApi::VynSelectionUvParamGet>::run(1, selection, uv), 0);
  EXPECT_EQ(uv[0], 0.25);
  EXPECT_EQ(uv[1], 12);
  int window = 0;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionWindowIdGet>::run(1, selection, &window), 0);
  EXPECT_EQ(window, yrlhost::main_window_id);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionUvParamGet>::run(1, selection, nullptr), -2);
  free_selection(selection);
}

TEST_F(Selection, HighlightsAreRecordedPerItemAndARepaintClearsThem) {
  VynSelection a = alloc(77, 1);
  VynSelection b = alloc(77, 2);
  VynSelection a_again = alloc(77, 1);
  ASSERT_EQ(Behaviour<HostApi::VynSelectionHighlight>::run(1, a, 19), 0);
  ASSERT_EQ(Behaviour<HostApi::VynSelectionHighlight>::run(1, b, 19), 0);
  ASSERT_EQ(Behaviour<HostApi::VynSelectionHighlight>::run(1, a_again, 20), 0);
  EXPECT_EQ(yrlhost::highlight_colour(VynModelitem{77, 1, nullptr}), 20);
  EXPECT_EQ(yrlhost::highlight_count(), 2u);

  ASSERT_EQ(Behaviour<HostApi::VynSelectionUnhighlight>::run(1, a), 0);
  EXPECT_EQ(yrlhost::highlight_colour(VynModelitem{77, 1, nullptr}), std::nullopt);
  ASSERT_EQ(Behaviour<HostApi::VynWindowRepaint>::run(1, -1), 0);
  EXPECT_EQ(yrlhost::highlight_count(), 0u);

  free_selection(b);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionHighlight>::run(1, b, 19), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionUnhighlight>::run(1, nullptr), -2);
  free_selection(a);
  free_selection(a_again);
}

TEST_F(Selection, EnvironmentsAreLiveUntilFreed) {
  VynSelectionEnvOption options[3] = {{1, 0}, {2, 1}, {3, 1}};
  VynSelectionEnv env = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionEnvAlloc>::run(1, options, 3, &env), 0);
  EXPECT_EQ(env->options.size(), 3u);
  EXPECT_EQ(env->options[1].option, 2);
  EXPECT_EQ(live_object_count(LiveKind::selection_env), 1u);
  VynSelectionEnv other = nullptr;
  EXPECT_EQ(Behaviour<HostApi::VynSelectionEnvAlloc>::run(1, nullptr, 3, &other), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionEnvAlloc>::run(1, options, -1, &other), -2);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionEnvAlloc>::run(1, options, 3, nullptr), -2);
  ASSERT_EQ(Behaviour<HostApi::VynSelectionEnvFree>::run(1, reinterpret_cast<VynWord>(env)), 0);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionEnvFree>::run(1, reinterpret_cast<VynWord>(env)), -2);
  EXPECT_EQ(live_object_count(LiveKind::selection_env), 0u);
}

TEST_F(Selection, MousePickGivesTheClick) {
  push("mouse 1 10 20 0");
  int button = 0;
  double position[3] = {};
  ASSERT_EQ(Behaviour<HostApi::VynMousePickGet>::run(1, 8191, &button, position), 0);
  EXPECT_EQ(button, 1);
  EXPECT_EQ(position[0], 10);
  EXPECT_EQ(position[1], 20);
  EXPECT_TRUE(yrlhost::script_failures().empty());
}

// Fault: the box ignored its first point when the caller gave the start (the click that
// began it). The words mean what they say: "box X2 Y2 Z2" drags from where the button
// went down; "box X1 Y1 Z1 X2 Y2 Z2" drags from its first point, which must be that
// point when the caller gives one; without a start from either, the box is a script
// failure.
TEST_F(Selection, TheBoxWordsSayWhereTheBoxRuns) {
  const double click[3] = {10, 20, 0};
  struct Case {
    const char* words;
    const double* start;  // what the caller gives
    VynError status;
    std::vector<double> box;
  };
  const Case cases[] = {
      {"box 50 60 0", click, 0, {10, 20, 0, 50, 60, 0}},
      {"box 10 20 0 50 60 0", click, 0, {10, 20, 0, 50, 60, 0}},
      {"box 10.0000001 20 0 50 60 0", click, 0, {10, 20, 0, 50, 60, 0}},
      {"box 0 0 0 50 60 0", click, -3, {}},
      {"box 1 2 3 4 5 6", nullptr, 0, {1, 2, 3, 4, 5, 6}},
      {"box 4 5 6", nullptr, -3, {}},
  };
  for (const Case& c : cases) {
    push(c.words);
    double box[6] = {};
    EXPECT_EQ(Behaviour<HostApi::VynMouseBoxInput>::run(1, c.start, box), c.status) << c.words;
    if (c.status == 0) {
      EXPECT_EQ(std::vector<double>(box, box + 6), c.box) << c.words;
    }
    EXPECT_EQ(yrlhost::script_take_failures().size(), c.status == 0 ? 0u : 1u) << c.words;
    EXPECT_TRUE(yrlhost::script_empty()) << c.words;
  }
}

TEST_F(Selection, MouseCallsWithoutTheirActionFailTheScript) {
  int button = 0;
  double position[3] = {};
  double box[6] = {};
  EXPECT_EQ(Behaviour<HostApi::VynMousePickGet>::run(1, 8191, &button, position), -3);
  EXPECT_EQ(Behaviour<HostApi::VynMouseBoxInput>::run(1, position, box), -3);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 2u);

  push("box 1 1 0");
  EXPECT_EQ(Behaviour<HostApi::VynMousePickGet>::run(1, 8191, &button, position), -3);
  push("pick 77 1");
  EXPECT_EQ(Behaviour<HostApi::VynMousePickGet>::run(1, 8191, nullptr, position), -2);
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1u);
  EXPECT_EQ(yrlhost::script_size(), 2u);

  yrlhost::script_clear();
  yrlhost::ScriptAction right_drag;
  right_drag.kind = yrlhost::ScriptActionKind::mouse_box;
  right_drag.button = 3;
  yrlhost::script_push(right_drag);
  EXPECT_EQ(Behaviour<HostApi::VynMouseBoxInput>::run(1, position, box), -3);
  EXPECT_TRUE(yrlhost::script_failures().empty());
}

}  // namespace

namespace {

// The host frees its last answer at the next selection, but never an array the plug-in
// freed itself, even when a new array took that array's address.
TEST_F(Selection, AnAnswerArrayThePluginFreedIsNotFreedAgain) {
  push("pick 77 1");
  push("pick 77 2 1 0 0 0 0.25 0.75");
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(select("draft_ent", 1, &array, &count), 0);
  ASSERT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &array), 0);
  VynArray own = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynArrayAlloc>::run(1, 1, sizeof(VynSelection), 1, &own), 0);

  ASSERT_EQ(select("draft_ent", 1, &array, &count), 0);
  EXPECT_TRUE(yrlhost::host_array_is(own));
  ASSERT_EQ(count, 1);
  double uv[2] = {0, 0};
  ASSERT_EQ(Behaviour<HostApi::VynSelectionUvParamGet>::run(1, static_cast<VynSelection*>(array)[0], uv), 0);
  EXPECT_EQ(uv[0], 0.25);
  EXPECT_EQ(uv[1], 0.75);
  EXPECT_EQ(Behaviour<HostApi::VynArrayFree>::run(1, &own), 0);
}

}  // namespace

namespace {

// Selections and environments the plug-in never freed are the host's to free at the
// reset (the leak checker reports them otherwise); the reset leaves none live.
TEST_F(Selection, TheResetFreesSelectionsAndEnvironmentsLeftBehind) {
  VynSelection selection = alloc(3, 1);
  VynSelection copy = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionCopy>::run(1, selection, &copy), 0);
  VynSelectionEnvOption option{};
  VynSelectionEnv env = nullptr;
  ASSERT_EQ(Behaviour<HostApi::VynSelectionEnvAlloc>::run(1, &option, 1, &env), 0);
  EXPECT_EQ(live_object_count(LiveKind::selection), 2u);

  yrlhost::host_testing_reset();
  EXPECT_EQ(live_object_count(LiveKind::selection), 0u);
  EXPECT_EQ(live_object_count(LiveKind::selection_env), 0u);
  EXPECT_EQ(Behaviour<HostApi::VynSelectionFree>::run(1, &copy), -2);
}

}  // namespace

namespace {

class SelectionDeathTest : public Selection {};

// A plug-in that retries a selection for as long as the user aborts would spin for ever
// once the script is dry; the host ends the program instead and says why.
TEST_F(SelectionDeathTest, APluginRetryingOnADryScriptIsStopped) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        VynArray array = nullptr;
        int count = 0;
        for (int i = 0; i < 100000; ++i) select("draft_ent", 1, &array, &count);
      },
      "script failures in a row");
}

// Failures that the script moves past between them are not a loop.
TEST_F(Selection, FailuresWithActionsTakenBetweenThemDoNotEndTheProgram) {
  VynArray array = nullptr;
  int count = 0;
  for (int i = 0; i < 1500; ++i) {
    push("mouse 1 0 0 0");
    EXPECT_EQ(select("draft_ent", 1, &array, &count), -3);
    double point[3];
    int button = 0;
    EXPECT_EQ(Behaviour<HostApi::VynMousePickGet>::run(1, 0, &button, point), 0);
  }
  EXPECT_EQ(yrlhost::script_take_failures().size(), 1500u);
}

}  // namespace
