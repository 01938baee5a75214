#include "platform/w32/codepage.h"

#include <iconv.h>
#include <pthread.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstring>

#include "platform/w32/codepage_testing.h"
#include "platform/w32/error.h"

namespace w32 {

namespace {

// An inclusive byte range; low > high is an empty slot.
struct ByteRange {
  BYTE low;
  BYTE high;
};

constexpr ByteRange kNoRange = {0xFF, 0x00};

// One served code page. The lead and trail ranges are those of the Win32 tables: they
// answer IsDBCSLeadByteEx and decide how many bytes an undefined sequence spans, so
// that one bad character never swallows the valid one behind it.
struct CodePage {
  UINT id;
  const char* iconv_name;
  ByteRange lead[2];
  ByteRange trail[3];
  // Bytes that Win32 maps to the unit of the same value (C1 controls in the holes of
  // the single-byte pages) where iconv has no mapping; both directions.
  const char* identity_bytes;
};

constexpr CodePage kPages[] = {
    {932, "CP932", {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}, kNoRange}, ""},
    {936, "CP936", {{0x81, 0xFE}, kNoRange}, {{0x40, 0x7E}, {0x80, 0xFE}, kNoRange}, ""},
    {949, "CP949", {{0x81, 0xFE}, kNoRange}, {{0x41, 0x5A}, {0x61, 0x7A}, {0x81, 0xFE}}, ""},
    {950, "CP950", {{0x81, 0xFE}, kNoRange}, {{0x40, 0x7E}, {0xA1, 0xFE}, kNoRange}, ""},
    {1251, "CP1251", {kNoRange, kNoRange}, {kNoRange, kNoRange, kNoRange}, "\x98"},
    {1252, "CP1252", {kNoRange, kNoRange}, {kNoRange, kNoRange, kNoRange}, "\x81\x8D\x8F\x90\x9D"},
    {28598, "ISO-8859-8", {kNoRange, kNoRange}, {kNoRange, kNoRange, kNoRange}, ""},
    {CP_UTF8, "UTF-8", {kNoRange, kNoRange}, {kNoRange, kNoRange, kNoRange}, ""},
};

constexpr int kPageCount = static_cast<int>(sizeof kPages / sizeof kPages[0]);
constexpr UINT kDefaultSystemCodePage = 1252;
constexpr WCHAR kReplacementUnit = 0xFFFD;

// Opened on first use of a page and direction; null until then. The descriptors carry
// shift state, so every use holds g_lock (the launcher converts on two threads).
struct Converters {
  iconv_t to_wide;
  iconv_t from_wide;
};

Converters g_converters[kPageCount];
UINT g_system_code_page = kDefaultSystemCodePage;
pthread_mutex_t g_lock = PTHREAD_MUTEX_INITIALIZER;

int fail(DWORD code) {
  SetLastError(code);
  return 0;
}

int page_index(UINT code_page) {
  if (code_page == CP_ACP) code_page = g_system_code_page;
  for (int i = 0; i < kPageCount; ++i)
    if (kPages[i].id == code_page) return i;
  return -1;
}

bool in_ranges(const ByteRange* ranges, int count, BYTE byte) {
  for (int i = 0; i < count; ++i)
    if (byte >= ranges[i].low && byte <= ranges[i].high) return true;
  return false;
}

bool is_lead(const CodePage& page, BYTE byte) { return in_ranges(page.lead, 2, byte); }
bool is_trail(const CodePage& page, BYTE byte) { return in_ranges(page.trail, 3, byte); }

// The bytes, at most left, of the maximal subpart of a UTF-8 sequence that starts at
// at: the longest start of a well-formed sequence, or the one byte that starts none.
std::size_t utf8_subpart_length(const BYTE* at, std::size_t left) {
  BYTE lead = at[0];
  std::size_t trail_count;
  // The range of the second byte; later ones are 0x80-0xBF.
  BYTE low = 0x80;
  BYTE high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail_count = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail_count = 2;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail_count = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 1;
  }
  std::size_t n = 1;
  for (; n <= trail_count && n < left && at[n] >= low && at[n] <= high; ++n) {
    low = 0x80;
    high = 0xBF;
  }
  return n;
}

bool is_identity_byte(const CodePage& page, unsigned value) {
  if (value == 0 || value > 0xFF) return false;
  return std::strchr(page.identity_bytes, static_cast<int>(value)) != nullptr;
}

