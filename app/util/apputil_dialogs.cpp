// The generic modal message dialogs (one OK button, OK and Cancel, yes and no) and the
// button actions that end them.
#include "app/menus/app_init.h"
#include "app/util/apputil.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"

namespace {

// Characters shown of a dialog's text and title; longer ones are cut for display.
constexpr int kTextShown = 255;
constexpr int kTitleShown = 80;

constexpr char kErrorKey[] = "YRLFORM ERROR %0s";

// The failure texts of one dialog's set-up steps.
struct DialogStepTexts {
  const char* create;
  const char* first_button;
  const char* second_button;
  const char* label;
  const char* title;
};

constexpr DialogStepTexts kMessageTexts = {
    "Error occurs in dialog create", "Error occurs in push button activate",
    "Error occurs in push button activate", "Error occurs in label text set",
    "Error occurs in title set"};
constexpr DialogStepTexts kOkCancelTexts = {
    "Error occurs in push button create", "Error occurs in OK push button activate",
    "Error occurs in CANCEL push button activate", "Error occurs in setting LABEL text",
    "Error occurs in setting TITLE text"};

// Reports a failed set-up step, takes the half-built dialog down and hands the step's
// status back.
int step_failed(const char* dialog, bool created, const char* text, int status) {
  VynMessageDisplay(YrlMsgFile, kErrorKey, text);
  if (created) VynUIDialogDestroy(dialog);
  return status;
}

// One modal dialog of layout `dialog` showing text under title, with the push button
// "OK" ending it with 0 and, when `cancel` is given, that button ending it with 1.
// Writes the exit status; the last host call's status, or the first failing one.
int run_message_dialog(const char* dialog, const char* title, const char* text,
                       const char* default_title, const char* cancel,
                       const DialogStepTexts& texts, int* exit_status) {
  if (!text) return VYN_TK_BAD_INPUTS;
  VynWchar wide_text[kTextShown + 1];
  VynWchar wide_title[kTitleShown + 1];
  vek::strtows_bounded(wide_text, kTextShown + 1, text);
  vek::strtows_bounded(wide_title, kTitleShown + 1, title ? title : default_title);

  int status = VynUIDialogCreate(dialog, dialog);
  if (status != VYN_TK_NO_ERROR) return step_failed(dialog, false, texts.create, status);
  status = VynUIPushbuttonActivateActionSet(dialog, "OK", YrlErrorOKAction, nullptr);
  if (status != VYN_TK_NO_ERROR) return step_failed(dialog, true, texts.first_button, status);
  if (cancel) {
    status = VynUIPushbuttonActivateActionSet(dialog, cancel, YrlConfirmOKAction, nullptr);
    if (status != VYN_TK_NO_ERROR) return step_failed(dialog, true, texts.second_button, status);
  }
  status = VynUILabelTextSet(dialog, "label1", wide_text);
  if (status != VYN_TK_NO_ERROR) return step_failed(dialog, true, texts.label, status);
  status = VynUIDialogTitleSet(dialog, wide_title);
  if (status != VYN_TK_NO_ERROR) return step_failed(dialog, true, texts.title, status);

  int activate_status = VynUIDialogActivate(dialog, exit_status);
  status = VynUIDialogDestroy(dialog);
  return activate_status != VYN_TK_NO_ERROR ? activate_status : status;
}

}  // namespace

int YrlDialogSetupFailed(const char* dialog, const char* component, int status, bool created) {
  VynMessageDisplay(YrlMsgFile, "YRL_DIALOG_ERROR", component);
  if (created) VynUIDialogDestroy(dialog);
  return status;
}

void YrlErrorOKAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, 0); }
void YrlConfirmOKAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, 1); }
void YrlConfirmCancelAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, 0); }
void YrlAboutCloseAction(char* dialog, char*, void*) { VynUIDialogExit(dialog, -1); }

int ErrorDialog(const char* title, const char* text) {
  int exit_status = 0;
  return run_message_dialog("error", title, text, "Message", nullptr, kMessageTexts, &exit_status);
}

int ConfirmDialog(const char* title, const char* text) {
  int exit_status = 0;
  return run_message_dialog("confirm", title, text, "Message", nullptr, kMessageTexts, &exit_status);
}

int MessageDialog(const char* title, const char* text) {
  int exit_status = 0;
  return run_message_dialog("message", title, text, "Message", nullptr, kMessageTexts, &exit_status);
}

int OkCancelDialog(const char* title, const char* text, int* ok) {
  if (ok) *ok = 0;
  int exit_status = -1;
  int status = run_message_dialog("okcancel", title, text, "Confirm?", "Cancel", kOkCancelTexts,
                                  &exit_status);
  if (ok && status == VYN_TK_NO_ERROR && exit_status == 0) *ok = 1;
  return status;
}

int YrlConfirmDlg(const char* key) {
  static const char dialog[] = "yrlconfirmdlg";
  if (!key) return 0;
  // The key itself stands in for a text the message file lacks.
  VynWchar text[VYN_PATH_SIZE];
  vek::strtows_bounded(text, VYN_PATH_SIZE, key);
  VynMessageToBuffer(text, YrlMsgFile, key);

  if (VynUIDialogCreate(dialog, dialog) != VYN_TK_NO_ERROR) return 0;
  int exit_status = 0;
  if (VynUIPushbuttonActivateActionSet(dialog, "yes_btn", YrlConfirmOKAction, nullptr) == VYN_TK_NO_ERROR &&
      VynUIPushbuttonActivateActionSet(dialog, "no_btn", YrlConfirmCancelAction, nullptr) == VYN_TK_NO_ERROR &&
      VynUIDialogDefaultbuttonSet(dialog, "no_btn") == VYN_TK_NO_ERROR &&
      VynUILabelTextSet(dialog, "msg_label", text) == VYN_TK_NO_ERROR &&
      VynUIDialogActivate(dialog, &exit_status) == VYN_TK_NO_ERROR) {
    VynUIDialogDestroy(dialog);
    return exit_status == 1 ? 1 : 0;
  }
  VynUIDialogDestroy(dialog);
  return 0;
}
