#include "app/menus/app_init.h"

#include <cstdio>
#include <cstring>

#include "app/menus/app_menus.h"
#include "app/menus/app_testing.h"
#include "app/prefs/prefs.h"
#include "app/storage/storage.h"
#include "app/util/apputil.h"
#include "toolkit/local/local_param.h"

VynWchar YrlMsgFile[VYN_PATH_SIZE];
const VynWchar yrl_menubar_msg_file[] = u"yrl_menubar_msg.txt";

// Each step runs whatever the one before returned: a host that refuses one of them still
// gets the rest of the application.
namespace {
// The release name the start-up handed over, kept for the tests to observe.
char handed_release_name[64];
}  // namespace

int user_initialize(int, char**, const char* release_name, const char*, VynWchar*) {
  std::snprintf(handed_release_name, sizeof handed_release_name, "%s",
                release_name ? release_name : "");
  VynStringToWstring(YrlMsgFile, "yrlform_msg.txt");
  YrlPreferencesRead(nullptr);
  YrlMenuBarCreate();
  YrlNotificationsSet();
  // No part is active yet; the name kept in the drawing stays, since an empty name is
  // never written.
  YrlActiveModelSet(nullptr);
  YrlAllClassRegister();
  return 0;
}

int user_terminate() { return 0; }

void app_init_testing_reset() {
  std::memset(YrlMsgFile, 0, sizeof YrlMsgFile);
  handed_release_name[0] = '\0';
}

const char* app_init_testing_release_name() { return handed_release_name; }
