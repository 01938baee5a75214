// The session's models: the store, the current model, model items, parameters and
// notifications, with the host functions on them.
#include "host/store/models.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "host/store/assemblies.h"
#include "host/store/extdata.h"
#include "host/store/feature_build.h"
#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/util/utf16.h"
#include "platform/w32/codepage.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/local/mdldata.h"

namespace yrlhost {
namespace {

// What a VynParameter record the plug-in holds names: the host keeps it by the record's
// address, as the plug-in hands the same record back to VynParameterValueSet.
struct ParameterBinding {
  VynMdl model = nullptr;
  int owner_type = 0;
  int owner_id = 0;
  std::u16string name;
};

// Handles are numbers in ranges of their own, far from any address the process uses
// for data the plug-in could mix them up with.
constexpr std::uintptr_t model_handle_base = 0x6d000000;
constexpr std::uintptr_t surface_handle_base = 0x73000000;
constexpr std::uintptr_t view_handle_base = 0x76000000;

struct ModelState {
  std::vector<std::unique_ptr<StoredModel>> models;
  VynMdl current = nullptr;
  std::uintptr_t next_model_serial = 1;
  std::uintptr_t next_surface_serial = 1;
  std::uintptr_t next_view_serial = 1;
  std::map<int, VynNotificationFunction> notifications;
  std::map<const void*, ParameterBinding> parameters;
};

ModelState& state() {
  static ModelState models;
  return models;
}

const std::u16string& type_text(int type) {
  static const std::u16string part = u"PRT", drawing = u"DRW", assembly = u"ASM", other = u"";
  return type == model_type_part        ? part
         : type == model_type_drawing   ? drawing
         : type == model_type_assembly  ? assembly
                                        : other;
}

// The prefix of a feature's default name by its type.
std::u16string default_name_prefix(int type) {
  switch (type) {
    case feature_type_datum_plane: return u"DTM";
    case 931: return u"PNT";
    case 949: return u"CURVE";
    case 917: return u"PROTRUSION";
    case 916: return u"CUT";
    case 911: return u"HOLE";
    default: return u"FEATURE";
  }
}

// A value of a known type; a string ends within its record.
bool valid_param_value(const VynParamvalue& value) {
  if (value.type == VYN_PARAM_STRING)
    return std::find(value.value.as_string, value.value.as_string + VYN_PARAM_STRING_SIZE, 0) !=
           value.value.as_string + VYN_PARAM_STRING_SIZE;
  return (value.type >= VYN_PARAM_DOUBLE && value.type <= VYN_PARAM_ID) ||
         value.type == VYN_PARAM_VOID;
}

// The parameter of an owner item by name.
StoredParameter* find_parameter(StoredModel& model, int owner_type, int owner_id,
                                const std::u16string& name) {
  for (StoredParameter& parameter : model.parameters) {
    if (parameter.owner_type == owner_type && parameter.owner_id == owner_id &&
        parameter.name == name)
      return &parameter;
  }
  return nullptr;
}

// Whether item names the model itself or one of its features (a parameter's owner).
bool owner_item_exists(StoredModel& model, const VynModelitem& item) {
  if (item.type == model.type && item.id == model.id) return true;
  return item.type == item_type_feature && stored_feature(model, item.id) != nullptr;
}

}  // namespace

// ---- Store ---------------------------------------------------------------------------

StoredModel* stored_model(VynMdl model) {
  if (!model) return nullptr;
  for (auto& stored : state().models)
    if (stored->handle == model) return stored.get();
  return nullptr;
}

StoredModel& stored_model_add(int type, std::u16string name, std::string units) {
  ModelState& s = state();
  auto model = std::make_unique<StoredModel>();
  std::uintptr_t serial = s.next_model_serial++;
  model->id = static_cast<int>(serial);
  // An assembly's handle is the address of its record (host/store/assemblies.h).
  model->handle = type == model_type_assembly
                      ? assembly_handle_new(model->id)
                      : reinterpret_cast<VynMdl>(model_handle_base + 16 * serial);
  model->type = type;
  model->name = std::move(name);
  model->units = std::move(units);
  if (type == model_type_drawing) model->drawing = drawing_content_new();
  s.models.push_back(std::move(model));
  return *s.models.back();
}

void stored_model_erase(VynMdl model) {
  ModelState& s = state();
  auto it = std::find_if(s.models.begin(), s.models.end(),
                         [model](const auto& stored) { return stored->handle == model; });
  if (it == s.models.end()) return;
  for (StoredFeature& feature : (*it)->features) feature_release(feature);
  s.models.erase(it);
  if (s.current == model) s.current = nullptr;
  std::erase_if(s.parameters, [model](const auto& entry) { return entry.second.model == model; });
  extdata_model_erased(model);
  drawing_annotations_model_erased(model);
}

std::vector<StoredModel*> stored_models() {
  std::vector<StoredModel*> models;
  for (auto& stored : state().models) models.push_back(stored.get());
  return models;
}

StoredModel* stored_model_find(int type, const std::u16string& name) {
  for (auto& stored : state().models)
    if (stored->type == type && stored->name == name) return stored.get();
  return nullptr;
}

VynSurface stored_surface_handle_new() {
  return reinterpret_cast<VynSurface>(surface_handle_base + 16 * state().next_surface_serial++);
}

VynView stored_view_handle_new() {
  return reinterpret_cast<VynView>(view_handle_base + 16 * state().next_view_serial++);
}

StoredFeature* stored_feature(StoredModel& model, int feature_id) {
  for (StoredFeature& feature : model.features)
    if (feature.id == feature_id) return &feature;
  return nullptr;
}

VynError visit_items(std::vector<VynModelitem> items, VynModelitemVisitAction action,
                     VynModelitemFilterAction filter, void* app_data,
                     bool (*still_live)(const VynModelitem&)) {
  for (VynModelitem& item : items) {
    if (still_live && !still_live(item)) continue;
    VynError filter_status = VYN_TK_NO_ERROR;
    if (filter) {
      filter_status = filter(&item, app_data);
      if (filter_status == VYN_TK_CONTINUE) continue;
    }
    VynError status = action(&item, filter_status, app_data);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

VynError notify_model_retrieved(VynMdl model) {
  auto it = state().notifications.find(notification_model_retrieve);
  if (it == state().notifications.end() || !it->second) return VYN_TK_NO_ERROR;
  // The retrieve function takes the model and returns a status; the plug-in registered
  // it converted to the generic notification type.
  auto function = reinterpret_cast<VynError (*)(VynMdl)>(it->second);
  return function(model);
}

// ---- Host-side functions -------------------------------------------------------------

bool host_model_is(VynMdl model) { return stored_model(model) != nullptr; }

VynMdl host_current_model() { return state().current; }

VynMdl host_model_create(int type, const std::string& name, std::string& error,
                         const std::string& units) {
  std::u16string wide;
  if (type != model_type_part && type != model_type_drawing) {
    error = "model type " + std::to_string(type) + " is neither a part (2) nor a drawing (4)";
    return nullptr;
  }
  if (!utf16_from_text(name, wide) || wide.empty() || wide.size() > host_name_max) {
    error = "model name \"" + name + "\" is not 1 to 31 characters of UTF-8";
    return nullptr;
  }
  bool one_word = !units.empty() && std::none_of(units.begin(), units.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == 0x7f;
  });
  if (!one_word) {
    error = "units name \"" + units + "\" is not one word";
    return nullptr;
  }
  if (stored_model_find(type, wide)) {
    error = "a model named \"" + name + "\" of that type is already in session";
    return nullptr;
  }
  StoredModel& model = stored_model_add(type, std::move(wide), units);
  state().current = model.handle;
  return model.handle;
}

bool host_model_make_current(VynMdl model) {
  if (!host_model_is(model)) return false;
  state().current = model;
  return true;
}

std::vector<VynMdl> host_models(int type) {
  std::vector<VynMdl> models;
  for (auto& stored : state().models)
    if (type == 0 || stored->type == type) models.push_back(stored->handle);
  return models;
}

VynMdl host_model_find(int type, const std::string& name) {
  std::u16string wide;
  if (!utf16_from_text(name, wide)) return nullptr;
  StoredModel* model = stored_model_find(type, wide);
  return model ? model->handle : nullptr;
}

std::string host_model_name(VynMdl model) {
  StoredModel* stored = stored_model(model);
  return stored ? utf8_from_utf16(stored->name) : std::string();
}

int host_model_type(VynMdl model) {
  StoredModel* stored = stored_model(model);
  return stored ? stored->type : 0;
}

std::string host_model_units(VynMdl model) {
  StoredModel* stored = stored_model(model);
  return stored ? stored->units : std::string();
}

std::string host_model_path(VynMdl model) {
  StoredModel* stored = stored_model(model);
  return stored ? utf8_from_utf16(stored->path) : std::string();
}

bool host_model_erase(VynMdl model) {
  if (!host_model_is(model)) return false;
  stored_model_erase(model);
  return true;
}

void host_models_erase_all() {
  for (VynMdl model : host_models()) stored_model_erase(model);
}

std::optional<VynParamvalue> host_parameter_value(const VynModelitem& owner,
                                                  const std::string& name) {
  StoredModel* model = stored_model(owner.owner);
  std::u16string wide;
  if (!model || !utf16_from_text(name, wide)) return std::nullopt;
  StoredParameter* parameter = find_parameter(*model, owner.type, owner.id, wide);
  if (!parameter) return std::nullopt;
  return parameter->value;
}

VynNotificationFunction host_notification_function(int type) {
  auto it = state().notifications.find(type);
  return it == state().notifications.end() ? nullptr : it->second;
}

VynError host_notify_model_retrieved(VynMdl model) { return notify_model_retrieved(model); }

void models_testing_reset() {
  ModelState& s = state();
  host_models_erase_all();
  s = ModelState{};
  model_features_testing_reset();
  drawing_entities_testing_reset();
  drawing_annotations_testing_reset();
}

// ---- Host functions ------------------------------------------------------------------

VynError Behaviour<HostApi::VynSessionMdlList>::run(int, int type, VynArray* models, int* count) {
  std::vector<VynMdl> list = host_models(type);
  VynError status = host_array_hand_out(list, models);
  if (status == VYN_TK_NO_ERROR && count) *count = static_cast<int>(list.size());
  return status;
}

VynError Behaviour<HostApi::VynMdlCopy>::run(int, VynMdl model, const VynWchar* new_name,
                                             VynMdl* copy) {
  StoredModel* source = stored_model(model);
  std::u16string name;
  if (!source || !copy || !wide_name_read(new_name, name) || name.empty())
    return VYN_TK_BAD_INPUTS;
  if (stored_model_find(source->type, name)) return VYN_TK_E_FOUND;
  StoredModel& target = stored_model_add(source->type, std::move(name), source->units);
  for (const StoredFeature& feature : source->features)
    target.features.push_back(feature_copy(feature, source->handle, target.handle));
  for (StoredFeature& feature : target.features)
    for (StoredSurface& surface : feature.surfaces) surface.handle = stored_surface_handle_new();
  target.parameters = source->parameters;
  if (target.type == model_type_drawing) target.drawing = drawing_content_copy(source->drawing);
  for (StoredParameter& parameter : target.parameters)
    if (parameter.owner_type == source->type && parameter.owner_id == source->id)
      parameter.owner_id = target.id;
  target.solid = source->solid;
  target.datums = source->datums;
  model_geometry_copy(*source, target);  // may take ids of the source first
  target.next_item_id = source->next_item_id;
  *copy = target.handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMdlCurrentGet>::run(int, VynMdl* model) {
  if (!model) return VYN_TK_BAD_INPUTS;
  *model = state().current;
  return *model ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND;
}

VynError Behaviour<HostApi::VynMdlDataGet>::run(int, VynMdl model, VynMdldata* data) {
  StoredModel* stored = stored_model(model);
  if (!stored || !data) return VYN_TK_BAD_INPUTS;
  *data = VynMdldata{};
  wide_name_write(stored->name, data->name);
  wide_name_write(type_text(stored->type), data->type);
  std::size_t length = std::min<std::size_t>(stored->path.size(), VYN_PATH_SIZE - 1);
  std::copy_n(stored->path.data(), length, data->path);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMdlDisplay>::run(int, VynMdl model) {
  return host_model_make_current(model) ? VYN_TK_NO_ERROR : VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynMdlErase>::run(int, VynMdl model) {
  return host_model_erase(model) ? VYN_TK_NO_ERROR : VYN_TK_BAD_INPUTS;
}

VynError Behaviour<HostApi::VynMdlNameGet>::run(int, VynMdl model, VynWchar* name) {
  StoredModel* stored = stored_model(model);
  if (!stored || !name) return VYN_TK_BAD_INPUTS;
  wide_name_write(stored->name, name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::vyndb_get_model_units>::run(int, void* model, int unit_kind, int* unit_type,
                                                       VynWchar* unit_name, double* factor) {
  StoredModel* stored = stored_model(static_cast<VynMdl>(model));
  if (!stored || !unit_name) return VYN_TK_BAD_INPUTS;
  if (unit_kind != 21) return 0;
  wide_name_write(utf16_from_text(stored->units), unit_name);
  if (unit_type) *unit_type = 0;
  if (factor) *factor = 1.0;
  return 1;
}

VynError Behaviour<HostApi::VynMdlToModelitem>::run(int, VynMdl model, VynModelitem* item) {
  StoredModel* stored = stored_model(model);
  if (!stored || !item) return VYN_TK_BAD_INPUTS;
  *item = VynModelitem{stored->type, stored->id, model};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynMdlTypeGet>::run(int, VynMdl model, int* type) {
  StoredModel* stored = stored_model(model);
  if (!stored || !type) return VYN_TK_BAD_INPUTS;
  *type = stored->type;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynModelitemDefaultnameGet>::run(int, VynModelitem* item,
                                                            VynWchar* name) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  if (!model || !name) return VYN_TK_BAD_INPUTS;
  if (item->type != item_type_feature) return VYN_TK_BAD_INPUTS;
  StoredFeature* feature = stored_feature(*model, item->id);
  if (!feature) return VYN_TK_E_NOT_FOUND;
  std::string id = std::to_string(feature->id);
  wide_name_write(default_name_prefix(feature->type) + std::u16string(id.begin(), id.end()), name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynModelitemInit>::run(int, VynMdl owner, int id, int type,
                                                   VynModelitem* item) {
  if (!host_model_is(owner) || !item) return VYN_TK_BAD_INPUTS;
  *item = VynModelitem{type, id, owner};
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynModelitemNameGet>::run(int, VynModelitem* item, VynWchar* name) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  if (!model || !name) return VYN_TK_BAD_INPUTS;
  if (item->type == model->type && item->id == model->id) {
    wide_name_write(model->name, name);
    return VYN_TK_NO_ERROR;
  }
  if (item->type == item_type_layer) {
    auto layer = model->drawing.layers.find(item->id);
    if (layer == model->drawing.layers.end()) return VYN_TK_E_NOT_FOUND;
    wide_name_write(layer->second.name, name);
    return VYN_TK_NO_ERROR;
  }
  if (item->type != item_type_feature) {
    // A datum item carries its feature's name, and so does the plane a template's datum
    // plane feature holds; faces and edges have none.
    std::optional<GeomitemRef> ref = geomitem_find(item);
    const std::u16string* named = nullptr;
    if (ref && ref->datum)
      named = &ref->datum->name;
    else if (ref && ref->feature && ref->feature->type == feature_type_datum_plane)
      named = &ref->feature->name;
    if (!named || named->empty()) return VYN_TK_E_NOT_FOUND;
    wide_name_write(*named, name);
    return VYN_TK_NO_ERROR;
  }
  StoredFeature* feature = stored_feature(*model, item->id);
  if (!feature || feature->name.empty()) return VYN_TK_E_NOT_FOUND;
  wide_name_write(feature->name, name);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynModelitemNameSet>::run(int, VynModelitem* item,
                                                      const VynWchar* name) {
  StoredModel* model = item ? stored_model(item->owner) : nullptr;
  std::u16string wide;
  if (!model || !wide_name_read(name, wide) || wide.empty()) return VYN_TK_BAD_INPUTS;
  if (item->type != item_type_feature) return VYN_TK_BAD_INPUTS;
  StoredFeature* feature = stored_feature(*model, item->id);
  if (!feature) return VYN_TK_E_NOT_FOUND;
  for (const StoredFeature& other : model->features)
    if (other.id != feature->id && other.name == wide) return VYN_TK_E_FOUND;
  // The datum items a feature makes carry its name.
  for (StoredDatum& datum : model->datums)
    if (datum.feature_id == feature->id) datum.name = wide;
  feature->name = std::move(wide);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynNotificationSet>::run(int, int type,
                                                     VynNotificationFunction function) {
  if (type < 0) return VYN_TK_BAD_INPUTS;
  if (function)
    state().notifications[type] = function;
  else
    state().notifications.erase(type);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynParameterCreate>::run(int, VynModelitem* owner,
                                                     const VynWchar* name,
                                                     const VynParamvalue* value,
                                                     VynParameter* parameter) {
  StoredModel* model = owner ? stored_model(owner->owner) : nullptr;
  std::u16string wide;
  if (!model || !parameter || !value || !wide_name_read(name, wide) || wide.empty())
    return VYN_TK_BAD_INPUTS;
  if (!owner_item_exists(*model, *owner) || !valid_param_value(*value))
    return VYN_TK_BAD_INPUTS;
  state().parameters[parameter] = ParameterBinding{model->handle, owner->type, owner->id, wide};
  if (find_parameter(*model, owner->type, owner->id, wide)) return VYN_TK_E_FOUND;
  model->parameters.push_back(StoredParameter{owner->type, owner->id, std::move(wide), *value});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynParameterValueSet>::run(int, VynParameter* parameter,
                                                       const VynParamvalue* value) {
  if (!parameter || !value || !valid_param_value(*value)) return VYN_TK_BAD_INPUTS;
  auto binding = state().parameters.find(parameter);
  if (binding == state().parameters.end()) return VYN_TK_BAD_INPUTS;
  StoredModel* model = stored_model(binding->second.model);
  if (!model) return VYN_TK_BAD_INPUTS;
  StoredParameter* stored = find_parameter(*model, binding->second.owner_type,
                                           binding->second.owner_id, binding->second.name);
  if (!stored) return VYN_TK_E_NOT_FOUND;
  stored->value = *value;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynParameterVisit>::run(int, VynModelitem* owner,
                                                    VynItemFilterAction filter,
                                                    VynItemVisitAction action, void* app_data) {
  StoredModel* model = owner ? stored_model(owner->owner) : nullptr;
  if (!model || !action || !owner_item_exists(*model, *owner)) return VYN_TK_BAD_INPUTS;
  // The records are made before the first callback, so that callbacks may add parameters.
  std::vector<HostParameterRecord> records;
  for (const StoredParameter& parameter : model->parameters) {
    if (parameter.owner_type != owner->type || parameter.owner_id != owner->id) continue;
    HostParameterRecord record{};
    record.owner = *owner;
    wide_name_write(parameter.name, record.name);
    records.push_back(record);
  }
  for (HostParameterRecord& record : records) {
    VynError filter_status = filter ? filter(&record, app_data) : VYN_TK_NO_ERROR;
    if (filter_status == VYN_TK_CONTINUE) continue;
    VynError status = action(&record, filter_status, app_data);
    if (status != VYN_TK_NO_ERROR) return status;
  }
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
