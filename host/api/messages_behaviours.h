// Messages, menus and commands: the host functions with behaviour (see host/api/host_behaviours.h).
#pragma once

#include "host/api/host_api.h"

namespace yrlhost {

// Messages (host/ui/messages.cpp): shown from the message files under the message directory.
template <>
struct Behaviour<HostApi::VynMessageDisplay> {
  static VynError run(int context, const VynWchar* file, const char* key, const void* v1,
                      const void* v2, const void* v3, const void* v4, const void* v5,
                      const void* v6, const void* v7, const void* v8, const void* v9,
                      const void* v10, const char* dir);
};
template <>
struct Behaviour<HostApi::VynMessageToBuffer> {
  // Fills buffer (message_buffer_units wide characters, terminator included).
  static VynError run(int context, VynWchar* buffer, const VynWchar* file, const char* key,
                      const void* v1, const void* v2, const void* v3, const void* v4,
                      const void* v5, const void* v6, const void* v7, const void* v8,
                      const void* v9, const void* v10, const char* dir);
};
template <>
struct Behaviour<HostApi::VynMessageClear> {
  static void run(int context);
};

// The user's typed answers: the scripted user's next "answer" (an input_type action with
// dialog "" and component "message"). Empty text: -3, nothing written. An empty script,
// or another action next (which stays queued), is a script failure and -3 as well.
template <>
struct Behaviour<HostApi::VynMessageStringRead> {
  // At most max_length characters, then a terminator (text holds max_length + 1 units).
  static VynError run(int context, int max_length, VynWchar* text);
};
template <>
struct Behaviour<HostApi::VynMessageIntegerRead> {
  // range: null, or the least and greatest value allowed.
  static VynError run(int context, const int* range, int* value);
};
template <>
struct Behaviour<HostApi::VynMessageDoubleRead> {
  static VynError run(int context, const double* range, double* value);
};

// Menus and commands (host/ui/menus.cpp).
template <>
struct Behaviour<HostApi::VynMenubarmenuMenuAdd> {
  static VynError run(int context, const char* parent, const char* menu, const char* label,
                      const char* neighbor, int after, const VynWchar* msg_file,
                      const char* dir);
};
template <>
struct Behaviour<HostApi::VynMenubarmenuPushbuttonAdd> {
  static VynError run(int context, const char* menu, const char* button, const char* label,
                      const char* help, const char* neighbor, int after, VynCmd command,
                      const VynWchar* msg_file, const char* dir);
};
template <>
struct Behaviour<HostApi::VynCmdActionAdd> {
  static VynError run(int context, const char* name, VynCmdActionFunction action, int priority,
                      VynCmdAccessFunction access, int flag1, int flag2, VynCmd* command);
};
template <>
struct Behaviour<HostApi::VynCmdIconSet> {
  static VynError run(int context, VynCmd command, const char* icon, const char* dir);
};
template <>
struct Behaviour<HostApi::VynCmdDesignate> {
  static VynError run(int context, VynCmd command, const char* label, const char* help,
                      const char* description, const VynWchar* msg_file, const char* dir);
};

}  // namespace yrlhost
