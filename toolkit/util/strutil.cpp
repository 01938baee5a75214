#include "toolkit/util/strutil.h"

#include <cstring>

#include "runtime/text/lang.h"
#include "runtime/text/strutil.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wide.h"

namespace {

// A wide text's narrow form in a buffer of the utilities' size, cut when it is longer.
struct Narrow {
  char text[VYN_UTIL_NARROW_SIZE];
  explicit Narrow(const VynWchar* wide) { vek::wstostr_bounded(text, sizeof text, wide); }
};

// Two narrow buffers' worth: room for the join of two narrow forms.
constexpr int joined_size = 2 * VYN_UTIL_NARROW_SIZE;

// Appends the whole characters of tail that fit behind the text in out (capacity bytes,
// terminator included).
void append_whole(char* out, std::size_t capacity, const char* tail) {
  std::size_t used = std::strlen(out);
  if (used + 1 >= capacity) return;
  long room = static_cast<long>(capacity - used - 1);
  long take = vek::whole_characters_within(tail, room, vek::get_language());
  std::memcpy(out + used, tail, static_cast<std::size_t>(take));
  out[used + static_cast<std::size_t>(take)] = '\0';
}

// first followed by second in out (capacity bytes), each cut after whole characters.
void join_narrow(char* out, std::size_t capacity, const char* first, const char* second) {
  out[0] = '\0';
  append_whole(out, capacity, first);
  append_whole(out, capacity, second);
}

int ascii_upper(int c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

}  // namespace

int VynUtilStrcmp(const char* a, const char* b) {
  for (int i = 0;; ++i) {
    if (vek::uppercase(a[i]) != vek::uppercase(b[i]))
      return static_cast<signed char>(a[i]) - static_cast<signed char>(b[i]);
    if (!a[i]) return 0;
  }
}

int VynUtilStrncmp(const char* a, const char* b, int n) {
  for (int i = 0; i <= n; ++i) {
    if (vek::uppercase(a[i]) != vek::uppercase(b[i]))
      return static_cast<signed char>(a[i]) - static_cast<signed char>(b[i]);
    if (!a[i]) return 0;
  }
  return 0;
}

void VynUtilStringUpper(const char* from, char* to) { vek::vyn_cnvrt_to_upper(from, to); }

void VynUtilStringLower(const char* from, char* to) { vek::convert_to_lower(from, to); }

int VynUtilWstrcmp(const VynWchar* a, const VynWchar* b) {
  for (int i = 0;; ++i) {
    if (a[i] != b[i]) return static_cast<int>(a[i]) - static_cast<int>(b[i]);
    if (!a[i]) return 0;
  }
}

int VynUtilWstrCmp(const VynWchar* a, const VynWchar* b) {
  for (int i = 0;; ++i) {
    if (ascii_upper(a[i]) != ascii_upper(b[i]))
      return static_cast<int>(a[i]) - static_cast<int>(b[i]);
    if (!a[i]) return 0;
  }
}

int VynUtilWstrncmp(const VynWchar* a, const VynWchar* b, int n) {
  Narrow narrow_a(a), narrow_b(b);
  return VynUtilStrncmp(narrow_a.text, narrow_b.text, n);
}

int VynUtilStrwscmp(const char* a, const VynWchar* b) {
  Narrow narrow_b(b);
  return VynUtilStrcmp(a, narrow_b.text);
}

int VynUtilStrnwscmp(const char* a, const VynWchar* b, int n) {
  Narrow narrow_b(b);
  return VynUtilStrncmp(a, narrow_b.text, n);
}

VynWchar* VynUtilWstrcpy(VynWchar* to, const VynWchar* from) {
  int length = VynUtilWstrLen(from);
  std::memmove(to, from, static_cast<std::size_t>(length + 1) * sizeof(VynWchar));
  return to;
}

int VynUtilWstrLen(const VynWchar* s) {
  int length = 0;
  while (s[length]) ++length;
  return length;
}

void VynUtilWstrcat(VynWchar* a, const VynWchar* b) {
  Narrow narrow_a(a), narrow_b(b);
  char joined[joined_size];
  join_narrow(joined, sizeof joined, narrow_a.text, narrow_b.text);
  vek::strtows(a, joined);
}

void VynUtilWstrStrcatToWstr(VynWchar* a, const char* b) {
  Narrow narrow_a(a);
  char joined[joined_size];
  join_narrow(joined, sizeof joined, narrow_a.text, b);
  vek::strtows(a, joined);
}

char* VynUtilStrWstrcatToStr(char* a, const VynWchar* b) {
  Narrow narrow_b(b);
  return std::strcat(a, narrow_b.text);
}

VynWchar* VynUtilStrWstrcatToWstr(const char* a, const VynWchar* b, VynWchar* result,
                                  int result_size) {
  if (!result || result_size < 1) return nullptr;
  Narrow narrow_b(b);
  char joined[joined_size];
  join_narrow(joined, sizeof joined, a, narrow_b.text);
  vek::strtows_bounded(result, static_cast<std::size_t>(result_size), joined);
  return result;
}

char* VynUtilWstrStrcatToStr(const VynWchar* a, const char* b, char* result, int result_size) {
  if (!result || result_size < 1) return nullptr;
  Narrow narrow_a(a);
  join_narrow(result, static_cast<std::size_t>(result_size), narrow_a.text, b);
  return result;
}

int VynUtilWstrPrint(const VynWchar* s, int width) {
  Narrow narrow(s);
  char format[32];
  vek::vyn_sprintf(format, "%%-%ds", width);
  vek::vyn_printf(format, narrow.text);
  return 0;
}
