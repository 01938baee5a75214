// The models module's own store, shared by its source files: the session's models with
// their features, surfaces and parameters, and a drawing's content (host/store/drawings.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/store/drawings.h"
#include "host/geometry/geometry.h"
#include "host/store/models.h"
#include "host/util/utf16.h"
#include "toolkit/local/paramdata.h"

namespace yrlhost {

struct StoredSurface {
  VynSurface handle = nullptr;
  int id = 0;
  HostPlane plane{};
  double uv_min[2] = {-250.0, -250.0};
  double uv_max[2] = {250.0, 250.0};
};

struct StoredFeature {
  int id = 0;
  int type = 0;
  int status = feature_status_active;
  bool visible = true;
  std::u16string name;  // empty: unnamed
  std::vector<StoredSurface> surfaces;
  // A feature made from an element tree (host/store/feature_build.h): the host's read-only copy
  // of its tree (null for a feature of a template's lines), a sketched feature's section
  // and that section's entities at its last good build, and the item ids of the datum
  // items it makes, kept across rebuilds.
  VynElement tree = nullptr;
  VynSection section = nullptr;
  std::vector<geom::SectionEntity> sketch;
  std::vector<int> datum_ids;
  // The part as it stood after this feature at the last regeneration that reached it (the
  // solid and how many datum items there were), so that a change further on rebuilds from
  // there.
  bool regenerated = false;
  geom::Shape solid_after;
  std::size_t datums_after = 0;
};

// A datum item a datum feature makes: a plane, an axis, a point or a curve (its section's
// entities carried into the model by the feature's frame).
enum class DatumKind { plane, axis, point, curve };
struct StoredDatum {
  int id = 0;          // the item id, from the model's one sequence
  int feature_id = 0;  // the datum feature that makes it
  DatumKind kind = DatumKind::plane;
  std::u16string name;
  geom::Plane plane{};
  geom::Axis axis{};
  geom::Vec3 point{};
  geom::Frame curve_frame{};
  std::vector<geom::SectionEntity> curve;  // in the frame's (u, v)
};

struct StoredParameter {
  int owner_type = 0;
  int owner_id = 0;
  std::u16string name;
  VynParamvalue value{};
};

struct StoredModel {
  VynMdl handle = nullptr;
  int id = 0;  // the model's item id (VynMdlToModelitem)
  int type = 0;
  std::u16string name;
  std::string units;
  std::u16string path;  // the file it came from or went to; empty for none
  std::vector<StoredFeature> features;
  std::vector<StoredParameter> parameters;
  DrawingContent drawing;  // drawings only
  geom::Shape solid;                // parts: the solid of the last good regeneration
  std::vector<StoredDatum> datums;  // parts: the datum items of its datum features
  int next_item_id = 1;    // every item id of a model comes from this one sequence
};

// The live model a handle names; null for a stale, foreign or null handle (never
// dereferenced).
StoredModel* stored_model(VynMdl model);
// A new model in session (not current); the caller has checked name and type.
StoredModel& stored_model_add(int type, std::u16string name, std::string units);
// Takes a model out of session and tells the modules that keep data per model.
void stored_model_erase(VynMdl model);
// The live models in session order.
std::vector<StoredModel*> stored_models();
// The model of that name and type; null when there is none.
StoredModel* stored_model_find(int type, const std::u16string& name);

// A new surface or view handle, never given out before.
VynSurface stored_surface_handle_new();
VynView stored_view_handle_new();
// The feature of a model by id; null when there is none.
StoredFeature* stored_feature(StoredModel& model, int feature_id);

// The parameter of an owner item (its type and id) by name; null when there is none.
StoredParameter* stored_parameter(StoredModel& model, int owner_type, int owner_id,
                                  const std::u16string& name);

// What a VynParameter record the plug-in holds names: the host keeps it by the record's
// address, as the plug-in hands the same record back to VynParameterValueSet. A model's
// bindings go with it.
struct ParameterBinding {
  VynMdl model = nullptr;
  int owner_type = 0;
  int owner_id = 0;
  std::u16string name;
};
void parameter_binding_set(const void* record, const ParameterBinding& binding);
// The binding of a record; null for a record never bound or of a model erased since.
const ParameterBinding* parameter_binding(const void* record);

// Sets the function of a notification type (null: none).
void notification_set(int type, VynNotificationFunction function);

// The model-retrieve notification for a model that came into session.
VynError notify_model_retrieved(VynMdl model);

// Runs a visit over items taken before the first callback, so that callbacks may change
// the model (and start visits of their own): no item is offered twice, and an item made
// during the visit is not offered. With still_live given, an item it says is gone by the
// time its turn comes is skipped; without it, it is still offered (and answers -2 where
// it is used). The filter (when given) returns -7 to skip an item, anything else visits
// it and is handed to the action as its filter status; an action's nonzero status stops
// the visit and is returned; a complete visit returns 0.
VynError visit_items(std::vector<VynModelitem> items, VynModelitemVisitAction action,
                     VynModelitemFilterAction filter, void* app_data,
                     bool (*still_live)(const VynModelitem&) = nullptr);

// ---- Drawing content (drawing_store.cpp) ---------------------------------------------

// The live drawing a handle names; null for anything else.
StoredModel* stored_drawing(VynMdl drawing);
// What a new drawing holds: sheet 1 (size "A", scale 1, identity transform), current.
DrawingContent drawing_content_new();
// A copy of a drawing's content whose views have handles of their own.
DrawingContent drawing_content_copy(const DrawingContent& content);
DrawingSheet* drawing_sheet(StoredModel& model, int number);
DrawingView* drawing_view_by_id(StoredModel& model, int id);

// Where a view handle of the drawing stands: its sheet and its view (view_background,
// view_overlay or a drawing view's id); nothing for a handle of no view of the drawing.
struct ViewPlace {
  int sheet = 0;
  int view = view_background;
};
std::optional<ViewPlace> drawing_view_place(const StoredModel& model, VynView view);
// The handle of a sheet's view; null when there is none.
VynView drawing_view_handle(const StoredModel& model, int sheet, int view);

// Why a curve, a colour, a place (sheet and view), a sheet or an item cannot be the
// drawing's; "" when it can. The checks of the host-side functions and of the files.
std::string drawing_curve_problem(const DraftCurve& curve);
std::string drawing_colour_problem(const VynColor& colour);
std::string drawing_place_problem(const DrawingContent& content, int sheet, int view);
std::string drawing_sheet_problem(const DrawingSheet& sheet);
std::string drawing_view_problem(const DrawingContent& content, const DrawingView& view);
std::string drawing_entity_problem(const DrawingContent& content, const DraftEntity& entity);
std::string drawing_note_problem(const DrawingContent& content, const DraftNote& note);
std::string drawing_symbol_problem(const DrawingContent& content, const SymbolInstance& symbol);
std::string drawing_dimension_problem(const DrawingContent& content,
                                      const DrawingDimension& dimension);
// A layer's name and statuses (its items are checked one by one, below).
std::string drawing_layer_problem(const DrawingContent& content, const DrawingLayer& layer);
// Why an item cannot be on a layer of the drawing: it is no live entity, note, symbol
// instance or dimension of it; "" when it can.
std::string drawing_layer_member_problem(const DrawingContent& content, const LayerMember& item);
// Sets the location of a note on an entity (one that passed its check) to the entity's
// point at the parameter.
void drawing_note_locate(const DrawingContent& content, DraftNote& note);
// A curve of the plug-in's record, with the fields of its type only; the spline's knots
// are read from the record's arrays. False with the reason for a record that is not a
// point, line, arc or spline the host keeps.
bool drawing_curve_from_record(const VynCurvedata& record, DraftCurve& curve,
                               std::string& error);

// Takes an item id: wanted when it is above every id used (0: the next one). -1, with
// the reason in error, for an id used before.
int drawing_item_id_take(StoredModel& model, int wanted, std::string& error);

// The ids of a drawing's items of one type (entity, note, symbol, dimension) on a sheet
// (-1: every sheet), in id order; for layers, which have no sheet, every layer's.
std::vector<int> drawing_item_ids(const StoredModel& model, int type, int sheet);
bool drawing_item_live(const StoredModel& model, int type, int id);
// The items of one type on a sheet (-1: every sheet) as model items of the drawing.
std::vector<VynModelitem> drawing_items(const StoredModel& model, int type, int sheet);

// Visits a drawing's items of one type on a sheet (-1: every sheet) as visit_items does;
// an item deleted by an earlier callback is skipped.
VynError drawing_visit(const StoredModel& model, int type, int sheet,
                       VynModelitemVisitAction action, VynModelitemFilterAction filter,
                       void* app_data);

// ---- Layers (drawing_store.cpp) -------------------------------------------------------

// The layer of that name; null when there is none.
DrawingLayer* drawing_layer_named(StoredModel& model, const std::u16string& name);
// Puts an item (one that passed drawing_layer_member_problem) on a layer, at the end,
// unless the layer holds it already; an item put on a blank layer leaves the windows.
void drawing_layer_item_put(StoredModel& model, DrawingLayer& layer, const LayerMember& item);
// Sets a layer's display status (shown or blank); the items of a layer that becomes
// blank leave the windows.
void drawing_layer_status_set(StoredModel& model, DrawingLayer& layer, int status);

// Deletes an entity: its attachments go (a note on it stays free where it hung), its
// drawings leave the windows, and its id stays dead.
void drawing_entity_erase(StoredModel& model, int id);
// Deletes a drawing view with its items and (all of them, deeply) the views that hang
// from it.
void drawing_view_erase(StoredModel& model, int id);

// A module above the store that keeps data per model (the note and symbol data records
// the drawing functions hand out) sets the function that drops a model's data when the
// model leaves the session; it sets it before it keeps anything, so nothing is missed.
void stored_model_erase_hook_set(void (*hook)(VynMdl model));

}  // namespace yrlhost
