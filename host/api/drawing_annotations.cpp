// Notes with their attachments, symbol instances and dimensions.
#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "host/util/host_arrays.h"
#include "host/api/host_behaviours.h"
#include "host/util/live_objects.h"
#include "host/store/model_store.h"
#include "host/display/selection.h"

// A note's attachment, inside the note's data.
struct VynDtlattachRecord {
  VynMdl drawing = nullptr;
  yrlhost::NoteAttachment where;
  int sheet = 1;
  int view = yrlhost::view_background;
};

struct VynDtlnotedataRecord {
  int id = 0;
  VynColor colour{};
  VynDtlattachRecord attachment;
};

struct VynDtlsyminstdataRecord {
  int id = 0;
  VynColor colour{};
};

namespace yrlhost {
namespace {

using ItemKey = std::pair<VynMdl, int>;

struct AnnotationRecords {
  std::map<ItemKey, std::unique_ptr<VynDtlnotedataRecord>> notes;
  std::map<ItemKey, std::unique_ptr<VynDtlsyminstdataRecord>> symbols;
};

void model_erased(VynMdl model);

// Made at the first use, when a model that leaves the session starts to take its records
// with it.
AnnotationRecords& records() {
  static AnnotationRecords held = [] {
    stored_model_erase_hook_set(model_erased);
    return AnnotationRecords{};
  }();
  return held;
}

// The held record whose address the plug-in gives; null for anything else.
template <typename Record, typename Map>
Record* held_record(const Map& map, const Record* record) {
  for (const auto& [key, held] : map)
    if (held.get() == record) return held.get();
  return nullptr;
}

// The record kept for an item, made at its first use.
template <typename Record>
Record& record_for(std::map<ItemKey, std::unique_ptr<Record>>& map, VynMdl drawing, int id) {
  std::unique_ptr<Record>& held = map[ItemKey{drawing, id}];
  if (!held) {
    held = std::make_unique<Record>();
    live_object_add(LiveKind::data_record, held.get());
  }
  return *held;
}

template <typename Map>
void records_erase(Map& map, VynMdl drawing) {
  for (auto it = map.begin(); it != map.end();) {
    if (drawing && it->first.first != drawing) {
      ++it;
      continue;
    }
    live_object_remove(LiveKind::data_record, it->second.get());
    it = map.erase(it);
  }
}

// The drawing an item record of a type names; null for a bad record.
StoredModel* item_drawing(const VynModelitem* item, int type) {
  return item && item->type == type ? stored_drawing(item->owner) : nullptr;
}

template <typename Map>
auto* item_in(Map& items, const VynModelitem* item) {
  auto found = items.find(item->id);
  return found == items.end() ? nullptr : &found->second;
}

// The dimension a call names: -2 for a bad record or one of another drawing than given
// (when given), -4 for an id that names no live dimension.
struct DimensionRef {
  VynError status = VYN_TK_BAD_INPUTS;
  DrawingDimension* dimension = nullptr;
};

DimensionRef dimension_ref(const VynDimension* item, VynMdl drawing = nullptr) {
  StoredModel* model = item_drawing(item, item_type_dimension);
  if (!model || (drawing && item->owner != drawing)) return {};
  DrawingDimension* dimension = item_in(model->drawing.dimensions, item);
  return {dimension ? VYN_TK_NO_ERROR : VYN_TK_E_NOT_FOUND, dimension};
}

VynError collect(StoredModel* model, int type, int sheet, VynArray* items) {
  if (!model || (sheet != -1 && !drawing_sheet(*model, sheet)))
    return VYN_TK_BAD_INPUTS;
  return host_array_hand_out(drawing_items(*model, type, sheet), items);
}

void model_erased(VynMdl model) {
  records_erase(records().notes, model);
  records_erase(records().symbols, model);
}

}  // namespace

// The list of the last vyndim_get_dim_ids.
std::vector<int>& dimension_id_list() {
  static std::vector<int> ids;
  return ids;
}

void drawing_annotations_testing_reset() {
  records_erase(records().notes, nullptr);
  records_erase(records().symbols, nullptr);
  dimension_id_list().clear();
}

VynError Behaviour<HostApi::vyndim_get_dim_ids>::run(int, VynMdl model, int, int, int** ids) {
  StoredModel* stored = stored_model(model);
  if (!stored || !ids) return VYN_TK_GENERAL_ERROR;
  std::vector<int>& list = dimension_id_list();
  list.clear();
  if (stored->type == model_type_drawing) list = drawing_item_ids(*stored, item_type_dimension, -1);
  *ids = list.empty() ? nullptr : list.data();
  return static_cast<int>(list.size());
}

// ---- Notes ------------------------------------------------------------------------------

VynError Behaviour<HostApi::VynDrawingDtlnoteVisit>::run(int, VynMdl drawing, VynDtlsymdef* symbol,
                                                         int sheet, VynDtlnoteVisitAction action,
                                                         VynDtlnoteFilterAction filter,
                                                         void* app_data) {
  StoredModel* model = stored_drawing(drawing);
  if (!model || symbol || !action || (sheet != -1 && !drawing_sheet(*model, sheet)))
    return VYN_TK_BAD_INPUTS;
  return drawing_visit(*model, item_type_note, sheet, action, filter, app_data);
}

VynError Behaviour<HostApi::VynMdlNoteVisit>::run(int, VynMdl model_handle,
                                                  VynModelitemVisitAction action,
                                                  VynModelitemFilterAction filter,
                                                  void* app_data) {
  if (!host_model_is(model_handle) || !action) return VYN_TK_BAD_INPUTS;
  StoredModel* drawing = stored_drawing(model_handle);
  if (!drawing) return VYN_TK_NO_ERROR;
  return drawing_visit(*drawing, item_type_note, -1, action, filter, app_data);
}

VynError Behaviour<HostApi::VynDrawingDtlnotesCollect>::run(int, VynMdl drawing, VynDtlsymdef* symbol,
                                                            int sheet, VynArray* notes) {
  if (symbol) return VYN_TK_BAD_INPUTS;
  return collect(stored_drawing(drawing), item_type_note, sheet, notes);
}

VynError Behaviour<HostApi::VynDtlnoteDataGet>::run(int, VynDtlnote* note, VynDtlsymdef* symbol,
                                                    int, VynDtlnotedata* data) {
  StoredModel* model = item_drawing(note, item_type_note);
  if (!model || symbol || !data) return VYN_TK_BAD_INPUTS;
  const DraftNote* stored = item_in(model->drawing.notes, note);
  if (!stored) return VYN_TK_E_NOT_FOUND;
  VynDtlnotedataRecord& record = record_for(records().notes, model->handle, stored->id);
  record.id = stored->id;
  record.colour = stored->colour;
  record.attachment = VynDtlattachRecord{model->handle, stored->attachment, stored->sheet, stored->view};
  *data = &record;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlnotedataIdGet>::run(int, VynDtlnotedata data, int* id) {
  VynDtlnotedataRecord* record = held_record(records().notes, data);
  if (!record || !id) return VYN_TK_BAD_INPUTS;
  *id = record->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlnotedataColorGet>::run(int, VynDtlnotedata data, VynColor* color) {
  VynDtlnotedataRecord* record = held_record(records().notes, data);
  if (!record || !color) return VYN_TK_BAD_INPUTS;
  *color = record->colour;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlnotedataAttachmentGet>::run(int, VynDtlnotedata data,
                                                              VynDtlattach* attachment) {
  VynDtlnotedataRecord* record = held_record(records().notes, data);
  if (!record || !attachment) return VYN_TK_BAD_INPUTS;
  *attachment = &record->attachment;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlattachGet>::run(int, VynDtlattach attachment, int* type,
                                                  VynView* view, double* location,
                                                  VynSelection* selection) {
  const VynDtlattachRecord* record = nullptr;
  for (const auto& [key, note] : records().notes)
    if (&note->attachment == attachment) record = attachment;
  StoredModel* model = record ? stored_drawing(record->drawing) : nullptr;
  if (!model) return VYN_TK_BAD_INPUTS;
  const NoteAttachment& where = record->where;
  if (type) *type = where.kind;
  if (view) *view = drawing_view_handle(*model, record->sheet, record->view);
  if (location) std::copy_n(where.location, 3, location);
  if (selection) {
    *selection = nullptr;
    if (where.kind == attach_on_item) {
      VynModelitem entity{item_type_draft_entity, where.entity, record->drawing};
      *selection = selection_make(entity, 0, where.location);
      const double uv[2] = {where.parameter, 0};
      selection_uv_set(*selection, uv);
    }
  }
  return VYN_TK_NO_ERROR;
}

// ---- Symbol instances -------------------------------------------------------------------

VynError Behaviour<HostApi::VynDrawingDtlsyminstsCollect>::run(int, VynMdl drawing, int sheet,
                                                               VynArray* syminsts) {
  return collect(stored_drawing(drawing), item_type_symbol, sheet, syminsts);
}

VynError Behaviour<HostApi::VynDtlsyminstDataGet>::run(int, VynDtlsyminst* syminst, int,
                                                       VynDtlsyminstdata* data) {
  StoredModel* model = item_drawing(syminst, item_type_symbol);
  if (!model || !data) return VYN_TK_BAD_INPUTS;
  const SymbolInstance* stored = item_in(model->drawing.symbols, syminst);
  if (!stored) return VYN_TK_E_NOT_FOUND;
  VynDtlsyminstdataRecord& record = record_for(records().symbols, model->handle, stored->id);
  record.id = stored->id;
  record.colour = stored->colour;
  *data = &record;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlsyminstdataIdGet>::run(int, VynDtlsyminstdata data, int* id) {
  VynDtlsyminstdataRecord* record = held_record(records().symbols, data);
  if (!record || !id) return VYN_TK_BAD_INPUTS;
  *id = record->id;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDtlsyminstdataColorGet>::run(int, VynDtlsyminstdata data,
                                                            VynColor* color) {
  VynDtlsyminstdataRecord* record = held_record(records().symbols, data);
  if (!record || !color) return VYN_TK_BAD_INPUTS;
  *color = record->colour;
  return VYN_TK_NO_ERROR;
}

// ---- Dimensions -------------------------------------------------------------------------

VynError Behaviour<HostApi::VynDrawingDimensionVisit>::run(int, VynMdl drawing, int type,
                                                           VynDimensionVisitAction action,
                                                           VynDimensionFilterAction filter,
                                                           void* app_data) {
  StoredModel* model = stored_drawing(drawing);
  if (!model || type != item_type_dimension || !action) return VYN_TK_BAD_INPUTS;
  return drawing_visit(*model, item_type_dimension, -1, action, filter, app_data);
}

VynError Behaviour<HostApi::VynDrawingDimensionPosGet>::run(int, VynMdl drawing,
                                                            VynDimension* dimension,
                                                            double* position) {
  DimensionRef ref = dimension_ref(dimension, drawing);
  if (!drawing || !position) return VYN_TK_BAD_INPUTS;
  if (ref.status != VYN_TK_NO_ERROR) return ref.status;
  std::copy_n(ref.dimension->position, 3, position);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingDimensionViewGet>::run(int, VynWord drawing, VynWord dimension,
                                                             VynWord view) {
  auto* model_handle = reinterpret_cast<VynMdl>(drawing);
  auto* out = reinterpret_cast<VynView*>(view);
  DimensionRef ref = dimension_ref(reinterpret_cast<VynDimension*>(dimension), model_handle);
  if (!model_handle || !out) return VYN_TK_BAD_INPUTS;
  if (ref.status != VYN_TK_NO_ERROR) return ref.status;
  VynView handle = drawing_view_handle(*stored_drawing(model_handle), ref.dimension->sheet, ref.dimension->view);
  if (!handle) return VYN_TK_E_NOT_FOUND;
  *out = handle;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDrawingDimAttachsGet>::run(int, VynMdl drawing,
                                                          VynDimension* dimension,
                                                          VynArray* attachments, VynArray* sides) {
  DimensionRef ref = dimension_ref(dimension, drawing);
  if (!drawing || !attachments || !sides) return VYN_TK_BAD_INPUTS;
  if (ref.status != VYN_TK_NO_ERROR) return ref.status;
  if (ref.dimension->attachments.empty()) return VYN_TK_E_NOT_FOUND;
  std::vector<VynModelitem> items;
  std::vector<int> ends;
  for (const DimensionAttachment& attachment : ref.dimension->attachments) {
    items.push_back(VynModelitem{item_type_draft_entity, attachment.entity, drawing});
    ends.push_back(attachment.side);
  }
  VynArray made_items = nullptr, made_sides = nullptr;
  VynError status = host_array_hand_out(items, &made_items);
  if (status == VYN_TK_NO_ERROR) status = host_array_hand_out(ends, &made_sides);
  if (status != VYN_TK_NO_ERROR) {
    host_array_release(&made_items);
    return status;
  }
  *attachments = made_items;
  *sides = made_sides;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDimensionTypeGet>::run(int, VynDimension* dimension, int* type) {
  DimensionRef ref = dimension_ref(dimension);
  if (!type) return VYN_TK_BAD_INPUTS;
  if (ref.status != VYN_TK_NO_ERROR) return ref.status;
  *type = ref.dimension->type;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDimensionValueGet>::run(int, VynDimension* dimension, double* value) {
  DimensionRef ref = dimension_ref(dimension);
  if (!value) return VYN_TK_BAD_INPUTS;
  if (ref.status != VYN_TK_NO_ERROR) return ref.status;
  *value = ref.dimension->value;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynDimensionTextGet>::run(int, VynDimension* dimension, VynArray* lines) {
  DimensionRef ref = dimension_ref(dimension);
  if (!lines) return VYN_TK_BAD_INPUTS;
  if (ref.status != VYN_TK_NO_ERROR) return ref.status;
  VynArray made = host_wstring_vynarray_make(ref.dimension->lines);
  if (!made) return VYN_TK_GENERAL_ERROR;
  *lines = made;
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
