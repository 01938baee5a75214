// The expression service: wide text such as "2 * pi / 3" is turned into postfix order
// by operator-precedence parsing and evaluated on a stack of typed values.
//
// Statuses: 0 success; 11 not a valid expression (or not of the wanted kind, or too few
// or too many values for the operators); 92 a type mismatch, a value outside an
// operation's domain, or a result that is not finite; the symbol scanner gives 4 (no
// symbol) and 109 (symbol too long).
#pragma once

#include <cstdint>

#include "runtime/vekbase.h"

namespace vek {

constexpr int CTEXP_OK = 0;
constexpr int CTEXP_SYNTAX = 11;
constexpr int CTEXP_DOMAIN = 92;
constexpr int CTEXP_NO_SYMBOL = 4;
constexpr int CTEXP_SYMBOL_LONG = 109;

// Value types.
constexpr int CTEXP_DOUBLE = 50;
constexpr int CTEXP_STRING = 51;
constexpr int CTEXP_INT = 52;
constexpr int CTEXP_BOOL = 53;
constexpr int CTEXP_WORD = 54;     // a 32-bit value compared only for equality
constexpr int CTEXP_UNKNOWN = 59;  // value unknown; i holds its type (or 59)

// Most characters of a string value (the terminator not counted).
constexpr int CTEXP_STRING_MAX = 80;

struct CtexpValue {
  int type;
  union {
    double d;
    VynWchar s[CTEXP_STRING_MAX + 1];
    std::int32_t i;  // int, and the type of an unknown value
    std::int16_t b;
    std::int32_t n;  // type 54
  } v;
};

// Operator ids (function ids are in the function table).
enum : int {
  CTEXP_OPERAND = -1,
  CTEXP_END = -2,
  CTEXP_ADD = 0,
  CTEXP_SUB = 1,
  CTEXP_MUL = 2,
  CTEXP_DIV = 3,
  CTEXP_POW = 4,
  CTEXP_OPEN = 5,
  CTEXP_NEG = 7,
  CTEXP_LT = 109,
  CTEXP_GT = 110,
  CTEXP_LE = 111,
  CTEXP_GE = 112,
  CTEXP_EQ = 113,
  CTEXP_NE = 114,
  CTEXP_AND = 115,
  CTEXP_OR = 116,
  CTEXP_NOT = 117,
};

// A postfix node: a getmem block.
struct CtexpNode {
  CtexpValue value;
  int id;
};

// Parser state: the postfix list (xarray of node pointers) and the operator stack
// (xarray of ids, top index -1 when empty), and where the parser marked a minus as '!'
// that it has not read back yet (-1 for none).
struct CtexpState {
  CtexpNode** list;
  int count;
  int* stack;
  int top;
  int marked;
};

// ---- Entry points. The text must be writable: a minus in operand position is marked
// '!' while parsing and written back as '-' when read or when the parse ends (a '!'
// typed as negation also reads back as '-'). A text longer than the postfix list, the
// operator stack or the value stack can hold gives 11.

// 1 when the text is an expression whose value is a number (stored through value when
// it is not null), else 0.
int ct_wstoexp(VynWchar* text, double* value);
int ct_wsisexp(VynWchar* text);
// 0 with the value for a numeric result (an int is turned into a double), 11 for a
// result of another type, else the parse or evaluation status.
int ctexp_parse_real(VynWchar* text, double* value);
// Parses and evaluates into result; the status.
int ctexp_parse_expr_static(VynWchar* text, CtexpValue* result);

// ---- Operators
int ctexp_is_oper(VynWchar c);
// Checks the character after the operator token ending at text[at]: 0 or 11. A '-'
// there is marked as a negation.
int ctexp_oper_valid(VynWchar* text, int at);
// The same, keeping the marked position in the state.
int ctexp_oper_valid_state(CtexpState* state, VynWchar* text, int at);
// 1 when the operator top must go to the postfix list before new is pushed.
int ctexp_prec(int top, int id);
// Precedence level of an id (0 highest), -1 for an id the table does not list.
int ctexp_find_prec(int id);
// Pushes an id: 0, or 11 when the stack is full.
int ctexp_add_oper(CtexpState* state, int id);
void ctexp_remove_oper(CtexpState* state);
// Moves the top id to the postfix list: 0, or 11 when the list is full.
int ctexp_move_oper_to_polish(CtexpState* state);
// Operator check at text[*cursor], then moves operators and pushes id: 0 or 11.
int ctexp_check_ctexp_add_oper(CtexpState* state, int id, VynWchar* text, int* cursor);

// ---- Names
// Reads a function name at text[*cursor] (the cursor moves to its last character): 0
// with the id, else 11.
int ctexp_get_func(int* id, const VynWchar* text, int* cursor);
// 1 with the id and the parentheses flag when name (lower-cased) is a table row.
int ctexp_is_func_gen(const VynWchar* name, int* id, int* parentheses);
// Reads a name (letters and '_', then also digits) into name (32 characters with the
// terminator) and its base (letters and '_' only) into base; lengths are the full
// lengths read. 0, or 11 when no name starts there or it is 32 or more characters.
int ctexp_get_function_name(const VynWchar* text, VynWchar* name, int* length,
                            VynWchar* base, int* base_length);
// Advances past blanks, tabs and backslashes.
void ctexp_skip_wblanks(const VynWchar* text, int* cursor);
// 1 for an ASCII letter or any character from 128 up.
int ctexp_param_iswalpha(VynWchar c);
// Name of the table row with the id, or null.
const VynWchar* ctexp_function_name_of(int id);

// ---- Symbol scanner: 0 with the symbol (at most size-1 characters copied), 4 when
// none starts, 109 when it is size or more characters long. end (and start) are
// indexes into text.
int ctexp_getsym_n(const VynWchar* text, VynWchar* buffer, int* end, int size);
int ctexp_getsym_n_low(const VynWchar* text, VynWchar* buffer, int* end, int size,
                       int letter_first);
int ctexp_getsym_n_pos_low(const VynWchar* text, VynWchar* buffer, int* end, int size,
                           int letter_first, int honour_quotes, int* start, int first_index);

// ---- Syntax checks (the second argument is not used).
int ct_wsisinteger(const VynWchar* text, int unused);
int ct_wsisfloat(const VynWchar* text, int unused);
// 1 when the multibyte form of wc is the single byte c.
int ct_wc_eq_char(VynWchar wc, char c);

// ---- Evaluation
// Runs the postfix list (count nodes, ended by an end node) into result: 0, 11 or 92.
int ctexp_eval(CtexpNode* const* list, int count, CtexpValue* result);

// The value stack: an xarray of values (step 5) with its count.
struct CtexpStack {
  CtexpValue* values;
  int count;
  int underflow;
};
// 0, or 11 when the stack is full (nothing pushed).
int ctexp_push_sym_val(CtexpStack* stack, const CtexpValue* value);
// The top value, or null (setting the underflow flag) on an empty stack.
const CtexpValue* ctexp_pop_sym_val(CtexpStack* stack);
// Copies the type and the value by type; 0 for a type it does not know (only the type
// is copied), else 1.
int ctexp_copy_val(CtexpValue* dst, const CtexpValue* src);

// Operations: each writes work and returns 0 or 92.
int ctexp_eval_to_d(int id, CtexpValue* work);
int ctexp_eval_to_b(int id, CtexpValue* work);
int ctexp_eval_d_to_d(int id, CtexpValue* work, double x);
int ctexp_eval_d_to_s(int id, CtexpValue* work, double x);
int ctexp_eval_b_to_b(int id, CtexpValue* work, int x);
int ctexp_eval_ss_to_s(int id, CtexpValue* work, const VynWchar* a, const VynWchar* b);
int ctexp_eval_dd_to_d(int id, CtexpValue* work, double a, double b);
int ctexp_eval_numnum_to_num(int id, CtexpValue* work, const CtexpValue* a,
                             const CtexpValue* b);
int ctexp_eval_dd_to_b(int id, CtexpValue* work, double a, double b);
int ctexp_eval_ss_to_b(int id, CtexpValue* work, const VynWchar* a, const VynWchar* b);
int ctexp_eval_bb_to_b(int id, CtexpValue* work, int a, int b);
int ctexp_eval_nn_to_b(int id, CtexpValue* work, std::int32_t a, std::int32_t b);
int ctexp_eval_iff_func(CtexpValue* work, const CtexpValue* condition,
                        const CtexpValue* yes, const CtexpValue* no);

// Unknown-value rules: 1 when they decide the result (written to work), else 0. right
// is null for one-operand ids.
int ctexp_process_spec_type(int id, CtexpValue* work, const CtexpValue* left,
                            const CtexpValue* right);
int ctexp_process_spec_type_plus(CtexpValue* work, int common);
int ctexp_process_spec_type_math(CtexpValue* work, int common);
int ctexp_process_spec_type_cmp(CtexpValue* work, int common);
int ctexp_process_spec_type_and(CtexpValue* work, int common, const CtexpValue* left,
                                const CtexpValue* right);
int ctexp_process_spec_type_or(CtexpValue* work, int common, const CtexpValue* left,
                               const CtexpValue* right);
// The common type of two operands of which one is unknown, or 0 for none.
int ctexp_get_common_special_type(const CtexpValue* a, const CtexpValue* b);
int ctexp_is_symbol_special_bool(const CtexpValue* value);
int ctexp_is_symbol_special_double(const CtexpValue* value);

// 1 when d + 1 and d - 1 lie strictly inside the int range.
int ctexp_double_in_int_limits(double d);
// Relative equality within 1e-12; two values below 1e-30 in magnitude are equal.
int ctexp_floating_equal(double a, double b);

}  // namespace vek
