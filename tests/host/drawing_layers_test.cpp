// Layers of a drawing through the host functions as the plug-in calls them: creation and
// lookup by name, visits, the items a layer holds, and display status 3 (blank), which
// hides the layer's items from drawing and picking until it is 1 again.
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/util/live_objects.h"
#include "host/store/model_store.h"
#include "host/store/pick_items.h"
#include "host/script/script.h"
#include "host/script/script_text.h"
#include "host/files/model_files.h"
#include "drawing_test.h"

namespace {

using yrlhost::HostApi;
using Item = std::pair<int, int>;  // type, id

constexpr int blank = 3, shown = 1;

class DrawingLayers : public yrltest::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {10, 5, 0};
    first = line(a, b);
    second = line(b, c);
    std::string error;
    yrlhost::DraftNote note;
    note.lines = {u"NOTE"};
    note_id = yrlhost::host_note_add(drawing, note, error);
    yrlhost::SymbolInstance symbol;
    symbol.name = u"MARK";
    symbol_id = yrlhost::host_symbol_add(drawing, symbol, error);
    dimension_id = dimension();
  }

  int dimension() {
    yrlhost::DrawingDimension made;
    made.value = 10;
    std::string error;
    int id = yrlhost::host_dimension_add(drawing, made, error);
    EXPECT_GT(id, 0) << error;
    return id;
  }

  VynLayer create(const char16_t* name, VynError expected = VYN_TK_NO_ERROR) {
    VynLayer layer{};
    EXPECT_EQ(call<HostApi::VynLayerCreate>(drawing, name, &layer), expected) << utf8(name);
    return layer;
  }

  VynError add(VynLayer& layer, int type, int id, VynMdl owner = nullptr) {
    VynLayerItem item{};
    VynError status = call<HostApi::VynLayerItemInit>(type, id, owner ? owner : drawing, &item);
    return status ? status : call<HostApi::VynLayerItemAdd>(&layer, &item);
  }

  std::vector<Item> items(VynLayer& layer) {
    VynArray array = nullptr;
    int count = -1;
    EXPECT_EQ(call<HostApi::VynLayerItemsGet>(&layer, &array, &count), 0);
    std::vector<Item> held;
    for (int i = 0; i < yrlhost::host_array_size(array); ++i) {
      const VynLayerItem& item = static_cast<VynLayerItem*>(array)[i];
      EXPECT_EQ(item.owner, drawing);
      held.emplace_back(item.type, item.id);
    }
    EXPECT_EQ(count, static_cast<int>(held.size()));
    yrlhost::host_array_release(&array);
    return held;
  }

  int status_of(VynLayer& layer) {
    int status = -1;
    EXPECT_EQ(call<HostApi::VynLayerDisplaystatusGet>(&layer, &status), 0);
    return status;
  }

  static std::string utf8(const char16_t* text) {
    return text ? yrlhost::utf8_from_utf16(std::u16string(text)) : "(null)";
  }

  int first = 0, second = 0, note_id = 0, symbol_id = 0, dimension_id = 0;
};

// The names of the layers a visit offers, in order.
struct Visit {
  explicit Visit(DrawingLayers* t, std::string skip_name = "", std::string stop_name = "")
      : test(t), skip(std::move(skip_name)), stop(std::move(stop_name)) {}
  DrawingLayers* test;
  std::vector<std::string> names;
  std::string skip;              // the filter skips the layer of this name
  std::string stop;              // the action stops with -1 at the layer of this name
  std::function<void()> during;  // run by the first action
};

VynError visit_filter(VynModelitem* layer, void* data) {
  auto* visit = static_cast<Visit*>(data);
  VynName name{};
  EXPECT_EQ(visit->test->call<HostApi::VynModelitemNameGet>(layer, name), 0);
  return yrlhost::utf8_from_utf16(std::u16string(name)) == visit->skip ? VYN_TK_CONTINUE : VYN_TK_NO_ERROR;
}

VynError visit_action(VynModelitem* layer, VynError filter_status, void* data) {
  auto* visit = static_cast<Visit*>(data);
  EXPECT_EQ(layer->type, yrlhost::item_type_layer);
  EXPECT_EQ(filter_status, 0);
  VynName name{};
  EXPECT_EQ(visit->test->call<HostApi::VynModelitemNameGet>(layer, name), 0);
  visit->names.push_back(yrlhost::utf8_from_utf16(std::u16string(name)));
  if (visit->during) std::exchange(visit->during, nullptr)();
  return visit->names.back() == visit->stop ? VYN_TK_GENERAL_ERROR : VYN_TK_NO_ERROR;
}

