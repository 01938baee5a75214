// Text-file comparison under tolerances on small fixture files, the word reader and
// kinds, directive lines and the exact text of the report file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

#include "runtime/tools/dbgcomp.h"
#include "runtime/tools/dbgcomp_testing.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::read_file;
using yrltest::write_file;

class DbgCompTest : public yrltest::RuntimeTest {
 protected:
  yrltest::InTempDir dir_;

  int compare(const std::string& a, const std::string& b, double abs_eps = 1e-6,
              double rel_eps = 1e-6, int tolerant = 1) {
    write_file("one.txt", a);
    write_file("two.txt", b);
    return vek::dbg_comp_two_files("one.txt", "two.txt", 0, tolerant, abs_eps, rel_eps);
  }
  static int lines(const char* a, const char* b, double abs_eps, double rel_eps,
                   int tolerant = 1, int check_blanks = 0) {
    return vek::dbg_comp_two_lines(a, b, 1, check_blanks, tolerant, abs_eps, rel_eps, 0, "a",
                                   "b");
  }
};

TEST_F(DbgCompTest, WordsAndKinds) {
  struct Row {
    const char* line;
    const char* words;  // normalised words joined by '|', each followed by its kind
  } rows[] = {
      {"1.5-2.0", "1.5:2|-2.0:2|"},
      {"  x(1, 2)\n", "x:3|1:1|2:1|"},
      {"1.0e-5 1.0D-05 3d5 7E+2x", "1.0e-5:2|1.0e-05:2|3e+5:2|7e+2:2|x:3|"},
      {"* abc-1 -12 +3 1.2.3 1.2.3.4 e5 12a",
       "*:4|abc-1:3|-12:1|+3:1|1.2.3:2|1.2.3.4:3|e5:3|12a:3|"},
      {"--1 1e 1-e", "--1:3|1e:3|1-e:3|"},
      {"", ""},
  };
  for (const auto& row : rows) {
    std::string got;
    int position = 0;
    char word[vek::DBG_WORD_SIZE];
    for (;;) {
      int kind = -1, skipped = 0;
      int length = vek::dbg_next_word_on_line(row.line, position, &kind, word, &skipped);
      if (length == 0) break;
      position += skipped + length;
      got += std::string(word) + ":" + std::to_string(kind) + "|";
    }
    EXPECT_EQ(got, row.words) << row.line;
  }
  double values[4];
  EXPECT_EQ(vek::dbg_read_dbl_from_string("a 1 2.5 x 1D2 7 8", values, 4), 4);
  EXPECT_DOUBLE_EQ(values[2], 100);
  EXPECT_EQ(vek::is_wildcard_for_string(" &, \t\n"), 1);
  EXPECT_EQ(vek::is_wildcard_for_string("&&"), 0);
  EXPECT_EQ(vek::is_wildcard_for_string("& x"), 0);
}

