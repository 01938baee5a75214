// Expression parsing: tokens, the operator stack and the postfix list.
#include <cstring>

#include "runtime/expr/ctexp.h"
#include "runtime/expr/ctexp_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "runtime/text/vscanf.h"
#include "runtime/text/wclass.h"
#include "runtime/text/wide.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

struct FunctionRow {
  char16_t name[22];
  int parentheses;
  int id;
};

constexpr FunctionRow kFunctions[] = {
    {u"itos", 1, 35}, {u"sin", 1, 9},    {u"cos", 1, 10},   {u"tan", 1, 11},
    {u"asin", 1, 12}, {u"acos", 1, 13},  {u"atan2", 1, 48}, {u"atan", 1, 14},
    {u"sinh", 1, 15}, {u"cosh", 1, 16},  {u"tanh", 1, 17},  {u"sqrt", 1, 18},
    {u"log", 1, 19},  {u"ln", 1, 20},    {u"exp", 1, 21},   {u"abs", 1, 22},
    {u"true", 0, 32}, {u"false", 0, 33}, {u"pi", 0, 34},    {u"min", 1, 49},
    {u"max", 1, 50},  {u"if", 1, 51},    {u"", 0, -2}};

// Longest function name read, terminator included.
constexpr int kNameSize = 32;
// Longest number literal, terminator included.
constexpr int kLiteralSize = 500;

using ParseFunction = int (*)(VynWchar*, double*);
ParseFunction ctexp_parse_lf = nullptr;

bool is_blank(VynWchar c) { return c == ' ' || c == '\t' || c == '\\'; }
bool is_digit(VynWchar c) { return c >= '0' && c <= '9'; }
bool at_end(VynWchar c) { return c == 0 || c == '\n'; }

// Level and same-level flag (1: left to right) of the listed ids.
int level_of(int id, int* left_to_right) {
  *left_to_right = 1;
  switch (id) {
    case CTEXP_NEG:
    case CTEXP_NOT: *left_to_right = 0; return 1;
    case CTEXP_POW: return 2;
    case CTEXP_MUL:
    case CTEXP_DIV: return 3;
    case CTEXP_ADD:
    case CTEXP_SUB: return 4;
    case CTEXP_LT:
    case CTEXP_GT:
    case CTEXP_LE:
    case CTEXP_GE: return 5;
    case CTEXP_EQ:
    case CTEXP_NE: return 6;
    case CTEXP_AND:
    case CTEXP_OR: return 7;
    default: *left_to_right = 0; return -1;
  }
}

// The postfix list and the operator stack stop at their arrays' limits: a text too long
// for them is refused with 11 rather than ending the process in the arrays' growth.
int append_node(CtexpState* state, int id, const CtexpValue* value) {
  if (state->count >= xar_max_count_get(static_cast<int>(sizeof(CtexpNode*))))
    return CTEXP_SYNTAX;
  auto* node = static_cast<CtexpNode*>(getmem(sizeof(CtexpNode)));
  std::memset(node, 0, sizeof *node);
  node->id = id;
  if (value) ctexp_copy_val(&node->value, value);
  xar_append(&state->list, 1, &node);
  ++state->count;
  return 0;
}

void release_state(CtexpState* state) {
  for (int i = 0; i < state->count; ++i) rlsmem(state->list[i]);
  if (state->list) xar_free(&state->list);
  if (state->stack) xar_free(&state->stack);
  state->list = nullptr;
  state->stack = nullptr;
  state->count = 0;
  state->top = -1;
}

// Moves operators to the postfix list until '(' is on top; 0 when one is there, else 11.
int unwind_to_open(CtexpState* state) {
  while (state->top >= 0 && state->stack[state->top] != CTEXP_OPEN)
    if (ctexp_move_oper_to_polish(state)) return CTEXP_SYNTAX;
  return state->top >= 0 ? 0 : CTEXP_SYNTAX;
}

// Moves operators to the postfix list while the top must go before id, then pushes id.
int push_after_higher(CtexpState* state, int id) {
  while (state->top >= 0 && ctexp_prec(state->stack[state->top], id) == 1)
    if (ctexp_move_oper_to_polish(state)) return CTEXP_SYNTAX;
  return ctexp_add_oper(state, id);
}

