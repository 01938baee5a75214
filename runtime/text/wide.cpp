#include "runtime/text/wide.h"

#include <cctype>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "runtime/diag/console.h"
#include "runtime/diag/diag.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wide_testing.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr w32::UINT kJapaneseCodePage = 932;
constexpr VynWchar kReplacementUnit = 0xFFFD;
constexpr VynWchar kEuroSign = 0x20AC;
constexpr unsigned char kEuroByte = 0x80;
constexpr VynWchar kHebrewFirst = 0x05D0;  // alef
constexpr VynWchar kHebrewLast = 0x05EA;   // tav
constexpr int kHebrewOffset = 1264;        // byte 0xE0 is alef
// The bytes a wstostr character may take, and what one wide character needs at most.
constexpr std::size_t kBytesPerChar = MB_CHAR_MAX;

// Set by set_language for Japanese: vyn_wctomb then takes packed EUC codes.
int lang_is_japanese = 0;

// Code page 932 holds the IBM extension characters (lead bytes 0xFA-0xFC) twice: there
// and at their NEC-selected or JIS X 0208 place (lead bytes below 0xF0). Windows gives
// the IBM code, which has no JIS row and so no EUC form; the entry for an IBM code is
// its other code (0: none). Built on first need from the code page itself.
constexpr int kIbmLeadFirst = 0xFA;
constexpr int kIbmLeadLast = 0xFC;
std::uint16_t g_ibm_alternative[(kIbmLeadLast - kIbmLeadFirst + 1) * 256];
int g_ibm_alternatives_ready = 0;

VynWchar g_itowstr[16];

// ---- Output with a capacity

// A destination of capacity units, terminator included. Appends fail (and mark the text
// cut) when the units and the terminator would not fit; the text is always whole
// characters.
template <typename Unit>
struct Out {
  Unit* dst;
  std::size_t capacity;
  std::size_t length;
  bool cut;
};

template <typename Unit>
bool append(Out<Unit>* out, const Unit* units, std::size_t n) {
  if (out->cut || out->length + n + 1 > out->capacity) {
    out->cut = true;
    return false;
  }
  std::memcpy(out->dst + out->length, units, n * sizeof(Unit));
  out->length += n;
  return true;
}

template <typename Unit>
bool append_one(Out<Unit>* out, Unit unit) {
  return append(out, &unit, 1);
}

// Terminates the text; 1 when it was cut or there was no room at all.
template <typename Unit>
int finish(Out<Unit>* out) {
  if (out->capacity == 0) return 1;
  out->dst[out->length] = 0;
  return out->cut ? 1 : 0;
}

unsigned char byte_at(const char* s, std::size_t i) { return static_cast<unsigned char>(s[i]); }

bool in_range(int value, int low, int high) { return value >= low && value <= high; }

// The capacity the unbounded entry points promise: one unit a byte, four bytes a
// character, each with the terminator.
std::size_t room_for(const char* src) { return std::strlen(src) + 1; }
std::size_t room_for(const VynWchar* src) {
  return wstostr_room(static_cast<std::size_t>(wslen(src)));
}

w32::UINT current_code_page() { return static_cast<w32::UINT>(lang_get_code_page(-1)); }

// The packed code of one character's bytes: through euc_mb2wc for EUC, else the bytes
// high first.
VynWchar pack_bytes(const char* mb, int n, bool euc) {
  if (n <= 0) return 0;
  if (euc) {
    VynWchar code = 0;
    euc_mb2wc(&code, mb, n);
    return code;
  }
  if (n == 1) return byte_at(mb, 0);
  return static_cast<VynWchar>(byte_at(mb, 0) << 8 | byte_at(mb, 1));
}

// ---- Shift_JIS and EUC

