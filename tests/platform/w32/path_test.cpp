#include "platform/w32/path.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/path_testing.h"
#include "tests/platform/w32/w32_test_support.h"

namespace {

using namespace w32;

// What a name resolves to: the POSIX path, or "error <code>".
std::string outcome(BOOL ok, const char* posix) {
  return ok ? std::string(posix) : "error " + std::to_string(GetLastError());
}

std::string resolve_a(const std::string& name) {
  char posix[W32_PATH_CAPACITY];
  return outcome(w32_resolve_path_a(name.c_str(), posix, sizeof posix), posix);
}

std::string resolve_w(const std::u16string& name) {
  char posix[W32_PATH_CAPACITY];
  return outcome(w32_resolve_path_w(name.c_str(), posix, sizeof posix), posix);
}

std::u16string widen_ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

struct Case {
  const char* name;
  const char* expected;  // "T..." a path in the scratch tree, or "error <code>"
};

// A scratch tree mapped as drive D:, with a UNC root of its own:
//   Alpha/Beta/file.txt   Alpha/.hidden   Mixed/Foo  Mixed/FOO   unc/Server/Share/doc.txt
class PathTest : public yrltest::W32Test {
 protected:
  void SetUp() override {
    W32Test::SetUp();
    dir_.make_dir("Alpha/Beta");
    dir_.make_file("Alpha/Beta/file.txt");
    dir_.make_file("Alpha/.hidden");
    dir_.make_dir("Mixed");
    dir_.make_file("Mixed/Foo");
    dir_.make_file("Mixed/FOO");
    dir_.make_dir("unc/Server/Share");
    dir_.make_file("unc/Server/Share/doc.txt");
    ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
    ASSERT_TRUE(w32_set_unc_root(dir_.at("unc").c_str()));
  }

  // Each name, narrow and wide, against its expected outcome.
  void check(const std::vector<Case>& cases) const {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      std::string expected = c.expected;
      if (expected.rfind("T", 0) == 0) expected = dir_.path() + expected.substr(1);
      EXPECT_EQ(resolve_a(c.name), expected);
      EXPECT_EQ(resolve_w(widen_ascii(c.name)), expected);
    }
  }

  yrltest::ScratchDir dir_;
};

TEST_F(PathTest, AbsoluteNamesOnAMappedDrive) {
  check({
      {"D:\\Alpha\\Beta\\file.txt", "T/Alpha/Beta/file.txt"},
      {"D:/Alpha/Beta/file.txt", "T/Alpha/Beta/file.txt"},
      {"d:\\Alpha/Beta\\\\file.txt", "T/Alpha/Beta/file.txt"},
      {"D:\\", "T/"},
      {"D:\\Alpha\\", "T/Alpha/"},
      {"D:\\Alpha\\.\\Beta\\..\\Beta\\.", "T/Alpha/Beta"},
      {"D:\\..\\..\\Alpha", "T/Alpha"},
      {"D:\\Alpha\\..\\..\\..\\Alpha\\Beta", "T/Alpha/Beta"},
      {"D:\\Alpha\\.hidden", "T/Alpha/.hidden"},
  });
}

TEST_F(PathTest, NamesResolveWithoutRegardToCase) {
  check({
      {"D:\\ALPHA\\beta\\FILE.TXT", "T/Alpha/Beta/file.txt"},
      {"d:/alpha/BETA\\File.Txt", "T/Alpha/Beta/file.txt"},
      // A missing last component keeps the caller's spelling; the rest is matched.
      {"D:\\alpha\\BETA\\New File.TXT", "T/Alpha/Beta/New File.TXT"},
      // An exact match wins; among folded matches the first by bytes ("FOO" < "Foo").
      {"D:\\Mixed\\Foo", "T/Mixed/Foo"},
      {"D:\\Mixed\\FOO", "T/Mixed/FOO"},
      {"D:\\Mixed\\foo", "T/Mixed/FOO"},
      {"D:\\Mixed\\fOo", "T/Mixed/FOO"},
  });
}

TEST_F(PathTest, UncNamesLieUnderTheUncRoot) {
  check({
      {"\\\\Server\\Share\\doc.txt", "T/unc/Server/Share/doc.txt"},
      {"//server/SHARE/DOC.TXT", "T/unc/Server/Share/doc.txt"},
      {"\\\\server\\share", "T/unc/Server/Share"},
      // Host and share are the root: ".." stops there.
      {"\\\\Server\\Share\\..\\..\\..\\doc.txt", "T/unc/Server/Share/doc.txt"},
      {"\\\\Server\\Share\\new.txt", "T/unc/Server/Share/new.txt"},
      {"\\\\Server\\Missing\\doc.txt", "error 3"},
      {"\\\\Server", "error 123"},
      {"\\\\Server\\", "error 123"},
      {"\\\\\\Server\\Share", "error 123"},
      {"\\\\..\\Server\\Share", "error 123"},
      {"\\\\Server\\.\\Share", "error 123"},
  });
}

