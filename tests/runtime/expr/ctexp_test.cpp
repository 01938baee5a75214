// The expression service: the edge rows as one table, the evaluator's own rules on
// hand-built postfix lists, and a reference evaluator written here by recursive descent
// over the same grammar, compared on random expressions from a fixed seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "runtime/expr/ctexp.h"
#include "runtime/expr/ctexp_testing.h"
#include "runtime/memory/getmem.h"
#include "runtime/memory/xar.h"
#include "tests/support/runtime_test.h"

namespace {

using std::u16string;

u16string w(const std::string& s) { return u16string(s.begin(), s.end()); }
std::string narrow(const u16string& s) { return std::string(s.begin(), s.end()); }

class CtexpTest : public yrltest::RuntimeTest {};

struct Parsed {
  int status;
  vek::CtexpValue value;
  std::string text_after;
};

Parsed parse(const std::string& text) {
  u16string buffer = w(text);
  Parsed out{};
  out.status = vek::ctexp_parse_expr_static(buffer.data(), &out.value);
  out.text_after = narrow(buffer);
  return out;
}

constexpr double kPi = 3.14159265358979323846;
constexpr int D = vek::CTEXP_DOUBLE, S = vek::CTEXP_STRING, B = vek::CTEXP_BOOL;

struct Row {
  std::string text;
  int status;
  int type;             // checked when status is 0
  double number;        // for doubles and booleans
  std::string string;   // for strings
  std::string after;    // the caller's text after the parse; empty: unchanged
};

TEST_F(CtexpTest, EdgeRows) {
  const std::string literal_499 = std::string(498, '0') + "7";
  const std::string literal_500 = std::string(499, '0') + "7";
  const std::string string_80 = "\"" + std::string(80, 'x') + "\"";
  const std::string string_81 = "\"" + std::string(81, 'x') + "\"";
  const Row rows[] = {
      {"-2^2", 0, D, -4, "", ""},
      {"2^-2", 0, D, 0.25, "", ""},
      {"2^3^2", 0, D, 64, "", ""},
      {"1 + * 2", 11, 0, 0, "", ""},
      {"3 * +2", 11, 0, 0, "", ""},
      {"+3", 0, D, 3, "", ""},
      {"*3", 11, 0, 0, "", ""},
      {"sin(30)", 0, D, 0.5, "", ""},
      {"SIN(30)", 0, D, 0.5, "", ""},
      {"sin 30", 11, 0, 0, "", ""},
      {"pi", 0, D, kPi, "", ""},
      {"2 * pi / 3", 0, D, 2 * kPi / 3, "", ""},
      {"d1 + 1", 11, 0, 0, "", ""},
      {"x + 1", 11, 0, 0, "", ""},
      {"min(3, 2)", 0, D, 2, "", ""},
      {"max(3,-2)", 0, D, 3, "", ""},
      {"if(1 < 2, 5, 6)", 0, D, 5, "", ""},
      {string_80, 0, S, 0, std::string(80, 'x'), ""},
      {string_81, 11, 0, 0, "", ""},
      {"\"ab\" + \"cd\"", 0, S, 0, "abcd", ""},
      {"\"ab\" == \"ab\"", 0, B, 1, "", ""},
      {"\"ab", 11, 0, 0, "", ""},
      {"1e40", 11, 0, 0, "", ""},
      {"1e32", 0, D, 1e32, "", ""},
      {"1E-31", 0, D, 1e-31, "", ""},
      {"1e-32", 11, 0, 0, "", ""},
      {"1e", 11, 0, 0, "", ""},
      {literal_499, 0, D, 7, "", ""},
      {literal_500, 11, 0, 0, "", ""},
      {".5 + 1.", 0, D, 1.5, "", ""},
      {"1 = 2", 11, 0, 0, "", ""},
      {"1 <> 2", 0, B, 1, "", ""},
      {"1 =< 2", 0, B, 1, "", ""},
      {"1 => 2", 0, B, 0, "", ""},
      {"1 ~= 1", 0, B, 0, "", ""},
      {"1 != 1", 0, B, 0, "", ""},
      {"-5", 0, D, -5, "", "-5"},
      {"!5", 0, D, -5, "", "-5"},
      {"1 * -2", 0, D, -2, "", ""},
      {"1 - -2", 0, D, 3, "", ""},
      {"  7 \\ * \t 2\nignored", 0, D, 14, "", ""},
      {"tan(90)", 92, 0, 0, "", ""},
      {"tan(-270)", 92, 0, 0, "", ""},
      {"tan(45)", 0, D, 1, "", ""},
      {"asin(2)", 92, 0, 0, "", ""},
      {"asin(1)", 0, D, 90, "", ""},
      {"0^0", 92, 0, 0, "", ""},
      {"(-8)^(1/3)", 92, 0, 0, "", ""},
      {"(-2)^3", 0, D, -8, "", ""},
      {"10^400", 92, 0, 0, "", ""},
      {"10^-400", 0, D, 0, "", ""},
      {"1/0", 92, 0, 0, "", ""},
      {"min(1, 1.0000000001)", 0, D, 1, "", ""},
      {"1 == 1.0000000001", 0, B, 1, "", ""},
      {"1 < 1.0000000001", 0, B, 0, "", ""},
      {"itos(-2.5)", 0, S, 0, "-3", ""},
      {"itos(12.4)", 0, S, 0, "12", ""},
      {"itos(-0.2)", 0, S, 0, "0", ""},
      {"if(1, 2, 3)", 92, 0, 0, "", ""},
      {"if(true, 2, 3)", 0, D, 2, "", ""},
      {"if(false, 2, \"no\")", 0, S, 0, "no", ""},
      {"true & false", 0, B, 0, "", ""},
      {"true | false", 0, B, 1, "", ""},
      {"~true", 0, B, 0, "", ""},
      {"1 & 2", 92, 0, 0, "", ""},
      {"1 2", 11, 0, 0, "", ""},
      {"", 11, 0, 0, "", ""},
      {")", 11, 0, 0, "", ""},
      {"atan2(1, 1)", 0, D, 45, "", ""},
      {"atan2(0, 0)", 0, D, 0, "", ""},
      {"exp(1)", 0, D, std::exp(1.0), "", ""},
      {"log(1000) + ln(1)", 0, D, 3, "", ""},
      {"sqrt(-1)", 92, 0, 0, "", ""},
      {"sinh(86)", 92, 0, 0, "", ""},
      {"abs(-3) * 2 - 1 < 5 == true", 0, B, 0, "", ""},
      // An unclosed '(' at the end of the text.
      {"(1 + 2", 11, 0, 0, "", ""},
      {"sin(30", 11, 0, 0, "", ""},
      // A ',' with no '(' on the operator stack.
      {"1, 2", 11, 0, 0, "", ""},
      {"2 * 3, -4", 11, 0, 0, "", ""},
      // Exponents whose digits overflow an int; long names.
      {"1e99999999999999999999", 11, 0, 0, "", ""},
      {"1e-2147483649", 11, 0, 0, "", ""},
      {"1e0000000000032", 0, D, 1e32, "", ""},
      {std::string(40, 'a') + "(1)", 11, 0, 0, "", ""},
      // Zero to a negative power.
      {"0^-1", 92, 0, 0, "", ""},
      {"0^2", 0, D, 0, "", ""},
      // Results that are not finite.
      {"exp(1000)", 92, 0, 0, "", ""},
      {"1e32*1e32*1e32*1e32*1e32*1e32*1e32*1e32*1e32*1e32", 92, 0, 0, "", ""},
      {"-1e32*1e32*1e32*1e32*1e32*1e32*1e32*1e32*1e32*1e32", 92, 0, 0, "", ""},
      // Doubles outside the int range.
      {"itos(3e9)", 92, 0, 0, "", ""},
      {"itos(2147483647.6)", 92, 0, 0, "", ""},
      {"itos(2147483647.4)", 0, S, 0, "2147483647", ""},
      {"tan(1e12)", 0, D, std::tan(1e12 * (std::atan(1.0) / 45)), "", ""},
      {"(-1)^3000000001", 0, D, -1, "", ""},
      {"(-1)^3000000000", 0, D, 1, "", ""},
      // A minus the parser marked is a negation even before '=': the parse fails and the
      // text reads as typed, not with a '!' left in it.
      {"1*-=2", 11, 0, 0, "", ""},
      {"1*-=2*-3", 11, 0, 0, "", ""},
      {"-=3", 11, 0, 0, "", ""},
      {"2 <-= 1", 11, 0, 0, "", ""},
      {"min(1, -=2)", 11, 0, 0, "", ""},
      {"1*-2", 0, D, -2, "", ""},
      {"1 != 2", 0, B, 1, "", ""},
      {"1 * !2", 0, D, -2, "", "1 * -2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text.substr(0, 60));
    int blocks_before = yrltest::live_blocks();
    Parsed p = parse(row.text);
    // The scanner keeps one block for long texts; nothing else stays.
    if (row.text.size() < 256) {
      EXPECT_EQ(yrltest::live_blocks(), blocks_before);
    }
    EXPECT_EQ(p.status, row.status);
    EXPECT_EQ(p.text_after, row.after.empty() ? row.text : row.after);
    if (p.status != 0 || row.status != 0) continue;
    EXPECT_EQ(p.value.type, row.type);
    if (row.type == D) {
      EXPECT_NEAR(p.value.v.d, row.number, 1e-12 * (1 + std::fabs(row.number)));
    }
    if (row.type == B) {
      EXPECT_EQ(p.value.v.b, row.number);
    }
    if (row.type == S) {
      EXPECT_EQ(narrow(p.value.v.s), row.string);
    }
  }
}

TEST_F(CtexpTest, NumericEntryPoints) {
  EXPECT_EQ(vek::ctexp_testing_parse_function_set(), 0);
  u16string text = w("2 * pi / 3");
  double value = 0;
  EXPECT_EQ(vek::ct_wstoexp(text.data(), &value), 1);
  EXPECT_NEAR(value, 2 * kPi / 3, 1e-15);
  EXPECT_EQ(vek::ctexp_testing_parse_function_set(), 1);
  const std::string not_numbers[] = {"\"ab\" + \"cd\"", "1 < 2", "1 +", "sin 30"};
  for (const std::string& s : not_numbers) {
    u16string t = w(s);
    EXPECT_EQ(vek::ct_wsisexp(t.data()), 0) << s;
    EXPECT_EQ(vek::ct_wstoexp(t.data(), nullptr), 0) << s;
  }
  u16string string_text = w("\"ab\" + \"cd\"");
  EXPECT_EQ(vek::ctexp_parse_real(string_text.data(), &value), 11);
  u16string bad = w("1/0");
  EXPECT_EQ(vek::ctexp_parse_real(bad.data(), &value), 92);
}

TEST_F(CtexpTest, SyntaxChecks) {
  struct Check {
    const char* text;
    int is_float, is_integer;
  } rows[] = {
      {" -1.25E+3 ", 1, 0}, {"1e", 0, 0},     {"5.", 0, 0},    {"1e039", 0, 0},
      {"1e38", 1, 0},       {".5", 1, 0},     {"1.5e10", 1, 0}, {" 42\t", 1, 1},
      {"4 2", 0, 0},        {"+7", 1, 1},     {"-", 0, 0},     {"", 0, 0},
      {"-0012", 1, 1},      {"1.2.3", 0, 0},
  };
  for (const Check& row : rows) {
    u16string t = w(row.text);
    EXPECT_EQ(vek::ct_wsisfloat(t.c_str(), 0), row.is_float) << row.text;
    EXPECT_EQ(vek::ct_wsisinteger(t.c_str(), 0), row.is_integer) << row.text;
  }
  EXPECT_EQ(vek::ct_wc_eq_char(u'-', '-'), 1);
  EXPECT_EQ(vek::ct_wc_eq_char(u'+', '-'), 0);
}

TEST_F(CtexpTest, SymbolScanner) {
  struct Scan {
    const char* text;
    int size, status;
    const char* symbol;
    int end;
  } rows[] = {
      {"a+b", 32, 0, "a", 1},
      {"  $x1:y = 2", 32, 0, "$x1:y", 7},
      {"\"abc\" def", 32, 0, "def", 9},
      {"12 ab_9", 32, 0, "ab_9", 7},
      {"1.e5 q", 32, 0, "q", 6},
      {"/* x", 32, 4, "", 0},
      {"", 32, 4, "", 0},
      {"abcdef", 4, 109, "abc", 6},
  };
  for (const Scan& row : rows) {
    u16string t = w(row.text);
    VynWchar buffer[32] = {};
    int end = 0;
    EXPECT_EQ(vek::ctexp_getsym_n(t.c_str(), buffer, &end, row.size), row.status) << row.text;
    EXPECT_EQ(narrow(buffer), row.symbol) << row.text;
    if (row.status != 4) {
      EXPECT_EQ(end, row.end) << row.text;
    }
  }
  // Digits may begin a symbol when letters need not come first.
  u16string t = w("+ 9x");
  VynWchar buffer[8] = {};
  int end = 0;
  int start = -1;
  EXPECT_EQ(vek::ctexp_getsym_n_pos_low(t.c_str(), buffer, &end, 8, 0, 1, &start, 0), 0);
  EXPECT_EQ(narrow(buffer), "9x");
  EXPECT_EQ(start, 2);
}

TEST_F(CtexpTest, PrecedenceTable) {
  EXPECT_EQ(vek::ctexp_find_prec(vek::CTEXP_POW), 2);
  EXPECT_EQ(vek::ctexp_find_prec(9), -1);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_NEG, vek::CTEXP_POW), 0);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_POW, vek::CTEXP_POW), 1);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_NEG, vek::CTEXP_NEG), 0);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_OPEN, vek::CTEXP_ADD), 0);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_MUL, vek::CTEXP_ADD), 1);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_LT, vek::CTEXP_EQ), 1);
  EXPECT_EQ(vek::ctexp_prec(vek::CTEXP_AND, vek::CTEXP_OR), 1);
  int id = 0, parentheses = 0;
  EXPECT_EQ(vek::ctexp_is_func_gen(u"AtAn2", &id, &parentheses), 1);
  EXPECT_EQ(id, 48);
  EXPECT_EQ(parentheses, 1);
  EXPECT_EQ(vek::ctexp_is_func_gen(u"PI", &id, &parentheses), 1);
  EXPECT_EQ(parentheses, 0);
  EXPECT_EQ(vek::ctexp_is_func_gen(u"cot", &id, &parentheses), 0);
}

