// Reading a feature's element tree into a FeatureDefinition: which elements each feature type
// needs, the value type each holds and the kinds of extent the host knows. Every fault is
// named by the element it lies in; reading goes on past a fault so that one answer lists
// them all.
#include <cmath>
#include <initializer_list>
#include <vector>

#include "host/store/elemtrees.h"
#include "host/store/feature_build.h"
#include "host/display/selection.h"

namespace yrlhost {
namespace {

using Path = std::vector<VynElempathItem>;

VynElempathItem step(int id) { return {VYN_ELEMPATH_ID, id}; }
VynElempathItem member(int index) { return {VYN_ELEMPATH_INDEX, index}; }

Path ids(std::initializer_list<int> list) {
  Path path;
  for (int id : list) path.push_back(step(id));
  return path;
}

Path joined(Path path, std::initializer_list<VynElempathItem> more) {
  path.insert(path.end(), more.begin(), more.end());
  return path;
}

// The element a path's fault is named by: its last id step.
int fault_element(const Path& path) {
  for (auto it = path.rbegin(); it != path.rend(); ++it)
    if (it->kind == VYN_ELEMPATH_ID) return it->value;
  return element_root;
}

// What one kind value of an extent element means, and the elements of its numbers.
struct KindRow {
  int value;
  geom::DepthKind kind;
};

class SpecReader {
 public:
  SpecReader(VynElement tree, std::vector<FeatureError>& errors)
      : tree_(tree), errors_(errors), start_(errors.size()) {}

  // No fault found yet.
  bool clean() const { return errors_.size() == start_; }

  bool has(const Path& path) const { return tree_element_find(tree_, path) != nullptr; }

  void fault(const Path& path, int kind, int detail) {
    errors_.push_back({fault_element(path), kind, detail});
  }

  // The value at path of the given type; false (and a fault when required) otherwise.
  bool read(const Path& path, int type, VynValuedata& out, bool required) {
    TreeValue value = tree_value_read(tree_, path, type);
    switch (value.status) {
      case TreeRead::ok: out = value.data; return true;
      case TreeRead::no_element:
        if (required) fault(path, feature_error_missing, VYN_TK_E_NOT_FOUND);
        return false;
      case TreeRead::no_value:
      case TreeRead::wrong_type:
        fault(path, feature_error_value_type, VYN_TK_INVALID_TYPE);
        return false;
    }
    return false;
  }

  int read_int(const Path& path, bool required, int fallback) {
    VynValuedata data{};
    return read(path, VYN_VALUE_TYPE_INT, data, required) ? data.value.i : fallback;
  }

  // A finite double, above 0 when positive is set.
  double read_double(const Path& path, bool required, double fallback, bool positive = false) {
    VynValuedata data{};
    if (!read(path, VYN_VALUE_TYPE_DOUBLE, data, required)) return fallback;
    if (!std::isfinite(data.value.d) || (positive && !(data.value.d > 0))) {
      fault(path, feature_error_value, VYN_TK_BAD_INPUTS);
      return fallback;
    }
    return data.value.d;
  }

  FeatureRef read_ref(const Path& path, bool required) {
    VynValuedata data{};
    FeatureRef ref;
    if (!read(path, VYN_VALUE_TYPE_SELECTION, data, required)) return ref;
    if (!data.value.r) {
      fault(path, feature_error_value_type, VYN_TK_INVALID_TYPE);
      return ref;
    }
    ref.element = fault_element(path);
    ref.item = data.value.r->item;
    return ref;
  }

  // One side of an extent: the element of the side (absent: none), its kind element and
  // the elements of its blind number and its reference.
  SideSpec read_side(const Path& side, int kind_id, int number_id, int ref_id,
                     std::initializer_list<KindRow> rows) {
    SideSpec definition;
    if (!has(side)) return definition;
    Path kind_path = joined(side, {step(kind_id)});
    VynValuedata data{};
    if (!read(kind_path, VYN_VALUE_TYPE_INT, data, true)) return definition;
    const KindRow* row = nullptr;
    for (const KindRow& r : rows)
      if (r.value == data.value.i) row = &r;
    if (!row) {
      fault(kind_path, feature_error_value, VYN_TK_BAD_INPUTS);
      return definition;
    }
    definition.kind = row->kind;
    if (definition.kind == geom::DepthKind::blind)
      definition.value = read_double(joined(side, {step(number_id)}), true, 0, true);
    if (definition.kind == geom::DepthKind::up_to_plane) definition.ref = read_ref(joined(side, {step(ref_id)}), true);
    return definition;
  }

