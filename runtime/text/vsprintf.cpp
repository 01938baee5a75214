#include "runtime/text/vsprintf.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fileaccess/backends/pfu.h"
#include "runtime/diag/console.h"
#include "runtime/diag/msgtool.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/lang.h"
#include "runtime/text/strutil.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vsprintf_internal.h"
#include "runtime/text/vsprintf_testing.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

enum : int {
  PRINT_INT = 1,
  PRINT_DOUBLE = 2,
  PRINT_STRING = 3,
  PRINT_WSTRING = 4,
  PRINT_DIR_PATH = 6,
  PRINT_FILE_PATH = 7,
  // The "l" forms of the integer keywords: a long, as the C library reads them, which
  // is pointer-wide here, so that addresses print whole.
  PRINT_LONG = 8,
};

// Matched in this order; a keyword matches from its first letter, so "ld" is never
// taken for "d" and "ws" never for "s".
constexpr ConvSpecDef conv_spec_def[] = {
    {"d", nullptr, PRINT_INT},      {"f", nullptr, PRINT_DOUBLE},
    {"lf", nullptr, PRINT_DOUBLE},  {"s", nullptr, PRINT_STRING},
    {"ws", "s", PRINT_WSTRING},     {"e", nullptr, PRINT_DOUBLE},
    {"g", nullptr, PRINT_DOUBLE},   {"c", nullptr, PRINT_INT},
    {"i", nullptr, PRINT_INT},      {"o", nullptr, PRINT_INT},
    {"u", nullptr, PRINT_INT},      {"x", nullptr, PRINT_INT},
    {"ld", nullptr, PRINT_LONG},    {"li", nullptr, PRINT_LONG},
    {"lo", nullptr, PRINT_LONG},    {"lu", nullptr, PRINT_LONG},
    {"lx", nullptr, PRINT_LONG},    {"pd", "s", PRINT_DIR_PATH},
    {"pf", "s", PRINT_FILE_PATH},
};
constexpr int spec_number = 19;
static_assert(sizeof conv_spec_def / sizeof conv_spec_def[0] == spec_number);

bool is_spec_flag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }

// Capital conversions that the C library reads with the argument type of the lower-case
// one; every other keyword is handed over in lower case.
bool is_capital_conversion(char c) { return c == 'X' || c == 'E' || c == 'F' || c == 'G'; }

// Values closer to zero than this print as zero.
constexpr double PRINT_ZERO_LIMIT = 1e-30;

// The buffers of one formatting call. A call that starts while another one formats
// (a report made from inside a conversion) takes the next level, so the outer text
// survives. Two text buffers take turns: a call without destination hands out the one
// it formatted into and formats into the other next time, so the text handed out stays
// intact while the next call formats and may be passed to it as an argument.
struct VsprintfLevel {
  TextBuffer texts[2];
  int result;         // which of texts was handed out last
  TextBuffer narrow;  // the narrow form of a "%ws" argument
};

constexpr int VSPRINTF_LEVELS = 4;
// Buffers start in static storage, big enough for any report, so that formatting
// leaves the memory chain alone; longer texts move to a memory block.
constexpr int VSPRINTF_STATIC_SIZE = 2048;

VsprintfLevel p_vsprintf_buffers[VSPRINTF_LEVELS];
char vsprintf_static_texts[VSPRINTF_LEVELS][3][VSPRINTF_STATIC_SIZE];
int vsprintf_depth;

TextBuffer* attached(TextBuffer* buffer, char* storage) {
  if (!buffer->text) *buffer = TextBuffer{storage, VSPRINTF_STATIC_SIZE, 0, false};
  return buffer;
}

TextBuffer* output_of(int depth) {
  VsprintfLevel* level = &p_vsprintf_buffers[depth];
  int which = 1 - level->result;
  return attached(&level->texts[which], vsprintf_static_texts[depth][which]);
}

TextBuffer* narrow_of(int depth) {
  return attached(&p_vsprintf_buffers[depth].narrow, vsprintf_static_texts[depth][2]);
}

bool append(TextBuffer* buffer, const char* bytes, long n) {
  if (!text_reserve(buffer, buffer->length + n + 1, VSPRINTF_MAX_TEXT + 1L)) return false;
  std::memcpy(buffer->text + buffer->length, bytes, static_cast<std::size_t>(n));
  buffer->length += static_cast<int>(n);
  return true;
}