TEST_F(DrawingLayers, LayersAreCreatedFoundByTheirExactNameAndVisitedInCreationOrder) {
  VynLayer dim = create(u"YRL_DIM");
  EXPECT_EQ(dim.type, yrlhost::item_type_layer);
  EXPECT_EQ(dim.owner, drawing);
  EXPECT_GT(dim.id, dimension_id);  // from the drawing's one sequence of ids
  VynLayer notes = create(u"YRL_NOTES");
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&notes, blank), 0);
  ASSERT_EQ(add(notes, yrlhost::item_type_note, note_id), 0);

  // Creating a layer of a name the drawing has hands out that layer as it is.
  VynLayer again = create(u"YRL_NOTES");
  EXPECT_EQ(again.id, notes.id);
  EXPECT_EQ(status_of(again), blank);
  EXPECT_EQ(items(again), (std::vector<Item>{{yrlhost::item_type_note, note_id}}));
  EXPECT_EQ(content().layers.size(), 2u);

  struct Case {
    const char16_t* name;
    VynError status;
    int id;  // of the layer found
  } cases[] = {
      {u"YRL_DIM", 0, dim.id},
      {u"YRL_NOTES", 0, notes.id},
      {u"yrl_dim", VYN_TK_E_NOT_FOUND, 0},  // names are compared exactly
      {u"YRL_DIM ", VYN_TK_E_NOT_FOUND, 0},
      {u"YRL_SYMBOLS", VYN_TK_E_NOT_FOUND, 0},
  };
  for (const Case& c : cases) {
    VynLayer found{-1, -1, nullptr};
    EXPECT_EQ(call<HostApi::VynMdlLayerGet>(drawing, c.name, &found), c.status) << utf8(c.name);
    EXPECT_EQ(found.id, c.status ? -1 : c.id) << utf8(c.name);  // nothing written when missing
  }

  create(u"THIRD");
  Visit all(this);
  EXPECT_EQ(call<HostApi::VynMdlLayerVisit>(drawing, &visit_action, static_cast<VynLayerFilterAction>(nullptr), &all), 0);
  EXPECT_EQ(all.names, (std::vector<std::string>{"YRL_DIM", "YRL_NOTES", "THIRD"}));
  Visit filtered(this, "YRL_NOTES", "THIRD");
  EXPECT_EQ(call<HostApi::VynMdlLayerVisit>(drawing, &visit_action, &visit_filter, &filtered), VYN_TK_GENERAL_ERROR);
  EXPECT_EQ(filtered.names, (std::vector<std::string>{"YRL_DIM", "THIRD"}));

  // An action that deletes a layer not yet offered and creates one: neither is offered.
  Visit changing(this);
  changing.during = [this] {
    VynLayer notes_layer{};
    ASSERT_EQ(call<HostApi::VynMdlLayerGet>(drawing, u"YRL_NOTES", &notes_layer), 0);
    ASSERT_EQ(call<HostApi::VynLayerDelete>(&notes_layer), 0);
    create(u"MADE DURING THE VISIT");
  };
  EXPECT_EQ(call<HostApi::VynMdlLayerVisit>(drawing, &visit_action, static_cast<VynLayerFilterAction>(nullptr), &changing), 0);
  EXPECT_EQ(changing.names, (std::vector<std::string>{"YRL_DIM", "THIRD"}));

  // A drawing without layers: a visit offers none.
  yrlhost::host_model_erase(drawing);
  std::string error;
  drawing = yrlhost::host_model_create(yrlhost::model_type_drawing, "EMPTY", error);
  Visit none(this);
  EXPECT_EQ(call<HostApi::VynMdlLayerVisit>(drawing, &visit_action, static_cast<VynLayerFilterAction>(nullptr), &none), 0);
  EXPECT_TRUE(none.names.empty());
}

