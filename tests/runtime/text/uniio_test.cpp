// Wide characters on byte streams, against iconv for the code pages, and on a terminal.
#include "runtime/text/uniio.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>

#include "fileaccess/core/pfa.h"
#include "platform/w32/codepage.h"
#include "platform/w32/console.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/pipe.h"
#include "runtime/text/lang.h"
#include "runtime/text/wide.h"
#include "tests/platform/iconv_reference.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

using yrltest::iconv_decode;
using yrltest::iconv_encode;

// A byte stream in memory for the shared reader and writer.
struct Bytes {
  std::string data;
  std::size_t at = 0;
};
int get_byte(void* stream) {
  Bytes* b = static_cast<Bytes*>(stream);
  return b->at < b->data.size() ? static_cast<unsigned char>(b->data[b->at++]) : -1;
}
int put_byte(int byte, void* stream) {
  static_cast<Bytes*>(stream)->data.push_back(static_cast<char>(byte));
  return byte;
}

class UniioTest : public yrltest::RuntimeTest {
 protected:
  VynWchar read_one(const std::string& bytes) {
    Bytes b{bytes};
    return vek::get_unicode_wc(get_byte, &b);
  }
  std::string write_one(VynWchar wc) {
    Bytes b;
    EXPECT_EQ(vek::put_unicode_wc(wc, put_byte, &b), wc);
    return b.data;
  }
  yrltest::TempDir dir;
};

// Every byte of the single-byte pages reads as iconv decodes it, and every character
// iconv encodes to one byte writes as that byte. 0xFF is a character, not the end.
TEST_F(UniioTest, SingleBytePagesMatchIconv) {
  struct Page {
    unsigned page;
    int language;
    const char* iconv_name;
  };
  for (Page p : {Page{1252, vek::LANG_ENGLISH, "CP1252"}, Page{1251, vek::LANG_RUSSIAN, "CP1251"}}) {
    SCOPED_TRACE(p.page);
    ASSERT_TRUE(w32::set_system_code_page(p.page));
    vek::set_language(p.language);
    for (int byte = 1; byte < 256; ++byte) {
      std::string one(1, static_cast<char>(byte));
      auto expected = iconv_decode(p.iconv_name, one);
      if (!expected) continue;
      ASSERT_EQ(expected->size(), 1u);
      EXPECT_EQ(read_one(one), (*expected)[0]) << byte;
      EXPECT_EQ(write_one((*expected)[0]), one) << byte;
    }
  }
  EXPECT_EQ(read_one("\xFF"), u'\u044F');  // 'я' in 1251
  EXPECT_EQ(read_one(""), vek::VYN_WEOF);
}

// Code page 932 through a generic multibyte session: every double-byte cell that iconv
// knows reads as one character and writes back as its two bytes.
TEST_F(UniioTest, CodePage932MatchesIconv) {
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_GENERIC_MULTIBYTE);
  int cells = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
      auto expected = iconv_decode("CP932", pair);
      if (!expected || expected->size() != 1) continue;
      ++cells;
      ASSERT_EQ(read_one(pair), (*expected)[0]) << lead << " " << trail;
      auto back = iconv_encode("CP932", *expected);
      if (back) {
        EXPECT_EQ(write_one((*expected)[0]), *back) << lead << " " << trail;
      }
    }
  }
  EXPECT_GT(cells, 7000);
}

// A Japanese session reads and writes EUC: every cell of the JIS X 0208 grid and the
// half-width katakana, against iconv's EUC-JP where it and code page 932 agree on the
// character (they differ on a few symbols, which are compared through 932).
TEST_F(UniioTest, JapaneseIsEucAgainstIconv) {
  vek::set_language(vek::LANG_JAPANESE);
  int cells = 0;
  for (int row = 0xA1; row <= 0xFE; ++row) {
    for (int cell = 0xA1; cell <= 0xFE; ++cell) {
      std::string euc{static_cast<char>(row), static_cast<char>(cell)};
      auto by_euc = iconv_decode("EUC-JP", euc);
      int c1 = row & 0x7F;
      int c2 = cell & 0x7F;
      vek::jis2sjis(&c1, &c2);
      auto by_932 = iconv_decode("CP932", std::string{static_cast<char>(c1), static_cast<char>(c2)});
      if (!by_932 || by_932->size() != 1) continue;
      ++cells;
      VynWchar wc = read_one(euc);
      ASSERT_EQ(wc, (*by_932)[0]) << row << " " << cell;
      if (by_euc && *by_euc == *by_932) {
        EXPECT_EQ(write_one(wc), euc) << row << " " << cell;
      }
    }
  }
  EXPECT_GT(cells, 6800);
  for (int kana = 0xA1; kana <= 0xDF; ++kana) {
    std::string euc{'\x8E', static_cast<char>(kana)};
    auto expected = iconv_decode("EUC-JP", euc);
    ASSERT_TRUE(expected);
    EXPECT_EQ(read_one(euc), (*expected)[0]) << kana;
    EXPECT_EQ(write_one((*expected)[0]), euc) << kana;
  }
  EXPECT_EQ(read_one("\xA4\xA2"), u'\u3042');
  EXPECT_EQ(write_one(u'\u3042'), "\xA4\xA2");
  EXPECT_EQ(write_one(u'\uFF71'), "\x8E\xB1");
  EXPECT_EQ(read_one("A"), u'A');
  EXPECT_EQ(read_one("\xA4"), vek::VYN_WEOF);  // a pair cut by the end
}

