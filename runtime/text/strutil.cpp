#include "runtime/text/strutil.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/memory/getmem.h"
#include "runtime/text/strutil_testing.h"
#include "runtime/text/textbase.h"
#include "runtime/text/wclass.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

// The wildcard set of the name rules; empty until a set is enabled.
VynWchar wild_cards[WILD_CARDS_SIZE] = {};
// 1 while a wildcard set is enabled; it also allows generic parts "<...>" in names.
int gen_delims_ok = 0;
int freeze_symbol_chars_stat = 0;

bool std_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
// Wide white space is Unicode's (U+3000, U+2003 ...), whatever the process's locale.
bool std_space(VynWchar c) { return wclass_space(c) != 0; }

bool std_alnum(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }

// Standard upper case of a byte, as a byte.
char std_upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool blank_or_tab(VynWchar c) { return c == ' ' || c == '\t'; }
bool blank_tab_or_lf(VynWchar c) { return c == ' ' || c == '\t' || c == '\n'; }

// 1 when c is in the set (null: empty); never for the terminator.
bool in_set(const VynWchar* set, VynWchar c) {
  if (!set || c == 0) return false;
  for (; *set; ++set)
    if (*set == c) return true;
  return false;
}

// The first difference after standard lower-case letters went to upper case, over at
// most n positions; bytes compare as signed values.
int compare_upper(const char* a, const char* b, long n) {
  if (!a || !b) return (a != nullptr) - (b != nullptr);
  for (long i = 0; i < n; ++i) {
    char ca = a[i];
    char cb = b[i];
    if (ca != cb) {
      signed char ua = std::islower(static_cast<unsigned char>(ca)) ? std_upper(ca) : ca;
      signed char ub = std::islower(static_cast<unsigned char>(cb)) ? std_upper(cb) : cb;
      if (ua != ub) return ua - ub;
    }
    if (ca == 0) break;
  }
  return 0;
}

bool narrow_equal(const char* a, const char* b, int exact) {
  if (!a || !b) return false;
  return exact ? std::strcmp(a, b) == 0 : strcasecmp(a, b) == 0;
}

// A new block holding s with each from turned into to, and each to and esc of the input
// behind an esc.
template <typename Ch>
Ch* escape_copy(const Ch* s, Ch from, Ch to, Ch esc) {
  if (!s) return nullptr;
  std::size_t n = static_cast<std::size_t>(text_length(s));
  Ch* out = static_cast<Ch*>(getmem((2 * n + 1) * sizeof(Ch)));
  Ch* o = out;
  for (; *s; ++s) {
    if (*s == from) {
      *o++ = to;
    } else {
      if (*s == to || *s == esc) *o++ = esc;
      *o++ = *s;
    }
  }
  *o = 0;
  return out;
}

// A character of a symbol: a standard letter or digit, one from 128 up, '_', '-' or
// one of extra.
bool symbol_char(VynWchar c, const char* extra) {
  if (c >= 128) return true;
  if (c == 0) return false;
  return std_alnum(static_cast<char>(c)) || c == '_' || c == '-' ||
         std::strchr(extra, static_cast<char>(c)) != nullptr;
}

// 1 when w begins with '-' or a character from the second on (from the first when
// test_first) is no symbol character.
int invalid_symbol_text(const VynWchar* w, bool test_first, const char* extra) {
  if (!w || !*w) return 0;
  if (w[0] == '-') return 1;
  for (int i = test_first ? 0 : 1; w[i]; ++i)
    if (!symbol_char(w[i], extra)) return 1;
  return 0;
}

// The literal pieces of a template: piece j is the text before star j, the last piece
// the text after the last star up to length. Bounds are [piece_begin, piece_end).
int piece_begin(const VynNameTemplate& t, int j) { return j == 0 ? 0 : t.star_at[j - 1] + 1; }
int piece_end(const VynNameTemplate& t, int length, int j) {
  return j == t.star_count ? length : t.star_at[j];
}

}  // namespace

void strutil_testing_reset() {
  wild_cards[0] = 0;
  gen_delims_ok = 0;
  freeze_symbol_chars_stat = 0;
}

// ---- Name validity

int enable_wild_card() {
  static constexpr VynWchar kDefault[] = u"*?$";
  return enable_custom_wild_card(kDefault, nullptr);
}