  void read_sketch(FeatureDefinition& definition) {
    const Path setup = ids({element_sketch, 450});
    if (!has(ids({element_sketch}))) {
      fault(ids({element_sketch}), feature_error_missing, VYN_TK_E_NOT_FOUND);
      return;
    }
    definition.sketch_plane = read_ref(joined(setup, {step(451)}), true);
    definition.view_direction = read_int(joined(setup, {step(452)}), false, 1);
    if (definition.view_direction != 1 && definition.view_direction != -1)
      fault(joined(setup, {step(452)}), feature_error_value, VYN_TK_BAD_INPUTS);
    definition.orientation = read_int(joined(setup, {step(454)}), false, 0);
    definition.orientation_ref = read_ref(joined(setup, {step(455)}), false);
    VynValuedata data{};
    if (read(ids({element_sketch, element_section}), VYN_VALUE_TYPE_POINTER, data, false))
      definition.section = static_cast<VynSection>(data.value.p);
  }

  void read_extrude(FeatureDefinition& definition) {
    definition.kind = FeatureKind::extrude;
    int form = read_int(ids({388}), true, 1);
    if (form == 2) definition.kind = FeatureKind::revolve;
    else if (form != 1) fault(ids({388}), feature_error_value, VYN_TK_BAD_INPUTS);
    int cut = read_int(ids({2023}), false, -1);
    if (cut != -1 && cut != feature_type_cut) fault(ids({2023}), feature_error_value, VYN_TK_BAD_INPUTS);
    definition.type = cut == feature_type_cut ? feature_type_cut : feature_type_protrusion;
    read_sketch(definition);
    definition.direction = read_int(ids({436}), false, -1);
    if (definition.direction != 1 && definition.direction != -1) fault(ids({436}), feature_error_value, VYN_TK_BAD_INPUTS);
    definition.material_side = read_int(ids({499}), false, 1);
    if (definition.material_side != 1 && definition.material_side != 2)
      fault(ids({499}), feature_error_value, VYN_TK_BAD_INPUTS);
    using geom::DepthKind;
    if (definition.kind == FeatureKind::extrude) {
      if (!has(ids({515}))) return fault(ids({515}), feature_error_missing, VYN_TK_E_NOT_FOUND);
      definition.sides[0] = read_side(ids({515, 428}), 430, 431, 432,
                                {{4096, DepthKind::none}, {512, DepthKind::none},
                                 {128, DepthKind::blind}, {2048, DepthKind::up_to_plane}});
      definition.sides[1] = read_side(ids({515, 429}), 433, 434, 435,
                                {{8388608, DepthKind::none}, {262144, DepthKind::blind},
                                 {1048576, DepthKind::through_all},
                                 {4194304, DepthKind::up_to_plane}});
      if (definition.sides[0].kind == DepthKind::none && definition.sides[1].kind == DepthKind::none && clean())
        fault(ids({515}), feature_error_value, VYN_TK_BAD_INPUTS);
    } else {
      if (!has(ids({6}))) return fault(ids({6}), feature_error_missing, VYN_TK_E_NOT_FOUND);
      definition.sides[0] = read_side(ids({6, 437}), 439, 441, 443,
                                {{262144, DepthKind::none}, {65536, DepthKind::through_all},
                                 {131072, DepthKind::up_to_plane}});
      definition.sides[1] = read_side(ids({6, 438}), 440, 442, 444,
                                {{268435456, DepthKind::none}, {4194304, DepthKind::blind},
                                 {134217728, DepthKind::up_to_plane}});
      for (int side = 0; side < 2; ++side)
        if (definition.sides[side].kind == DepthKind::blind && definition.sides[side].value > 360)
          fault(ids({6, side == 0 ? 437 : 438}), feature_error_value, VYN_TK_BAD_INPUTS);
      if (definition.sides[0].kind == DepthKind::none && definition.sides[1].kind == DepthKind::none && clean())
        fault(ids({6}), feature_error_value, VYN_TK_BAD_INPUTS);
    }
  }

  void read_hole(FeatureDefinition& definition) {
    definition.kind = FeatureKind::hole;
    definition.type = feature_type_hole;
    if (!has(ids({1671}))) return fault(ids({1671}), feature_error_missing, VYN_TK_E_NOT_FOUND);
    read_int(ids({1671, 1689}), false, 34);
    definition.diameter = read_double(ids({1671, 82}), true, 0, true);
    definition.hole_plane = read_ref(ids({1340, 1341}), true);
    definition.hole_refs[0] = read_ref(ids({1340, 704}), true);
    definition.hole_distances[0] = read_double(ids({1340, 706}), true, 0);
    definition.hole_refs[1] = read_ref(ids({1340, 707}), true);
    definition.hole_distances[1] = read_double(ids({1340, 708}), true, 0);
    const Path depth = ids({1671, 1684});
    if (!has(depth)) return fault(depth, feature_error_missing, VYN_TK_E_NOT_FOUND);
    using geom::DepthKind;
    const std::initializer_list<KindRow> rows = {{1, DepthKind::blind},
                                                 {3, DepthKind::through_all},
                                                 {5, DepthKind::up_to_plane},
                                                 {6, DepthKind::none}};
    definition.sides[0] = read_side(joined(depth, {step(1685)}), 1687, 431, 432, rows);
    definition.sides[1] = read_side(joined(depth, {step(1686)}), 1688, 434, 435, rows);
    if (definition.sides[0].kind == DepthKind::none && definition.sides[1].kind == DepthKind::none && clean())
      fault(depth, feature_error_value, VYN_TK_BAD_INPUTS);
  }