TEST_F(UniioTest, EnglishByteIsTheCharacterButTheCodePageReaderMaps) {
  ASSERT_TRUE(w32::set_system_code_page(1251));
  vek::set_language(vek::LANG_ENGLISH);
  std::string path = dir.file("e9.txt");
  yrltest::write_file(path, "\xE9\xE9");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(vek::vyn_fgetwc(f), u'\u00E9');
  EXPECT_EQ(vek::fget_unicode_wc(f), (*iconv_decode("CP1251", "\xE9"))[0]);  // the system page
  EXPECT_EQ(vek::vyn_fgetwc(f), vek::VYN_WEOF);
  std::fclose(f);
}

// A Russian text holding 'я' (0xFF in 1251) is read whole by every reader.
TEST_F(UniioTest, RussianTextWithYaIsReadWholeByEveryReader) {
  ASSERT_TRUE(w32::set_system_code_page(1251));
  vek::set_language(vek::LANG_RUSSIAN);
  const std::string bytes = "\xFF\xE1\xEB\xEE\xEA\xEE \xFF\n\xE4\xE0\xFF";  // яблоко я / дая
  const std::u16string mapped = u"\u044F\u0431\u043B\u043E\u043A\u043E \u044F\n\u0434\u0430\u044F";
  std::u16string raw;
  for (char c : bytes) raw.push_back(static_cast<unsigned char>(c));
  std::string path = dir.file("ru.txt");
  yrltest::write_file(path, bytes);

  auto read_all = [&](auto read, auto open, auto close) {
    auto stream = open();
    std::u16string got;
    for (VynWchar wc; (wc = read(stream)) != vek::VYN_WEOF;) got.push_back(wc);
    close(stream);
    return got;
  };
  auto open_c = [&] { return std::fopen(path.c_str(), "rb"); };
  auto close_c = [](std::FILE* f) { std::fclose(f); };
  auto open_pfa = [&] { return vek::pfa_fopen_file_vers(path.c_str(), "r", 0); };
  auto close_pfa = [](vek::VynFile* f) { vek::pfa_dispose(&f); };
  EXPECT_EQ(read_all(vek::fget_unicode_wc, open_c, close_c), mapped);
  EXPECT_EQ(read_all(vek::pfa_get_unicode_wc, open_pfa, close_pfa), mapped);
  // The single-byte readers give the byte values.
  EXPECT_EQ(read_all(vek::vyn_fgetwc, open_c, close_c), raw);
  EXPECT_EQ(read_all(vek::pfa_fgetwc, open_pfa, close_pfa), raw);

  VynWchar line[32];
  std::u16string lines;
  std::FILE* f = open_c();
  while (vek::fgetws(line, 32, f)) lines += line;
  std::fclose(f);
  EXPECT_EQ(lines, raw);
  vek::VynFile* file = open_pfa();
  ASSERT_NE(file, nullptr);
  lines.clear();
  while (vek::pfa_fgetws(line, 32, file)) lines += line;
  vek::pfa_dispose(&file);
  EXPECT_EQ(lines, raw);
}