TEST_F(PathTest, BadNamesAreRefused) {
  check({
      {"", "error 3"},
      {"E:\\x", "error 3"},
      {"E:x", "error 3"},
      {"D:\\Alpha\\Missing\\x", "error 3"},
      {"D:\\Alpha\\Beta\\file.txt\\x", "error 3"},
      {"D:\\a*b", "error 123"},
      {"D:\\a?b", "error 123"},
      {"D:\\a<b", "error 123"},
      {"D:\\a>b", "error 123"},
      {"D:\\a|b", "error 123"},
      {"D:\\a\"b", "error 123"},
      {"D:\\a:b", "error 123"},
      {"D:\\Alpha\\a\x01z", "error 123"},
      {"D:\\Alpha\\a\tz", "error 123"},
      {"1:\\Alpha", "error 123"},
  });
}

TEST_F(PathTest, RootedAndRelativeNamesFollowTheCurrentDrive) {
  check({
      {"\\tmp", "/tmp"},
      {"/", "/"},
      {"C:\\", "/"},
      {"c:/tmp/", "/tmp/"},
  });
  ASSERT_TRUE(w32_set_current_drive('d'));
  check({
      {"\\Alpha\\Beta", "T/Alpha/Beta"},
      {"/alpha/beta/file.txt", "T/Alpha/Beta/file.txt"},
      {"alpha\\Beta", "T/Alpha/Beta"},
      {"..\\Alpha", "T/Alpha"},
      {"D:alpha", "T/Alpha"},
      {"C:\\tmp", "/tmp"},
  });
  // Each drive keeps its own current directory.
  ASSERT_TRUE(path_testing_set_directory('D', "\\ALPHA\\x\\..\\"));
  ASSERT_TRUE(path_testing_set_directory('C', "/tmp"));
  check({
      {"beta\\file.txt", "T/Alpha/Beta/file.txt"},
      {".", "T/Alpha"},
      {"..\\..\\Mixed", "T/Mixed"},
      {"D:Beta", "T/Alpha/Beta"},
      {"\\Alpha", "T/Alpha"},
      {"C:", "/tmp"},
  });
}

// At start a relative name on C: means what it means to the rest of the process; once
// the layer has its own current directory, the process's is neither used nor changed.
TEST_F(PathTest, CStartsAtTheProcessWorkingDirectoryWhichIsNeverChanged) {
  char before[4096];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  ASSERT_EQ(chdir(dir_.at("Alpha").c_str()), 0);
  EXPECT_EQ(resolve_a("Beta"), dir_.at("Alpha/Beta"));
  EXPECT_EQ(resolve_a("C:beta\\..\\..\\Mixed"), dir_.at("Mixed"));
  ASSERT_TRUE(path_testing_set_directory('C', "\\tmp"));
  EXPECT_EQ(resolve_a("x"), "/tmp/x");
  ASSERT_TRUE(w32_set_current_drive('D'));
  ASSERT_TRUE(path_testing_set_directory('D', "\\Alpha"));
  EXPECT_EQ(resolve_a("Beta"), dir_.at("Alpha/Beta"));
  char after[4096];
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(dir_.at("Alpha").c_str(), after);
  ASSERT_EQ(chdir(before), 0);
}

