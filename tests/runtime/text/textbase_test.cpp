// The small text helpers shared by the text layer and its callers.
#include "runtime/text/textbase.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "tests/support/runtime_test.h"

namespace {

class TextBase : public yrltest::RuntimeTest {};

TEST_F(TextBase, BoundedNumbersReadLeadingDigitsAndSaturateAboveTheLimit) {
  struct Case {
    const char* text;
    long limit;
  };
  const Case cases[] = {
      {"0", 10},         {"7x", 10},        {"10", 10},   {"11", 10},    {"0010", 10},
      {"", 10},          {"x12", 10},       {"+5", 10},   {"-5", 10},    {" 5", 10},
      {"2147483646", INT_MAX - 1},          {"2147483647", INT_MAX - 1},
      {"99999999999999999999999999", INT_MAX - 1},      {"123456.5", 1000000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    // The reference: strtol over the digits alone (no sign, no blanks), capped at
    // limit + 1.
    std::size_t digits = 0;
    while (c.text[digits] >= '0' && c.text[digits] <= '9') ++digits;
    std::string leading(c.text, digits);
    errno = 0;
    long expected = leading.empty() ? 0 : std::strtol(leading.c_str(), nullptr, 10);
    if (errno == ERANGE || expected > c.limit) expected = c.limit + 1;

    const char* p = c.text;
    EXPECT_EQ(vek::read_bounded_number(&p, c.limit), expected);
    EXPECT_EQ(p, c.text + digits);
  }
}

}  // namespace