TEST_F(UniioTest, LinesKeepTheirNewlineAndTheLastMayLackIt) {
  vek::set_language(vek::LANG_ENGLISH);
  std::string path = dir.file("lines.txt");
  yrltest::write_file(path, "ab\ncdef");
  std::FILE* f = std::fopen(path.c_str(), "rb");
  VynWchar buf[8] = {u'x'};
  ASSERT_EQ(vek::fgetws(buf, 1, f), buf);  // room for the terminator only
  EXPECT_EQ(std::u16string(buf), u"");
  ASSERT_EQ(vek::fgetws(buf, 8, f), buf);
  EXPECT_EQ(std::u16string(buf), u"ab\n");
  ASSERT_EQ(vek::fgetws(buf, 3, f), buf);
  EXPECT_EQ(std::u16string(buf), u"cd");
  ASSERT_EQ(vek::fgetws(buf, 8, f), buf);
  EXPECT_EQ(std::u16string(buf), u"ef");
  EXPECT_EQ(vek::fgetws(buf, 8, f), nullptr);
  EXPECT_EQ(vek::fgetws(buf, 0, f), nullptr);
  std::fclose(f);

  // Written back through both writers.
  std::string out = dir.file("out.txt");
  f = std::fopen(out.c_str(), "wb");
  EXPECT_EQ(vek::fputws(u"x\u00E9\n", f), 0);
  std::fclose(f);
  EXPECT_EQ(yrltest::read_file(out), "x\xE9\n");
  vek::VynFile* file = vek::pfa_fopen_file_vers(out.c_str(), "w", 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(vek::pfa_fputws(u"y\u00E9", file), 0);
  vek::pfa_dispose(&file);
  EXPECT_EQ(yrltest::read_file(out), "y\xE9");
}

// Standard input taken from a descriptor for the scope.
class StdinFrom {
 public:
  explicit StdinFrom(int fd) : saved_(::dup(0)) {
    std::fflush(stdin);
    ::dup2(fd, 0);
    std::clearerr(stdin);
  }
  ~StdinFrom() {
    std::fflush(stdin);
    ::dup2(saved_, 0);
    ::close(saved_);
    std::clearerr(stdin);
  }

 private:
  int saved_;
};

TEST_F(UniioTest, GetwsStopsAtTheCapacity) {
  vek::set_language(vek::LANG_ENGLISH);
  std::string path = dir.file("in.txt");
  yrltest::write_file(path, "abcdefg\nxy");
  int fd = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  {
    StdinFrom input(fd);
    VynWchar buf[8];
    buf[4] = u'!';
    ASSERT_EQ(vek::getws(buf, 4), buf);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(buf[4], u'!');
    ASSERT_EQ(vek::getws(buf, 8), buf);
    EXPECT_EQ(std::u16string(buf), u"defg");
    ASSERT_EQ(vek::getws(buf, 8), buf);
    EXPECT_EQ(std::u16string(buf), u"xy");
    EXPECT_EQ(vek::getws(buf, 8), nullptr);
    EXPECT_EQ(vek::getws(buf, 0), nullptr);
  }
  ::close(fd);
}

// Console modes over termios on a pseudo-terminal; a pipe is no console.
TEST_F(UniioTest, EchoIsSwitchedOffOnATerminalAndRestored) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(::grantpt(master), 0);
  ASSERT_EQ(::unlockpt(master), 0);
  int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
  ASSERT_GE(slave, 0);
  w32::HANDLE terminal = w32::w32_file_adopt(::dup(slave), w32::GENERIC_READ | w32::GENERIC_WRITE,
                                             w32::FALSE);
  ASSERT_NE(terminal, nullptr);
  w32::DWORD mode = 0;
  ASSERT_TRUE(w32::GetConsoleMode(terminal, &mode));
  EXPECT_TRUE(mode & w32::ENABLE_ECHO_INPUT);
  EXPECT_TRUE(mode & w32::ENABLE_LINE_INPUT);
  ASSERT_TRUE(w32::SetConsoleMode(terminal, mode & ~w32::ENABLE_ECHO_INPUT));
  termios settings;
  ASSERT_EQ(::tcgetattr(slave, &settings), 0);
  EXPECT_FALSE(settings.c_lflag & ECHO);
  EXPECT_TRUE(settings.c_lflag & ICANON);
  ASSERT_TRUE(w32::SetConsoleMode(terminal, mode));
  w32::CloseHandle(terminal);

  // The whole road: standard input is the terminal; the typed line is not echoed.
  vek::set_language(vek::LANG_ENGLISH);
  {
    StdinFrom input(slave);
    // The line is typed once echo is off: the terminal echoes when bytes arrive.
    std::thread typist([&] {
      termios now;
      for (int i = 0; i < 5000; ++i) {
        if (::tcgetattr(slave, &now) == 0 && !(now.c_lflag & ECHO)) break;
        ::usleep(1000);
      }
      ASSERT_EQ(::write(master, "secret\n", 7), 7);
    });
    VynWchar buf[16];
    VynWchar* line = vek::vyn_getws_no_echo(buf, 16);
    typist.join();
    ASSERT_EQ(line, buf);
    EXPECT_EQ(std::u16string(buf), u"secret");
    ASSERT_EQ(::tcgetattr(slave, &settings), 0);
    EXPECT_TRUE(settings.c_lflag & ECHO);  // restored
  }
  ::fcntl(master, F_SETFL, O_NONBLOCK);
  char echoed[32];
  EXPECT_LE(::read(master, echoed, sizeof echoed), 0);  // nothing came back

  // Not a terminal: the mode cannot be read.
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  {
    StdinFrom input(pipe_ends[0]);
    VynWchar buf[4];
    EXPECT_EQ(vek::vyn_getws_no_echo(buf, 4), nullptr);
    EXPECT_FALSE(w32::GetConsoleMode(w32::GetStdHandle(w32::STD_INPUT_HANDLE), &mode));
  }
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  ::close(slave);
  ::close(master);
}

}  // namespace