// Formats one value behind the text; when it did not fit, the buffer grows to the size
// the C library measured and the value is formatted again. Width and precision were
// bounded before, so that size stays within one call's text. The piece is terminated.
template <typename T>
bool append_formatted(TextBuffer* buffer, const char* spec, T value) {
  std::size_t room = static_cast<std::size_t>(buffer->size - buffer->length);
  int n = std::snprintf(buffer->text + buffer->length, room, spec, value);
  if (n < 0) return false;
  if (static_cast<std::size_t>(n) >= room) {
    long need = buffer->length + static_cast<long>(n) + 1;
    if (!text_reserve(buffer, need, VSPRINTF_MAX_TEXT + 1L)) return false;
    room = static_cast<std::size_t>(buffer->size - buffer->length);
    std::snprintf(buffer->text + buffer->length, room, spec, value);
  }
  buffer->length += n;
  return true;
}

bool spec_put(char* spec, int* length, char c) {
  if (*length >= VSPRINTF_SPEC_SIZE - 1) return false;
  spec[(*length)++] = c;
  spec[*length] = '\0';
  return true;
}

// Width, precision (-1 when none) and justification of a conversion spec whose "*" were
// put in; counts too big for one call's text read as VSPRINTF_MAX_TEXT + 1.
struct SpecNumbers {
  long width;
  long precision;
  bool left;
  bool other_flags;  // any flag but '-'
  char conversion;   // the last letter
};

SpecNumbers read_spec_numbers(const char* spec) {
  SpecNumbers numbers = {0, -1, false, false, '\0'};
  const char* p = spec + 1;
  while (is_spec_flag(*p)) {
    if (*p == '-') {
      numbers.left = true;
    } else {
      numbers.other_flags = true;
    }
    ++p;
  }
  numbers.width = read_bounded_number(&p, VSPRINTF_MAX_TEXT);
  if (*p == '.') {
    ++p;
    numbers.precision = read_bounded_number(&p, VSPRINTF_MAX_TEXT);
  }
  while (*p) numbers.conversion = *p++;
  return numbers;
}

// The plain conversions are made here: the C library pads "%s" and a "%d" without
// precision or flags other than '-' with blanks only, and calling it costs more than
// the conversion itself.
bool append_padded(TextBuffer* out, const char* text, long n, const SpecNumbers& numbers) {
  long pad = numbers.width > n ? numbers.width - n : 0;
  if (!text_reserve(out, out->length + n + pad + 1, VSPRINTF_MAX_TEXT + 1L)) return false;
  char* at = out->text + out->length;
  if (!numbers.left) {
    std::memset(at, ' ', static_cast<std::size_t>(pad));
    at += pad;
  }
  std::memcpy(at, text, static_cast<std::size_t>(n));
  at += n;
  if (numbers.left) std::memset(at, ' ', static_cast<std::size_t>(pad));
  out->length += static_cast<int>(n + pad);
  return true;
}

bool append_string(TextBuffer* out, const char* spec, const char* text,
                   const SpecNumbers& numbers) {
  if (numbers.other_flags) return append_formatted(out, spec, text);
  // Only the bytes within the precision are read, as the C library reads them.
  std::size_t n = numbers.precision >= 0
                      ? strnlen(text, static_cast<std::size_t>(numbers.precision))
                      : std::strlen(text);
  return append_padded(out, text, static_cast<long>(n), numbers);
}

