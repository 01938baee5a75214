// The Clean Up dialog through the scripted user: the automatic page's layers and colour
// rule, the preview, running Clean twice, the manual page's picks into new and existing
// layers, and the layers kept across saving and reopening the drawing.
#include "app/cleanup/cleanup.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/prefs/prefs.h"
#include "host/store/drawings.h"
#include "host/ui/messages.h"
#include "host/store/models.h"
#include "host/files/model_files.h"
#include "host/ui/ui.h"
#include "host/plugin/call_log.h"
#include "tests/app/util/apputil_fixture.h"
#include "tests/host/host_test.h"

namespace {

using yrltest::rgb;

class Cleanup : public yrltest::UtilTest {
 protected:
  void SetUp() override {
    UtilTest::SetUp();
    coloured(1, rgb(1, 0, 0));        // red
    coloured(2, rgb(0.995, 0, 0));    // red within 0.01
    coloured(3, rgb(0.98, 0, 0));     // not red
    coloured(4, rgb(0, 0, 1));        // blue
    coloured(5, rgb(0.5, 0, 0.5));    // purple: never moved
    coloured(6, VynColor{});          // the default colour
    std::string error;
    yrlhost::DraftNote note;
    note.id = 10;
    note.lines = {u"NOTE"};
    ASSERT_EQ(yrlhost::host_note_add(drawing, note, error), 10) << error;
    yrlhost::SymbolInstance symbol;
    symbol.id = 11;
    symbol.name = u"ARROW";
    ASSERT_EQ(yrlhost::host_symbol_add(drawing, symbol, error), 11) << error;
    dimension(12);
  }

  // The entity's id (id 0: the next one).
  int coloured(int id, VynColor colour) {
    yrlhost::DraftEntity e;
    e.id = id;
    double a[3] = {0, double(id), 0}, b[3] = {10, double(id), 0};
    e.curve = yrlhost::draft_line(a, b);
    e.colour = colour;
    std::string error;
    int made = yrlhost::host_entity_add(drawing, e, error);
    EXPECT_GT(made, 0) << error;
    return made;
  }

  int dimension(int id) {
    yrlhost::DrawingDimension d;
    d.id = id;
    d.value = 10;
    d.attachments = {{1, 0}};
    std::string error;
    int made = yrlhost::host_dimension_add(drawing, d, error);
    EXPECT_GT(made, 0) << error;
    return made;
  }

  // The layer of that name: nullptr when missing.
  const yrlhost::DrawingLayer* layer(const std::u16string& name) const {
    for (const auto& [id, l] : yrlhost::host_drawing(drawing)->layers)
      if (l.name == name) return &l;
    return nullptr;
  }

  // The ids on a layer ("" for a missing layer), in order.
  std::string ids(const std::u16string& name) const {
    const yrlhost::DrawingLayer* l = layer(name);
    if (!l) return "missing";
    std::string out;
    for (const yrlhost::LayerMember& m : l->items) out += (out.empty() ? "" : " ") + std::to_string(m.id);
    return out;
  }

  // The user presses Pick on the manual page and adds single picks ("77 3 + 77 5").
  static void pick_into(const std::string& picks) {
    user("press yrlcleanup LPPickBtn");
    user("radio yrlselobj RadioSelType single");
    user("press yrlselobj Add");
    user("pick " + picks);
    user("press yrlselobj Close");
  }

  static bool shown(const std::string& text) {
    for (const std::string& m : yrlhost::messages_displayed())
      if (m.find(text) != std::string::npos) return true;
    return false;
  }

  static std::string panel(const char* component) {
    auto c = yrlhost::ui_component_snapshot("yrlcleanup", component);
    return c ? c->value : "?";
  }
};

TEST_F(Cleanup, CleanMovesItemsAndColoursIntoBlankLayersKeptAfterReopening) {
  user("toggle yrlcleanup Red");
  user("toggle yrlcleanup Blue");
  user("toggle yrlcleanup Purple");
  user("toggle yrlcleanup Green");
  user("press yrlcleanup Clean");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);

  auto check = [&](const char* when) {
    EXPECT_EQ(ids(u"YRL_DIM"), "12") << when;
    EXPECT_EQ(ids(u"YRL_NOTES"), "10") << when;
    EXPECT_EQ(ids(u"YRL_SYMBOLS"), "11") << when;
    EXPECT_EQ(ids(u"YRL_RED"), "1 2") << when;  // 0.98 is not red
    EXPECT_EQ(ids(u"YRL_BLUE"), "4") << when;
    EXPECT_EQ(ids(u"YRL_GREEN"), "missing") << when;  // no green entity: no layer
    EXPECT_EQ(ids(u"YRL_PREVIEW"), "missing") << when;
    for (const auto& [id, l] : yrlhost::host_drawing(drawing)->layers)
      EXPECT_EQ(l.status, yrlhost::layer_status_blank) << when;
    EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, 77, 5)) << when;  // purple stays
    EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, 77, 1)) << when;
  };
  check("in session");
  std::string error;
  ASSERT_TRUE(yrlhost::host_model_save(drawing, "clean.drw", error)) << error;
  ASSERT_TRUE(yrlhost::host_model_erase(drawing));
  drawing = yrlhost::host_model_open("clean.drw", error);
  ASSERT_NE(drawing, nullptr) << error;
  check("reopened");
}

