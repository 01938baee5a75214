// The selection dialog through the scripted user: single picks, boxes, chains, add and
// remove, the list dialog, and the current selection's bookkeeping.
#include "app/select/select.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/prefs/prefs.h"
#include "app/select/chain.h"
#include "app/storage/storage.h"
#include "app/views/viewdata.h"
#include "host/plugin/call_log.h"
#include "host/store/drawings.h"
#include "host/ui/messages.h"
#include "host/display/selection.h"
#include "host/dxf/dxf.h"
#include "host/ui/ui.h"
#include "tests/app/util/apputil_fixture.h"
#include "toolkit/api/app_api.h"

namespace {

constexpr double kPi = 3.141592653589793;
using Items = std::vector<std::pair<int, int>>;  // (type, id)

class Selection : public yrltest::UtilTest {
 protected:
  // Runs the dialog over the queued user actions and gives the items handed over.
  Items run_select(const char* filter = "draft_ent", int mode_word = 0, int* count_out = nullptr) {
    VynArray sels = nullptr;
    int count = -2;
    EXPECT_EQ(YrlSelect(filter, 100, nullptr, nullptr, nullptr, 0, &sels, &count, mode_word), 0);
    if (count_out) *count_out = count;
    Items items;
    for (int i = 0; sels && i < count; ++i) {
      VynSelection s = static_cast<VynSelection*>(sels)[i];
      VynModelitem item{};
      EXPECT_EQ(VynSelectionModelitemGet(s, &item), 0);
      items.emplace_back(item.type, item.id);
      VynSelectionFree(&s);
    }
    if (sels) VynArrayFree(&sels);
    return items;
  }

  static Items drafts(std::initializer_list<int> ids) {
    Items items;
    for (int id : ids) items.emplace_back(77, id);
    return items;
  }

  static Items sorted(Items items) {
    std::sort(items.begin(), items.end());
    return items;
  }

  // A closed rectangle of four lines (ids first .. first + 3) from (x, y) of w by h.
  void rectangle(int first, double x, double y, double w, double h) {
    line_entity(first, {x, y, 0}, {x + w, y, 0});
    line_entity(first + 1, {x + w, y + h, 0}, {x + w, y, 0});  // reversed on purpose
    line_entity(first + 2, {x + w, y + h, 0}, {x, y + h, 0});
    line_entity(first + 3, {x, y + h, 0}, {x, y, 0});
  }

  void dimension(int id, double x, double y, int sheet = 1) {
    yrlhost::DrawingDimension d;
    d.id = id;
    d.sheet = sheet;
    d.position[0] = x;
    d.position[1] = y;
    d.value = 1;
    std::string error;
    ASSERT_EQ(yrlhost::host_dimension_add(drawing, d, error), id) << error;
  }

  void note(int id, double x, double y, int sheet = 1) {
    yrlhost::DraftNote n;
    n.id = id;
    n.sheet = sheet;
    n.lines = {u"NOTE"};
    n.attachment.location[0] = x;
    n.attachment.location[1] = y;
    std::string error;
    ASSERT_EQ(yrlhost::host_note_add(drawing, n, error), id) << error;
  }

  // A declared view with its member entities.
  static void declare_view(const char* name, int type, int group, std::vector<int> members) {
    ASSERT_EQ(YrlAllClassRegister(), 0);
    YrlViewData r{};
    r.view_type = type;
    r.group_id = group;
    std::strcpy(r.view_name, name);
    r.scale = 1;
    r.member_count = static_cast<int>(members.size());
    ASSERT_EQ(YrlViewDataWrite(name, r), 0);
    for (std::size_t i = 0; i < members.size(); ++i) {
      std::string slot = std::string(name) + "_" + std::to_string(i);
      ASSERT_EQ(YrlViewIntegerSave(slot.c_str(), members[i]), 0);
    }
  }
};

TEST_F(Selection, ChainOfAClosedRectangleWhicheverLineIsPicked) {
  rectangle(1, 0, 0, 10, 5);
  line_entity(5, {20, 20, 0}, {30, 20, 0});  // not connected
  for (int picked = 1; picked <= 4; ++picked) {
    user("radio yrlselobj RadioSelType chain");
    user("press yrlselobj Add");
    user("pick 77 " + std::to_string(picked));
    user("press yrlselobj Close");
    EXPECT_EQ(sorted(run_select()), drafts({1, 2, 3, 4})) << picked;
  }
}

TEST_F(Selection, ChainEndsAndKinds) {
  preferences.tolerance = 0.5;
  line_entity(1, {0, 0, 0}, {4, 0, 0});
  line_entity(2, {4.25, 0, 0}, {8, 0, 0});    // 0.25 away: joins
  line_entity(3, {8.5, 0, 0}, {12, 0, 0});    // exactly 0.5 away: does not
  arc_entity(4, {1, 0, 0}, {0, 2, 0}, -kPi / 2, kPi, 2);  // half arc from (0,0) to (0,4) on the right
  arc_entity(6, {1, 0, 0}, {50, 50, 0}, 0, 6.283185307179586, 3);  // full circle
  line_entity(7, {50, 47, 0}, {60, 47, 0});   // touches the circle's start point
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Add");
  user("pick 77 2");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), drafts({2, 1, 4}));
  EXPECT_EQ(tolerance, 0.5);

  // A full circle starts no chain: it stays a single pick.
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Add");
  user("pick 77 6");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), drafts({6}));
}