void build_ibm_alternatives() {
  std::memset(g_ibm_alternative, 0, sizeof g_ibm_alternative);
  for (int lead = 0x81; lead < 0xF0; ++lead) {
    if (in_range(lead, 0xA0, 0xDF)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      VynWchar unit = 0;
      if (w32::MultiByteToWideChar(kJapaneseCodePage, w32::MB_ERR_INVALID_CHARS, pair, 2, &unit,
                                   1) != 1)
        continue;
      char back[kBytesPerChar];
      w32::BOOL used_default = w32::FALSE;
      int n = w32::WideCharToMultiByte(kJapaneseCodePage, 0, &unit, 1, back, sizeof back, nullptr,
                                       &used_default);
      if (n != 2 || used_default || !in_range(byte_at(back, 0), kIbmLeadFirst, kIbmLeadLast))
        continue;
      std::uint16_t* slot =
          &g_ibm_alternative[(byte_at(back, 0) - kIbmLeadFirst) * 256 + byte_at(back, 1)];
      if (*slot == 0) *slot = static_cast<std::uint16_t>(lead << 8 | trail);
    }
  }
  g_ibm_alternatives_ready = 1;
}

// One code-page-932 character (1 or 2 bytes) in EUC form into euc; its length.
// Half-width katakana go to code set 2, pairs through JIS to code set 1. Pairs without
// a JIS row (user-defined rows 0xF0-0xF9, IBM rows 0xFA-0xFC) take their duplicate
// below 0xF0 when there is one, else become '?': never bytes that are not EUC.
int sjis_char_to_euc(const char* sjis, int n, char* euc) {
  if (n == 1) {
    unsigned char c = byte_at(sjis, 0);
    if (in_range(c, 161, 223)) {
      euc[0] = static_cast<char>(0x8E);
      euc[1] = static_cast<char>(c);
      return 2;
    }
    euc[0] = static_cast<char>(c);
    return 1;
  }
  if (n != 2) {
    std::memcpy(euc, sjis, static_cast<std::size_t>(n));
    return n;
  }
  int c1 = byte_at(sjis, 0);
  int c2 = byte_at(sjis, 1);
  if (c1 >= 0xF0) {
    std::uint16_t other = 0;
    if (c1 >= kIbmLeadFirst && c1 <= kIbmLeadLast) {
      if (!g_ibm_alternatives_ready) build_ibm_alternatives();
      other = g_ibm_alternative[(c1 - kIbmLeadFirst) * 256 + c2];
    }
    if (other == 0) {
      euc[0] = '?';
      return 1;
    }
    c1 = other >> 8;
    c2 = other & 0xFF;
  }
  sjis2jis(&c1, &c2);
  euc[0] = static_cast<char>(c1 | 0x80);
  euc[1] = static_cast<char>(c2 | 0x80);
  return 2;
}

void unicode_to_euc(Out<char>* out, const VynWchar* src) {
  for (; *src != 0; ++src) {
    char sjis[kBytesPerChar];
    int n =
        w32::WideCharToMultiByte(kJapaneseCodePage, 0, src, 1, sjis, sizeof sjis, nullptr, nullptr);
    if (n < 1) {
      ivek_printf("unicode_str_to_euc_str:Error - %d\n", static_cast<int>(w32::GetLastError()));
      continue;
    }
    char euc[kBytesPerChar];
    if (!append(out, euc, static_cast<std::size_t>(sjis_char_to_euc(sjis, n, euc)))) return;
  }
}

