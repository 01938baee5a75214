// The feature builder: a part's features from the element trees the plug-in hands the
// host, and the part's solid and datum items rebuilt from them in order with the geometry
// module (host/geometry/geometry.h). The rules it keeps are written down in
// host/resources/README.md ("Features").
//
// A feature made from a tree keeps a read-only copy of its tree (StoredFeature::tree);
// every regeneration reads the feature from that copy again, so that a datum plane moved by
// a redefinition moves what is built on it. A sketched feature keeps the section the
// plug-in fills (StoredFeature::section) and the section's entities as they stood at its
// last good build (StoredFeature::sketch): a regeneration builds from those, never from
// the live section, so a failed redefinition leaves nothing half-changed behind.
#pragma once

#include <string>
#include <vector>

#include "host/geometry/geometry.h"
#include "host/store/model_store.h"

namespace yrlhost {

// Feature states besides feature_status_active (0).
inline constexpr int feature_status_incomplete = 1;  // a sketched feature with no section yet
inline constexpr int feature_status_failed = 2;      // its last regeneration could not build it

// Feature types the builder makes.
inline constexpr int feature_type_hole = 911;
inline constexpr int feature_type_cut = 916;
inline constexpr int feature_type_protrusion = 917;
inline constexpr int feature_type_datum_axis = 926;
inline constexpr int feature_type_datum_point = 931;
inline constexpr int feature_type_datum_curve = 949;

// Element ids the builder gives meaning to beyond the feature's own tree.
inline constexpr int element_root = 386;
inline constexpr int element_sketch = 447;
inline constexpr int element_section = 458;

// The kinds of error row (VynErrorItem::type) a build or redefinition reports. Each row
// is {element id where the fault lies, kind, detail}; the detail is the faulted section
// entity's id for section faults, the geometry status (geom::Status as a number) for
// geometry failures, and the host status (-4, -18, -2) otherwise.
enum FeatureErrorKind {
  feature_error_missing = 1,      // a required element is absent
  feature_error_value_type = 2,   // an element holds no value, a list, or a value of another type
  feature_error_value = 3,        // a value out of range: an unknown feature type or kind, a
                                  // depth not above 0, a section of another feature
  feature_error_reference = 4,    // a reference that is no plane (or axis) of the part now
  feature_error_section = 5,      // the section makes no profile (open, crossing, ...)
  feature_error_geometry = 6,     // the kernel could not build or combine the feature, or its
                                  // geometry lies beyond the model-size box
  feature_error_incomplete = 7,   // an empty section where the options allow no incomplete feature
  feature_error_no_intersection = 8,  // the feature does not intersect the part: a cut or hole
                                      // that takes no material, material added apart from it
};

struct FeatureError {
  int id = 0;
  int kind = 0;
  int detail = 0;
};

// Which way sketched and hole features may be left incomplete: creation and redefinition
// option 2.
inline constexpr int feature_option_incomplete = 2;
// Deletion option 1: the features that depend on a deleted one go with it.
inline constexpr int feature_option_delete_dependants = 1;

// ---- Reading trees (feature_trees.cpp) ----------------------------------------------------

enum class FeatureKind { extrude, revolve, hole, datum_plane, datum_axis, datum_point, datum_curve };

// A model item a tree refers to, with the element that holds it.
struct FeatureRef {
  int element = 0;
  VynModelitem item{};
};

// One side of an extent (a prism's depth, a revolution's angle, a hole's depth): none, a
// blind distance (or angle), through all (a full turn for a revolution), or up to a
// reference plane.
struct SideSpec {
  geom::DepthKind kind = geom::DepthKind::none;
  double value = 0;
  FeatureRef ref;
};

// A feature as its tree describes it, checked for form (not yet against the part).
struct FeatureDefinition {
  FeatureKind kind = FeatureKind::extrude;
  int type = 0;  // the host feature type it makes
  // Sketched features (447/450): the sketch plane, the view direction, the orientation.
  FeatureRef sketch_plane;
  int view_direction = 1;
  int orientation = 0;
  FeatureRef orientation_ref;
  VynSection section = nullptr;  // 447/458 when the tree holds it
  // Extrusions and revolutions: 436 and 499 (defaults when absent).
  int direction = -1;
  int material_side = 1;
  // Extrusions (515/428 and 515/429), revolutions (6/437 and 6/438), holes (1684/1685 and
  // 1684/1686): side 0 is the first of the pair, side 1 the second.
  SideSpec sides[2];
  // Holes.
  double diameter = 0;
  FeatureRef hole_plane;
  FeatureRef hole_refs[2];
  double hole_distances[2] = {0, 0};
  // Datum planes: the constraint (0 through, 3 offset), its reference, the offset, flip.
  int constraint = 3;
  FeatureRef plane_ref;
  double offset = 0;
  bool flip = false;
  // Datum axes: normal to the first reference, at the two offsets from the others.
  FeatureRef axis_refs[3];
  double axis_offsets[2] = {0, 0};

  bool sketched() const {
    return kind == FeatureKind::extrude || kind == FeatureKind::revolve ||
           kind == FeatureKind::datum_point || kind == FeatureKind::datum_curve;
  }
  // Every reference the tree holds.
  std::vector<FeatureRef> refs() const;
};

// Reads a tree into a definition; false with the faults in errors (at least one).
bool feature_definition_read(VynElement tree, FeatureDefinition& definition, std::vector<FeatureError>& errors);

// ---- Building (feature_build.cpp) ------------------------------------------------------

// The sketch frame of a sketched feature on a plane: on a plane parallel to a default
// datum plane it is that datum's frame at the plane's offset (so sections map as the
// application's views do), turned a quarter about its normal for the orientation codes 1
// and 2 (u along the datum frame's v, v against its u); on another plane its u runs along
// the orientation reference's normal (code 3: against it).
bool sketch_frame_for(const geom::Plane& plane, const geom::Plane* orientation_plane,
                      int orientation, geom::Frame& out);

// Rebuilds a part from its features in order: model.solid, model.datums and each
// feature's status and datum surfaces. A feature that cannot be built is marked failed
// and adds nothing; its errors are appended to errors (when given). The result is
// whether every feature built (incomplete ones count as built). With from, the features
// before that index are taken as they stood after the last regeneration that reached
// them (none of them changed since): the rebuild starts there.
bool part_regenerate(StoredModel& model, std::vector<FeatureError>* errors, std::size_t from = 0);

// The sketch frame of a sketched feature's definition on the part as it stood before the
// feature at its last regeneration (the whole part for a feature not in it yet); false
// when its sketch plane names no plane there.
bool part_sketch_frame(StoredModel& model, const FeatureDefinition& definition, int feature_id, geom::Frame& out);

// The features that depend on feature_id through the references of their trees, directly
// or through others, in model order.
std::vector<int> feature_dependants(const StoredModel& model, int feature_id);

// A copy of a feature for another part (VynMdlCopy): its tree and section are copies of
// their own, the tree's selections of the old part name the new one.
StoredFeature feature_copy(const StoredFeature& feature, VynMdl from, VynMdl to);
// Frees what a feature holds of the builder's (its tree copy and its section); for a
// feature leaving the part.
void feature_release(StoredFeature& feature);

}  // namespace yrlhost
