// The stored record of a named view: 256 bytes, little-endian, kept in a stream slot of
// class "Y_V" named by the view, with its explicit serialiser; the readers of the record
// that the named-view code needs, the current group of view selections, and the count of
// declared views.
#pragma once

#include <cstddef>

#include "toolkit/api/app_api.h"
#include "toolkit/tkbase.h"

// Size of the stored record in bytes.
inline constexpr int YRL_VIEW_DATA_SIZE = 256;
// The size of a view name or drawing-view name field, with its terminator.
inline constexpr int YRL_VIEW_NAME_SIZE = 32;

// A view record in memory. Bytes in the drawing are written and read only through
// YrlViewDataToBytes and YrlViewDataFromBytes, which pin each field's offset.
struct YrlViewData {
  int view_type;  // 1 orthographic, 2 section, 3 auxiliary, 4 detail
  int group_id;
  char view_name[YRL_VIEW_NAME_SIZE];      // equals the slot name
  char dwg_view_name[YRL_VIEW_NAME_SIZE];  // the host drawing view made for it, or ""
  double bounds[6];                        // min x, y, z, max x, y, z (drawing coordinates)
  double scale;
  int member_count;  // member slots "<name>_<i>", i < member_count
  double ref_point[3];
  int cut_plane_id;  // 0 = none
  int vpr_id;        // view-reference entity; 0 = none
  double vpr_point[3];
  int position_id;  // 0 = none
  double position_point[3];
  int position1_id;  // 0 = none
  double position1_point[3];
};

// The byte layout: offset and width of each field in the stored record.
struct YrlViewDataField {
  const char* name;
  int offset;
  int width;
};
inline constexpr YrlViewDataField yrl_view_data_layout[] = {
    {"view_type", 0, 4},       {"group_id", 4, 4},       {"view_name", 8, 32},
    {"dwg_view_name", 40, 32}, {"bounds", 72, 48},       {"scale", 120, 8},
    {"member_count", 128, 4},  {"reserved_132", 132, 4}, {"ref_point", 136, 24},
    {"cut_plane_id", 160, 4},  {"vpr_id", 164, 4},       {"vpr_point", 168, 24},
    {"position_id", 192, 4},   {"reserved_196", 196, 4}, {"position_point", 200, 24},
    {"position1_id", 224, 4},  {"reserved_228", 228, 4}, {"position1_point", 232, 24},
};

// Writes record into exactly YRL_VIEW_DATA_SIZE bytes (names cut to 31 characters and
// zero-filled; the reserved words zero).
void YrlViewDataToBytes(const YrlViewData& record, unsigned char* bytes);
// Reads a record from YRL_VIEW_DATA_SIZE bytes; names are terminated within their field.
void YrlViewDataFromBytes(const unsigned char* bytes, YrlViewData& record);

// Item type of a draft entity, as the host numbers it.
inline constexpr int YRL_DRAFT_ENTITY_TYPE = 77;

// Reads the named view's record: -4 when the slot is missing, not a stream or not a whole
// record (the host's copy is released either way).
int YrlViewDataRead(const char* view_name, YrlViewData* record);
// The same, with the member count cut to the number of slots of class "Y_V" (and a
// negative one to 0), for walks over the members; -4 also when the slots cannot be
// listed.
int YrlViewDataReadMembers(const char* view_name, YrlViewData* record);
// Stores the record under its view name.
int YrlViewDataWrite(const char* view_name, const YrlViewData& record);

// Calls visit for every stored view record of class "Y_V", in the host's listing order
// (slots that are no whole record are skipped; member counts are cut as
// YrlViewDataReadMembers cuts them), until visit returns nonzero. The status
// of the listing of the slot names.
typedef int (*YrlViewRecordVisit)(const char* view_name, const YrlViewData& record, void* app_data);
int YrlViewRecordsVisit(YrlViewRecordVisit visit, void* app_data);

// The current group: a host array of VynSelection (NULL while none was made). The group
// owns its selections: whoever appends one hands it over (append a copy of a selection
// that is freed elsewhere).
extern VynArray view_sel;
// Frees the current group and its selections when it holds at least one selection.
int YrlClearCurSel();

// Scale (preset 1.0), reference point and bounds of the named view; with load_flag the
// current group is rebuilt from the view's members. A record with no members gives a
// zero point and zero bounds and leaves the scale 1.0. -4 when the record cannot be read.
int YrlViewDataGet(const char* view_name, double* scale, double* ref_point, double* bounds, int load_flag);
// View-reference point, position point, and (types 2 and 3) second position point, given
// only when the record has members; -4 when it cannot be read.
int YrlSectionViewDataGet(const char* view_name, double* vpr_point, double* position_point,
                          double* position1_point);