TEST_F(DrawingLayers, BadLayersNamesAndOutputsAreRefused) {
  VynLayer layer = create(u"L");
  const std::u16string long_name(32, u'N');  // no terminator within a VynName
  const std::u16string longest(31, u'N');
  struct Case {
    const char* what;
    VynMdl model;
    const char16_t* name;
    bool output;
    VynError status;
  } cases[] = {
      {"no model", nullptr, u"L2", true, VYN_TK_BAD_INPUTS},
      {"a part", part, u"L2", true, VYN_TK_BAD_INPUTS},
      {"no name", drawing, nullptr, true, VYN_TK_BAD_INPUTS},
      {"an empty name", drawing, u"", true, VYN_TK_BAD_INPUTS},
      {"a name of 32 characters", drawing, long_name.c_str(), true, VYN_TK_BAD_INPUTS},
      {"no output", drawing, u"L2", false, VYN_TK_BAD_INPUTS},
  };
  for (const Case& c : cases) {
    VynLayer out{};
    EXPECT_EQ(call<HostApi::VynLayerCreate>(c.model, c.name, c.output ? &out : nullptr), c.status) << c.what;
    EXPECT_EQ(call<HostApi::VynMdlLayerGet>(c.model, c.name, c.output ? &out : nullptr), c.status) << c.what;
  }
  EXPECT_EQ(content().layers.size(), 1u);
  VynLayer full = create(longest.c_str());
  EXPECT_EQ(content().layers.at(full.id).name, longest);

  EXPECT_EQ(call<HostApi::VynMdlLayerVisit>(part, &visit_action, static_cast<VynLayerFilterAction>(nullptr), nullptr),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynMdlLayerVisit>(drawing, static_cast<VynLayerVisitAction>(nullptr),
                                            static_cast<VynLayerFilterAction>(nullptr), nullptr),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynLayerDisplaystatusSave>(part), VYN_TK_BAD_INPUTS);

  // Layer records: another type or owner is a bad record; a deleted layer is not found.
  VynLayer entity_record{yrlhost::item_type_draft_entity, first, drawing};
  VynLayer part_record{yrlhost::item_type_layer, layer.id, part};
  VynLayer deleted = create(u"GONE");
  ASSERT_EQ(call<HostApi::VynLayerDelete>(&deleted), 0);
  struct Record {
    const char* what;
    VynLayer* layer;
    VynError status;
  } records[] = {
      {"null", nullptr, VYN_TK_BAD_INPUTS},
      {"an entity's record", &entity_record, VYN_TK_BAD_INPUTS},
      {"a part's", &part_record, VYN_TK_BAD_INPUTS},
      {"a deleted layer", &deleted, VYN_TK_E_NOT_FOUND},
  };
  for (const Record& r : records) {
    int status = 0;
    VynArray array = nullptr;
    int count = 0;
    VynLayerItem item{yrlhost::item_type_draft_entity, first, drawing};
    EXPECT_EQ(call<HostApi::VynLayerDelete>(r.layer), r.status) << r.what;
    EXPECT_EQ(call<HostApi::VynLayerDisplaystatusGet>(r.layer, &status), r.status) << r.what;
    EXPECT_EQ(call<HostApi::VynLayerDisplaystatusSet>(r.layer, blank), r.status) << r.what;
    EXPECT_EQ(call<HostApi::VynLayerItemAdd>(r.layer, &item), r.status) << r.what;
    EXPECT_EQ(call<HostApi::VynLayerItemRemove>(r.layer, &item), r.status) << r.what;
    EXPECT_EQ(call<HostApi::VynLayerItemsGet>(r.layer, &array, &count), r.status) << r.what;
    VynName name{};
    if (r.layer && r.layer->owner == drawing) {
      EXPECT_EQ(call<HostApi::VynModelitemNameGet>(r.layer, name), VYN_TK_E_NOT_FOUND) << r.what;
    }
  }
  // The id of a deleted layer is not handed out again.
  EXPECT_GT(create(u"GONE").id, deleted.id);

  // Display statuses other than 1 and 3, and null outputs.
  for (int status : {0, 2, 4, -1})
    EXPECT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, status), VYN_TK_BAD_INPUTS) << status;
  EXPECT_EQ(status_of(layer), shown);
  int count = 0;
  VynArray array = nullptr;
  EXPECT_EQ(call<HostApi::VynLayerDisplaystatusGet>(&layer, static_cast<int*>(nullptr)), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynLayerItemsGet>(&layer, static_cast<VynArray*>(nullptr), &count), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynLayerItemsGet>(&layer, &array, static_cast<int*>(nullptr)), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(array, nullptr);
}