// One EUC character at src through code page 932 into *unit; the bytes it took. A
// sequence that does not give exactly one character gives U+FFFD. 0xFF counts as the
// terminator, and nothing behind the terminator is taken.
std::size_t euc_char_to_unicode(const char* src, VynWchar* unit) {
  unsigned char c = byte_at(src, 0);
  unsigned char c2 = byte_at(src, 1);
  bool has_next = c2 != 0 && c2 != 0xFF;
  char bytes[2] = {static_cast<char>(c), static_cast<char>(c2)};
  int n = 1;
  std::size_t used = 1;
  *unit = kReplacementUnit;
  if (in_range(c, 161, 254)) {
    if (!has_next) return 1;  // a first byte without its second
    used = n = 2;
    if (in_range(c2, 161, 254)) {
      int j1 = c & 0x7F;
      int j2 = c2 & 0x7F;
      jis2sjis(&j1, &j2);
      bytes[0] = static_cast<char>(j1);
      bytes[1] = static_cast<char>(j2);
    }
  } else if (c == 0x8E && has_next) {
    used = 2;
    if (in_range(c2, 161, 223))
      bytes[0] = static_cast<char>(c2);
    else
      n = 2;
  } else if (c == 0x8F && in_range(c2, 161, 254) && in_range(byte_at(src, 2), 161, 254)) {
    return 3;  // code set 3 (JIS X 0212) has no place in code page 932
  }
  VynWchar units[2];
  if (w32::MultiByteToWideChar(kJapaneseCodePage, w32::MB_PRECOMPOSED, bytes, n, units, 2) == 1)
    *unit = units[0];
  return used;
}

void euc_to_unicode(Out<VynWchar>* out, const char* src) {
  std::size_t i = 0;
  while (src[i] != 0 && byte_at(src, i) != 0xFF) {
    VynWchar unit;
    i += euc_char_to_unicode(src + i, &unit);
    if (!append_one(out, unit)) return;
  }
}

// ---- The other paths of strtows and wstostr

void unicode_to_multibyte(Out<char>* out, const VynWchar* src) {
  for (; *src != 0; ++src) {
    char mb[kBytesPerChar];
    int n = vyn_wctomb(mb, *src);
    if (n < 1 || !append(out, mb, static_cast<std::size_t>(n))) return;
  }
}

void multibyte_to_unicode(Out<VynWchar>* out, const char* src) {
  std::size_t left = std::strlen(src);
  while (left > 0) {
    VynWchar unit;
    int n = vyn_mbtowc(&unit, src, left < 3 ? static_cast<int>(left) : 3);
    if (n < 1 || !append_one(out, unit)) return;
    src += n;
    left -= static_cast<std::size_t>(n);
  }
}

unsigned char hebrew_byte(VynWchar wc) {
  if (in_range(wc, kHebrewFirst, kHebrewLast))
    return static_cast<unsigned char>(wc - kHebrewOffset);
  return wc <= 0xFF ? static_cast<unsigned char>(wc) : '?';
}

unsigned char english_byte(VynWchar wc) {
  if (wc == kEuroSign) return kEuroByte;
  return wc <= 0xFF ? static_cast<unsigned char>(wc) : '?';
}

VynWchar hebrew_unit(unsigned char c) {
  return in_range(c, kHebrewFirst - kHebrewOffset, kHebrewLast - kHebrewOffset)
             ? static_cast<VynWchar>(c + kHebrewOffset)
             : c;
}

VynWchar english_unit(unsigned char c) { return c == kEuroByte ? kEuroSign : c; }

// The fixed maps, character by character.
template <typename Dst, typename Src, typename Map>
void map_each(Out<Dst>* out, const Src* src, Map map) {
  for (; *src != 0; ++src)
    if (!append_one(out, static_cast<Dst>(map(*src)))) return;
}

void hebrew_to_narrow(Out<char>* out, const VynWchar* src) { map_each(out, src, hebrew_byte); }
void english_to_narrow(Out<char>* out, const VynWchar* src) { map_each(out, src, english_byte); }
void hebrew_to_wide(Out<VynWchar>* out, const char* src) {
  map_each(out, src, [](char c) { return hebrew_unit(static_cast<unsigned char>(c)); });
}
void english_to_wide(Out<VynWchar>* out, const char* src) {
  map_each(out, src, [](char c) { return english_unit(static_cast<unsigned char>(c)); });
}

