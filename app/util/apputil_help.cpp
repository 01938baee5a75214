// The online help and the About dialog.
#include <cstring>

#include "app/menus/app_init.h"
#include "app/prefs/prefs.h"
#include "app/util/apputil.h"
#include "runtime/text/wide.h"
#include "toolkit/api/app_api.h"
#include "toolkit/startup/startup.h"

namespace {

constexpr char kHelpPage[] = "\\html\\usascii\\start.htm";
constexpr VynWchar kHelpTitle[] = u"Yrlform Online Help";
constexpr double kBrowserPercent = 98.0;

// The help's start page below the application's text directory; false when the
// directory is unknown or the path does not fit.
bool help_page_path(VynWchar* path, int path_units) {
  VynWchar text_dir[VYN_PATH_SIZE] = {};
  if (VynToolkitApplTextPathGet(text_dir) != VYN_TK_NO_ERROR) return false;
  char narrow[vek::wstostr_room(VYN_PATH_SIZE)];
  if (vek::wstostr_bounded(narrow, sizeof narrow, text_dir) != 0) return false;
  std::size_t length = std::strlen(narrow);
  if (length > 0 && narrow[length - 1] == '\\') narrow[--length] = '\0';
  if (length == 0 || length + sizeof kHelpPage > sizeof narrow) return false;
  std::memcpy(narrow + length, kHelpPage, sizeof kHelpPage);
  return vek::strtows_bounded(path, static_cast<std::size_t>(path_units), narrow) == 0;
}

}  // namespace

int YrlOpenHelpBrowser() {
  int embedded = YrlPreferencesUseEmbedBrowserGet();
  VynWchar path[VYN_PATH_SIZE];
  int status = VYN_TK_E_NOT_FOUND;
  if (help_page_path(path, VYN_PATH_SIZE)) {
    if (embedded) {
      int window = 0;
      status = VynWindowCurrentGet(&window);
      if (status == VYN_TK_NO_ERROR) status = VynWindowBrowserSizeSet(window, kBrowserPercent);
      if (status == VYN_TK_NO_ERROR) status = VynWindowURLShow(window, path);
    } else {
      status = VynURLShow(path, kHelpTitle);
    }
  }
  if (status != VYN_TK_NO_ERROR) VynMessageDisplay(YrlMsgFile, "YRL_BROWSER_OPEN_FAILED");
  return status;
}

int YrlAboutDialog() {
  static const char dialog[] = "yrlabout";
  if (VynUIDialogCreate(dialog, dialog) != VYN_TK_NO_ERROR) {
    VynMessageDisplay(YrlMsgFile, "YRL_DIALOG_ERROR", "yrlabout");
    return 0;
  }
  const char* failed = nullptr;
  if (VynUIPushbuttonActivateActionSet(dialog, "CloseButton", YrlAboutCloseAction, nullptr) != VYN_TK_NO_ERROR ||
      VynUIDialogCloseActionSet(dialog, YrlAboutCloseAction, nullptr) != VYN_TK_NO_ERROR ||
      VynUIDialogDefaultbuttonSet(dialog, "CloseButton") != VYN_TK_NO_ERROR) {
    failed = "Close";
  } else if (VynUIDialogTitleSet(dialog, u"About Yrlform") != VYN_TK_NO_ERROR) {
    failed = "Title Set";
  }
  if (failed) {
    VynMessageDisplay(YrlMsgFile, "YRL_DIALOG_ERROR", failed);
  } else {
    int exit_status = 0;
    VynUIDialogActivate(dialog, &exit_status);
  }
  VynUIDialogDestroy(dialog);
  return 0;
}