// The whole record of the view with that group id; out untouched when none.
int YrlGroupDataGet(int group_id, YrlViewData* record);
// Position entity id of the named view; -4 when the record cannot be read.
int YrlViewPositionIdGet(const char* view_name, int* id);

// Counts the records of type 1 or 2 (views), of type 1 (orthographic) and of type 2
// (section); each out-pointer may be null.
int YrlViewSetupFindNoOfViews(int* views, int* orthographic, int* section);

// ---- Creation and removal ---------------------------------------------------------------

// Longest name the user may give a section, auxiliary or detail view: its member slots
// "<name>_<i>" then fit a slot name for up to a million members.
inline constexpr int YRL_VIEW_NAME_MAX = 24;

// 0 when a view of view_type may take the name: no view of another kind holds it
// (compared without regard to case), it is not the name of the group counter or the
// drawing scale (whether or not the drawing has them yet) and no other slot of the view
// data has it (another view's member); else "YRL_VIEW_NAME_TAKEN" is shown and
// VYN_TK_E_FOUND answered.
int YrlViewNameCheck(const char* view_name, int view_type);
// Picks the view's members in the selection dialog (the current group preset) and writes
// its record: type, name, group id, scale of the page's scale input, members, reference
// point and bounds. -3 (nothing stored) when the user gave up, -14 when the pick was
// aborted; a pick that fails otherwise leaves an existing view as it was. A name that
// YrlViewNameCheck refuses, or whose member slots cannot all be named, stores nothing;
// when a store fails the view is put back as it was (a new view is removed) and the
// failure answered.
int YrlCreateView(const char* dialog, const char* view_name, int view_type);
// Removes a view: every part's drawing view of it (with the view's pairs in the parts'
// mappings, once one was deleted), its record; the current group starts empty.
int YrlClearView(const char* view_name);
// Appends a member to the view's record.
int YrlViewSetupEntityAdd(const char* view_name, int entity_id);

// ---- Further readers (-4 when the record cannot be read) --------------------------------

int YrlViewRefPlaneIdGet(const char* view_name, int* id);
int YrlViewCutPlaneIdGet(const char* view_name, int* id);
// The same, -4 also for an id below 1.
int YrlViewCutPlaneIDGet(const char* view_name, int* id);
// The cutting-plane entity id and its line's end points.
int YrlViewCutPlaneOutlineGet(const char* view_name, int* id, double points[2][3]);
// Display texts of the record's entities ("" first; -4 for an id below 1); text holds 64.
int YrlViewCutPlaneStringDisplayGet(const char* view_name, char* text);
int YrlViewVPRStringDisplayGet(const char* view_name, char* text);
int YrlViewPositionStringDisplayGet(const char* view_name, char* text);
int YrlViewPosition1StringDisplayGet(const char* view_name, char* text);
int YrlViewNameEntCountGet(const char* view_name, int* count);
// The drawing-view name (YRL_VIEW_NAME_SIZE chars); -4 when it is empty.
int YrlViewSetupAutoViewNameGet(const char* view_name, char* name);

// ---- Record writers ---------------------------------------------------------------------

// Reads the named view's record, lets change change it and saves it; -4 when it cannot
// be read.
template <typename Change>
int YrlViewDataChange(const char* view_name, Change change) {
  YrlViewData record;
  if (YrlViewDataRead(view_name, &record) != VYN_TK_NO_ERROR) return VYN_TK_E_NOT_FOUND;
  change(record);
  return YrlViewDataWrite(view_name, record);
}

int YrlViewDataDwgScaleSet(const char* view_name, double scale);
int YrlViewSetupAutoViewNameSet(const char* view_name, const char* dwg_view_name);

// ---- Highlights (colour 5) --------------------------------------------------------------

int YrlEntHighlight(int entity_id);
int YrlEntUnhighlight(int entity_id);
int YrlViewVPREntHighlight(const char* view_name);
int YrlViewCutPlaneEntHighlight(const char* view_name);
int YrlViewPositionEntHighlight(const char* view_name);
int YrlViewPosition1EntHighlight(const char* view_name);

// ---- Drawing views and queries ----------------------------------------------------------

// The host drawing view named by the record's drawing-view name; out untouched when none.
int YrlViewNameToView(const char* view_name, VynView* view);
// Counts records of type 1 or 2 until the count reaches minimum.
int YrlViewSetupMinNoOfViews(int minimum, int* count);
// Names of all views of a type: two host arrays of 32-character blocks (narrow, wide),
// either may be null; the caller frees them.
int YrlViewNamesGet(int type, int* count, VynArray* narrow, VynArray* wide);
int YrlViewSetupOrthoViewNamesGet(int* count, VynArray* narrow, VynArray* wide);
