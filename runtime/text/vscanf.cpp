#include "runtime/text/vscanf.h"

#include <climits>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/text/lang.h"
#include "runtime/text/textbase.h"
#include "runtime/text/vscanf_testing.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/vsprintf_internal.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

enum : int {
  SCAN_UNKNOWN = -1,
  SCAN_SUPPRESSED = 0,
  SCAN_INT = 1,
  SCAN_DOUBLE = 2,
  SCAN_STRING = 3,
  SCAN_WSTRING = 4,
  SCAN_COUNT = 6,
  SCAN_FLOAT = 7,
};

// Target kinds of parse_format.
enum : int {
  KIND_OTHER = -1,
  KIND_COUNT = 0,
  KIND_WIDE = 1,
};

constexpr ConvSpecDef scan_conv_spec_def[] = {
    {"d", nullptr, SCAN_INT},     {"f", nullptr, SCAN_FLOAT},   {"lf", nullptr, SCAN_DOUBLE},
    {"le", nullptr, SCAN_DOUBLE}, {"lg", nullptr, SCAN_DOUBLE}, {"s", nullptr, SCAN_STRING},
    {"ws", "s", SCAN_WSTRING},    {"e", nullptr, SCAN_FLOAT},   {"g", nullptr, SCAN_FLOAT},
    {"c", nullptr, SCAN_INT},     {"i", nullptr, SCAN_INT},     {"o", nullptr, SCAN_INT},
    {"u", nullptr, SCAN_INT},     {"x", nullptr, SCAN_INT},     {"ld", nullptr, SCAN_INT},
    {"li", nullptr, SCAN_INT},    {"lo", nullptr, SCAN_INT},    {"lu", nullptr, SCAN_INT},
    {"lx", nullptr, SCAN_INT},    {"n", nullptr, SCAN_COUNT},
};
constexpr int spec_number = 20;
static_assert(sizeof scan_conv_spec_def / sizeof scan_conv_spec_def[0] == spec_number);

// A rebuilt format: "%ws" (3 bytes) grows to "%511s" (5), and "%n" may be appended.
constexpr int VSCANF_REBUILT_SIZE = 2 * VSCANF_MAX_FORMAT + 8;
// Narrow buffer of one "%ws" item.
constexpr int VSCANF_WS_SIZE = VSCANF_WS_MAX + 1;

// The narrow form of vyn_wsscanf's text: static storage first, a memory block for
// longer texts.
constexpr int INPUT_STRING_STATIC_SIZE = 1024;
char input_string_storage[INPUT_STRING_STATIC_SIZE];
TextBuffer input_string;

// Appends n bytes and a terminator within the room left (terminator included).
bool out_put(char** out, int* room, const char* bytes, int n) {
  if (n >= *room) return false;
  std::memcpy(*out, bytes, static_cast<std::size_t>(n));
  *out += n;
  *room -= n;
  **out = '\0';
  return true;
}

// 1 when the letters at p are a count conversion with size letters before its 'n'.
bool is_count_keyword(const char* p) {
  while (*p && std::strchr("hlLqjzt", *p)) ++p;
  return *p == 'n';
}

}  // namespace

