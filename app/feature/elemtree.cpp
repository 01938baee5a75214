#include "app/feature/elemtree.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "app/util/apputil.h"
#include "app/views/views.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/catalogue_drawing_featref_api.h"
#include "toolkit/util/vecmath.h"

namespace {

constexpr int kWstringChars = 81;

// Frees the wide-string copy a value-data record may hold once the host has copied it.
void value_data_release(VynValuedata* data) {
  if (data->type == VYN_VALUE_TYPE_WSTRING) std::free(const_cast<VynWchar*>(data->value.w));
  data->value.w = nullptr;
}

const VynModelitem& sketch_plane(const YrlFeatInfo* info) {
  return info->sketch.use_found_plane == 1 ? info->sketch.found_plane : info->sketch.created_plane;
}

int view_direction(const YrlFeatInfo* info) { return info->view_dir_flipped ? -1 : 1; }

VynElement add_int(int id, VynElement parent, int value) {
  VynElement e = nullptr;
  YrlFeatElementIntAdd(id, parent, value, &e);
  return e;
}
VynElement add_dbl(int id, VynElement parent, double value) {
  VynElement e = nullptr;
  YrlFeatElementDblAdd(id, parent, value, &e);
  return e;
}
VynElement add_item(int id, VynElement parent, const VynModelitem& item) {
  VynElement e = nullptr;
  YrlFeatElementModelItemAdd(id, parent, &item, &e);
  return e;
}
// A compound element (no value) under parent.
VynElement add_node(int id, VynElement parent) {
  VynElement e = nullptr;
  if (VynElementAlloc(id, &e) != VYN_TK_NO_ERROR) return nullptr;
  if (parent != nullptr) VynElemtreeElementAdd(parent, nullptr, e);
  return e;
}

// 447{450{451, 452, 454, 455}}: the sketch set-up of a sketched feature.
VynElement add_sketch_setup(const YrlFeatInfo* info, VynElement root, bool with_setup) {
  VynElement sketch = add_node(447, root);
  VynElement setup = add_node(450, sketch);
  if (with_setup) {
    add_item(451, setup, sketch_plane(info));
    add_int(452, setup, view_direction(info));
    add_int(454, setup, info->sketch.orientation_code);
    add_item(455, setup, info->sketch.orientation_ref);
  }
  return sketch;
}

int set_int(VynElement tree, std::initializer_list<int> path, int value) {
  return YrlFeatElemtreeElemValueSet(tree, path.begin(), static_cast<int>(path.size()), VYN_VALUE_TYPE_INT, &value);
}
int set_dbl(VynElement tree, std::initializer_list<int> path, double value) {
  return YrlFeatElemtreeElemValueSet(tree, path.begin(), static_cast<int>(path.size()), VYN_VALUE_TYPE_DOUBLE,
                                     &value);
}

}  // namespace

int YrlFeatElemValueDataSet(VynValuedata* data, int type, const void* value) {
  if (data == nullptr || value == nullptr) return VYN_TK_BAD_INPUTS;
  std::memset(data, 0, sizeof(*data));
  data->type = type;
  switch (type) {
    case VYN_VALUE_TYPE_INT:
    case VYN_VALUE_TYPE_BOOL:
      data->value.i = *static_cast<const int*>(value);
      return VYN_TK_NO_ERROR;
    case VYN_VALUE_TYPE_POINTER:
    case VYN_VALUE_TYPE_STRING:
    case VYN_VALUE_TYPE_SELECTION:
    case VYN_VALUE_TYPE_TRANSFORM:
      data->value.p = *static_cast<void* const*>(value);
      return VYN_TK_NO_ERROR;
    case VYN_VALUE_TYPE_DOUBLE:
      data->value.d = *static_cast<const double*>(value);
      return VYN_TK_NO_ERROR;
    case VYN_VALUE_TYPE_WSTRING: {
      auto* copy = static_cast<VynWchar*>(std::calloc(kWstringChars, sizeof(VynWchar)));
      if (copy == nullptr) return -10;
      const VynWchar* from = *static_cast<const VynWchar* const*>(value);
      for (int k = 0; from != nullptr && k < kWstringChars - 1 && from[k] != 0; ++k) copy[k] = from[k];
      data->value.w = copy;
      return VYN_TK_NO_ERROR;
    }
    default:
      return VYN_TK_GENERAL_ERROR;
  }
}