TEST_F(Selection, ALongChainIsGrownWithoutRecursion) {
  const int n = 20000;
  for (int i = 1; i <= n; ++i) line_entity(i, {double(i), 0, 0}, {double(i + 1), 0, 0});
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Add");
  user("pick 77 " + std::to_string(n / 2));
  user("press yrlselobj Close");
  int count = 0;
  Items items = run_select("draft_ent", 0, &count);
  EXPECT_EQ(count, n);
  EXPECT_EQ(items.front(), std::make_pair(77, n / 2));
}

TEST_F(Selection, ChainWithinTheDeclaredView) {
  rectangle(1, 0, 0, 10, 5);
  line_entity(5, {10, 0, 0}, {20, 0, 0});  // joins the rectangle but lies in another view
  line_entity(6, {0, 5, 0}, {-5, 5, 0});   // joins it but lies in no view
  declare_view("FRONT", 1, 2, {1, 2, 3, 4});
  declare_view("TOP", 1, 1, {5});
  user("press yrlselobj Add");
  user("pick 77 1");
  user("press yrlselobj Close");
  EXPECT_EQ(sorted(run_select("draft_ent", YRL_SEL_CHAIN_VIEW)), drafts({1, 2, 3, 4}));
  // An entity in no view: the pick ends with -1, the list is left as it was.
  user("press yrlselobj Add");
  user("pick 77 6");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select("draft_ent", YRL_SEL_CHAIN_VIEW), drafts({6}));
  auto text = yrlhost::ui_component_snapshot("yrlselobj", "EntSelected");
  ASSERT_TRUE(text);
  EXPECT_EQ(text->text, " 0 selected");
}

