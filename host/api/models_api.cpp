// The host functions on the session's models: the session, models, model items,
// parameters and notifications (the store is host/store/models.cpp).
#include <algorithm>

#include "host/api/host_behaviours.h"
#include "host/files/model_files.h"
#include "host/store/assemblies.h"
#include "host/store/feature_build.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/util/host_arrays.h"
#include "host/util/utf16.h"
#include "toolkit/local/mdldata.h"

namespace yrlhost {
namespace {

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

// Whether item names the model itself or one of its features (a parameter's owner).
bool owner_item_exists(StoredModel& model, const VynModelitem& item) {
  if (item.type == model.type && item.id == model.id) return true;
  return item.type == item_type_feature && stored_feature(model, item.id) != nullptr;
}

}  // namespace

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
  *model = host_current_model();
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

VynError Behaviour<HostApi::VynMdlLoad>::run(int, const VynWchar* path, int type, int, VynMdl* model) {
  return host_model_load(path, type, model);
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
  notification_set(type, function);
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
  parameter_binding_set(parameter, ParameterBinding{model->handle, owner->type, owner->id, wide});
  if (stored_parameter(*model, owner->type, owner->id, wide)) return VYN_TK_E_FOUND;
  model->parameters.push_back(StoredParameter{owner->type, owner->id, std::move(wide), *value});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynParameterValueSet>::run(int, VynParameter* parameter,
                                                       const VynParamvalue* value) {
  if (!parameter || !value || !valid_param_value(*value)) return VYN_TK_BAD_INPUTS;
  const ParameterBinding* binding = parameter_binding(parameter);
  if (!binding) return VYN_TK_BAD_INPUTS;
  StoredModel* model = stored_model(binding->model);
  if (!model) return VYN_TK_BAD_INPUTS;
  StoredParameter* stored = stored_parameter(*model, binding->owner_type, binding->owner_id, binding->name);
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
