// The stored view record: its serialiser, readers and the count of declared views.
// Only what the named-view code and the drawing information need is here; creating,
// clearing and changing views belong to the View Setup code.
#include "app/views/viewdata.h"

#include <cstdint>
#include <cstring>

#include "app/storage/storage.h"
#include "toolkit/local/local_param.h"

VynArray view_sel;

namespace {

// The layout table's fields follow each other without gaps and fill the record.
constexpr bool layout_is_contiguous() {
  int at = 0;
  for (const YrlViewDataField& field : yrl_view_data_layout) {
    if (field.offset != at || field.width <= 0) return false;
    at += field.width;
  }
  return at == YRL_VIEW_DATA_SIZE;
}
static_assert(layout_is_contiguous());

constexpr int field_offset(const char* name) {
  for (const YrlViewDataField& field : yrl_view_data_layout) {
    const char* a = field.name;
    const char* b = name;
    while (*a && *a == *b) ++a, ++b;
    if (*a == *b) return field.offset;
  }
  return -1;
}

// Offsets of the fields as the stored record has them.
constexpr int off_view_type = field_offset("view_type");
constexpr int off_group_id = field_offset("group_id");
constexpr int off_view_name = field_offset("view_name");
constexpr int off_dwg_view_name = field_offset("dwg_view_name");
constexpr int off_bounds = field_offset("bounds");
constexpr int off_scale = field_offset("scale");
constexpr int off_member_count = field_offset("member_count");
constexpr int off_ref_point = field_offset("ref_point");
constexpr int off_cut_plane_id = field_offset("cut_plane_id");
constexpr int off_vpr_id = field_offset("vpr_id");
constexpr int off_vpr_point = field_offset("vpr_point");
constexpr int off_position_id = field_offset("position_id");
constexpr int off_position_point = field_offset("position_point");
constexpr int off_position1_id = field_offset("position1_id");
constexpr int off_position1_point = field_offset("position1_point");
static_assert(off_view_type == 0 && off_group_id == 4 && off_view_name == 8 && off_dwg_view_name == 40);
static_assert(off_bounds == 72 && off_scale == 120 && off_member_count == 128 && off_ref_point == 136);
static_assert(off_cut_plane_id == 160 && off_vpr_id == 164 && off_vpr_point == 168);
static_assert(off_position_id == 192 && off_position_point == 200);
static_assert(off_position1_id == 224 && off_position1_point == 232);

void put_i32(unsigned char* bytes, int at, int value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

int get_i32(const unsigned char* bytes, int at) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
  return static_cast<int>(v);
}

void put_f64(unsigned char* bytes, int at, double value) {
  std::uint64_t v = 0;
  std::memcpy(&v, &value, sizeof v);
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

double get_f64(const unsigned char* bytes, int at) {
  std::uint64_t v = 0;
  for (int i = 0; i < 8; ++i) v |= static_cast<std::uint64_t>(bytes[at + i]) << (8 * i);
  double value = 0;
  std::memcpy(&value, &v, sizeof value);
  return value;
}

void put_doubles(unsigned char* bytes, int at, const double* values, int n) {
  for (int i = 0; i < n; ++i) put_f64(bytes, at + 8 * i, values[i]);
}

void get_doubles(const unsigned char* bytes, int at, double* values, int n) {
  for (int i = 0; i < n; ++i) values[i] = get_f64(bytes, at + 8 * i);
}

// A name field: at most 31 characters, the rest zero.
void put_name(unsigned char* bytes, int at, const char* name) {
  std::memset(bytes + at, 0, YRL_VIEW_NAME_SIZE);
  std::size_t length = strnlen(name, YRL_VIEW_NAME_SIZE - 1);
  std::memcpy(bytes + at, name, length);
}

void get_name(const unsigned char* bytes, int at, char* name) {
  std::memcpy(name, bytes + at, YRL_VIEW_NAME_SIZE - 1);
  name[YRL_VIEW_NAME_SIZE - 1] = '\0';
}

}  // namespace

void YrlViewDataToBytes(const YrlViewData& r, unsigned char* bytes) {
  std::memset(bytes, 0, YRL_VIEW_DATA_SIZE);
  put_i32(bytes, off_view_type, r.view_type);
  put_i32(bytes, off_group_id, r.group_id);
  put_name(bytes, off_view_name, r.view_name);
  put_name(bytes, off_dwg_view_name, r.dwg_view_name);
  put_doubles(bytes, off_bounds, r.bounds, 6);
  put_f64(bytes, off_scale, r.scale);
  put_i32(bytes, off_member_count, r.member_count);
  put_doubles(bytes, off_ref_point, r.ref_point, 3);
  put_i32(bytes, off_cut_plane_id, r.cut_plane_id);
  put_i32(bytes, off_vpr_id, r.vpr_id);
  put_doubles(bytes, off_vpr_point, r.vpr_point, 3);
  put_i32(bytes, off_position_id, r.position_id);
  put_doubles(bytes, off_position_point, r.position_point, 3);
  put_i32(bytes, off_position1_id, r.position1_id);
  put_doubles(bytes, off_position1_point, r.position1_point, 3);
}

void YrlViewDataFromBytes(const unsigned char* bytes, YrlViewData& r) {
  std::memset(&r, 0, sizeof r);
  r.view_type = get_i32(bytes, off_view_type);
  r.group_id = get_i32(bytes, off_group_id);
  get_name(bytes, off_view_name, r.view_name);
  get_name(bytes, off_dwg_view_name, r.dwg_view_name);
  get_doubles(bytes, off_bounds, r.bounds, 6);
  r.scale = get_f64(bytes, off_scale);
  r.member_count = get_i32(bytes, off_member_count);
  get_doubles(bytes, off_ref_point, r.ref_point, 3);
  r.cut_plane_id = get_i32(bytes, off_cut_plane_id);
  r.vpr_id = get_i32(bytes, off_vpr_id);
  get_doubles(bytes, off_vpr_point, r.vpr_point, 3);
  r.position_id = get_i32(bytes, off_position_id);
  get_doubles(bytes, off_position_point, r.position_point, 3);
  r.position1_id = get_i32(bytes, off_position1_id);
  get_doubles(bytes, off_position1_point, r.position1_point, 3);
}

int YrlViewDataRead(const char* view_name, YrlViewData* record) {
  void* data = nullptr;
  int size = 0;
  if (YrlViewStreamRetrieve(view_name, &data, &size) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  int status = VYN_TK_E_NOT_FOUND;
  if (size >= YRL_VIEW_DATA_SIZE) {
    if (record) YrlViewDataFromBytes(static_cast<const unsigned char*>(data), *record);
    status = VYN_TK_NO_ERROR;
  }
  VynExtdataFree(&data);
  return status;
}

int YrlViewDataWrite(const char* view_name, const YrlViewData& record) {
  unsigned char bytes[YRL_VIEW_DATA_SIZE];
  YrlViewDataToBytes(record, bytes);
  return YrlViewStreamSave(view_name, YRL_VIEW_DATA_SIZE, bytes);
}

namespace {

// Frees the current group with the selections it holds; the group owns them.
int current_group_release() {
  int count = 0;
  if (VynArraySizeGet(view_sel, &count) == VYN_TK_NO_ERROR) {
    auto* selections = static_cast<VynSelection*>(view_sel);
    for (int i = 0; i < count; ++i) {
      if (selections[i]) VynSelectionFree(&selections[i]);
    }
  }
  int status = VynArrayFree(&view_sel);
  view_sel = nullptr;
  return status;
}

}  // namespace

int YrlClearCurSel() {
  int count = 0;
  if (view_sel && VynArraySizeGet(view_sel, &count) == VYN_TK_NO_ERROR && count >= 1)
    return current_group_release();
  return VYN_TK_NO_ERROR;
}

// ---- Walking the records ----------------------------------------------------------------

namespace {

// Each member has a slot of its own: a damaged count beyond the class's slots would only
// make a member walk run on over slots that cannot exist.
void member_count_clamp(YrlViewData* record, int slot_count) {
  if (record->member_count > slot_count) record->member_count = slot_count;
  if (record->member_count < 0) record->member_count = 0;
}

}  // namespace

int YrlViewDataReadMembers(const char* view_name, YrlViewData* record) {
  YrlViewData read;
  if (int status = YrlViewDataRead(view_name, &read)) return status;
  VynArray names = nullptr;
  int count = 0;
  int status = YrlViewSlotNamesGet(&names, &count);
  if (names) VynArrayFree(&names);
  if (status != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  member_count_clamp(&read, count);
  if (record) *record = read;
  return VYN_TK_NO_ERROR;
}

int YrlViewRecordsVisit(YrlViewRecordVisit visit, void* app_data) {
  VynArray names = nullptr;
  int count = 0;
  int status = YrlViewSlotNamesGet(&names, &count);
  if (status != VYN_TK_NO_ERROR) return status;
  const auto* list = static_cast<const VynName*>(names);
  for (int i = 0; list && i < count; ++i) {
    // Room for four bytes a character, as the conversion asks, and the terminator.
    char narrow[4 * YRL_VIEW_NAME_SIZE + 1];
    VynName wide;
    std::memcpy(wide, list[i], sizeof(VynName));
    wide[YRL_VIEW_NAME_SIZE - 1] = 0;
    VynWstringToString(narrow, wide);
    if (std::strlen(narrow) >= static_cast<std::size_t>(YRL_VIEW_NAME_SIZE)) continue;  // no view's name
    YrlViewData record;
    if (YrlViewDataRead(narrow, &record) != VYN_TK_NO_ERROR) continue;  // member, counter, scale slots
    member_count_clamp(&record, count);
    if (visit(narrow, record, app_data)) break;
  }
  if (names) VynArrayFree(&names);
  return status;
}

// ---- Record readers ---------------------------------------------------------------------

int YrlViewDataGet(const char* view_name, double* scale, double* ref_point, double* bounds, int load_flag) {
  if (scale) *scale = 1.0;
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  int status = VYN_TK_NO_ERROR;
  if (load_flag) {
    // Released whatever it holds, so that an empty group is not lost either.
    if (view_sel) current_group_release();
    status = VynArrayAlloc(0, static_cast<int>(sizeof(VynSelection)), 1, &view_sel);
    VynMdl drawing = nullptr;
    if (status == VYN_TK_NO_ERROR) status = VynMdlCurrentGet(&drawing);
    for (int i = 0; status == VYN_TK_NO_ERROR && i < record.member_count; ++i) {
      YrlSlotName slot_name;
      int id = 0;
      VynModelitem item;
      VynSelection selection = nullptr;
      status = YrlSlotNameBuild(slot_name, "%s_%d", view_name, i);
      if (status == VYN_TK_NO_ERROR) status = YrlViewIntegerRetrieve(slot_name, &id);
      if (status == VYN_TK_NO_ERROR) status = VynModelitemInit(drawing, id, YRL_DRAFT_ENTITY_TYPE, &item);
      if (status == VYN_TK_NO_ERROR) status = VynSelectionAlloc(nullptr, &item, &selection);
      if (status == VYN_TK_NO_ERROR) {
        status = VynArrayObjectAdd(&view_sel, -1, 1, &selection);
        if (status != VYN_TK_NO_ERROR) VynSelectionFree(&selection);
      }
    }
  }
  if (record.member_count != 0) {
    if (ref_point) std::memcpy(ref_point, record.ref_point, sizeof record.ref_point);
    if (bounds) std::memcpy(bounds, record.bounds, sizeof record.bounds);
    if (scale) *scale = record.scale;
  } else {
    if (ref_point) std::memset(ref_point, 0, sizeof record.ref_point);
    if (bounds) std::memset(bounds, 0, sizeof record.bounds);
  }
  return status;
}

int YrlSectionViewDataGet(const char* view_name, double* vpr_point, double* position_point,
                          double* position1_point) {
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  if (record.member_count == 0) return VYN_TK_NO_ERROR;
  if (vpr_point) std::memcpy(vpr_point, record.vpr_point, sizeof record.vpr_point);
  if (position_point) std::memcpy(position_point, record.position_point, sizeof record.position_point);
  if (position1_point && (record.view_type == 2 || record.view_type == 3))
    std::memcpy(position1_point, record.position1_point, sizeof record.position1_point);
  return VYN_TK_NO_ERROR;
}

namespace {
struct GroupFind {
  int group_id;
  YrlViewData* out;
};
}  // namespace

int YrlGroupDataGet(int group_id, YrlViewData* record) {
  GroupFind find{group_id, record};
  return YrlViewRecordsVisit(
      [](const char*, const YrlViewData& each, void* data) {
        auto* f = static_cast<GroupFind*>(data);
        if (each.group_id != f->group_id) return 0;
        if (f->out) *f->out = each;
        return 1;
      },
      &find);
}

int YrlViewPositionIdGet(const char* view_name, int* id) {
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  if (id) *id = record.position_id;
  return VYN_TK_NO_ERROR;
}

// ---- Queries over all views -------------------------------------------------------------

namespace {
struct ViewCounts {
  int views, orthographic, section;
};
}  // namespace

int YrlViewSetupFindNoOfViews(int* views, int* orthographic, int* section) {
  ViewCounts counts{0, 0, 0};
  int status = YrlViewRecordsVisit(
      [](const char*, const YrlViewData& each, void* data) {
        auto* c = static_cast<ViewCounts*>(data);
        if (each.view_type == 1) ++c->orthographic;
        if (each.view_type == 2) ++c->section;
        if (each.view_type == 1 || each.view_type == 2) ++c->views;
        return 0;
      },
      &counts);
  if (views) *views = counts.views;
  if (orthographic) *orthographic = counts.orthographic;
  if (section) *section = counts.section;
  return status;
}