// ---- The evaluator on hand-built lists.

vek::CtexpValue number(double d) {
  vek::CtexpValue v{};
  v.type = D;
  v.v.d = d;
  return v;
}
vek::CtexpValue integer(int i) {
  vek::CtexpValue v{};
  v.type = vek::CTEXP_INT;
  v.v.i = i;
  return v;
}
vek::CtexpValue boolean(int b) {
  vek::CtexpValue v{};
  v.type = B;
  v.v.b = static_cast<std::int16_t>(b);
  return v;
}
vek::CtexpValue unknown(int type) {
  vek::CtexpValue v{};
  v.type = vek::CTEXP_UNKNOWN;
  v.v.i = type;
  return v;
}
vek::CtexpValue word(int n) {
  vek::CtexpValue v{};
  v.type = vek::CTEXP_WORD;
  v.v.n = n;
  return v;
}

// Operands and operator ids in postfix order; an id of -1 takes the next operand.
int run(const std::vector<vek::CtexpValue>& operands, const std::vector<int>& ids,
        vek::CtexpValue* result) {
  std::vector<vek::CtexpNode> nodes;
  size_t next = 0;
  for (int id : ids) {
    vek::CtexpNode node{};
    node.id = id;
    if (id == vek::CTEXP_OPERAND) node.value = operands[next++];
    nodes.push_back(node);
  }
  vek::CtexpNode end{};
  end.id = vek::CTEXP_END;
  nodes.push_back(end);
  std::vector<vek::CtexpNode*> list;
  for (vek::CtexpNode& node : nodes) list.push_back(&node);
  return vek::ctexp_eval(list.data(), static_cast<int>(list.size()), result);
}

