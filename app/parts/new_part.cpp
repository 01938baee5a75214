#include "app/parts/new_part.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/menus/app_init.h"
#include "app/parts/autoview.h"
#include "app/prefs/prefs.h"
#include "app/util/apputil.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/api/older_api.h"
#include "toolkit/local/local_param.h"
#include "toolkit/local/paramdata.h"
#include "toolkit/startup/startup.h"
#include "toolkit/util/strutil.h"

namespace {

constexpr char kDlg[] = "yrlnewpart";
constexpr int kParamString = 51;

YrlNewPartData* record_of(void* app_data) { return static_cast<YrlNewPartData*>(app_data); }

// The text of an input panel into text (size bytes); "" when it has none.
void input_text(const char* dialog, const char* input, char* text, int size) {
  char* typed = nullptr;
  text[0] = '\0';
  if (VynUIInputpanelStringGet(dialog, input, &typed) == VYN_TK_NO_ERROR && typed) {
    std::snprintf(text, size, "%s", typed);
    VynStringFree(typed);
  }
}

// Room for the host's parameter record, whose layout is the host's own.
struct ParameterRoom {
  alignas(16) unsigned char bytes[512];
  VynParameter* get() { return reinterpret_cast<VynParameter*>(bytes); }
};

}  // namespace

int YrlNewPartParamSave(const char* dialog, VynMdl part, const char* input) {
  char text[VYN_PARAM_STRING_SIZE * 4];
  input_text(dialog, input, text, sizeof text);
  if (!text[0]) return VYN_TK_NO_ERROR;
  VynModelitem item{};
  int status = VynMdlToModelitem(part, &item);
  if (status != VYN_TK_NO_ERROR) return status;
  VynWchar wide[VYN_PARAM_STRING_SIZE];
  if (vek::strtows_bounded(wide, VYN_PARAM_STRING_SIZE, text) != 0) return VYN_TK_BAD_INPUTS;
  VynParamvalue value{};
  if ((status = VynParamvalueSet(&value, wide, kParamString)) != VYN_TK_NO_ERROR) return status;
  VynWchar name[32];
  vek::strtows_bounded(name, 32, input);
  ParameterRoom parameter{};
  status = VynParameterCreate(&item, name, &value, parameter.get());
  if (status == VYN_TK_E_FOUND) status = VynParameterValueSet(parameter.get(), &value);
  return status;
}

void YrlNewPartCancelAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, -1); }

void YrlNewPartUseDefaultTChkBtnAction(char* dialog, char*, void*) {
  int state = 0;
  VynUICheckbuttonGetState(dialog, "UseDefaultTChkBtn", &state);
  if (state)
    VynUIRadiogroupDisable(dialog, "RadioTemplate");
  else
    VynUIRadiogroupEnable(dialog, "RadioTemplate");
}

void YrlNewPartRadioTemplateAction(char* dialog, char*, void* app_data) {
  int count = 0;
  char** names = nullptr;
  if (VynUIRadiogroupSelectednamesGet(dialog, "RadioTemplate", &count, &names) == VYN_TK_NO_ERROR && names &&
      count == 1 && names[0])
    std::snprintf(record_of(app_data)->units, sizeof record_of(app_data)->units, "%s", names[0]);
  if (names) VynStringarrayFree(names, count);
}