// The Windows error lines of strtows and wstostr; both print the same four.
void report_code_page_failure(const char* routine, w32::DWORD code) {
  switch (code) {
    case w32::ERROR_INVALID_PARAMETER:
      ivek_printf("%s", "wstostr:ERROR_INVALID_PARAMETER\n");
      break;
    case w32::ERROR_INSUFFICIENT_BUFFER:
      ivek_printf("%s", "wstostr:ERROR_INSUFFICIENT_BUFFER\n");
      break;
    case w32::ERROR_INVALID_FLAGS:
      ivek_printf("%s", "wstostr:ERROR_INVALID_FLAGS\n");
      break;
    case w32::ERROR_NO_UNICODE_TRANSLATION:
      ivek_printf("%s", "wstostr:ERROR_NO_UNICODE_TRANSLATION\n");
      break;
    default:
      ivek_printf("%s:Error - %d\n", routine, static_cast<int>(code));
      break;
  }
}

// One code-page call over the whole text with its terminator, straight into the
// destination. Only a destination smaller than the text needs more: then the text is
// converted into a scratch block and its whole characters copied while they fit.
// convert(dst, capacity) is the Win32 call; char_length(text, i) the units of the
// character at i of its result.
template <typename Unit, typename Convert, typename CharLength>
void convert_whole(Out<Unit>* out, const char* routine, Convert convert, CharLength char_length) {
  if (out->capacity == 0) {
    out->cut = true;
    return;
  }
  int n = convert(out->dst, out->capacity > INT_MAX ? INT_MAX : static_cast<int>(out->capacity));
  if (n > 0) {
    out->length = static_cast<std::size_t>(n - 1);  // the count holds the terminator
    return;
  }
  if (w32::GetLastError() != w32::ERROR_INSUFFICIENT_BUFFER) {
    report_code_page_failure(routine, w32::GetLastError());
    return;
  }
  int needed = convert(nullptr, 0);
  if (needed < 1) {
    report_code_page_failure(routine, w32::GetLastError());
    return;
  }
  Unit* scratch = static_cast<Unit*>(getmem(static_cast<std::size_t>(needed) * sizeof(Unit)));
  n = convert(scratch, needed);
  for (std::size_t i = 0; n > 0 && i + 1 < static_cast<std::size_t>(n);) {
    std::size_t length = char_length(scratch, i);
    if (!append(out, scratch + i, length)) break;
    i += length;
  }
  out->cut = true;
  rlsmem(scratch);
}

void code_page_to_narrow(Out<char>* out, const VynWchar* src, w32::UINT code_page) {
  auto convert = [src, code_page](char* dst, int capacity) {
    return w32::WideCharToMultiByte(code_page, w32::WC_COMPOSITECHECK | w32::WC_DEFAULTCHAR, src,
                                    -1, dst, capacity, nullptr, nullptr);
  };
  auto char_length = [code_page](const char* text, std::size_t i) -> std::size_t {
    return w32::IsDBCSLeadByteEx(code_page, byte_at(text, i)) && text[i + 1] != 0 ? 2 : 1;
  };
  convert_whole(out, "wstostr", convert, char_length);
}

void code_page_to_wide(Out<VynWchar>* out, const char* src, w32::UINT code_page) {
  auto convert = [src, code_page](VynWchar* dst, int capacity) {
    return w32::MultiByteToWideChar(code_page, w32::MB_PRECOMPOSED, src, -1, dst, capacity);
  };
  auto char_length = [](const VynWchar* text, std::size_t i) -> std::size_t {
    return in_range(text[i], 0xD800, 0xDBFF) && in_range(text[i + 1], 0xDC00, 0xDFFF) ? 2 : 1;
  };
  convert_whole(out, "strtows", convert, char_length);
}

// The paths of one direction, one per kind of language.
template <typename Dst, typename Src>
struct Paths {
  const char* null_message;
  void (*japanese)(Out<Dst>*, const Src*);
  void (*hebrew)(Out<Dst>*, const Src*);
  void (*code_page)(Out<Dst>*, const Src*, w32::UINT);
  void (*english)(Out<Dst>*, const Src*);
  void (*other)(Out<Dst>*, const Src*);
};

