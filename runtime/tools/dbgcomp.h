// Text-file comparison for regression runs: two files compared word by word, numbers
// under an absolute and a relative tolerance, differences written to "dbgfile.dat" in
// the working directory.
//
// Lines: a line beginning (after blanks and tabs) with "!" or empty is skipped, so is
// one beginning with a single "<" or with '<' as its second character; a line beginning
// with "<<" is a directive that sets the tolerances ("<< ABS_EPS 1e-3 REL_EPS 1e-6").
#pragma once

#include "fileaccess/core/pfa.h"

namespace vek {

// Bytes of a line buffer (the terminator included).
constexpr int DBG_LINE_SIZE = 300;
// Bytes of a word buffer: a word of a whole line with an inserted exponent sign.
constexpr int DBG_WORD_SIZE = DBG_LINE_SIZE + 2;

// Word kinds.
constexpr int DBG_WORD_EMPTY = 0;
constexpr int DBG_WORD_INTEGER = 1;
constexpr int DBG_WORD_REAL = 2;
constexpr int DBG_WORD_TEXT = 3;
constexpr int DBG_WORD_ANY = 4;  // "*"

// 0 equal, 1 different, 9 when a file cannot be opened.
int dbg_comp_two_files(const char* file1, const char* file2, int check_blanks, int tolerant,
                       double abs_eps, double rel_eps);
int dbg_comp_two_files_search(const char* file1, const char* file2, int check_blanks,
                              int tolerant, double abs_eps, double rel_eps);
int dbg_comp_two_files_mass_prop(const char* file1, const char* file2);
// 1 when a content line of the file matches line, 0 when none does, 9 when the file
// cannot be opened.
int find_string_in_file(const char* file, const char* line, int check_blanks, int tolerant,
                        double abs_eps, double rel_eps);

// 0 when the lines match, else 1 (the first difference reported when report is set).
int dbg_comp_two_lines(const char* line1, const char* line2, int line_number,
                       int check_blanks, int tolerant, double abs_eps, double rel_eps,
                       int report, const char* file1, const char* file2);
// Next line that counts into buffer (DBG_LINE_SIZE bytes): 1 content, 10 directive, 0 at
// the end of the file.
int get_line(VynFile* file, char* buffer);
// Reads a directive line into the tolerances; 0 when it was well formed, else 1 (what
// could be read is still taken).
int dbg_read_eps_from_line(const char* line, const char* file, int line_number,
                           double* abs_eps, double* rel_eps);

// The next word from line[position]: its length in the line (0 at the end), the
// separators skipped before it, its normalised text (DBG_WORD_SIZE bytes) and kind.
int dbg_next_word_on_line(const char* line, int position, int* kind, char* word,
                          int* skipped);
int dbg_read_word_from_string(const char* line, int position, char* word, int* skipped);
int dbg_what_is_word(const char* word);
// 0 when equal: as glob patterns when exactly one holds wildcards, else exact text.
int compare_two_str_words(const char* w1, const char* w2);
// 0 when the two numbers match under the tolerances.
int compare_two_str_dbl(const char* w1, const char* w2, int kind2, double abs_eps,
                        double rel_eps);
// Stores every number of the line (at most max_values) as a double; their count.
int dbg_read_dbl_from_string(const char* line, double* values, int max_values);
// 1 for a line of only blanks, tabs, commas and newlines with exactly one "&".
int is_wildcard_for_string(const char* line);
int is_inertia_wrt_coor(int line_number);
int is_inertia_at_center(int line_number);

// Report writers.
void dbg_print_word_diffs(int line_number, const char* w1, const char* w2, const char* file1,
                          const char* file2);
void dbg_print_line_diffs(int line_number, const char* l1, const char* l2, const char* file1,
                          const char* file2);
void diff_file_output(const char* file1, const char* file2, int count1, int count2,
                      int diff_lines);

}  // namespace vek
