// Named views: identity, predicates, membership, group ids and reference points.
//
// Every lookup walks the stored records (YrlViewRecordsVisit) and stops at the first hit,
// so when two records would answer, the host's listing order decides; nothing is cached,
// since the records change under View Setup and the sketch fixes.
#include "app/views/views.h"

#include <climits>
#include <cmath>
#include <cstring>

#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "app/views/outline.h"
#include "app/views/viewdata.h"
#include "toolkit/local/geomdata.h"
#include "toolkit/util/strutil.h"
#include "toolkit/util/vecmath.h"

const YrlViewIdName yrl_view_id_list[6] = {
    {1, "TOP"}, {2, "FRONT"}, {3, "RIGHT"}, {4, "BOTTOM"}, {5, "REAR"}, {6, "LEFT"},
};

namespace {

// Copies a view name into a caller's buffer of YRL_VIEW_NAME_SIZE chars.
void name_copy(char* out, const char* name) {
  std::size_t length = strnlen(name, YRL_VIEW_NAME_SIZE - 1);
  std::memcpy(out, name, length);
  out[length] = '\0';
}

// ---- The three scans ----

struct Hit {
  // what is asked: by group id, by name or by member entity id
  int group_id = 0;
  const char* name = nullptr;
  int entity_id = 0;
  // what was found
  bool found = false;
  char found_name[YRL_VIEW_NAME_SIZE] = "";
  YrlViewData record{};
};

int hit_take(const char* view_name, const YrlViewData& record, Hit* hit) {
  hit->found = true;
  name_copy(hit->found_name, view_name);
  hit->record = record;
  return 1;
}

int scan_group_id(int group_id, Hit& hit) {
  hit.group_id = group_id;
  return YrlViewRecordsVisit(
      [](const char* view_name, const YrlViewData& record, void* data) {
        auto* h = static_cast<Hit*>(data);
        return record.group_id == h->group_id ? hit_take(view_name, record, h) : 0;
      },
      &hit);
}

int scan_name(const char* name, Hit& hit) {
  hit.name = name;
  return YrlViewRecordsVisit(
      [](const char* view_name, const YrlViewData& record, void* data) {
        auto* h = static_cast<Hit*>(data);
        return std::strcmp(view_name, h->name) == 0 ? hit_take(view_name, record, h) : 0;
      },
      &hit);
}

int scan_member(int entity_id, Hit& hit) {
  hit.entity_id = entity_id;
  return YrlViewRecordsVisit(
      [](const char* view_name, const YrlViewData& record, void* data) {
        auto* h = static_cast<Hit*>(data);
        for (int i = 0; i < record.member_count; ++i) {
          YrlSlotName slot_name;
          int id = 0;
          // A member slot whose name cannot exist, or that cannot be read, holds no one.
          if (YrlSlotNameBuild(slot_name, "%s_%d", view_name, i) != VYN_TK_NO_ERROR) break;
          if (YrlViewIntegerRetrieve(slot_name, &id) != VYN_TK_NO_ERROR) continue;
          if (id == h->entity_id) return hit_take(view_name, record, h);
        }
        return 0;
      },
      &hit);
}

// Type of the view with that group id; 0 when there is none.
int group_type(int group_id) {
  Hit hit;
  scan_group_id(group_id, hit);
  return hit.found ? hit.record.view_type : 0;
}

}  // namespace

// ---- Identity and names -----------------------------------------------------------------

int YrlViewNameIdGet(const char* name, int* id) {
  int found = 0;
  for (const YrlViewIdName& row : yrl_view_id_list)
    if (name && std::strcmp(name, row.name) == 0) found = row.id;
  if (id) *id = found;
  return VYN_TK_NO_ERROR;
}

int YrlViewSetupViewnameGetFromGroupId(int group_id, char* name, int* type) {
  Hit hit;
  int status = scan_group_id(group_id, hit);
  if (hit.found) {
    if (name) name_copy(name, hit.found_name);
    if (type) *type = hit.record.view_type;
  }
  return status;
}

int YrlViewIdNameGet(int group_id, char* name) {
  YrlViewSetupViewnameGetFromGroupId(group_id, name, nullptr);
  return VYN_TK_NO_ERROR;
}

int YrlViewSetupGroupIdFromNameGet(const char* name, int* group_id, int* type) {
  if (!name) return VYN_TK_BAD_INPUTS;
  Hit hit;
  int status = scan_name(name, hit);
  if (hit.found) {
    if (group_id) *group_id = hit.record.group_id;
    if (type) *type = hit.record.view_type;
  }
  return status;
}

