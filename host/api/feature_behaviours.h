// Features from element trees: the host functions with behaviour (see
// host/api/host_behaviours.h; the builder is host/store/feature_build.h, its rules are in
// host/resources/README.md, "Features").
//
// A stale or foreign part, feature, tree, path, selection or section, or a null output,
// answers -2 (VYN_TK_BAD_INPUTS) and nothing changes. A tree the builder cannot make a
// feature of, or a feature that cannot be built, answers -1 with its faults in the
// VynErrors record (when given), and the part stays as it was.
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// One specialisation per key; run has the row's signature (context id first).
#define YRL_FEATURE_BEHAVIOUR(name, ...)   \
  template <>                              \
  struct Behaviour<HostApi::name> {        \
    static VynError run(int, __VA_ARGS__); \
  };

// Adds a feature made from the tree to the end of the part the selection names; option 2
// lets a sketched feature whose section is still empty be made (incomplete, no geometry).
YRL_FEATURE_BEHAVIOUR(VynFeatureCreate, VynSelection model, VynElement tree, const int* options,
                      int n_options, VynFeature* feature, VynErrors* errors)
// Deletes features of a part; option 1 deletes the features that depend on them too,
// without it a feature others depend on is not deleted (-1, nothing deleted).
YRL_FEATURE_BEHAVIOUR(VynFeatureDelete, VynSolid solid, int* feature_ids, int n_features,
                      const int* options, int n_options)
// The value at a path of the feature's tree: the host's own, read-only (-4 for no value).
YRL_FEATURE_BEHAVIOUR(VynFeatureElemValueGet, VynFeature* feature, VynElempath path, VynValue* value)
// A new tree of the plug-in's: a copy of the feature's, with its section at {447, 458}.
YRL_FEATURE_BEHAVIOUR(VynFeatureElemtreeCreate, VynFeature* feature, VynElement* tree)
// 1 for a sketched feature, 0 for another.
YRL_FEATURE_BEHAVIOUR(VynFeatureNumSectionsGet, VynFeature* feature, int* count)
// Rebuilds the feature from the tree and its section as they stand now; on failure the
// feature and the part stay as they were.
YRL_FEATURE_BEHAVIOUR(VynFeatureRedefine, VynAsmcomppath* path, VynFeature* feature, VynElement tree,
                      const int* options, int n_options, VynErrors* errors)
// Copies the entities of a section into the feature's own section.
YRL_FEATURE_BEHAVIOUR(VynFeatureSketchAdd, VynFeature* feature, VynSelection selection, VynSection section)
// Checks a section's profile: 0 when it makes closed loops, -1 with one error per fault.
YRL_FEATURE_BEHAVIOUR(VynFeatureSketchValidate, VynSelection selection, VynSection section, int type,
                      int option, VynErrors* errors)

#undef YRL_FEATURE_BEHAVIOUR

}  // namespace yrlhost