TEST_F(DbgCompTest, LinePairs) {
  const std::string long1 = "n 123456789012345678901234567890123";
  const std::string long2 = "n 123456789012345678901234567890124";
  struct Row {
    const char* a;
    const char* b;
    double abs_eps, rel_eps;
    int tolerant, expected;
  } rows[] = {
      {"1.0e-5", "1.0D-05", 1e-9, 1e-6, 1, 0},
      {"x 1.0", "x 1.0005", 1e-3, 1e-6, 1, 1},
      {"x 1.0", "x 1.0005", 1e-3, 1e-3, 1, 0},
      {"x 1.0", "x 1.5", 1e-3, 1.0, 1, 1},
      {"&", "anything at all 1 2 3", 0, 0, 0, 0},
      {"a * c", "a 17 c", 0, 0, 0, 0},
      {"a b*", "a bcd", 0, 0, 0, 0},
      {"a b*", "a xcd", 0, 0, 0, 1},
      {"a 1", "a 1.0", 1e-6, 1e-6, 0, 1},
      {"a 1", "a 1.0", 1e-6, 1e-6, 1, 0},
      {"a b", "a 1", 1e-6, 1e-6, 1, 1},
      {"a 1 2", "a 1", 1e-6, 1e-6, 1, 1},
      {"0", "-000", 0, 0, 0, 0},
      {"12", "13", 5, 1, 1, 0},
      {"12", "13", 0.5, 1, 1, 1},
      {"007", "7", 0, 0, 0, 0},
      {"-7", "7", 0, 0, 0, 1},
      // Reals differ from a difference of the absolute tolerance on; within it they
      // match when the larger is at most that tolerance, else by the relative one.
      {"x 1.5", "x 1.75", 0.25, 1.0, 1, 1},
      {"x 1.5", "x 1.7", 0.25, 1.0, 1, 0},
      {"x 0.25", "x 0.5", 0.5, 0, 1, 0},
      {"x 0.25", "x 0.5000001", 0.5, 0, 1, 1},
      // Integers within both tolerances, the absolute one above 1.
      {"12", "14", 2, 1, 1, 0},
      {"12", "15", 2, 1, 1, 1},
      {"100", "102", 2, 0.01, 1, 1},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(lines(row.a, row.b, row.abs_eps, row.rel_eps, row.tolerant), row.expected)
        << row.a << " / " << row.b;
  }
  // Integers of any length compare by exact value.
  EXPECT_EQ(lines(long1.c_str(), long2.c_str(), 0, 0, 0), 1);
  EXPECT_EQ(lines(long1.c_str(), long1.c_str(), 0, 0, 0), 0);
  EXPECT_EQ(lines("99999999999999999999", "99999999999999999998", 0, 0, 0), 1);
  // Separators counted only with the blank check and a report.
  EXPECT_EQ(lines("a  b", "a b", 0, 0, 0, 1), 0);
  EXPECT_EQ(vek::dbg_comp_two_lines("a  b", "a b", 4, 1, 0, 0, 0, 1, "f1", "f2"), 1);
  // Outside a file comparison the report stays open until one ends; close it here.
  vek::dbgcomp_testing_reset();
  EXPECT_EQ(read_file("dbgfile.dat"),
            "\n\n\n      ***** Tolerance Compare File *****\n"
            "\n  File_1: f1     File_2: f2\n"
            "\nLine: 4    Differ:  2 blanks     1 blanks ");
}

// Words longer than the word buffer: read without overrunning it, compared by their
// whole text, and never taken for numbers read from their first digits.
TEST_F(DbgCompTest, LongWordsAreBoundedAndComparedWhole) {
  for (std::size_t digits : {301, 302, 1000, 5000, 100000}) {
    const std::string number(digits, '7');
    const std::string other = number.substr(0, digits - 1) + "8";
    const std::string line = "x " + number + " y";
    char word[vek::DBG_WORD_SIZE];
    int skipped = -1;
    EXPECT_EQ(vek::dbg_read_word_from_string(line.c_str(), 1, word, &skipped),
              static_cast<int>(digits));
    EXPECT_EQ(skipped, 1);
    EXPECT_EQ(std::string(word), number.substr(0, vek::DBG_WORD_SIZE - 1));
    EXPECT_EQ(lines(line.c_str(), line.c_str(), 0, 0), 0) << digits;
    EXPECT_EQ(lines(line.c_str(), ("x " + other + " y").c_str(), 0, 0), 1) << digits;
    EXPECT_EQ(lines(line.c_str(), "x * y", 0, 0), 0) << digits;
    EXPECT_EQ(lines(line.c_str(), ("x " + number + " z").c_str(), 0, 0), 1) << digits;
    // A real whose normalised text (with "e+") outgrows the buffer.
    const std::string real = "0." + number + "D5";
    EXPECT_EQ(lines(real.c_str(), real.c_str(), 1e-6, 1e-6), 0);
    int kind = 0;
    vek::dbg_next_word_on_line(real.c_str(), 0, &kind, word, &skipped);
    EXPECT_EQ(kind, vek::DBG_WORD_TEXT);
    // Up to 301 characters a number fills the buffer and is one; past that it is text.
    const bool fits = digits < static_cast<std::size_t>(vek::DBG_WORD_SIZE);
    double values[2] = {-1, -1};
    EXPECT_EQ(vek::dbg_read_dbl_from_string(line.c_str(), values, 2), fits ? 1 : 0) << digits;
    double abs_eps = 9, rel_eps = 9;
    vek::dbg_read_eps_from_line(("<< ABS_EPS " + number).c_str(), "f", 1, &abs_eps, &rel_eps);
    EXPECT_EQ(abs_eps, fits ? std::strtod(number.c_str(), nullptr) : 9) << digits;
    write_file("one.txt", "x 1\n" + line + "\n");
    EXPECT_EQ(vek::find_string_in_file("one.txt", line.c_str(), 0, 1, 1e-6, 1e-6), 0);
    EXPECT_EQ(vek::find_string_in_file("one.txt", "x 1.0", 0, 1, 1e-6, 1e-6), 1);
  }
}

