// The text of DXF files: its coding, its special codes and the formatting of mtext.
#include <cctype>
#include <string>

#include "host/dxf/dxf_read.h"
#include "host/util/text_read.h"
#include "host/util/utf16.h"

namespace yrlhost {
namespace {

int hex_digit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

// Builds the lines of a text; control characters other than tab are dropped, so that a
// line holds no break and no NUL.
class LineBuilder {
 public:
  void put(char16_t c) {
    if (c >= u' ' || c == u'\t') lines_.back().push_back(c);
  }
  void put(const std::u16string& text) {
    for (char16_t c : text) put(c);
  }
  void line_break() { lines_.emplace_back(); }
  std::vector<std::u16string> take() { return std::move(lines_); }

 private:
  std::vector<std::u16string> lines_{1};
};

// The length of a special code (%%...) at text[at], putting what it stands for; 0 when
// there is none there.
std::size_t special_code(const std::u16string& text, std::size_t at, LineBuilder& out) {
  if (at + 2 >= text.size() || text[at] != u'%' || text[at + 1] != u'%') return 0;
  switch (lower(text[at + 2])) {
    case u'd': out.put(u'\u00B0'); return 3;
    case u'p': out.put(u'\u00B1'); return 3;
    case u'c': out.put(u'\u2300'); return 3;
    case u'%': out.put(u'%'); return 3;
    case u'u':
    case u'o':
    case u'k': return 3;
    default: break;
  }
  if (at + 4 < text.size()) {
    int value = 0;
    for (std::size_t i = at + 2; i < at + 5; ++i) {
      if (text[i] < u'0' || text[i] > u'9') return 0;
      value = value * 10 + (text[i] - u'0');
    }
    out.put(static_cast<char16_t>(value));
    return 5;
  }
  return 0;
}

// The length of a character by number (\U+XXXX) at text[at], putting it; 0 when there is
// none there.
std::size_t unicode_escape(const std::u16string& text, std::size_t at, LineBuilder& out) {
  if (at + 6 >= text.size() || text[at] != u'\\' || lower(text[at + 1]) != u'u' || text[at + 2] != u'+')
    return 0;
  int value = 0;
  for (std::size_t i = at + 3; i < at + 7; ++i) {
    int digit = hex_digit(text[i]);
    if (digit < 0) return 0;
    value = value * 16 + digit;
  }
  out.put(static_cast<char16_t>(value));
  return 7;
}

// The position after the ';' that ends a code's argument at or after at (the text's
// end when there is none).
std::size_t after_argument(const std::u16string& text, std::size_t at) {
  std::size_t end = text.find(u';', at);
  return end == std::u16string::npos ? text.size() : end + 1;
}

// The length of an mtext code at text[at] (a backslash, a brace or a caret), putting
// what it stands for; 0 when the character there stands for itself.
std::size_t mtext_code(const std::u16string& text, std::size_t at, LineBuilder& out) {
  char16_t c = text[at];
  if (c == u'{' || c == u'}') return 1;
  if (at + 1 >= text.size()) return 0;
  char16_t next = text[at + 1];
  if (c == u'^') {
    if (next == u'J') out.line_break();
    else if (next == u'I') out.put(u'\t');
    else if (next == u' ') out.put(u'^');
    else return 0;
    return 2;
  }
  if (c != u'\\') return 0;
  switch (next) {
    case u'P':
    case u'X':
    case u'N': out.line_break(); return 2;
    case u'~': out.put(u'\u00A0'); return 2;
    case u'\\':
    case u'{':
    case u'}': out.put(next); return 2;
    case u'L': case u'l': case u'O': case u'o': case u'K': case u'k': return 2;
    case u'S': {
      std::size_t end = after_argument(text, at + 2);
      std::size_t stop = end > at + 2 && text[end - 1] == u';' ? end - 1 : end;
      for (std::size_t i = at + 2; i < stop; ++i)
        out.put(text[i] == u'^' || text[i] == u'#' ? u'/' : text[i]);
      return end - at;
    }
    case u'A': case u'C': case u'c': case u'F': case u'f': case u'H': case u'Q': case u'T':
    case u'W': case u'p':
      return after_argument(text, at + 2) - at;
    default: return 0;
  }
}

}  // namespace

DxfTextCoding dxf_text_coding(const std::string& version, const std::string& code_page_name) {
  DxfTextCoding coding;
  int number = 0;
  if (version.size() > 2 && (version[0] == 'A' || version[0] == 'a') &&
      (version[1] == 'C' || version[1] == 'c') && number_from_text(version.substr(2), number))
    coding.utf8_always = number >= 1021;
  std::string prefix = code_page_name.substr(0, 5);
  for (char& c : prefix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  unsigned page = 0;
  std::u16string probe;
  // A code page the host cannot decode falls back to 1252.
  if (prefix == "ANSI_" && number_from_text(code_page_name.substr(5), page) &&
      utf16_from_text("A", probe, page))
    coding.code_page = page;
  return coding;
}

std::u16string dxf_text_decode(const std::string& raw, const DxfTextCoding& coding) {
  if (coding.utf8_always) return utf16_from_text(raw);
  std::u16string text;
  if (utf16_from_text(raw, text)) return text;
  return utf16_from_text(raw, coding.code_page);
}

std::vector<std::u16string> dxf_text_lines(const std::u16string& text, bool mtext) {
  LineBuilder out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t length = special_code(text, at, out);
    if (length == 0) length = unicode_escape(text, at, out);
    if (length == 0 && mtext) length = mtext_code(text, at, out);
    if (length == 0) {
      out.put(text[at]);
      length = 1;
    }
    at += length;
  }
  return out.take();
}

}  // namespace yrlhost
