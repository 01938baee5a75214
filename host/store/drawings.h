// The content of the session's drawings as the host's other modules, tests, the scenario
// runner and importers see it: sheets, drawing models and their scales, drawing views,
// draft entities, notes, symbol instances, dimensions and layers.
//
// Every item of a drawing (entity, note, symbol instance, dimension, drawing view, layer)
// takes its id from one sequence per drawing (the one its features would use in a part),
// so no two items of a drawing share an id, whatever their types, and an id is never
// handed out again, not even after its item is deleted or the drawing is saved and
// reopened.
//
// Coordinates of entities, notes, symbols and dimensions are sheet coordinates, the
// space the graphics functions draw in; a sheet's transform maps them to drawing units.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/display/graphics.h"
#include "toolkit/api/host_types.h"
#include "toolkit/local/geomdata.h"

namespace yrlhost {

// Item types of a drawing's content.
inline constexpr int item_type_dimension = 8;
inline constexpr int item_type_note = 68;
inline constexpr int item_type_symbol = 76;
inline constexpr int item_type_draft_entity = 77;
inline constexpr int item_type_layer = 117;

// The view an item of a sheet belongs to: the sheet's background view, its overlay view
// or (a positive number) the id of a drawing view on that sheet.
inline constexpr int view_background = 0;
inline constexpr int view_overlay = -1;

// The exact sweep of a full circle: an arc whose end angle field holds it.
inline constexpr double full_circle_sweep = 6.283185307179586;

// A sheet: its number (1, 2, ...), its size name (one word, at most 31 characters), its
// scale (what a drawing view of scale 0.0 takes), its transform from sheet coordinates
// to drawing units (rows: x, y, z axes, then the origin), and its two views.
struct DrawingSheet {
  int number = 1;
  std::u16string size = u"A";
  double scale = 1.0;
  double transform[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
  VynView background = nullptr;
  VynView overlay = nullptr;
  int regenerations = 0;  // VynDwgSheetRegenerate calls
};

// A drawing view of a drawing model: a general view placed on a sheet at a position
// (sheet coordinates), with its scale, its orientation (4x4) and the view it hangs
// from (0 for none).
struct DrawingView {
  VynView handle = nullptr;
  int id = 0;
  std::u16string name;
  int sheet = 1;
  int parent = 0;
  std::u16string model;  // the part's name
  double position[3] = {0, 0, 0};
  double scale = 1.0;
  double orientation[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

// The scale of a drawing model on a sheet (VynDrawingScaleSet).
struct DrawingScale {
  std::u16string model;
  int sheet = 1;
  double scale = 1.0;
};

// One point of a spline: its parameter, the point and the tangent there.
struct SplineKnot {
  double parameter = 0;
  double point[3] = {0, 0, 0};
  double tangent[3] = {0, 0, 0};
};

// A draft entity's curve: the curve record in the toolkit's layout, of type point (1),
// line (2), arc (3) or spline (12). An arc's points are origin + radius (cos a vec1 +
// sin a vec2) for a from start_angle to start_angle + end_angle: the end angle field
// holds the sweep, in (0, 2 pi]; vec1 and vec2 are unit, in the sheet's plane, with
// vec2 = (0, 0, 1) x vec1, so arcs run counter-clockwise. A spline's knots are kept
// here and its record's arrays are null (a record handed to the plug-in gets arrays of
// its own). Every field the type does not use is zero.
struct DraftCurve {
  VynCurvedata record{};
  std::vector<SplineKnot> spline;
};

struct DraftEntity {
  int id = 0;
  int sheet = 1;
  int view = view_background;
  VynColor colour{};  // method 0: the default colour
  bool hidden = false;
  DraftCurve curve;
};

// Where a note hangs: free at a location (sheet coordinates), or on a draft entity at a
// parameter along it (0 at its start, 1 at its end).
inline constexpr int attach_free = 0;
inline constexpr int attach_on_item = 2;
struct NoteAttachment {
  int kind = attach_free;
  double location[3] = {0, 0, 0};
  int entity = 0;
  double parameter = 0;
};

struct DraftNote {
  int id = 0;
  int sheet = 1;
  int view = view_background;
  VynColor colour{};
  std::vector<std::u16string> lines;
  NoteAttachment attachment;
};

// A placed symbol: the name of its definition and its position.
struct SymbolInstance {
  int id = 0;
  int sheet = 1;
  int view = view_background;
  VynColor colour{};
  std::u16string name;
  double position[3] = {0, 0, 0};
};

// Dimension types.
inline constexpr int dimension_linear = 9;
inline constexpr int dimension_radius = 3;
inline constexpr int dimension_diameter = 4;
inline constexpr int dimension_angle = 21;

// The entity a dimension measures, and which of it: the whole entity (0), its first end
// (1) or its second end (2).
struct DimensionAttachment {
  int entity = 0;
  int side = 0;
};

struct DrawingDimension {
  int id = 0;
  int sheet = 1;
  int view = view_background;
  int type = dimension_linear;
  double value = 0;  // in model units
  std::vector<std::u16string> lines;
  double position[3] = {0, 0, 0};
  std::vector<DimensionAttachment> attachments;
};

// A layer: a named list of items of its drawing (entities, notes, symbol instances,
// dimensions), each at most once, in the order added; an item may be on several layers.
// While the display status is blank, every item on the layer is hidden from drawing and
// picking. The status the drawing's file keeps is the one last saved
// (VynLayerDisplaystatusSave); a status set and not saved lasts for the session.
inline constexpr int layer_status_shown = 1;
inline constexpr int layer_status_blank = 3;
struct LayerMember {
  int type = item_type_draft_entity;
  int id = 0;
  bool operator==(const LayerMember&) const = default;
};
struct DrawingLayer {
  int id = 0;
  std::u16string name;  // 1 to 31 characters, unique in the drawing (compared exactly)
  int status = layer_status_shown;
  int saved_status = layer_status_shown;
  std::vector<LayerMember> items;
};

// All a drawing holds besides its name, units and external data. Items are kept by id,
// which is their creation order.
struct DrawingContent {
  std::vector<DrawingSheet> sheets;  // by number
  int current_sheet = 1;
  std::vector<std::u16string> models;  // the drawing's parts, by name, in the order added
  std::vector<DrawingScale> scales;
  std::vector<DrawingView> views;  // in creation order
  std::map<int, DraftEntity> entities;
  std::map<int, DraftNote> notes;
  std::map<int, SymbolInstance> symbols;
  std::map<int, DrawingDimension> dimensions;
  std::map<int, DrawingLayer> layers;
};

// ---- Queries -------------------------------------------------------------------------

// The content of a live drawing; null for anything else.
const DrawingContent* host_drawing(VynMdl drawing);

// Whether model holds a live item of that type and id: a drawing's entity, note, symbol
// instance or dimension, a part's feature or surface, or the model itself. A deleted
// item stays dead.
bool stored_item_exists(VynMdl model, int type, int id);
// Whether a live item of a drawing is hidden from drawing and picking: a draft entity
// whose own hidden flag is set, or an entity, note, symbol instance or dimension that a
// layer of blank display status holds. False for anything else.
bool stored_item_hidden(VynMdl model, int type, int id);

// The display-list entries that draw an entity of the drawing, as VynDtlentityDraw adds
// them: a point, a line, an arc, a circle (an arc of sweep full_circle_sweep), or short
// lines along a spline, in the entity's colour and naming it as their item.
std::vector<DrawEntry> draft_entity_drawing(VynMdl drawing, const DraftEntity& entity);

// The word of an item type that layers hold, as files and the report write it: "entity",
// "note", "symbol" or "dimension"; "" for any other type.
const char* drawing_item_word(int type);

// ---- Changes (tests, importers, the scenario runner) ---------------------------------
//
// Each answers false (or -1) with the reason in error, and changes nothing, for a model
// that is not a live drawing or content that breaks the rules above.

// A new sheet numbered after the last, with the current sheet's size, scale and
// transform; its number, or -1.
int host_sheet_add(VynMdl drawing, std::string& error);
// Replaces the size, scale and transform of the sheet of that number (its views stay).
bool host_sheet_set(VynMdl drawing, const DrawingSheet& sheet, std::string& error);
bool host_current_sheet_set(VynMdl drawing, int sheet, std::string& error);
// Adds a part (by name) to the drawing's models.
bool host_drawing_model_add(VynMdl drawing, const std::u16string& part, std::string& error);

// Adds a drawing view of one of the drawing's models (its handle is made here; a name
// is 1 to 31 characters, unique among the drawing's views; the parent, if any, is a
// view added before). The new id, or -1.
int host_view_add(VynMdl drawing, const DrawingView& view, std::string& error);

// Adds an entity; its id is entity.id when that is above every id the drawing has used
// (0: the next id). The new id, or -1.
int host_entity_add(VynMdl drawing, const DraftEntity& entity, std::string& error);
// Replaces the curve of a live entity.
bool host_entity_curve_set(VynMdl drawing, int id, const DraftCurve& curve, std::string& error);
// Deletes a live entity as VynDtlentityDelete does.
bool host_entity_delete(VynMdl drawing, int id);
int host_note_add(VynMdl drawing, const DraftNote& note, std::string& error);
int host_symbol_add(VynMdl drawing, const SymbolInstance& symbol, std::string& error);
int host_dimension_add(VynMdl drawing, const DrawingDimension& dimension, std::string& error);
// Adds an empty layer named layer.name (1 to 31 characters, a name the drawing does not
// have) whose display status, set and saved, is layer.status (shown or blank); its id is
// layer.id when that is above every id the drawing has used (0: the next id). The
// layer's items are not read: add them with host_layer_item_add. The new id, or -1.
int host_layer_add(VynMdl drawing, const DrawingLayer& layer, std::string& error);
// Puts a live entity, note, symbol instance or dimension (type and id) on a layer, as
// VynLayerItemAdd does: an item already on it stays where it is.
bool host_layer_item_add(VynMdl drawing, int layer, const LayerMember& item, std::string& error);

// A curve record of each kind, every other byte zero.
DraftCurve draft_point(const double point[3]);
DraftCurve draft_line(const double end1[3], const double end2[3]);
// An arc in the sheet's plane around origin from the angle start (radians from +x)
// through sweep; a full circle when sweep is full_circle_sweep.
DraftCurve draft_arc(const double origin[3], double radius, double start, double sweep);

// The point of a curve at a parameter from 0 (its start) to 1 (its end): along a line,
// around an arc by its sweep, along a spline by its parameters. False for a curve that
// is not one of the four kinds.
bool draft_curve_point(const DraftCurve& curve, double parameter, double point[3]);

}  // namespace yrlhost