TEST_F(DrawingLayers, ALayerHoldsLiveItemsOfItsDrawingEachOnceInTheOrderAdded) {
  VynLayer layer = create(u"L");
  std::string error;
  VynMdl other = yrlhost::host_model_create(yrlhost::model_type_drawing, "OTHER", error);
  struct Case {
    const char* what;
    int type;
    int id;
    VynMdl owner;
    VynError init, add;
  } cases[] = {
      {"an entity", yrlhost::item_type_draft_entity, first, drawing, 0, 0},
      {"a dimension", yrlhost::item_type_dimension, dimension_id, drawing, 0, 0},
      {"a note", yrlhost::item_type_note, note_id, drawing, 0, 0},
      {"a symbol instance", yrlhost::item_type_symbol, symbol_id, drawing, 0, 0},
      {"the entity again", yrlhost::item_type_draft_entity, first, drawing, 0, 0},
      {"a note's id as an entity", yrlhost::item_type_draft_entity, note_id, drawing, 0, VYN_TK_E_NOT_FOUND},
      {"no such dimension", yrlhost::item_type_dimension, 999, drawing, 0, VYN_TK_E_NOT_FOUND},
      {"a feature", yrlhost::item_type_feature, 1, drawing, VYN_TK_BAD_INPUTS, 0},
      {"a layer", yrlhost::item_type_layer, layer.id, drawing, VYN_TK_BAD_INPUTS, 0},
      {"a part's item", yrlhost::item_type_draft_entity, first, part, VYN_TK_BAD_INPUTS, 0},
      {"an item of another drawing", yrlhost::item_type_draft_entity, first, other, 0, VYN_TK_BAD_INPUTS},
  };
  for (const Case& c : cases) {
    VynLayerItem item{-1, -1, nullptr};
    EXPECT_EQ(call<HostApi::VynLayerItemInit>(c.type, c.id, c.owner, &item), c.init) << c.what;
    if (c.init) {
      EXPECT_EQ(item.type, -1) << c.what;
      continue;
    }
    EXPECT_EQ(item.type, c.type);
    EXPECT_EQ(item.id, c.id);
    EXPECT_EQ(item.owner, c.owner);
    EXPECT_EQ(call<HostApi::VynLayerItemAdd>(&layer, &item), c.add) << c.what;
  }
  EXPECT_EQ(call<HostApi::VynLayerItemInit>(yrlhost::item_type_note, note_id, drawing, static_cast<VynLayerItem*>(nullptr)),
            VYN_TK_BAD_INPUTS);
  EXPECT_EQ(call<HostApi::VynLayerItemAdd>(&layer, static_cast<VynLayerItem*>(nullptr)), VYN_TK_BAD_INPUTS);
  const std::vector<Item> all = {{yrlhost::item_type_draft_entity, first},
                                 {yrlhost::item_type_dimension, dimension_id},
                                 {yrlhost::item_type_note, note_id},
                                 {yrlhost::item_type_symbol, symbol_id}};
  EXPECT_EQ(items(layer), all);
  // The array is the plug-in's: one live array per call until it is freed.
  VynArray array = nullptr;
  int count = 0;
  ASSERT_EQ(call<HostApi::VynLayerItemsGet>(&layer, &array, &count), 0);
  EXPECT_TRUE(yrlhost::host_array_is(array));
  yrlhost::host_array_release(&array);

  // Removing: an item the layer does not hold is not found; the rest keep their order.
  VynLayerItem note{yrlhost::item_type_note, note_id, drawing};
  EXPECT_EQ(call<HostApi::VynLayerItemRemove>(&layer, &note), 0);
  EXPECT_EQ(call<HostApi::VynLayerItemRemove>(&layer, &note), VYN_TK_E_NOT_FOUND);
  VynLayerItem foreign{yrlhost::item_type_draft_entity, first, other};
  EXPECT_EQ(call<HostApi::VynLayerItemRemove>(&layer, &foreign), VYN_TK_BAD_INPUTS);
  EXPECT_EQ(items(layer), (std::vector<Item>{all[0], all[1], all[3]}));

  // An item may be on several layers; an empty layer hands out an empty array.
  VynLayer second_layer = create(u"SECOND");
  EXPECT_EQ(items(second_layer), std::vector<Item>{});
  ASSERT_EQ(add(second_layer, yrlhost::item_type_draft_entity, first), 0);
  EXPECT_EQ(items(second_layer), (std::vector<Item>{all[0]}));
  EXPECT_EQ(items(layer).size(), 3u);
}