int YrlFeatElemValueSet(VynElement element, int type, const void* value) {
  VynValuedata data;
  int status = YrlFeatElemValueDataSet(&data, type, value);
  if (status != VYN_TK_NO_ERROR) return status;
  VynValue handle = nullptr;
  status = VynValueAlloc(&handle);
  if (status == VYN_TK_NO_ERROR) status = VynValueDataSet(handle, &data);
  if (status == VYN_TK_NO_ERROR) status = VynElementValueSet(element, handle);
  value_data_release(&data);
  return status;
}

int YrlFeatElemAddAndValueSet(int id, VynElement parent, int type, const void* value, VynElement* out) {
  VynElement element = nullptr;
  int status = VynElementAlloc(id, &element);
  if (status == VYN_TK_NO_ERROR) {
    YrlFeatElemValueSet(element, type, value);
    VynElemtreeElementAdd(parent, nullptr, element);
  }
  if (out != nullptr) *out = element;
  return status;
}

int YrlFeatElementIntAdd(int id, VynElement parent, int value, VynElement* out) {
  return YrlFeatElemAddAndValueSet(id, parent, VYN_VALUE_TYPE_INT, &value, out);
}
int YrlFeatElementDblAdd(int id, VynElement parent, double value, VynElement* out) {
  return YrlFeatElemAddAndValueSet(id, parent, VYN_VALUE_TYPE_DOUBLE, &value, out);
}
int YrlFeatElementPtrAdd(int id, VynElement parent, void* value, VynElement* out) {
  return YrlFeatElemAddAndValueSet(id, parent, VYN_VALUE_TYPE_POINTER, &value, out);
}
int YrlFeatElementWstringAdd(int id, VynElement parent, const VynWchar* value, VynElement* out) {
  return YrlFeatElemAddAndValueSet(id, parent, VYN_VALUE_TYPE_WSTRING, &value, out);
}
int YrlFeatElementSelAdd(int id, VynElement parent, VynSelection value, VynElement* out) {
  return YrlFeatElemAddAndValueSet(id, parent, VYN_VALUE_TYPE_SELECTION, &value, out);
}
int YrlFeatElementModelItemAdd(int id, VynElement parent, const VynModelitem* item, VynElement* out) {
  VynSelection sel = nullptr;
  int status = VynSelectionAlloc(nullptr, const_cast<VynModelitem*>(item), &sel);
  if (status != VYN_TK_NO_ERROR) {
    if (out != nullptr) *out = nullptr;
    return status;
  }
  status = YrlFeatElementSelAdd(id, parent, sel, out);
  VynSelectionFree(&sel);
  return status;
}

int YrlFeatElemtreeElemValueSet(VynElement tree, const int* ids, int count, int type, const void* value) {
  if (ids == nullptr || count < 1 || count > 8) return VYN_TK_BAD_INPUTS;
  VynElempathItem items[8];
  for (int k = 0; k < count; ++k) items[k] = {VYN_ELEMPATH_ID, ids[k]};
  VynElempath path = nullptr;
  int status = VynElempathAlloc(&path);
  if (status != VYN_TK_NO_ERROR) return status;
  status = VynElempathDataSet(path, items, count);
  VynElement element = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynElemtreeElementGet(tree, path, &element);
  VynValue handle = nullptr;
  if (status == VYN_TK_NO_ERROR) status = VynElementValueGet(element, &handle);
  VynValuedata data{};
  if (status == VYN_TK_NO_ERROR) status = YrlFeatElemValueDataSet(&data, type, value);
  if (status == VYN_TK_NO_ERROR) status = VynValueDataSet(handle, &data);
  if (status == VYN_TK_NO_ERROR) status = VynElementValueSet(element, handle);
  value_data_release(&data);
  VynElempathFree(&path);
  return status;
}

