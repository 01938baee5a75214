// Numbers and escaped texts as the host's text files keep them.
#include "host/util/text_fields.h"

#include <charconv>

namespace yrlhost {

std::string number_text(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string escape_text(const std::string& text, bool one_word) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool edge = i == 0 || i + 1 == text.size();
    if (c == '%' || c < 0x20 || c == 0x7f || (c == ' ' && (one_word || edge))) {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool unescape_text(const std::string& text, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned value = 0;
    if (i + 2 >= text.size()) return false;
    auto result = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
    if (result.ec != std::errc() || result.ptr != text.data() + i + 3) return false;
    out += static_cast<char>(value);
    i += 2;
  }
  return true;
}

}  // namespace yrlhost