TEST_F(Selection, AChainWithinAViewOfADamagedMemberCountEnds) {
  rectangle(1, 0, 0, 10, 5);
  declare_view("FRONT", 1, 2, {1, 2, 3, 4});
  YrlViewData r{};
  ASSERT_EQ(YrlViewDataRead("FRONT", &r), 0);
  r.member_count = INT_MAX;  // as a damaged drawing may store it
  ASSERT_EQ(YrlViewDataWrite("FRONT", r), 0);
  // A walk of every stored count would take hours: the child process that runs the pick
  // is bounded by an alarm, so a regression fails instead of hanging the suite.
  EXPECT_EXIT(
      {
        alarm(60);
        user("press yrlselobj Add");
        user("pick 77 1");
        user("press yrlselobj Close");
        Items items = sorted(run_select("draft_ent", YRL_SEL_CHAIN_VIEW));
        std::_Exit(items == drafts({1, 2, 3, 4}) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(Selection, ChainRemoveTakesTheConnectedEntriesOut) {
  rectangle(1, 0, 0, 10, 5);
  line_entity(5, {30, 0, 0}, {40, 0, 0});
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Add");
  user("pick 77 1");
  user("radio yrlselobj RadioSelType single");
  user("press yrlselobj Add");
  user("pick 77 5");
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Remove");
  user("pick 77 3");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), drafts({5}));
}

TEST_F(Selection, BoxesOfTheCurrentSheet) {
  const double identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  line_entity(1, {1, 1, 0}, {4, 4, 0});      // inside
  line_entity(2, {5, 5, 0}, {15, 5, 0});     // crossing
  line_entity(3, {20, 20, 0}, {30, 30, 0});  // outside
  dimension(4, 2, 8);                        // inside
  note(5, 3, 3);                             // inside
  sheet_set(identity, 2);
  yrlhost::DraftEntity other;
  other.id = 6;
  other.sheet = 2;
  const double a[3] = {2, 2, 0}, b[3] = {3, 3, 0};
  other.curve = yrlhost::draft_line(a, b);
  std::string error;
  ASSERT_EQ(yrlhost::host_entity_add(drawing, other, error), 6) << error;
  note(7, 2, 2, 2);
  dimension(8, 2, 2, 2);  // inside the box, on the other sheet
  ASSERT_TRUE(yrlhost::host_current_sheet_set(drawing, 1, error)) << error;
  struct Case {
    const char* radio;
    const char* filter;
    Items expected;
  };
  const Case cases[] = {
      {"inside", "draft_ent", drafts({1})},
      {"cross", "draft_ent", drafts({1, 2})},
      {"inside", "draft_ent,dimension", {{77, 1}, {8, 4}}},
      {"inside", "draft_ent,any_note,dimension", {{77, 1}, {8, 4}, {68, 5}}},
      {"cross", "DIMENSION", {{8, 4}}},
  };
  for (const Case& c : cases) {
    user(std::string("radio yrlselobj RadioSelType ") + c.radio);
    user("press yrlselobj Add");
    user("mouse 1 0 0 0");
    user("box 10 10 0");
    user("press yrlselobj Close");
    EXPECT_EQ(run_select(c.filter), c.expected) << c.radio << " " << c.filter;
  }
  // The other sheet's entities, notes and dimensions only when it is current.
  ASSERT_TRUE(yrlhost::host_current_sheet_set(drawing, 2, error)) << error;
  user("radio yrlselobj RadioSelType inside");
  user("press yrlselobj Add");
  user("mouse 1 0 0 0");
  user("box 10 10 0");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select("draft_ent,any_note,dimension"), (Items{{77, 6}, {8, 8}, {68, 7}}));
}

// Drawings of other tools: the entities a block reference places and the splines of
// ellipses are selected by their outlines like any others.
TEST_F(Selection, BoxesMeetPlacedBlocksAndSplines) {
  // The box runs from the mouse click to the drag's second corner.
  struct Case {
    const char* file;
    const char* radio;
    const char* mouse;
    const char* box;
    Items expected;
  };
  const Case cases[] = {
      // The turned plate of blocks.dxf (x 90..100, y 50..70) with its bolt.
      {"blocks.dxf", "inside", "mouse 1 89 49 0", "box 101 71 0", drafts({1, 2, 3, 4, 5, 6})},
      // The bolt scaled 2 along x: its ellipse reaches x = 2 and -2, its line 4 and -4;
      // SELF's line runs from the origin to (1, 0).
      {"blocks.dxf", "inside", "mouse 1 -2.5 -1.5 0", "box 2.5 1.5 0", drafts({7, 19})},
      {"blocks.dxf", "cross", "mouse 1 -2.5 -1.5 0", "box 2.5 1.5 0", drafts({7, 8, 19})},
      // The ellipse of curves.dxf (x 80..120, y -10..10), inside a box and across one
      // that holds a corner of its outline.
      {"curves.dxf", "inside", "mouse 1 79 -11 0", "box 121 11 0", drafts({8})},
      {"curves.dxf", "cross", "mouse 1 110 -20 0", "box 130 0 0", drafts({8})},
  };
  for (const Case& c : cases) {
    yrlhost::host_models_erase_all();
    yrlhost::DxfImport import;
    std::string error;
    ASSERT_NE(yrlhost::host_dxf_open(std::string(YRL_HOST_DXF_DIR) + "/" + c.file, import, error), nullptr) << error;
    user(std::string("radio yrlselobj RadioSelType ") + c.radio);
    user("press yrlselobj Add");
    user(c.mouse);
    user(c.box);
    user("press yrlselobj Close");
    EXPECT_EQ(sorted(run_select()), c.expected) << c.file << " " << c.radio << " " << c.box;
  }
}

TEST_F(Selection, ABoxEndedWithAnotherButtonSelectsNothing) {
  line_entity(1, {1, 1, 0}, {4, 4, 0});
  user("radio yrlselobj RadioSelType inside");
  user("press yrlselobj Add");
  user("mouse 3 0 0 0");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), Items{});
  // The pick itself answers the host's status of the mouse pick (0), not an abort.
  user("mouse 3 0 0 0");
  int count = -1;
  EXPECT_EQ(YrlBoxSelect("draft_ent", YRL_SEL_INSIDE, &count, YRL_SEL_ADD), 0);
  EXPECT_EQ(count, 0);
  // A failing mouse pick answers its failure.
  yrlhost::call_log_fail_on_call("VynMousePickGet_v", 1, -1);
  EXPECT_EQ(YrlBoxSelect("draft_ent", YRL_SEL_INSIDE, &count, YRL_SEL_ADD), -1);
}