int enable_custom_wild_card(const VynWchar* set, VynWchar* old) {
  int was = gen_delims_ok;
  if (old) copy_cut(old, wild_cards, WILD_CARDS_SIZE);
  copy_cut(wild_cards, set, WILD_CARDS_SIZE);
  gen_delims_ok = 1;
  return was;
}

void disable_wild_card() {
  wild_cards[0] = 0;
  gen_delims_ok = 0;
}

int is_wild_card(VynWchar c) { return in_set(wild_cards, c); }

int invalid_name_idx(const VynWchar* name) {
  if (!name || !*name || name[0] == '-') return 0;
  const bool generic = gen_delims_ok == 1 && !is_wild_card('<');
  bool open = false;
  int i = 0;
  for (; name[i]; ++i) {
    VynWchar c = name[i];
    if (generic && i > 0) {
      if (!open && c == '<') {
        open = true;
        continue;
      }
      if (open && c == '>') {
        if (name[i + 1] != 0) return i;
        open = false;
        continue;
      }
    }
    if (!is_valid_wc(c) && !is_wild_card(c)) break;
  }
  // An unclosed generic part points the result at a character, so the name is invalid.
  return open ? i - 1 : i;
}

int invalid_string(const VynWchar* name) {
  if (!name) return 0;
  return name[invalid_name_idx(name)] != 0;
}

int is_valid_char(char c) { return std_alnum(c) || c == '_' || c == '-'; }

int invalid_symbol(const VynWchar* w) { return invalid_symbol_text(w, true, ""); }

int invalid_xsec_name(const VynWchar* w) { return invalid_symbol_text(w, false, "\"."); }

// ---- Case

char uppercase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

char lowercase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

void vyn_cnvrt_to_upper(const char* src, char* dst) {
  if (!src || !dst) return;
  do {
    *dst++ = uppercase(*src);
  } while (*src++);
}

void convert_to_lower(const char* src, char* dst) {
  if (!src || !dst) return;
  do {
    *dst++ = lowercase(*src);
  } while (*src++);
}