TEST_F(CtexpTest, EvaluatorTypesAndUnknownValues) {
  const int O = vek::CTEXP_OPERAND;
  struct Case {
    std::vector<vek::CtexpValue> operands;
    std::vector<int> ids;
    int status, type;
    double value;  // the number, the boolean, or the type of an unknown value
  } cases[] = {
      {{integer(2), integer(3)}, {O, O, vek::CTEXP_MUL}, 0, vek::CTEXP_INT, 6},
      {{integer(7), integer(2)}, {O, O, vek::CTEXP_DIV}, 0, D, 3.5},
      {{integer(2147483646), integer(1)}, {O, O, vek::CTEXP_ADD}, 0, D, 2147483647.0},
      {{integer(2), number(3)}, {O, O, vek::CTEXP_ADD}, 0, D, 5},
      {{word(5), word(5)}, {O, O, vek::CTEXP_EQ}, 0, B, 1},
      {{word(5), word(6)}, {O, O, vek::CTEXP_NE}, 0, B, 1},
      {{word(5), number(5)}, {O, O, vek::CTEXP_EQ}, 92, 0, 0},
      {{unknown(D), number(2)}, {O, O, vek::CTEXP_ADD}, 0, vek::CTEXP_UNKNOWN, D},
      {{unknown(vek::CTEXP_INT), number(2)}, {O, O, vek::CTEXP_MUL}, 0, vek::CTEXP_UNKNOWN, D},
      {{unknown(vek::CTEXP_UNKNOWN), number(2)}, {O, O, vek::CTEXP_LT}, 0, vek::CTEXP_UNKNOWN, B},
      {{unknown(B), boolean(0)}, {O, O, vek::CTEXP_AND}, 0, B, 0},
      {{unknown(B), boolean(1)}, {O, O, vek::CTEXP_AND}, 0, vek::CTEXP_UNKNOWN, B},
      {{boolean(1), unknown(B)}, {O, O, vek::CTEXP_OR}, 0, B, 1},
      {{unknown(D)}, {O, 9}, 0, vek::CTEXP_UNKNOWN, D},
      {{unknown(B)}, {O, vek::CTEXP_NOT}, 0, vek::CTEXP_UNKNOWN, B},
      {{unknown(S), number(1)}, {O, O, vek::CTEXP_SUB}, 92, 0, 0},
      {{unknown(D)}, {O, vek::CTEXP_NOT}, 92, 0, 0},
      {{number(1)}, {O, vek::CTEXP_ADD}, 11, 0, 0},
      {{}, {vek::CTEXP_NEG}, 11, 0, 0},
      {{number(1)}, {O, 99}, 92, 0, 0},
      {{number(1), number(2)}, {O, O}, 11, 0, 0},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    vek::CtexpValue result{};
    EXPECT_EQ(run(c.operands, c.ids, &result), c.status);
    if (c.status) continue;
    EXPECT_EQ(result.type, c.type);
    if (c.type == D) {
      EXPECT_DOUBLE_EQ(result.v.d, c.value);
    }
    if (c.type == vek::CTEXP_INT) {
      EXPECT_EQ(result.v.i, c.value);
    }
    if (c.type == B) {
      EXPECT_EQ(result.v.b, c.value);
    }
    if (c.type == vek::CTEXP_UNKNOWN) {
      EXPECT_EQ(result.v.i, c.value);
    }
  }
  EXPECT_EQ(yrltest::live_blocks(), 0);
}

