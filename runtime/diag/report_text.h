// The text of a report's message, shared by the fault reports and the message tool.
#pragma once

#include <cstdarg>

#include "runtime/text/vsprintf.h"

namespace vek {

// The message formatted by vyn_vsprintf (its internal buffer, valid until the next
// formatting call); a format that does not format is reported as it stands, and a
// null format as "".
inline const char* dbg_message_text(const char* format, std::va_list args) {
  const char* text = vyn_vsprintf(nullptr, format, args);
  if (text) return text;
  return format ? format : "";
}

}  // namespace vek