int YrlNewPartInit(const char* dialog, YrlNewPartData* data) {
  VynMdlCurrentGet(&data->drawing);
  for (const char* input : {"PartNameInput", "DESCRIPTION", "MODELED_BY"}) VynUIInputpanelInputtypeSet(dialog, input, 0);
  VynUIRadiogroupDisable(dialog, "RadioTemplate");
  if (YrlPreferencesUseDrawingNameGet()) {
    VynName name{};
    char narrow[YRL_MODEL_NAME_SIZE];
    if (data->drawing && VynMdlNameGet(data->drawing, name) == VYN_TK_NO_ERROR &&
        vek::wstostr_bounded(narrow, sizeof narrow, name) == 0)
      VynUIInputpanelStringSet(dialog, "PartNameInput", narrow);
  }
  if (!YrlPreferencesSetNewPartActiveGet()) VynUICheckbuttonUnset(dialog, "SetActiveModel");
  VynWchar path[VYN_PATH_SIZE] = {};
  VynToolkitApplTextPathGet(path);
  vek::wstostr_bounded(data->template_path, sizeof data->template_path, path);
  // A drawing whose units cannot be read gets the inch template.
  std::snprintf(data->units, sizeof data->units, "INCH");
  int type = 0;
  double factor = 0;
  VynWchar units[VYN_PATH_SIZE] = {};
  if (data->drawing && vyndb_get_model_units(data->drawing, 21, &type, units, &factor) == 1) {
    char narrow[32];
    if (vek::wstostr_bounded(narrow, sizeof narrow, units) == 0 && narrow[0])
      std::snprintf(data->units, sizeof data->units, "%s", narrow);
  }
  VynArray chosen = nullptr;
  VynArrayAlloc(0, static_cast<int>(sizeof(char*)), 1, &chosen);
  const char* unit_name = data->units;
  VynArrayObjectAdd(&chosen, -1, 1, &unit_name);
  int status = VynUIRadiogroupSelectednamesSet(dialog, "RadioTemplate", 1, chosen);
  VynArrayFree(&chosen);
  return status;
}

namespace {

// Loads the template of the record's units and copies it under the record's name; the
// template leaves the session again.
int copy_template(YrlNewPartData* data, VynMdl* part) {
  char path[sizeof data->template_path + 64];
  const char* relative = "";
  if (VynUtilStrcmp(data->units, "INCH") == 0)
    relative = "\\text\\templates\\inlbs_part_solid.prt";
  else if (VynUtilStrcmp(data->units, "MM") == 0)
    relative = "\\text\\templates\\mmns_part_solid.prt";
  std::snprintf(path, sizeof path, "%s%s", data->template_path, relative);
  VynWchar wide_path[VYN_PATH_SIZE];
  if (vek::strtows_bounded(wide_path, VYN_PATH_SIZE, path) != 0) return VYN_TK_BAD_INPUTS;
  VynMdl template_part = nullptr;
  int status = VynMdlLoad(wide_path, -1, 0, &template_part);
  if (status != VYN_TK_NO_ERROR) return status;
  VynWchar name[32];
  vek::strtows_bounded(name, 32, data->name);
  status = VynMdlCopy(template_part, name, part);
  VynMdlErase(template_part);
  return status;
}

}  // namespace

namespace {

// The parameters New Part stores, from the inputs of the same names.
const char* const kParameterInputs[] = {"DESCRIPTION", "MODELED_BY"};

// Whether each parameter input's text fits a string parameter; else
// "YRL_PARAM_TOO_LONG" names the first that does not.
bool parameter_texts_fit(const char* dialog) {
  for (const char* input : kParameterInputs) {
    char text[4 * VYN_PARAM_STRING_SIZE + 2];
    input_text(dialog, input, text, sizeof text);
    VynWchar wide[VYN_PARAM_STRING_SIZE];
    if (vek::strtows_bounded(wide, VYN_PARAM_STRING_SIZE, text) != 0) {
      const int most = VYN_PARAM_STRING_SIZE - 1;
      VynMessageDisplay(YrlMsgFile, "YRL_PARAM_TOO_LONG", input, &most);
      return false;
    }
  }
  return true;
}

}  // namespace