constexpr Paths<char, VynWchar> kToNarrow = {"WSTOSTR :  Illegal NULL pointer !!!",
                                             unicode_to_euc,
                                             hebrew_to_narrow,
                                             code_page_to_narrow,
                                             english_to_narrow,
                                             unicode_to_multibyte};
constexpr Paths<VynWchar, char> kToWide = {"STRTOWS :  Illegal NULL pointer !!!",
                                           euc_to_unicode,
                                           hebrew_to_wide,
                                           code_page_to_wide,
                                           english_to_wide,
                                           multibyte_to_unicode};

// Converts by the language of the moment; 1 when the text was cut.
template <typename Dst, typename Src>
int convert_by_language(const Paths<Dst, Src>& paths, Dst* dst, std::size_t capacity,
                        const Src* src) {
  if (dst == nullptr || src == nullptr) {
    ivek_printf("%s", paths.null_message);
    if (dst != nullptr && capacity > 0) dst[0] = 0;
    return 0;
  }
  Out<Dst> out = {dst, capacity, 0, false};
  int language = get_language();
  if (language == LANG_JAPANESE)
    paths.japanese(&out, src);
  else if (language == LANG_HEBREW)
    paths.hebrew(&out, src);
  else if (language == LANG_RUSSIAN || is_multibyte_language(language))
    paths.code_page(&out, src, static_cast<w32::UINT>(lang_get_code_page(language)));
  else if (language == LANG_ENGLISH)
    paths.english(&out, src);
  else
    paths.other(&out, src);
  return finish(&out);
}

// One path into the room the unbounded entry points promise; a null src empties dst.
template <typename Dst, typename Src>
Dst* convert_in_room(Dst* dst, const Src* src, void (*path)(Out<Dst>*, const Src*)) {
  if (dst == nullptr) return dst;
  Out<Dst> out = {dst, src ? room_for(src) : 1, 0, false};
  if (src != nullptr) path(&out, src);
  finish(&out);
  return dst;
}

}  // namespace

// ---- Strings by the current language

int wstostr_bounded(char* dst, std::size_t capacity, const VynWchar* src) {
  return convert_by_language(kToNarrow, dst, capacity, src);
}

int strtows_bounded(VynWchar* dst, std::size_t capacity, const char* src) {
  return convert_by_language(kToWide, dst, capacity, src);
}

char* wstostr(char* dst, const VynWchar* src) {
  wstostr_bounded(dst, src ? room_for(src) : 1, src);
  return dst;
}

VynWchar* strtows(VynWchar* dst, const char* src) {
  strtows_bounded(dst, src ? room_for(src) : 1, src);
  return dst;
}

VynWchar* vyn_str_to_wstr(VynWchar* dst, const char* src) { return strtows(dst, src); }

char* vyn_wstr_to_str(char* dst, const VynWchar* src) { return wstostr(dst, src); }

char* unicode_str_to_euc_str(char* dst, const VynWchar* src) {
  return convert_in_room(dst, src, unicode_to_euc);
}

VynWchar* euc_str_to_unicode_str(VynWchar* dst, const char* src) {
  return convert_in_room(dst, src, euc_to_unicode);
}

char* unicode_str_to_multibyte_str(char* dst, const VynWchar* src) {
  return convert_in_room(dst, src, unicode_to_multibyte);
}

// ---- Single characters

int vyn_wctomb(char* mb, VynWchar wc) {
  if (mb == nullptr) return -1;
  if (lang_is_japanese) return euc_wc2mb(mb, wc);
  int n =
      w32::WideCharToMultiByte(current_code_page(), 0, &wc, 1, mb, kBytesPerChar, nullptr, nullptr);
  if (n < 1) {
    ivek_printf("vyn_wctomb:Error - %d\n", static_cast<int>(w32::GetLastError()));
    return -1;
  }
  return n;
}