void vyn_cnvrt_to_title(const char* src, char* dst) {
  if (!src || !dst) return;
  capitalise_words(
      src, dst, std_alnum,
      [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); },
      [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
}

int u_strcmp_func(const char* a, const char* b) { return compare_upper(a, b, LONG_MAX); }

int upper_strncmp_func(const char* a, const char* b, int n) { return compare_upper(a, b, n); }

// ---- Blanks and white space

int blankpad(char* s, int n) {
  if (!s) return 0;
  std::size_t len = std::strlen(s);
  if (len == 0 || n <= 0 || len >= static_cast<std::size_t>(n)) return 0;
  std::memset(s + len, ' ', static_cast<std::size_t>(n) - 1 - len);
  s[n - 1] = 0;
  return 1;
}

int blankstr(const VynWchar* w) {
  if (!w) return 1;
  while (blank_or_tab(*w)) ++w;
  return *w == 0;
}

int empty_string(const char* s) {
  if (!s) return 1;
  while (std_space(*s)) ++s;
  return *s == 0;
}

int empty_string_noz(const char* s, const char* last) {
  if (!s) return 1;
  for (; s <= last && *s; ++s)
    if (!std_space(*s)) return 0;
  return 1;
}

VynWchar* extract_string(VynWchar* w) {
  if (!w) return nullptr;
  remove_all_trailing_whitespaces(w);
  strip_wspaces(&w);
  return w;
}

void remove_trailing_whitespace(VynWchar* w) {
  if (!w) return;
  int n = wslen(w);
  while (n > 0 && blank_tab_or_lf(w[n - 1])) --n;
  w[n] = 0;
}

VynWchar* remove_all_trailing_whitespaces(VynWchar* w) {
  if (!w) return nullptr;
  int n = wslen(w);
  while (n > 0 && std_space(w[n - 1])) --n;
  w[n] = 0;
  return w + n;
}

void strip_wspaces(VynWchar** p_w) {
  if (!p_w || !*p_w) return;
  while (std_space(**p_w)) ++*p_w;
}

VynWchar* remove_lead_trail_whitespace(VynWchar* w) {
  if (!w) return nullptr;
  VynWchar* text = w;
  strip_wspaces(&text);
  if (text != w)
    std::memmove(w, text, (static_cast<std::size_t>(wslen(text)) + 1) * sizeof(VynWchar));
  remove_trailing_whitespace(w);
  return w;
}

void trunc_ctrl_chars(const char* src, char* dst) {
  if (!src || !dst) return;
  for (; *src; ++src) {
    // Bytes from 128 up are text of the session's encoding (letters, parts of
    // multibyte characters), never control characters, whatever the locale says.
    unsigned char c = static_cast<unsigned char>(*src);
    if (c >= 128 || std_space(*src) || std::isprint(c)) *dst++ = *src;
  }
  *dst = 0;
}

// ---- Quotes and tokens

int is_quote_char(VynWchar c) { return c == '"' || c == '\''; }

VynWchar* strip_quotes(const VynWchar* w, VynWchar* out) {
  if (!w || !*w || !out) return nullptr;
  int len = wslen(w);
  int start = is_quote_char(w[0]) ? 1 : 0;
  int end = len;
  int k = len - 1;
  while (k > start && blank_or_tab(w[k])) --k;
  if (k >= start && is_quote_char(w[k])) end = k;
  // Through a local copy, since out may be w itself.
  VynWchar kept[STRIP_QUOTES_SIZE];
  int n = 0;
  for (int i = start; i < end && n < STRIP_QUOTES_SIZE - 1; ++i) kept[n++] = w[i];
  kept[n] = 0;
  std::memcpy(out, kept, (static_cast<std::size_t>(n) + 1) * sizeof(VynWchar));
  return out;
}

int parse_quoted_to_tok(VynWchar** p_cursor, const VynWchar* delims, int size,
                        VynWchar* tok) {
  if (!p_cursor || !*p_cursor || !tok || size < 1) return TOK_BAD_ARGS;
  if (in_set(delims, '"') || in_set(delims, '\'')) return TOK_BAD_ARGS;
  VynWchar* p = *p_cursor;
  while (in_set(delims, *p)) ++p;
  bool in_double = false;
  bool in_single = false;
  int n = 0;
  for (; *p; ++p) {
    VynWchar c = *p;
    if (!in_double && !in_single && in_set(delims, c)) break;
    if (c == '"' && !in_single) {
      in_double = !in_double;
    } else if (c == '\'' && !in_double) {
      in_single = !in_single;
    } else {
      tok[n++] = c;
      if (n == size) {
        tok[size - 1] = 0;
        return TOK_TRUNCATED;
      }
    }
  }
  tok[n] = 0;
  if (in_double || in_single) return TOK_OPEN_QUOTE;
  *p_cursor = *p ? p : nullptr;
  return TOK_OK;
}

int wstr_to_wrapped_tok(const VynWchar* text, const VynWchar* delims, int size,
                        VynWchar* out) {
  if (!text || !*text || !out || size < 1) return TOK_BAD_ARGS;
  if (in_set(delims, '"') || in_set(delims, '\'')) return TOK_BAD_ARGS;
  const int len = wslen(text);
  if (len >= size) return TOK_BAD_ARGS;
  int first_double = -1;
  int first_single = -1;
  bool has_delim = false;
  for (int i = 0; i < len; ++i) {
    if (text[i] == '"' && first_double < 0) first_double = i;
    if (text[i] == '\'' && first_single < 0) first_single = i;
    if (in_set(delims, text[i])) has_delim = true;
  }
  if (first_double < 0 && first_single < 0 && !has_delim) {
    wscpy(out, text);
    return TOK_OK;
  }
  if (len + 2 >= size) return TOK_TRUNCATED;
  if (first_double < 0 || first_single < 0) {
    // One kind of quote (or none) in the text: the other kind wraps it whole.
    const VynWchar quote = first_double < 0 ? '"' : '\'';
    out[0] = quote;
    std::memcpy(out + 1, text, static_cast<std::size_t>(len) * sizeof(VynWchar));
    out[len + 1] = quote;
    out[len + 2] = 0;
    return TOK_OK;
  }
  // Both kinds: sections alternate; a quote of the current section's kind closes the
  // section and is repeated inside a new section of the other kind.
  VynWchar mode = first_double > first_single ? '"' : '\'';
  int n = 0;
  bool full = false;
  auto put = [&](VynWchar c) {
    if (n < size)
      out[n++] = c;
    else
      full = true;
  };
  put(mode);
  for (int i = 0; i < len && !full; ++i) {
    VynWchar c = text[i];
    put(c);
    if (c == mode) {
      mode = mode == '"' ? '\'' : '"';
      put(mode);
      put(c);
    }
  }
  if (full || n + 2 > size) {
    out[0] = 0;
    return TOK_TRUNCATED;
  }
  out[n++] = mode;
  out[n] = 0;
  return TOK_OK;
}

// ---- Special characters and escapes

void eliminate_symbol_doubles(char* s, const char* sym) {
  if (!s || !sym || !*sym) return;
  const std::size_t sym_len = std::strlen(sym);
  char* from = s;
  while (char* hit = std::strstr(from, sym)) {
    std::memmove(hit, hit + 1, std::strlen(hit + 1) + 1);
    // No occurrence began before hit, and the removal only joins what lay around it.
    from = hit - std::min(static_cast<std::size_t>(hit - s), sym_len - 1);
  }
}

int set_freeze_symbol_chars(int value) {
  int old = freeze_symbol_chars_stat;
  freeze_symbol_chars_stat = value;
  return old;
}

int get_freeze_symbol_chars() { return freeze_symbol_chars_stat; }

int remove_dup_special_chars(VynWchar* w) {
  if (freeze_symbol_chars_stat) return freeze_symbol_chars_stat;
  if (!w) return 0;
  bool inside = false;
  for (; *w; ++w) {
    switch (*w) {
      case 1: inside = true; break;
      case 2: inside = false; break;
      case 't': if (inside) *w = '"'; break;
      case 'u': if (inside) *w = '!'; break;
      case ' ': if (inside) *w = '~'; break;
      case 'b': if (inside) *w = 'l'; break;
      default: break;
    }
  }
  return 0;
}

char* replace_escape_char_in_str(const char* s, char from, char to, char esc) {
  return escape_copy(s, from, to, esc);
}

char* unreplace_escape_char_in_str(const char* s, char from, char to, char esc) {
  if (!s) return nullptr;
  char* out = static_cast<char*>(getmem(std::strlen(s) + 1));
  char* o = out;
  for (; *s; ++s) {
    if (*s == from) {
      *o++ = to;
    } else if (*s == esc) {
      // An escape at the very end quotes nothing.
      if (s[1] == 0) break;
      *o++ = *++s;
    } else {
      *o++ = *s;
    }
  }
  *o = 0;
  return out;
}

VynWchar* replace_escape_wchar_in_wstr(const VynWchar* w, VynWchar from, VynWchar to,
                                       VynWchar esc) {
  return escape_copy(w, from, to, esc);
}

VynWchar* replace_wchar_in_wstr(const VynWchar* w, VynWchar from, VynWchar to) {
  if (!w) return nullptr;
  std::size_t n = static_cast<std::size_t>(wslen(w));
  VynWchar* out = static_cast<VynWchar*>(getmem((2 * n + 1) * sizeof(VynWchar)));
  return ws_sub_wc(w, out, from, to);
}

// ---- Searching

int searchstr(const char* s, const char* sub) {
  if (!s || !sub || !*s) return -1;
  const char* hit = std::strstr(s, sub);
  return hit ? static_cast<int>(hit - s) : -1;
}

int u_searchstr(const char* s, const char* sub) { return find_mapped(s, sub, std_upper); }

int vyn_index(const VynWchar* w, const VynWchar* sub) {
  if (!sub || !*sub) return -1;
  int i = w ? searchwstr(w, sub) : -1;
  return i < 0 ? -2 : i;
}

int is_wstr_in_wstr_arr_low(const VynWchar* const* array, int first, int last,
                            const VynWchar* w, int exact) {
  if (!array || !w || last < first) return -1;
  for (int i = first; i <= last; ++i) {
    if (!array[i]) continue;
    if ((exact ? wscmp(array[i], w) : wu_strcmp(array[i], w)) == 0) return i;
  }
  return -1;
}

int is_wstring_in_wstring_array(const VynWchar* const* array, int count, const VynWchar* w,
                                int exact) {
  return is_wstr_in_wstr_arr_low(array, 0, count - 1, w, exact);
}

int search_wstring_in_wstring_array(const VynWchar* const* array, int count, int start,
                                    const VynWchar* w, int exact) {
  if (!array || !w || start < 0 || start > count) return -1;
  for (int i = start; i < count; ++i) {
    if (!array[i]) continue;
    int at = exact ? searchwstr(array[i], w) : find_mapped(array[i], w, wuppercase);
    if (at >= 0) return i;
  }
  return -1;
}

int is_str_in_str_array(const char* const* array, int count, const char* s, int exact) {
  if (!array || !s) return -1;
  for (int i = 0; i < count; ++i)
    if (narrow_equal(array[i], s, exact)) return i;
  return -1;
}

int compare_wstring_arrays(const VynWchar* const* a, const VynWchar* const* b, int n) {
  if (!a || !b) return (a != nullptr) - (b != nullptr);
  for (int i = 0; i < n; ++i) {
    int r = a[i] && b[i] ? wscmp(a[i], b[i]) : (a[i] != nullptr) - (b[i] != nullptr);
    if (r) return r;
  }
  return 0;
}

int index_in_string_pair_arrays(const char* const* keys, const char* key,
                                const char* const* values, const char* value, int count,
                                int exact) {
  if (!keys || !values) return -1;
  for (int i = 0; i < count; ++i)
    if (narrow_equal(keys[i], key, exact) && narrow_equal(values[i], value, exact)) return i;
  return -1;
}

// ---- Star templates

int load_name_template(const VynWchar* templ, VynNameTemplate* record) {
  if (!record) return 0;
  copy_cut(record->text, templ, NAME_TEMPLATE_SIZE);
  record->star_count = 0;
  for (int i = 0; record->text[i]; ++i)
    if (record->text[i] == '*') record->star_at[record->star_count++] = i;
  return record->star_count;
}

int template_string_convert(const VynWchar* from_template, const VynWchar* to_template,
                            const VynWchar* name, VynWchar* out) {
  if (!from_template || !to_template || !name || !out) return 0;
  VynNameTemplate from;
  VynNameTemplate to;
  // Texts that the records cannot hold (with the marker) match nothing.
  const int name_len = wslen(name);
  if (wslen(from_template) >= NAME_TEMPLATE_SIZE - 1 ||
      wslen(to_template) >= NAME_TEMPLATE_SIZE || name_len >= NAME_TEMPLATE_SIZE - 1)
    return 0;
  if (load_name_template(from_template, &from) != load_name_template(to_template, &to))
    return 0;

  // The marker '$' behind both the name and the from-template pins the last piece to
  // the name's end.
  VynWchar text[NAME_TEMPLATE_SIZE];
  wscpy(text, name);
  const int text_len = name_len + 1;
  text[name_len] = '$';
  text[text_len] = 0;
  const int from_len = wslen(from.text);
  from.text[from_len] = '$';
  from.text[from_len + 1] = 0;

  // Where each piece lies in the name; an empty piece lies where the last one ended.
  int piece_start[NAME_TEMPLATE_SIZE + 1];
  int piece_stop[NAME_TEMPLATE_SIZE + 1];
  int current = 0;
  for (int j = 0; j <= from.star_count; ++j) {
    const int b = piece_begin(from, j);
    const int len = piece_end(from, from_len + 1, j) - b;
    int at = len == 0 ? current : -1;
    for (int i = current; i + len <= text_len && at < 0; ++i)
      if (wsncmp(text + i, from.text + b, len) == 0) at = i;
    if (at < 0 || (j == 0 && at != 0)) return 0;
    if (j == from.star_count && at + len != text_len) return 0;
    piece_start[j] = at;
    piece_stop[j] = current = at + len;
  }

  // Star j of to_template takes what lies between piece j and piece j + 1.
  VynWchar result[NAME_TEMPLATE_SIZE];
  int n = 0;
  int star = 0;
  for (const VynWchar* t = to.text; *t; ++t) {
    if (*t != '*') {
      if (n == NAME_TEMPLATE_SIZE - 1) return 0;
      result[n++] = *t;
      continue;
    }
    const int b = piece_stop[star];
    const int e = piece_start[star + 1];
    ++star;
    if (n + (e - b) > NAME_TEMPLATE_SIZE - 1) return 0;
    for (int i = b; i < e; ++i) result[n++] = text[i];
  }
  result[n] = 0;
  wscpy(out, result);
  return 1;
}

}  // namespace vek