// The application's Clean Up fills its layer of dimensions with a visit whose action adds
// each dimension and answers the add's status: run again after a dimension was made, it
// must still reach the new one.
TEST_F(DrawingLayers, FillingALayerAgainAddsTheNewItems) {
  struct Fill {
    DrawingLayers* test;
    VynLayer layer;
  };
  auto clean_up = [this] {
    Fill fill{this, {}};
    EXPECT_EQ(call<HostApi::VynLayerCreate>(drawing, u"YRL_DIM", &fill.layer), 0);
    EXPECT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&fill.layer, blank), 0);
    auto action = [](VynModelitem* dimension, VynError, void* data) -> VynError {
      auto* f = static_cast<Fill*>(data);
      VynLayerItem item{};
      VynError status =
          f->test->call<HostApi::VynLayerItemInit>(dimension->type, dimension->id, dimension->owner, &item);
      return status ? status : f->test->call<HostApi::VynLayerItemAdd>(&f->layer, &item);
    };
    EXPECT_EQ(call<HostApi::VynDrawingDimensionVisit>(drawing, yrlhost::item_type_dimension, +action,
                                                      static_cast<VynDimensionFilterAction>(nullptr), &fill),
              0);
    EXPECT_EQ(call<HostApi::VynLayerDisplaystatusSave>(drawing), 0);
    return fill.layer;
  };
  VynLayer layer = clean_up();
  int later = dimension();
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_dimension, later));
  EXPECT_EQ(clean_up().id, layer.id);
  EXPECT_EQ(items(layer), (std::vector<Item>{{yrlhost::item_type_dimension, dimension_id},
                                             {yrlhost::item_type_dimension, later}}));
  EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_dimension, later));
  EXPECT_EQ(content().layers.size(), 1u);
}

// Edge case of the layers: display status 3 hides a layer's items from drawing and
// picking; status 1 brings them back.
TEST_F(DrawingLayers, ABlankLayerHidesItsItemsFromDrawingAndPickingUntilItIsShownAgain) {
  auto drawn = [this](int id) {
    int entries = 0;
    for (const yrlhost::DrawEntry& entry : yrlhost::window_find(yrlhost::main_window_id)->display_list)
      entries += entry.item.type == yrlhost::item_type_draft_entity && entry.item.id == id && entry.item.owner == drawing;
    return entries;
  };
  auto draw = [this](int id) {
    VynDtlentity entity{yrlhost::item_type_draft_entity, id, drawing};
    EXPECT_EQ(call<HostApi::VynDtlentityDraw>(&entity), 0);
  };
  auto data_hidden = [this](int id) {
    VynDtlentity entity{yrlhost::item_type_draft_entity, id, drawing};
    VynDtlentitydata data = nullptr;
    EXPECT_EQ(call<HostApi::VynDtlentityDataGet>(&entity, static_cast<VynDtlsymdef*>(nullptr), &data), 0);
    int hidden = -1;
    EXPECT_EQ(call<HostApi::VynDtlentitydataIsHidden>(data, &hidden), 0);
    EXPECT_EQ(call<HostApi::VynDtlentitydataFree>(data), 0);
    return hidden;
  };
  // A pick of one item: the items picked, and the script's failures.
  auto pick = [this](int type, int id) {
    std::string error;
    EXPECT_TRUE(yrlhost::script_push_text("pick " + std::to_string(type) + " " + std::to_string(id), error)) << error;
    VynArray picked = nullptr;
    int count = 0;
    VynError status = call<HostApi::VynSelect>("draft_ent,any_note,dimension,symbol", 1, static_cast<VynSelection*>(nullptr),
                                               static_cast<VynSelectionFilter*>(nullptr), static_cast<VynSelectionEnv>(nullptr),
                                               VynWord{0}, &picked, &count);
    std::vector<std::string> failures = yrlhost::script_take_failures();
    yrlhost::script_clear();
    return std::make_pair(status == 0 && count == 1, failures);
  };

  draw(first);
  draw(second);
  ASSERT_EQ(drawn(first), 1);
  VynLayer layer = create(u"YRL_RED");
  ASSERT_EQ(add(layer, yrlhost::item_type_draft_entity, first), 0);
  ASSERT_EQ(add(layer, yrlhost::item_type_note, note_id), 0);
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, first));

  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, blank), 0);
  EXPECT_EQ(status_of(layer), blank);
  for (Item item : {Item{yrlhost::item_type_draft_entity, first}, Item{yrlhost::item_type_note, note_id}}) {
    EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, item.first, item.second)) << item.first;
    EXPECT_EQ(yrlhost::drawing_item_state(drawing, item.first, item.second), yrlhost::ItemShown::hidden);
    auto [taken, failures] = pick(item.first, item.second);
    EXPECT_FALSE(taken) << item.first;
    ASSERT_EQ(failures.size(), 1u) << item.first;
    EXPECT_NE(failures[0].find("is hidden"), std::string::npos) << failures[0];
  }
  EXPECT_EQ(drawn(first), 0);  // it left the window at once
  EXPECT_EQ(drawn(second), 1);
  draw(first);
  EXPECT_EQ(drawn(first), 0);
  EXPECT_EQ(data_hidden(first), 1);
  EXPECT_EQ(data_hidden(second), 0);
  EXPECT_TRUE(pick(yrlhost::item_type_draft_entity, second).first);

  // An item added to a blank layer leaves the window too; one removed from it is shown.
  ASSERT_EQ(add(layer, yrlhost::item_type_draft_entity, second), 0);
  EXPECT_EQ(drawn(second), 0);
  VynLayerItem item{yrlhost::item_type_draft_entity, second, drawing};
  ASSERT_EQ(call<HostApi::VynLayerItemRemove>(&layer, &item), 0);
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, second));

  // Shown again: drawn, picked and not hidden in its data.
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, shown), 0);
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, first));
  draw(first);
  EXPECT_EQ(drawn(first), 1);
  EXPECT_EQ(data_hidden(first), 0);
  EXPECT_TRUE(pick(yrlhost::item_type_draft_entity, first).first);
  EXPECT_TRUE(pick(yrlhost::item_type_note, note_id).first);

  // On two layers, an item is hidden while either is blank; deleting the blank one shows it.
  VynLayer other = create(u"OTHER");
  ASSERT_EQ(add(other, yrlhost::item_type_draft_entity, first), 0);
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&other, blank), 0);
  EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, first));
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_note, note_id));
  ASSERT_EQ(call<HostApi::VynLayerDelete>(&other), 0);
  EXPECT_FALSE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, first));
}

