#include "runtime/text/xtext.h"

#include <cctype>
#include <cstring>

#include "runtime/algo/sort.h"
#include "runtime/diag/console.h"
#include "runtime/memory/btree.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/memory/xar_ptr.h"
#include "runtime/text/strmake.h"
#include "runtime/text/vsprintf.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr int POINTER_SIZE = static_cast<int>(sizeof(void*));
constexpr int LIST_STEP = 4;
// Line buffer of the readers: lines of up to 9,999 bytes with their line feed.
constexpr int LINE_BUFFER = 10000;

// A null string orders before every string, so that lists holding null elements (as
// copies may) sort and search without reading through a null pointer.
int null_order(const void* a, const void* b) {
  if (a == b) return 0;
  return a ? 1 : -1;
}

int xtext_strcmp(const void* a, const void* b) {
  if (!a || !b) return null_order(a, b);
  return std::strcmp(static_cast<const char*>(a), static_cast<const char*>(b));
}

// The per-character-type pieces of the list operations.
VekCompare compare_of(const char*) { return xtext_strcmp; }
VekCompare compare_of(const VynWchar*) { return dummy_wstrcmp; }

void* copy_element(const void* s) { return mknewstr(static_cast<const char*>(s)); }
void* copy_welement(const void* w) { return mknewwstr(static_cast<const VynWchar*>(w)); }
XarCopyFunc copy_func_of(const char*) { return copy_element; }
XarCopyFunc copy_func_of(const VynWchar*) { return copy_welement; }

char* new_copy(const char* s) { return mknewstr(s); }
VynWchar* new_copy(const VynWchar* w) { return mknewwstr(w); }

// The list element made from a narrow text in a block of its own, which it takes over.
void adopt_narrow(char* s, char** out) { *out = s; }
void adopt_narrow(char* s, VynWchar** out) {
  *out = make_strtows(s);
  rlsmem(s);
}

int print_element(int index, const char* s) { return vyn_printf("%d::%s\n", index, s ? s : ""); }
int print_element(int index, const VynWchar* w) {
  return vyn_printf("%d::%ws\n", index, w ? w : u"");
}

// Writes s (a null element as an empty line) and a line feed.
int write_line(PF_File* file, const char* s) {
  int status = pfu_fputs(file, s ? s : "");
  return status == PFU_SUCCESS ? pfu_fputc(file, '\n') : status;
}

// A wide string goes out in its narrow form.
int write_line(PF_File* file, const VynWchar* w) {
  char* narrow = make_wstostr(w);
  int status = write_line(file, narrow);
  rlsmem(narrow);
  return status;
}

template <typename Char>
int count_of(Char* const* list) {
  return xar_count(&list);
}

template <typename Char>
void print_list(Char* const* list) {
  if (debug_xar_invalid(&list)) {
    ivek_printf("Bad xarray.\n\n");
    return;
  }
  for (int i = 0, n = count_of(list); i < n; ++i) print_element(i, list[i]);
}

template <typename Char>
Char** copy_list(Char* const* list) {
  return static_cast<Char**>(xar_ptr_copy(list, copy_func_of(static_cast<Char*>(nullptr))));
}

template <typename Char>
int lin_search(Char* const* array, int count, const Char* s) {
  VekCompare compare = compare_of(s);
  for (int i = 0; i < count; ++i)
    if (compare(array[i], s) == 0) return i;
  return -1;
}

template <typename Char>
int bin_search(Char* const* list, const Char* s, int* position) {
  return binary_search_low(count_of(list), compare_of(s), s,
                           reinterpret_cast<void* const*>(list), position);
}

template <typename Char>
void append(Char*** p_list, Char* s) {
  if (!*p_list) *p_list = static_cast<Char**>(xar_alloc(0, POINTER_SIZE, LIST_STEP));
  xar_append(p_list, 1, &s);
}

template <typename Char>
void insert(Char*** p_list, int index, const Char* s) {
  if (!p_list) return;
  if (!*p_list) *p_list = static_cast<Char**>(xar_alloc(0, POINTER_SIZE, LIST_STEP));
  Char* copy = new_copy(s);
  if (index == -1)
    xar_append(p_list, 1, &copy);
  else
    xar_insert(p_list, index, 1, &copy);
}

template <typename Char>
int sorted_insert(Char*** p_list, const Char* s) {
  if (!p_list) return 0;
  int position = 0;
  if (bin_search(*p_list, s, &position)) return 0;
  insert(p_list, position, s);
  return 1;
}

template <typename Char>
void sort_list(Char** list) {
  sort_pointers(count_of(list), compare_of(static_cast<Char*>(nullptr)),
                reinterpret_cast<void**>(list));
}

