// Whole files converted in place between Shift_JIS and EUC (checked against glibc's
// iconv), and a fault sweep: whatever call fails, the file holds either its old bytes
// or the whole converted text, no temporary file is left, and a failure says so.
#include <gtest/gtest.h>
#include <dirent.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fileaccess/core/pfaconv.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "runtime/text/wide.h"
#include "tests/fileaccess/disk_test.h"
#include "tests/fileaccess/fault_sweep.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/fileaccess/swept_calls.h"
#include "tests/platform/iconv_reference.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<std::string> entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

int convert(const std::string& name, int version, int direction) {
  std::vector<VynWchar> wide(name.size() + 1);
  vek::strtows(wide.data(), name.c_str());
  return vek::convert_jp_file(wide.data(), version, direction);
}

class ConvertJpFile : public yrltest::FileaccessTest {
 protected:
  // Kanji, kana, half-width katakana, ASCII, a line longer than the line buffer, no
  // newline at the end.
  static std::string euc_text() {
    std::string text = "\xC6\xFC\xCB\xDC line\n\x8E\xB1\x8E\xDF\xA5\xBD\n";
    for (int i = 0; i < 600; ++i) text += "\xB0\xA1" "b";
    return text + "\nlast \xF4\xA6";
  }
  yrltest::TempDir dir_;
};

TEST_F(ConvertJpFile, ConvertsBothWaysInPlaceAsIconvDoes) {
  const std::string euc = euc_text();
  std::optional<std::string> sjis = yrltest::run_iconv("SHIFT_JIS", "EUC-JP", euc);
  ASSERT_TRUE(sjis);
  std::string name = dir_.file("note.txt");
  yrltest::write_file(name, euc);
  EXPECT_EQ(convert(name, 0, 1), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(yrltest::read_file(name) == *sjis);
  EXPECT_EQ(convert(name, 0, 0), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(yrltest::read_file(name) == euc);
  EXPECT_EQ(entries(dir_.path()), std::vector<std::string>{"note.txt"});
}

TEST_F(ConvertJpFile, VersionsAndLowerCaseNames) {
  std::string sjis = "\x82\xA0\n";
  yrltest::write_file(dir_.file("part.prt.1"), sjis);
  yrltest::write_file(dir_.file("part.prt.2"), sjis);
  // 0: the highest version; a positive one: exactly that one.
  EXPECT_EQ(convert(dir_.file("part.prt"), 0, 0), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir_.file("part.prt.2")), "\xA4\xA2\n");
  EXPECT_EQ(yrltest::read_file(dir_.file("part.prt.1")), sjis);
  EXPECT_EQ(convert(dir_.file("part.prt"), 1, 0), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir_.file("part.prt.1")), "\xA4\xA2\n");
  // A name in capitals finds the file in lower case.
  yrltest::write_file(dir_.file("upper.txt"), sjis);
  EXPECT_EQ(convert(dir_.file("UPPER.TXT"), 0, 0), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir_.file("upper.txt")), "\xA4\xA2\n");
}

TEST_F(ConvertJpFile, FailuresReturnNonzeroAndLeaveTheFile) {
  // A missing file, a version that does not exist, a null name.
  EXPECT_NE(convert(dir_.file("none.txt"), 0, 0), vek::PFA_E_NO_ERROR);
  yrltest::write_file(dir_.file("a.prt.1"), "x\n");
  EXPECT_NE(convert(dir_.file("a.prt"), 4, 0), vek::PFA_E_NO_ERROR);
  EXPECT_NE(vek::convert_jp_file(nullptr, 0, 0), vek::PFA_E_NO_ERROR);
  // Text with no Shift_JIS form (code set 3) cannot be converted: the file stays.
  const std::string cs3 = "ok\n\x8F\xB0\xA1\n";
  yrltest::write_file(dir_.file("cs3.txt"), cs3);
  EXPECT_NE(convert(dir_.file("cs3.txt"), 0, 1), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(yrltest::read_file(dir_.file("cs3.txt")), cs3);
  EXPECT_EQ(entries(dir_.path()).size(), 2u);
}

void unlink_hook(void* data) { ::unlink(static_cast<std::string*>(data)->c_str()); }

TEST_F(ConvertJpFile, NothingIsLostWhateverCallFails) {
  const std::string euc = euc_text();
  const std::string sjis = *yrltest::run_iconv("SHIFT_JIS", "EUC-JP", euc);
  std::vector<std::pair<std::string, long>> calls;
  {
    yrltest::TempDir dir;
    yrltest::write_file(dir.file("f.txt"), euc);
    w32::fault_testing_reset();
    ASSERT_EQ(convert(dir.file("f.txt"), 0, 1), vek::PFA_E_NO_ERROR);
    for (const char* name : yrltest::SWEPT_CALLS)
      if (long n = w32::fault_testing_calls(name)) calls.emplace_back(name, n);
    w32::fault_testing_reset();
  }
  ASSERT_FALSE(calls.empty());
  const std::pair<const char*, w32::DWORD> kinds[] = {
      {"disk full", w32::ERROR_DISK_FULL}, {"access denied", w32::ERROR_ACCESS_DENIED}, {"vanished", 0}};
  for (const auto& [name, n] : calls) {
    for (long k = 1; k <= yrltest::sweep_depth(n); ++k) {
      for (const auto& [label, code] : kinds) {
        yrltest::TempDir dir;
        std::string file = dir.file("f.txt");
        yrltest::write_file(file, euc);
        w32::fault_testing_reset();
        if (code)
          ASSERT_TRUE(w32::fault_testing_fail_on_call(name.c_str(), static_cast<int>(k), code));
        else
          ASSERT_TRUE(w32::fault_testing_hook_call(name.c_str(), static_cast<int>(k), unlink_hook, &file));
        yrltest::note_swept(name);
        int result;
        {
          yrltest::ConsoleCapture quiet;
          result = convert(file, 0, 1);
        }
        w32::fault_testing_reset();
        std::string why = std::string(label) + " at " + name + " #" + std::to_string(k) +
                          ", result " + std::to_string(result);
        std::vector<std::string> left = entries(dir.path());
        if (code == 0 && !yrltest::on_disk(file)) {
          // The file itself went away: nothing may stand in its place but a whole copy.
          EXPECT_TRUE(left.empty()) << why;
          continue;
        }
        EXPECT_EQ(left, std::vector<std::string>{"f.txt"}) << why;
        std::string bytes = yrltest::read_file(file);
        if (result == vek::PFA_E_NO_ERROR) {
          EXPECT_TRUE(bytes == sjis) << why;
        } else {
          EXPECT_TRUE(bytes == euc || bytes == sjis) << why;
        }
      }
    }
  }
}

}  // namespace