int YrlViewNameTypeGet(const char* name, int* type) {
  if (type) *type = 0;
  if (!name || name[0] == '\0') return VYN_TK_E_NOT_FOUND;
  Hit hit;
  scan_name(name, hit);
  if (!hit.found) return VYN_TK_E_NOT_FOUND;
  if (type) *type = hit.record.view_type;
  return VYN_TK_NO_ERROR;
}

int YrlViewIdTypeMatches(int group_id, int type) { return group_type(group_id) == type ? 1 : 0; }

int YrlViewIdNameMatches(int group_id, const char* name) {
  if (!name) return 0;
  Hit hit;
  scan_group_id(group_id, hit);
  return hit.found && std::strcmp(hit.found_name, name) == 0 ? 1 : 0;
}

int YrlViewParentViewNameGet(const char* view_name, char* parent_name) {
  if (!view_name || !parent_name) return VYN_TK_E_NOT_FOUND;
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  if (record.position_id < 1) return VYN_TK_E_NOT_FOUND;
  Hit hit;
  int status = scan_member(record.position_id, hit);
  if (hit.found) name_copy(parent_name, hit.found_name);
  return status;
}

int YrlViewParentNameMatches(int group_id, const char* name) {
  if (!name) return 0;
  Hit hit;
  scan_group_id(group_id, hit);
  if (!hit.found || hit.record.view_type != YRL_VIEW_DETAIL) return 0;
  char parent[YRL_VIEW_NAME_SIZE] = "";
  if (YrlViewParentViewNameGet(hit.found_name, parent) != VYN_TK_NO_ERROR) return 0;
  // A detail view without a parent matches no name, not even "".
  return parent[0] != '\0' && std::strcmp(parent, name) == 0 ? 1 : 0;
}

// ---- Predicates by group id -------------------------------------------------------------

int IsYrlViewTypeSection(int group_id) { return YrlViewIdTypeMatches(group_id, YRL_VIEW_SECTION); }
int IsYrlViewTypeAuxilary(int group_id) { return YrlViewIdTypeMatches(group_id, YRL_VIEW_AUXILIARY); }
int IsYrlViewTypeDetail(int group_id) { return YrlViewIdTypeMatches(group_id, YRL_VIEW_DETAIL); }
int IsYrlViewTypeNonOrtho(int group_id) {
  return IsYrlViewTypeAuxilary(group_id) ? 1 : IsYrlViewTypeSection(group_id);
}

// For each orthographic name X: the view is X, the view is a detail view cut from X, or
// either.
#define YRL_VIEW_NAME_PREDICATES(Suffix, NAME)                                                   \
  int IsYrlViewName##Suffix(int group_id) { return YrlViewIdNameMatches(group_id, NAME); }       \
  int IsYrlViewParent##Suffix(int group_id) { return YrlViewParentNameMatches(group_id, NAME); } \
  int IsYrlViewGroup##Suffix(int group_id) {                                                     \
    return IsYrlViewName##Suffix(group_id) ? 1 : IsYrlViewParent##Suffix(group_id);              \
  }
YRL_VIEW_NAME_PREDICATES(Top, "TOP")
YRL_VIEW_NAME_PREDICATES(Front, "FRONT")
YRL_VIEW_NAME_PREDICATES(Right, "RIGHT")
YRL_VIEW_NAME_PREDICATES(Bottom, "BOTTOM")
YRL_VIEW_NAME_PREDICATES(Rear, "REAR")
YRL_VIEW_NAME_PREDICATES(Left, "LEFT")
#undef YRL_VIEW_NAME_PREDICATES

// Opposite views share a viewing axis.
#define YRL_VIEW_PAIR_PREDICATES(Pair, First, Second)                                \
  int IsYrlViewName##Pair(int group_id) {                                            \
    return IsYrlViewName##First(group_id) ? 1 : IsYrlViewName##Second(group_id);     \
  }                                                                                  \
  int IsYrlViewParent##Pair(int group_id) {                                          \
    return IsYrlViewParent##First(group_id) ? 1 : IsYrlViewParent##Second(group_id); \
  }                                                                                  \
  int IsYrlViewGroup##Pair(int group_id) {                                           \
    return IsYrlViewName##Pair(group_id) ? 1 : IsYrlViewParent##Pair(group_id);      \
  }
YRL_VIEW_PAIR_PREDICATES(TopBot, Top, Bottom)
YRL_VIEW_PAIR_PREDICATES(FrontRear, Front, Rear)
YRL_VIEW_PAIR_PREDICATES(RightLeft, Right, Left)
#undef YRL_VIEW_PAIR_PREDICATES

// ---- Membership -------------------------------------------------------------------------

int YrlViewSetupViewnameGet(int entity_id, char* name, int* group_id, int* type) {
  Hit hit;
  int status = scan_member(entity_id, hit);
  if (hit.found) {
    if (name) name_copy(name, hit.found_name);
    if (group_id) *group_id = hit.record.group_id;
    if (type) *type = hit.record.view_type;
  }
  return status;
}