// Both readers keep a last line that has no line feed.
template <typename Char>
Char** read_lines(PF_File* file) {
  Char** list = static_cast<Char**>(xar_alloc(0, POINTER_SIZE, LIST_STEP));
  char line[LINE_BUFFER];
  for (;;) {
    int status = pfu_fgets(file, line, LINE_BUFFER);
    if (status != PFU_SUCCESS && status != PFU_END_OF_FILE) {
      xar_pblock_free(&list);
      return nullptr;
    }
    if (status == PFU_END_OF_FILE && line[0] == '\0') return list;
    Char* element = nullptr;
    adopt_narrow(make_scopy(strip_cr(line)), &element);
    append(&list, element);
    if (status == PFU_END_OF_FILE) return list;
  }
}

template <typename Char>
int write_lines(PF_File* file, Char* const* list) {
  for (int i = 0, n = count_of(list); i < n; ++i) {
    int status = write_line(file, list[i]);
    if (status != PFU_SUCCESS) return status;
  }
  return PFU_SUCCESS;
}

// Words are runs of bytes that are not white space, as the scanner's "%s" reads them,
// here without a length limit.
template <typename Char>
Char** split_words(const char* s) {
  Char** list = static_cast<Char**>(xar_alloc(0, POINTER_SIZE, LIST_STEP));
  if (!s) return list;
  const unsigned char* c = reinterpret_cast<const unsigned char*>(s);
  for (;;) {
    while (*c && std::isspace(*c)) ++c;
    if (!*c) return list;
    const unsigned char* start = c;
    while (*c && !std::isspace(*c)) ++c;
    Char* element = nullptr;
    adopt_narrow(make_sncopy(reinterpret_cast<const char*>(start), static_cast<int>(c - start) + 1),
                 &element);
    append(&list, element);
  }
}

}  // namespace

int dummy_wstrcmp(const void* a, const void* b) {
  if (!a || !b) return null_order(a, b);
  return wscmp(static_cast<const VynWchar*>(a), static_cast<const VynWchar*>(b));
}

void xtext_print(xtext list) { print_list(list); }
void xwtext_print(xwtext list) { print_list(list); }

xtext xtext_copy(xtext list) { return copy_list(list); }
xwtext xwtext_copy(xwtext list) { return copy_list(list); }

int xtext_lin_search(xtext list, const char* s) { return lin_search(list, count_of(list), s); }

int xtext_lin_search_low(char* const* array, int count, const char* s) {
  return array ? lin_search(array, count, s) : -1;
}

int xwtext_lin_search(xwtext list, const VynWchar* w) {
  return lin_search(list, count_of(list), w);
}

int xtext_bin_search(xtext list, const char* s, int* position) {
  return bin_search(list, s, position);
}

int xwtext_bin_search(xwtext list, const VynWchar* w, int* position) {
  return bin_search(list, w, position);
}

void xtext_insert(xtext* p_list, int index, const char* s) { insert(p_list, index, s); }

void xwtext_insert(xwtext* p_list, int index, const VynWchar* w) { insert(p_list, index, w); }

int xtext_sorted_insert(xtext* p_list, const char* s) { return sorted_insert(p_list, s); }

int xwtext_sorted_insert(xwtext* p_list, const VynWchar* w) { return sorted_insert(p_list, w); }

void xtext_sort(xtext list) { sort_list(list); }
void xwtext_sort(xwtext list) { sort_list(list); }

xtext xtext_read_file(PF_File* file) { return read_lines<char>(file); }
xwtext xwtext_read_file(PF_File* file) { return read_lines<VynWchar>(file); }

int xtext_write_file(PF_File* file, const xtext* p_list) {
  return write_lines(file, p_list ? *p_list : nullptr);
}

int xwtext_write_file(PF_File* file, const xwtext* p_list) {
  return write_lines(file, p_list ? *p_list : nullptr);
}

xtext xtext_from_string(const char* s) { return split_words<char>(s); }
xwtext xwtext_from_string(const char* s) { return split_words<VynWchar>(s); }

void xtext_to_xwtext(xtext list, xwtext* p_wide) {
  if (!p_wide) return;
  if (*p_wide)
    xar_pblock_reset(p_wide);
  else
    *p_wide = static_cast<xwtext>(xar_alloc(0, POINTER_SIZE, LIST_STEP));
  for (int i = 0, n = count_of(list); i < n; ++i) append(p_wide, make_strtows(list[i]));
}

int xtext_to_string(xtext list, int start, const char* sep, int size, char* out, int* last) {
  if (last) *last = start - 1;
  if (!out || size < 1) return 0;
  out[0] = '\0';
  int count = count_of(list);
  if (start < 0 || start > count) return 0;
  if (!sep) sep = "";
  int sep_length = static_cast<int>(std::strlen(sep));
  long total = 0;
  char* cursor = out;
  int i = start;
  for (; i < count; ++i) {
    const char* element = list[i] ? list[i] : "";
    total += static_cast<long>(std::strlen(element)) + sep_length;
    if (total >= size) break;
    quick_strcat(&cursor, element);
    quick_strcat(&cursor, sep);
  }
  if (last) *last = i - 1;
  // The final separator gives its place to the terminator; total < size keeps both in.
  if (cursor != out) cursor -= sep_length;
  *cursor = '\0';
  return i == count ? 1 : 0;
}

}  // namespace vek
