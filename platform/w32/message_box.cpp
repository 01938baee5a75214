#include "platform/w32/message_box.h"

#include <pthread.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/w32/cancel.h"
#include "platform/w32/message_box_testing.h"

namespace w32 {

namespace {

// Made on first use, so that the log needs no constructor at load; guarded by g_lock.
std::vector<MessageBoxRecord>* g_log = nullptr;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

// text with '\', '"' and control characters escaped, so that it stays on one line.
std::string escaped(const char* text) {
  std::string out;
  for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
    unsigned char byte = static_cast<unsigned char>(*c);
    switch (*c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          char code[8];
          std::snprintf(code, sizeof code, "\\x%02X", byte);
          out += code;
        } else {
          out += *c;
        }
    }
  }
  return out;
}

// The buttons of each button set, in order.
int default_button(UINT type) {
  static const int kButtons[][3] = {{IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDCANCEL},
                                    {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
                                    {IDYES, IDNO, IDNO},          {IDRETRY, IDCANCEL, IDCANCEL}};
  UINT set = type & 0xF;
  UINT which = (type & 0xF00) >> 8;
  if (set >= sizeof kButtons / sizeof kButtons[0]) set = 0;
  if (which > 2) which = 0;
  return kButtons[set][which];
}

}  // namespace

int MessageBoxA(HWND /*owner*/, const char* text, const char* caption, UINT type) {
  std::string line = "MessageBoxA caption=\"" + escaped(caption) + "\" type=0x";
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", type);
  line += hex;
  line += " text=\"" + escaped(text) + "\"\n";
  // The line is written under the lock, so that the log and the output keep one order:
  // cancellation is held off (cancel.h).
  W32NoCancel no_cancel;
  pthread_mutex_lock(&g_lock);
  if (g_log == nullptr) g_log = new std::vector<MessageBoxRecord>();
  g_log->push_back(
      MessageBoxRecord{text != nullptr ? text : "", caption != nullptr ? caption : "", type});
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  pthread_mutex_unlock(&g_lock);
  return default_button(type);
}

int message_box_testing_count() {
  pthread_mutex_lock(&g_lock);
  int count = g_log != nullptr ? static_cast<int>(g_log->size()) : 0;
  pthread_mutex_unlock(&g_lock);
  return count;
}

MessageBoxRecord message_box_testing_entry(int index) {
  pthread_mutex_lock(&g_lock);
  MessageBoxRecord record{std::string(), std::string(), 0};
  if (g_log != nullptr && index >= 0 && static_cast<std::size_t>(index) < g_log->size())
    record = (*g_log)[static_cast<std::size_t>(index)];
  pthread_mutex_unlock(&g_lock);
  return record;
}

void message_box_testing_reset() {
  pthread_mutex_lock(&g_lock);
  delete g_log;
  g_log = nullptr;
  pthread_mutex_unlock(&g_lock);
}

}  // namespace w32