// ---- Trees -----------------------------------------------------------------------------

int YrlFeatInfoFeatElememntsAdd(YrlFeatInfo* info, int type, VynElement* tree) {
  if (info == nullptr) return VYN_TK_BAD_INPUTS;
  int status = VYN_TK_NO_ERROR;
  switch (type) {
    case YRL_FEAT_EXTRUDE:
      YrlFeatExtrudeElementsAdd(info, nullptr);
      status = YrlFeatDepthElementsAdd(info);
      break;
    case YRL_FEAT_REVOLVE:
      YrlFeatExtrudeElementsAdd(info, nullptr);
      status = YrlFeatRevAngleElementsAdd(info);
      break;
    case YRL_FEAT_HOLE: {
      VynElement hole = nullptr;
      YrlFeatHoleMainElementsadd(info, &hole);
      status = YrlFeatHoleDepthElementsadd(info, hole);
      break;
    }
    case YRL_FEAT_DATUM_CURVE:
      status = YrlFeatDatumCurveElementsAdd(info, tree);
      return status;
    case YRL_FEAT_DATUM_POINT:
      status = YrlFeatDatumPointElementsAddNew(info);
      break;
    case YRL_FEAT_DATUM_PLANE:
      status = YrlFeatDatumPlaneElementsAdd(info);
      break;
    case YRL_FEAT_DATUM_AXIS:
      status = YrlFeatDatumAxisElementsAdd(info);
      break;
    default:
      return VYN_TK_GENERAL_ERROR;
  }
  if (tree != nullptr) *tree = info->tree;
  return status;
}

