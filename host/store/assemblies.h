// Assemblies: models of type 1 that hold components, each a feature of type 1000 that
// places a part or a sub-assembly; and assembly component paths from a top assembly down.
//
// An assembly's handle is, unlike other model handles, the address of a host record of
// its own (AssemblyRecord): the older cabling calls name an assembly by words 0 and 17 of
// the object behind its handle, and the plug-in reads them there. The records live until
// the host is reset, so that an erased assembly's handle never names another model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

inline constexpr int model_type_assembly = 1;
inline constexpr int feature_type_component = 1000;

// The object behind an assembly handle: word 0 is the assembly's model id, word 17 the
// id with assembly_word17_tag added; the other words are 0.
inline constexpr VynWord assembly_word17_tag = 0x43000000;
struct AssemblyRecord {
  VynWord words[18];
};

struct StoredModel;

// A new assembly handle for the model of this id (for the model store).
VynMdl assembly_handle_new(int model_id);

// A new assembly named name (UTF-8, 1 to 31 units), made current; null with the reason in
// error for a bad name or when an assembly of that name is in session.
VynMdl host_assembly_create(const std::string& name, std::string& error);
// Places model (a live part or assembly, not assembly itself nor one that holds it) in a
// live assembly as a new component feature named name: the feature's id, or -1.
int host_component_add(VynMdl assembly, VynMdl model, const std::string& name);
// The model a component of a live assembly places; null for anything else.
VynMdl host_component_model(VynMdl assembly, int feature_id);

// The stored model of a live assembly; null for anything else.
StoredModel* assembly_live(VynMdl model);
// The model the component ids lead to from assembly, each a component of the model the
// ids before it lead to (the assembly itself for none); null when one is no component on
// the way.
VynMdl assembly_path_model(VynMdl assembly, const int* ids, int count);

}  // namespace yrlhost