// The descriptor of a page and direction, opened when first asked; null when the C
// library lacks the encoding. Called with g_lock held.
iconv_t converter(int index, bool to_wide) {
  iconv_t* slot = to_wide ? &g_converters[index].to_wide : &g_converters[index].from_wide;
  if (*slot == nullptr) {
    iconv_t opened = to_wide ? iconv_open("UTF-16LE", kPages[index].iconv_name)
                             : iconv_open(kPages[index].iconv_name, "UTF-16LE");
    if (opened == reinterpret_cast<iconv_t>(-1)) return nullptr;
    *slot = opened;
  }
  return *slot;
}

// Where converted output goes: the caller's buffer up to its capacity, and a count of
// everything produced, which is the needed size when the buffer is too small or absent.
template <typename Unit>
struct Sink {
  Unit* dst;
  std::size_t capacity;
  std::size_t count;
};

template <typename Unit>
void put(Sink<Unit>* sink, const Unit* units, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i, ++sink->count)
    if (sink->dst != nullptr && sink->count < sink->capacity) sink->dst[sink->count] = units[i];
}

// Runs iconv over the input in slices. At each sequence that iconv refuses, on_bad
// decides how many input units it spans and what to put out instead (or fails).
// Slices stay short because glibc converts through an intermediate buffer: a refusal
// makes it convert the slice again up to the bad sequence, which on a whole long text
// would cost time in proportion to the text for every bad character.
template <typename In, typename Out, typename OnBad>
DWORD run_iconv(iconv_t cd, const In* src, std::size_t n, Sink<Out>* sink, OnBad on_bad) {
  constexpr std::size_t kSlice = 64;
  while (n > 0) {
    Out chunk[4 * kSlice];
    std::size_t slice = n < kSlice ? n : kSlice;
    char* in = reinterpret_cast<char*>(const_cast<In*>(src));
    std::size_t in_left = slice * sizeof(In);
    char* out = reinterpret_cast<char*>(chunk);
    std::size_t out_left = sizeof chunk;
    std::size_t result = iconv(cd, &in, &in_left, &out, &out_left);
    int error = errno;
    put(sink, chunk, (sizeof chunk - out_left) / sizeof(Out));
    std::size_t consumed = slice - in_left / sizeof(In);
    src += consumed;
    n -= consumed;
    if (result != static_cast<std::size_t>(-1) || error == E2BIG) continue;
    // A character cut by the end of the slice is read whole by the next one.
    if (error == EINVAL && consumed > 0 && n > in_left / sizeof(In)) continue;
    // EILSEQ, or EINVAL at the end of the input: forget any shift state and step over
    // the sequence.
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::size_t length = 1;
    DWORD code = on_bad(src, n, &length);
    if (code != ERROR_SUCCESS) return code;
    src += length;
    n -= length;
  }
  return ERROR_SUCCESS;
}

void lock() { pthread_mutex_lock(&g_lock); }
void unlock() { pthread_mutex_unlock(&g_lock); }

// The Win32 parameter rules shared by both directions: a source, a count of -1 or more
// than 0, a capacity of 0 or more with a destination unless it is 0, no conversion in
// place.
bool bad_arguments(const void* src, int count, const void* dst, int capacity) {
  return src == nullptr || count == 0 || count < -1 || capacity < 0 ||
         (dst == nullptr && capacity != 0) || dst == src;
}

// Converts n units of src with the page's descriptor for the direction; the count of
// output units, or 0 with the last error set.
template <typename In, typename Out, typename OnBad>
int convert(int index, bool to_wide, const In* src, std::size_t n, Sink<Out>* sink, OnBad on_bad) {
  lock();
  iconv_t cd = converter(index, to_wide);
  DWORD code = cd == nullptr ? ERROR_INVALID_PARAMETER : run_iconv(cd, src, n, sink, on_bad);
  unlock();
  if (code != ERROR_SUCCESS) return fail(code);
  if (sink->count > static_cast<std::size_t>(INT_MAX) ||
      (sink->dst != nullptr && sink->count > sink->capacity))
    return fail(ERROR_INSUFFICIENT_BUFFER);
  return static_cast<int>(sink->count);
}

}  // namespace

