#include "platform/w32/commandline.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/w32/commandline_testing.h"
#include "platform/w32/error.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

using namespace w32;

class CommandLineTest : public yrltest::W32ProcessTest {
 protected:
  // The arguments of line, as UTF-8 (ASCII in these tests).
  static std::vector<std::string> split(const std::u16string& line) {
    int count = -1;
    WCHAR** argv = CommandLineToArgvW(line.c_str(), &count);
    EXPECT_NE(argv, nullptr);
    std::vector<std::string> out;
    if (argv == nullptr) return out;
    for (int i = 0; i < count; ++i) out.push_back(narrow(argv[i]));
    EXPECT_EQ(argv[count], nullptr);
    EXPECT_EQ(LocalFree(argv), nullptr);
    return out;
  }
};

using Args = std::vector<std::string>;

TEST_F(CommandLineTest, SplitsByTheDocumentedRules) {
  struct Case {
    const char* line;
    Args arguments;
  };
  const Case cases[] = {
      // Blanks between arguments, leading, trailing and repeated, spaces or tabs.
      {"prog a b", {"prog", "a", "b"}},
      {"prog  \t a\t\tb  \t", {"prog", "a", "b"}},
      {"prog", {"prog"}},
      // Quotes group blanks and may sit inside an argument.
      {"prog \"abc\" d e", {"prog", "abc", "d", "e"}},
      {"prog a\\\\b d\"e f\"g h", {"prog", "a\\\\b", "de fg", "h"}},
      {"prog \"a b\"c\" d\" e", {"prog", "a bc d", "e"}},
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog \"unclosed arg", {"prog", "unclosed arg"}},
      // 2n+1 backslashes before a quote: n backslashes and a literal quote.
      {"prog a\\\"b c d", {"prog", "a\"b", "c", "d"}},
      {"prog a\\\\\\\"b c", {"prog", "a\\\"b", "c"}},
      // 2n backslashes before a quote: n backslashes, and the quote groups.
      {"prog a\\\\\"b c\" d e", {"prog", "a\\b c", "d", "e"}},
      {"prog \"c:\\temp\\\\\" x", {"prog", "c:\\temp\\", "x"}},
      // The classic trap: an odd count escapes the closing quote.
      {"prog \"c:\\temp\\\" x y", {"prog", "c:\\temp\" x y"}},
      // Backslashes before anything else stay as they are.
      {"prog \\\\server\\share a\\\\", {"prog", "\\\\server\\share", "a\\\\"}},
      // Inside quotes, two quotes give one and end the quotes.
      {"prog \"a\"\"b\"", {"prog", "a\"b"}},
      {"prog \"a\"\" b\"", {"prog", "a\"", "b"}},
      {"prog \"\"\"\"", {"prog", "\""}},
      // The program's own rule: to the next quote when quoted, no escapes; else to the
      // first blank, quotes and all.
      {"\"C:\\Program Files\\x.exe\" a", {"C:\\Program Files\\x.exe", "a"}},
      {"\"C:\\dir\\\"next", {"C:\\dir\\", "next"}},
      {"\"a\"b c", {"a", "b", "c"}},
      {"C:\\a\"b c", {"C:\\a\"b", "c"}},
      {"\"unclosed program", {"unclosed program"}},
      // A line that begins with a blank has an empty program.
      {" a b", {"", "a", "b"}},
      {"\t", {""}},
  };
  for (const Case& c : cases) EXPECT_EQ(split(u16(c.line)), c.arguments) << c.line;
}

TEST_F(CommandLineTest, EmptyLineGivesTheOwnProgramAndBadArgumentsAreRefused) {
  char posix[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", posix, sizeof posix - 1), 0);
  EXPECT_EQ(split(u""), Args{windows(posix)});

  int count = 0;
  SetLastError(0);
  EXPECT_EQ(CommandLineToArgvW(nullptr, &count), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CommandLineToArgvW(u"x", nullptr), nullptr);
  EXPECT_EQ(LocalFree(nullptr), nullptr);
}

// Quoting is the inverse of splitting: any argument list survives the trip.
TEST_F(CommandLineTest, QuotedArgumentsSplitBackToThemselves) {
  const std::vector<Args> lists = {
      {"C:\\Program Files\\setup.exe", "plain", "with blank", "", "tab\there"},
      {"prog", "a\"b", "\"", "\\", "\\\\", "end\\", "end\\\\", "sp ace\\", "q\\\"q", "\"\""},
      {"C:\\x\\y.exe", "-lang", "de", "-vekutil", "C:\\dir with blanks\\", "\\\\host\\share"},
  };
  for (const Args& list : lists) {
    WCHAR line[1024];
    int length = 0;
    line[0] = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) line[length++] = u' ';
      std::u16string argument = u16(list[i]);
      ASSERT_TRUE(w32_append_quoted_argument(line, &length, 1024, argument.c_str(), i == 0));
    }
    EXPECT_EQ(split(line), list) << narrow(line);
  }
  // Plain arguments are not quoted; a line that does not fit is left alone.
  WCHAR line[8] = u"ab";
  int length = 2;
  EXPECT_TRUE(w32_append_quoted_argument(line, &length, 8, u"cd", FALSE));
  EXPECT_EQ(std::u16string(line), u"abcd");
  EXPECT_FALSE(w32_append_quoted_argument(line, &length, 8, u"x y", FALSE));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(std::u16string(line), u"abcd");
  EXPECT_EQ(length, 4);
  // A negative capacity or a length past it holds nothing more.
  for (int capacity : {-1, -100, 3}) {
    EXPECT_FALSE(w32_append_quoted_argument(line, &length, capacity, u"z", FALSE)) << capacity;
    EXPECT_EQ(std::u16string(line), u"abcd") << capacity;
  }
}

// Without the variable the line is made from this process's own arguments, and
// splitting it gives them back, the program as its Windows name.
TEST_F(CommandLineTest, LineOfThisProcessSplitsIntoItsArguments) {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  Args expected;
  for (std::size_t at = 0; at < bytes.size(); at += expected.back().size() + 1)
    expected.push_back(bytes.c_str() + at);
  ASSERT_FALSE(expected.empty());
  if (expected[0][0] == '/') {
    expected[0] = windows(expected[0]);
  } else {
    for (char& c : expected[0])
      if (c == '/') c = '\\';
  }

  unsetenv("YRL_W32_COMMAND_LINE");
  commandline_testing_reset();
  const WCHAR* line = GetCommandLineW();
  EXPECT_EQ(line, GetCommandLineW()) << "the line is kept";
  Args got = split(line);
  // Arguments that are not ASCII would not compare here; the test runner gives none.
  EXPECT_EQ(got, expected);
}

TEST_F(CommandLineTest, VariableAndTestHookSetTheLine) {
  setenv("YRL_W32_COMMAND_LINE", "\"C:\\m\\trovask.exe\" -lang de \xC3\xA9", 1);
  commandline_testing_reset();
  EXPECT_EQ(std::u16string(GetCommandLineW()), u"\"C:\\m\\trovask.exe\" -lang de \u00E9");
  unsetenv("YRL_W32_COMMAND_LINE");
  EXPECT_EQ(std::u16string(GetCommandLineW()), u"\"C:\\m\\trovask.exe\" -lang de \u00E9");

  commandline_testing_set(u"D:\\setup.exe -vekutil");
  EXPECT_EQ(split(GetCommandLineW()), (Args{"D:\\setup.exe", "-vekutil"}));
  commandline_testing_reset();
}

}  // namespace