TEST_F(DrawingLayers, DeletedItemsLeaveTheirLayers) {
  VynLayer layer = create(u"L");
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, blank), 0);
  // Items on a drawing view go with it.
  ASSERT_EQ(call<HostApi::VynDrawingSolidAdd>(drawing, part), 0);
  const double position[3] = {0, 0, 0};
  const double front[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  VynView view = nullptr;
  ASSERT_EQ(call<HostApi::VynDrawingGeneralviewCreate>(drawing, part, 1, 0, position, 0.0, front, &view), 0);
  std::string error;
  yrlhost::DraftNote note;
  note.view = content().views[0].id;
  int on_view = yrlhost::host_note_add(drawing, note, error);
  ASSERT_GT(on_view, 0) << error;
  for (Item item : {Item{yrlhost::item_type_draft_entity, first}, Item{yrlhost::item_type_note, on_view},
                    Item{yrlhost::item_type_draft_entity, second}})
    ASSERT_EQ(add(layer, item.first, item.second), 0);

  VynDtlentity entity{yrlhost::item_type_draft_entity, first, drawing};
  ASSERT_EQ(call<HostApi::VynDtlentityDelete>(&entity, yrlhost::main_window_id), 0);
  ASSERT_EQ(call<HostApi::VynDrawingViewDelete>(drawing, view, 1), 0);
  EXPECT_EQ(items(layer), (std::vector<Item>{{yrlhost::item_type_draft_entity, second}}));
  // The layer's record of a deleted item is refused as any dead item is.
  EXPECT_EQ(add(layer, yrlhost::item_type_draft_entity, first), VYN_TK_E_NOT_FOUND);
}