int MultiByteToWideChar(UINT code_page, DWORD flags, const char* src, int byte_count, WCHAR* dst,
                        int unit_capacity) {
  if (bad_arguments(src, byte_count, dst, unit_capacity)) return fail(ERROR_INVALID_PARAMETER);
  DWORD allowed = code_page == CP_UTF8 ? MB_ERR_INVALID_CHARS
                                       : MB_PRECOMPOSED | MB_USEGLYPHCHARS | MB_ERR_INVALID_CHARS;
  if ((flags & ~allowed) != 0) return fail(ERROR_INVALID_FLAGS);
  int index = page_index(code_page);
  if (index < 0) return fail(ERROR_INVALID_PARAMETER);
  const CodePage& page = kPages[index];
  std::size_t n = byte_count == -1 ? std::strlen(src) + 1 : static_cast<std::size_t>(byte_count);

  Sink<WCHAR> sink = {dst, static_cast<std::size_t>(unit_capacity), 0};
  auto on_bad = [&page, flags, &sink](const BYTE* at, std::size_t left, std::size_t* length) {
    if (page.id == CP_UTF8)
      *length = utf8_subpart_length(at, left);
    else if (is_lead(page, at[0]) && left >= 2 && is_trail(page, at[1]))
      *length = 2;
    WCHAR unit = kReplacementUnit;
    if (*length == 1 && is_identity_byte(page, at[0]))
      unit = at[0];
    else if (flags & MB_ERR_INVALID_CHARS)
      return ERROR_NO_UNICODE_TRANSLATION;
    put(&sink, &unit, 1);
    return ERROR_SUCCESS;
  };
  return convert(index, true, reinterpret_cast<const BYTE*>(src), n, &sink, on_bad);
}

int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* src, int unit_count, char* dst,
                        int byte_capacity, const char* default_char, BOOL* used_default) {
  if (bad_arguments(src, unit_count, dst, byte_capacity)) return fail(ERROR_INVALID_PARAMETER);
  bool utf8 = code_page == CP_UTF8;
  DWORD allowed = utf8 ? WC_ERR_INVALID_CHARS
                       : WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR | WC_COMPOSITECHECK |
                             WC_NO_BEST_FIT_CHARS;
  if ((flags & ~allowed) != 0) return fail(ERROR_INVALID_FLAGS);
  // Every character has a UTF-8 form, so there is no default to give or to report.
  if (utf8 && (default_char != nullptr || used_default != nullptr))
    return fail(ERROR_INVALID_PARAMETER);
  int index = page_index(code_page);
  if (index < 0) return fail(ERROR_INVALID_PARAMETER);
  const CodePage& page = kPages[index];
  std::size_t n = 0;
  if (unit_count == -1) {
    while (src[n] != 0) ++n;
    ++n;
  } else {
    n = static_cast<std::size_t>(unit_count);
  }

  // Only an unpaired surrogate is bad in UTF-8: it becomes U+FFFD.
  const char* replacement = utf8 ? "\xEF\xBF\xBD" : default_char ? default_char : "?";
  const BYTE* fallback = reinterpret_cast<const BYTE*>(replacement);
  std::size_t fallback_length =
      utf8 ? 3 : is_lead(page, fallback[0]) && fallback[1] != 0 ? 2 : 1;
  if (used_default != nullptr) *used_default = FALSE;

  Sink<BYTE> sink = {reinterpret_cast<BYTE*>(dst), static_cast<std::size_t>(byte_capacity), 0};
  auto on_bad = [&page, &sink, flags, fallback, fallback_length, used_default](
                    const WCHAR* at, std::size_t left, std::size_t* length) {
    if (flags & WC_ERR_INVALID_CHARS) return ERROR_NO_UNICODE_TRANSLATION;
    // A valid surrogate pair is one character that no served page holds.
    if (at[0] >= 0xD800 && at[0] <= 0xDBFF && left >= 2 && at[1] >= 0xDC00 && at[1] <= 0xDFFF)
      *length = 2;
    if (*length == 1 && is_identity_byte(page, at[0])) {
      BYTE byte = static_cast<BYTE>(at[0]);
      put(&sink, &byte, 1);
    } else {
      put(&sink, fallback, fallback_length);
      if (used_default != nullptr) *used_default = TRUE;
    }
    return ERROR_SUCCESS;
  };
  return convert(index, false, src, n, &sink, on_bad);
}

BOOL IsDBCSLeadByteEx(UINT code_page, BYTE byte) {
  int index = page_index(code_page);
  if (index < 0) return fail(ERROR_INVALID_PARAMETER);
  return is_lead(kPages[index], byte) ? TRUE : FALSE;
}

UINT GetACP() { return g_system_code_page; }

BOOL set_system_code_page(UINT code_page) {
  if (code_page == CP_ACP || code_page == CP_UTF8 || page_index(code_page) < 0)
    return fail(ERROR_INVALID_PARAMETER);
  g_system_code_page = code_page;
  return TRUE;
}

void codepage_testing_reset() {
  lock();
  for (Converters& c : g_converters) {
    if (c.to_wide != nullptr) iconv_close(c.to_wide);
    if (c.from_wide != nullptr) iconv_close(c.from_wide);
    c = Converters{nullptr, nullptr};
  }
  unlock();
  g_system_code_page = kDefaultSystemCodePage;
}

}  // namespace w32