TEST_F(CtexpTest, SupportFunctions) {
  EXPECT_EQ(vek::ctexp_double_in_int_limits(2147483645.0), 1);
  EXPECT_EQ(vek::ctexp_double_in_int_limits(2147483646.0), 0);
  EXPECT_EQ(vek::ctexp_double_in_int_limits(-2147483647.0), 0);
  EXPECT_EQ(vek::ctexp_floating_equal(1e-31, -1e-40), 1);
  EXPECT_EQ(vek::ctexp_floating_equal(1e-31, 1e-20), 0);
  EXPECT_EQ(vek::ctexp_floating_equal(1.0, 1.0 + 1e-13), 1);
  EXPECT_EQ(vek::ctexp_floating_equal(1.0, 1.0 + 1e-11), 0);
  vek::CtexpValue work{};
  VynWchar a[81], b[81];
  for (int i = 0; i < 40; ++i) a[i] = b[i] = u'z';
  a[40] = 0;
  b[40] = 0;
  EXPECT_EQ(vek::ctexp_eval_ss_to_s(0, &work, a, b), 0);
  b[40] = u'z';
  b[41] = 0;
  EXPECT_EQ(vek::ctexp_eval_ss_to_s(0, &work, a, b), 92);
  EXPECT_EQ(std::u16string(work.v.s).size(), 80u);
}

