// Console output, its no-console files and the Unix-compatibility functions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "runtime/diag/console.h"
#include "runtime/diag/runmode.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::ConsoleCapture;
using yrltest::read_file;

class Console : public yrltest::RuntimeTest {};

TEST_F(Console, SinkReceivesFormattedTextOfAnyLengthWithItsStream) {
  ConsoleCapture capture;
  EXPECT_EQ(vek::ivek_printf("%s=%d\n", "x", 42), 5);
  EXPECT_EQ(vek::ivek_fprintf(stderr, "err %c", 'E'), 5);
  std::string long_text(5000, 'q');
  EXPECT_EQ(vek::ivek_printf("<%s>", long_text.c_str()), 5002);
  EXPECT_EQ(capture.out(), "x=42\n<" + long_text + ">");
  EXPECT_EQ(capture.err(), "err E");
}

TEST_F(Console, WritesTheRealStreamsAndFlushesThem) {
  testing::internal::CaptureStdout();
  int n = vek::ivek_printf("%d apples\n", 3);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(n, 9);
  EXPECT_EQ(out, "3 apples\n");
  testing::internal::CaptureStderr();
  vek::ivek_fprintf(stderr, "to %s\n", "stderr");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
  EXPECT_EQ(vek::ivek_printf(nullptr), -1);
  EXPECT_EQ(vek::ivek_fprintf(nullptr, "x"), -1);
}

TEST_F(Console, NoConsoleModeWritesStdOutAndStdErrInTheCurrentDirectory) {
  yrltest::InTempDir dir;
  yrltest::write_file("std.out", "left from an earlier process\n");
  EXPECT_EQ(vek::Gdi32SetNoConsole(1), 1);

  EXPECT_EQ(vek::ivek_printf("first %d\n", 1), 8);
  EXPECT_EQ(read_file("std.out"), "first 1\n");  // emptied on first use, then flushed
  vek::ivek_printf("second\n");
  EXPECT_EQ(read_file("std.out"), "first 1\nsecond\n");

  vek::ivek_fprintf(stderr, "problem %d\n", 7);
  EXPECT_EQ(read_file("std.err"), "problem 7\n");

  // Only standard error is redirected: standard output given as a stream stays put.
  testing::internal::CaptureStdout();
  vek::ivek_fprintf(stdout, "real stdout\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "real stdout\n");
  EXPECT_EQ(read_file("std.out"), "first 1\nsecond\n");
}

TEST_F(Console, NoConsoleFileThatCannotBeOpenedFailsAndIsRetried) {
  yrltest::InTempDir dir;
  ASSERT_EQ(mkdir("std.out", 0700), 0);  // a directory cannot be opened for writing
  vek::Gdi32SetNoConsole(1);
  EXPECT_EQ(vek::ivek_printf("lost\n"), -1);
  ASSERT_EQ(rmdir("std.out"), 0);
  EXPECT_EQ(vek::ivek_printf("kept\n"), 5);
  EXPECT_EQ(read_file("std.out"), "kept\n");
}

TEST_F(Console, RemoteCopyNamesBecomeAdministrativeShares) {
  struct Case {
    const char* name;
    const char* result;
    const char* printed;
    bool in_buffer;
  };
  const Case cases[] = {
      {"host:c:\\dir\\f.txt", "\\\\host\\c$\\dir\\f.txt", "", true},
      {"host:c:/dir/f.txt", "\\\\host\\c$\\/dir/f.txt", "", true},
      {"srv:D:", "\\\\srv\\D$\\", "", true},
      {"c:\\local\\f", "c:\\local\\f", "", true},
      {"host:c\\path", "host:c\\path",
       "No drive specifier in rcp cmd - \"host:c\\path\", no translation.\n", false},
      {"1:\\x", "1:\\x", "No drive specifier in rcp cmd - \"1:\\x\", no translation.\n", false},
      {"plain", "plain", "No host specifiers in rcp cmd - \"plain\", no translation.\n", false},
      {"host:cd:path", "host:cd:path", "", true},
      {"host:1:path", "host:1:path", "", true},
      {"a:b:c:d", "\\\\a\\b$\\c:d", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string name = c.name;
    ConsoleCapture capture;
    char* result = vek::cvt_rcp_format_to_win32_lanman(name.data());
    EXPECT_STREQ(result, c.result);
    EXPECT_EQ(result != name.data(), c.in_buffer);
    EXPECT_EQ(name, c.name);  // the name itself is left as it was
    EXPECT_EQ(capture.out(), c.printed);
  }
}

TEST_F(Console, RemoteCopyResultThatDoesNotFitIsNotTranslated) {
  std::string name = "host:c:\\" + std::string(1020, 'p');
  char* result = vek::cvt_rcp_format_to_win32_lanman(name.data());
  EXPECT_EQ(result, name.data());
  std::string local = "c:" + std::string(2000, 'p');
  EXPECT_EQ(vek::cvt_rcp_format_to_win32_lanman(local.data()), local.data());
  EXPECT_EQ(vek::cvt_rcp_format_to_win32_lanman(nullptr), nullptr);
}

TEST_F(Console, RintRoundsHalfUpByTruncation) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double x;
    double expected;
  } cases[] = {
      {2.5, 3.0},   {-1.7, -1.0}, {-2.5, -2.0}, {0.49, 0.0},   {-0.5, 0.0},
      {1e12, 1e12}, {-1e12, -999999999999.0}, {2147483647.0, 2147483647.0}, {inf, inf},
  };
  for (const auto& c : cases) EXPECT_EQ(vek::rint(c.x), c.expected) << c.x;
  EXPECT_TRUE(std::isnan(vek::rint(std::nan(""))));
}