// A line ends at "\r\n" as it does at "\n": a CRLF file equals its LF copy.
TEST_F(DbgCompTest, CrlfLinesEqualTheirLfCopies) {
  EXPECT_EQ(compare("a 1.0\r\nb x\r\n&\r\n\r\nc (1, 2)\r\n", "a 1.0\nb x\nanything\nc (1, 2)\n"), 0);
  EXPECT_EQ(read_file("dbgfile.dat"), "");
  EXPECT_EQ(lines("a 7\r\n", "a 7", 0, 0, 0), 0);
  EXPECT_EQ(lines("a 7\r", "a 7\n", 0, 0, 0), 0);
  EXPECT_EQ(lines("word\r\n", "word", 0, 0, 0, 1), 0);
  EXPECT_EQ(vek::is_wildcard_for_string("&\r\n"), 1);
  // A carriage return inside a line stays part of its word.
  EXPECT_EQ(lines("a\rb", "a b", 0, 0, 0), 1);
  EXPECT_EQ(lines("a\r\rb", "a", 0, 0, 0), 1);
  write_file("one.txt", "x 1\r\nbeta 2\r\n");
  EXPECT_EQ(vek::find_string_in_file("one.txt", "beta 2", 0, 0, 0, 0), 1);
  write_file("two.txt", "beta 2\nx 1\n");
  EXPECT_EQ(vek::dbg_comp_two_files_search("one.txt", "two.txt", 0, 0, 0, 0), 0);
}

// Lines of every length around the 300-byte read: the "\r" of a CRLF end can be the last
// byte of one read and its "\n" the next, also after blanks alone; the file still equals
// its LF copy.
TEST_F(DbgCompTest, CrlfFilesEqualTheirLfCopiesAtEveryLineLength) {
  for (int length = 280; length <= 620; ++length) {
    const std::string words = [length] {
      std::string text;
      while (static_cast<int>(text.size()) < length) text += "ab 1.5 ";
      return text.substr(0, static_cast<std::size_t>(length));
    }();
    const std::string blank_tail = "x" + std::string(static_cast<std::size_t>(length - 1), ' ');
    const std::string blanks(static_cast<std::size_t>(length), ' ');
    for (const std::string& line : {words, blank_tail, blanks}) {
      EXPECT_EQ(compare("a 1\r\n" + line + "\r\nz 2\r\n", "a 1\n" + line + "\nz 2\n"), 0)
          << length << " [" << line << "]";
    }
  }
  EXPECT_EQ(read_file("dbgfile.dat"), "");
}

TEST_F(DbgCompTest, DirectiveLines) {
  struct Row {
    const char* line;
    int malformed;
    double abs_eps, rel_eps;
  } rows[] = {
      {"<< ABS_EPS 1e-2 REL_EPS 1e-3", 0, 1e-2, 1e-3},
      {"<< rel_eps = 0.5 abs_eps = 0.25", 0, 0.25, 0.5},
      {"<<mp_eps 0.125", 0, 9, 0.125},
      {"<< ABS_EPS 3", 0, 3, 9},
      {"<< !! ABS_EPS 3 4", 0, 9, 9},
      {"<< ABS_EPS 1 REL_EPS 2 3 4 5 6 7 8 9", 0, 9, 9},
      {"<< tolerance ABS_EPS 3", 1, 3, 9},
      {"<< ABS_EPS", 0, 9, 9},
  };
  for (const auto& row : rows) {
    double abs_eps = 9, rel_eps = 9;
    EXPECT_EQ(vek::dbg_read_eps_from_line(row.line, "f", 1, &abs_eps, &rel_eps), row.malformed)
        << row.line;
    EXPECT_DOUBLE_EQ(abs_eps, row.abs_eps) << row.line;
    EXPECT_DOUBLE_EQ(rel_eps, row.rel_eps) << row.line;
  }
}

TEST_F(DbgCompTest, FilesLineByLine) {
  // Skipped lines on either side do not count.
  EXPECT_EQ(compare("! comment\na 1\n\n  < not compared\nx< neither\nb 2\n",
                    "a 1.0000000001\nb 2"),
            0);
  EXPECT_EQ(read_file("dbgfile.dat"), "");
  // A directive mid-file loosens the tolerances for the lines after it.
  EXPECT_EQ(compare("x 1.0\n<< ABS_EPS 1e-2 REL_EPS 1e-3\nx 1.0\n", "x 1.0\nx 1.0005\n", 1e-3,
                    1e-6),
            0);
  EXPECT_EQ(compare("x 1.0\nx 1.0\n<< ABS_EPS 1e-2 REL_EPS 1e-3\n", "x 1.0\nx 1.0005\n", 1e-3,
                    1e-6),
            1);
  EXPECT_EQ(vek::dbg_comp_two_files("one.txt", "missing.txt", 0, 1, 0, 0), 9);
}

