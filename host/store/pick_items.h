// What the user can pick: the items a model has and shows. The selection function asks
// here whether a picked item exists and is not hidden, and for its curve, so that the
// pick's parameter along the curve can come from the pick point.
//
// The models module's own items answer here: a model as an item (its type and its item
// id), a part's features (type 3; shown while active and visible) and their surfaces
// (type 5; shown with their feature), and a drawing's draft entities, notes, symbol
// instances and dimensions (hidden by an entity's own flag or by a blank layer, see
// stored_item_hidden). Every other item type is asked of the item source, when one is
// set, and is absent otherwise.
#pragma once

#include <functional>
#include <optional>

#include "toolkit/api/host_types.h"
#include "toolkit/local/geomdata.h"

namespace yrlhost {

enum class ItemShown { absent, hidden, shown };

// Whether model has the item (type, id) and whether it is hidden.
ItemShown drawing_item_state(VynMdl model, int type, int id);
// Whether the user can pick the item: it exists and is shown.
bool drawing_item_pickable(VynMdl model, int type, int id);
// The curve of the item (a draft entity's), in the toolkit's curve record layout; false,
// nothing written, for an item without one.
bool drawing_item_curve(VynMdl model, int type, int id, VynCurvedata* curve);

// Items the models module does not keep. state answers for the item types the source
// keeps and gives nothing for the others; curve, when set, gives an item's curve.
struct PickItemSource {
  std::function<std::optional<ItemShown>(VynMdl model, int type, int id)> state;
  std::function<bool(VynMdl model, int type, int id, VynCurvedata* curve)> curve;
};
// Sets the source (an empty one removes it); the reset removes it too.
void pick_item_source_set(PickItemSource source);

}  // namespace yrlhost
