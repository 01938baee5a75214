// Arrays, strings and external data: the host functions with behaviour (see host/api/host_behaviours.h).
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// The rows of this area whose behaviour is written (arrays_api.cpp, extdata_api.cpp); each takes
// the context id first and then the row's own parameters.
#define YRL_DATA_BEHAVIOUR(name, params) \
  template <>                            \
  struct Behaviour<HostApi::name> {      \
    static VynError run params;          \
  };

// Arrays and strings (arrays_api.cpp).
YRL_DATA_BEHAVIOUR(VynArrayAlloc, (int context, int n_objs, int obj_size, int reallocation_size, VynArray* array))
YRL_DATA_BEHAVIOUR(VynArrayFree, (int context, VynArray* array))
YRL_DATA_BEHAVIOUR(VynArrayObjectAdd, (int context, VynArray* array, int index, int n_objs, const void* objects))
YRL_DATA_BEHAVIOUR(VynArrayObjectRemove, (int context, VynArray* array, int index, int n_objs))
YRL_DATA_BEHAVIOUR(VynArraySizeGet, (int context, VynArray array, int* size))
YRL_DATA_BEHAVIOUR(VynStringFree, (int context, char* string))
YRL_DATA_BEHAVIOUR(VynStringarrayFree, (int context, char** strings, int count))
YRL_DATA_BEHAVIOUR(VynStringvynarrayFree, (int context, VynArray strings))
YRL_DATA_BEHAVIOUR(VynWstringArrayObjectAdd, (int context, VynArray* array, int index, int n_objs, VynWchar** strings))
YRL_DATA_BEHAVIOUR(VynWstringArrayFree, (int context, VynArray* array))

// External data (extdata_api.cpp).
YRL_DATA_BEHAVIOUR(VynExtdataInit, (int context, VynMdl model))
YRL_DATA_BEHAVIOUR(VynExtdataLoadAll, (int context, VynMdl model))
YRL_DATA_BEHAVIOUR(VynExtdataTerm, (int context, VynMdl model))
YRL_DATA_BEHAVIOUR(VynExtdataClassRegister, (int context, VynMdl model, const VynWchar* name, VynExtdataClass* ext_class))
YRL_DATA_BEHAVIOUR(VynExtdataClassNamesList, (int context, VynMdl model, int* count, VynArray* names))
YRL_DATA_BEHAVIOUR(VynExtdataSlotCreate, (int context, VynExtdataClass* ext_class, const VynWchar* name, VynExtdataSlot* slot))
YRL_DATA_BEHAVIOUR(VynExtdataSlotDelete, (int context, VynExtdataSlot* slot, int key_by))
YRL_DATA_BEHAVIOUR(VynExtdataSlotNamesList, (int context, VynExtdataClass* ext_class, int* count, VynArray* names))
YRL_DATA_BEHAVIOUR(VynExtdataSlotWrite, (int context, VynExtdataSlot* slot, int key_by, int type, int size, const void* data))
YRL_DATA_BEHAVIOUR(VynExtdataSlotRead, (int context, VynExtdataSlot* slot, int key_by, int* type, int* size, void** data))
YRL_DATA_BEHAVIOUR(VynExtdataFree, (int context, void** data))

#undef YRL_DATA_BEHAVIOUR

}  // namespace yrlhost
