#include "app/parts/part_setup.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/menus/app_init.h"
#include "app/parts/autoview.h"
#include "app/parts/new_part.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/util/strutil.h"

namespace {

constexpr char kDlg[] = "yrlpartsetup";
constexpr char kTable[] = "PSTable";
constexpr int kNameSize = 32;
constexpr int kRowNameSize = 16;

YrlPartSetupData* record_of(void* app_data) { return static_cast<YrlPartSetupData*>(app_data); }

char* name_at(YrlPartSetupData* data, int i) { return static_cast<char*>(data->names) + kNameSize * i; }
char* row_at(YrlPartSetupData* data, int i) { return static_cast<char*>(data->row_names) + kRowNameSize * i; }
VynMdl* part_at(YrlPartSetupData* data, int i) { return static_cast<VynMdl*>(data->parts) + i; }

// The name of a row's check button: made from the row's index, so that no part's name
// (a part may be called "OK" or "PSTable") can clash with a component of the dialog.
struct ButtonName {
  char text[24];
  explicit ButtonName(int row) { std::snprintf(text, sizeof text, "ActiveRow%d", row); }
};

void release(YrlPartSetupData* data) {
  for (VynArray* a : {&data->parts, &data->names, &data->row_names})
    if (*a) VynArrayFree(a);
  data->capacity = 0;
  data->row_count = 0;
}

// Grows the arrays so that they hold at least count entries.
int reserve(YrlPartSetupData* data, int count) {
  if (count <= data->capacity) return VYN_TK_NO_ERROR;
  struct Array {
    VynArray* array;
    int size;
  } arrays[] = {{&data->parts, static_cast<int>(sizeof(VynMdl))}, {&data->names, kNameSize},
                {&data->row_names, kRowNameSize}};
  for (const Array& a : arrays) {
    if (!*a.array) {
      int status = VynArrayAlloc(0, a.size, 8, a.array);
      if (status != VYN_TK_NO_ERROR) return status;
    }
    int size = 0;
    VynArraySizeGet(*a.array, &size);
    for (int i = size; i < count; ++i) {
      char zero[kNameSize] = {};
      int status = VynArrayObjectAdd(a.array, -1, 1, zero);
      if (status != VYN_TK_NO_ERROR) return status;
    }
  }
  for (int i = data->capacity; i < count; ++i) std::snprintf(row_at(data, i), kRowNameSize, "Row%d", i);
  data->capacity = count;
  return VYN_TK_NO_ERROR;
}

int collect_solids(VynArray* solids, int* count) {
  VynMdl drawing = nullptr;
  *solids = nullptr;
  *count = 0;
  int status = VynMdlCurrentGet(&drawing);
  if (status == VYN_TK_NO_ERROR) status = VynDrawingSolidsCollect(drawing, solids);
  if (status == VYN_TK_NO_ERROR) VynArraySizeGet(*solids, count);
  return status;
}

void label_cell(const char* row, const char* column, const char* text) {
  VynWchar wide[64];
  vek::strtows_bounded(wide, 64, text);
  VynUITableCellLabelSet(kDlg, kTable, row, column, wide);
}

void mapped_count_show(YrlPartSetupData* data, int i) {
  int mapped = 0;
  if (YrlMappedViewsGet(name_at(data, i), nullptr, nullptr, nullptr, &mapped) != VYN_TK_NO_ERROR) return;
  char text[32];
  std::snprintf(text, sizeof text, "   %d", mapped);
  label_cell(row_at(data, i), "ViewsMapped", text);
}

}  // namespace

int YrlPSSetOneTableRow(VynMdl part, const char* dialog, YrlPartSetupData* data) {
  VynName wide{};
  int status = VynMdlNameGet(part, wide);
  if (status != VYN_TK_NO_ERROR) return status;
  char name[kNameSize];
  if (vek::wstostr_bounded(name, sizeof name, wide) != 0) return VYN_TK_BAD_INPUTS;
  int index = -1;
  for (int i = 0; i < data->row_count && index < 0; ++i)
    if (std::strcmp(name_at(data, i), name) == 0) index = i;
  bool is_new = index < 0;
  if (is_new) {
    index = data->row_count;
    if ((status = reserve(data, index + 1)) != VYN_TK_NO_ERROR) return status;
    *part_at(data, index) = part;
    std::snprintf(name_at(data, index), kNameSize, "%s", name);
    char* row = row_at(data, index);
    status = VynUITableRowsInsert(dialog, kTable, index > 0 ? row_at(data, index - 1) : nullptr, 1, &row);
    if (status != VYN_TK_NO_ERROR) return status;
    label_cell(row, "PartName", name);
  }
  mapped_count_show(data, index);
  if (!is_new) return -1;
  status = VynUIDialogCreate("yrlchkbtn", "yrlchkbtn");
  if (status != VYN_TK_NO_ERROR) return status;
  ButtonName button(index);
  status = VynUITableCellComponentCopy(dialog, kTable, row_at(data, index), "Active", "yrlchkbtn", "ActiveBtn",
                                       button.text);
  if (status == VYN_TK_NO_ERROR)
    status = VynUICheckbuttonActivateActionSet(dialog, button.text, YrlActiveCheckButtoninAction, data);
  VynUIDialogDestroy("yrlchkbtn");
  if (status == VYN_TK_NO_ERROR) ++data->row_count;
  return status;
}