// min and max take two values within 1e-9 as equal and give the left one.
TEST_F(CtexpTest, MinAndMaxEqualWithinTheTolerance) {
  const struct {
    int id;
    double a, b, result;
  } rows[] = {
      {49, 1e-9, 0, 1e-9}, {49, 2e-9, 0, 0},  {49, 0, 1e-9, 0},
      {50, 0, 1e-9, 0},    {50, 0, 2e-9, 2e-9}, {50, 1e-9, 0, 1e-9},
  };
  for (const auto& row : rows) {
    vek::CtexpValue work{};
    EXPECT_EQ(vek::ctexp_eval_dd_to_d(row.id, &work, row.a, row.b), 0);
    EXPECT_EQ(work.v.d, row.result) << row.id << " " << row.a << " " << row.b;
  }
}

// Texts longer than the postfix list, the operator stack or the value stack can hold
// are refused with 11; the process goes on and nothing stays allocated.
TEST_F(CtexpTest, TextsBeyondTheStacksAreRefused) {
  auto repeat = [](const std::string& piece, int n) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) text += piece;
    return text;
  };
  const int values = vek::xar_max_count_get(static_cast<int>(sizeof(vek::CtexpValue)));
  const int operators = vek::xar_max_count_get(static_cast<int>(sizeof(int)));
  const struct {
    const char* what;
    std::string text;
    int status;
    double value;
  } rows[] = {
      {"50,000 terms", repeat("1+", 49999) + "1", 0, 50000},
      {"200,000 terms", repeat("1+", 199999) + "1", 11, 0},
      {"600,000 parentheses", repeat("(", 600000) + "1" + repeat(")", 600000), 11, 0},
      // The operator after a full stack of parentheses is refused once it has marked the
      // minus after it: the text reads as typed all the same.
      {"a marked minus after a full stack", repeat("(", operators) + "1*-2", 11, 0},
      {"a full value stack", repeat("1+(", values - 1) + "1" + repeat(")", values - 1), 0,
       static_cast<double>(values)},
      {"one value more", repeat("1+(", values) + "1" + repeat(")", values), 11, 0},
      {"functions as deep", repeat("min(1,", values) + "1" + repeat(")", values), 11, 0},
  };
  const int blocks_before = yrltest::live_blocks();
  for (const auto& row : rows) {
    Parsed p = parse(row.text);
    EXPECT_EQ(p.status, row.status) << row.what;
    EXPECT_TRUE(p.text_after == row.text) << row.what;
    if (row.status == 0) {
      EXPECT_EQ(p.value.v.d, row.value) << row.what;
    }
    EXPECT_EQ(yrltest::live_blocks(), blocks_before) << row.what;
  }
}

