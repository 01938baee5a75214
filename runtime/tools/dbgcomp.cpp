// Text-file comparison with tolerances and its report file.
#include "runtime/tools/dbgcomp.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "runtime/diag/console.h"
#include "runtime/text/glob.h"
#include "runtime/tools/dbgcomp_testing.h"

namespace vek {

namespace {

constexpr const char* kReportName = "dbgfile.dat";
constexpr int kMaxValues = DBG_LINE_SIZE / 2 + 1;

// The report file while a comparison has written to it.
VynFile* pdr_fp = nullptr;

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '(' || c == ')'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '-' || c == '+'; }
bool is_exponent_letter(char c) { return c == 'e' || c == 'E' || c == 'd' || c == 'D'; }
// A line ends at its terminator, at "\n" and at "\r\n" (a "\r" last in the buffer too), so
// that a file with CRLF line ends reads as its LF copy.
bool line_end(const char* p) {
  return *p == 0 || *p == '\n' || (*p == '\r' && (p[1] == '\n' || p[1] == 0));
}
bool word_end(const char* p) { return line_end(p) || is_separator(*p); }

// The word from line[position] as dbg_read_word_from_string reads it. The normalised text
// is cut to fit the word buffer (DBG_WORD_SIZE bytes); *cut tells that it was, and the
// length returned is still the whole word's, so that the reader moves past all of it.
int read_word(const char* line, int position, char* word, int* skipped, bool* cut) {
  int at = position;
  while (is_separator(line[at])) ++at;
  *skipped = at - position;
  *cut = false;
  word[0] = 0;
  if (line_end(line + at)) return 0;
  const int start = at;
  int out = 0;  // characters of the normalised word, stored or not
  auto put = [&](char c) {
    if (out < DBG_WORD_SIZE - 1)
      word[out] = c;
    else
      *cut = true;
    ++out;
  };
  bool numeric_so_far = true;  // a sign first, then digits and points
  bool has_digit = false;
  while (!word_end(line + at)) {
    char c = line[at];
    if (out > 0 && is_sign(c) && (is_digit(line[at - 1]) || line[at - 1] == '.') &&
        (is_digit(line[at + 1]) || line[at + 1] == '.'))
      break;
    if (is_exponent_letter(c) && numeric_so_far && has_digit) {
      char next = line[at + 1];
      bool sign_digit = is_sign(next) && is_digit(line[at + 2]);
      if (is_digit(next) || sign_digit) {
        put('e');
        ++at;
        put(sign_digit ? line[at++] : '+');
        while (is_digit(line[at])) put(line[at++]);
        break;
      }
    }
    if (is_digit(c))
      has_digit = true;
    else if (!(c == '.' || (out == 0 && is_sign(c))))
      numeric_so_far = false;
    put(c);
    ++at;
  }
  word[out < DBG_WORD_SIZE - 1 ? out : DBG_WORD_SIZE - 1] = 0;
  return at - start;
}

// The kind of a word as read; a word too long for the buffer is text, never a number
// read from its first digits only.
int kind_of(const char* word, bool cut) { return cut ? DBG_WORD_TEXT : dbg_what_is_word(word); }

// The text of a line up to its end (without "\n" or "\r\n").
std::size_t line_length(const char* line) {
  std::size_t n = 0;
  while (!line_end(line + n)) ++n;
  return n;
}

bool same_line_text(const char* l1, const char* l2) {
  std::size_t n = line_length(l1);
  return n == line_length(l2) && std::memcmp(l1, l2, n) == 0;
}

// Opens the report on the first difference of a comparison and writes its header.
void open_report(const char* file1, const char* file2, const char* names_format) {
  if (pdr_fp) return;
  pdr_fp = pfa_fopen_file_vers(kReportName, "a", 0);
  if (!pdr_fp) return;
  pfa_fprintf(pdr_fp, "\n\n\n      ***** Tolerance Compare File *****\n");
  pfa_fprintf(pdr_fp, names_format, file1 ? file1 : "", file2 ? file2 : "");
}

void close_report() {
  if (pdr_fp) pfa_dispose(&pdr_fp);
  pdr_fp = nullptr;
}

void report_header(const char* file1, const char* file2) {
  open_report(file1, file2, "\n  File_1: %s     File_2: %s\n");
}

VynFile* open_input(const char* name) { return name ? pfa_fopen_file_vers(name, "r", 0) : nullptr; }

// Next content line; directive lines on the way set the tolerances.
int next_content(VynFile* file, char* buffer, const char* name, int line_number,
                 double* abs_eps, double* rel_eps) {
  for (;;) {
    int kind = get_line(file, buffer);
    if (kind != 10) return kind;
    dbg_read_eps_from_line(buffer, name, line_number, abs_eps, rel_eps);
  }
}

// The digits of an integer word without sign and leading zeros ("" for zero).
const char* integer_digits(const char* word, bool* negative) {
  *negative = *word == '-';
  if (is_sign(*word)) ++word;
  while (*word == '0') ++word;
  return word;
}

// Integers by exact value; with a tolerance above 1 also within the tolerances.
int compare_integers(const char* w1, const char* w2, int tolerant, double abs_eps,
                     double rel_eps) {
  bool n1 = false;
  bool n2 = false;
  const char* d1 = integer_digits(w1, &n1);
  const char* d2 = integer_digits(w2, &n2);
  if (*d1 == 0 && *d2 == 0) return 0;
  if (n1 == n2 && std::strcmp(d1, d2) == 0) return 0;
  if (tolerant && abs_eps > 1.0) {
    double a = std::strtod(w1, nullptr);
    double b = std::strtod(w2, nullptr);
    double d = std::fabs(a - b);
    double m = std::fmax(std::fabs(a), std::fabs(b));
    if (d <= abs_eps && d <= rel_eps * m) return 0;
  }
  return 1;
}

int compare_words(const char* w1, int k1, const char* w2, int k2, int tolerant,
                  double abs_eps, double rel_eps) {
  if (k1 == DBG_WORD_ANY || k2 == DBG_WORD_ANY) return 0;
  bool numeric1 = k1 == DBG_WORD_INTEGER || k1 == DBG_WORD_REAL;
  bool numeric2 = k2 == DBG_WORD_INTEGER || k2 == DBG_WORD_REAL;
  if (k1 != k2 && (!tolerant || !numeric1 || !numeric2)) return 1;
  if (k1 == DBG_WORD_INTEGER && k2 == DBG_WORD_INTEGER)
    return compare_integers(w1, w2, tolerant, abs_eps, rel_eps);
  if (numeric1 && numeric2) return compare_two_str_dbl(w1, w2, k2, abs_eps, rel_eps);
  return compare_two_str_words(w1, w2);
}

// The pair differs when its difference exceeds the tolerance, taken relative to the
// larger magnitude unless the smaller one is within it.
bool values_differ(double a, double b, double tolerance) {
  double small = std::fmin(std::fabs(a), std::fabs(b));
  double large = std::fmax(std::fabs(a), std::fabs(b));
  double d = std::fabs(a - b);
  return small <= tolerance ? d > tolerance : d > tolerance * large;
}

void format_row(char* out, std::size_t size, const double* row) {
  std::snprintf(out, size, "\t\t  %e  %e  %e\n", row[0], row[1], row[2]);
}

}  // namespace

