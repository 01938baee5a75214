// The text of a report's message, shared by the fault reports and the message tool.
#pragma once

#include <cstdarg>

#include "runtime/text/vsprintf.h"

namespace vek {

// The message formatted by vyn_vsprintf (its internal buffer, valid until the next
// formatting call); a format that does not format is reported as it stands, and a
// null format as "". The formatter takes d i o u x c, ld li lo lu lx, f e g lf, s, ws,
// pd, pf and "%%" with flags, width and precision; %p, %n, the h, ll and z lengths and
// positional "$" arguments are not conversions of it and leave the format unformatted.
inline const char* dbg_message_text(const char* format, std::va_list args) {
  const char* text = vyn_vsprintf(nullptr, format, args);
  if (text) return text;
  return format ? format : "";
}

}  // namespace vek
