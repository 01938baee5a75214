// The session's models: the store, the current model, model items, parameters and
// notifications (the host functions on them are host/api/models_api.cpp).
#include "host/store/models.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "host/display/graphics.h"
#include "host/store/assemblies.h"
#include "host/store/extdata.h"
#include "host/store/feature_build.h"
#include "host/util/host_testing.h"
#include "host/util/live_objects.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

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

// Outside ModelState: the reset of the models keeps it.
void (*&model_erase_hook())(VynMdl) {
  static void (*hook)(VynMdl) = nullptr;
  return hook;
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
  if (model_erase_hook()) model_erase_hook()(model);
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

void stored_model_erase_hook_set(void (*hook)(VynMdl model)) { model_erase_hook() = hook; }

StoredParameter* stored_parameter(StoredModel& model, int owner_type, int owner_id,
                                  const std::u16string& name) {
  for (StoredParameter& parameter : model.parameters) {
    if (parameter.owner_type == owner_type && parameter.owner_id == owner_id &&
        parameter.name == name)
      return &parameter;
  }
  return nullptr;
}

void parameter_binding_set(const void* record, const ParameterBinding& binding) {
  state().parameters[record] = binding;
}

const ParameterBinding* parameter_binding(const void* record) {
  auto found = state().parameters.find(record);
  return found == state().parameters.end() ? nullptr : &found->second;
}

void notification_set(int type, VynNotificationFunction function) {
  if (function)
    state().notifications[type] = function;
  else
    state().notifications.erase(type);
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

void window_make_current(int id) {
  int left = window_current();
  if (id == left || !window_find(id)) return;
  window_left_model_set(left, host_current_model());
  window_current_set(id);
  VynMdl shown = window_find(id)->model;
  if (host_model_is(shown)) host_model_make_current(shown);
}

VynMdl window_model(int id) {
  if (id == window_current()) return host_current_model();
  const WindowState* window = window_find(id);
  return window && host_model_is(window->model) ? window->model : nullptr;
}

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

int host_feature_add(VynMdl part, int type, const std::string& name,
                     const std::vector<HostPlane>& planes) {
  StoredModel* model = stored_model(part);
  std::u16string wide;
  if (!model || model->type != model_type_part) return -1;
  if (!utf16_from_text(name, wide) || wide.size() > host_name_max) return -1;
  StoredFeature feature;
  feature.id = model->next_item_id++;
  feature.type = type;
  feature.name = std::move(wide);
  for (const HostPlane& plane : planes) {
    StoredSurface surface;
    surface.handle = stored_surface_handle_new();
    surface.id = model->next_item_id++;
    surface.plane = plane;
    feature.surfaces.push_back(surface);
  }
  model->features.push_back(std::move(feature));
  return model->features.back().id;
}

bool host_feature_remove(VynMdl part, int feature_id) {
  StoredModel* model = stored_model(part);
  if (!model) return false;
  StoredFeature* feature = stored_feature(*model, feature_id);
  if (!feature) return false;
  feature_release(*feature);
  std::erase_if(model->features, [feature_id](const StoredFeature& f) { return f.id == feature_id; });
  return true;
}

std::vector<int> host_feature_ids(VynMdl part) {
  std::vector<int> ids;
  if (StoredModel* model = stored_model(part))
    for (const StoredFeature& feature : model->features) ids.push_back(feature.id);
  return ids;
}

int host_feature_find(VynMdl part, const std::string& name) {
  StoredModel* model = stored_model(part);
  std::u16string wide;
  if (!model || !utf16_from_text(name, wide) || wide.empty()) return -1;
  for (const StoredFeature& feature : model->features)
    if (feature.name == wide) return feature.id;
  return -1;
}

bool host_feature_state_set(VynMdl part, int feature_id, int status, bool visible) {
  StoredModel* model = stored_model(part);
  StoredFeature* feature = model ? stored_feature(*model, feature_id) : nullptr;
  if (!feature) return false;
  feature->status = status;
  feature->visible = visible;
  return true;
}

std::optional<VynParamvalue> host_parameter_value(const VynModelitem& owner,
                                                  const std::string& name) {
  StoredModel* model = stored_model(owner.owner);
  std::u16string wide;
  if (!model || !utf16_from_text(name, wide)) return std::nullopt;
  StoredParameter* parameter = stored_parameter(*model, owner.type, owner.id, wide);
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
  model_geometry_testing_reset();
}

}  // namespace yrlhost