TEST_F(Console, PackRgbMasksEachComponentToEightBits) {
  const struct {
    double rgb[3];
    int expected;
  } cases[] = {
      {{0, 0, 0}, 0},
      {{1, 1, 1}, 0xFFFFFF},
      {{1, 0.5, 0}, 0xFF8000},
      {{0.2, 0.4, 0.6}, 0x336699},
      {{2, 0, 0}, 0xFE0000},            // 510 & 0xFF
      {{-1, 0, 0}, 0x020000},           // -254 & 0xFF
      {{1e300, std::nan(""), 0}, 0},    // no int holds them: no undefined conversion
  };
  for (const auto& c : cases) EXPECT_EQ(vek::pack_rgb(c.rgb), c.expected) << c.rgb[0];
}

TEST_F(Console, X11PlaceholdersAreSilentInRunModeZeroAndSayWhatTheyAreElse) {
  const struct {
    int (*fn)();
    const char* message;
    bool gives_count;
  } rows[] = {
      {vek::get_key_buffer, "DUMMY - get_key_buffer\n", true},
      {vek::x11_true_encode_color, "DUMMY - x11_encode_true_color\n", true},
      {vek::x11_true_decode_color, "DUMMY - x11_decode_true_color\n", true},
      {vek::x_create_cmap_graphics, "DUMMY - x_create_cmap_graphics\n", true},
      {vek::x_create_gc_graphics, "DUMMY - x_create_gc_graphics\n", true},
      {vek::x_create_visual_graphics, "DUMMY - x_create_visual_graphics\n", true},
      {vek::x_has_input_device, "DUMMY - x_has_input_device\n", true},
      {vek::x_pseudocolor_mapsize, "DUMMY - x_pseudocolor_mapsize\n", true},
      {vek::max_pseudocolor_map_size, "DUMMY - max_pseudocolor_map_size\n", true},
      {vek::x_setup_color_map, "DUMMY - x_setup_color_map\n", true},
      {vek::x_setup_gc, "DUMMY - x_setup_gc\n", true},
      {vek::is_bad_japanese_server, "DUMMY - is_bad_japanese_server\n", false},
      {vek::putxyres, "DUMMY - putxyres\n", false},
      {vek::vyn_set_input_devices_allowed, "DUMMY - vyn_set_input_devices_allowed\n", false},
      {vek::set_get_display_func, "DUMMY - set_get_display_func\n", false},
      {vek::set_init_active_area_func, "DUMMY - set_init_active_area_func\n", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.message);
    ConsoleCapture capture;
    vek::set_run_mode(0);
    EXPECT_EQ(row.fn(), 0);
    EXPECT_EQ(capture.out(), "");
    vek::set_run_mode(1);
    int length = static_cast<int>(std::strlen(row.message));
    EXPECT_EQ(row.fn(), row.gives_count ? length : 0);
    EXPECT_EQ(capture.out(), row.message);
  }
  vek::x11_init_async_queue();
}

TEST_F(Console, UserAndGroupIdsAreZeroAndSayPlaceholderOnceOutsideRunModeZero) {
  ConsoleCapture capture;
  vek::set_run_mode(1);
  EXPECT_EQ(vek::geteuid(), 0);
  EXPECT_EQ(vek::geteuid(), 0);
  EXPECT_EQ(capture.out(), "DUMMY - getpid\n");
  vek::set_run_mode(0);
  EXPECT_EQ(vek::getegid(), 0);  // the first call is spent silently in run mode 0
  vek::set_run_mode(1);
  EXPECT_EQ(vek::getegid(), 0);
  EXPECT_EQ(capture.out(), "DUMMY - getpid\n");
  EXPECT_EQ(vek::getpid(), static_cast<int>(::getpid()));
}

TEST_F(Console, StrcasecmpOrdersAsTheCLibrary) {
  const char* words[] = {"", "a", "A", "abc", "ABD", "abcd", "Zebra", "zebra", "[", "_", "a\x80"};
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const char* a : words) {
    for (const char* b : words) {
      EXPECT_EQ(sign(vek::strcasecmp(a, b)), sign(::strcasecmp(a, b))) << a << " / " << b;
    }
  }
  EXPECT_EQ(vek::strcasecmp(nullptr, nullptr), 0);
  EXPECT_LT(vek::strcasecmp(nullptr, ""), 0);
  EXPECT_GT(vek::strcasecmp("", nullptr), 0);
}

TEST_F(Console, BzeroAndBcopyTakeTheUnixArgumentOrder) {
  char buffer[8] = "abcdefg";
  vek::bzero(buffer + 2, 3);
  EXPECT_EQ(std::string(buffer, 7), std::string("ab\0\0\0fg", 7));
  vek::bcopy("XY", buffer, 2);
  EXPECT_EQ(std::string(buffer, 2), "XY");
  vek::bzero(nullptr, 0);
  vek::bcopy(nullptr, nullptr, 0);
}

}  // namespace
