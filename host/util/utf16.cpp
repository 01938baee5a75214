// Text conversions through the Win32 stand-in's code pages.
#include "host/util/utf16.h"

#include <algorithm>

#include "platform/w32/codepage.h"

namespace yrlhost {
namespace {

static_assert(w32::CP_UTF8 == 65001, "the default code page of the conversions is UTF-8");

// Appends text as UTF-16 with the given conversion flags; false, out unchanged, when
// the conversion fails.
bool append_converted(std::u16string& out, const std::string& text, unsigned code_page,
                      w32::DWORD flags) {
  if (text.empty()) return true;
  int length = static_cast<int>(text.size());
  int units = w32::MultiByteToWideChar(code_page, flags, text.data(), length, nullptr, 0);
  if (units <= 0) return false;
  std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(units));
  if (w32::MultiByteToWideChar(code_page, flags, text.data(), length, out.data() + at, units) !=
      units) {
    out.resize(at);
    return false;
  }
  return true;
}

}  // namespace

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

std::string utf8_from_utf16(const std::u16string& text) {
  return utf8_from_utf16(text.c_str(), text.size());
}

bool utf16_append(std::u16string& out, const std::string& text, unsigned code_page) {
  return append_converted(out, text, code_page, w32::MB_ERR_INVALID_CHARS);
}

bool utf16_from_text(const std::string& text, std::u16string& out, unsigned code_page) {
  out.clear();
  return utf16_append(out, text, code_page);
}

std::u16string utf16_from_text(const std::string& text, unsigned code_page) {
  std::u16string out;
  append_converted(out, text, code_page, 0);
  return out;
}

bool wide_name_read(const VynWchar* text, std::u16string& name) {
  if (!text) return false;
  std::size_t length = 0;
  while (length <= host_name_max && text[length] != 0) ++length;
  if (length > host_name_max) return false;
  name.assign(text, length);
  return true;
}

void wide_name_write(const std::u16string& name, VynWchar* out) {
  std::size_t length = std::min(name.size(), host_name_max);
  std::copy_n(name.data(), length, out);
  out[length] = 0;
}

std::string utf8_from_narrow(const char* text) {
  if (!text) return {};
  std::u16string wide = utf16_from_text(std::string(text), w32::CP_ACP);
  return utf8_from_utf16(wide);
}

}  // namespace yrlhost
