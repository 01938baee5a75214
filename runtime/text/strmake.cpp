#include "runtime/text/strmake.h"

#include <cctype>
#include <cstdarg>
#include <cstring>

#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/zone.h"
#include "runtime/text/glob.h"
#include "runtime/text/strutil.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

// build_wstr_list_from_ints writes at most this many characters before ", ..." and the
// terminator; the caller's buffer holds 179.
constexpr int INT_LIST_ROOM = 179 - 8;

template <typename Char>
Char* new_text(int length) {
  return static_cast<Char*>(getmem((static_cast<std::size_t>(length) + 1) * sizeof(Char)));
}

// A block holding the first length characters of s and a terminator.
template <typename Char>
Char* copy_of(const Char* s, int length) {
  Char* copy = new_text<Char>(length);
  std::memcpy(copy, s, static_cast<std::size_t>(length) * sizeof(Char));
  copy[length] = 0;
  return copy;
}

template <typename Char>
Char* copy_limited(const Char* s, int n) {
  if (!s || n < 1) return nullptr;
  int length = text_length(s);
  return copy_of(s, length < n ? length : n - 1);
}

template <typename Char>
Char* cat_release(Char** p_string, const Char* s) {
  if (!p_string || !s) return nullptr;
  const Char* old = *p_string;
  int old_length = old ? text_length(old) : 0;
  int length = text_length(s);
  Char* joined = new_text<Char>(old_length + length);
  if (old) std::memcpy(joined, old, static_cast<std::size_t>(old_length) * sizeof(Char));
  std::memcpy(joined + old_length, s, (static_cast<std::size_t>(length) + 1) * sizeof(Char));
  relmem(p_string);
  *p_string = joined;
  return joined;
}

// Nothing is written, and null returned, without a cursor or a text.
template <typename Char>
Char* cat_quick(Char** p_cursor, const Char* s) {
  if (!p_cursor || !*p_cursor || !s) return nullptr;
  Char* old = *p_cursor;
  int length = text_length(s);
  std::memcpy(old, s, static_cast<std::size_t>(length) * sizeof(Char));
  *p_cursor = old + length;
  return old;
}

// The converted form of s (a block from convert, released here) copied as
// copy_if_fits does.
template <typename From, typename To>
int converted_if_fits(const From* s, int size, To* dst, To* (*convert)(const From*)) {
  if (!dst || size < 1) return 1;
  To* converted = convert(s);
  int cut = copy_if_fits(converted, size, dst);
  rlsmem(converted);
  return cut;
}

// The formatted text in a new block; null when the formatting fails. The text is taken
// from the formatter's own buffer, so it has no length limit.
char* format_copy(const char* format, std::va_list args) {
  const char* text = vyn_vsprintf(nullptr, format, args);
  return text ? make_scopy(text) : nullptr;
}

}  // namespace

// ---- New blocks from strings

char* make_scopy(const char* s) { return s ? copy_of(s, text_length(s)) : nullptr; }

VynWchar* make_wscopy(const VynWchar* w) { return w ? copy_of(w, text_length(w)) : nullptr; }

char* make_uscopy(const char* s) {
  if (!s) return nullptr;
  char* copy = new_text<char>(text_length(s));
  vyn_cnvrt_to_upper(s, copy);
  return copy;
}

VynWchar* make_uwscopy(const VynWchar* w) {
  if (!w) return nullptr;
  VynWchar* copy = new_text<VynWchar>(text_length(w));
  wcnvrt_to_upper(w, copy);
  return copy;
}

VynWchar* make_strtows(const char* s) {
  return s ? strtows(new_text<VynWchar>(text_length(s)), s) : nullptr;
}

VynWchar* make_strtows_zone(int zone, const char* s) {
  if (!s) return nullptr;
  int bytes = (text_length(s) + 1) * static_cast<int>(sizeof(VynWchar));
  VynWchar* w = static_cast<VynWchar*>(zone_getmem(zone, bytes));
  return w ? strtows(w, s) : nullptr;
}

// wstostr may write four bytes a character: no smaller block is safe for every language.
char* make_wstostr(const VynWchar* w) {
  if (!w) return nullptr;
  // new_text adds the terminator's byte.
  return wstostr(new_text<char>(static_cast<int>(wstostr_room(text_length(w))) - 1), w);
}

char* make_sncopy(const char* s, int n) { return copy_limited(s, n); }

VynWchar* make_wsncopy(const VynWchar* w, int n) { return copy_limited(w, n); }

char* make_strcat_rls(char** p_string, const char* s) { return cat_release(p_string, s); }

VynWchar* make_wstrcat_rls(VynWchar** p_string, const VynWchar* w) {
  return cat_release(p_string, w);
}

// The copy functions of the lists; a null string is copied as null.
char* mknewstr(const char* s) { return make_scopy(s); }

VynWchar* mknewwstr(const VynWchar* w) { return make_wscopy(w); }

char* mknewstr_from_wstr(const VynWchar* w) {
  if (!w || w[0] == 0) return nullptr;
  return make_wstostr(w);
}

char* mkstring(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  char* copy = format_copy(format, args);
  va_end(args);
  return copy;
}

// The wide block is sized from the narrow text, which strtows turns into at most one
// wide character per byte.
VynWchar* mkwstring(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  char* narrow = format_copy(format, args);
  va_end(args);
  VynWchar* w = make_strtows(narrow);
  rlsmem(narrow);
  return w;
}