int parse_format_spec(const char** position, char* out, int out_size, int* type) {
  *type = SCAN_UNKNOWN;
  if (out_size < 1) return -1;
  char* o = out;
  int room = out_size;
  *o = '\0';
  // Flags, width and precision run from the '%' to the keyword's first letter or a scan
  // set's '['; they pass to the C scanner as written, which decides what they mean.
  const char* prefix = *position + 1;
  const char* p = prefix;
  while (*p && *p != '%' && *p != '[' && !is_ascii_letter(*p) &&
         static_cast<unsigned char>(*p) < 0x80)
    ++p;
  const int prefix_length = static_cast<int>(p - prefix);
  // A positional target ("%2$d") would not be the one its place in the format names.
  if (std::memchr(prefix, '$', static_cast<std::size_t>(prefix_length))) return -1;
  const bool suppressed =
      std::memchr(prefix, '*', static_cast<std::size_t>(prefix_length)) != nullptr;
  if (!out_put(&o, &room, "%", 1)) return -1;

  if (*p == '[') {
    // A scan set runs to the first ']' that is not its first member.
    const char* end = p + 1;
    if (*end == '^') ++end;
    if (*end == ']') ++end;
    while (*end && *end != ']') ++end;
    if (!*end) return -1;
    ++end;
    if (!out_put(&o, &room, prefix, prefix_length)) return -1;
    if (!out_put(&o, &room, p, static_cast<int>(end - p))) return -1;
    *position = end;
    *type = suppressed ? SCAN_SUPPRESSED : SCAN_STRING;
    return static_cast<int>(o - out);
  }
  if (!is_ascii_letter(*p)) return -1;

  int row = find_conv_keyword(p, scan_conv_spec_def, spec_number);
  if (row < 0) {
    // The letters follow as plain text, so the scanner sees them as they stand. A
    // count with a size of its own ("%hn", "%lln") assigns without being counted.
    if (!out_put(&o, &room, prefix, prefix_length)) return -1;
    *position = p;
    *type = suppressed ? SCAN_SUPPRESSED : is_count_keyword(p) ? SCAN_COUNT : SCAN_UNKNOWN;
    return static_cast<int>(o - out);
  }
  const ConvSpecDef& def = scan_conv_spec_def[row];
  int keyword_length = static_cast<int>(std::strlen(def.keyword));
  if (def.type == SCAN_WSTRING) {
    // The narrow item lands in a buffer of VSCANF_WS_SIZE bytes: the width, which
    // follows the flags, is bounded by it.
    const char* width = prefix;
    while (*width == '*' || *width == '\'') ++width;
    if (!out_put(&o, &room, prefix, static_cast<int>(width - prefix))) return -1;
    long limit = read_bounded_number(&width, VSCANF_WS_MAX);
    if (limit < 1 || limit > VSCANF_WS_MAX) limit = VSCANF_WS_MAX;
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%ld", limit);
    if (!out_put(&o, &room, digits, n)) return -1;
    if (!out_put(&o, &room, width, static_cast<int>(p - width))) return -1;
  } else if (!out_put(&o, &room, prefix, prefix_length)) {
    return -1;
  }
  // The scanner gets the keyword in lower case: "%S" is narrow text, "%LF" a double.
  const char* keyword = def.replacement ? def.replacement : def.keyword;
  if (!out_put(&o, &room, keyword, static_cast<int>(std::strlen(keyword)))) return -1;
  *position = p + keyword_length;
  *type = suppressed ? SCAN_SUPPRESSED : def.type;
  return static_cast<int>(o - out);
}

int parse_format(const char* format, char* out, int out_size, int kinds[VSCANF_MAX_TARGETS],
                 int* count) {
  for (int i = 0; i < VSCANF_MAX_TARGETS; ++i) kinds[i] = KIND_OTHER;
  *count = 0;
  if (!format || !out || out_size < 1) return -1;
  char* o = out;
  int room = out_size;
  *o = '\0';
  int language = -1;  // asked for at the first byte that may begin a multibyte character
  int wide = 0;
  const char* p = format;
  while (*p) {
    if (p[0] == '%' && p[1] == '%') {
      if (!out_put(&o, &room, p, 2)) return -1;
      p += 2;
      continue;
    }
    if (*p == '%') {
      int type;
      int n = parse_format_spec(&p, o, room, &type);
      if (n < 0) return -1;
      o += n;
      room -= n;
      if (type == SCAN_SUPPRESSED) continue;
      if (*count < VSCANF_MAX_TARGETS) {
        kinds[*count] = type == SCAN_COUNT ? KIND_COUNT : type == SCAN_WSTRING ? KIND_WIDE : KIND_OTHER;
      }
      if (type == SCAN_WSTRING) wide = 1;
      ++*count;
      continue;
    }
    // A whole character, so that a later byte of it is never read as '%'.
    int n = 1;
    if (static_cast<unsigned char>(*p) >= 0x80) {
      if (language < 0) language = get_language();
      n = mb_char_len(p, language);
    }
    if (!out_put(&o, &room, p, n)) return -1;
    p += n;
  }
  return wide;
}