// The status a drawing's file keeps is the saved one; a status set and not saved lasts
// for the session.
TEST_F(DrawingLayers, TheSavedDisplayStatusIsTheOneTheFileKeeps) {
  VynLayer layer = create(u"YRL_DIM");
  ASSERT_EQ(add(layer, yrlhost::item_type_dimension, dimension_id), 0);
  auto reopened_status = [this] {
    std::string error;
    std::vector<std::string> lines = yrlhost::host_model_lines(drawing);
    for (std::string& line : lines)
      if (line.rfind("name ", 0) == 0) line = "name COPY";  // beside the drawing in session
    VynMdl copy = yrlhost::host_model_read(lines, "f", error);
    EXPECT_NE(copy, nullptr) << error;
    const yrlhost::DrawingLayer read = yrlhost::host_drawing(copy)->layers.begin()->second;
    EXPECT_EQ(read.status, read.saved_status);
    EXPECT_EQ(yrlhost::stored_item_hidden(copy, yrlhost::item_type_dimension, dimension_id),
              read.status == blank);
    yrlhost::host_model_erase(copy);
    return read.status;
  };
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, blank), 0);
  EXPECT_EQ(reopened_status(), shown);
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSave>(drawing), 0);
  EXPECT_EQ(reopened_status(), blank);
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, shown), 0);
  EXPECT_EQ(reopened_status(), blank);
  EXPECT_EQ(status_of(layer), shown);
}

TEST_F(DrawingLayers, ACopiedDrawingHasLayersOfItsOwn) {
  VynLayer layer = create(u"L");
  ASSERT_EQ(add(layer, yrlhost::item_type_draft_entity, first), 0);
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&layer, blank), 0);
  VynMdl copy = nullptr;
  ASSERT_EQ(call<HostApi::VynMdlCopy>(drawing, u"PLATE COPY", &copy), 0);
  VynLayer copied{};
  ASSERT_EQ(call<HostApi::VynMdlLayerGet>(copy, u"L", &copied), 0);
  EXPECT_EQ(copied.owner, copy);
  EXPECT_TRUE(yrlhost::stored_item_hidden(copy, yrlhost::item_type_draft_entity, first));
  ASSERT_EQ(call<HostApi::VynLayerDisplaystatusSet>(&copied, shown), 0);
  EXPECT_FALSE(yrlhost::stored_item_hidden(copy, yrlhost::item_type_draft_entity, first));
  EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, first));
}

// Host-side additions (importers, tests) keep the rules of the functions.
TEST_F(DrawingLayers, HostSideLayersKeepTheRules) {
  std::string error;
  yrlhost::DrawingLayer made;
  made.name = u"IMPORTED";
  made.status = blank;
  int id = yrlhost::host_layer_add(drawing, made, error);
  ASSERT_GT(id, 0) << error;
  EXPECT_EQ(content().layers.at(id).saved_status, blank);
  EXPECT_TRUE(yrlhost::host_layer_item_add(drawing, id, {yrlhost::item_type_draft_entity, first}, error)) << error;
  EXPECT_TRUE(yrlhost::host_layer_item_add(drawing, id, {yrlhost::item_type_draft_entity, first}, error)) << error;
  EXPECT_EQ(content().layers.at(id).items.size(), 1u);
  EXPECT_TRUE(yrlhost::stored_item_hidden(drawing, yrlhost::item_type_draft_entity, first));

  struct Case {
    std::u16string name;
    int status;
    const char* error;
  } cases[] = {
      {u"IMPORTED", shown, "the drawing has a layer of that name already"},
      {u"", shown, "a layer name is 1 to 31 characters"},
      {std::u16string(32, u'x'), shown, "a layer name is 1 to 31 characters"},
      {u"L", 2, "display status 2 is neither shown (1) nor blank (3)"},
  };
  for (const Case& c : cases) {
    made.name = c.name;
    made.status = c.status;
    EXPECT_EQ(yrlhost::host_layer_add(drawing, made, error), -1) << c.error;
    EXPECT_EQ(error, c.error);
  }
  EXPECT_FALSE(yrlhost::host_layer_item_add(drawing, id, {yrlhost::item_type_note, 999}, error));
  EXPECT_EQ(error, "the drawing has no item 68 999");
  EXPECT_FALSE(yrlhost::host_layer_item_add(drawing, id, {yrlhost::item_type_feature, 1}, error));
  EXPECT_EQ(error, "item type 3 is not an entity (77), note (68), symbol instance (76) or dimension (8)");
  EXPECT_FALSE(yrlhost::host_layer_item_add(drawing, first, {yrlhost::item_type_note, note_id}, error));
  EXPECT_EQ(error, "no layer " + std::to_string(first));
  EXPECT_EQ(content().layers.size(), 1u);
}

}  // namespace
