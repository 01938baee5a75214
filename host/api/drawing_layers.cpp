// Layers of a drawing: creation and lookup by name, visits, display status, and the items
// a layer holds (the rules are in host/store/drawings.h and host/api/drawing_behaviours.h).
#include <algorithm>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/store/model_store.h"

namespace yrlhost {
namespace {

// The layer a call names: -2 for a bad record, -4 for an id that names no live layer.
struct LayerRef {
  VynError status = VYN_TK_BAD_INPUTS;
  StoredModel* model = nullptr;
  DrawingLayer* layer = nullptr;
};

LayerRef layer_ref(const VynLayer* layer) {
  StoredModel* model = layer && layer->type == item_type_layer ? stored_drawing(layer->owner) : nullptr;
  if (!model) return {};
  auto found = model->drawing.layers.find(layer->id);
  if (found == model->drawing.layers.end()) return {VYN_TK_E_NOT_FOUND, model, nullptr};
  return {VYN_TK_NO_ERROR, model, &found->second};
}

VynLayer layer_record(const StoredModel& model, const DrawingLayer& layer) {
  return VynLayer{item_type_layer, layer.id, model.handle};
}

bool layer_name_read(const VynWchar* name, std::u16string& wide) {
  return wide_name_read(name, wide) && !wide.empty();
}

bool item_type_on_layers(int type) {
  return type == item_type_draft_entity || type == item_type_note || type == item_type_symbol ||
         type == item_type_dimension;
}

// The layer item a call names, of the layer's own drawing; false for a bad record.
bool layer_member(const LayerRef& ref, const VynLayerItem* item, LayerMember& member) {
  if (!item || item->owner != ref.model->handle || !item_type_on_layers(item->type)) return false;
  member = LayerMember{item->type, item->id};
  return true;
}

}  // namespace

VynError Behaviour<HostApi::VynLayerCreate>::run(int, VynMdl model, const VynWchar* name, VynLayer* layer) {
  StoredModel* drawing = stored_drawing(model);
  std::u16string wide;
  if (!drawing || !layer || !layer_name_read(name, wide)) return VYN_TK_BAD_INPUTS;
  if (DrawingLayer* existing = drawing_layer_named(*drawing, wide)) {
    *layer = layer_record(*drawing, *existing);
    return VYN_TK_NO_ERROR;
  }
  DrawingLayer made;
  made.name = wide;
  std::string error;
  int id = host_layer_add(model, made, error);
  if (id < 0) return VYN_TK_BAD_INPUTS;
  *layer = VynLayer{item_type_layer, id, model};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMdlLayerGet>::run(int, VynMdl model, const VynWchar* name, VynLayer* layer) {
  StoredModel* drawing = stored_drawing(model);
  std::u16string wide;
  if (!drawing || !layer || !layer_name_read(name, wide)) return VYN_TK_BAD_INPUTS;
  DrawingLayer* found = drawing_layer_named(*drawing, wide);
  if (!found) return VYN_TK_E_NOT_FOUND;
  *layer = layer_record(*drawing, *found);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMdlLayerVisit>::run(int, VynMdl model, VynLayerVisitAction action,
                                                   VynLayerFilterAction filter, void* app_data) {
  StoredModel* drawing = stored_drawing(model);
  if (!drawing || !action) return VYN_TK_BAD_INPUTS;
  return drawing_visit(*drawing, item_type_layer, -1, action, filter, app_data);
}

VynError Behaviour<HostApi::VynLayerDelete>::run(int, VynLayer* layer) {
  LayerRef ref = layer_ref(layer);
  if (ref.status) return ref.status;
  ref.model->drawing.layers.erase(ref.layer->id);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerDisplaystatusGet>::run(int, VynLayer* layer, int* status) {
  LayerRef ref = layer_ref(layer);
  if (!status) return VYN_TK_BAD_INPUTS;
  if (ref.status) return ref.status;
  *status = ref.layer->status;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerDisplaystatusSet>::run(int, VynLayer* layer, int status) {
  LayerRef ref = layer_ref(layer);
  if (ref.status) return ref.status;
  if (status != layer_status_shown && status != layer_status_blank) return VYN_TK_BAD_INPUTS;
  drawing_layer_status_set(*ref.model, *ref.layer, status);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerDisplaystatusSave>::run(int, VynMdl model) {
  StoredModel* drawing = stored_drawing(model);
  if (!drawing) return VYN_TK_BAD_INPUTS;
  for (auto& [id, layer] : drawing->drawing.layers) layer.saved_status = layer.status;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerItemInit>::run(int, int type, int id, VynMdl owner, VynLayerItem* item) {
  if (!stored_drawing(owner) || !item || !item_type_on_layers(type)) return VYN_TK_BAD_INPUTS;
  *item = VynLayerItem{type, id, owner};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerItemAdd>::run(int, VynLayer* layer, VynLayerItem* item) {
  LayerRef ref = layer_ref(layer);
  if (ref.status) return ref.status;
  LayerMember member;
  if (!layer_member(ref, item, member)) return VYN_TK_BAD_INPUTS;
  if (!drawing_layer_member_problem(ref.model->drawing, member).empty()) return VYN_TK_E_NOT_FOUND;
  drawing_layer_item_put(*ref.model, *ref.layer, member);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerItemRemove>::run(int, VynLayer* layer, VynLayerItem* item) {
  LayerRef ref = layer_ref(layer);
  if (ref.status) return ref.status;
  LayerMember member;
  if (!layer_member(ref, item, member)) return VYN_TK_BAD_INPUTS;
  std::vector<LayerMember>& items = ref.layer->items;
  auto found = std::find(items.begin(), items.end(), member);
  if (found == items.end()) return VYN_TK_E_NOT_FOUND;
  items.erase(found);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynLayerItemsGet>::run(int, VynLayer* layer, VynArray* items, int* count) {
  LayerRef ref = layer_ref(layer);
  if (!items || !count) return VYN_TK_BAD_INPUTS;
  if (ref.status) return ref.status;
  std::vector<VynLayerItem> records;
  for (const LayerMember& member : ref.layer->items)
    records.push_back(VynLayerItem{member.type, member.id, ref.model->handle});
  if (VynError status = host_array_hand_out(records, items)) return status;
  *count = static_cast<int>(records.size());
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
