// Text-file comparison under tolerances on small fixture files, the word reader and
// kinds, directive lines and the exact text of the report file.
#include <gtest/gtest.h>

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
  // Lines 22 to 24 allow 2e-5 whatever the tolerance.
  std::string loose = mass_prop_file(5.0);
  loose.replace(loose.find("value 22.5"), 10, "value 22.5001");
  write_file("two.txt", loose);
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "two.txt"), 0);
  EXPECT_EQ(vek::dbg_comp_two_files_mass_prop("one.txt", "missing.txt"), 9);
}

}  // namespace