// ---- Reference: recursive descent over the same grammar, numbers and booleans only.

struct RefValue {
  bool is_bool;
  double d;
};

class Reference {
 public:
  explicit Reference(const std::string& text) : s_(text) {}
  // 0 with the value, 92 for a domain or type fault, 11 for a syntax fault.
  int run(RefValue* out) {
    RefValue v = logic();
    skip();
    if (!syntax_ok_ || at_ < s_.size()) return 11;
    if (!ok_) return 92;
    *out = v;
    return 0;
  }

 private:
  std::string s_;
  size_t at_ = 0;
  bool ok_ = true;
  bool syntax_ok_ = true;

  void skip() {
    while (at_ < s_.size() && s_[at_] == ' ') ++at_;
  }
  bool eat(const char* token) {
    skip();
    size_t n = std::strlen(token);
    if (s_.compare(at_, n, token) == 0) {
      at_ += n;
      return true;
    }
    return false;
  }
  RefValue fail() {
    ok_ = false;
    return {false, 0};
  }
  RefValue num(double d) {
    if (!std::isfinite(d)) return fail();
    return {false, d};
  }
  bool need_numbers(const RefValue& a, const RefValue& b) {
    if (a.is_bool || b.is_bool) ok_ = false;
    return ok_;
  }

  RefValue logic() {
    RefValue a = equality();
    for (;;) {
      bool is_and = false;
      if (eat("&"))
        is_and = true;
      else if (!eat("|"))
        return a;
      RefValue b = equality();
      if (!a.is_bool || !b.is_bool) {
        a = fail();
        continue;
      }
      a = {true, static_cast<double>(is_and ? (a.d == 1 && b.d == 1) : (a.d == 1 || b.d == 1))};
    }
  }
  RefValue equality() {
    RefValue a = relation();
    for (;;) {
      bool eq = false;
      if (eat("=="))
        eq = true;
      else if (!eat("!="))
        return a;
      RefValue b = relation();
      if (a.is_bool != b.is_bool) {
        a = fail();
        continue;
      }
      bool same = a.is_bool ? a.d == b.d : std::fabs(a.d - b.d) < 1e-9;
      a = {true, static_cast<double>(same == eq)};
    }
  }
  RefValue relation() {
    RefValue a = additive();
    for (;;) {
      int op;
      if (eat("<="))
        op = 2;
      else if (eat(">="))
        op = 3;
      else if (eat("<"))
        op = 0;
      else if (eat(">"))
        op = 1;
      else
        return a;
      RefValue b = additive();
      if (!need_numbers(a, b)) {
        a = fail();
        continue;
      }
      bool eq = std::fabs(a.d - b.d) < 1e-9;
      bool r = op == 0 ? a.d < b.d && !eq : op == 1 ? a.d > b.d && !eq
             : op == 2 ? a.d < b.d || eq : a.d > b.d || eq;
      a = {true, static_cast<double>(r)};
    }
  }
  RefValue additive() {
    RefValue a = term();
    for (;;) {
      bool plus;
      if (eat("+"))
        plus = true;
      else if (eat("-"))
        plus = false;
      else
        return a;
      RefValue b = term();
      a = need_numbers(a, b) ? num(plus ? a.d + b.d : a.d - b.d) : fail();
    }
  }
  RefValue term() {
    RefValue a = unary();
    for (;;) {
      bool times;
      if (eat("*"))
        times = true;
      else if (eat("/"))
        times = false;
      else
        return a;
      RefValue b = unary();
      if (!need_numbers(a, b) || (!times && b.d == 0)) {
        a = fail();
        continue;
      }
      a = num(times ? a.d * b.d : a.d / b.d);
    }
  }
  // Negation takes a whole chain of powers: -2^2 is -(2^2), 2^-2^2 is 2^(-(2^2)).
  RefValue unary() {
    if (eat("-")) {
      RefValue a = unary();
      return a.is_bool ? fail() : num(-a.d);
    }
    if (eat("~")) {
      RefValue a = unary();
      return a.is_bool ? RefValue{true, 1 - a.d} : fail();
    }
    return power();
  }
  RefValue power() {
    RefValue a = primary();
    while (eat("^")) {
      RefValue b = unary();
      a = need_numbers(a, b) ? pow(a.d, b.d) : fail();
    }
    return a;
  }
  RefValue pow(double a, double b) {
    if (std::fabs(a) < 1e-9) return std::fabs(b) < 1e-9 || b < 0 ? fail() : num(0);
    if (std::fabs(std::log(std::fabs(a))) * std::fabs(b) > 85) {
      bool tiny = (std::fabs(a) < 1 && b > 0) || (std::fabs(a) > 1 && b < 0);
      return tiny ? num(0) : fail();
    }
    if (a > 0) return num(std::pow(a, b));
    double n = std::trunc(b);
    if (std::fabs(b - n) >= 1e-4) return fail();
    double r = std::pow(-a, b);
    return num(std::fmod(n, 2) != 0 ? -r : r);
  }
  std::vector<RefValue> arguments() {
    std::vector<RefValue> args;
    if (!eat("(")) {
      syntax_ok_ = false;
      return args;
    }
    do args.push_back(logic());
    while (eat(","));
    if (!eat(")")) syntax_ok_ = false;
    return args;
  }
  RefValue primary() {
    skip();
    if (eat("(")) {
      RefValue v = logic();
      if (!eat(")")) syntax_ok_ = false;
      return v;
    }
    if (at_ < s_.size() && (std::isdigit(static_cast<unsigned char>(s_[at_])) || s_[at_] == '.')) {
      size_t used = 0;
      double d = std::stod(s_.substr(at_), &used);
      at_ += used;
      return num(d);
    }
    const double deg = std::atan(1.0) / 45;
    if (eat("true")) return {true, 1};
    if (eat("false")) return {true, 0};
    if (eat("pi")) return num(4 * std::atan(1.0));
    if (eat("abs")) return one(arguments(), [](double x) { return std::fabs(x); });
    if (eat("sqrt")) {
      std::vector<RefValue> a = arguments();
      if (a.size() == 1 && !a[0].is_bool && a[0].d < 0) return fail();
      return one(a, [](double x) { return std::sqrt(x); });
    }
    if (eat("sin")) return one(arguments(), [deg](double x) { return std::sin(x * deg); });
    if (eat("cos")) return one(arguments(), [deg](double x) { return std::cos(x * deg); });
    bool is_min = eat("min");
    if (is_min || eat("max")) {
      std::vector<RefValue> a = arguments();
      if (a.size() != 2) {
        syntax_ok_ = false;
        return {false, 0};
      }
      if (!need_numbers(a[0], a[1])) return fail();
      if (std::fabs(a[0].d - a[1].d) <= 1e-9) return a[0];
      return num(is_min == (a[0].d < a[1].d) ? a[0].d : a[1].d);
    }
    if (eat("if")) {
      std::vector<RefValue> a = arguments();
      if (a.size() != 3) {
        syntax_ok_ = false;
        return {false, 0};
      }
      if (!a[0].is_bool) return fail();
      return a[0].d == 1 ? a[1] : a[2];
    }
    syntax_ok_ = false;
    return {false, 0};
  }
  template <typename F>
  RefValue one(const std::vector<RefValue>& a, F f) {
    if (a.size() != 1) {
      syntax_ok_ = false;
      return {false, 0};
    }
    return a[0].is_bool ? fail() : num(f(a[0].d));
  }
};