int vyn_mbtowc(VynWchar* wc, const char* mb, int n) {
  if (mb == nullptr) return -1;
  unsigned char first = byte_at(mb, 0);
  if (wc == nullptr) return euc_char_length(first);
  if (get_language() == LANG_JAPANESE) {
    int used = euc_mb2wc(wc, mb, n < 0 ? INT_MAX : n);
    return used < 1 ? -1 : used;
  }
  w32::UINT code_page = current_code_page();
  int length = w32::IsDBCSLeadByteEx(code_page, first) ? 2 : 1;
  if (n != -1 && length > n) {
    // The bytes beyond n are not the caller's to give: the character cannot be read.
    dbg_err_syserr("vyn_mbtowc",
                   "input spec says convert <=%d bytes; local rule says convert more (%d)", n,
                   length);
    return -1;
  }
  VynWchar unit;
  if (w32::MultiByteToWideChar(code_page, w32::MB_PRECOMPOSED, mb, length, &unit, 1) != 1) {
    ivek_printf("vyn_mbtowc:Error - %d\n", static_cast<int>(w32::GetLastError()));
    return -1;
  }
  *wc = unit;
  return length;
}

VynWchar unicode_to_wchar(VynWchar wc) {
  int language = get_language();
  if (language != LANG_HEBREW && !is_multibyte_language(language)) return wc;
  const VynWchar wide[2] = {wc, 0};
  char narrow[wstostr_room(1)];
  wstostr_bounded(narrow, sizeof narrow, wide);
  return pack_bytes(narrow, static_cast<int>(std::strlen(narrow)), language == LANG_JAPANESE);
}

int wc_to_sigma_wc(VynWchar* out, VynWchar wc) {
  if (out == nullptr) return -1;
  if (!is_multibyte_language(get_language())) {
    *out = wc;
    return 1;
  }
  char mb[kBytesPerChar];
  int n = vyn_wctomb(mb, wc);
  if (n < 1) return -1;
  *out = pack_bytes(mb, n, lang_is_japanese != 0);
  return 1;
}

int wc16towc32(VynWchar* code) {
  if (code == nullptr) return 0;
  if (!is_multibyte_language(get_language())) return 1;
  char mb[kBytesPerChar];
  mb[euc_wc2mb(mb, *code)] = '\0';
  VynWchar wide[kBytesPerChar];
  strtows_bounded(wide, kBytesPerChar, mb);
  *code = wide[0];
  return 1;
}

int wc32towc16(VynWchar*) { return 1; }

int hexjistowc(VynWchar* wc, const char* text) {
  if (wc == nullptr) return 0;
  unsigned high = 0;
  unsigned low = 0;
  if (get_language() != LANG_JAPANESE || text == nullptr ||
      std::sscanf(text, "%2x%2x", &high, &low) < 2) {
    *wc = 0;
    return 0;
  }
  unsigned code = 0;
  if (high != 0) {
    code = (high + 128) << 8;
    low += 128;
  }
  if (low != 0) code |= low;
  *wc = static_cast<VynWchar>(code);
  wc16towc32(wc);
  return 1;
}

int wctohexjis(char* text, const VynWchar* wc) {
  if (text == nullptr) return 0;
  if (wc == nullptr || get_language() != LANG_JAPANESE) {
    std::memcpy(text, "0000", 5);
    return 0;
  }
  unsigned code = unicode_to_wchar(*wc);
  unsigned high = code >> 8;
  unsigned low = code & 0xFF;
  if (high > 128) {
    high -= 128;
    // A code-set-3 code has bit 7 of its low byte clear; there is nothing to take off.
    if (low >= 128) low -= 128;
  }
  std::snprintf(text, 5, "%02x%02x", high, low);
  return 1;
}