void YrlNewPartOKAction(char* dialog, char*, void* app_data) {
  YrlNewPartData* data = record_of(app_data);
  VynMdlCurrentGet(&data->drawing);
  char text[256];
  input_text(dialog, "PartNameInput", text, sizeof text);
  // Blanks around the name are no part of it; a name of blanks is no name.
  RemoveExtraSpaces(text);
  if (!data->drawing || !text[0]) {
    VynMessageDisplay(YrlMsgFile, "YRL_INVALID_MDLNAME");
    return;
  }
  // The view map stores a part's pairs under slots named after it: a longer name would
  // make a part whose mapping can never be stored.
  if (std::strlen(text) > static_cast<std::size_t>(YRL_PART_NAME_MAX)) {
    VynMessageDisplay(YrlMsgFile, "YRL_NEWPART_LENGTH");
    return;
  }
  vek::copy_cut(data->name, text, sizeof data->name);
  VynWchar wide[32];
  if (vek::strtows_bounded(wide, 32, data->name) != 0) {
    VynMessageDisplay(YrlMsgFile, "YRL_INVALID_MDLNAME");
    return;
  }
  int in_session = 0;
  YrlCheckModelinMemory(wide, &in_session);
  if (in_session) {
    VynMessageDisplay(YrlMsgFile, "YRL_MDL_EXISTS");
    VynUIInputpanelStringSet(dialog, "PartNameInput", "");
    return;
  }
  // Texts the part cannot keep are refused before any part is made.
  if (!parameter_texts_fit(dialog)) return;
  VynMdl part = nullptr;
  if (copy_template(data, &part) != VYN_TK_NO_ERROR) return;
  int state = 0;
  VynUICheckbuttonGetState(dialog, "SetActiveModel", &state);
  data->set_active = state ? 1 : 0;
  int status = VYN_TK_NO_ERROR;
  for (const char* input : kParameterInputs) {
    if ((status = YrlNewPartParamSave(dialog, part, input)) != VYN_TK_NO_ERROR) {
      VynMessageDisplay(YrlMsgFile, "YRL_PARAM_SAVE_FAILED", input, &status);
      break;
    }
  }
  if (status == VYN_TK_NO_ERROR && data->set_active) status = YrlActiveModelSet(part);
  if (status != VYN_TK_NO_ERROR) {
    // A part that could not be finished does not stay in session.
    VynMdlErase(part);
    return;
  }
  VynMessageDisplay(YrlMsgFile, data->set_active ? "YRL_MDL_CREATE_SET" : "YRL_MDL_CREATE", data->name);
  data->part = part;
  VynUIDialogExit(dialog, 0);
}

int YrlNewPartWithReturn(VynMdl* part, int* set_active) {
  YrlNewPartData data{};
  int status = VynUIDialogCreate(kDlg, kDlg);
  if (status != VYN_TK_NO_ERROR) return YrlDialogSetupFailed(kDlg, kDlg, -1, false);
  struct Button {
    const char* name;
    VynUIAction action;
  };
  const Button buttons[] = {{"OK", YrlNewPartOKAction}, {"Cancel", YrlNewPartCancelAction}};
  for (const Button& b : buttons)
    if (VynUIPushbuttonActivateActionSet(kDlg, b.name, b.action, &data) != VYN_TK_NO_ERROR)
      return YrlDialogSetupFailed(kDlg, b.name, -1, true);
  if (VynUICheckbuttonActivateActionSet(kDlg, "UseDefaultTChkBtn", YrlNewPartUseDefaultTChkBtnAction, &data) !=
      VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "UseDefaultTChkBtn", -1, true);
  if (VynUIRadiogroupSelectActionSet(kDlg, "RadioTemplate", YrlNewPartRadioTemplateAction, &data) !=
      VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "RadioTemplate", -1, true);
  if (VynUIDialogTitleSet(kDlg, u"New Part") != VYN_TK_NO_ERROR)
    return YrlDialogSetupFailed(kDlg, "Title Set", -1, true);
  VynUIDialogCloseActionSet(kDlg, YrlNewPartCancelAction, &data);
  YrlNewPartInit(kDlg, &data);
  VynUIDialogDefaultbuttonSet(kDlg, "Cancel");
  int exit_status = -1;
  status = VynUIDialogActivate(kDlg, &exit_status);
  VynUIDialogDestroy(kDlg);
  if (status != VYN_TK_NO_ERROR || exit_status != 0 || !data.part) return -1;
  if (VynDrawingSolidAdd(data.drawing, data.part) != VYN_TK_NO_ERROR) {
    // The part is not the drawing's: it leaves the session again.
    if (data.set_active) YrlActiveModelSet(nullptr);
    VynMdlErase(data.part);
    return -1;
  }
  YrlAutoView(data.part, data.drawing, YrlPreferencesAutoViewMapGet(), 1);
  if (part) *part = data.part;
  if (set_active) *set_active = data.set_active;
  return VYN_TK_NO_ERROR;
}

int YrlNewPart() { return YrlNewPartWithReturn(nullptr, nullptr); }