// A random expression of the grammar; most operators without parentheses so that the
// precedence decides.
class Generator {
 public:
  explicit Generator(unsigned seed) : gen_(seed) {}
  std::string expression(int depth) {
    int pick = below(depth <= 0 ? 4 : 16);
    switch (pick) {
      case 0: return literal();
      case 1: return literal();
      case 2: return below(3) == 0 ? "pi" : literal();
      case 3: return below(2) ? "true" : "false";
      case 4:
      case 5:
      case 6:
      case 7:
      case 8: {
        static const char* ops[] = {"+", "-", "*", "/", "^", "<", ">", "<=", ">=",
                                    "==", "!=", "&", "|", "+", "*", "-"};
        std::string op = ops[below(16)];
        return expression(depth - 1) + space() + op + space() + expression(depth - 1);
      }
      case 9: return "-" + expression(depth - 1);
      case 10: return "(" + expression(depth - 1) + ")";
      case 11: return "~" + expression(depth - 1);
      case 12: {
        static const char* fns[] = {"abs", "sqrt", "sin", "cos"};
        return std::string(fns[below(4)]) + "(" + expression(depth - 1) + ")";
      }
      case 13:
        return std::string(below(2) ? "min" : "max") + "(" + expression(depth - 1) + "," +
               space() + expression(depth - 1) + ")";
      case 14:
        return "if(" + expression(depth - 1) + ", " + expression(depth - 1) + ", " +
               expression(depth - 1) + ")";
      default: return "(" + expression(depth - 1) + space() + "^" + space() + literal() + ")";
    }
  }