int YrlViewSetupIdGetBySelection(VynSelection selection, int* group_id) {
  if (group_id) *group_id = -1;
  VynModelitem item;
  if (int status = VynSelectionModelitemGet(selection, &item)) return status;
  return YrlViewSetupViewnameGet(item.id, nullptr, group_id, nullptr);
}

int YrlViewSetupNameGetBySelection(VynSelection selection, char* name) {
  if (name) name[0] = '\0';
  VynModelitem item;
  if (int status = VynSelectionModelitemGet(selection, &item)) return status;
  return YrlViewSetupViewnameGet(item.id, name, nullptr, nullptr);
}

int YrlViewSetupIdTypeGetBySelection(VynSelection selection, int* type, char* name) {
  if (type) *type = -1;
  VynModelitem item;
  if (int status = VynSelectionModelitemGet(selection, &item)) return status;
  return YrlViewSetupViewnameGet(item.id, name, nullptr, type);
}

// ---- Group ids --------------------------------------------------------------------------

int YRLGetNewViewGroupID(int* group_id) {
  int next = YRL_FIRST_NEW_GROUP_ID;
  if (YrlViewIntegerRetrieve("YRL_V_GROUPID", &next) != VYN_TK_NO_ERROR) next = YRL_FIRST_NEW_GROUP_ID;
  // A sound counter lies above every id handed out: one that does not (a drawing edited
  // by hand, or a counter that could not be stored) would hand out an orthographic
  // view's id or a declared view's again.
  if (next < YRL_FIRST_NEW_GROUP_ID) next = YRL_FIRST_NEW_GROUP_ID;
  YrlViewRecordsVisit(
      [](const char*, const YrlViewData& record, void* data) {
        int* above = static_cast<int*>(data);
        if (record.group_id >= *above) *above = record.group_id == INT_MAX ? INT_MAX : record.group_id + 1;
        return 0;
      },
      &next);
  if (next == INT_MAX) return VYN_TK_GENERAL_ERROR;  // no id is left to count on from
  if (group_id) *group_id = next;
  return YrlViewIntegerSave("YRL_V_GROUPID", next + 1);
}

// ---- Reference points -------------------------------------------------------------------

namespace {

enum class Corner { keep, upper_left, lower_left, lower_right };

// Which corner of the view stands for the part's origin, by the view's name.
Corner reference_corner(const char* view_name) {
  if (!view_name) return Corner::keep;
  if (VynUtilStrcmp(view_name, "TOP") == 0 || VynUtilStrcmp(view_name, "REAR") == 0)
    return Corner::upper_left;
  if (VynUtilStrcmp(view_name, "FRONT") == 0 || VynUtilStrcmp(view_name, "BOTTOM") == 0 ||
      VynUtilStrcmp(view_name, "LEFT") == 0)
    return Corner::lower_left;
  if (VynUtilStrcmp(view_name, "RIGHT") == 0) return Corner::lower_right;
  return Corner::keep;
}

void corner_fold(Corner corner, const double* point, double* ref_point) {
  bool x_smaller = corner == Corner::upper_left || corner == Corner::lower_left;
  bool y_larger = corner == Corner::upper_left;
  if (x_smaller ? point[0] < ref_point[0] : point[0] > ref_point[0]) ref_point[0] = point[0];
  if (y_larger ? point[1] > ref_point[1] : point[1] < ref_point[1]) ref_point[1] = point[1];
}

double smaller(double a, double b) { return b < a ? b : a; }
double larger(double a, double b) { return b > a ? b : a; }

}  // namespace

void YrlFindReferencePointofView(int first, const char* view_name, const double* outline, double* ref_point,
                                 double* bounds) {
  const double* min = outline;
  const double* max = outline + 3;
  if (first) {
    ref_point[0] = min[0];
    ref_point[1] = min[1];
    bounds[0] = min[0];
    bounds[1] = min[1];
    bounds[2] = 0.0;
    bounds[3] = max[0];
    bounds[4] = max[1];
    bounds[5] = 0.0;
    return;
  }
  Corner corner = reference_corner(view_name);
  if (corner != Corner::keep) {
    corner_fold(corner, min, ref_point);
    corner_fold(corner, max, ref_point);
  }
  bounds[0] = smaller(smaller(bounds[0], min[0]), max[0]);
  bounds[1] = smaller(smaller(bounds[1], min[1]), max[1]);
  bounds[3] = larger(larger(bounds[3], min[0]), max[0]);
  bounds[4] = larger(larger(bounds[4], min[1]), max[1]);
}