int _iswctype(int wc, int type) { return type == 8 && wc == 0xA1A1 ? 1 : 0; }

int vyn_iswprint(int wc) {
  if (wc > 127) return 1;
  return wc >= 0 && std::isprint(wc) ? 1 : 0;
}

int vyn_iswgraph(int wc) {
  if (wc > 127) return 1;
  return wc >= 0 && std::isgraph(wc) ? 1 : 0;
}

// ---- EUC, JIS and Shift_JIS

int euc_wc2mb(char* mb, VynWchar code) {
  if (mb == nullptr) return 0;
  char high = static_cast<char>(code >> 8);
  char low = static_cast<char>(code & 0xFF);
  if ((code & 0x8000) && (code & 0x80)) {
    mb[0] = high;
    mb[1] = low;
    return 2;
  }
  if (code & 0x8000) {
    mb[0] = static_cast<char>(0x8F);
    mb[1] = high;
    mb[2] = static_cast<char>(low | 0x80);
    return 3;
  }
  if (code & 0x80) {
    mb[0] = static_cast<char>(0x8E);
    mb[1] = low;
    return 2;
  }
  mb[0] = low;
  return 1;
}

int euc_mb2wc(VynWchar* wc, const char* mb, int n) {
  if (mb == nullptr) return 0;
  unsigned c = byte_at(mb, 0);
  int length = euc_char_length(static_cast<unsigned char>(c));
  if (length > n) return 0;
  // A character cut short by the terminator gives what it has; nothing behind the
  // terminator is read.
  unsigned code = c;
  int used = 1;
  if (c > 127 && mb[1] != 0) {
    unsigned c2 = byte_at(mb, 1);
    used = 2;
    if (c == 0x8E) {
      code = c2 | 0x80;
    } else if (c == 0x8F) {
      code = c2;
      if (mb[2] != 0) {
        code = 0x8000 | c2 << 8 | (byte_at(mb, 2) & 0x7F);
        used = 3;
      }
    } else {
      code = (c << 8 | c2) | 0x8080;
    }
  }
  if (wc != nullptr) *wc = static_cast<VynWchar>(code);
  return used;
}

VynWchar wc_jis2euc(VynWchar code) {
  return code < 256 ? code : static_cast<VynWchar>(code | 0x8080);
}

VynWchar wc_jis2euc__codeset3(VynWchar code) {
  return code < 256 ? code : static_cast<VynWchar>(code | 0x8000);
}

VynWchar wc_euc2jis(VynWchar code) {
  return code < 256 ? code : static_cast<VynWchar>(code & 0x7F7F);
}

void jis2sjis(int* c1, int* c2) {
  if (c1 == nullptr || c2 == nullptr || *c1 == 0) return;
  int row = *c1;
  // Odd rows take the first half of the trail range (skipping 0x7F), even rows the
  // second half.
  if (row & 1)
    *c2 += *c2 < 0x60 ? 31 : 32;
  else
    *c2 += 126;
  *c1 = ((row + 1) >> 1) + (row < 95 ? 112 : 176);
}

void sjis2jis(int* c1, int* c2) {
  if (c1 == nullptr || c2 == nullptr || *c1 == 0) return;
  int odd_row = *c2 < 159 ? 1 : 0;
  int offset = *c1 < 160 ? 112 : 176;
  int cell = odd_row ? (*c2 > 127 ? 32 : 31) : 126;
  *c1 = (*c1 - offset) * 2 - odd_row;
  *c2 -= cell;
}

