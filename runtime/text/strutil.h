// String utilities on narrow and wide strings: name and symbol validity with a
// configurable wildcard set, ASCII case, white space, quotes and tokens, escaping of one
// character, searches in strings and string arrays, and star templates.
//
// Character classes called standard below are the C library's (isspace, isalnum, ...):
// for bytes in the library's current locale, for wide characters Unicode's (wclass.h).
// Functions marked narrow take bytes; the others take wide strings.
#pragma once

#include "runtime/vekbase.h"

namespace vek {

// ---- Name validity

// Capacity of the wildcard set, terminator included.
constexpr int WILD_CARDS_SIZE = 32;

// Installs the set "*?$" and enables generic parts in angle brackets; returns the old
// enable flag.
int enable_wild_card();
// Copies the current set into old (WILD_CARDS_SIZE characters) when old is given, then
// installs set (its first 31 characters; null installs an empty set) and enables.
int enable_custom_wild_card(const VynWchar* set, VynWchar* old);
// Empties the set and disables generic parts.
void disable_wild_card();
// 1 when the wildcard set holds c (never for the terminator).
int is_wild_card(VynWchar c);
// Index of the first character that makes the name invalid; the name's length when it
// is valid. Valid: letters, digits, '_', '-' and wildcard characters, not beginning with
// '-'; while wildcards are enabled (and '<' is none of them) generic parts "<...>" from
// the second character on, a '>' only as the last character. Empty or null: 0.
int invalid_name_idx(const VynWchar* name);
// 1 when the name is invalid (an empty name is not).
int invalid_string(const VynWchar* name);
// Narrow: 1 for a standard letter or digit, '_' or '-'.
int is_valid_char(char c);
// 1 when the symbol begins with '-' or holds a character other than a standard letter
// or digit, '_', '-' or one from 128 up. Null or empty: 0.
int invalid_symbol(const VynWchar* w);
// The same for a cross-section name, which may also hold '"' and '.'; its first
// character is only tested for '-'.
int invalid_xsec_name(const VynWchar* w);

// ---- Case (narrow, ASCII only)

char uppercase(char c);
char lowercase(char c);
// Whole strings; src and dst may be the same.
void vyn_cnvrt_to_upper(const char* src, char* dst);
void convert_to_lower(const char* src, char* dst);
// The first letter or digit of each word upper case, the rest lower case.
void vyn_cnvrt_to_title(const char* src, char* dst);
// Without regard to case: the first difference of signed bytes after standard lower
// case letters were taken to upper case; 0 when equal.
int u_strcmp_func(const char* a, const char* b);
// The same over at most n characters.
int upper_strncmp_func(const char* a, const char* b, int n);

// ---- Blanks and white space

// Narrow: when 0 < strlen(s) < n, pads s with blanks to n - 1 characters and returns 1;
// otherwise 0 and s unchanged.
int blankpad(char* s, int n);
// 1 when w is null or holds only blanks and tabs.
int blankstr(const VynWchar* w);
// Narrow: 1 when every byte of s is standard white space (also for "" and null).
int empty_string(const char* s);
// Narrow: the same over s to last inclusive, stopping at a terminator.
int empty_string_noz(const char* s, const char* last);
// Cuts trailing standard white space in place and returns the first character that is
// not white space. Null: null.
VynWchar* extract_string(VynWchar* w);
// Cuts trailing blanks, tabs and line feeds in place.
void remove_trailing_whitespace(VynWchar* w);
// Cuts trailing standard white space in place; returns the new terminator's address.
VynWchar* remove_all_trailing_whitespaces(VynWchar* w);
// Moves *p_w past leading standard white space.
void strip_wspaces(VynWchar** p_w);
// In place: leading standard white space and trailing blanks, tabs and line feeds go;
// returns w.
VynWchar* remove_lead_trail_whitespace(VynWchar* w);
// Narrow: copies src into dst without its control characters (dst may be src).
void trunc_ctrl_chars(const char* src, char* dst);

// ---- Quotes and tokens

// 1 for '"' and '\''.
int is_quote_char(VynWchar c);
// Capacity of strip_quotes' result, terminator included.
constexpr int STRIP_QUOTES_SIZE = 82;
// out gets w without one leading and one trailing quote (blanks and tabs after the
// trailing quote go with it), cut to STRIP_QUOTES_SIZE - 1 characters; returns out. An
// empty or null w gives null and leaves out untouched. out may be w.
VynWchar* strip_quotes(const VynWchar* w, VynWchar* out);
// Statuses of the token functions.
constexpr int TOK_OK = 0;
constexpr int TOK_TRUNCATED = 1;   // the token (or the quoted text) did not fit
constexpr int TOK_OPEN_QUOTE = 11;
constexpr int TOK_BAD_ARGS = 92;
// Takes the next token of the text at *p_cursor into tok (size characters with the
// terminator): leading delimiters are skipped, quotes group and are dropped. On TOK_OK
// *p_cursor is the delimiter that ended the token, or null at the text's end; on any
// other status it is unchanged. delims (null: none) must hold no quote.
int parse_quoted_to_tok(VynWchar** p_cursor, const VynWchar* delims, int size,
                        VynWchar* tok);
// Quotes text into out (size characters with the terminator) so that
// parse_quoted_to_tok reads it back as one token. TOK_TRUNCATED leaves out empty or
// untouched.
int wstr_to_wrapped_tok(const VynWchar* text, const VynWchar* delims, int size,
                        VynWchar* out);

// ---- Special characters and escapes

// Narrow: while sym occurs in s, the first character of its first occurrence goes. An
// empty or null sym changes nothing.
void eliminate_symbol_doubles(char* s, const char* sym);
int set_freeze_symbol_chars(int value);
int get_freeze_symbol_chars();
// Unless frozen (then the freeze value is returned), inside spans from a character 1 to
// the next character 2 maps 't' to '"', 'u' to '!', ' ' to '~' and 'b' to 'l'; 0.
int remove_dup_special_chars(VynWchar* w);
// New blocks (getmem; null for a null input). Escaping: each from becomes to, each to
// and each esc of the input gets esc in front. Unescaping: each from becomes to, an esc
// is dropped and the character after it copied as it is; (encoded, to, from, esc)
// undoes the escaping.
char* replace_escape_char_in_str(const char* s, char from, char to, char esc);
char* unreplace_escape_char_in_str(const char* s, char from, char to, char esc);
VynWchar* replace_escape_wchar_in_wstr(const VynWchar* w, VynWchar from, VynWchar to,
                                       VynWchar esc);
// A new block with every from replaced by to.
VynWchar* replace_wchar_in_wstr(const VynWchar* w, VynWchar from, VynWchar to);

// ---- Searching

// Narrow: index of the first occurrence of sub, or -1 (also for an empty s); an empty
// sub in a non-empty s is found at 0. u_searchstr compares through standard upper case.
int searchstr(const char* s, const char* sub);
int u_searchstr(const char* s, const char* sub);
// Index of the first occurrence of sub; -1 for an empty sub, -2 when absent.
int vyn_index(const VynWchar* w, const VynWchar* sub);
// Index of the first non-null element of array[first..last] equal to w (wscmp when
// exact, else wu_strcmp), or -1.
int is_wstr_in_wstr_arr_low(const VynWchar* const* array, int first, int last,
                            const VynWchar* w, int exact);
int is_wstring_in_wstring_array(const VynWchar* const* array, int count, const VynWchar* w,
                                int exact);
// Index of the first non-null element from start on that contains w (through wuppercase
// unless exact), or -1; also -1 when start < 0, start > count or w is null.
int search_wstring_in_wstring_array(const VynWchar* const* array, int count, int start,
                                    const VynWchar* w, int exact);
// Narrow: index of the first non-null element equal to s (bytes when exact, else
// without regard to case), or -1.
int is_str_in_str_array(const char* const* array, int count, const char* s, int exact);
// The first nonzero wscmp of a[i] and b[i], i from 0 to n - 1, or 0. A null element
// sorts before any string.
int compare_wstring_arrays(const VynWchar* const* a, const VynWchar* const* b, int n);
// Narrow: the first i with keys[i] equal to key and values[i] equal to value, or -1.
int index_in_string_pair_arrays(const char* const* keys, const char* key,
                                const char* const* values, const char* value, int count,
                                int exact);

// ---- Star templates

// Capacity of a template, a name and the result of a conversion, terminator included.
constexpr int NAME_TEMPLATE_SIZE = 128;

struct VynNameTemplate {
  VynWchar text[NAME_TEMPLATE_SIZE];
  int star_count;
  int star_at[NAME_TEMPLATE_SIZE];  // character index of each '*', in order
};

// Fills the record from the template (cut to NAME_TEMPLATE_SIZE - 1 characters; null
// is empty); returns the number of '*'.
int load_name_template(const VynWchar* templ, VynNameTemplate* record);
// 1 when name matches from_template and out (NAME_TEMPLATE_SIZE characters) holds name
// rewritten by to_template, each '*' there taking what the same '*' of from_template
// matched; else 0 with out untouched.
int template_string_convert(const VynWchar* from_template, const VynWchar* to_template,
                            const VynWchar* name, VynWchar* out);

}  // namespace vek