int YrlReferencePointGet(int first, const char* view_name, VynSelection selection, double* ref_point,
                         double* bounds) {
  if (!ref_point || !bounds) return VYN_TK_BAD_INPUTS;
  VynModelitem item;
  if (int status = VynSelectionModelitemGet(selection, &item)) return status;
  VynDtlentitydata data = nullptr;
  if (int status = VynDtlentityDataGet(&item, nullptr, &data)) return status;
  VynCurvedata* curve = nullptr;
  ViewOutline box;
  int status = VynDtlentitydataCurveGet(data, &curve);
  if (status == VYN_TK_NO_ERROR) status = GetEntityOutline(curve, &box);
  VynDtlentitydataFree(data);
  if (status != VYN_TK_NO_ERROR) return status;
  const double outline[6] = {box.min[0], box.min[1], box.min[2], box.max[0], box.max[1], box.max[2]};
  YrlFindReferencePointofView(first, view_name, outline, ref_point, bounds);
  return VYN_TK_NO_ERROR;
}

int YrlViewNameRefPointGet(const char* view_name, double* point) {
  if (!view_name || !point) return VYN_TK_BAD_INPUTS;
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  if (record.view_type == YRL_VIEW_SECTION || record.view_type == YRL_VIEW_AUXILIARY)
    std::memcpy(point, record.vpr_point, sizeof record.vpr_point);
  else if (record.member_count != 0)
    std::memcpy(point, record.ref_point, sizeof record.ref_point);
  else
    std::memset(point, 0, sizeof record.ref_point);  // a view without members has no point
  return VYN_TK_NO_ERROR;
}

// A detail view is drawn away from its parent at its own scale: its point is carried to
// the parent through the position line, point + s * (parent reference - position).
int YrlViewIdRefPointGet(int group_id, double* point) {
  if (!point) return VYN_TK_BAD_INPUTS;
  char name[YRL_VIEW_NAME_SIZE] = "";
  int type = 0;
  YrlViewSetupViewnameGetFromGroupId(group_id, name, &type);
  int status = YrlViewNameRefPointGet(name, point);
  if (status != VYN_TK_NO_ERROR || type != YRL_VIEW_DETAIL) return status;

  double scale = 1.0;
  double own_point[3];
  double own_bounds[6];
  YrlViewDataGet(name, &scale, own_point, own_bounds, 0);
  scale = YrlViewScaleUsable(scale);
  double position[3] = {0.0, 0.0, 0.0};
  YrlSectionViewDataGet(name, point, position, nullptr);

  char parent[YRL_VIEW_NAME_SIZE] = "";
  double parent_point[3] = {0.0, 0.0, 0.0};
  double parent_bounds[6];
  YrlViewParentViewNameGet(name, parent);
  // Without a readable parent there is nothing to carry the point to; it stays the
  // detail view's own and the failure is returned.
  status = YrlViewDataGet(parent, nullptr, parent_point, parent_bounds, 0);
  if (status != VYN_TK_NO_ERROR) return status;

  double screen_to_drawing[4][4];
  if (YrlGetScrToDrwMatrix(screen_to_drawing) == VYN_TK_NO_ERROR) {
    double inverse[4][4];
    if (VynUtilMatrixInvert(screen_to_drawing, inverse) != 1) return VYN_TK_GENERAL_ERROR;
    double carried[3];
    std::memcpy(carried, point, sizeof carried);
    VynUtilPointTrans(inverse, carried, point);
    std::memcpy(carried, position, sizeof carried);
    VynUtilPointTrans(inverse, carried, position);
  }
  double shift[3];
  VynUtilVectorDiff(parent_point, position, shift);
  VynUtilVectorScale(scale, shift, shift);
  double moved[3];
  VynUtilVectorSum(point, shift, moved);
  std::memcpy(point, moved, sizeof moved);
  return VYN_TK_NO_ERROR;
}

double YrlViewScaleUsable(double stored) { return stored > 0.0 && std::isfinite(stored) ? stored : 1.0; }

int YrlViewIdScaleGet(int group_id, double* scale) {
  Hit hit;
  scan_group_id(group_id, hit);
  if (!hit.found) return VYN_TK_GENERAL_ERROR;
  if (scale) *scale = hit.record.scale;
  return VYN_TK_NO_ERROR;
}

int YrlViewNameCentrePointGet(const char* view_name, double* scale, double* point) {
  if (!point) return VYN_TK_BAD_INPUTS;
  double ref_point[3];
  double bounds[6];
  int status = YrlViewDataGet(view_name, scale, ref_point, bounds, 0);
  if (status != VYN_TK_NO_ERROR) return status;
  point[0] = bounds[0] + (bounds[3] - bounds[0]) / 2;
  point[1] = bounds[1] + (bounds[4] - bounds[1]) / 2;
  point[2] = 0.0;
  return VYN_TK_NO_ERROR;
}