// ---- Formatting into a caller's buffer

char* strcatv(char* dst, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const char* text = vyn_vsprintf(nullptr, format, args);
  va_end(args);
  if (dst && text) std::strcat(dst, text);
  return dst;
}

int build_wstr_list_from_ints(VynWchar* out, const void* p_ints) {
  if (!out) return 0;
  out[0] = 0;
  const int* ints = nullptr;
  if (p_ints) std::memcpy(&ints, p_ints, sizeof ints);
  int count = xar_count(&ints);
  VynWchar* cursor = out;
  for (int i = 0; i < count; ++i) {
    VynWchar piece[16] = {};
    int length = vyn_wsprintf(piece, i == 0 ? "%d" : ", %d", ints[i]);
    if ((cursor - out) + length > INT_LIST_ROOM) {
      quick_wstrcat(&cursor, u", ...");
      break;
    }
    quick_wstrcat(&cursor, piece);
  }
  *cursor = 0;
  return out[0] != 0 ? 1 : 0;
}

// ---- Limited copies

int wstrcpy_limit(const VynWchar* src, int size, VynWchar* dst) {
  if (!dst || size < 1) return 1;
  return copy_if_fits(src, size, dst);
}

int wstrtos_limit(const VynWchar* w, int size, char* dst) {
  return converted_if_fits(w, size, dst, make_wstostr);
}

int strtows_limit(const char* s, int size, VynWchar* wdst) {
  return converted_if_fits(s, size, wdst, make_strtows);
}

int wstrcat_limit(VynWchar* dst, const VynWchar* src, int size) {
  if (!dst || size < 1) return 1;
  if (!src) src = u"";
  int have = text_length(dst);
  int add = text_length(src);
  if (have + add + 1 <= size) {
    std::memcpy(dst + have, src, (static_cast<std::size_t>(add) + 1) * sizeof(VynWchar));
    return 0;
  }
  int room = size - 1 - have;
  if (room > 0) std::memcpy(dst + have, src, static_cast<std::size_t>(room) * sizeof(VynWchar));
  dst[size - 1] = 0;
  return 1;
}

VynWchar* wstrncpy_set_null(VynWchar* dst, const VynWchar* src, int n) {
  if (!dst || !src || n < 1) return dst;
  wsncpy(dst, src, n);
  dst[n - 1] = 0;
  return dst;
}

char* quick_strcat(char** p_cursor, const char* s) { return cat_quick(p_cursor, s); }

VynWchar* quick_wstrcat(VynWchar** p_cursor, const VynWchar* w) { return cat_quick(p_cursor, w); }

// ---- Small matchers and trimming

int string_match(const char* string, const char* pattern) {
  return string && pattern && filter_match(string, pattern, FILTER_QUESTION);
}

int pattern_match(const VynWchar* pattern, const VynWchar* w, int flags) {
  return pattern && w && filter_match(w, pattern, (flags & 1) ? FILTER_FOLD_CASE : 0);
}

int string_is_pattern(const char* s) {
  return s && (std::strchr(s, '*') || std::strchr(s, '?')) ? 1 : 0;
}

char* s_strip(char* s) {
  if (!s) return nullptr;
  while (*s && std::isspace(static_cast<unsigned char>(*s))) ++s;
  strip_cr(s);
  char* end = s + std::strlen(s);
  while (end > s && std::isspace(static_cast<unsigned char>(end[-1]))) --end;
  *end = '\0';
  return s;
}

char* strip_cr(char* s) {
  if (!s) return nullptr;
  char* feed = std::strchr(s, '\n');
  if (feed) *feed = '\0';
  return s;
}

VynWchar* wstrip_cr(VynWchar* w) {
  if (!w) return nullptr;
  VynWchar* feed = nullptr;
  for (VynWchar* c = w; *c; ++c)
    if (*c == '\n') feed = c;
  if (feed) *feed = 0;
  return w;
}

int ws_index(const VynWchar* w, const VynWchar* sub) {
  if (!w || !sub || w[0] == 0) return 0;
  int length = text_length(w);
  int sub_length = text_length(sub);
  for (int i = 0; i < length; ++i) {
    int n = length - i < sub_length ? length - i : sub_length;
    if (std::memcmp(w + i, sub, static_cast<std::size_t>(n) * sizeof(VynWchar)) == 0) return 1;
  }
  return 0;
}

VynWchar* change_end_to_ellipsis(VynWchar* w) {
  if (!w) return nullptr;
  int length = text_length(w);
  for (int i = length < 3 ? 0 : length - 3; i < length; ++i) w[i] = '.';
  return w;
}

void left_truncate_string(const VynWchar* src, VynWchar* dst, int size) {
  if (!dst || size < 1) return;
  if (!src) src = u"";
  int length = text_length(src);
  if (length < size) {
    std::memmove(dst, src, (static_cast<std::size_t>(length) + 1) * sizeof(VynWchar));
    return;
  }
  int dots = size < 4 ? size - 1 : 3;
  int tail = size - 1 - dots;
  // src may share dst's memory: its tail is moved before the dots are written.
  std::memmove(dst + dots, src + length - tail, static_cast<std::size_t>(tail) * sizeof(VynWchar));
  for (int i = 0; i < dots; ++i) dst[i] = '.';
  dst[size - 1] = 0;
}

}  // namespace vek
