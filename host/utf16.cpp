// UTF-16 to UTF-8, through the Win32 stand-in's conversion.
#include "host/utf16.h"

#include "platform/w32/codepage.h"

namespace yrlhost {

std::string utf8_from_utf16(const VynWchar* text, std::size_t max_units) {
  std::string out;
  if (!text) return out;
  std::size_t length = 0;
  while (length < max_units && text[length] != 0) ++length;
  if (length == 0) return out;
  int units = static_cast<int>(length);
  int size = w32::WideCharToMultiByte(w32::CP_UTF8, 0, text, units, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return out;
  out.resize(static_cast<std::size_t>(size));
  w32::WideCharToMultiByte(w32::CP_UTF8, 0, text, units, out.data(), size, nullptr, nullptr);
  return out;
}

}  // namespace yrlhost