  void read_datum_plane(FeatureDefinition& definition) {
    definition.kind = FeatureKind::datum_plane;
    definition.type = feature_type_datum_plane;
    const Path first = {step(410), member(0)};
    if (!has(first)) return fault(ids({410}), feature_error_missing, VYN_TK_E_NOT_FOUND);
    definition.constraint = read_int(joined(first, {step(412)}), true, 3);
    if (definition.constraint != 0 && definition.constraint != 3)
      fault(joined(first, {step(412)}), feature_error_value, VYN_TK_BAD_INPUTS);
    definition.plane_ref = read_ref(joined(first, {step(413)}), true);
    definition.offset = read_double(joined(first, {step(414)}), definition.constraint == 3, 0);
    int flip = read_int(ids({3123}), false, 0);
    if (flip != 0 && flip != 1) fault(ids({3123}), feature_error_value, VYN_TK_BAD_INPUTS);
    definition.flip = flip == 1;
  }

  void read_datum_axis(FeatureDefinition& definition) {
    definition.kind = FeatureKind::datum_axis;
    definition.type = feature_type_datum_axis;
    const Path normal = {step(2015), member(0)};
    if (!has(normal)) return fault(ids({2015}), feature_error_missing, VYN_TK_E_NOT_FOUND);
    if (read_int(joined(normal, {step(2017)}), true, 0) != 0)
      fault(joined(normal, {step(2017)}), feature_error_value, VYN_TK_BAD_INPUTS);
    definition.axis_refs[0] = read_ref(joined(normal, {step(413)}), true);
    for (int i = 0; i < 2; ++i) {
      const Path offset = {step(2019), member(i)};
      if (!has(offset)) {
        fault(ids({2019}), feature_error_missing, VYN_TK_E_NOT_FOUND);
        continue;
      }
      definition.axis_refs[1 + i] = read_ref(joined(offset, {step(2021)}), true);
      definition.axis_offsets[i] = read_double(joined(offset, {step(2022)}), true, 0);
    }
  }

  void read_all(FeatureDefinition& definition) {
    if (tree_element_id(tree_) != element_root) {
      errors_.push_back({element_root, feature_error_missing, VYN_TK_E_NOT_FOUND});
      return;
    }
    if (has(ids({1956}))) {
      if (read_int(ids({1956}), true, 0) != feature_type_protrusion)
        return fault(ids({1956}), feature_error_value, VYN_TK_BAD_INPUTS);
      return read_extrude(definition);
    }
    int type = read_int(ids({387}), true, 0);
    switch (type) {
      case feature_type_hole: return read_hole(definition);
      case feature_type_datum_plane: return read_datum_plane(definition);
      case feature_type_datum_axis: return read_datum_axis(definition);
      case feature_type_datum_point:
        definition.kind = FeatureKind::datum_point;
        definition.type = type;
        return read_sketch(definition);
      case feature_type_datum_curve:
        definition.kind = FeatureKind::datum_curve;
        definition.type = type;
        return read_sketch(definition);
      default:
        if (clean()) fault(ids({387}), feature_error_value, VYN_TK_BAD_INPUTS);
    }
  }

 private:
  VynElement tree_;
  std::vector<FeatureError>& errors_;
  std::size_t start_;
};

}  // namespace

std::vector<FeatureRef> FeatureDefinition::refs() const {
  std::vector<FeatureRef> all;
  for (const FeatureRef& ref : {sketch_plane, orientation_ref, sides[0].ref, sides[1].ref, hole_plane,
                                hole_refs[0], hole_refs[1], plane_ref, axis_refs[0], axis_refs[1],
                                axis_refs[2]})
    if (ref.element != 0) all.push_back(ref);
  return all;
}

bool feature_definition_read(VynElement tree, FeatureDefinition& definition, std::vector<FeatureError>& errors) {
  definition = FeatureDefinition{};
  std::size_t before = errors.size();
  if (!tree_element_live(tree)) {
    errors.push_back({0, feature_error_missing, VYN_TK_BAD_INPUTS});
    return false;
  }
  SpecReader(tree, errors).read_all(definition);
  return errors.size() == before;
}

}  // namespace yrlhost
