// The C run-time's file calls: names through the layer's current directory, errno as
// the run-time sets it, and stream I/O through the stand-in's file calls.
#include "platform/w32/crt.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/w32/environment.h"
#include "platform/w32/error.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file.h"
#include "platform/w32/path.h"
#include "tests/platform/w32/process_test_support.h"

namespace {

class CrtTest : public yrltest::W32ProcessTest {
 protected:
  void SetUp() override {
    W32ProcessTest::SetUp();
    dir_.make_dir("Cur");
    ASSERT_TRUE(w32::w32_set_drive('D', dir_.path().c_str()));
    ASSERT_TRUE(w32::SetCurrentDirectoryA("D:\\Cur"));
  }
  std::string at(const std::string& relative) { return dir_.at("Cur/" + relative); }

  yrltest::ScratchDir dir_;
};

TEST(CrtErrno, Win32CodesMapAsTheRunTimeMapsThem) {
  struct Case {
    w32::DWORD code;
    int error;
  } cases[] = {
      {w32::ERROR_SUCCESS, 0},
      {w32::ERROR_FILE_NOT_FOUND, ENOENT},
      {w32::ERROR_PATH_NOT_FOUND, ENOENT},
      {w32::ERROR_BAD_NET_NAME, ENOENT},
      {w32::ERROR_ACCESS_DENIED, EACCES},
      {w32::ERROR_SHARING_VIOLATION, EACCES},
      {w32::ERROR_INVALID_HANDLE, EBADF},
      {w32::ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
      {w32::ERROR_NOT_SAME_DEVICE, EXDEV},
      {w32::ERROR_FILE_EXISTS, EEXIST},
      {w32::ERROR_ALREADY_EXISTS, EEXIST},
      {w32::ERROR_DISK_FULL, ENOSPC},
      {w32::ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
      {w32::ERROR_BROKEN_PIPE, EPIPE},
      {w32::ERROR_INVALID_NAME, EINVAL},
      {w32::ERROR_GEN_FAILURE, EINVAL},
  };
  for (const Case& c : cases) EXPECT_EQ(w32::w32_errno_from_error(c.code), c.error) << c.code;
}

TEST_F(CrtTest, RelativeNamesResolveAgainstTheLayersCurrentDirectory) {
  char before[4096];
  ASSERT_NE(getcwd(before, sizeof before), nullptr);
  FILE* file = w32::fopen("note.txt", "w");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fputs("line\n", file), 1);
  EXPECT_EQ(std::fclose(file), 0);
  EXPECT_EQ(read_all(at("note.txt")), "line\n");  // no text mode: LF stays LF

  w32::_stat st{};
  EXPECT_EQ(w32::stat("NOTE.TXT", &st), 0);
  EXPECT_EQ(st.st_size, 5);
  EXPECT_EQ(w32::_access("note.txt", 6), 0);
  EXPECT_EQ(w32::_mkdir("sub"), 0);
  EXPECT_EQ(w32::rename("note.txt", "sub\\moved.txt"), 0);
  EXPECT_EQ(read_all(at("sub/moved.txt")), "line\n");
  EXPECT_EQ(w32::_chdir("sub"), 0);
  w32::_utimbuf times{1000000000, 1100000000};
  EXPECT_EQ(w32::_utime("moved.txt", &times), 0);
  struct ::stat real;
  ASSERT_EQ(::stat(at("sub/moved.txt").c_str(), &real), 0);
  EXPECT_EQ(real.st_mtime, 1100000000);
  EXPECT_EQ(real.st_atime, 1000000000);
  EXPECT_EQ(w32::_unlink("moved.txt"), 0);
  EXPECT_EQ(w32::_chdir(".."), 0);
  EXPECT_EQ(w32::_rmdir("sub"), 0);
  char cwd[300];
  ASSERT_NE(w32::_getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_STREQ(cwd, "D:\\Cur");
  char after[4096];
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(after, before);
}

TEST_F(CrtTest, StreamModes) {
  dir_.make_file("Cur/old.txt", "old");
  dir_.make_file("Cur/locked.txt", "keep");
  chmod(at("locked.txt").c_str(), 0444);
  struct Case {
    const char* name;
    const char* mode;
    const char* write;  // null: nothing written
    const char* read;   // read from the start after writing; null: not readable
    const char* left;   // the file afterwards; null: the open fails
    int error;
  } cases[] = {
      {"old.txt", "r", nullptr, "old", "old", 0},
      {"old.txt", "rb+", "N", "Nld", "Nld", 0},
      {"old.txt", "w", "new", nullptr, "new", 0},
      {"old.txt", "a", "+1", nullptr, "new+1", 0},
      {"old.txt", "at+", "+2", "new+1+2", "new+1+2", 0},
      {"made.txt", "wb", "m", nullptr, "m", 0},
      {"missing.txt", "r", nullptr, nullptr, nullptr, ENOENT},
      {"no\\dir.txt", "w", nullptr, nullptr, nullptr, ENOENT},
      {"locked.txt", "w", nullptr, nullptr, nullptr, EACCES},
      {"locked.txt", "a", nullptr, nullptr, nullptr, EACCES},
      {"..\\Cur", "r", nullptr, nullptr, nullptr, EACCES},
      {"old.txt", "x", nullptr, nullptr, nullptr, EINVAL},
      {"old.txt", "r++", nullptr, nullptr, nullptr, EINVAL},
      {"old.txt", "rq", nullptr, nullptr, nullptr, EINVAL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " " + c.mode);
    errno = 0;
    FILE* file = w32::fopen(c.name, c.mode);
    if (c.left == nullptr) {
      EXPECT_EQ(file, nullptr);
      EXPECT_EQ(errno, c.error);
      continue;
    }
    ASSERT_NE(file, nullptr);
    if (c.write != nullptr) {
      EXPECT_EQ(std::fputs(c.write, file), 1);
    }
    if (c.read != nullptr) {
      EXPECT_EQ(std::fseek(file, 0, SEEK_SET), 0);
      char buffer[32] = {};
      std::size_t got = std::fread(buffer, 1, sizeof buffer - 1, file);
      EXPECT_EQ(std::string(buffer, got), c.read);
    }
    EXPECT_EQ(std::fclose(file), 0);
    EXPECT_EQ(read_all(at(c.name)), c.left);
  }
  EXPECT_EQ(read_all(at("locked.txt")), "keep");
  FILE* wide = w32::_wfopen(u"Old.Txt", u"r");
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(std::fgetc(wide), 'n');
  EXPECT_EQ(std::fclose(wide), 0);
  errno = 0;
  EXPECT_EQ(w32::fopen(nullptr, "r"), nullptr);
  EXPECT_EQ(errno, EINVAL);
}

// A full disk shows at the flush or the close, as on the real run-time: what the stream
// reports written is exactly what reached the file.
TEST_F(CrtTest, AFaultInTheFileCallsAppearsAtFlushAndClose) {
  FILE* file = w32::fopen("full.txt", "w");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(w32::fault_testing_fail_on_call("WriteFile", 1, w32::ERROR_DISK_FULL));
  EXPECT_EQ(std::fputs("buffered", file), 1);  // nothing written yet
  errno = 0;
  EXPECT_EQ(std::fflush(file), EOF);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_NE(std::ferror(file), 0);
  std::fclose(file);
  EXPECT_EQ(read_all(at("full.txt")), "");

  file = w32::fopen("part.txt", "w");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(w32::fault_testing_short_write("WriteFile", 1, 4));
  EXPECT_EQ(std::fputs("abcdefgh", file), 1);
  errno = 0;
  EXPECT_EQ(std::fclose(file), EOF);
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(read_all(at("part.txt")), "abcd");

  // The run-time call itself counts apart from the Win32 call under it.
  w32::fault_testing_reset();
  ASSERT_TRUE(w32::fault_testing_fail_on_call("fopen", 1, w32::ERROR_ACCESS_DENIED));
  errno = 0;
  EXPECT_EQ(w32::fopen("part.txt", "r"), nullptr);
  EXPECT_EQ(errno, EACCES);
  file = w32::fopen("part.txt", "r");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(std::fclose(file), 0);
  EXPECT_EQ(w32::fault_testing_calls("fopen"), 2);
  EXPECT_EQ(w32::fault_testing_calls("CreateFileA"), 1);
}

TEST_F(CrtTest, DescriptorOpensTakeTheRunTimesFlags) {
  dir_.make_file("Cur/old.txt", "old");
  int fd = w32::_open("old.txt", w32::_O_RDONLY | w32::_O_BINARY);
  ASSERT_GE(fd, 0);
  char buffer[8] = {};
  EXPECT_EQ(::read(fd, buffer, sizeof buffer), 3);
  EXPECT_EQ(::close(fd), 0);
  EXPECT_NE(fcntl(0, F_GETFD), -1);

  fd = w32::_open("made.txt", w32::_O_WRONLY | w32::_O_CREAT | w32::_O_EXCL, w32::_S_IREAD);
  ASSERT_GE(fd, 0);
  EXPECT_NE(fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  EXPECT_EQ(::write(fd, "x", 1), 1);
  EXPECT_EQ(::close(fd), 0);
  struct Case {
    const char* name;
    int flags;
    int error;
  } refused[] = {
      {"made.txt", w32::_O_WRONLY | w32::_O_CREAT | w32::_O_EXCL, EEXIST},
      {"made.txt", w32::_O_WRONLY, EACCES},  // made without _S_IWRITE: read-only
      {"missing.txt", w32::_O_RDONLY, ENOENT},
      {"..\\Cur", w32::_O_RDONLY, EACCES},
      {"old.txt", w32::_O_WRONLY | w32::_O_RDWR, EINVAL},
      {"old.txt", 0x10000, EINVAL},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    errno = 0;
    EXPECT_EQ(w32::_open(c.name, c.flags, w32::_S_IREAD | w32::_S_IWRITE), -1);
    EXPECT_EQ(errno, c.error);
  }
  fd = w32::_wopen(u"OLD.TXT", w32::_O_WRONLY | w32::_O_APPEND);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::write(fd, "!", 1), 1);
  EXPECT_EQ(::close(fd), 0);
  EXPECT_EQ(read_all(at("old.txt")), "old!");
}

TEST_F(CrtTest, StatModesFollowTheAttributes) {
  dir_.make_file("Cur/plain.txt", "12345");
  dir_.make_file("Cur/ro.txt", "1");
  chmod(at("ro.txt").c_str(), 0444);
  dir_.make_file("Cur/run.EXE", "");
  dir_.make_dir("Cur/folder");
  struct Case {
    const char* name;
    int mode;
    long long size;
  } cases[] = {
      {"plain.txt", w32::_S_IFREG | 0x180 | 0x30 | 0x6, 5},
      {"ro.txt", w32::_S_IFREG | 0x100 | 0x20 | 0x4, 1},
      {"run.EXE", w32::_S_IFREG | 0x1C0 | 0x38 | 0x7, 0},
      {"folder", w32::_S_IFDIR | 0x1C0 | 0x38 | 0x7, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    w32::_stat st{};
    ASSERT_EQ(w32::stat(c.name, &st), 0);
    EXPECT_EQ(st.st_mode, c.mode);
    EXPECT_EQ(st.st_size, c.size);
    struct ::stat real;
    ASSERT_EQ(::stat(at(c.name).c_str(), &real), 0);
    EXPECT_EQ(st.st_mtime64, real.st_mtime);
    w32::_stat wide{};
    std::u16string name(c.name, c.name + std::char_traits<char>::length(c.name));
    ASSERT_EQ(w32::_wstat(name.c_str(), &wide), 0);
    EXPECT_EQ(wide.st_mode, c.mode);
  }
  w32::_stat st{};
  errno = 0;
  EXPECT_EQ(w32::stat("missing", &st), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(w32::stat("plain.txt", nullptr), -1);
  EXPECT_EQ(errno, EINVAL);
}

TEST_F(CrtTest, NameCallsFailWithTheRunTimesErrno) {
  dir_.make_file("Cur/a", "a");
  dir_.make_file("Cur/b", "b");
  dir_.make_file("Cur/ro", "r");
  chmod(at("ro").c_str(), 0444);
  dir_.make_dir("Cur/full");
  dir_.make_file("Cur/full/x");
  // errno read right after each call.
  auto error_of = [](int result) { return result == -1 ? errno : 0; };
  EXPECT_EQ(error_of(w32::rename("a", "b")), EACCES);
  EXPECT_EQ(error_of(w32::rename("none", "c")), ENOENT);
  EXPECT_EQ(error_of(w32::_unlink("ro")), EACCES);
  EXPECT_EQ(error_of(w32::_unlink("full")), EACCES);
  EXPECT_EQ(error_of(w32::_mkdir("a")), EEXIST);
  EXPECT_EQ(error_of(w32::_mkdir("none\\sub")), ENOENT);
  EXPECT_EQ(error_of(w32::_rmdir("full")), ENOTEMPTY);
  EXPECT_EQ(error_of(w32::_rmdir("a")), ENOTEMPTY);
  EXPECT_EQ(error_of(w32::_access("ro", 2)), EACCES);
  EXPECT_EQ(error_of(w32::_access("ro", 4)), 0);
  EXPECT_EQ(error_of(w32::_access("a", 1)), EINVAL);
  EXPECT_EQ(error_of(w32::_chdir("a")), ENOENT);
  EXPECT_EQ(error_of(w32::_utime("ro", nullptr)), EACCES);
  EXPECT_EQ(error_of(w32::_unlink("none")), ENOENT);
  EXPECT_EQ(error_of(w32::_rmdir("none")), ENOENT);
  EXPECT_EQ(error_of(w32::_access("none", 0)), ENOENT);
  EXPECT_EQ(error_of(w32::_utime("none", nullptr)), ENOENT);
  EXPECT_EQ(read_all(at("b")), "b");  // never replaced
  EXPECT_EQ(read_all(at("a")), "a");
}

TEST_F(CrtTest, CurrentAndFullNamesAndTemporaryNames) {
  char small[4];
  errno = 0;
  EXPECT_EQ(w32::_getcwd(small, sizeof small), nullptr);
  EXPECT_EQ(errno, ERANGE);
  char* made = w32::_getcwd(nullptr, 0);
  ASSERT_NE(made, nullptr);
  EXPECT_STREQ(made, "D:\\Cur");
  std::free(made);

  char full[300];
  ASSERT_NE(w32::_fullpath(full, "x\\..\\y.txt", sizeof full), nullptr);
  EXPECT_STREQ(full, "D:\\Cur\\y.txt");
  ASSERT_NE(w32::_fullpath(full, nullptr, sizeof full), nullptr);
  EXPECT_STREQ(full, "D:\\Cur");
  errno = 0;
  EXPECT_EQ(w32::_fullpath(small, "y.txt", sizeof small), nullptr);
  EXPECT_EQ(errno, ERANGE);
  made = w32::_fullpath(nullptr, "\\z", 0);
  ASSERT_NE(made, nullptr);
  EXPECT_STREQ(made, "D:\\z");
  std::free(made);

  // TMP first when it is a directory, then the directory given, then the current one.
  const char* saved = std::getenv("TMP");
  std::string kept = saved != nullptr ? saved : "";
  dir_.make_dir("given");
  dir_.make_dir("tmp");
  struct Case {
    const char* tmp;  // null: unset
    const char* directory;
    const char* expected_directory;
  } cases[] = {
      {"D:\\tmp", "D:\\given", "D:\\tmp\\"},
      {"D:\\nowhere", "D:\\given", "D:\\given\\"},
      {nullptr, "D:\\given", "D:\\given\\"},
      {nullptr, "D:\\nowhere", "D:\\Cur\\"},
      {nullptr, nullptr, "D:\\Cur\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory != nullptr ? c.directory : "(null)");
    if (c.tmp != nullptr) {
      setenv("TMP", c.tmp, 1);
    } else {
      unsetenv("TMP");
    }
    char* first = w32::_tempnam(c.directory, "yrl");
    char* second = w32::_tempnam(c.directory, "yrl");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    std::string name = first;
    EXPECT_EQ(name.substr(0, std::strlen(c.expected_directory) + 3),
              std::string(c.expected_directory) + "yrl");
    EXPECT_STRNE(first, second);
    EXPECT_EQ(w32::GetFileAttributesA(first), w32::INVALID_FILE_ATTRIBUTES);  // not made
    std::free(first);
    std::free(second);
  }
  if (saved != nullptr) {
    setenv("TMP", kept.c_str(), 1);
  } else {
    unsetenv("TMP");
  }
}

}  // namespace