int vyn_vscanf_low(const char* text, int* count, const char* format, std::va_list args) {
  if (count) *count = 0;
  if (!format) return 0;
  if (std::strlen(format) > static_cast<std::size_t>(VSCANF_MAX_FORMAT)) {
    ivek_printf("vyn_scanf   format too long \n");
    return 0;
  }
  if (!text) return -1;
  char rebuilt[VSCANF_REBUILT_SIZE];
  int kinds[VSCANF_MAX_TARGETS];
  int n;
  // Room is kept for a "%n" behind the rebuilt format.
  int wide = parse_format(format, rebuilt, sizeof rebuilt - 2, kinds, &n);
  if (wide < 0) return 0;
  if (n + (count ? 1 : 0) > VSCANF_MAX_TARGETS) {
    // The scanner would reach for targets that were never passed.
    ivek_printf("Too many arguments to be processed by vyn_scanf\n");
    return 0;
  }

  void* slots[VSCANF_MAX_TARGETS] = {};
  VynWchar* wide_targets[VSCANF_MAX_TARGETS] = {};
  char wide_items[VSCANF_MAX_TARGETS][VSCANF_WS_SIZE];
  std::va_list own;
  va_copy(own, args);
  for (int i = 0; i < n; ++i) {
    void* target = va_arg(own, void*);
    if (kinds[i] == KIND_WIDE) {
      // The narrow item is read here, never into the wide target.
      wide_targets[i] = static_cast<VynWchar*>(target);
      wide_items[i][0] = '\0';
      slots[i] = wide_items[i];
    } else {
      slots[i] = target;
    }
  }
  va_end(own);
  if (count) {
    std::size_t length = std::strlen(rebuilt);
    std::memcpy(rebuilt + length, "%n", 3);
    slots[n] = count;
  }

  int result = std::sscanf(text, rebuilt, slots[0], slots[1], slots[2], slots[3], slots[4],
                           slots[5], slots[6], slots[7], slots[8], slots[9], slots[10],
                           slots[11], slots[12], slots[13], slots[14], slots[15], slots[16],
                           slots[17], slots[18], slots[19]);
  if (wide) {
    // The assigned items are the first targets in order; a count assigns without
    // being counted.
    int assigned = result;
    for (int i = 0; i < n && assigned > 0; ++i) {
      if (kinds[i] == KIND_COUNT) continue;
      if (kinds[i] == KIND_WIDE && wide_targets[i]) strtows(wide_targets[i], wide_items[i]);
      --assigned;
    }
  }
  return result;
}

int vyn_vscanf(const char* text, const char* format, std::va_list args) {
  return vyn_vscanf_low(text, nullptr, format, args);
}

int vyn_sscanf(const char* text, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = vyn_vscanf(text, format, args);
  va_end(args);
  return result;
}

namespace {

int scan_line(std::FILE* stream, const char* format, std::va_list args) {
  char line[VSCANF_LINE_SIZE];
  if (!stream || !std::fgets(line, sizeof line, stream)) return -1;
  return vyn_vscanf(line, format, args);
}

}  // namespace

int vyn_scanf(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = scan_line(stdin, format, args);
  va_end(args);
  return result;
}

int vyn_fscanf(std::FILE* stream, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  int result = scan_line(stream, format, args);
  va_end(args);
  return result;
}

int vyn_wsscanf(const VynWchar* text, const char* format, ...) {
  if (!text) return -1;
  if (!input_string.text) {
    input_string = TextBuffer{input_string_storage, INPUT_STRING_STATIC_SIZE, 0, false};
  }
  // wstostr writes at most four bytes a character.
  long room = static_cast<long>(wstostr_room(static_cast<std::size_t>(wslen(text))));
  if (!text_reserve(&input_string, room, INT_MAX)) return -1;
  wstostr(input_string.text, text);
  std::va_list args;
  va_start(args, format);
  int result = vyn_vscanf(input_string.text, format, args);
  va_end(args);
  return result;
}

void vscanf_testing_reset() { input_string = TextBuffer{}; }

}  // namespace vek