TEST_F(Cleanup, CleanAgainMovesTheItemsMadeSinceAndCollectsNoBlankedEntityTwice) {
  user("toggle yrlcleanup Red");
  user("press yrlcleanup Clean");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  int dim = dimension(0);
  int red = coloured(0, rgb(1, 0, 0));
  // The host takes an item its layer holds already without a word, so the layers alone
  // cannot show what the second run asked: its calls do. Only the two new items are
  // added, and only the new red entity is collected (1 and 2 lie on a blank layer).
  yrlhost::call_log_clear();
  user("toggle yrlcleanup Red");
  user("press yrlcleanup Clean");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"YRL_DIM"), "12 " + std::to_string(dim));
  EXPECT_EQ(ids(u"YRL_RED"), "1 2 " + std::to_string(red));
  EXPECT_EQ(yrlhost::call_log_of("VynLayerItemAdd_v").size(), 2u);
  EXPECT_EQ(yrlhost::call_log_of("VynSelectionAlloc_v").size(), 1u);
}

TEST_F(Cleanup, PreviewThenCloseLeavesTheDrawingAsBefore) {
  user("press yrlcleanup Preview");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_TRUE(yrlhost::host_drawing(drawing)->layers.empty());
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, 8, 12));
}

TEST_F(Cleanup, PreviewBlanksTheChosenItemsAndCleanDropsThePreview) {
  user("press yrlcleanup BtnUnSelAll");
  user("toggle yrlcleanup Notes");
  user("press yrlcleanup Preview");
  user("press yrlcleanup Clean");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"YRL_PREVIEW"), "missing");
  EXPECT_EQ(ids(u"YRL_NOTES"), "10");
  EXPECT_EQ(ids(u"YRL_DIM"), "missing");
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, 8, 12));
}

TEST_F(Cleanup, LowerCasePrefixKeepsItsCaseExceptInColourLayers) {
  std::strcpy(preferences.layer_prefix, "ab_");
  user("toggle yrlcleanup Red");
  user("press yrlcleanup Clean");
  user("tab yrlcleanup MainTab LayoutManual");
  user("type yrlcleanup LNameInput mine none");
  pick_into("77 3");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"ab_DIM"), "12");
  EXPECT_EQ(ids(u"AB_RED"), "1 2");
  EXPECT_EQ(ids(u"ab_MINE"), "3");  // the typed text is upper-cased, the prefix kept
  EXPECT_EQ(ids(u"AB_MINE"), "missing");
}

TEST_F(Cleanup, APrefixWithoutRoomForTheLayerNamesIsRefused) {
  std::strcpy(preferences.layer_prefix, "0123456789012345678901234567890");
  EXPECT_NE(YrlCleanup(), 0);
  EXPECT_TRUE(shown("layer prefix is too long"));
  EXPECT_TRUE(yrlhost::host_drawing(drawing)->layers.empty());
  std::strcpy(preferences.layer_prefix, "012345678901234567890123");  // 24: fits
  user("press yrlcleanup Clean");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"012345678901234567890123SYMBOLS"), "11");
}

TEST_F(Cleanup, ManualPickMakesANewLayerAndRefusesAnExistingName) {
  user("tab yrlcleanup MainTab LayoutManual");
  user("press yrlcleanup LPPickBtn");  // no name typed
  user("type yrlcleanup LNameInput mine none");
  pick_into("77 3 + 77 5");
  user("type yrlcleanup LNameInput MINE none");
  user("press yrlcleanup LPPickBtn");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_TRUE(shown("Type a layer name or choose a layer."));
  EXPECT_TRUE(shown("A layer of that name exists already."));
  EXPECT_EQ(ids(u"YRL_MINE"), "3 5");
  EXPECT_EQ(layer(u"YRL_MINE")->saved_status, yrlhost::layer_status_blank);
}

TEST_F(Cleanup, PickByColourTakesEveryVisibleEntityOfThePickedColour) {
  user("tab yrlcleanup MainTab LayoutManual");
  user("type yrlcleanup LNameInput reds none");
  user("toggle yrlcleanup LPFiltColorBtn");
  user("press yrlcleanup LPPickBtn");
  user("pick 77 1");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"YRL_REDS"), "1 2");
}

