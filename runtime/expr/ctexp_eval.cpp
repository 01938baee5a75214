// Expression evaluation: the postfix list run on a stack of typed values.
#include <cmath>
#include <cstring>

#include "runtime/expr/ctexp.h"
#include "runtime/memory/xar.h"
#include "runtime/text/wstring.h"

namespace vek {

namespace {

constexpr double kTolerance = 1e-9;

bool is_number(const CtexpValue* v) { return v->type == CTEXP_DOUBLE || v->type == CTEXP_INT; }
double number_of(const CtexpValue* v) { return v->type == CTEXP_INT ? v->v.i : v->v.d; }

void set_double(CtexpValue* work, double d) {
  work->type = CTEXP_DOUBLE;
  work->v.d = d;
}

void set_bool(CtexpValue* work, int b) {
  work->type = CTEXP_BOOL;
  work->v.b = static_cast<std::int16_t>(b ? 1 : 0);
}

void set_unknown(CtexpValue* work, int type) {
  work->type = CTEXP_UNKNOWN;
  work->v.i = type;
}

// Numeric results that are not finite are outside the operation's domain.
int finite_or_domain(CtexpValue* work, int status) {
  if (status == 0 && work->type == CTEXP_DOUBLE && !std::isfinite(work->v.d))
    return CTEXP_DOMAIN;
  return status;
}

// The number of operands an id takes, -1 for an id the evaluator does not handle.
int operand_count(int id) {
  if ((id >= CTEXP_ADD && id <= CTEXP_POW) || id == 48 || id == 49 || id == 50 ||
      (id >= CTEXP_LT && id <= CTEXP_OR))
    return 2;
  if (id == CTEXP_NEG || (id >= 9 && id <= 22) || id == 35 || id == CTEXP_NOT) return 1;
  if (id >= 32 && id <= 34) return 0;
  if (id == 51) return 3;
  return -1;
}

// The operation of id on its operands (a single operand in a).
int run_operation(int id, CtexpValue* work, const CtexpValue* a, const CtexpValue* b) {
  switch (id) {
    case CTEXP_ADD:
      if (is_number(a) && is_number(b)) return ctexp_eval_numnum_to_num(id, work, a, b);
      if (a->type == CTEXP_STRING && b->type == CTEXP_STRING)
        return ctexp_eval_ss_to_s(id, work, a->v.s, b->v.s);
      return CTEXP_DOMAIN;
    case CTEXP_SUB:
    case CTEXP_MUL:
    case CTEXP_DIV:
    case CTEXP_POW:
    case 49:
    case 50:
      if (is_number(a) && is_number(b)) return ctexp_eval_numnum_to_num(id, work, a, b);
      return CTEXP_DOMAIN;
    case 48:
      if (is_number(a) && is_number(b))
        return ctexp_eval_dd_to_d(id, work, number_of(a), number_of(b));
      return CTEXP_DOMAIN;
    case 32:
    case 33: return ctexp_eval_to_b(id, work);
    case 34: return ctexp_eval_to_d(id, work);
    case 35:
      if (is_number(a)) return ctexp_eval_d_to_s(id, work, number_of(a));
      return CTEXP_DOMAIN;
    case CTEXP_LT:
    case CTEXP_GT:
    case CTEXP_LE:
    case CTEXP_GE:
      if (is_number(a) && is_number(b))
        return ctexp_eval_dd_to_b(id, work, number_of(a), number_of(b));
      return CTEXP_DOMAIN;
    case CTEXP_EQ:
    case CTEXP_NE:
      if (is_number(a) && is_number(b))
        return ctexp_eval_dd_to_b(id, work, number_of(a), number_of(b));
      if (a->type != b->type) return CTEXP_DOMAIN;
      if (a->type == CTEXP_STRING) return ctexp_eval_ss_to_b(id, work, a->v.s, b->v.s);
      if (a->type == CTEXP_BOOL) return ctexp_eval_bb_to_b(id, work, a->v.b, b->v.b);
      if (a->type == CTEXP_WORD) return ctexp_eval_nn_to_b(id, work, a->v.n, b->v.n);
      return CTEXP_DOMAIN;
    case CTEXP_AND:
    case CTEXP_OR:
      if (a->type == CTEXP_BOOL && b->type == CTEXP_BOOL)
        return ctexp_eval_bb_to_b(id, work, a->v.b, b->v.b);
      return CTEXP_DOMAIN;
    case CTEXP_NOT:
      if (a->type == CTEXP_BOOL) return ctexp_eval_b_to_b(id, work, a->v.b);
      return CTEXP_DOMAIN;
    default:
      if (id == CTEXP_NEG || (id >= 9 && id <= 22)) {
        if (is_number(a)) return ctexp_eval_d_to_d(id, work, number_of(a));
        return CTEXP_DOMAIN;
      }
      return CTEXP_DOMAIN;
  }
}

}  // namespace

int ctexp_push_sym_val(CtexpStack* stack, const CtexpValue* value) {
  if (xar_count(&stack->values) > stack->count) xar_resize(&stack->values, stack->count);
  // The array's limit, not the process's end, bounds how deep an expression may nest.
  if (stack->count >= xar_max_count_get(static_cast<int>(sizeof(CtexpValue)))) return CTEXP_SYNTAX;
  CtexpValue copy{};
  ctexp_copy_val(&copy, value);
  xar_append(&stack->values, 1, &copy);
  ++stack->count;
  return 0;
}

const CtexpValue* ctexp_pop_sym_val(CtexpStack* stack) {
  if (stack->count <= 0) {
    stack->underflow = 1;
    return nullptr;
  }
  --stack->count;
  return &stack->values[stack->count];
}

int ctexp_copy_val(CtexpValue* dst, const CtexpValue* src) {
  dst->type = src->type;
  switch (src->type) {
    case CTEXP_DOUBLE: dst->v.d = src->v.d; return 1;
    case CTEXP_STRING: std::memcpy(dst->v.s, src->v.s, sizeof dst->v.s); return 1;
    case CTEXP_INT:
    case CTEXP_UNKNOWN: dst->v.i = src->v.i; return 1;
    case CTEXP_BOOL: dst->v.b = src->v.b; return 1;
    case CTEXP_WORD: dst->v.n = src->v.n; return 1;
    default: return 0;
  }
}

int ctexp_eval(CtexpNode* const* list, int count, CtexpValue* result) {
  CtexpStack stack{static_cast<CtexpValue*>(xar_alloc(0, sizeof(CtexpValue), 5)), 0, 0};
  CtexpValue work{};
  set_bool(&work, 1);
  int status = 0;
  for (int index = 0; index < count && status == 0; ++index) {
    const CtexpNode* node = list[index];
    if (node->id == CTEXP_END) break;
    if (node->id == CTEXP_OPERAND) {
      status = ctexp_push_sym_val(&stack, &node->value);
      continue;
    }
    int operands = operand_count(node->id);
    if (operands < 0) {
      status = CTEXP_DOMAIN;
      break;
    }
    // Operands are copied off the stack: a later push may move its array.
    CtexpValue taken[3] = {};
    for (int k = operands - 1; k >= 0; --k) {
      const CtexpValue* top = ctexp_pop_sym_val(&stack);
      if (!top) break;
      ctexp_copy_val(&taken[k], top);
    }
    if (stack.underflow) {
      status = CTEXP_SYNTAX;
      break;
    }
    if (node->id == 51) {
      status = ctexp_eval_iff_func(&work, &taken[0], &taken[1], &taken[2]);
    } else if (operands > 0 &&
               ctexp_process_spec_type(node->id, &work, &taken[0],
                                       operands == 2 ? &taken[1] : nullptr)) {
      status = 0;
    } else {
      status = finite_or_domain(&work, run_operation(node->id, &work, &taken[0], &taken[1]));
    }
    // A result refused by a full stack leaves the stack a value short, which an operator
    // after it or the count at the end turns into 11.
    ctexp_push_sym_val(&stack, &work);
  }
  if (status == 0) {
    if (stack.count != 1)
      status = CTEXP_SYNTAX;
    else
      ctexp_copy_val(result, &stack.values[0]);
  }
  xar_free(&stack.values);
  return status;
}

int ctexp_eval_to_d(int id, CtexpValue* work) {
  if (id != 34) return CTEXP_DOMAIN;
  set_double(work, 4 * std::atan(1.0));
  return 0;
}

int ctexp_eval_to_b(int id, CtexpValue* work) {
  if (id != 32 && id != 33) return CTEXP_DOMAIN;
  set_bool(work, id == 32);
  return 0;
}

int ctexp_eval_d_to_d(int id, CtexpValue* work, double x) {
  const double deg = std::atan(1.0) / 45;
  double r = 0;
  switch (id) {
    case CTEXP_NEG: r = -x; break;
    case 9: r = std::sin(x * deg); break;
    case 10: r = std::cos(x * deg); break;
    case 11: {
      // 90 plus a multiple of 180 has no tangent; the period test stays in doubles.
      double t = std::fabs(x + 90);
      double k = std::floor(t / 180 + 0.5);
      if (std::fabs(t - 180 * k) < kTolerance) return CTEXP_DOMAIN;
      r = std::tan(x * deg);
      break;
    }
    case 12:
    case 13:
      if (x < -1 || x > 1) return CTEXP_DOMAIN;
      r = (id == 12 ? std::asin(x) : std::acos(x)) / deg;
      break;
    case 14: r = std::atan(x) / deg; break;
    case 15:
    case 16:
    case 17:
      if (std::fabs(x) > 85) return CTEXP_DOMAIN;
      r = id == 15 ? std::sinh(x) : id == 16 ? std::cosh(x) : std::tanh(x);
      break;
    case 18:
      if (x < 0) return CTEXP_DOMAIN;
      r = std::sqrt(x);
      break;
    case 19:
    case 20:
      if (x <= 0) return CTEXP_DOMAIN;
      r = id == 19 ? std::log10(x) : std::log(x);
      break;
    case 21:
      if (std::fabs(x) > 1 && std::fabs(std::log(std::fabs(x))) > 85) return CTEXP_DOMAIN;
      r = std::exp(x);
      break;
    case 22: r = std::fabs(x); break;
    default: return CTEXP_DOMAIN;
  }
  set_double(work, r);
  return std::isfinite(r) ? 0 : CTEXP_DOMAIN;
}

int ctexp_eval_d_to_s(int id, CtexpValue* work, double x) {
  if (id != 35) return CTEXP_DOMAIN;
  double rounded = std::fabs(x) + 0.5;
  if (!(rounded < 2147483648.0)) return CTEXP_DOMAIN;
  auto whole = static_cast<long>(rounded);
  char digits[16];
  int length = 0;
  // A value that rounds to 0 is written "0", without a sign.
  if (whole != 0 && x < 0) digits[length++] = '-';
  char reversed[12];
  int count = 0;
  do {
    reversed[count++] = static_cast<char>('0' + whole % 10);
    whole /= 10;
  } while (whole > 0);
  while (count > 0) digits[length++] = reversed[--count];
  work->type = CTEXP_STRING;
  for (int i = 0; i < length; ++i) work->v.s[i] = static_cast<VynWchar>(digits[i]);
  work->v.s[length] = 0;
  return 0;
}

int ctexp_eval_b_to_b(int id, CtexpValue* work, int x) {
  if (id != CTEXP_NOT) return CTEXP_DOMAIN;
  set_bool(work, 1 - x);
  return 0;
}

int ctexp_eval_ss_to_s(int id, CtexpValue* work, const VynWchar* a, const VynWchar* b) {
  if (id != CTEXP_ADD) return CTEXP_DOMAIN;
  int la = wslen(a);
  int lb = wslen(b);
  VynWchar joined[2 * CTEXP_STRING_MAX + 1];
  std::memcpy(joined, a, sizeof(VynWchar) * static_cast<unsigned>(la));
  std::memcpy(joined + la, b, sizeof(VynWchar) * static_cast<unsigned>(lb));
  int length = la + lb;
  int status = 0;
  if (length + 1 >= CTEXP_STRING_MAX + 2) {
    length = CTEXP_STRING_MAX;
    status = CTEXP_DOMAIN;
  }
  work->type = CTEXP_STRING;
  std::memcpy(work->v.s, joined, sizeof(VynWchar) * static_cast<unsigned>(length));
  work->v.s[length] = 0;
  return status;
}

int ctexp_eval_dd_to_d(int id, CtexpValue* work, double a, double b) {
  double r = 0;
  switch (id) {
    case CTEXP_ADD: r = a + b; break;
    case CTEXP_SUB: r = a - b; break;
    case CTEXP_MUL: r = a * b; break;
    case CTEXP_DIV:
      if (b == 0) return CTEXP_DOMAIN;
      r = a / b;
      break;
    case CTEXP_POW:
      if (std::fabs(a) < kTolerance) {
        // 0^0 and 0 to a negative power have no value, as 1/0 has none.
        if (std::fabs(b) < kTolerance) {
          set_double(work, 1);
          return CTEXP_DOMAIN;
        }
        if (b < 0) return CTEXP_DOMAIN;
        r = 0;
      } else if (std::fabs(std::log(std::fabs(a))) * std::fabs(b) <= 85) {
        if (a > 0) {
          r = std::pow(a, b);
        } else {
          double n = std::trunc(b);
          if (std::fabs(b - n) >= 0.0001) return CTEXP_DOMAIN;
          r = std::pow(-a, b);
          if (std::fmod(n, 2) != 0) r = -r;
        }
      } else {
        set_double(work, 0);
        bool tiny = (std::fabs(a) < 1 && b > 0) || (std::fabs(a) > 1 && b < 0);
        return tiny ? 0 : CTEXP_DOMAIN;
      }
      break;
    case 48:
      if (std::fabs(a) < kTolerance && std::fabs(b) < kTolerance)
        r = 0;
      else
        r = std::atan2(a, b) * 180 / (4 * std::atan(1.0));
      break;
    case 49:
    case 50:
      if (std::fabs(a - b) <= kTolerance)
        r = a;
      else
        r = (id == 49) == (a < b) ? a : b;
      break;
    default: return CTEXP_DOMAIN;
  }
  set_double(work, r);
  return std::isfinite(r) ? 0 : CTEXP_DOMAIN;
}

int ctexp_eval_numnum_to_num(int id, CtexpValue* work, const CtexpValue* a,
                             const CtexpValue* b) {
  int status = ctexp_eval_dd_to_d(id, work, number_of(a), number_of(b));
  if (status || a->type != CTEXP_INT || b->type != CTEXP_INT) return status;
  double r = work->v.d;
  double magnitude = std::fabs(r);
  if (ctexp_double_in_int_limits(r) && magnitude - std::floor(magnitude) <= kTolerance) {
    work->type = CTEXP_INT;
    work->v.i = static_cast<std::int32_t>(r);
  }
  return 0;
}

int ctexp_eval_dd_to_b(int id, CtexpValue* work, double a, double b) {
  bool eq = std::fabs(a - b) < kTolerance;
  switch (id) {
    case CTEXP_LT: set_bool(work, a < b && !eq); return 0;
    case CTEXP_GT: set_bool(work, a > b && !eq); return 0;
    case CTEXP_LE: set_bool(work, a < b || eq); return 0;
    case CTEXP_GE: set_bool(work, a > b || eq); return 0;
    case CTEXP_EQ: set_bool(work, eq); return 0;
    case CTEXP_NE: set_bool(work, !eq); return 0;
    default: return CTEXP_DOMAIN;
  }
}

int ctexp_eval_ss_to_b(int id, CtexpValue* work, const VynWchar* a, const VynWchar* b) {
  if (id != CTEXP_EQ && id != CTEXP_NE) return CTEXP_DOMAIN;
  set_bool(work, (wscmp(a, b) == 0) == (id == CTEXP_EQ));
  return 0;
}

int ctexp_eval_bb_to_b(int id, CtexpValue* work, int a, int b) {
  switch (id) {
    case CTEXP_EQ: set_bool(work, a == b); return 0;
    case CTEXP_NE: set_bool(work, a != b); return 0;
    case CTEXP_AND: set_bool(work, a == 1 && b == 1); return 0;
    case CTEXP_OR: set_bool(work, a == 1 || b == 1); return 0;
    default: return CTEXP_DOMAIN;
  }
}

int ctexp_eval_nn_to_b(int id, CtexpValue* work, std::int32_t a, std::int32_t b) {
  if (id != CTEXP_EQ && id != CTEXP_NE) return CTEXP_DOMAIN;
  set_bool(work, (a == b) == (id == CTEXP_EQ));
  return 0;
}

int ctexp_eval_iff_func(CtexpValue* work, const CtexpValue* condition,
                        const CtexpValue* yes, const CtexpValue* no) {
  if (condition->type != CTEXP_BOOL) return CTEXP_DOMAIN;
  ctexp_copy_val(work, condition->v.b ? yes : no);
  return 0;
}

int ctexp_get_common_special_type(const CtexpValue* a, const CtexpValue* b) {
  int ta = a->type == CTEXP_UNKNOWN ? a->v.i : a->type;
  int tb = b->type == CTEXP_UNKNOWN ? b->v.i : b->type;
  if ((ta == CTEXP_INT && tb == CTEXP_DOUBLE) || (ta == CTEXP_DOUBLE && tb == CTEXP_INT))
    return CTEXP_DOUBLE;
  if (ta == CTEXP_UNKNOWN) return tb;
  if (tb == CTEXP_UNKNOWN) return ta;
  return ta == tb ? ta : 0;
}

int ctexp_is_symbol_special_bool(const CtexpValue* value) {
  return value->type == CTEXP_UNKNOWN &&
         (value->v.i == CTEXP_BOOL || value->v.i == CTEXP_UNKNOWN);
}

int ctexp_is_symbol_special_double(const CtexpValue* value) {
  return value->type == CTEXP_UNKNOWN && (value->v.i == CTEXP_DOUBLE ||
                                          value->v.i == CTEXP_INT ||
                                          value->v.i == CTEXP_UNKNOWN);
}

int ctexp_process_spec_type_plus(CtexpValue* work, int common) {
  if (common != CTEXP_DOUBLE && common != CTEXP_STRING && common != CTEXP_INT &&
      common != CTEXP_UNKNOWN)
    return 0;
  set_unknown(work, common);
  return 1;
}

int ctexp_process_spec_type_math(CtexpValue* work, int common) {
  if (common != CTEXP_DOUBLE && common != CTEXP_INT && common != CTEXP_UNKNOWN) return 0;
  set_unknown(work, CTEXP_DOUBLE);
  return 1;
}

int ctexp_process_spec_type_cmp(CtexpValue* work, int common) {
  if (common == 0) return 0;
  set_unknown(work, CTEXP_BOOL);
  return 1;
}

namespace {
// and / or: a known operand equal to decisive decides; else the result is unknown.
int logic_rule(CtexpValue* work, int common, const CtexpValue* left, const CtexpValue* right,
               int decisive) {
  if (common != CTEXP_BOOL && common != CTEXP_UNKNOWN) return 0;
  const CtexpValue* known = left->type != CTEXP_UNKNOWN ? left : right;
  if (known->type == CTEXP_BOOL && known->v.b == decisive)
    set_bool(work, decisive);
  else
    set_unknown(work, CTEXP_BOOL);
  return 1;
}
}  // namespace

int ctexp_process_spec_type_and(CtexpValue* work, int common, const CtexpValue* left,
                                const CtexpValue* right) {
  return logic_rule(work, common, left, right, 0);
}

int ctexp_process_spec_type_or(CtexpValue* work, int common, const CtexpValue* left,
                               const CtexpValue* right) {
  return logic_rule(work, common, left, right, 1);
}

int ctexp_process_spec_type(int id, CtexpValue* work, const CtexpValue* left,
                            const CtexpValue* right) {
  if (!right) {
    if (left->type != CTEXP_UNKNOWN) return 0;
    if (id == CTEXP_NEG || (id >= 9 && id <= 22)) {
      if (!ctexp_is_symbol_special_double(left)) return 0;
      set_unknown(work, CTEXP_DOUBLE);
      return 1;
    }
    if (id == CTEXP_NOT && ctexp_is_symbol_special_bool(left)) {
      set_unknown(work, CTEXP_BOOL);
      return 1;
    }
    return 0;
  }
  if (left->type != CTEXP_UNKNOWN && right->type != CTEXP_UNKNOWN) return 0;
  int common = ctexp_get_common_special_type(left, right);
  if (id == CTEXP_ADD) return ctexp_process_spec_type_plus(work, common);
  if (id >= CTEXP_SUB && id <= CTEXP_POW) return ctexp_process_spec_type_math(work, common);
  if (id >= CTEXP_LT && id <= CTEXP_NE) return ctexp_process_spec_type_cmp(work, common);
  if (id == CTEXP_AND) return ctexp_process_spec_type_and(work, common, left, right);
  if (id == CTEXP_OR) return ctexp_process_spec_type_or(work, common, left, right);
  return 0;
}

int ctexp_double_in_int_limits(double d) {
  return d + 1 < 2147483647.0 && d - 1 > -2147483648.0 ? 1 : 0;
}

int ctexp_floating_equal(double a, double b) {
  bool a_tiny = std::fabs(a) < 1e-30;
  bool b_tiny = std::fabs(b) < 1e-30;
  if (a_tiny && b_tiny) return 1;
  if (a_tiny != b_tiny) return 0;
  return std::fabs(a - b) <= std::fabs(a) * 1e-12 ? 1 : 0;
}

}  // namespace vek