 private:
  std::mt19937 gen_;
  int below(int n) { return static_cast<int>(gen_() % static_cast<unsigned>(n)); }
  std::string space() { return below(3) ? " " : ""; }
  std::string literal() {
    static const char* values[] = {"0", "1", "2", "3", "0.5", "10", "2.25", "7", "1e3", "0.1"};
    return values[below(10)];
  }
};

TEST_F(CtexpTest, MatchesReferenceOnRandomExpressions) {
  Generator generator(20261211);
  int compared_values = 0;
  for (int n = 0; n < 4000; ++n) {
    std::string text = generator.expression(1 + n % 5);
    SCOPED_TRACE(text);
    RefValue expected{};
    int expected_status = Reference(text).run(&expected);
    Parsed p = parse(text);
    ASSERT_EQ(p.status, expected_status);
    EXPECT_EQ(p.text_after, text);
    if (expected_status != 0) continue;
    ++compared_values;
    ASSERT_EQ(p.value.type, expected.is_bool ? B : D);
    if (expected.is_bool)
      EXPECT_EQ(p.value.v.b, expected.d);
    else
      EXPECT_NEAR(p.value.v.d, expected.d, 1e-9 * (1 + std::fabs(expected.d)));
  }
  // The draw gives a fair share of valid expressions.
  EXPECT_GT(compared_values, 1000);
  EXPECT_EQ(yrltest::live_blocks(), 0);
}

}  // namespace