bool stack_holds_open(const CtexpState* state) {
  for (int i = 0; i <= state->top; ++i)
    if (state->stack[i] == CTEXP_OPEN) return true;
  return false;
}

// A number literal from text[*cursor]; the cursor moves to its last character.
int read_number(CtexpState* state, const VynWchar* text, int* cursor) {
  int at = *cursor;
  int start = at;
  while (is_digit(text[at])) ++at;
  if (text[at] == '.') {
    ++at;
    while (is_digit(text[at])) ++at;
  }
  if (wlowercase(text[at]) == 'e') {
    ++at;
    int negative = 0;
    if (text[at] == '-' || text[at] == '+') negative = text[at++] == '-';
    if (!is_digit(text[at])) return CTEXP_SYNTAX;
    // The exponent's range from its digits: leading zeros, then at most two digits.
    while (text[at] == '0') ++at;
    int exponent = 0;
    int digits = 0;
    for (; is_digit(text[at]); ++at, ++digits)
      if (digits < 3) exponent = exponent * 10 + (text[at] - '0');
    if (digits >= 3) return CTEXP_SYNTAX;
    if (negative) exponent = -exponent;
    if (exponent < -31 || exponent > 32) return CTEXP_SYNTAX;
  }
  int length = at - start;
  if (length >= kLiteralSize) return CTEXP_SYNTAX;
  VynWchar literal[kLiteralSize];
  std::memcpy(literal, text + start, sizeof(VynWchar) * static_cast<unsigned>(length));
  literal[length] = 0;
  CtexpValue value{};
  value.type = CTEXP_DOUBLE;
  if (vyn_wsscanf(literal, "%lf", &value.v.d) != 1) {
    int whole = 0;
    if (vyn_wsscanf(literal, "%d", &whole) != 1) return CTEXP_SYNTAX;
    value.v.d = whole;
  }
  *cursor = at - 1;
  return append_node(state, CTEXP_OPERAND, &value);
}

// A string literal from the quote at text[*cursor]; the cursor moves to the closing one.
int read_string(CtexpState* state, const VynWchar* text, int* cursor) {
  CtexpValue value{};
  value.type = CTEXP_STRING;
  int at = *cursor + 1;
  int length = 0;
  for (; text[at] != '"'; ++at) {
    if (at_end(text[at]) || length == CTEXP_STRING_MAX) return CTEXP_SYNTAX;
    value.v.s[length++] = text[at];
  }
  value.v.s[length] = 0;
  *cursor = at;
  return append_node(state, CTEXP_OPERAND, &value);
}

int parse_function(CtexpState* state, const VynWchar* text, int* cursor) {
  int id = 0;
  int status = ctexp_get_func(&id, text, cursor);
  if (status) return status;
  return push_after_higher(state, id);
}

// One token at text[*cursor]; the cursor is left on its last character.
int parse_token(CtexpState* state, VynWchar* text, int* cursor) {
  int at = *cursor;
  VynWchar c = text[at];
  VynWchar next = text[at + 1];
  auto two = [&](int id) {
    ++*cursor;
    return ctexp_check_ctexp_add_oper(state, id, text, cursor);
  };
  switch (c) {
    case '!':
      // A '!' the parser wrote for a minus is a negation whatever follows it.
      if (next == '=' && at != state->marked) return two(CTEXP_NE);
      text[at] = '-';
      if (at == state->marked) state->marked = -1;
      return ctexp_check_ctexp_add_oper(state, CTEXP_NEG, text, cursor);
    case '"': return read_string(state, text, cursor);
    case '+': return ctexp_check_ctexp_add_oper(state, CTEXP_ADD, text, cursor);
    case '-': return ctexp_check_ctexp_add_oper(state, CTEXP_SUB, text, cursor);
    case '*': return ctexp_check_ctexp_add_oper(state, CTEXP_MUL, text, cursor);
    case '/': return ctexp_check_ctexp_add_oper(state, CTEXP_DIV, text, cursor);
    case '^': return ctexp_check_ctexp_add_oper(state, CTEXP_POW, text, cursor);
    case '(': return ctexp_check_ctexp_add_oper(state, CTEXP_OPEN, text, cursor);
    case '&': return ctexp_check_ctexp_add_oper(state, CTEXP_AND, text, cursor);
    case '|': return ctexp_check_ctexp_add_oper(state, CTEXP_OR, text, cursor);
    case ')':
      if (unwind_to_open(state)) return CTEXP_SYNTAX;
      ctexp_remove_oper(state);
      return 0;
    case ',':
      if (!stack_holds_open(state)) return CTEXP_SYNTAX;
      if (ctexp_oper_valid_state(state, text, at)) return CTEXP_SYNTAX;
      return unwind_to_open(state);
    case '<':
      if (next == '=') return two(CTEXP_LE);
      if (next == '>') return two(CTEXP_NE);
      return ctexp_check_ctexp_add_oper(state, CTEXP_LT, text, cursor);
    case '>':
      if (next == '=') return two(CTEXP_GE);
      return ctexp_check_ctexp_add_oper(state, CTEXP_GT, text, cursor);
    case '=':
      if (next == '=') return two(CTEXP_EQ);
      if (next == '<') return two(CTEXP_LE);
      if (next == '>') return two(CTEXP_GE);
      return CTEXP_SYNTAX;
    case '~':
      if (next == '=') return two(CTEXP_NE);
      return ctexp_check_ctexp_add_oper(state, CTEXP_NOT, text, cursor);
    default:
      if (is_digit(c) || c == '.') return read_number(state, text, cursor);
      return parse_function(state, text, cursor);
  }
}

