// The feature functions of the host: creating, redefining and deleting features made
// from element trees, their trees and sections, and regenerating a part.
#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/store/feature_build.h"
#include "host/api/host_behaviours.h"
#include "host/util/host_testing.h"
#include "host/store/sections.h"
#include "host/display/selection.h"

namespace yrlhost {
namespace {

// Error rows handed out in VynErrors records: each block stays until the same record is
// filled again (or the host is reset).
std::vector<std::unique_ptr<std::vector<VynErrorItem>>>& error_blocks() {
  static std::vector<std::unique_ptr<std::vector<VynErrorItem>>> blocks;
  return blocks;
}

void errors_fill(VynErrors* errors, const std::vector<FeatureError>& found) {
  if (!errors) return;
  auto& blocks = error_blocks();
  // Only rows of ours are freed; whatever else the record held is never read.
  std::erase_if(blocks, [errors](const auto& block) { return block->data() == errors->rows; });
  errors->rows = nullptr;
  errors->count = 0;
  if (found.empty()) return;
  auto block = std::make_unique<std::vector<VynErrorItem>>();
  for (const FeatureError& error : found) block->push_back({error.id, error.kind, error.detail});
  errors->rows = block->data();
  errors->count = static_cast<int>(block->size());
  blocks.push_back(std::move(block));
}

// A refusal always names at least one fault.
VynError failure(VynErrors* errors, std::vector<FeatureError> found) {
  if (found.empty()) found.push_back({element_root, feature_error_geometry, 0});
  errors_fill(errors, found);
  return VYN_TK_GENERAL_ERROR;
}

bool options_valid(const int* options, int count) { return count >= 0 && (count == 0 || options); }

bool option_given(const int* options, int count, int option) {
  return options && std::find(options, options + count, option) != options + count;
}

StoredModel* live_part(VynMdl handle) {
  StoredModel* model = stored_model(handle);
  return model && model->type == model_type_part ? model : nullptr;
}

struct FeatureRefs {
  StoredModel* part = nullptr;
  StoredFeature* feature = nullptr;
};

FeatureRefs find_feature(const VynFeature* item) {
  StoredModel* part = item && item->type == item_type_feature ? live_part(item->owner) : nullptr;
  StoredFeature* feature = part ? stored_feature(*part, item->id) : nullptr;
  return feature ? FeatureRefs{part, feature} : FeatureRefs{};
}

// The host's copy of a tree the plug-in gave: read-only, without the section element
// (the feature keeps its section itself).
VynElement tree_keep(VynElement tree) {
  VynElement copy = tree_copy(tree, true);
  if (VynElement section = tree_element_find(copy, {element_sketch, element_section})) tree_free(section);
  return copy;
}

// What a part was before a change, to put back when the change fails.
struct PartSnapshot {
  std::vector<StoredFeature> features;
  geom::Shape solid;
  std::vector<StoredDatum> datums;
  int next_item_id = 0;

