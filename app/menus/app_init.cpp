#include "app/menus/app_init.h"

#include <cstring>

#include "app/menus/app_testing.h"
#include "toolkit/local/local_param.h"

VynWchar YrlMsgFile[VYN_PATH_SIZE];
const VynWchar yrl_menubar_msg_file[] = u"yrl_menubar_msg.txt";

int user_initialize(int, char**, const char*, const char*, VynWchar*) {
  VynStringToWstring(YrlMsgFile, "yrlform_msg.txt");
  // Next: preferences, menus, model-retrieve notification, no active part, data classes.
  return 0;
}

int user_terminate() { return 0; }

void app_init_testing_reset() { std::memset(YrlMsgFile, 0, sizeof YrlMsgFile); }