int YrlPSSetActivePart(const char* dialog, const char* name, YrlPartSetupData* data) {
  char stored[YRL_MODEL_NAME_SIZE] = "";
  if (!name) {
    YrlActiveModelNameGet(stored);
    name = stored;
  }
  vek::copy_cut(data->active_name, name, sizeof data->active_name);
  for (int i = 0; i < data->row_count; ++i) {
    ButtonName button(i);
    if (VynUtilStrcmp(name_at(data, i), data->active_name) == 0)
      VynUICheckbuttonSet(dialog, button.text);
    else
      VynUICheckbuttonUnset(dialog, button.text);
  }
  return VYN_TK_NO_ERROR;
}

int YrlPSPartNames(const char* dialog, YrlPartSetupData* data) {
  VynArray solids = nullptr;
  int count = 0;
  int status = collect_solids(&solids, &count);
  if (status != VYN_TK_NO_ERROR || count < 1) {
    if (solids) VynArrayFree(&solids);
    return -1;
  }
  // As many entries as the drawing has parts.
  status = reserve(data, count);
  // The drawing's parts have names of their own: each must get a new row. (A row that
  // was found answers -1, which a host failure answers too; the row count tells them
  // apart.)
  for (int i = 0; i < count && status == VYN_TK_NO_ERROR; ++i) {
    const int rows = data->row_count;
    int row = YrlPSSetOneTableRow(static_cast<VynMdl*>(solids)[i], dialog, data);
    if (data->row_count == rows) status = row != VYN_TK_NO_ERROR ? row : VYN_TK_GENERAL_ERROR;
  }
  VynArrayFree(&solids);
  if (status == VYN_TK_NO_ERROR) YrlPSSetActivePart(dialog, nullptr, data);
  return status;
}

void YrlActiveCheckButtoninAction(char* dialog, char* component, void* app_data) {
  YrlPartSetupData* data = record_of(app_data);
  for (int i = 0; component && i < data->row_count; ++i)
    if (std::strcmp(ButtonName(i).text, component) == 0) YrlPSSetActivePart(dialog, name_at(data, i), data);
}

void YrlActiveCheckButtonoutAction(char* dialog, char* table, void*) {
  char* row = nullptr;
  char* column = nullptr;
  VynUITableFocusCellGet(dialog, table, &row, &column);
  if (row) VynStringFree(row);
  if (column) VynStringFree(column);
}

void YrlPSOKAction(char* dialog, char*, void* app_data) {
  YrlPartSetupData* data = record_of(app_data);
  char stored[YRL_MODEL_NAME_SIZE] = "";
  YrlActiveModelNameGet(stored);
  if (VynUtilStrcmp(stored, data->active_name) != 0) YrlActiveModelNameSet(data->active_name);
  VynUIDialogExit(dialog, 0);
}

void YrlPSCancelAction(char*, char*, void*) { VynUIDialogExit(kDlg, -1); }

void YrlPSNewPartAction(char* dialog, char*, void* app_data) {
  YrlPartSetupData* data = record_of(app_data);
  VynMdl part = nullptr;
  int set_active = 0;
  if (YrlNewPartWithReturn(&part, &set_active) != VYN_TK_NO_ERROR || !part) return;
  YrlPSSetOneTableRow(part, dialog, data);
  YrlPSSetActivePart(dialog, nullptr, data);
}

void YrlPSVwMapAction(char* dialog, char*, void* app_data) {
  YrlPartSetupData* data = record_of(app_data);
  int count = 0;
  char** names = nullptr;
  if (VynUITableSelectednamesGet(dialog, kTable, &count, &names) != VYN_TK_NO_ERROR || !names) return;
  for (int i = 0; i + 1 < count; i += 2) {
    for (int r = 0; r < data->row_count; ++r) {
      if (std::strcmp(names[i], row_at(data, r)) != 0) continue;
      YrlAutoView(*part_at(data, r), nullptr, 0, 0);
      mapped_count_show(data, r);
    }
  }
  VynStringarrayFree(names, count);
}

int YrlPartSetup() {
  YrlPartSetupData data{};
  YrlAllClassRegister();
  int status = VynUIDialogCreate(kDlg, kDlg);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDlg, kDlg, status, false);
  struct Button {
    const char* name;
    const char* shown;
    VynUIAction action;
  };
  const Button buttons[] = {{"OK", "OK", YrlPSOKAction},
                            {"Cancel", "Cancel", YrlPSCancelAction},
                            {"PBVwMap", "View Map", YrlPSVwMapAction},
                            {"PBNewPart", "New Part", YrlPSNewPartAction}};
  for (const Button& b : buttons)
    if ((status = VynUIPushbuttonActivateActionSet(kDlg, b.name, b.action, &data)) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDlg, b.shown, status, true);
  if ((status = VynUITableSelectActionSet(kDlg, kTable, YrlActiveCheckButtonoutAction, &data)) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "Table", status, true);
  if ((status = VynUIDialogTitleSet(kDlg, u"Part Setup")) != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "Title Set", status, true);
  VynUIDialogDefaultbuttonSet(kDlg, "Cancel");
  status = YrlPSPartNames(kDlg, &data);
  // A table that cannot be filled is reported; the dialog is not shown.
  if (status != VYN_TK_NO_ERROR) YrlDialogSetupFailed(kDlg, "Table", status, false);
  if (status == VYN_TK_NO_ERROR) {
    VynUIDialogCloseActionSet(kDlg, YrlPSCancelAction, &data);
    int exit_status = 0;
    status = VynUIDialogActivate(kDlg, &exit_status);
  }
  VynUIDialogDestroy(kDlg);
  release(&data);
  return status;
}

int YrlPartSetupMain() {
  VynArray solids = nullptr;
  int count = 0;
  int status = collect_solids(&solids, &count);
  if (solids) VynArrayFree(&solids);
  if (status != VYN_TK_NO_ERROR || count < 1) return YrlNewPart();
  return YrlPartSetup();
}