TEST_F(Cleanup, PickIntoAnExistingLayerStartsFromItsItemsAndAFailedPickKeepsThem) {
  std::string error;
  yrlhost::DrawingLayer mine;
  mine.name = u"YRL_MINE";
  mine.status = yrlhost::layer_status_blank;
  int id = yrlhost::host_layer_add(drawing, mine, error);
  ASSERT_GT(id, 0) << error;
  ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, id, {77, 3}, error)) << error;
  ASSERT_TRUE(yrlhost::host_layer_item_add(drawing, id, {77, 4}, error)) << error;

  // The user drops both items and closes: nothing picked, the layer keeps its items.
  user("tab yrlcleanup MainTab LayoutManual");
  user("option yrlcleanup OptLayerSel YRL_MINE");
  user("press yrlcleanup LPPickBtn");
  user("radio yrlselobj RadioSelType single");
  user("press yrlselobj Remove");
  user("pick 77 3 + 77 4");
  user("press yrlselobj Close");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"YRL_MINE"), "3 4");
  EXPECT_EQ(layer(u"YRL_MINE")->status, yrlhost::layer_status_blank);

  // A pick adding one more keeps the two it started from.
  user("tab yrlcleanup MainTab LayoutManual");
  user("option yrlcleanup OptLayerSel YRL_MINE");
  pick_into("77 6");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"YRL_MINE"), "3 4 6");
}

TEST_F(Cleanup, ClearDeletesTheChosenLayerAndShowsItsItems) {
  user("tab yrlcleanup MainTab LayoutManual");
  user("type yrlcleanup LNameInput mine none");
  pick_into("77 3");
  user("option yrlcleanup OptLayerSel YRL_MINE");
  user("press yrlcleanup LPClearBtn");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  EXPECT_EQ(ids(u"YRL_MINE"), "missing");
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, 77, 3));
}

VynColor colour_type(int type) {
  VynColor c{};
  c.method = 1;
  c.value.type = type;
  return c;
}

TEST(CleanupColour, RuleOfTheColourLayers) {
  struct Case {
    VynColor colour;
    VynColor wanted;
    int matches;
  } cases[] = {
      {rgb(1, 0, 0), rgb(1, 0, 0), 1},
      {rgb(0.995, 0, 0), rgb(1, 0, 0), 1},
      {rgb(1.005, 0.005, 0), rgb(1, 0, 0), 1},
      {rgb(0.98, 0, 0), rgb(1, 0, 0), 0},
      {rgb(1, 0, 0.02), rgb(1, 0, 0), 0},
      {VynColor{}, rgb(1, 0, 0), 0},
      {VynColor{}, VynColor{}, 1},
      // A colour type never matches a colour given as RGB, whatever the RGB's bytes.
      {colour_type(0), rgb(1, 1, 0), 0},
      {colour_type(0), rgb(1, 0, 1), 0},
      {colour_type(0), rgb(0, 1, 0), 0},
      {colour_type(0), rgb(1, 0, 0), 0},
      {colour_type(0), rgb(0, 0, 1), 0},
      {colour_type(1), rgb(0, 0, 1), 0},
      {rgb(0, 0, 0), colour_type(0), 0},
      {colour_type(3), colour_type(3), 1},
      {colour_type(3), colour_type(4), 0},
      {colour_type(0), VynColor{}, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(YrlCleanupColorMatches(&c.colour, &c.wanted), c.matches)
        << "method " << c.colour.method << " against method " << c.wanted.method << ", red " << c.wanted.value.rgb[0];
}

TEST_F(Cleanup, AnEntityOfAColourTypeStaysOutOfEveryColourLayer) {
  int typed = coloured(0, colour_type(0));
  user("press yrlcleanup FBtnSelAll");
  user("press yrlcleanup Clean");
  user("press yrlcleanup Close");
  ASSERT_EQ(YrlCleanup(), 0);
  for (const char16_t* name : {u"YRL_YELLOW", u"YRL_MAGENTA", u"YRL_GREEN", u"YRL_RED", u"YRL_BLUE"}) {
    const yrlhost::DrawingLayer* l = layer(name);
    if (!l) continue;
    for (const yrlhost::LayerMember& m : l->items) EXPECT_NE(m.id, typed) << std::string(name, name + 10);
  }
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, 77, typed));
}

TEST(CleanupLayerName, PrefixComparedWithoutCase) {
  EXPECT_EQ(IsYrlLayer("YRL_", "yrl_dim"), 1);
  EXPECT_EQ(IsYrlLayer("YRL_", "YRL"), 0);
  EXPECT_EQ(IsYrlLayer("YRL_", "XRL_DIM"), 0);
  EXPECT_EQ(IsYrlLayer(nullptr, "YRL_"), 0);
}

}  // namespace
