// Search paths per search group, files found and opened through them, and the error
// log "msgerror.txt".
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "fileaccess/core/objtype.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/serious_reports.h"
#include "tests/support/temp_dir.h"

namespace {

std::u16string wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string narrow(const VynWchar* w) {
  std::string s;
  for (; w && *w; ++w) s += static_cast<char>(*w);
  return s;
}

std::string read_stream(std::FILE* stream) {
  std::string text;
  int c;
  while ((c = std::fgetc(stream)) != EOF) text += static_cast<char>(c);
  std::fclose(stream);
  return text;
}

class SpgPaths : public yrltest::FileaccessTest {
 protected:
  void SetUp() override {
    FileaccessTest::SetUp();
    first_ = dir_.path() + "/one";
    second_ = dir_.path() + "/two";
    ASSERT_EQ(::mkdir(first_.c_str(), 0777), 0);
    ASSERT_EQ(::mkdir(second_.c_str(), 0777), 0);
  }
  yrltest::TempDir dir_;
  std::string first_, second_;
};

TEST_F(SpgPaths, OnlyTheSevenGroupsTakePathsThatFit) {
  struct Case {
    int group;
    std::u16string path;
    bool null_path;
    int result;
  } cases[] = {
      {0, u"C:\\a", false, 0},
      {8, u"C:\\a", false, 0},
      {-1, u"C:\\a", false, 0},
      {1, u"", true, 0},
      {1, std::u16string(260, u'a'), false, 0},
      {1, std::u16string(259, u'a'), false, 1},
      {7, u"C:\\a", false, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vek::add_spgpath_to_array(c.group, c.null_path ? nullptr : c.path.c_str()),
              c.result)
        << c.group << " " << c.path.size();
  }
}

TEST_F(SpgPaths, TheFirstPathOfTheGroupThatHoldsTheFileWins) {
  yrltest::write_file(second_ + "/a.prt", "second");
  yrltest::write_file(first_ + "/b.prt", "first");
  yrltest::write_file(second_ + "/b.prt", "second");
  ASSERT_EQ(::mkdir((first_ + "/d.prt").c_str(), 0777), 0);
  // The first path without a delimiter at its end, the second with one.
  ASSERT_EQ(vek::add_spgpath_to_array(3, wide(first_).c_str()), 1);
  ASSERT_EQ(vek::add_spgpath_to_array(3, wide(second_ + "/").c_str()), 1);
  ASSERT_EQ(vek::add_spgpath_to_array(4, wide(first_).c_str()), 1);

  struct Case {
    const char* name;
    int group;
    int found;
    std::string where;
  } cases[] = {
      {"a.prt", 3, 1, second_ + "/a.prt"},
      {"b.prt", 3, 1, first_ + "\\b.prt"},
      {"a.prt", 4, 0, ""},
      {"d.prt", 3, 0, ""},  // a directory is no file
      {"c.prt", 3, 0, ""},
      {"a.prt", 5, 0, ""},  // a group without paths
      {"a.prt", 9, 0, ""},
  };
  for (const Case& c : cases) {
    VynWchar out[260] = u"untouched";
    EXPECT_EQ(vek::search_for_spg_file(wide(c.name).c_str(), c.group, out), c.found)
        << c.name << " in " << c.group;
    EXPECT_EQ(narrow(out), c.found ? c.where : "untouched") << c.name;
  }
  EXPECT_EQ(vek::search_for_spg_file(u"a.prt", 3, nullptr), 1);
  EXPECT_EQ(vek::search_for_spg_file(nullptr, 3, nullptr), 0);
}

TEST_F(SpgPaths, AJoinedNameThatWouldNotFitIsSkipped) {
  yrltest::write_file(second_ + "/a.prt", "x");
  // 255 characters of path, with the delimiter and "a.prt" 261.
  std::string deep = first_ + "/" + std::string(254 - first_.size(), 'd');
  ASSERT_EQ(deep.size(), 255u);
  ASSERT_EQ(vek::add_spgpath_to_array(2, wide(deep).c_str()), 1);
  ASSERT_EQ(vek::add_spgpath_to_array(2, wide(second_).c_str()), 1);
  VynWchar out[260];
  EXPECT_EQ(vek::search_for_spg_file(u"a.prt", 2, out), 1);
  EXPECT_EQ(narrow(out), second_ + "\\a.prt");
}

TEST_F(SpgPaths, OpenTakesTheNameThenTheSearchAndReportsWhatItCannotFind) {
  yrltest::InTempDir here;
  yrltest::write_file(second_ + "/found.txt", "by search");
  yrltest::write_file(here.path() + "/local.txt", "here");
  ASSERT_EQ(vek::add_spgpath_to_array(1, wide(second_).c_str()), 1);
  yrltest::ConsoleCapture console;

  std::FILE* local = vek::open_spg_file(u"local.txt", 1, 1);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(read_stream(local), "here");
  std::FILE* found = vek::open_spg_file(u"found.txt", 1, 1);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(read_stream(found), "by search");
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(vek::errors_in_file(), 0);

  // Not found without report: silent, nothing logged.
  EXPECT_EQ(vek::open_spg_file(u"missing.txt", 1, 0), nullptr);
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(yrltest::read_file(here.path() + "/msgerror.txt"), "");

  // With report: the console line and the log entry, the log closed again.
  EXPECT_EQ(vek::open_spg_file(u"missing.txt", 1, 1), nullptr);
  EXPECT_EQ(console.out(), "Could not find file missing.txt\n");
  EXPECT_EQ(vek::errors_in_file(), 1);
  EXPECT_EQ(vek::open_spg_file(u"gone.txt", 2, 1), nullptr);
  EXPECT_EQ(yrltest::read_file(here.path() + "/msgerror.txt"),
            "\nFile Not Found:\nCould not find file missing.txt\n"
            "\nFile Not Found:\nCould not find file gone.txt\n");
  vek::msg_reset_error();
  EXPECT_EQ(vek::errors_in_file(), 0);
}

TEST_F(SpgPaths, TheLogAppendsAcrossClosesAndKeepsItsOwnFlag) {
  yrltest::InTempDir here;
  yrltest::write_file(here.path() + "/msgerror.txt", "old\n");
  EXPECT_EQ(vek::msg_append_error(u"one\n"), 1);
  EXPECT_EQ(vek::msg_append_error(u"two\n"), 1);
  vek::msg_close_error();
  vek::msg_close_error();  // closing a closed log does nothing
  EXPECT_EQ(vek::msg_append_error(u"three\n"), 1);
  vek::msg_close_error();
  EXPECT_EQ(yrltest::read_file(here.path() + "/msgerror.txt"), "old\none\ntwo\nthree\n");
  EXPECT_EQ(vek::errors_in_file(), 1);
  EXPECT_EQ(vek::msg_append_error(nullptr), 0);
}

TEST_F(SpgPaths, ALogThatCannotBeOpenedIsReportedOnceAndFailsQuietlyAfter) {
  yrltest::InTempDir here;
  ASSERT_EQ(::mkdir((here.path() + "/msgerror.txt").c_str(), 0777), 0);
  yrltest::SeriousReports reports;
  EXPECT_EQ(vek::msg_append_error(u"one"), 0);
  EXPECT_EQ(vek::errors_in_file(), 1);
  EXPECT_EQ(vek::msg_append_error(u"two"), 0);
  EXPECT_EQ(vek::msg_append_error(u"three"), 0);
  ASSERT_EQ(reports.lines().size(), 1u);
  // The system report adds the name of the last system error.
  EXPECT_EQ(reports.lines()[0].rfind("msg_append_error:  Cannot open file to log errors!", 0), 0u)
      << reports.lines()[0];
  // Once the log can be made it is written.
  ASSERT_EQ(::rmdir((here.path() + "/msgerror.txt").c_str()), 0);
  EXPECT_EQ(vek::msg_append_error(u"four"), 1);
  vek::msg_close_error();
  EXPECT_EQ(yrltest::read_file(here.path() + "/msgerror.txt"), "four");
}

}  // namespace