  explicit PartSnapshot(const StoredModel& part)
      : features(part.features), solid(part.solid), datums(part.datums), next_item_id(part.next_item_id) {}
  void restore(StoredModel& part) const {
    part.features = features;
    part.solid = solid;
    part.datums = datums;
    // Ids given meanwhile (to faces of the solids tried) stay spent: never given again.
    part.next_item_id = std::max(part.next_item_id, next_item_id);
  }
  std::set<int> failed() const {
    std::set<int> ids;
    for (const StoredFeature& feature : features)
      if (feature.status == feature_status_failed) ids.insert(feature.id);
    return ids;
  }
};

// The index of a feature in its part.
std::size_t feature_index(const StoredModel& part, int id) {
  std::size_t index = 0;
  while (index < part.features.size() && part.features[index].id != id) ++index;
  return index;
}

// Regenerates from a changed feature `id` on; false (with the faults) when that feature,
// or one that built before, now fails, or when the feature is left incomplete against the
// options.
bool change_builds(StoredModel& part, int id, const std::set<int>& failed_before, bool incomplete_ok,
                   std::vector<FeatureError>& found) {
  part_regenerate(part, &found, feature_index(part, id));
  bool ok = true;
  for (const StoredFeature& feature : part.features) {
    if (feature.status == feature_status_failed && (feature.id == id || !failed_before.count(feature.id)))
      ok = false;
    if (feature.id == id && feature.status == feature_status_incomplete && !incomplete_ok) {
      found.push_back({element_section, feature_error_incomplete, VYN_TK_BAD_INPUTS});
      ok = false;
    }
  }
  return ok;
}

}  // namespace

void features_testing_reset() { error_blocks().clear(); }

// ---- Host functions ------------------------------------------------------------------

VynError Behaviour<HostApi::VynFeatureCreate>::run(int, VynSelection model, VynElement tree,
                                                   const int* options, int n_options,
                                                   VynFeature* feature, VynErrors* errors) {
  StoredModel* part = selection_is(model) ? live_part(model->item.owner) : nullptr;
  if (!part || !feature || !tree_element_live(tree) || !options_valid(options, n_options))
    return VYN_TK_BAD_INPUTS;
  std::vector<FeatureError> found;
  FeatureDefinition definition;
  if (!feature_definition_read(tree, definition, found)) return failure(errors, found);
  // A new feature's section is the host's to make.
  if (definition.section) return failure(errors, {{element_section, feature_error_value, VYN_TK_BAD_INPUTS}});
  geom::Frame frame{};
  if (definition.sketched() && !part_sketch_frame(*part, definition, 0, frame))
    return failure(errors, {{definition.sketch_plane.element, feature_error_reference, VYN_TK_E_NOT_FOUND}});

  const PartSnapshot before(*part);
  StoredFeature made;
  made.id = part->next_item_id++;
  made.type = definition.type;
  made.tree = tree_keep(tree);
  if (definition.sketched()) made.section = section_new(frame, definition.kind == FeatureKind::datum_curve);
  part->features.push_back(made);
  if (!change_builds(*part, made.id, before.failed(), option_given(options, n_options, feature_option_incomplete),
                     found)) {
    feature_release(made);
    before.restore(*part);
    return failure(errors, found);
  }
  *feature = VynModelitem{item_type_feature, made.id, part->handle};
  errors_fill(errors, {});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureRedefine>::run(int, VynAsmcomppath*, VynFeature* feature,
                                                     VynElement tree, const int* options,
                                                     int n_options, VynErrors* errors) {
  FeatureRefs refs = find_feature(feature);
  if (!refs.feature || !refs.feature->tree || !tree_element_live(tree) || !options_valid(options, n_options))
    return VYN_TK_BAD_INPUTS;
  StoredModel& part = *refs.part;
  StoredFeature& stored = *refs.feature;
  std::vector<FeatureError> found;
  FeatureDefinition definition;
  if (!feature_definition_read(tree, definition, found)) return failure(errors, found);
  // A feature keeps its kind: sketched ones stay sketched, the others stay what they are.
  FeatureDefinition old;
  std::vector<FeatureError> ignored;
  feature_definition_read(stored.tree, old, ignored);
  if (definition.kind != old.kind && !(definition.sketched() && old.sketched() && stored.section))
    return failure(errors, {{element_root, feature_error_value, VYN_TK_BAD_INPUTS}});
  if (definition.section && definition.section != stored.section)
    return failure(errors, {{element_section, feature_error_value, VYN_TK_BAD_INPUTS}});

  geom::Frame frame{};
  geom::Frame old_frame{};
  std::vector<geom::SectionEntity> entities = stored.sketch;
  double epsilon = 0;
  bool live_section = stored.section && section_read(stored.section, old_frame, entities, epsilon);
  if (definition.sketched() && !part_sketch_frame(part, definition, stored.id, frame))
    return failure(errors, {{definition.sketch_plane.element, feature_error_reference, VYN_TK_E_NOT_FOUND}});

  const PartSnapshot before(part);
  VynElement old_tree = stored.tree;
  VynElement new_tree = tree_keep(tree);
  stored.tree = new_tree;
  stored.type = definition.type;
  stored.sketch = entities;
  if (live_section) section_frame_set(stored.section, frame);
  const int id = stored.id;
  if (!change_builds(part, id, before.failed(), option_given(options, n_options, feature_option_incomplete),
                     found)) {
    tree_free(new_tree);
    if (live_section) section_frame_set(stored.section, old_frame);
    before.restore(part);
    return failure(errors, found);
  }
  tree_free(old_tree);
  // A sketched feature that became another kind: its section is open as a curve's.
  if (stored.section) section_open_set(stored.section, definition.kind == FeatureKind::datum_curve);
  errors_fill(errors, {});
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureDelete>::run(int, VynSolid solid, int* feature_ids,
                                                   int n_features, const int* options,
                                                   int n_options) {
  StoredModel* part = live_part(solid);
  if (!part || !feature_ids || n_features < 1 || !options_valid(options, n_options))
    return VYN_TK_BAD_INPUTS;
  std::set<int> doomed;
  for (int i = 0; i < n_features; ++i) {
    if (!stored_feature(*part, feature_ids[i])) return VYN_TK_BAD_INPUTS;
    doomed.insert(feature_ids[i]);
  }
  bool dependants_too = option_given(options, n_options, feature_option_delete_dependants);
  std::set<int> named = doomed;
  for (int id : named)
    for (int dependant : feature_dependants(*part, id)) {
      if (!dependants_too && !named.count(dependant)) return VYN_TK_GENERAL_ERROR;
      doomed.insert(dependant);
    }
  std::size_t first = part->features.size();
  for (std::size_t i = 0; i < part->features.size(); ++i)
    if (doomed.count(part->features[i].id)) {
      first = std::min(first, i);
      feature_release(part->features[i]);
    }
  std::erase_if(part->features, [&doomed](const StoredFeature& f) { return doomed.count(f.id) > 0; });
  part_regenerate(*part, nullptr, first);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureElemValueGet>::run(int, VynFeature* feature, VynElempath path,
                                                         VynValue* value) {
  FeatureRefs refs = find_feature(feature);
  std::vector<VynElempathItem> items;
  if (!refs.feature || !refs.feature->tree || !value || !tree_path_items(path, items))
    return VYN_TK_BAD_INPUTS;
  VynValue found = tree_element_value(tree_element_find(refs.feature->tree, items));
  if (!found) return VYN_TK_E_NOT_FOUND;
  *value = found;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureElemtreeCreate>::run(int, VynFeature* feature, VynElement* tree) {
  FeatureRefs refs = find_feature(feature);
  if (!refs.feature || !refs.feature->tree || !tree) return VYN_TK_BAD_INPUTS;
  const StoredFeature& stored = *refs.feature;
  VynElement copy = tree_copy(stored.tree, false);
  auto add = [](VynElement parent, int id, const VynValuedata& data) {
    VynElement element = tree_element_new(id);
    tree_element_value_set(element, data);
    tree_element_append(parent, element);
  };
  FeatureDefinition definition;
  std::vector<FeatureError> ignored;
  feature_definition_read(stored.tree, definition, ignored);
  // The elements the plug-in sets on a built extrusion or revolution, with their defaults.
  if (definition.kind == FeatureKind::extrude || definition.kind == FeatureKind::revolve) {
    if (!tree_element_find(copy, {436})) add(copy, 436, {VYN_VALUE_TYPE_INT, 0, {.i = -1}});
    if (!tree_element_find(copy, {499})) add(copy, 499, {VYN_VALUE_TYPE_INT, 0, {.i = 1}});
  }
  VynElement sketch = tree_element_find(copy, {element_sketch});
  if (stored.section && sketch && section_live(stored.section)) {
    VynValuedata data{VYN_VALUE_TYPE_POINTER, 0, {}};
    data.value.p = stored.section;
    add(sketch, element_section, data);
  }
  *tree = copy;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureNumSectionsGet>::run(int, VynFeature* feature, int* count) {
  FeatureRefs refs = find_feature(feature);
  if (!refs.feature || !count) return VYN_TK_BAD_INPUTS;
  *count = refs.feature->section ? 1 : 0;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureSketchAdd>::run(int, VynFeature* feature, VynSelection selection,
                                                      VynSection section) {
  FeatureRefs refs = find_feature(feature);
  geom::Frame frame{};
  std::vector<geom::SectionEntity> entities;
  double epsilon = 0;
  if (!refs.feature || !section_live(refs.feature->section) || !selection_is(selection) ||
      !section_read(section, frame, entities, epsilon))
    return VYN_TK_BAD_INPUTS;
  if (section != refs.feature->section) section_entities_set(refs.feature->section, entities);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynFeatureSketchValidate>::run(int, VynSelection selection, VynSection section,
                                                           int, int, VynErrors* errors) {
  geom::Frame frame{};
  std::vector<geom::SectionEntity> entities;
  double epsilon = 0;
  if (!selection_is(selection) || !errors || !section_read(section, frame, entities, epsilon))
    return VYN_TK_BAD_INPUTS;
  std::vector<FeatureError> found;
  for (const geom::SectionProblem& problem : geom::section_check(entities, epsilon))
    found.push_back({element_section, feature_error_section, problem.entity});
  errors_fill(errors, found);
  return found.empty() ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

VynError Behaviour<HostApi::VynSolidRegenerate>::run(int, VynSolid solid, int) {
  if (!host_model_is(solid)) return VYN_TK_BAD_INPUTS;
  StoredModel* part = live_part(solid);
  if (!part) return VYN_TK_NO_ERROR;
  return part_regenerate(*part, nullptr) ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

}  // namespace yrlhost
