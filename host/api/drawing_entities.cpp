// Draft entities: their data records and curves, creation, drawing, deletion and visits.
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "host/display/graphics.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/live_objects.h"
#include "host/store/model_store.h"

// Entity data: a snapshot of an entity, or the makings of a new one.
struct VynDtlentitydataRecord {
  VynMdl drawing = nullptr;
  int id = 0;             // the entity it names; 0 for none yet
  bool placed = false;    // sheet and view given (an entity's, or by ViewSet)
  int sheet = 0;
  int view = yrlhost::view_background;
  VynColor colour{};
  bool hidden = false;
  VynCurvedata* curve = nullptr;  // a host curve the data holds
};

namespace yrlhost {
namespace {

// A curve record the host handed out, with the data that holds it (if any) and the
// arrays of a spline the host filled it with.
struct HostCurve {
  VynCurvedata record{};
  VynDtlentitydataRecord* holder = nullptr;
  std::vector<VynArray> arrays;
};

struct EntityRecords {
  std::map<const VynDtlentitydataRecord*, std::unique_ptr<VynDtlentitydataRecord>> data;
  std::map<const VynCurvedata*, std::unique_ptr<HostCurve>> curves;
};

EntityRecords& records() {
  static EntityRecords held;
  return held;
}

VynDtlentitydataRecord* live_data(VynDtlentitydata data) {
  auto found = records().data.find(data);
  return found == records().data.end() ? nullptr : found->second.get();
}

HostCurve* host_curve(const VynCurvedata* curve) {
  auto found = records().curves.find(curve);
  return found == records().curves.end() ? nullptr : found->second.get();
}

HostCurve& curve_new() {
  auto curve = std::make_unique<HostCurve>();
  std::memset(&curve->record, 0, sizeof curve->record);
  HostCurve& made = *curve;
  live_object_add(LiveKind::data_record, &made.record);
  records().curves[&made.record] = std::move(curve);
  return made;
}

void curve_delete(HostCurve* curve) {
  if (!curve) return;
  for (VynArray& array : curve->arrays) host_array_release(&array);
  live_object_remove(LiveKind::data_record, &curve->record);
  records().curves.erase(&curve->record);
}

VynDtlentitydataRecord& data_new(VynMdl drawing) {
  auto data = std::make_unique<VynDtlentitydataRecord>();
  data->drawing = drawing;
  VynDtlentitydataRecord& made = *data;
  live_object_add(LiveKind::data_record, &made);
  records().data[&made] = std::move(data);
  return made;
}

void data_delete(VynDtlentitydataRecord* data) {
  curve_delete(host_curve(data->curve));
  live_object_remove(LiveKind::data_record, data);
  records().data.erase(data);
}

// Gives the data a curve record of its own holding the entity's curve; a spline's knots
// go into arrays the data frees.
void data_curve_fill(VynDtlentitydataRecord& data, const DraftCurve& curve) {
  HostCurve& held = curve_new();
  held.holder = &data;
  held.record = curve.record;
  if (curve.record.point.type == VYN_CURVE_SPLINE) {
    std::vector<double> params, points, tangents;
    for (const SplineKnot& knot : curve.spline) {
      params.push_back(knot.parameter);
      points.insert(points.end(), knot.point, knot.point + 3);
      tangents.insert(tangents.end(), knot.tangent, knot.tangent + 3);
    }
    VynSplineCurve& spline = held.record.spline;
    const int n = static_cast<int>(curve.spline.size());
    host_array_hand_out(params.data(), params.size(), sizeof(double), &spline.params);
    host_array_hand_out(points.data(), curve.spline.size(), 3 * sizeof(double), &spline.points);
    host_array_hand_out(tangents.data(), curve.spline.size(), 3 * sizeof(double), &spline.tangents);
    spline.num_points = n;
    held.arrays = {spline.params, spline.points, spline.tangents};
  }
  data.curve = &held.record;
}

// The drawing and entity a VynDtlentity names: model null for a bad record, entity null
// for an id that names no live entity.
struct EntityRef {
  StoredModel* model = nullptr;
  DraftEntity* entity = nullptr;
};

EntityRef entity_ref(const VynDtlentity* item) {
  StoredModel* model = item && item->type == item_type_draft_entity ? stored_drawing(item->owner) : nullptr;
  if (!model) return {};
  auto found = model->drawing.entities.find(item->id);
  return {model, found == model->drawing.entities.end() ? nullptr : &found->second};
}

VynError entity_status(const EntityRef& ref) {
  return !ref.model ? VYN_TK_BAD_INPUTS : !ref.entity ? VYN_TK_E_NOT_FOUND : VYN_TK_NO_ERROR;
}

}  // namespace

void drawing_entities_testing_reset() {
  EntityRecords& held = records();
  for (auto& [key, curve] : held.curves) {
    for (VynArray& array : curve->arrays) host_array_release(&array);
    live_object_remove(LiveKind::data_record, &curve->record);
  }
  for (auto& [key, data] : held.data) live_object_remove(LiveKind::data_record, data.get());
  held = EntityRecords{};
}

// ---- Entity data ----------------------------------------------------------------------

VynError Behaviour<HostApi::VynDtlentityDataGet>::run(int, VynDtlentity* entity,
                                                      VynDtlsymdef* symbol,
                                                      VynDtlentitydata* data) {
  EntityRef ref = entity_ref(entity);
  if (symbol || !data) return VYN_TK_BAD_INPUTS;
  if (VynError status = entity_status(ref)) return status;
  VynDtlentitydataRecord& made = data_new(ref.model->handle);
  made.id = ref.entity->id;
  made.placed = true;
  made.sheet = ref.entity->sheet;
  made.view = ref.entity->view;
  made.colour = ref.entity->colour;
  made.hidden = stored_item_hidden(ref.model->handle, item_type_draft_entity, made.id);
  data_curve_fill(made, ref.entity->curve);
  *data = &made;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataFree>::run(int, VynDtlentitydata data) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held) return VYN_TK_BAD_INPUTS;
  data_delete(held);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataIdGet>::run(int, VynDtlentitydata data, int* id) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held || !id) return VYN_TK_BAD_INPUTS;
  if (held->id == 0) return VYN_TK_E_NOT_FOUND;
  *id = held->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataCurveGet>::run(int, VynDtlentitydata data,
                                                           VynCurvedata** curve) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held || !curve) return VYN_TK_BAD_INPUTS;
  if (!held->curve) return VYN_TK_E_NOT_FOUND;
  *curve = held->curve;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataColorGet>::run(int, VynDtlentitydata data,
                                                           VynColor* color) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held || !color) return VYN_TK_BAD_INPUTS;
  *color = held->colour;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataIsHidden>::run(int, VynDtlentitydata data, int* hidden) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held || !hidden) return VYN_TK_BAD_INPUTS;
  *hidden = held->hidden ? 1 : 0;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataAlloc>::run(int, VynMdl drawing, VynDtlentitydata* data) {
  if (!stored_drawing(drawing) || !data) return VYN_TK_BAD_INPUTS;
  *data = &data_new(drawing);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynCurvedataAlloc>::run(int, VynCurvedata** curve) {
  if (!curve) return VYN_TK_BAD_INPUTS;
  *curve = &curve_new().record;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataCurveSet>::run(int, VynDtlentitydata data,
                                                           VynCurvedata* curve) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held || !curve) return VYN_TK_BAD_INPUTS;
  if (curve == held->curve) return VYN_TK_NO_ERROR;
  HostCurve* taken = host_curve(curve);
  if (!taken || taken->holder) {
    // Copied: a record of the plug-in's, or one another data holds (whose spline arrays,
    // if the host filled them, stay that data's).
    HostCurve& copy = curve_new();
    std::memcpy(&copy.record, curve, sizeof copy.record);
    taken = &copy;
  }
  curve_delete(host_curve(held->curve));
  taken->holder = held;
  held->curve = &taken->record;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataViewSet>::run(int, VynDtlentitydata data, VynView view) {
  VynDtlentitydataRecord* held = live_data(data);
  StoredModel* model = held ? stored_drawing(held->drawing) : nullptr;
  std::optional<ViewPlace> place = model ? drawing_view_place(*model, view) : std::nullopt;
  if (!place) return VYN_TK_BAD_INPUTS;
  held->placed = true;
  held->sheet = place->sheet;
  held->view = place->view;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentitydataColorSet>::run(int, VynDtlentitydata data,
                                                           const VynColor* color) {
  VynDtlentitydataRecord* held = live_data(data);
  if (!held || !color || !host_colour_valid(*color)) return VYN_TK_BAD_INPUTS;
  held->colour = *color;
  return VYN_TK_NO_ERROR;
}

// ---- Entities --------------------------------------------------------------------------

VynError Behaviour<HostApi::VynDtlentityCreate>::run(int, VynMdl drawing, VynDtlsymdef* symbol,
                                                     VynDtlentitydata data, VynDtlentity* entity) {
  StoredModel* model = stored_drawing(drawing);
  VynDtlentitydataRecord* held = live_data(data);
  if (!model || !held || held->drawing != drawing || symbol || !entity || !held->curve)
    return VYN_TK_BAD_INPUTS;
  DraftEntity made;
  std::string error;
  if (!drawing_curve_from_record(*held->curve, made.curve, error)) return VYN_TK_BAD_INPUTS;
  made.sheet = held->placed ? held->sheet : model->drawing.current_sheet;
  made.view = held->placed ? held->view : view_background;
  made.colour = held->colour;
  int id = host_entity_add(drawing, made, error);
  if (id < 0) return VYN_TK_BAD_INPUTS;  // the view was deleted since it was set
  held->id = id;
  *entity = VynDtlentity{item_type_draft_entity, id, drawing};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentityDraw>::run(int, VynDtlentity* entity) {
  EntityRef ref = entity_ref(entity);
  if (VynError status = entity_status(ref)) return status;
  if (stored_item_hidden(ref.model->handle, item_type_draft_entity, ref.entity->id))
    return VYN_TK_NO_ERROR;
  display_list_add(draft_entity_drawing(ref.model->handle, *ref.entity));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlentityDelete>::run(int, VynDtlentity* entity, int) {
  EntityRef ref = entity_ref(entity);
  if (VynError status = entity_status(ref)) return status;
  drawing_entity_erase(*ref.model, ref.entity->id);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingDtlentityVisit>::run(int, VynMdl drawing, VynDtlsymdef* symbol,
                                                           int sheet, VynDtlentityVisitAction action,
                                                           VynDtlentityFilterAction filter,
                                                           void* app_data) {
  StoredModel* model = stored_drawing(drawing);
  if (!model || symbol || !action || (sheet != -1 && !drawing_sheet(*model, sheet)))
    return VYN_TK_BAD_INPUTS;
  return drawing_visit(*model, item_type_draft_entity, sheet, action, filter, app_data);
}

}  // namespace yrlhost