TEST_F(DbgCompTest, TrailingExtraLineAndReportText) {
  yrltest::ConsoleCapture console;
  EXPECT_EQ(compare("a 1\nb 2\n", "a 1\nb 2\nc 3\n"), 1);
  EXPECT_EQ(console.out(),
            "\n   File_1 is: one.txt\n   File_2 is: two.txt\n"
            "     !!! Line Counts Are Different !!!\n"
            "     File_1 : 2    File_2 = 3\n");
  const std::string counts_report =
      "\n\n\n      ***** Tolerance Compare File *****\n"
      "\n     File_1: one.txt     File_2: two.txt\n"
      "\n\n\n      **********************************\n"
      "     !!! Line Counts Are Different !!!\n"
      "     File_1 : 2    File_2 = 3\n";
  EXPECT_EQ(read_file("dbgfile.dat"), counts_report);
  // A second comparison appends.
  EXPECT_EQ(compare("a 1\nb 2\n", "a 1\nb 3\n"), 1);
  EXPECT_EQ(read_file("dbgfile.dat"),
            counts_report +
                "\n\n\n      ***** Tolerance Compare File *****\n"
                "\n  File_1: one.txt     File_2: two.txt\n"
                "\nLine: 2    Differ: 2   3"
                "\n\n\n      **********************************\n"
                "     Total num of diff lines: 1\n");
}

TEST_F(DbgCompTest, SearchForm) {
  write_file("one.txt", "alpha 1\nbeta 2\ngamma 3\n");
  write_file("two.txt", "gamma 3.0000000001\nalpha 1\nbeta 2\n");
  EXPECT_EQ(vek::dbg_comp_two_files_search("one.txt", "two.txt", 0, 1, 1e-6, 1e-6), 0);
  EXPECT_EQ(vek::find_string_in_file("two.txt", "beta 2", 0, 1, 1e-6, 1e-6), 1);
  EXPECT_EQ(vek::find_string_in_file("two.txt", "beta 3", 0, 1, 1e-6, 1e-6), 0);
  EXPECT_EQ(vek::find_string_in_file("missing.txt", "beta 3", 0, 1, 1e-6, 1e-6), 9);
  write_file("two.txt", "gamma 3\nalpha 1\ndelta 4\n");
  EXPECT_EQ(vek::dbg_comp_two_files_search("one.txt", "two.txt", 0, 1, 1e-6, 1e-6), 1);
  EXPECT_EQ(read_file("dbgfile.dat"),
            "\n\n\n      ***** Tolerance Compare File *****\n"
            "\n  File_1: one.txt     File_2: two.txt\n"
            "\n< beta 2\n"
            "\n> delta 4\n"
            "\n\n\n      **********************************\n"
            "     Total num of diff lines: 1\n");
}

std::string mass_prop_file(double element) {
  std::string text;
  for (int line = 1; line <= 26; ++line) {
    if (line == 11)
      text += "Ixy " + std::to_string(element) + " 5.0 0.25\n";
    else if (line == 10 || line == 12 || line == 16 || line == 17 || line == 18)
      text += "row 5.0 5.0 0.25\n";
    else
      text += "value " + std::to_string(line) + ".5\n";
  }
  return text;
}

TEST_F(DbgCompTest, MassProperties) {
  write_file("one.txt", mass_prop_file(5.0));
  write_file("two.txt", mass_prop_file(5.0));
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), 0);
  write_file("two.txt", mass_prop_file(5.5));
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), 1);
  EXPECT_EQ(read_file("dbgfile.dat"),
            "\n\n\n      ***** Tolerance Compare File *****\n"
            "\n  File_1: one.txt     File_2: two.txt\n"
            "\nLine: 11 Differ: \n"
            "  \t\t  5.000000e+00  5.000000e+00  2.500000e-01\n"
            "             VS \n"
            "  \t\t  5.500000e+00  5.000000e+00  2.500000e-01\n\n"
            "\n\n\n      **********************************\n"
            "     Total num of diff lines: 1\n");
  // A tensor row without its numbers is a difference, not a read of unset values.
  std::string missing = mass_prop_file(5.0);
  std::size_t row = missing.find("Ixy");
  missing.replace(row, missing.find('\n', row) - row, "Ixy");
  write_file("two.txt", missing);
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), 1);
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "missing.txt"), 9);
}