int parse_and_eval(VynWchar* text, CtexpValue* result) {
  CtexpState state{nullptr, 0, nullptr, -1, -1};
  state.list = static_cast<CtexpNode**>(xar_alloc(0, sizeof(CtexpNode*), 16));
  state.stack = static_cast<int*>(xar_alloc(0, sizeof(int), 8));
  int cursor = 0;
  ctexp_skip_wblanks(text, &cursor);
  int status = 0;
  VynWchar first = text[cursor];
  if (ctexp_is_oper(first)) {
    if (first == '-') {
      text[cursor] = '!';
      state.marked = cursor;
    } else if (first == '+') {
      ++cursor;
    } else if (first != '(') {
      status = CTEXP_SYNTAX;
    }
  }
  while (status == 0) {
    ctexp_skip_wblanks(text, &cursor);
    if (at_end(text[cursor])) {
      while (state.top >= 0) {
        // An unclosed '(' is a syntax fault, not an operator to evaluate.
        if (state.stack[state.top] == CTEXP_OPEN || ctexp_move_oper_to_polish(&state)) {
          status = CTEXP_SYNTAX;
          break;
        }
      }
      if (status == 0) status = append_node(&state, CTEXP_END, nullptr);
      if (status == 0) status = ctexp_eval(state.list, state.count, result);
      break;
    }
    status = parse_token(&state, text, &cursor);
    if (text[cursor] != 0) ++cursor;
  }
  // A parse that stopped before reading its mark leaves the text as typed all the same.
  if (state.marked >= 0 && text[state.marked] == '!') text[state.marked] = '-';
  release_state(&state);
  return status;
}

}  // namespace

void ctexp_testing_reset() { ctexp_parse_lf = nullptr; }
int ctexp_testing_parse_function_set() { return ctexp_parse_lf != nullptr; }

int ct_wstoexp(VynWchar* text, double* value) {
  if (!ctexp_parse_lf) ctexp_parse_lf = ctexp_parse_real;
  return ctexp_parse_lf(text, value) == 0 ? 1 : 0;
}

int ct_wsisexp(VynWchar* text) { return ct_wstoexp(text, nullptr); }

int ctexp_parse_real(VynWchar* text, double* value) {
  CtexpValue result{};
  int status = ctexp_parse_expr_static(text, &result);
  if (status) return status;
  double d;
  if (result.type == CTEXP_INT)
    d = result.v.i;
  else if (result.type == CTEXP_DOUBLE)
    d = result.v.d;
  else
    return CTEXP_SYNTAX;
  if (value) *value = d;
  return 0;
}

int ctexp_parse_expr_static(VynWchar* text, CtexpValue* result) {
  if (!text || !result) return CTEXP_SYNTAX;
  return parse_and_eval(text, result);
}

int ctexp_is_oper(VynWchar c) {
  return c == '(' || c == '*' || c == '+' || c == ',' || c == '-' || c == '/' || c == '^';
}

