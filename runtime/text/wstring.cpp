#include "runtime/text/wstring.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "platform/w32/codepage.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/text/strmake.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wclass.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring_testing.h"

namespace vek {

namespace {

// ---- Process-wide state

// str_ret's buffer.
char str_ret_buffer[1040];

// wstr_ret's ring. Slots only grow; the position starts before slot 0.
constexpr int WSTR_RING = 4;
constexpr std::size_t WSTR_MIN_CAPACITY = 260;
VynWchar* wstr_ring[WSTR_RING];
std::size_t wstr_ring_capacity[WSTR_RING];
int wstr_ring_position = -1;

// What wstok has left of its string; null when nothing is left.
VynWchar* wstok_position;

// ---- Work buffers

// A work buffer that lives on the stack while the text fits it, else in a memory block,
// so that no length of text overruns it.
struct Scratch {
  alignas(8) char local[1040];
  TextBuffer buffer;
};

// Room for count items of T; taken once per scratch.
template <typename T>
T* scratch_take(Scratch* scratch, std::size_t count) {
  scratch->buffer = TextBuffer{scratch->local, sizeof scratch->local, 0, false};
  // No limit: a memory block that cannot be had ends the process in getmem.
  text_reserve(&scratch->buffer, static_cast<long>(count * sizeof(T)), LONG_MAX);
  return reinterpret_cast<T*>(scratch->buffer.text);
}

void scratch_release(Scratch* scratch) { text_release(&scratch->buffer); }

// The wide form of a narrow text (null: empty), in the scratch.
VynWchar* widen(Scratch* scratch, const char* narrow) {
  if (!narrow) narrow = "";
  return strtows(scratch_take<VynWchar>(scratch, std::strlen(narrow) + 1), narrow);
}

// The narrow form of a wide text, in the scratch.
char* narrow_of(Scratch* scratch, const VynWchar* w) {
  std::size_t units = static_cast<std::size_t>(wslen(w));
  return wstostr(scratch_take<char>(scratch, wstostr_room(units)), w);
}

// A copy of w in the scratch.
VynWchar* wide_copy(Scratch* scratch, const VynWchar* w) {
  std::size_t units = static_cast<std::size_t>(wslen(w)) + 1;
  return static_cast<VynWchar*>(
      std::memcpy(scratch_take<VynWchar>(scratch, units), w, units * sizeof(VynWchar)));
}

// ---- Case

// The 8-bit letter ranges, as bytes of the language's code page.
constexpr unsigned char c_lc8_low = 0xE0;
constexpr unsigned char c_lc8_hi = 0xFE;
constexpr unsigned char c_lc8_excl = 0xF7;
constexpr unsigned char c_uc8_low = 0xC0;
constexpr unsigned char c_uc8_hi = 0xDE;
constexpr unsigned char c_uc8_excl = 0xD7;

// The 8-bit ranges as wide characters of the current language. They are read when a
// caller first meets a character beyond ASCII, once per call, so that a change of
// language or code page takes effect at once.
struct Case8 {
  int state;  // -1 not read yet, 0 no 8-bit letters, 1 read
  VynWchar w_lc8_low, w_lc8_hi, w_lc8_excl, w_uc8_low, w_uc8_hi, w_uc8_excl;
};

constexpr Case8 CASE8_UNREAD = {-1, 0, 0, 0, 0, 0, 0};

void case8_read(Case8* t) {
  t->state = 0;
  if (!is_8bit_lang()) return;
  const unsigned char bytes[6] = {c_lc8_low, c_lc8_hi, c_lc8_excl, c_uc8_low, c_uc8_hi, c_uc8_excl};
  VynWchar* wides[6] = {&t->w_lc8_low, &t->w_lc8_hi, &t->w_lc8_excl,
                        &t->w_uc8_low, &t->w_uc8_hi, &t->w_uc8_excl};
  for (int i = 0; i < 6; ++i) {
    const char mb[2] = {static_cast<char>(bytes[i]), 0};
    // A code page without these letters leaves the language with ASCII case only.
    if (vyn_mbtowc(wides[i], mb, 1) != 1) return;
  }
  t->state = 1;
}

// The 8-bit ranges lie beyond ASCII in every code page: ASCII never reads them (t may
// then be null).
VynWchar case_upper(Case8* t, VynWchar c) {
  if (c >= u'a' && c <= u'z') return static_cast<VynWchar>(c - 32);
  if (c < 0x80) return c;
  if (t->state < 0) case8_read(t);
  if (t->state == 1 && c >= t->w_lc8_low && c <= t->w_lc8_hi && c != t->w_lc8_excl)
    return static_cast<VynWchar>(c - 32);
  return c;
}

VynWchar case_lower(Case8* t, VynWchar c) {
  if (c >= u'A' && c <= u'Z') return static_cast<VynWchar>(c + 32);
  if (c < 0x80) return c;
  if (t->state < 0) case8_read(t);
  if (t->state == 1 && c >= t->w_uc8_low && c <= t->w_uc8_hi && c != t->w_uc8_excl)
    return static_cast<VynWchar>(c + 32);
  return c;
}

// Copies at most limit characters (limit < 0: all) through one case, then terminates.
void convert_case(const VynWchar* src, VynWchar* dst, int limit, int upper) {
  Case8 t = CASE8_UNREAD;
  int i = 0;
  for (; src[i] && (limit < 0 || i < limit); ++i)
    dst[i] = upper ? case_upper(&t, src[i]) : case_lower(&t, src[i]);
  dst[i] = 0;
}

// Capitalises the words of src into dst. Word characters are letters, or letters and
// digits when alnum is set.
void convert_words(const VynWchar* src, VynWchar* dst, int alnum) {
  Case8 t = CASE8_UNREAD;
  capitalise_words(
      src, dst,
      [alnum](VynWchar c) { return (alnum ? wclass_alnum(c) : wclass_alpha(c)) != 0; },
      [&t](VynWchar c) { return case_upper(&t, c); },
      [&t](VynWchar c) { return case_lower(&t, c); });
}

// wu_strcmp (limit < 0) or wu_strncmp over limit characters. A null string sorts
// before any other, as in wu_strcmp_null.
int wu_compare(const VynWchar* a, const VynWchar* b, int limit) {
  if (!a || !b) return (a != nullptr) - (b != nullptr);
  Case8 t = CASE8_UNREAD;
  for (int i = 0; limit < 0 || i < limit; ++i) {
    int d = case_upper(&t, a[i]) - case_upper(&t, b[i]);
    if (d != 0 || a[i] == 0) return d;
  }
  return 0;
}

int printable_ascii(int c) { return c >= 32 && c <= 126; }

// wu_strcmp_s (limit < 0) or wu_strncmp_s over limit characters. Printable ASCII is
// compared in place; from the first other character on, the narrow rest is widened.
// A null string on either side reads as empty.
int wu_compare_s(const VynWchar* w, const char* narrow, int limit) {
  if (!narrow) narrow = "";
  if (!w) w = u"";
  Case8 t = CASE8_UNREAD;
  for (int i = 0; limit < 0 || i < limit; ++i) {
    int wc = w[i];
    int nc = static_cast<signed char>(narrow[i]);
    if ((printable_ascii(wc) || wc == 0) && (printable_ascii(nc) || nc == 0)) {
      if (wc == nc) {
        if (wc == 0) return 0;
        continue;
      }
      int d = case_upper(&t, static_cast<VynWchar>(wc)) - std::toupper(nc);
      if (d != 0) return d;
      continue;
    }
    Scratch scratch;
    const VynWchar* rest = widen(&scratch, narrow + i);
    int result = wu_compare(w + i, rest, limit < 0 ? -1 : limit - i);
    scratch_release(&scratch);
    return result;
  }
  return 0;
}

// First character of s that is in set; null when none.
VynWchar* find_any(const VynWchar* s, const VynWchar* set) {
  for (; *s; ++s)
    if (set && wschr(set, *s)) return const_cast<VynWchar*>(s);
  return nullptr;
}

// Copies n units and returns the position behind them.
VynWchar* put(VynWchar* dst, const VynWchar* src, int n) {
  std::memcpy(dst, src, static_cast<std::size_t>(n) * sizeof(VynWchar));
  return dst + n;
}

// ---- Display order

constexpr VynWchar SPAN_OPEN = 1;
constexpr VynWchar SPAN_CLOSE = 2;
constexpr VynWchar TAB = 9;
constexpr VynWchar LINE_FEED = 10;

enum Direction { LEFT_TO_RIGHT, RIGHT_TO_LEFT, NO_DIRECTION };

// Index of the 2 that closes the protected span opening at i (before end), or -1 when
// no span opens there: a 1 without a 2 before the next 1 is an ordinary character.
int span_close(const VynWchar* text, int i, int end) {
  if (text[i] != SPAN_OPEN) return -1;
  for (int j = i + 1; j < end; ++j) {
    if (text[j] == SPAN_CLOSE) return j;
    if (text[j] == SPAN_OPEN) return -1;
  }
  return -1;
}

int is_digit(VynWchar c) { return wclass_digit(c); }

Direction strong_direction(VynWchar c) {
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return LEFT_TO_RIGHT;
  if (iswrtol(c, 0)) return RIGHT_TO_LEFT;
  return NO_DIRECTION;
}

// Records where the line's runs start: even entries start right-to-left runs, odd
// entries left-to-right ones. Returns the count.
int find_runs(const VynWchar* text, int line_end, int* bounds) {
  int count = 0;
  Direction current = LEFT_TO_RIGHT;
  int pending = -1;  // start of the neutrals since the last strong character
  int anchor = 1;    // nothing but digits, tabs and spans so far: a run may start at 0
  for (int i = 0; i < line_end; ++i) {
    VynWchar c = text[i];
    if (c == TAB) continue;
    int close = span_close(text, i, line_end);
    if (close >= 0) {
      if (pending < 0) pending = i;
      i = close;
      continue;
    }
    if (is_digit(c)) {
      pending = -1;
      continue;
    }
    Direction d = strong_direction(c);
    if (d == NO_DIRECTION) {
      if (pending < 0) pending = i;
      anchor = 0;
      continue;
    }
    if (d != current) {
      // Neutrals between two strong characters take the left-to-right side.
      if (anchor) {
        bounds[count++] = 0;
      } else if (d == RIGHT_TO_LEFT || pending < 0) {
        bounds[count++] = i;
      } else {
        bounds[count++] = pending;
      }
      current = d;
    }
    pending = -1;
    anchor = 0;
  }
  if (pending >= 0 && current == RIGHT_TO_LEFT) bounds[count++] = pending;
  return count;
}

int run_end(const int* bounds, int count, int k, int line_end) {
  return k + 1 < count ? bounds[k + 1] : line_end;
}

int is_number_separator(VynWchar c) {
  return c == u'#' || c == u'$' || c == u'%' || c == u',' || c == u'.' || c == u'/' ||
         c == u':';
}

struct NumberScan {
  int* numbers;  // {offset, length} pairs
  int count;
  int start;      // of the open number, -1 when none
  int separator;  // first separator since the last digit, -1 when none
};

// Closes the open number at `at`; trailing separators are not part of it.
void close_number(NumberScan* scan, int at) {
  if (scan->start >= 0) {
    int end = scan->separator >= 0 ? scan->separator : at;
    scan->numbers[2 * scan->count] = scan->start;
    scan->numbers[2 * scan->count + 1] = end - scan->start;
    ++scan->count;
  }
  scan->start = -1;
  scan->separator = -1;
}

// Finds the numbers of the right-to-left run [start, end).
void find_numbers(const VynWchar* text, int start, int end, NumberScan* scan) {
  for (int i = start; i < end; ++i) {
    int close = span_close(text, i, end);
    if (close >= 0) {
      // A span never becomes part of a number, which would reverse it.
      close_number(scan, i);
      i = close;
    } else if (is_digit(text[i])) {
      if (scan->start < 0) scan->start = i;
      scan->separator = -1;
    } else if (is_number_separator(text[i])) {
      if (scan->separator < 0) scan->separator = i;
    } else {
      close_number(scan, i);
    }
  }
  close_number(scan, end);
}

void reverse_units(VynWchar* text, int start, int length) {
  for (int i = start, j = start + length - 1; i < j; ++i, --j) {
    VynWchar c = text[i];
    text[i] = text[j];
    text[j] = c;
  }
}

// Writes src[start, end) into dst[start, end) in reverse order, protected spans whole.
void mirror_segment(const VynWchar* src, VynWchar* dst, int start, int end) {
  int position = end;
  for (int i = start; i < end;) {
    int close = span_close(src, i, end);
    int length = close >= 0 ? close - i + 1 : 1;
    position -= length;
    put(dst + position, src + i, length);
    i += length;
  }
}

// Reverses the run [start, end) of src into dst piece by piece between tabs.
void mirror_run(const VynWchar* src, VynWchar* dst, int start, int end) {
  int piece = start;
  for (int i = start; i < end; ++i) {
    int close = span_close(src, i, end);
    if (close >= 0) {
      i = close;
    } else if (src[i] == TAB) {
      mirror_segment(src, dst, piece, i);
      piece = i + 1;
    }
  }
  mirror_segment(src, dst, piece, end);
}

VynWchar mirrored_bracket(VynWchar c) {
  switch (c) {
    case u'(': return u')';
    case u')': return u'(';
    case u'<': return u'>';
    case u'>': return u'<';
    case u'[': return u']';
    case u']': return u'[';
    case u'{': return u'}';
    case u'}': return u'{';
    default: return c;
  }
}

}  // namespace

// ---- Basic functions

int wslen(const VynWchar* s) {
  const VynWchar* end = s;
  while (*end != 0) ++end;
  return static_cast<int>(end - s);
}

VynWchar* wscpy(VynWchar* dst, const VynWchar* src) {
  put(dst, src, wslen(src) + 1);
  return dst;
}

VynWchar* wscat(VynWchar* dst, const VynWchar* src) {
  wscpy(dst + wslen(dst), src);
  return dst;
}

VynWchar* wsncpy(VynWchar* dst, const VynWchar* src, int n) {
  int i = 0;
  for (; i < n && src[i]; ++i) dst[i] = src[i];
  for (; i < n; ++i) dst[i] = 0;
  return dst;
}

VynWchar* wsncat(VynWchar* dst, const VynWchar* src, int n) {
  if (n <= 0) return dst;
  VynWchar* end = dst + wslen(dst);
  int i = 0;
  for (; i < n && src[i]; ++i) end[i] = src[i];
  end[i] = 0;
  return dst;
}

int wscmp(const VynWchar* a, const VynWchar* b) { return wsncmp(a, b, -1); }

// A negative n compares whole strings.
int wsncmp(const VynWchar* a, const VynWchar* b, int n) {
  for (int i = 0; n < 0 || i < n; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
    if (a[i] == 0) return 0;
  }
  return 0;
}

VynWchar* wschr(const VynWchar* s, VynWchar c) {
  for (;; ++s) {
    if (*s == c) return const_cast<VynWchar*>(s);
    if (*s == 0) return nullptr;
  }
}

VynWchar* wsrchr(const VynWchar* s, VynWchar c) {
  const VynWchar* last = nullptr;
  for (;; ++s) {
    if (*s == c) last = s;
    if (*s == 0) return const_cast<VynWchar*>(last);
  }
}

VynWchar* wstrchr_two_tokens(const VynWchar* s, VynWchar c1, VynWchar c2) {
  if (!s) return nullptr;
  while (*s && *s != c1 && *s != c2) ++s;
  return const_cast<VynWchar*>(s);
}

// ---- Numbers

long watol(const VynWchar* s) {
  if (!s) return 0;
  Scratch scratch;
  long value = std::strtol(narrow_of(&scratch, s), nullptr, 10);
  scratch_release(&scratch);
  return value;
}

int watoi(const VynWchar* s) { return static_cast<int>(watol(s)); }

double watof(const VynWchar* s) {
  if (!s) return 0;
  Scratch scratch;
  double value = std::strtod(narrow_of(&scratch, s), nullptr);
  scratch_release(&scratch);
  return value;
}

namespace {

// Reads a number from s with one of the C library's wide parsers, which see the units
// of s as wide characters; the end they report maps back unit for unit.
template <typename Parse>
auto parse_c_wide(const VynWchar* s, VynWchar** end, Parse parse) {
  using Number = decltype(parse(nullptr, nullptr));
  if (!s) {
    if (end) *end = nullptr;
    return Number();
  }
  Scratch scratch;
  std::size_t units = static_cast<std::size_t>(wslen(s)) + 1;
  wchar_t* w = scratch_take<wchar_t>(&scratch, units);
  for (std::size_t i = 0; i < units; ++i) w[i] = static_cast<wchar_t>(s[i]);
  wchar_t* w_end = w;
  Number value = parse(w, &w_end);
  if (end) *end = const_cast<VynWchar*>(s) + (w_end - w);
  scratch_release(&scratch);
  return value;
}

}  // namespace

long vyn_wstrtol(const VynWchar* s, VynWchar** end, int base) {
  return parse_c_wide(s, end, [base](const wchar_t* w, wchar_t** w_end) {
    return std::wcstol(w, w_end, base);
  });
}

double vyn_wstrtod(const VynWchar* s, VynWchar** end) {
  return parse_c_wide(s, end, [](const wchar_t* w, wchar_t** w_end) {
    return std::wcstod(w, w_end);
  });
}

int vyn_wclen(VynWchar c) {
  char mb[8];
  return vyn_wctomb(mb, c);
}

// ---- Narrow arguments

VynWchar* wstrcat_s(VynWchar* dst, const char* narrow) {
  if (!dst) return nullptr;
  Scratch scratch;
  wscat(dst, widen(&scratch, narrow));
  scratch_release(&scratch);
  return dst;
}

VynWchar* wstrncat_s(VynWchar* dst, const char* narrow, int n) {
  if (!dst) return nullptr;
  Scratch scratch;
  wsncat(dst, widen(&scratch, narrow), n);
  scratch_release(&scratch);
  return dst;
}

int wstrcmp_s(const VynWchar* w, const char* narrow) { return wstrncmp_s(w, narrow, -1); }

int wstrncmp_s(const VynWchar* w, const char* narrow, int n) {
  if (!w) w = u"";
  Scratch scratch;
  int result = wsncmp(w, widen(&scratch, narrow), n);
  scratch_release(&scratch);
  return result;
}

// ---- Return buffers

char* str_ret(const VynWchar* w) {
  if (!w) {
    str_ret_buffer[0] = '\0';
    return str_ret_buffer;
  }
  if (wslen(w) > STR_LEN) {
    // "%ws" is the run-time formatter's wide string conversion; the compiler's printf
    // checker does not know it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
#pragma GCC diagnostic ignored "-Wformat-extra-args"
    dbg_crash_msg("str_ret", "string \"%ws\" is longer than STR_LEN", w);
#pragma GCC diagnostic pop
  }
  // The text is cut after the last whole character that fits the buffer.
  wstostr_bounded(str_ret_buffer, sizeof str_ret_buffer, w);
  return str_ret_buffer;
}

VynWchar* wstr_ret(const char* narrow) {
  if (!narrow) narrow = "";
  std::size_t n = std::strlen(narrow) + 1;
  wstr_ring_position = (wstr_ring_position + 1) % WSTR_RING;
  int slot = wstr_ring_position;
  if (wstr_ring_capacity[slot] < n) {
    if (wstr_ring[slot]) relmem(&wstr_ring[slot]);
    wstr_ring_capacity[slot] = n > WSTR_MIN_CAPACITY ? n : WSTR_MIN_CAPACITY;
    wstr_ring[slot] = static_cast<VynWchar*>(getmem(wstr_ring_capacity[slot] * sizeof(VynWchar)));
  }
  return strtows(wstr_ring[slot], narrow);
}

// ---- Tokens and replacement

VynWchar* wstok(VynWchar* s, const VynWchar* delims) {
  if (s) {
    wstok_position = s;
  } else if (!wstok_position) {
    return nullptr;
  }
  if (*wstok_position == 0) return nullptr;
  VynWchar* token = wstok_position;
  VynWchar* cut = find_any(token, delims);
  if (cut) {
    *cut = 0;
    wstok_position = cut + 1;
  } else {
    wstok_position = nullptr;
  }
  return token;
}

VynWchar* wstrtok_replace(VynWchar* out, const VynWchar* in, const VynWchar* token,
                          const VynWchar* repl) {
  if (!out || !in || !token || !repl) return nullptr;
  int index = searchwstr(in, token);
  if (index < 0) return nullptr;
  // in may lie inside out: read it from a copy.
  Scratch scratch;
  const VynWchar* source = wide_copy(&scratch, in);
  VynWchar* at = put(out, source, index);
  VynWchar* behind = put(at, repl, wslen(repl));
  wscpy(behind, source + index + wslen(token));
  scratch_release(&scratch);
  return out + index;
}

VynWchar* wstrtok_replace_all(VynWchar* out, const VynWchar* in, const VynWchar* token,
                              const VynWchar* repl) {
  if (!out || !in || !token || !repl) return nullptr;
  // An empty token would be found again behind every replacement without end.
  int token_length = wslen(token);
  if (token_length == 0) return nullptr;
  int index = searchwstr(in, token);
  if (index < 0) return nullptr;
  VynWchar* first = out + index;
  Scratch scratch;
  const VynWchar* rest = wide_copy(&scratch, in);
  int repl_length = wslen(repl);
  VynWchar* cursor = out;
  for (; index >= 0; index = searchwstr(rest, token)) {
    cursor = put(cursor, rest, index);
    cursor = put(cursor, repl, repl_length);
    rest += index + token_length;
  }
  wscpy(cursor, rest);
  scratch_release(&scratch);
  return first;
}

// ---- Case-insensitive comparison

int wu_strcmp(const VynWchar* a, const VynWchar* b) { return wu_compare(a, b, -1); }

int wu_strncmp(const VynWchar* a, const VynWchar* b, int n) {
  return n > 0 ? wu_compare(a, b, n) : 0;
}

int wu_strcmp_null(const VynWchar* a, const VynWchar* b) { return wu_strcmp(a, b); }

int wu_strcmp_s(const VynWchar* w, const char* narrow) { return wu_compare_s(w, narrow, -1); }

int wu_strncmp_s(const VynWchar* w, const char* narrow, int n) {
  return n > 0 ? wu_compare_s(w, narrow, n) : 0;
}

// ---- Case conversion

namespace {

// The 8-bit ranges of wuppercase and wlowercase, kept between calls: reading them costs
// six code-page conversions. They depend on the language and the system code page
// only, so a change of either reads them again.
Case8 single_case = CASE8_UNREAD;
int single_case_language = -1;
unsigned single_case_code_page = 0;

Case8* single_case_ranges() {
  int language = get_language();
  unsigned code_page = w32::GetACP();
  if (language != single_case_language || code_page != single_case_code_page) {
    single_case = CASE8_UNREAD;
    single_case_language = language;
    single_case_code_page = code_page;
  }
  return &single_case;
}

}  // namespace

VynWchar wuppercase(VynWchar c) {
  if (c < 0x80) return case_upper(nullptr, c);
  return case_upper(single_case_ranges(), c);
}

VynWchar wlowercase(VynWchar c) {
  if (c < 0x80) return case_lower(nullptr, c);
  return case_lower(single_case_ranges(), c);
}

int is_8bit_lang() {
  switch (get_language()) {
    case LANG_FRENCH:
    case LANG_GERMAN:
    case LANG_ITALIAN:
    case LANG_SPANISH: return 1;
    default: return 0;
  }
}

// A null source or destination writes nothing; the conversions then answer 0.
int wcnvrt_to_upper(const VynWchar* src, VynWchar* dst) {
  if (!src || !dst) return 0;
  convert_case(src, dst, -1, 1);
  return 1;
}

int wcnvrt_to_lower(const VynWchar* src, VynWchar* dst) {
  if (!src || !dst) return 0;
  convert_case(src, dst, -1, 0);
  return 1;
}

int wncnvrt_to_upper(const VynWchar* src, VynWchar* dst, int n) {
  if (!src || !dst) return 0;
  if (n > 0) convert_case(src, dst, n - 1, 1);
  return 1;
}

int wncnvrt_to_lower(const VynWchar* src, VynWchar* dst, int n) {
  if (!src || !dst) return 0;
  if (n > 0) convert_case(src, dst, n - 1, 0);
  return 1;
}

int wcnvrt_to_capital(const VynWchar* src, VynWchar* dst) {
  if (!src || !dst) return 0;
  convert_words(src, dst, 0);
  return 1;
}

int wcnvrt_to_title(const VynWchar* src, VynWchar* dst) {
  if (src && dst) convert_words(src, dst, 1);
  return 0;
}

void wuppercase_words(VynWchar* s) {
  if (!s) return;
  Case8 t = CASE8_UNREAD;
  int word_start = 1;
  for (; *s; ++s) {
    if (*s == u' ' || *s == u'/') {
      word_start = 1;
      continue;
    }
    if (word_start) *s = case_upper(&t, *s);
    word_start = 0;
  }
}

// ---- Character tests

int is_valid_wc(VynWchar c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
         c == u'_' || c == u'-';
}

int is_valid_character(char c) {
  return c >= 0 && is_valid_wc(static_cast<VynWchar>(c));
}

int iswsnum(const VynWchar* s) {
  if (!s) return 0;
  if (*s == u'+' || *s == u'-') ++s;
  for (; *s; ++s)
    if (!is_digit(*s)) return 0;
  return 1;
}

// ---- Formatter support

void take_care_of_precision(const char* spec, char* text) {
  if (!spec || !text) return;
  char copy[20];
  copy_cut(copy, spec, sizeof copy);
  char* percent = std::strchr(copy, '%');
  while (percent && percent[1] == '%') percent = std::strchr(percent + 1, '%');
  if (!percent) return;
  if (char* keyword = std::strchr(percent, 's')) *keyword = '\0';
  const char* point = std::strchr(percent, '.');
  if (!point) return;
  long precision = std::strtol(point + 1, nullptr, 10);
  if (precision < 0) return;
  cut_whole_characters(text, precision, get_language());
}

// ---- Display order

int get_display_string(const VynWchar* text, VynWchar** out) {
  if (!text || !out || !is_righttoleft_language(get_language())) return 0;
  int line_end = 0;
  while (text[line_end] && text[line_end] != LINE_FEED) ++line_end;
  std::size_t slots = static_cast<std::size_t>(line_end) + 2;

  int* bounds = static_cast<int*>(getmem(slots * sizeof(int)));
  int count = find_runs(text, line_end, bounds);

  NumberScan scan = {static_cast<int*>(getmem(2 * slots * sizeof(int))), 0, -1, -1};
  for (int k = 0; k < count; k += 2)
    find_numbers(text, bounds[k], run_end(bounds, count, k, line_end), &scan);

  // Numbers read left to right inside a right-to-left run: they are turned round
  // here so that reversing the run turns them back.
  VynWchar* working = nullptr;
  if (scan.count > 0) {
    working = make_wscopy(text);
    for (int i = 0; i < scan.count; ++i) {
      int length = scan.numbers[2 * i + 1];
      if (length > 1) reverse_units(working, scan.numbers[2 * i], length);
    }
  }
  const VynWchar* source = working ? working : text;

  VynWchar* display = make_wscopy(source);
  for (int k = 0; k < count; k += 2) {
    int start = bounds[k];
    int end = run_end(bounds, count, k, line_end);
    mirror_run(source, display, start, end);
    for (int i = start; i < end; ++i) display[i] = mirrored_bracket(display[i]);
  }

  relmem(&bounds);
  relmem(&scan.numbers);
  if (working) relmem(&working);
  *out = display;
  return 1;
}

void wstring_testing_reset() {
  str_ret_buffer[0] = '\0';
  for (int i = 0; i < WSTR_RING; ++i) {
    wstr_ring[i] = nullptr;
    wstr_ring_capacity[i] = 0;
  }
  wstr_ring_position = -1;
  wstok_position = nullptr;
  single_case = CASE8_UNREAD;
  single_case_language = -1;
  single_case_code_page = 0;
}

}  // namespace vek