// A mass-property report of 26 lines: "value <n>.5" and tensor rows of 5.0 on the
// diagonal, with the given lines replaced.
std::string mass_prop_lines(const std::map<int, std::string>& lines,
                            const std::string& head = "") {
  std::string text = head;
  for (int line = 1; line <= 26; ++line) {
    auto it = lines.find(line);
    if (it != lines.end())
      text += it->second + "\n";
    else if (line == 10 || line == 16)
      text += "row 5.0 0 0\n";
    else if (line == 11 || line == 17)
      text += "row 0 5.0 0\n";
    else if (line == 12 || line == 18)
      text += "row 0 0 5.0\n";
    else
      text += "value " + std::to_string(line) + ".5\n";
  }
  return text;
}

// The tolerance of a line by its number: the relative tolerance starts at 1e-5; line 2
// sets a length scale for line 7, lines 22 to 24 allow 2e-5 at least, line 26 is an
// angle with 0.002 at least; inertia elements on small diagonals compare absolutely.
TEST_F(DbgCompTest, MassPropertyLineRules) {
  struct Row {
    const char* what;
    std::map<int, std::string> one, two;
    const char* head;
    int expected;
  } rows[] = {
      // 100 against 100.0015 is 1.5e-5 apart relatively.
      {"line 22 allows 2e-5", {{22, "v 100"}}, {{22, "v 100.0015"}}, "", 0},
      {"line 24 allows 2e-5", {{24, "v 100"}}, {{24, "v 100.0015"}}, "", 0},
      {"line 21 does not", {{21, "v 100"}}, {{21, "v 100.0015"}}, "", 1},
      {"line 25 does not", {{25, "v 100"}}, {{25, "v 100.0015"}}, "", 1},
      {"a looser tolerance stays", {{22, "v 100"}}, {{22, "v 100.004"}},
       "<< mp_eps 5e-5\n", 0},
      // Line 7 takes the tolerance times the cube root of line 2's first value.
      {"line 7 scaled by 2", {{2, "v 8"}, {7, "v 100"}}, {{2, "v 8"}, {7, "v 100.0015"}}, "", 0},
      {"line 6 is not scaled", {{2, "v 8"}, {6, "v 100"}}, {{2, "v 8"}, {6, "v 100.0015"}}, "", 1},
      // Up to 1e-9 line 2 gives the tolerance itself as the scale: 1e-10 for line 7.
      {"scale at 1e-9", {{2, "v 1e-9"}, {7, "v 100"}}, {{2, "v 1e-9"}, {7, "v 100.0000005"}}, "", 1},
      {"scale above 1e-9", {{2, "v 2e-9"}, {7, "v 100"}}, {{2, "v 2e-9"}, {7, "v 100.0000005"}},
       "", 0},
      {"line 2 compares as it is", {{2, "v 8"}}, {{2, "v 8.001"}}, "", 1},
      // Line 26: the tolerance in degrees, 0.002 at least.
      {"line 26 allows 0.002", {{26, "v 10"}}, {{26, "v 10.015"}}, "", 0},
      {"line 26 not more", {{26, "v 10"}}, {{26, "v 10.03"}}, "", 1},
      {"line 26 in degrees", {{26, "v 10"}}, {{26, "v 10.03"}}, "<< mp_eps 1e-4\n", 0},
      // Inertia: an element whose smaller diagonal scale is at most 1e-9 differs by more
      // than the tolerance (1e-5), else by more than the tolerance times the larger.
      {"small diagonal 1e-9", {{10, "row 1e-9 0 0"}}, {{10, "row 2e-9 0 0"}}, "", 0},
      {"small diagonal 1.1e-9", {{10, "row 1.1e-9 0 0"}}, {{10, "row 2e-9 0 0"}}, "", 1},
      {"small diagonal, far", {{16, "row 1e-9 0 0"}}, {{16, "row 2e-5 0 0"}}, "", 1},
  };
  for (const Row& row : rows) {
    write_file("one.txt", mass_prop_lines(row.one, row.head));
    write_file("two.txt", mass_prop_lines(row.two, row.head));
    EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), row.expected) << row.what;
  }
}

// Text lines compare up to their line end: "\r\n", "\n" or none.
TEST_F(DbgCompTest, MassPropertyTextLinesIgnoreTheLineEnd) {
  write_file("one.txt", mass_prop_lines({{1, "MASS PROPERTIES"}}));
  write_file("two.txt", mass_prop_lines({{1, "MASS PROPERTIES\r"}}));
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), 0);
  write_file("two.txt", mass_prop_lines({{1, "MASS PROPERTIES "}}));
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), 1);
}

}  // namespace