int ctexp_oper_valid(VynWchar* text, int at) {
  CtexpState state{nullptr, 0, nullptr, -1, -1};
  return ctexp_oper_valid_state(&state, text, at);
}

int ctexp_oper_valid_state(CtexpState* state, VynWchar* text, int at) {
  int next = at + 1;
  if (text[at] == 0) return 0;
  ctexp_skip_wblanks(text, &next);
  VynWchar c = text[next];
  if (c == '(') return 0;
  if (c == '-') {
    text[next] = '!';
    state->marked = next;
    return 0;
  }
  return ctexp_is_oper(c) ? CTEXP_SYNTAX : 0;
}

int ctexp_find_prec(int id) {
  int flag = 0;
  return level_of(id, &flag);
}

int ctexp_prec(int top, int id) {
  if (top == CTEXP_OPEN || id == CTEXP_OPEN) return 0;
  if (top == CTEXP_NEG && id == CTEXP_POW) return 0;
  int top_flag = 0;
  int id_flag = 0;
  int top_level = level_of(top, &top_flag);
  int id_level = level_of(id, &id_flag);
  if (top_level < 0) top_level = 0;
  if (id_level < 0) id_level = 0;
  if (top_level < id_level) return 1;
  if (top_level > id_level) return 0;
  return top_flag;
}

int ctexp_add_oper(CtexpState* state, int id) {
  if (state->top + 1 >= xar_max_count_get(static_cast<int>(sizeof(int)))) return CTEXP_SYNTAX;
  ++state->top;
  if (state->top >= xar_count(&state->stack))
    xar_append(&state->stack, 1, &id);
  else
    state->stack[state->top] = id;
  return 0;
}

void ctexp_remove_oper(CtexpState* state) {
  if (state->top >= 0) --state->top;
}

int ctexp_move_oper_to_polish(CtexpState* state) {
  if (state->top < 0) return 0;
  if (append_node(state, state->stack[state->top], nullptr)) return CTEXP_SYNTAX;
  ctexp_remove_oper(state);
  return 0;
}

int ctexp_check_ctexp_add_oper(CtexpState* state, int id, VynWchar* text, int* cursor) {
  if (ctexp_oper_valid_state(state, text, *cursor)) return CTEXP_SYNTAX;
  return push_after_higher(state, id);
}

void ctexp_skip_wblanks(const VynWchar* text, int* cursor) {
  while (is_blank(text[*cursor])) ++*cursor;
}

int ctexp_param_iswalpha(VynWchar c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 128;
}

int ctexp_get_function_name(const VynWchar* text, VynWchar* name, int* length,
                            VynWchar* base, int* base_length) {
  *length = 0;
  *base_length = 0;
  name[0] = 0;
  base[0] = 0;
  VynWchar first = text[0];
  if (!(ctexp_param_iswalpha(first) || first == '_') || first == 'd' || first == 'D')
    return CTEXP_SYNTAX;
  int at = 0;
  while (ctexp_param_iswalpha(text[at]) || text[at] == '_') ++at;
  *base_length = at;
  while (ctexp_param_iswalpha(text[at]) || text[at] == '_' || is_digit(text[at])) ++at;
  *length = at;
  if (at >= kNameSize) return CTEXP_SYNTAX;
  std::memcpy(name, text, sizeof(VynWchar) * static_cast<unsigned>(at));
  name[at] = 0;
  std::memcpy(base, text, sizeof(VynWchar) * static_cast<unsigned>(*base_length));
  base[*base_length] = 0;
  return 0;
}

int ctexp_is_func_gen(const VynWchar* name, int* id, int* parentheses) {
  VynWchar lower[kNameSize];
  if (wslen(name) >= kNameSize) return 0;
  wncnvrt_to_lower(name, lower, kNameSize);
  for (const FunctionRow* row = kFunctions; row->id != -2; ++row) {
    if (wscmp(lower, row->name) == 0) {
      *id = row->id;
      *parentheses = row->parentheses;
      return 1;
    }
  }
  return 0;
}

const VynWchar* ctexp_function_name_of(int id) {
  for (const FunctionRow* row = kFunctions; row->id != -2; ++row)
    if (row->id == id) return row->name;
  return nullptr;
}

