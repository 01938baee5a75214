// The assembly functions of the host: components and component paths (the store is
// host/store/assemblies.cpp).
#include "host/api/assembly_behaviours.h"
#include "host/store/assemblies.h"
#include "host/store/model_store.h"

namespace yrlhost {

VynError Behaviour<HostApi::VynAsmcompMdlGet>::run(int, VynAsmcomp* component, VynMdl* model) {
  if (!component || !model) return VYN_TK_BAD_INPUTS;
  StoredModel* owner = assembly_live(component->owner);
  if (!owner || !stored_feature(*owner, component->id)) return VYN_TK_BAD_INPUTS;
  VynMdl placed = host_component_model(component->owner, component->id);
  if (!placed) return VYN_TK_E_NOT_FOUND;
  *model = placed;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynAsmcomppathInit>::run(int, VynSolid assembly, int* component_ids,
                                                     int count, VynAsmcomppath* path) {
  if (!assembly_live(assembly) || !path || count < 0 || count > VYN_ASMCOMPPATH_MAX ||
      (count > 0 && !component_ids) || !assembly_path_model(assembly, component_ids, count))
    return VYN_TK_BAD_INPUTS;
  VynAsmcomppath made{};
  made.owner = assembly;
  for (int i = 0; i < count; ++i) made.comp_id_table[i] = component_ids[i];
  if (count < VYN_ASMCOMPPATH_MAX) made.comp_id_table[count] = -1;
  made.table_num = count;
  *path = made;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynAsmcomppathMdlGet>::run(int, VynAsmcomppath* path, VynMdl* model) {
  if (!path || !model || path->table_num < 0 || path->table_num > VYN_ASMCOMPPATH_MAX)
    return VYN_TK_BAD_INPUTS;
  VynMdl at = assembly_live(path->owner) ? assembly_path_model(path->owner, path->comp_id_table, path->table_num)
                                         : nullptr;
  if (!at) return VYN_TK_BAD_INPUTS;
  *model = at;
  return VYN_TK_NO_ERROR;
}

VynError Behaviour<HostApi::VynSolidCsysVisit>::run(int, VynSolid solid, VynItemVisitAction action,
                                                    VynItemFilterAction, void*) {
  StoredModel* model = stored_model(solid);
  if (!model || !action || (model->type != model_type_part && model->type != model_type_assembly))
    return VYN_TK_BAD_INPUTS;
  return VYN_TK_E_NOT_FOUND;
}

}  // namespace yrlhost