int YrlFeatExtrudeElementsAdd(YrlFeatInfo* info, VynElement* sketch) {
  VynElement root = add_node(386, nullptr);
  info->tree = root;
  add_int(1956, root, 917);
  add_int(3176, root, 0);
  add_int(2023, root, info->sub_type == YRL_FEAT_CUT ? 916 : -1);
  add_int(388, root, info->type == YRL_FEAT_REVOLVE ? 2 : 1);
  VynElement sk = add_sketch_setup(info, root, info->part.datums_found != 0);
  if (sketch != nullptr) *sketch = sk;
  return root != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

namespace {

// 515 and the sides of depth type `type` under root.
int depth_elements(const YrlFeatInfo* info, VynElement root, int type) {
  VynElement depth = add_node(515, root);
  const YrlExtentInfo& x = info->extent;
  bool picked = x.parallel_ref && x.surface_found;
  if (type == YRL_DEPTH_UP_TO_REF && !picked) type = YRL_DEPTH_BLIND;
  switch (type) {
    case YRL_DEPTH_BLIND:
      add_int(430, add_node(428, depth), 4096);
      {
        VynElement s2 = add_node(429, depth);
        add_int(433, s2, 262144);
        add_dbl(434, s2, x.depth);
      }
      break;
    case YRL_DEPTH_BOTH_SIDES: {
      VynElement s1 = add_node(428, depth);
      add_int(430, s1, 128);
      add_dbl(431, s1, x.depth / 2);
      VynElement s2 = add_node(429, depth);
      add_int(433, s2, 262144);
      add_dbl(434, s2, x.depth / 2);
      break;
    }
    case YRL_DEPTH_THROUGH_ALL:
      add_int(430, add_node(428, depth), 512);
      add_int(433, add_node(429, depth), 1048576);
      break;
    case YRL_DEPTH_UP_TO_REF:
      if (info->direction_flipped) {
        add_int(430, add_node(428, depth), 4096);
        VynElement s2 = add_node(429, depth);
        add_int(433, s2, 4194304);
        add_item(435, s2, x.reference);
      } else {
        VynElement s1 = add_node(428, depth);
        add_int(430, s1, 2048);
        add_item(432, s1, x.reference);
        add_int(433, add_node(429, depth), 8388608);
      }
      break;
    default:  // "next" and anything else: the depth stays empty
      break;
  }
  return depth != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

// 6 and its sides under root: up to the reference, or the record's angle.
int angle_elements(const YrlFeatInfo* info, VynElement root, bool picked) {
  const YrlExtentInfo& x = info->extent;
  // An angle of no turn cannot make a solid; the angle tree is not built.
  if (!picked && x.depth <= 0) return VYN_TK_BAD_INPUTS;
  VynElement angles = add_node(6, root);
  if (picked) {
    add_int(439, add_node(437, angles), 262144);
    VynElement s2 = add_node(438, angles);
    add_int(440, s2, 134217728);
    add_item(444, s2, x.reference);
    return VYN_TK_NO_ERROR;
  }
  if (x.depth <= 360) {
    add_int(439, add_node(437, angles), 262144);
    VynElement s2 = add_node(438, angles);
    add_int(440, s2, 4194304);
    add_dbl(442, s2, x.depth);
    return VYN_TK_NO_ERROR;
  }
  int status = MessageDialog("FEATURE INFO",
                             "Could not determine the angle of revolution.\n\n Using 360 as the angle of revolution.");
  add_int(439, add_node(437, angles), 65536);
  add_int(440, add_node(438, angles), 268435456);
  return status;
}

}  // namespace

int YrlFeatDepthElementsAdd(YrlFeatInfo* info) { return depth_elements(info, info->tree, info->extent.depth_type); }

int YrlFeatRevAngleElementsAdd(YrlFeatInfo* info) {
  return angle_elements(info, info->tree, info->extent.parallel_ref && info->extent.surface_found);
}

int YrlFeatHoleMainElementsadd(YrlFeatInfo* info, VynElement* hole_out) {
  VynElement root = add_node(386, nullptr);
  info->tree = root;
  add_int(387, root, 911);
  add_int(388, root, 1);
  VynElement hole = add_node(1671, root);
  add_int(1689, hole, 34);
  add_int(1672, hole, 16);
  add_int(1672, hole, 16);  // the host's tree holds 1672 twice
  add_dbl(82, hole, info->hole.diameter);
  VynElement place = add_node(1340, root);
  add_item(1341, place, sketch_plane(info));
  add_int(696, place, 1);
  YrlFeatHoleRefDistancesGet(info);
  static const VynModelitem none{};
  add_item(704, place, info->hole.first_ref ? *info->hole.first_ref : none);
  add_dbl(706, place, info->hole.first_distance);
  add_item(707, place, info->hole.second_ref ? *info->hole.second_ref : none);
  add_dbl(708, place, info->hole.second_distance);
  if (hole_out != nullptr) *hole_out = hole;
  return root != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

int YrlFeatHoleRefDistancesGet(YrlFeatInfo* info) {
  YrlHoleInfo& h = info->hole;
  if (h.view_id < 1) return VYN_TK_GENERAL_ERROR;
  double trf[4][4];
  int status = YrlGetDrwToMdlTrfForView(&info->draw, h.view_id, trf, nullptr);
  if (status != VYN_TK_NO_ERROR) return status;
  // The centre and the view's point both come through the drawing-to-model transform,
  // which carries the drawing's and the view's scales already: their difference is a
  // model distance, as every profile's is, and is not divided by a scale a second time.
  double point[3] = {0, 0, 0};
  status = YrlFeatViewRefPntGetAndTrf(h.view_id, trf, point);
  if (status != VYN_TK_NO_ERROR) return status;
  double dx = h.centre[0] - point[0], dy = h.centre[1] - point[1];
  const YrlPartInfo& p = info->part;
  // The view maps its (u, v) into the part as TOP (u, d, -v), FRONT (u, v, d) and
  // RIGHT (d, v, -u): each distance goes with the datum whose normal it runs along. In
  // RIGHT that puts -u with FRONT's plane (z) and v with TOP's (y), where a table that
  // takes v to FRONT and -u to TOP would place the hole mirrored about y = z.
  if (IsYrlViewGroupTop(h.view_id)) {
    h.first_ref = &p.front, h.second_ref = &p.right;
    h.first_distance = -dy, h.second_distance = dx;
  } else if (IsYrlViewGroupFront(h.view_id)) {
    h.first_ref = &p.top, h.second_ref = &p.right;
    h.first_distance = dy, h.second_distance = dx;
  } else if (IsYrlViewGroupRight(h.view_id)) {
    h.first_ref = &p.front, h.second_ref = &p.top;
    h.first_distance = -dx, h.second_distance = dy;
  } else {
    return VYN_TK_GENERAL_ERROR;
  }
  return VYN_TK_NO_ERROR;
}

namespace {

// 1684 and the sides of depth type `type` under the hole element.
int hole_depth_elements(const YrlFeatInfo* info, VynElement hole, int type) {
  VynElement depth = add_node(1684, hole);
  const YrlExtentInfo& x = info->extent;
  if (type == YRL_DEPTH_BLIND && info->direction_flipped) {
    add_int(1687, add_node(1685, depth), 6);
    VynElement s2 = add_node(1686, depth);
    add_int(1688, s2, 1);
    add_dbl(434, s2, x.depth);
  } else if (type == YRL_DEPTH_BLIND) {
    VynElement s1 = add_node(1685, depth);
    add_int(1687, s1, 1);
    add_dbl(431, s1, x.depth);
    add_int(1688, add_node(1686, depth), 6);
  } else if (type == YRL_DEPTH_THROUGH_ALL) {
    VynElement s1 = add_node(1685, depth);
    add_int(1687, s1, 3);
    add_dbl(431, s1, 0.0);
    VynElement s2 = add_node(1686, depth);
    add_int(1688, s2, 3);
    add_dbl(434, s2, 0.0);
  } else if (type == YRL_DEPTH_UP_TO_REF && x.parallel_ref && x.surface_found) {
    add_int(1687, add_node(1685, depth), 6);
    VynElement s2 = add_node(1686, depth);
    add_int(1688, s2, 5);
    add_item(435, s2, x.reference);
  }
  return depth != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

}  // namespace

int YrlFeatHoleDepthElementsadd(YrlFeatInfo* info, VynElement hole) {
  return hole_depth_elements(info, hole, info->extent.depth_type);
}

int YrlFeatDatumCurveElementsAdd(YrlFeatInfo* info, VynElement* tree) {
  VynElement root = add_node(386, nullptr);
  add_int(387, root, info->part.datums_found ? 949 : 0);
  add_int(511, root, 0);
  add_sketch_setup(info, root, true);
  if (tree != nullptr) *tree = root;
  else info->tree = root;
  return root != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

int YrlFeatDatumPointElementsAddNew(YrlFeatInfo* info) {
  VynElement root = add_node(386, nullptr);
  info->tree = root;
  add_int(387, root, 931);
  add_int(3179, root, 22);
  add_sketch_setup(info, root, true);
  return root != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

int YrlFeatDatumPlaneElementsAdd(YrlFeatInfo* info) {
  VynElement root = add_node(386, nullptr);
  info->tree = root;
  add_int(387, root, 923);
  VynElement constraint = add_node(411, add_node(410, root));
  add_int(412, constraint, 3);
  add_item(413, constraint, sketch_plane(info));
  add_dbl(414, constraint, info->sketch.offset);
  add_int(3123, root, 0);
  return root != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

int YrlFeatDatumAxisElementsAdd(YrlFeatInfo* info) {
  const YrlDatumAxisRefs& a = info->axis_refs;
  VynElement root = add_node(386, nullptr);
  info->tree = root;
  add_int(387, root, 926);
  VynElement c = add_node(2016, add_node(2015, root));
  add_int(2017, c, 0);
  add_item(413, c, a.refs[0]);
  VynElement offsets = add_node(2019, root);
  for (int k = 0; k < 2; ++k) {
    VynElement o = add_node(2020, offsets);
    add_item(2021, o, a.refs[k + 1]);
    add_dbl(2022, o, a.offsets[k]);
  }
  return root != nullptr ? VYN_TK_NO_ERROR : VYN_TK_GENERAL_ERROR;
}

// ---- Setters -----------------------------------------------------------------------------

namespace {

// The element at the path of ids from tree (tree itself for no ids) into out: 0, -4
// when the path leads to no element, or the status of the host call that failed.
int element_at(VynElement tree, std::initializer_list<int> ids, VynElement* out) {
  *out = nullptr;
  if (ids.size() == 0) {
    *out = tree;
    return VYN_TK_NO_ERROR;
  }
  VynElempathItem items[8];
  int n = 0;
  for (int id : ids) {
    if (n == 8) return VYN_TK_BAD_INPUTS;
    items[n++] = {VYN_ELEMPATH_ID, id};
  }
  VynElempath path = nullptr;
  int status = VynElempathAlloc(&path);
  if (status != VYN_TK_NO_ERROR) return status;
  status = VynElempathDataSet(path, items, n);
  if (status == VYN_TK_NO_ERROR) status = VynElemtreeElementGet(tree, path, out);
  VynElempathFree(&path);
  if (status != VYN_TK_NO_ERROR) *out = nullptr;
  return status;
}

// The element id under the element at parent (a path from tree) built afresh by build
// (which adds it under the parent it is given): another depth type holds other elements
// than the one before (through all has no depth value, blind no reference), so a change
// of depth type cannot be made by setting values. Only an element known to be absent is
// built without freeing the old one: a lookup that failed would leave two side by side.
template <typename Build>
int subtree_rebuild(VynElement tree, std::initializer_list<int> parent, int id, Build build) {
  VynElement at = nullptr, old = nullptr;
  int status = element_at(tree, parent, &at);
  if (status != VYN_TK_NO_ERROR) return status;
  status = element_at(at, {id}, &old);
  if (status == VYN_TK_NO_ERROR) status = VynElementFree(reinterpret_cast<VynWord>(old));
  else if (status == VYN_TK_E_NOT_FOUND) status = VYN_TK_NO_ERROR;
  if (status != VYN_TK_NO_ERROR) return status;
  return build(at);
}

}  // namespace

int YrlFeatElemtreeDepthTypeSet(YrlFeatInfo* info, VynElement tree, int depth_type) {
  if (depth_type != YRL_DEPTH_BLIND && depth_type != YRL_DEPTH_BOTH_SIDES && depth_type != YRL_DEPTH_THROUGH_ALL &&
      depth_type != YRL_DEPTH_UP_TO_REF)
    return VYN_TK_BAD_INPUTS;
  return subtree_rebuild(tree, {}, 515, [&](VynElement root) { return depth_elements(info, root, depth_type); });
}

int YrlFeatElemtreeRevAngleSet(YrlFeatInfo* info, VynElement tree, int depth_type) {
  const YrlExtentInfo& x = info->extent;
  const bool to_reference = depth_type == YRL_DEPTH_UP_TO_REF && x.surface_found;
  // A blind angle of no turn is refused before the tree is touched.
  if ((depth_type != YRL_DEPTH_BLIND && !to_reference) || (!to_reference && x.depth <= 0)) return VYN_TK_BAD_INPUTS;
  return subtree_rebuild(tree, {}, 6, [&](VynElement root) { return angle_elements(info, root, to_reference); });
}

int YrlFeatElemtreeHoleDepthSet(YrlFeatInfo* info, VynElement tree, int depth_type) {
  const YrlExtentInfo& x = info->extent;
  const bool to_reference = depth_type == YRL_DEPTH_UP_TO_REF && x.parallel_ref && x.surface_found;
  if (depth_type != YRL_DEPTH_BLIND && depth_type != YRL_DEPTH_THROUGH_ALL && !to_reference) return VYN_TK_BAD_INPUTS;
  return subtree_rebuild(tree, {1671}, 1684, [&](VynElement hole) { return hole_depth_elements(info, hole, depth_type); });
}

int YrlFeatElemtreeFeatTypeSet(YrlFeatInfo* info) {
  int value = info->sub_type == YRL_FEAT_CUT && info->part.datums_found ? 916 : -1;
  return set_int(info->tree, {2023}, value);
}

int YrlFeatElemtreeSktPlaneViewDirSet(VynElement tree, int value) {
  set_int(tree, {447, 450, 452}, value);
  return 1;
}
int YrlFeatElemtreeDirectionSet(VynElement tree, int value) {
  set_int(tree, {436}, value);
  return 1;
}
int YrlFeatElemtreeMaterialsideSet(VynElement tree, int value) {
  set_int(tree, {499}, value);
  return 1;
}
int YrlFeatElemtreeHoleDirectionSet(VynElement tree, int value) {
  set_int(tree, {1671, 1689}, value);
  return 1;
}
int YrlFeatElemtreeDatumOffsetSet(VynElement tree, double offset) {
  set_dbl(tree, {410, 411, 414}, offset);
  return 1;
}
int YrlFeatElemtreeDatumFlipSet(VynElement tree, int value) {
  set_int(tree, {3123}, value);
  return 1;
}

// ---- View transforms -------------------------------------------------------------------

int YrlGetDrwToMdlTrfForView(const YrlDrawInfo* draw, int view_id, double trf[4][4], double* scale) {
  if (draw == nullptr || trf == nullptr) return VYN_TK_BAD_INPUTS;
  VynUtilMatrixCopy(draw->sheet_trf, trf);
  double s = 1.0;
  if (YrlViewIdScaleGet(view_id, &s) != VYN_TK_NO_ERROR) s = 1.0;
  s = YrlViewScaleUsable(s);
  // The sheet transform carries the drawing scale, at which the orthographic views are
  // drawn. A section, auxiliary or detail view is drawn at its own scale on top of that
  // (2 draws it twice the size of the orthographic views): its sizes are divided by it.
  if (IsYrlViewTypeNonOrtho(view_id) || IsYrlViewTypeDetail(view_id)) {
    for (int k = 0; k < 3; ++k) trf[k][k] /= s;
  }
  if (scale != nullptr) *scale = s;
  return VYN_TK_NO_ERROR;
}

int YrlFeatViewRefPntGetAndTrf(int view_id, const double trf[4][4], double* point) {
  if (point == nullptr) return VYN_TK_BAD_INPUTS;
  double ref[3] = {0, 0, 0};
  int status = YrlViewIdRefPointGet(view_id, ref);
  if (status != VYN_TK_NO_ERROR) return status;
  if (IsYrlViewTypeSection(view_id)) {
    for (int k = 0; k < 3; ++k) point[k] = ref[k];
    return VYN_TK_NO_ERROR;
  }
  if (IsYrlViewTypeAuxilary(view_id)) {
    double screen[4][4], inverse[4][4], carried[3];
    if (YrlGetScrToDrwMatrix(screen) == VYN_TK_NO_ERROR && VynUtilMatrixInvert(screen, inverse) == 1) {
      VynUtilPointTrans(inverse, ref, carried);
      for (int k = 0; k < 3; ++k) ref[k] = carried[k];
    }
  }
  VynUtilPointTrans(trf, ref, point);
  return VYN_TK_NO_ERROR;
}