template <typename T>
bool append_integer(TextBuffer* out, const char* spec, T value, const SpecNumbers& numbers) {
  bool plain_decimal = (numbers.conversion == 'd' || numbers.conversion == 'i') &&
                       !numbers.other_flags && numbers.precision < 0;
  if (!plain_decimal) return append_formatted(out, spec, value);
  char digits[24];
  char* end = digits + sizeof digits;
  char* p = end;
  unsigned long magnitude = value < 0 ? 0UL - static_cast<unsigned long>(value)
                                      : static_cast<unsigned long>(value);
  do {
    *--p = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  if (value < 0) *--p = '-';
  return append_padded(out, p, end - p, numbers);
}

// Puts the "*" values in, in argument order, into out (VSPRINTF_SPEC_SIZE bytes). A
// negative width reads as the '-' flag with its magnitude, as in C; a negative
// precision counts as none, so ".*" is dropped.
bool put_star_values(const char* spec, char* out, std::va_list* args) {
  int length = 0;
  out[0] = '\0';
  for (const char* p = spec; *p; ++p) {
    if (*p != '*') {
      if (!spec_put(out, &length, *p)) return false;
      continue;
    }
    int value = va_arg(*args, int);
    if (p > spec && p[-1] == '.' && value < 0) {
      out[--length] = '\0';
      continue;
    }
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", value);
    for (const char* d = digits; *d; ++d) {
      if (!spec_put(out, &length, *d)) return false;
    }
  }
  return true;
}

bool format_path(TextBuffer* out, const char* spec, const char* path,
                 const SpecNumbers& numbers) {
  if (!path) return false;
  int language = get_language();
  char buffer[PFU_PATH_SIZE];
  if (strcpy_limit(path, PFU_PATH_SIZE, buffer)) {
    dbg_crash_msg("WSTRCOPY_X", "OVERFLOW.");
    // Go on with the whole characters that fit.
    long kept = whole_characters_within(path, PFU_PATH_SIZE - 1, language);
    std::memcpy(buffer, path, static_cast<std::size_t>(kept));
    buffer[kept] = '\0';
  }
  pfu_path_to_os(buffer, PFU_OS_WINDOWS);
  return append_string(out, spec, buffer, numbers);
}

bool format_piece(int depth, const char* spec, int type, std::va_list* args) {
  SpecNumbers numbers = read_spec_numbers(spec);
  if (numbers.width > VSPRINTF_MAX_TEXT) return false;
  if (numbers.precision > VSPRINTF_MAX_TEXT) {
    // A number would need that many digits; a text is only cut by a precision, and one
    // beyond the limit cuts nothing ("%.*s" with INT_MAX).
    if (type == PRINT_INT || type == PRINT_LONG || type == PRINT_DOUBLE) return false;
    numbers.precision = -1;
  }
  TextBuffer* out = output_of(depth);
  switch (type) {
    case PRINT_INT:
      return append_integer(out, spec, va_arg(*args, int), numbers);
    case PRINT_LONG:
      return append_integer(out, spec, va_arg(*args, long), numbers);
    case PRINT_DOUBLE: {
      double value = va_arg(*args, double);
      // NaN fails the comparison and prints as zero too.
      if (!(std::fabs(value) >= PRINT_ZERO_LIMIT)) value = 0.0;
      int start = out->length;
      if (!append_formatted(out, spec, value)) return false;
      char c = numbers.conversion;
      if (c == 'e' || c == 'E' || c == 'g' || c == 'G') {
        out->length = start + trim_exponent_zero(out->text + start, spec);
      }
      return true;
    }
    case PRINT_STRING: {
      const char* text = va_arg(*args, const char*);
      return text && append_string(out, spec, text, numbers);
    }
    case PRINT_WSTRING: {
      const VynWchar* wide = va_arg(*args, const VynWchar*);
      if (!wide) return false;
      TextBuffer* narrow = narrow_of(depth);
      long room = static_cast<long>(wstostr_room(static_cast<std::size_t>(wslen(wide))));
      if (!text_reserve(narrow, room, VSPRINTF_MAX_TEXT + 1L)) return false;
      wstostr(narrow->text, wide);
      // The C library counts the precision in bytes: cut at a whole character first,
      // so that it never splits one.
      if (numbers.precision >= 0) {
        cut_whole_characters(narrow->text, numbers.precision, get_language());
      }
      return append_string(out, spec, narrow->text, numbers);
    }
    case PRINT_DIR_PATH:
    case PRINT_FILE_PATH:
      return format_path(out, spec, va_arg(*args, const char*), numbers);
    default:
      return false;
  }
}

bool format_text(int depth, const char* format, std::va_list* args) {
  TextBuffer* out = output_of(depth);
  out->length = 0;
  // The language is asked for only when the text needs it: a byte from 0x80 up may
  // begin a multibyte character, whose later bytes must not be read as '%'.
  int language = -1;
  const char* p = format;
  while (*p) {
    if (*p != '%') {
      const char* start = p;
      while (*p && *p != '%') {
        if (static_cast<unsigned char>(*p) < 0x80) {
          ++p;
          continue;
        }
        if (language < 0) language = get_language();
        p += mb_char_len(p, language);
      }
      if (!append(out, start, p - start)) return false;
      continue;
    }
    if (p[1] == '%') {
      if (!append(out, "%", 1)) return false;
      p += 2;
      continue;
    }
    char spec[VSPRINTF_SPEC_SIZE];
    int type;
    int stars = parse_conver_spec(&p, &type, spec);
    if (type < 0) return false;
    char with_values[VSPRINTF_SPEC_SIZE];
    const char* used = spec;
    if (stars) {
      if (!put_star_values(spec, with_values, args)) return false;
      used = with_values;
    }
    if (!format_piece(depth, used, type, args)) return false;
  }
  out->text[out->length] = '\0';
  return true;
}

}  // namespace

int find_conv_keyword(const char* at, const ConvSpecDef* table, int rows) {
  for (int row = 0; row < rows; ++row) {
    const char* keyword = table[row].keyword;
    int i = 0;
    while (keyword[i] && lowercase(at[i]) == keyword[i]) ++i;
    if (!keyword[i]) return row;
  }
  return -1;
}