int sjis_to_euc(const char* src, int capacity, char* dst, int* count) {
  if (count != nullptr) *count = 0;
  if (dst == nullptr || capacity < 1) return 1;
  Out<char> out = {dst, static_cast<std::size_t>(capacity), 0, false};
  int characters = 0;
  for (std::size_t i = 0; src != nullptr && src[i] != 0;) {
    unsigned char c = byte_at(src, i);
    unsigned char c2 = byte_at(src, i + 1);
    char euc[kBytesPerChar];
    int n = 1;
    std::size_t used = 1;
    bool lead = in_range(c, 0x81, 0x9F) || in_range(c, 0xE0, 0xEF);
    bool valid_trail = in_range(c2, 64, 252);
    // The rows from 0xF0 hold no JIS character; only their whole pairs are converted.
    if ((lead && valid_trail) || (in_range(c, 0xF0, 0xFC) && valid_trail)) {
      n = sjis_char_to_euc(src + i, 2, euc);
      used = 2;
    } else if (lead && c2 != 0) {
      euc[0] = static_cast<char>(c);
      euc[1] = static_cast<char>(c2);
      used = n = 2;
    } else {
      n = sjis_char_to_euc(src + i, 1, euc);
    }
    if (!append(&out, euc, static_cast<std::size_t>(n))) break;
    ++characters;
    i += used;
  }
  if (count != nullptr) *count = characters;
  return finish(&out);
}

char* make_sjistoeuc(const char* src) {
  if (src == nullptr) return nullptr;
  std::size_t size = 3 * std::strlen(src) + 1;
  char* euc = static_cast<char*>(getmem(size));
  int count = 0;
  sjis_to_euc(src, size > INT_MAX ? INT_MAX : static_cast<int>(size), euc, &count);
  return static_cast<char*>(relocmem(euc, std::strlen(euc) + 1));
}

// ---- Small helpers

VynWchar* itowstr(int n) {
  char digits[sizeof g_itowstr / sizeof g_itowstr[0]];
  std::snprintf(digits, sizeof digits, "%d", n);
  std::size_t i = 0;
  for (; digits[i] != 0; ++i) g_itowstr[i] = static_cast<VynWchar>(digits[i]);
  g_itowstr[i] = 0;
  return g_itowstr;
}

VynWchar* ws_sub_wc(const VynWchar* src, VynWchar* dst, VynWchar from, VynWchar to) {
  if (dst == nullptr) return nullptr;
  if (src == nullptr) {
    dst[0] = 0;
    return nullptr;
  }
  std::size_t i = 0;
  for (; src[i] != 0; ++i) dst[i] = src[i] == from ? to : src[i];
  dst[i] = 0;
  return dst;
}

int searchwstr(const VynWchar* s, const VynWchar* sub) {
  return find_mapped(s, sub, [](VynWchar c) { return c; });
}

int set_japanese_for_wchar_conv(int value) {
  int previous = lang_is_japanese;
  lang_is_japanese = value;
  return previous;
}

int get_japanese_for_wchar_conv() { return lang_is_japanese; }

void wide_testing_reset() {
  lang_is_japanese = 0;
  g_ibm_alternatives_ready = 0;
  g_itowstr[0] = 0;
}

int mb_lead_len(unsigned char lead, int language) {
  if (lead < 0x80 || !is_multibyte_language(language)) return 1;
  if (language == LANG_JAPANESE) return euc_char_length(lead);
  int code_page = lang_get_code_page(language);
  return w32::IsDBCSLeadByteEx(static_cast<w32::UINT>(code_page), lead) ? 2 : 1;
}

int mb_char_len(const char* p, int language) {
  if (*p == 0) return 0;
  int n = mb_lead_len(static_cast<unsigned char>(*p), language);
  for (int i = 1; i < n; ++i) {
    if (!p[i]) return i;
  }
  return n;
}

long whole_characters_within(const char* text, long max_bytes, int language) {
  long kept = 0;
  while (text[kept]) {
    int n = mb_char_len(text + kept, language);
    if (kept + n > max_bytes) break;
    kept += n;
  }
  return kept;
}

int cut_whole_characters(char* text, long max_bytes, int language) {
  long kept = whole_characters_within(text, max_bytes, language);
  text[kept] = '\0';
  return static_cast<int>(kept);
}

}  // namespace vek