void dbgcomp_testing_reset() { close_report(); }

int get_line(VynFile* file, char* buffer) {
  for (;;) {
    int count = 0;
    int status = pfa_fgets(file, DBG_LINE_SIZE, &count, buffer);
    if (status != 0) return 0;
    const char* p = buffer;
    while (*p == ' ' || *p == '\t') ++p;
    // Empty: nothing but its end, also a "\r" last in a read whose "\n" comes next.
    if (*p == '!' || line_end(p)) continue;
    if (p[0] == '<' && p[1] == '<') return 10;
    if (p[0] == '<' || p[1] == '<') continue;
    return 1;
  }
}

int dbg_read_eps_from_line(const char* line, const char*, int, double* abs_eps,
                           double* rel_eps) {
  int position = 0;
  while (line[position] == ' ' || line[position] == '\t') ++position;
  if (line[position] == '<' && line[position + 1] == '<') position += 2;
  int malformed = 0;
  int first_keyword = 0;  // 1 absolute, 2 relative: which came first
  bool has_abs = false;
  bool has_rel = false;
  double values[2] = {0, 0};
  int count = 0;
  char word[DBG_WORD_SIZE];
  for (;;) {
    int kind = 0;
    int skipped = 0;
    int length = dbg_next_word_on_line(line, position, &kind, word, &skipped);
    if (length == 0) break;
    position += skipped + length;
    if (std::strcmp(word, "ABS_EPS") == 0 || std::strcmp(word, "abs_eps") == 0) {
      has_abs = true;
      if (!first_keyword) first_keyword = 1;
    } else if (std::strcmp(word, "REL_EPS") == 0 || std::strcmp(word, "rel_eps") == 0 ||
               std::strcmp(word, "mp_eps") == 0) {
      has_rel = true;
      if (!first_keyword) first_keyword = 2;
    } else if (std::strcmp(word, "!!") == 0 || std::strcmp(word, "=") == 0) {
    } else if (kind == DBG_WORD_INTEGER || kind == DBG_WORD_REAL) {
      if (count < 2) values[count] = std::strtod(word, nullptr);
      ++count;
    } else {
      malformed = 1;
    }
  }
  if (has_abs && has_rel && count == 2) {
    *abs_eps = first_keyword == 1 ? values[0] : values[1];
    *rel_eps = first_keyword == 1 ? values[1] : values[0];
  } else if (has_abs != has_rel && count == 1) {
    *(has_abs ? abs_eps : rel_eps) = values[0];
  }
  return malformed;
}