int ctexp_get_func(int* id, const VynWchar* text, int* cursor) {
  VynWchar name[kNameSize];
  VynWchar base[kNameSize];
  int length = 0;
  int base_length = 0;
  if (ctexp_get_function_name(text + *cursor, name, &length, base, &base_length))
    return CTEXP_SYNTAX;
  int parentheses = 0;
  if (!ctexp_is_func_gen(name, id, &parentheses)) return CTEXP_SYNTAX;
  int after = *cursor + length;
  if (parentheses) {
    ctexp_skip_wblanks(text, &after);
    if (text[after] != '(') return CTEXP_SYNTAX;
  }
  *cursor += length - 1;
  return 0;
}

int ctexp_getsym_n_pos_low(const VynWchar* text, VynWchar* buffer, int* end, int size,
                           int letter_first, int honour_quotes, int* start, int first_index) {
  auto symbol_char = [&](VynWchar c) {
    return ctexp_param_iswalpha(c) || c == '_' || (!letter_first && is_digit(c));
  };
  if (buffer && size > 0) buffer[0] = 0;
  int quoted = 0;
  int at = first_index;
  for (;; ++at) {
    VynWchar c = text[at];
    if (c == 0) return CTEXP_NO_SYMBOL;
    if (c == '*' && at > 0 && text[at - 1] == '/') return CTEXP_NO_SYMBOL;
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (quoted && honour_quotes) continue;
    VynWchar previous = at > 0 ? text[at - 1] : ' ';
    if (c == '$' || (symbol_char(c) && !is_digit(previous) && previous != '.')) break;
  }
  int from = at;
  ++at;
  while (ctexp_param_iswalpha(text[at]) || is_digit(text[at]) || text[at] == '_' ||
         text[at] == ':')
    ++at;
  if (start) *start = from;
  *end = at;
  int length = at - from;
  int copy = length < size - 1 ? length : size - 1;
  if (buffer && copy > 0) {
    std::memcpy(buffer, text + from, sizeof(VynWchar) * static_cast<unsigned>(copy));
    buffer[copy] = 0;
  }
  return length >= size ? CTEXP_SYMBOL_LONG : 0;
}

int ctexp_getsym_n_low(const VynWchar* text, VynWchar* buffer, int* end, int size,
                       int letter_first) {
  return ctexp_getsym_n_pos_low(text, buffer, end, size, letter_first, 1, nullptr, 0);
}

int ctexp_getsym_n(const VynWchar* text, VynWchar* buffer, int* end, int size) {
  return ctexp_getsym_n_low(text, buffer, end, size, 1);
}

int ct_wc_eq_char(VynWchar wc, char c) {
  char mb[8] = {};
  return vyn_wctomb(mb, wc) == 1 && mb[0] == c ? 1 : 0;
}

int ct_wsisinteger(const VynWchar* text, int) {
  if (!text) return 0;
  int at = 0;
  while (wclass_space(text[at])) ++at;
  if (ct_wc_eq_char(text[at], '-') || ct_wc_eq_char(text[at], '+')) ++at;
  if (!is_digit(text[at])) return 0;
  while (is_digit(text[at])) ++at;
  while (wclass_space(text[at])) ++at;
  return text[at] == 0 ? 1 : 0;
}

int ct_wsisfloat(const VynWchar* text, int) {
  if (!text) return 0;
  int at = 0;
  while (wclass_space(text[at])) ++at;
  if (ct_wc_eq_char(text[at], '-') || ct_wc_eq_char(text[at], '+')) ++at;
  if (!is_digit(text[at]) && text[at] != '.') return 0;
  while (is_digit(text[at])) ++at;
  if (text[at] == '.') {
    ++at;
    if (!is_digit(text[at])) return 0;
    while (is_digit(text[at])) ++at;
  }
  if (text[at] == 'e' || text[at] == 'E') {
    ++at;
    if (ct_wc_eq_char(text[at], '-') || ct_wc_eq_char(text[at], '+')) ++at;
    if (!is_digit(text[at])) return 0;
    int value = 0;
    for (int digits = 0; is_digit(text[at]); ++at, ++digits)
      if (digits < 3) value = value * 10 + (text[at] - '0');
    if (value >= 39) return 0;
  }
  while (wclass_space(text[at])) ++at;
  return text[at] == 0 ? 1 : 0;
}

}  // namespace vek