int parse_conver_spec(const char** position, int* type, char* spec) {
  *type = -1;
  int length = 0;
  int stars = 0;
  const char* p = *position;
  spec[0] = '\0';
  if (!spec_put(spec, &length, *p++)) return 0;
  while (is_spec_flag(*p)) {
    if (!spec_put(spec, &length, *p++)) return 0;
  }
  // Width, then precision: digits or one '*' each.
  for (int part = 0; part < 2; ++part) {
    if (part == 1) {
      if (*p != '.') break;
      if (!spec_put(spec, &length, *p++)) return 0;
    }
    if (*p == '*') {
      ++stars;
      if (!spec_put(spec, &length, *p++)) return 0;
    } else {
      while (is_ascii_digit(*p)) {
        if (!spec_put(spec, &length, *p++)) return 0;
      }
    }
  }
  if (!is_ascii_letter(*p)) return 0;
  int row = find_conv_keyword(p, conv_spec_def, spec_number);
  if (row < 0) return 0;
  const ConvSpecDef& def = conv_spec_def[row];
  std::size_t keyword_length = std::strlen(def.keyword);
  if (def.replacement) {
    for (const char* r = def.replacement; *r; ++r) {
      if (!spec_put(spec, &length, *r)) return 0;
    }
  } else {
    for (std::size_t i = 0; i + 1 < keyword_length; ++i) {
      if (!spec_put(spec, &length, def.keyword[i])) return 0;
    }
    char written = p[keyword_length - 1];
    char letter = is_capital_conversion(written) ? written : lowercase(written);
    if (!spec_put(spec, &length, letter)) return 0;
  }
  *position = p + keyword_length;
  *type = def.type;
  return stars;
}

int trim_exponent_zero(char* text, const char* spec) {
  int length = static_cast<int>(std::strlen(text));
  char* e = std::strchr(text, 'e');
  if (!e) e = std::strchr(text, 'E');
  // Each test reads a byte only after the one before it was found not to end the text.
  if (!e || !e[1] || e[2] != '0' || !is_ascii_digit(e[3]) || !is_ascii_digit(e[4])) {
    return length;
  }
  std::memmove(e + 2, e + 3, std::strlen(e + 3) + 1);
  --length;
  SpecNumbers numbers = read_spec_numbers(spec);
  if (length < numbers.width) {
    if (numbers.left) {
      text[length++] = ' ';
      text[length] = '\0';
    } else {
      std::memmove(text + 1, text, static_cast<std::size_t>(length) + 1);
      text[0] = ' ';
      ++length;
    }
  }
  return length;
}

char* vyn_vsprintf(char* dst, const char* format, std::va_list args) {
  if (!format) return nullptr;
  if (std::strlen(format) > static_cast<std::size_t>(VSPRINTF_MAX_FORMAT)) {
    ivek_printf("vyn_sprintf   format too long \n");
    return nullptr;
  }
  if (vsprintf_depth >= VSPRINTF_LEVELS) return nullptr;
  int depth = vsprintf_depth++;
  std::va_list own;
  va_copy(own, args);
  bool formatted = format_text(depth, format, &own);
  va_end(own);
  --vsprintf_depth;
  if (!formatted) return nullptr;
  TextBuffer* out = output_of(depth);
  if (dst) {
    // With its terminator, and any 0 byte that "%c" put into the text.
    std::memmove(dst, out->text, static_cast<std::size_t>(out->length) + 1);
    return dst;
  }
  VsprintfLevel* level = &p_vsprintf_buffers[depth];
  level->result = 1 - level->result;
  return out->text;
}

char* vyn_sprintf(char* dst, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  char* result = vyn_vsprintf(dst, format, args);
  va_end(args);
  return result;
}

int vyn_wsprintf(VynWchar* dst, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const char* text = vyn_vsprintf(nullptr, format, args);
  va_end(args);
  if (!text || !dst) return 0;
  strtows(dst, text);
  return wslen(dst);
}

int vyn_printf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const char* text = vyn_vsprintf(nullptr, format, args);
  va_end(args);
  if (!text) return 0;
  ivek_printf("%s", text);
  return static_cast<int>(std::strlen(text));
}

int vyn_fprintf(std::FILE* stream, const char* format, ...) {
  if (!stream) return 0;
  std::va_list args;
  va_start(args, format);
  const char* text = vyn_vsprintf(nullptr, format, args);
  va_end(args);
  if (!text || std::fputs(text, stream) < 0) return 0;
  return static_cast<int>(std::strlen(text));
}

int vyn_fputs(const char* text, std::FILE* stream) {
  if (!text || !stream || std::fputs(text, stream) < 0) return -1;
  return static_cast<int>(std::strlen(text));
}

void set_xar_bindings() {}

void vsprintf_testing_reset() {
  // The static storage comes back on first use; blocks are forgotten.
  for (VsprintfLevel& level : p_vsprintf_buffers) level = VsprintfLevel{};
  vsprintf_depth = 0;
}

}  // namespace vek