TEST_F(PathTest, ConfigurationIsCheckedAndResetRestoresTheDefaults) {
  SetLastError(0);
  EXPECT_FALSE(w32_set_drive('1', "/tmp"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(w32_set_drive('E', "relative/dir"));
  EXPECT_FALSE(w32_set_drive('E', ""));
  EXPECT_FALSE(w32_set_unc_root(nullptr));
  EXPECT_FALSE(w32_set_unc_root("unc"));
  EXPECT_FALSE(path_testing_set_directory('D', "Alpha"));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  std::string long_dir = "/" + std::string(W32_PATH_CAPACITY, 'x');
  EXPECT_FALSE(w32_set_drive('E', long_dir.c_str()));

  SetLastError(0);
  EXPECT_FALSE(w32_set_current_drive('E'));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);

  // Unmapping the current drive leaves names on it unresolved.
  ASSERT_TRUE(w32_set_drive('C', nullptr));
  EXPECT_EQ(resolve_a("\\tmp"), "error 3");
  EXPECT_EQ(resolve_a("tmp"), "error 3");
  EXPECT_FALSE(w32_set_current_drive('C'));

  // Mapping a drive again starts it at its root.
  ASSERT_TRUE(path_testing_set_directory('D', "\\Alpha"));
  ASSERT_TRUE(w32_set_drive('D', dir_.path().c_str()));
  EXPECT_EQ(resolve_a("D:Alpha"), dir_.at("Alpha"));

  path_testing_reset();
  EXPECT_EQ(resolve_a("C:\\tmp"), "/tmp");
  EXPECT_EQ(resolve_a("\\tmp"), "/tmp");
  EXPECT_EQ(resolve_a("D:\\Alpha"), "error 3");

  // The default UNC root is "/tmp/yrl-unc".
  std::string host = "w32-test-" + std::to_string(getpid());
  std::filesystem::create_directories("/tmp/yrl-unc/" + host + "/share");
  EXPECT_EQ(resolve_a("\\\\" + host + "\\share\\x"), "/tmp/yrl-unc/" + host + "/share/x");
  std::filesystem::remove_all("/tmp/yrl-unc/" + host);
  std::error_code in_use;  // another process's test may still be there
  std::filesystem::remove("/tmp/yrl-unc", in_use);
}

TEST_F(PathTest, ResultsThatDoNotFitAreRefusedNotCut) {
  std::string expected = dir_.at("Alpha/Beta/file.txt");
  for (std::size_t capacity : {expected.size() + 1, expected.size(), std::size_t{1}}) {
    SCOPED_TRACE(capacity);
    std::vector<char> buffer(capacity + 8, '#');
    SetLastError(0);
    BOOL ok = w32_resolve_path_a("D:\\alpha\\beta\\file.txt", buffer.data(), capacity);
    if (capacity > expected.size()) {
      EXPECT_TRUE(ok);
      EXPECT_EQ(std::string(buffer.data()), expected);
    } else {
      EXPECT_FALSE(ok);
      EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
      EXPECT_EQ(buffer[0], '\0');
    }
    for (std::size_t i = capacity; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '#') << i;
  }

  // A name longer than any path the model keeps, narrow and wide; and one that only
  // grows too long under the drive's root.
  std::string long_name = "D:\\" + std::string(W32_PATH_CAPACITY, 'a');
  EXPECT_EQ(resolve_a(long_name), "error 206");
  EXPECT_EQ(resolve_w(widen_ascii(long_name)), "error 206");
  std::string tail(W32_PATH_CAPACITY - 8, 'b');
  EXPECT_EQ(resolve_a("D:\\" + tail), "error 206");
  std::string dots;
  for (int i = 0; i < 700; ++i) dots += "\\x\\..";
  EXPECT_EQ(resolve_a("D:\\Alpha" + dots), dir_.at("Alpha"));
}

TEST_F(PathTest, NullArgumentsAreInvalidParameters) {
  char posix[64] = "#";
  EXPECT_FALSE(w32_resolve_path_a(nullptr, posix, sizeof posix));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_STREQ(posix, "");
  SetLastError(0);
  EXPECT_FALSE(w32_resolve_path_w(nullptr, posix, sizeof posix));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_FALSE(w32_resolve_path_a("D:\\Alpha", nullptr, 64));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(0);
  EXPECT_FALSE(w32_resolve_path_w(u"D:\\Alpha", posix, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(PathTest, NarrowNamesAreInTheSystemCodePageAndWideNamesInUtf16) {
  dir_.make_file("caf\xC3\xA9.txt");  // café.txt in UTF-8
  std::string cafe = dir_.at("caf\xC3\xA9.txt");
  EXPECT_EQ(resolve_a("D:\\caf\xE9.txt"), cafe);  // 0xE9 is é in code page 1252
  EXPECT_EQ(resolve_w(u"D:\\caf\u00E9.txt"), cafe);
  EXPECT_EQ(resolve_w(u"D:\\CAF\u00E9.TXT"), cafe);
  // Case folding covers ASCII letters only: É does not find é.
  EXPECT_EQ(resolve_w(u"D:\\caf\u00C9.txt"), dir_.at("caf\xC3\x89.txt"));
  // Characters beyond the BMP come from surrogate pairs.
  EXPECT_EQ(resolve_w(u"D:\\\U0001F600"), dir_.at("\xF0\x9F\x98\x80"));
  EXPECT_EQ(resolve_w(u"D:\\a\xD800z"), "error 1113");
  EXPECT_EQ(resolve_w(u"D:\\a\xDC00z"), "error 1113");

  // In code page 932 the trail byte 0x5C of U+8868 is no delimiter.
  ASSERT_TRUE(set_system_code_page(932));
  dir_.make_file("\xE8\xA1\xA8.txt");
  EXPECT_EQ(resolve_a("D:\\\x95\x5C.txt"), dir_.at("\xE8\xA1\xA8.txt"));
  EXPECT_EQ(resolve_a("D:\\a\x81"), "error 1113");
}

}  // namespace