TEST_F(Selection, BoxRemoveAndSinglePicks) {
  for (int i = 1; i <= 4; ++i) line_entity(i, {double(i), 1, 0}, {double(i), 2, 0});
  user("press yrlselobj Add");
  user("pick 77 1 + 77 2 + 77 3 + 77 4");
  user("press yrlselobj Add");
  user("pick 77 2");  // picked again: kept once, last
  user("radio yrlselobj RadioSelType inside");
  user("press yrlselobj Remove");
  user("mouse 1 3.5 3 0");  // the box runs from the picked point
  user("box 2.5 0 0");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), drafts({1, 4, 2}));
}

TEST_F(Selection, RemovingAnItemThatIsNotSelectedIsRefused) {
  line_entity(1, {0, 0, 0}, {1, 0, 0});
  line_entity(2, {0, 1, 0}, {1, 1, 0});
  user("press yrlselobj Add");
  user("pick 77 1");
  user("press yrlselobj Remove");
  user("pick 77 2");  // refused: not selected
  user("pick 77 1");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), Items{});
  bool shown = false;
  for (const std::string& m : yrlhost::messages_displayed())
    shown = shown || m.find("Not a valid selection to remove") != std::string::npos;
  EXPECT_TRUE(shown);
}

TEST_F(Selection, RemovalComparesTypeAndId) {
  // A dimension and a draft entity of the same id (as another drawing may number them).
  VynModelitem dim{8, 5, drawing}, ent{77, 5, drawing};
  VynSelection a = nullptr, b = nullptr;
  ASSERT_EQ(VynSelectionAlloc(nullptr, &dim, &a), 0);
  ASSERT_EQ(VynSelectionAlloc(nullptr, &ent, &b), 0);
  YrlSelectDialogData data{};
  ASSERT_EQ(YrlSelectDialogBoxInit(&data), 0);
  ASSERT_EQ(YrlCurrSelAdd(a), 0);
  ASSERT_EQ(YrlCurrSelAdd(b), 0);
  ASSERT_EQ(YrlCurrSelRemove(&ent), 0);
  ASSERT_EQ(YrlCurrSelCount(), 1);
  VynModelitem left{};
  VynSelectionModelitemGet(static_cast<VynSelection*>(curr_sel)[0], &left);
  EXPECT_EQ(left.type, 8);
  EXPECT_EQ(YrlCurrSelRemove(&ent), VYN_TK_E_NOT_FOUND);
  VynArray out = nullptr;
  int count = 0;
  ASSERT_EQ(YrlSelectCurrSelArrayGet(&out, &count), 0);
  EXPECT_EQ(count, 1);
  VynSelectionFree(&static_cast<VynSelection*>(out)[0]);
  VynArrayFree(&out);
  VynSelectionFree(&a);
  VynSelectionFree(&b);
}

TEST_F(Selection, TheListDialogRemovesMarkedRowsAndRefreshesTheMainDialog) {
  line_entity(1, {0, 0, 0}, {1, 0, 0});
  line_entity(2, {0, 1, 0}, {1, 1, 0});
  user("press yrlselobj Add");
  user("pick 77 1 + 77 2");
  user("press yrlselobj EntSelected");
  user("list yrlselobj_bin SelList \"ID1(DRAFT ENTITY)\"");
  user("press yrlselobj_bin Remove");
  user("close yrlselobj_bin");
  user("close yrlselobj");
  EXPECT_EQ(run_select(), drafts({2}));
  auto rows = yrlhost::ui_component_snapshot("yrlselobj_bin", "SelList");
  ASSERT_TRUE(rows);
  EXPECT_EQ(rows->names, std::vector<std::string>{"ID2(DRAFT ENTITY)"});
  auto button = yrlhost::ui_component_snapshot("yrlselobj", "EntSelected");
  ASSERT_TRUE(button);
  EXPECT_EQ(button->text, " 1 selected");
  char text[64];
  VynModelitem dim{8, 12, drawing};
  YrlEntityDisplayGet(&dim, text);
  EXPECT_STREQ(text, "ID12(ENTITY)");
}

