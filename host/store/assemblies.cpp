// Assemblies, their components and component paths.
#include "host/store/assemblies.h"

#include <map>
#include <memory>
#include <utility>

#include "host/util/host_testing.h"
#include "host/store/model_store.h"
#include "host/store/models.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

struct AssemblyState {
  // Every record handed out since the last reset: kept so that no address is reused.
  std::vector<std::unique_ptr<AssemblyRecord>> records;
  // (assembly, component feature id) -> the model the component places.
  std::map<std::pair<VynMdl, int>, VynMdl> components;
};

AssemblyState& state() {
  static AssemblyState assemblies;
  return assemblies;
}

// Whether container is model or holds it at some depth.
bool holds(VynMdl container, VynMdl model) {
  if (container == model) return true;
  for (const auto& [key, placed] : state().components)
    if (key.first == container && stored_model(container) && holds(placed, model)) return true;
  return false;
}

}  // namespace

StoredModel* assembly_live(VynMdl model) {
  StoredModel* stored = stored_model(model);
  return stored && stored->type == model_type_assembly ? stored : nullptr;
}

VynMdl assembly_path_model(VynMdl assembly, const int* ids, int count) {
  VynMdl at = assembly;
  for (int i = 0; i < count; ++i) {
    at = host_component_model(at, ids[i]);
    if (!at) return nullptr;
  }
  return at;
}

VynMdl assembly_handle_new(int model_id) {
  auto record = std::make_unique<AssemblyRecord>();
  record->words[0] = model_id;
  record->words[17] = assembly_word17_tag + model_id;
  VynMdl handle = reinterpret_cast<VynMdl>(record.get());
  state().records.push_back(std::move(record));
  return handle;
}

VynMdl host_assembly_create(const std::string& name, std::string& error) {
  std::u16string wide;
  if (!utf16_from_text(name, wide) || wide.empty() || wide.size() > host_name_max) {
    error = "model name \"" + name + "\" is not 1 to 31 characters of UTF-8";
    return nullptr;
  }
  if (stored_model_find(model_type_assembly, wide)) {
    error = "an assembly named \"" + name + "\" is already in session";
    return nullptr;
  }
  StoredModel& model = stored_model_add(model_type_assembly, std::move(wide), "INCH");
  host_model_make_current(model.handle);
  return model.handle;
}

int host_component_add(VynMdl assembly, VynMdl model, const std::string& name) {
  StoredModel* owner = assembly_live(assembly);
  StoredModel* placed = stored_model(model);
  std::u16string wide;
  if (!owner || !placed || holds(model, assembly)) return -1;
  if (placed->type != model_type_part && placed->type != model_type_assembly) return -1;
  if (!utf16_from_text(name, wide) || wide.size() > host_name_max) return -1;
  StoredFeature feature;
  feature.id = owner->next_item_id++;
  feature.type = feature_type_component;
  feature.name = std::move(wide);
  owner->features.push_back(std::move(feature));
  state().components[{assembly, owner->features.back().id}] = model;
  return owner->features.back().id;
}

VynMdl host_component_model(VynMdl assembly, int feature_id) {
  StoredModel* owner = assembly_live(assembly);
  if (!owner || !stored_feature(*owner, feature_id)) return nullptr;
  auto it = state().components.find({assembly, feature_id});
  return it != state().components.end() && stored_model(it->second) ? it->second : nullptr;
}

void assemblies_testing_reset() { state() = AssemblyState{}; }

}  // namespace yrlhost
