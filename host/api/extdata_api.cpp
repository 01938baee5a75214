// The external data functions of the host (the store and its rules: host/store/extdata.cpp).
#include "host/api/data_behaviours.h"
#include "host/store/extdata_store.h"
#include "host/util/host_arrays.h"

namespace yrlhost {
namespace {

// A host array of the names, each a whole VynName.
VynError names_list(const std::vector<std::u16string>& names, int* count, VynArray* out) {
  VynArray array = host_array_make(static_cast<int>(names.size()), sizeof(VynName));
  if (!array) return VYN_TK_GENERAL_ERROR;
  auto* elements = static_cast<VynName*>(array);
  for (std::size_t i = 0; i < names.size(); ++i) extdata_name_fill(elements[i], names[i]);
  *out = array;
  if (count) *count = static_cast<int>(names.size());
  return VYN_TK_NO_ERROR;
}

}  // namespace

// Prepares the model's external data; data the model has already is kept.
VynError Behaviour<HostApi::VynExtdataInit>::run(int, VynMdl model) { return extdata_init(model); }

// The data is always in memory: loading succeeds for an initialised model.
VynError Behaviour<HostApi::VynExtdataLoadAll>::run(int, VynMdl model) {
  ExtdataModel* data = nullptr;
  return extdata_model_data(model, data);
}

// Closes the model's external data until the next Init; the data stays with the model.
VynError Behaviour<HostApi::VynExtdataTerm>::run(int, VynMdl model) {
  ExtdataModel* data = nullptr;
  if (VynError status = extdata_model_data(model, data)) return status;
  data->initialised = false;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynExtdataClassRegister>::run(int, VynMdl model, const VynWchar* name,
                                                          VynExtdataClass* ext_class) {
  std::u16string wanted;
  if (!ext_class || !extdata_name_read(name, wanted)) return VYN_TK_BAD_INPUTS;
  ExtdataModel* data = nullptr;
  if (VynError status = extdata_model_data(model, data)) return status;
  bool exists = extdata_find_named(data->classes, wanted) != nullptr;
  if (!exists) data->classes.push_back(ExtdataClass{wanted, {}});
  ext_class->model = model;
  extdata_name_fill(ext_class->name, wanted);
  return exists ? VYN_TK_E_FOUND : VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynExtdataClassNamesList>::run(int, VynMdl model, int* count, VynArray* names) {
  if (!names) return VYN_TK_BAD_INPUTS;
  ExtdataModel* data = nullptr;
  if (VynError status = extdata_model_data(model, data)) return status;
  std::vector<std::u16string> list;
  for (const ExtdataClass& each : data->classes) list.push_back(each.name);
  return names_list(list, count, names);
}

VynError Behaviour<HostApi::VynExtdataSlotCreate>::run(int, VynExtdataClass* ext_class, const VynWchar* name,
                                                       VynExtdataSlot* slot) {
  std::u16string wanted;
  if (!slot || !extdata_name_read(name, wanted)) return VYN_TK_BAD_INPUTS;
  ExtdataClass* owner = nullptr;
  if (VynError status = extdata_class_find(ext_class, owner)) return status;
  if (extdata_find_named(owner->slots, wanted)) return VYN_TK_E_FOUND;
  owner->slots.push_back(ExtdataSlot{wanted, extdata_unwritten, {}});
  slot->p_class = ext_class;
  extdata_name_fill(slot->slot_name, wanted);
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynExtdataSlotDelete>::run(int, VynExtdataSlot* slot, int key_by) {
  ExtdataClass* owner = nullptr;
  ExtdataSlot* found = nullptr;
  if (VynError status = extdata_slot_find(slot, key_by, owner, found)) return status;
  owner->slots.erase(owner->slots.begin() + (found - owner->slots.data()));
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynExtdataSlotNamesList>::run(int, VynExtdataClass* ext_class, int* count,
                                                          VynArray* names) {
  if (!names) return VYN_TK_BAD_INPUTS;
  ExtdataClass* owner = nullptr;
  if (VynError status = extdata_class_find(ext_class, owner)) return status;
  std::vector<std::u16string> list;
  for (const ExtdataSlot& each : owner->slots) list.push_back(each.name);
  return names_list(list, count, names);
}

VynError Behaviour<HostApi::VynExtdataSlotWrite>::run(int, VynExtdataSlot* slot, int key_by, int type, int size,
                                                      const void* data) {
  if (type < extdata_int_slot || type > extdata_stream_slot) return VYN_TK_BAD_INPUTS;
  if (type == extdata_stream_slot ? (size < 0 || (size > 0 && !data)) : !data) return VYN_TK_BAD_INPUTS;
  ExtdataClass* owner = nullptr;
  ExtdataSlot* found = nullptr;
  if (VynError status = extdata_slot_find(slot, key_by, owner, found)) return status;
  const auto* bytes = static_cast<const unsigned char*>(data);
  std::size_t length = 0;
  switch (type) {
    case extdata_int_slot: length = sizeof(int); break;
    case extdata_double_slot: length = sizeof(double); break;
    case extdata_wide_string_slot: {
      const auto* text = static_cast<const VynWchar*>(data);
      while (text[length] != 0) ++length;
      length = (length + 1) * sizeof(VynWchar);
      break;
    }
    default: length = static_cast<std::size_t>(size); break;
  }
  found->type = type;
  found->bytes.assign(bytes, bytes + length);
  return VYN_TK_NO_ERROR;
}

// Each out argument may be null; the data is a copy the caller frees with VynExtdataFree.
VynError Behaviour<HostApi::VynExtdataSlotRead>::run(int, VynExtdataSlot* slot, int key_by, int* type, int* size,
                                                     void** data) {
  ExtdataClass* owner = nullptr;
  ExtdataSlot* found = nullptr;
  if (VynError status = extdata_slot_find(slot, key_by, owner, found)) return status;
  if (found->type == extdata_unwritten) return VYN_TK_E_NOT_FOUND;
  if (data) {
    void* copy = extdata_read_copy(found->bytes);
    if (!copy) return VYN_TK_GENERAL_ERROR;
    *data = copy;
  }
  if (type) *type = found->type;
  if (size) *size = static_cast<int>(found->bytes.size());
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynExtdataFree>::run(int, void** data) {
  if (!data || !extdata_read_copy_free(*data)) return VYN_TK_BAD_INPUTS;
  *data = nullptr;
  return VYN_TK_NO_ERROR;
}

}  // namespace yrlhost