int dbg_read_word_from_string(const char* line, int position, char* word, int* skipped) {
  bool cut = false;
  return read_word(line, position, word, skipped, &cut);
}

int dbg_what_is_word(const char* word) {
  if (!word || !*word) return DBG_WORD_EMPTY;
  if (std::strcmp(word, "*") == 0) return DBG_WORD_ANY;
  int digits = 0;
  int points = 0;
  int signs = 0;
  int others = 0;
  int other_at = -1;
  bool misplaced_sign = false;
  for (int i = 0; word[i]; ++i) {
    char c = word[i];
    if (is_digit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else if (is_sign(c)) {
      ++signs;
      if (i > 0 && !is_exponent_letter(word[i - 1])) misplaced_sign = true;
    } else {
      ++others;
      other_at = i;
    }
  }
  if (misplaced_sign || digits == 0 || others > 1 || points > 2 || signs >= 3)
    return DBG_WORD_TEXT;
  if (others == 1)
    return is_exponent_letter(word[other_at]) && is_sign(word[other_at + 1]) && signs > 0
               ? DBG_WORD_REAL
               : DBG_WORD_TEXT;
  return points > 0 ? DBG_WORD_REAL : DBG_WORD_INTEGER;
}

int dbg_next_word_on_line(const char* line, int position, int* kind, char* word,
                          int* skipped) {
  bool cut = false;
  int length = read_word(line, position, word, skipped, &cut);
  *kind = kind_of(word, cut);
  return length;
}

int compare_two_str_words(const char* w1, const char* w2) {
  bool wild1 = filter_has_wildcards(w1) != 0;
  bool wild2 = filter_has_wildcards(w2) != 0;
  if (wild1 != wild2) return match_user_filter(wild1 ? w2 : w1, wild1 ? w1 : w2) ? 0 : 1;
  return std::strcmp(w1, w2) == 0 ? 0 : 1;
}

int compare_two_str_dbl(const char* w1, const char* w2, int, double abs_eps, double rel_eps) {
  if (std::strcmp(w1, w2) == 0) return 0;
  double a = std::strtod(w1, nullptr);
  double b = std::strtod(w2, nullptr);
  double d = std::fabs(a - b);
  double m = std::fmax(std::fabs(a), std::fabs(b));
  if (!(d < abs_eps)) return 1;
  if (m <= abs_eps) return 0;
  return d > rel_eps * m ? 1 : 0;
}

int dbg_read_dbl_from_string(const char* line, double* values, int max_values) {
  int count = 0;
  int position = 0;
  char word[DBG_WORD_SIZE];
  for (;;) {
    int kind = 0;
    int skipped = 0;
    int length = dbg_next_word_on_line(line, position, &kind, word, &skipped);
    if (length == 0) return count;
    position += skipped + length;
    if (kind != DBG_WORD_INTEGER && kind != DBG_WORD_REAL) continue;
    if (count < max_values) values[count++] = std::strtod(word, nullptr);
  }
}

int is_wildcard_for_string(const char* line) {
  int ampersands = 0;
  for (const char* p = line; *p; ++p) {
    if (*p == '&')
      ++ampersands;
    else if (*p != ' ' && *p != '\t' && *p != ',' && *p != '\n' && !(*p == '\r' && line_end(p)))
      return 0;
  }
  return ampersands == 1 ? 1 : 0;
}

int is_inertia_wrt_coor(int line_number) { return line_number >= 10 && line_number <= 12; }
int is_inertia_at_center(int line_number) { return line_number >= 16 && line_number <= 18; }

int dbg_comp_two_lines(const char* line1, const char* line2, int line_number,
                       int check_blanks, int tolerant, double abs_eps, double rel_eps,
                       int report, const char* file1, const char* file2) {
  if (is_wildcard_for_string(line1) || is_wildcard_for_string(line2)) return 0;
  int p1 = 0;
  int p2 = 0;
  char w1[DBG_WORD_SIZE];
  char w2[DBG_WORD_SIZE];
  for (;;) {
    int s1 = 0, s2 = 0;
    bool cut1 = false, cut2 = false;
    int l1 = read_word(line1, p1, w1, &s1, &cut1);
    int l2 = read_word(line2, p2, w2, &s2, &cut2);
    int k1 = kind_of(w1, cut1);
    int k2 = kind_of(w2, cut2);
    if (l1 == 0 && l2 == 0) return 0;
    if (l1 != 0 && l2 != 0 && check_blanks && report && s1 != s2) {
      char b1[32];
      char b2[32];
      std::snprintf(b1, sizeof b1, " %d blanks ", s1);
      std::snprintf(b2, sizeof b2, " %d blanks ", s2);
      dbg_print_word_diffs(line_number, b1, b2, file1, file2);
      return 1;
    }
    // A word left over on one line stands against a blank. A word too long for the
    // buffer matches only the same text, compared in the lines themselves.
    bool differ;
    if (l1 == 0 || l2 == 0)
      differ = true;
    else if ((cut1 || cut2) && k1 != DBG_WORD_ANY && k2 != DBG_WORD_ANY)
      differ = l1 != l2 ||
               std::memcmp(line1 + p1 + s1, line2 + p2 + s2, static_cast<std::size_t>(l1)) != 0;
    else
      differ = compare_words(w1, k1, w2, k2, tolerant, abs_eps, rel_eps) != 0;
    if (differ) {
      if (report) dbg_print_word_diffs(line_number, l1 ? w1 : " ", l2 ? w2 : " ", file1, file2);
      return 1;
    }
    p1 += s1 + l1;
    p2 += s2 + l2;
  }
}

int find_string_in_file(const char* file, const char* line, int check_blanks, int tolerant,
                        double abs_eps, double rel_eps) {
  VynFile* f = open_input(file);
  if (!f) return 9;
  char buffer[DBG_LINE_SIZE];
  int found = 0;
  while (!found && next_content(f, buffer, file, 0, &abs_eps, &rel_eps) == 1)
    found = dbg_comp_two_lines(line, buffer, 0, check_blanks, tolerant, abs_eps, rel_eps, 0,
                               file, file) == 0;
  pfa_dispose(&f);
  return found;
}

void dbg_print_word_diffs(int line_number, const char* w1, const char* w2, const char* file1,
                          const char* file2) {
  report_header(file1, file2);
  if (pdr_fp) pfa_fprintf(pdr_fp, "\nLine: %d    Differ: %s   %s", line_number, w1, w2);
}

void dbg_print_line_diffs(int line_number, const char* l1, const char* l2, const char* file1,
                          const char* file2) {
  report_header(file1, file2);
  if (!pdr_fp) return;
  pfa_fprintf(pdr_fp, "\nLine: %d Differ: \n", line_number);
  pfa_fprintf(pdr_fp, "  %s", l1);
  pfa_fprintf(pdr_fp, "             VS \n");
  pfa_fprintf(pdr_fp, "  %s\n", l2);
}

void diff_file_output(const char* file1, const char* file2, int count1, int count2,
                      int diff_lines) {
  close_report();
  if (count1 == count2 && diff_lines == 0) return;
  if (diff_lines == 0)
    open_report(file1, file2, "\n     File_1: %s     File_2: %s\n");
  else
    pdr_fp = pfa_fopen_file_vers(kReportName, "a", 0);
  if (pdr_fp) pfa_fprintf(pdr_fp, "\n\n\n      **********************************\n");
  if (count1 != count2) {
    if (pdr_fp) {
      pfa_fprintf(pdr_fp, "     !!! Line Counts Are Different !!!\n");
      pfa_fprintf(pdr_fp, "     File_1 : %d    File_2 = %d\n", count1, count2);
    }
    ivek_printf("     !!! Line Counts Are Different !!!\n");
    ivek_printf("     File_1 : %d    File_2 = %d\n", count1, count2);
  }
  if (diff_lines) {
    if (pdr_fp) pfa_fprintf(pdr_fp, "     Total num of diff lines: %d\n", diff_lines);
    ivek_printf("     Total num of diff lines: %d\n", diff_lines);
  }
  close_report();
}

namespace {

// Compares the content lines of two files in step with compare(line 1, line 2, line
// number, tolerances, context), counting the rest of the longer file; directive lines
// set the tolerances. 9 when a file cannot be opened, else 0 or 1 after the report.
using LineCompare = int (*)(const char*, const char*, int, double, double, void*);
int compare_in_step(const char* file1, const char* file2, int announce, double abs_eps,
                    double rel_eps, LineCompare compare, void* context) {
  VynFile* f1 = open_input(file1);
  VynFile* f2 = open_input(file2);
  if (!f1 || !f2) {
    pfa_dispose(&f1);
    pfa_dispose(&f2);
    return 9;
  }
  if (announce) {
    ivek_printf("\n");
    ivek_printf("   File_1 is: %s\n", file1);
    ivek_printf("   File_2 is: %s\n", file2);
  }
  close_report();
  char l1[DBG_LINE_SIZE];
  char l2[DBG_LINE_SIZE];
  int count1 = 0, count2 = 0, diff = 0;
  for (;;) {
    int r1 = next_content(f1, l1, file1, count1 + 1, &abs_eps, &rel_eps);
    int r2 = next_content(f2, l2, file2, count2 + 1, &abs_eps, &rel_eps);
    count1 += r1;
    count2 += r2;
    if (r1 && r2) {
      diff += compare(l1, l2, count1, abs_eps, rel_eps, context);
      continue;
    }
    while (r1 && (r1 = next_content(f1, l1, file1, count1 + 1, &abs_eps, &rel_eps))) ++count1;
    while (r2 && (r2 = next_content(f2, l2, file2, count2 + 1, &abs_eps, &rel_eps))) ++count2;
    break;
  }
  pfa_dispose(&f1);
  pfa_dispose(&f2);
  diff_file_output(file1, file2, count1, count2, diff);
  return diff > 0 || count1 != count2 ? 1 : 0;
}

struct PlainContext {
  const char* file1;
  const char* file2;
  int check_blanks;
  int tolerant;
};

int compare_plain_lines(const char* l1, const char* l2, int line_number, double abs_eps,
                        double rel_eps, void* context) {
  const auto* c = static_cast<const PlainContext*>(context);
  return dbg_comp_two_lines(l1, l2, line_number, c->check_blanks, c->tolerant, abs_eps,
                            rel_eps, 1, c->file1, c->file2);
}

}  // namespace

int dbg_comp_two_files(const char* file1, const char* file2, int check_blanks, int tolerant,
                       double abs_eps, double rel_eps) {
  PlainContext context{file1, file2, check_blanks, tolerant};
  return compare_in_step(file1, file2, 1, abs_eps, rel_eps, compare_plain_lines, &context);
}

namespace {
// Looks for each content line of one file in the other; the misses, each reported with
// the marker. count gets the file's content lines.
int search_lines(const char* from, const char* in, const char* marker, int tolerant,
                 double abs_eps, double rel_eps, const char* file1, const char* file2,
                 int* count) {
  VynFile* f = open_input(from);
  if (!f) return -1;
  char line[DBG_LINE_SIZE];
  int misses = 0;
  *count = 0;
  while (next_content(f, line, from, *count + 1, &abs_eps, &rel_eps) == 1) {
    ++*count;
    if (find_string_in_file(in, line, 0, tolerant, abs_eps, rel_eps) == 1) continue;
    ++misses;
    report_header(file1, file2);
    if (pdr_fp) pfa_fprintf(pdr_fp, "\n%s %s", marker, line);
  }
  pfa_dispose(&f);
  return misses;
}
}  // namespace

int dbg_comp_two_files_search(const char* file1, const char* file2, int, int tolerant,
                              double abs_eps, double rel_eps) {
  VynFile* probe1 = open_input(file1);
  VynFile* probe2 = open_input(file2);
  bool opened = probe1 && probe2;
  pfa_dispose(&probe1);
  pfa_dispose(&probe2);
  if (!opened) return 9;
  close_report();
  int count1 = 0, count2 = 0;
  int misses1 = search_lines(file1, file2, "<", tolerant, abs_eps, rel_eps, file1, file2, &count1);
  int misses2 = search_lines(file2, file1, ">", tolerant, abs_eps, rel_eps, file1, file2, &count2);
  if (misses1 < 0 || misses2 < 0) {
    close_report();
    return 9;
  }
  int misses = misses1 + misses2;
  diff_file_output(file1, file2, count1, count2, misses / 2);
  return misses > 0 || count1 != count2 ? 1 : 0;
}

namespace {

struct MassPropState {
  double length;
  double tensor1[3][3];
  double tensor2[3][3];
  bool row_ok[3];
  const char* file1;
  const char* file2;
};

// Compares the two tensors element by element; each row with a difference is a line.
int dbg_comp_mass_prop_inertia(MassPropState* s, int first_line, double tolerance,
                               const char* file1, const char* file2) {
  int diff = 0;
  for (int i = 0; i < 3; ++i) {
    bool differs = !s->row_ok[i];
    for (int j = 0; j < 3 && !differs; ++j) {
      double a = s->tensor1[i][j];
      double b = s->tensor2[i][j];
      double sa = std::sqrt(std::fabs(s->tensor1[i][i] * s->tensor1[j][j]));
      double sb = std::sqrt(std::fabs(s->tensor2[i][i] * s->tensor2[j][j]));
      double small = std::fmin(sa, sb);
      double large = std::fmax(sa, sb);
      double d = std::fabs(a - b);
      differs = small <= 1e-9 ? d > tolerance : d > tolerance * large;
    }
    if (!differs) continue;
    ++diff;
    char r1[128];
    char r2[128];
    format_row(r1, sizeof r1, s->tensor1[i]);
    format_row(r2, sizeof r2, s->tensor2[i]);
    dbg_print_line_diffs(first_line + i, r1, r2, file1, file2);
  }
  return diff;
}

// The tolerance of one line by its number (line 2 sets the length scale).
double line_tolerance(MassPropState* s, int line_number, double tolerance, const double* v1,
                      int n1) {
  if (line_number == 2) {
    double m = n1 > 0 ? std::fabs(v1[0]) : 0;
    s->length = m > 1e-9 ? std::pow(m, 1.0 / 3) : tolerance;
  } else if (line_number == 7) {
    return tolerance * s->length;
  } else if (line_number >= 22 && line_number <= 24) {
    return tolerance <= 2e-5 ? 2e-5 : tolerance;
  } else if (line_number == 26) {
    double degrees = tolerance * 180 / 3.14159265358979323846;
    return degrees <= 0.002 ? 0.002 : degrees;
  }
  return tolerance;
}

// Only the relative tolerance is used.
int dbg_comp_two_lines_mass_prop(const char* l1, const char* l2, int line_number, double,
                                 double tolerance, void* context) {
  auto* s = static_cast<MassPropState*>(context);
  const char* file1 = s->file1;
  const char* file2 = s->file2;
  double v1[kMaxValues];
  double v2[kMaxValues];
  int n1 = dbg_read_dbl_from_string(l1, v1, kMaxValues);
  int n2 = dbg_read_dbl_from_string(l2, v2, kMaxValues);
  bool coor = is_inertia_wrt_coor(line_number) != 0;
  if (coor || is_inertia_at_center(line_number)) {
    int row = line_number - (coor ? 10 : 16);
    // A row without its three numbers differs; its missing values read as 0.
    s->row_ok[row] = n1 >= 3 && n2 >= 3;
    for (int j = 0; j < 3; ++j) {
      s->tensor1[row][j] = j < n1 ? v1[j] : 0;
      s->tensor2[row][j] = j < n2 ? v2[j] : 0;
    }
    if (row < 2) return 0;
    return dbg_comp_mass_prop_inertia(s, line_number - 2, tolerance, file1, file2);
  }
  double t = line_tolerance(s, line_number, tolerance, v1, n1);
  bool differs = n1 != n2 || (n1 == 0 && !same_line_text(l1, l2));
  for (int i = 0; i < n1 && !differs; ++i) differs = values_differ(v1[i], v2[i], t);
  if (!differs) return 0;
  dbg_print_line_diffs(line_number, l1, l2, file1, file2);
  return 1;
}

}  // namespace

int dbg_comp_two_files_mass_prop(const char* file1, const char* file2) {
  MassPropState state{};
  state.length = 1;
  state.file1 = file1;
  state.file2 = file2;
  return compare_in_step(file1, file2, 0, 1e-6, 1e-5, dbg_comp_two_lines_mass_prop, &state);
}

}  // namespace vek
