// The external data behind the VynExtdata functions, shared by the store (extdata.cpp,
// where its rules are written) and the host functions on it (host/api/extdata_api.cpp)
// only; every other module goes through host/store/extdata.h.
#pragma once

#include <string>
#include <vector>

#include "host/store/extdata.h"

namespace yrlhost {

// The only key method the host serves: slots are keyed by their names.
inline constexpr int extdata_key_by_name = 4098;

enum ExtdataSlotType {
  extdata_unwritten = 0,
  extdata_int_slot = 1,
  extdata_double_slot = 2,
  extdata_wide_string_slot = 3,
  extdata_stream_slot = 4,
};

struct ExtdataSlot {
  std::u16string name;
  int type = extdata_unwritten;
  std::vector<unsigned char> bytes;
};

struct ExtdataClass {
  std::u16string name;
  std::vector<ExtdataSlot> slots;  // creation order
};

struct ExtdataModel {
  bool initialised = false;
  std::vector<ExtdataClass> classes;  // registration order
};

// A class or slot name: 1 to 31 characters, terminated within the 32 units of a VynName.
bool extdata_name_read(const VynWchar* name, std::u16string& out);
// The whole VynName is written, so that the lists hand out no stray bytes.
void extdata_name_fill(VynName target, const std::u16string& name);

template <typename T>
T* extdata_find_named(std::vector<T>& items, const std::u16string& name) {
  for (T& item : items)
    if (item.name == name) return &item;
  return nullptr;
}

// Prepares a live model's external data (data it has already is kept); -2 for anything
// but a live model.
VynError extdata_init(VynMdl model);
// The data of a model that may be used (live and initialised): -2 for a model the session
// does not know, -1 for one not initialised.
VynError extdata_model_data(VynMdl model, ExtdataModel*& data);
// The class and slot a record names, by the statuses above, -2 for a bad record or key
// method and -4 for a name the model's data lacks.
VynError extdata_class_find(const VynExtdataClass* record, ExtdataClass*& found);
VynError extdata_slot_find(const VynExtdataSlot* record, int key_by, ExtdataClass*& owner, ExtdataSlot*& found);

// A copy of a slot's bytes that the plug-in frees with VynExtdataFree (a live object until
// then); null when memory runs out.
void* extdata_read_copy(const std::vector<unsigned char>& bytes);
// Frees such a copy; false for anything else.
bool extdata_read_copy_free(void* copy);

}  // namespace yrlhost
