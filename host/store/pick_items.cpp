// The items a pick may name.
#include "host/store/pick_items.h"

#include <utility>

#include "host/store/drawings.h"
#include "host/store/model_geometry.h"
#include "host/store/model_store.h"

namespace yrlhost {
namespace {

PickItemSource& source() {
  static PickItemSource items;
  return items;
}

ItemShown shown_if(bool shown) { return shown ? ItemShown::shown : ItemShown::hidden; }

bool feature_shown(const StoredFeature& feature) {
  return feature.visible && feature.status == feature_status_active;
}

// The answer of the models module's own items; nothing for the other types.
std::optional<ItemShown> stored_item_state(StoredModel& model, int type, int id) {
  if (type == model.type) return id == model.id ? ItemShown::shown : ItemShown::absent;
  if (type == item_type_feature) {
    const StoredFeature* feature = stored_feature(model, id);
    return feature ? shown_if(feature_shown(*feature)) : ItemShown::absent;
  }
  // Geometry items show with the feature they belong to (always, without one).
  if (type == item_type_surface || type == item_type_edge || type == item_type_axis ||
      type == item_type_point || type == item_type_curve) {
    VynModelitem item{type, id, model.handle};
    std::optional<GeomitemRef> ref = geomitem_find(&item);
    if (!ref) return ItemShown::absent;
    const StoredFeature* feature = stored_feature(model, geomitem_feature_id(*ref));
    return shown_if(!feature || feature_shown(*feature));
  }
  if (type == item_type_draft_entity || type == item_type_note || type == item_type_symbol ||
      type == item_type_dimension) {
    if (!stored_item_exists(model.handle, type, id)) return ItemShown::absent;
    return shown_if(!stored_item_hidden(model.handle, type, id));
  }
  return std::nullopt;
}

}  // namespace

ItemShown drawing_item_state(VynMdl model, int type, int id) {
  StoredModel* stored = stored_model(model);
  if (!stored) return ItemShown::absent;
  if (std::optional<ItemShown> own = stored_item_state(*stored, type, id)) return *own;
  if (source().state)
    if (std::optional<ItemShown> kept = source().state(model, type, id)) return *kept;
  return ItemShown::absent;
}

bool drawing_item_pickable(VynMdl model, int type, int id) {
  return drawing_item_state(model, type, id) == ItemShown::shown;
}

bool drawing_item_curve(VynMdl model, int type, int id, VynCurvedata* curve) {
  if (!curve || !stored_model(model)) return false;
  if (type == item_type_draft_entity) {
    const DrawingContent* drawing = host_drawing(model);
    if (!drawing) return false;
    auto entity = drawing->entities.find(id);
    if (entity == drawing->entities.end()) return false;
    *curve = entity->second.curve.record;
    return true;
  }
  return source().curve && source().curve(model, type, id, curve);
}

void pick_item_source_set(PickItemSource items) { source() = std::move(items); }

void pick_items_testing_reset() { source() = PickItemSource{}; }

}  // namespace yrlhost