TEST_F(Selection, HiddenItemsAreLeftOut) {
  line_entity(1, {1, 1, 0}, {2, 2, 0});
  line_entity(2, {2, 2, 0}, {3, 3, 0});
  line_entity(3, {3, 3, 0}, {4, 4, 0});
  yrlhost::DrawingLayer layer;
  layer.name = u"BLANK";
  layer.status = 3;
  std::string error;
  int id = yrlhost::host_layer_add(drawing, layer, error);
  ASSERT_GT(id, 0) << error;
  ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, id, {yrlhost::item_type_draft_entity, 2}, error)) << error;
  user("radio yrlselobj RadioSelType cross");
  user("press yrlselobj Add");
  user("mouse 1 0 0 0");
  user("box 10 10 0");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), drafts({1, 3}));
  user("radio yrlselobj RadioSelType chain");
  user("press yrlselobj Add");
  user("pick 77 1");
  user("press yrlselobj Close");
  EXPECT_EQ(run_select(), drafts({1}));
}

TEST(ChainGrow, FirstCandidateInOrderWinsAndEndsStrictlyBelowTolerance) {
  // Three candidates meeting the chain end (4, 0): the first in order joins.
  const YrlChainEnds c[] = {
      {{9, 9, 0}, {9, 10, 0}},
      {{4, 0, 0}, {4, 5, 0}},
      {{4, 0, 0}, {8, 0, 0}},
      {{0, 0.5, 0}, {0, 3, 0}},  // exactly tol from the start
  };
  double start[3] = {0, 0, 0}, end[3] = {4, 0, 0};
  int joined[4];
  int n = YrlChainGrow(c, 4, start, end, 0.5, joined);
  ASSERT_EQ(n, 1);
  EXPECT_EQ(joined[0], 1);
  EXPECT_EQ(end[1], 5);
  double s2[3] = {0, 0, 0}, e2[3] = {4, 0, 0};
  EXPECT_EQ(YrlChainGrow(c, 4, s2, e2, 0.0, joined), 0);
}

TEST(ChainGrow, EachStepTakesTheFirstCandidateInOrderAtEitherEnd) {
  // The chain (0,0)-(4,0) grows at both ends; candidates 2 and 3 are given reversed.
  const YrlChainEnds c[] = {
      {{8, 0, 0}, {12, 0, 0}},    // 0: at the end once 2 has joined
      {{-4, 0, 0}, {0, 0, 0}},    // 1: at the start
      {{8, 0, 0}, {4, 0, 0}},     // 2: at the end, its end first
      {{-4, 0, 0}, {-8, 0, 0}},   // 3: at the start once 1 has joined, its start first
  };
  double start[3] = {0, 0, 0}, end[3] = {4, 0, 0};
  int joined[4] = {-1, -1, -1, -1};
  ASSERT_EQ(YrlChainGrow(c, 4, start, end, 0.01, joined), 4);
  // 1 (start) before 2 (end); then 2 before 3; then 0 before 3.
  EXPECT_EQ(std::vector<int>(joined, joined + 4), (std::vector<int>{1, 2, 0, 3}));
  EXPECT_EQ(start[0], -8);
  EXPECT_EQ(end[0], 12);
}

}  // namespace

namespace {

class SelectionSetUp : public Selection {};

TEST_F(SelectionSetUp, FailuresNameTheComponentAndTakeTheDialogDown) {
  struct Case {
    const char* key;
    int call;
    const char* shown;
  };
  const Case cases[] = {
      {"VynUIDialogCreate_v", 1, "yrlselobj"},
      {"VynUIDialogTitleSet_v", 1, "Title Set"},
      {"VynUIPushbuttonActivateActionSet_v", 2, "Add"},
      {"VynUIRadiogroupSelectActionSet_v", 1, "RadioSelType"},
  };
  for (const Case& c : cases) {
    yrlhost::call_log_fail_on_call(c.key, c.call, -1);
    int count = -2;
    EXPECT_EQ(YrlSelect("draft_ent", 1, nullptr, nullptr, nullptr, 0, nullptr, &count, 0), -1);
    EXPECT_EQ(count, 0) << c.key;
    EXPECT_FALSE(yrlhost::ui_dialog_is_open("yrlselobj")) << c.key;
    ASSERT_FALSE(yrlhost::messages_displayed().empty());
    EXPECT_NE(yrlhost::messages_displayed().back().find(c.shown), std::string::npos)
        << c.key << ": " << yrlhost::messages_displayed().back();
  }
}

}  // namespace
