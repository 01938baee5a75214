// The file handle's open, formatted write and read, and dispose.
#include <gtest/gtest.h>

#include <string>

#include "fileaccess/core/pfa.h"
#include "platform/w32/codepage.h"
#include "runtime/text/lang.h"
#include "tests/support/runtime_test.h"
#include "tests/support/temp_dir.h"

namespace {

class Pfa : public yrltest::RuntimeTest {};

TEST_F(Pfa, WritesAndReadsBackPairsOfNumbers) {
  yrltest::TempDir dir;
  std::string name = dir.file("unreleased.memory");
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "w", 0);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->magic, vek::VYN_FILE_MAGIC);
  EXPECT_EQ(vek::pfa_fprintf(file, "%d %d\n", 17, 64), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_fprintf(file, "%d %d", 18, 8), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(yrltest::read_file(name), "17 64\n18 8");

  file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
  ASSERT_NE(file, nullptr);
  int index = 0, size = 0;
  EXPECT_EQ(vek::pfa_fscanf(file, "%d %d\n", &index, &size), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(index, 17);
  EXPECT_EQ(size, 64);
  EXPECT_EQ(vek::pfa_fscanf(file, "%d %d\n", &index, &size), vek::PFA_E_QUIT);  // last line
  EXPECT_EQ(index, 18);
  EXPECT_EQ(vek::pfa_fscanf(file, "%d %d\n", &index, &size), vek::PFA_E_ERROR);  // nothing
  vek::pfa_dispose(&file);
}

TEST_F(Pfa, BadHandlesAreRefused) {
  yrltest::TempDir dir;
  EXPECT_EQ(vek::pfa_fopen_file_vers(dir.file("none").c_str(), "r", 0), nullptr);
  EXPECT_EQ(vek::pfa_fopen_file_vers(nullptr, "r", 0), nullptr);
  EXPECT_EQ(vek::pfa_fopen_file_vers(std::string(300, 'x').c_str(), "w", 0), nullptr);
  vek::VynFile* none = nullptr;
  EXPECT_EQ(vek::pfa_dispose(nullptr), 0);
  EXPECT_EQ(vek::pfa_dispose(&none), 0);
  EXPECT_EQ(vek::pfa_fprintf(nullptr, "x"), vek::PFA_E_NOT_VALID);
  int value;
  EXPECT_EQ(vek::pfa_fscanf(nullptr, "%d", &value), vek::PFA_E_NOT_VALID);

  vek::VynFile closed = {};
  closed.magic = vek::VYN_FILE_MAGIC;  // valid but not open
  EXPECT_EQ(vek::pfa_fprintf(&closed, "x"), vek::PFA_E_INACTIVE);
  EXPECT_EQ(vek::pfa_fscanf(&closed, "%d", &value), vek::PFA_E_INACTIVE);
}

// Reads lines of the given limit until a read fails; each as "<result>:<count>:<line>".
std::string read_lines(vek::VynFile* file, int n) {
  std::string out;
  for (int i = 0; i < 20; ++i) {
    char buffer[64] = "junk";  // every read terminates the buffer
    int count = -1;
    int result = vek::pfa_fgets(file, n, &count, buffer);
    out += std::to_string(result) + ":" + std::to_string(count) + ":" + buffer + "|";
    if (result != vek::PFA_E_NO_ERROR) break;
  }
  return out;
}

class PfaFgets : public yrltest::RuntimeTest {
 protected:
  // A handle on a fresh file holding text.
  vek::VynFile* open_text(const std::string& text) {
    std::string name = dir_.file("lines.txt");
    yrltest::write_file(name, text);
    vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
    EXPECT_NE(file, nullptr);
    return file;
  }
  std::string read_all(const std::string& text, int n) {
    vek::VynFile* file = open_text(text);
    std::string lines = read_lines(file, n);
    vek::pfa_dispose(&file);
    return lines;
  }
  yrltest::TempDir dir_;
};

TEST_F(PfaFgets, ReadsLinesUpToTheLimitThenReportsTheEnd) {
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_EQ(read_all("first\nsecond line\nlast", 80), "0:6:first\n|0:12:second line\n|0:4:last|5:0:|");
  EXPECT_EQ(read_all("abcdef\n", 4), "0:3:abc|0:3:def|0:1:\n|5:0:|");
  EXPECT_EQ(read_all("", 80), "5:0:|");
  // Single-byte text is never cut by characters, not even in a generic session.
  EXPECT_EQ(read_all("a\xA4\xA2\n", 3), "0:2:a\xA4|0:2:\xA2\n|5:0:|");
  vek::set_language(vek::LANG_GENERIC_SINGLE_BYTE);
  EXPECT_EQ(read_all("x\xE9", 80), "0:2:x\xE9|5:0:|");
}

TEST_F(PfaFgets, MultibyteSessionsNeverCutACharacter) {
  // The language is asked at every call: a change after the first read takes effect.
  vek::set_language(vek::LANG_ENGLISH);
  EXPECT_EQ(read_all("a\xA4\xA2" "b\n", 3), "0:2:a\xA4|0:2:\xA2" "b|0:1:\n|5:0:|");
  vek::set_language(vek::LANG_JAPANESE);
  EXPECT_EQ(read_all("a\xA4\xA2" "b\n", 3), "0:1:a|0:2:\xA4\xA2|0:2:b\n|5:0:|");
  // The generic multibyte language follows the system code page.
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_GENERIC_MULTIBYTE);
  EXPECT_EQ(read_all("a\x82\xA0" "b\n", 3), "0:1:a|0:2:\x82\xA0|0:2:b\n|5:0:|");

  // A three-byte character that does not fit leaves nothing: 11 with an empty line,
  // and the character is still there for a longer read.
  vek::set_language(vek::LANG_JAPANESE);
  vek::VynFile* file = open_text("\x8F\xA1\xA1z");
  EXPECT_EQ(read_lines(file, 3), "11:0:|");
  EXPECT_EQ(read_lines(file, 8), "0:4:\x8F\xA1\xA1z|5:0:|");
  vek::pfa_dispose(&file);

  // A lead byte that ends the file was not cut by the limit: it is read, never given
  // back for good.
  EXPECT_EQ(read_all("ab\xA4", 80), "0:3:ab\xA4|5:0:|");
  EXPECT_EQ(read_all("ab\xA4", 3), "0:2:ab|0:1:\xA4|5:0:|");
}

TEST_F(PfaFgets, GenericLanguagesWithASingleByteCodePageReadEveryByte) {
  // System code page 1252: every byte is a whole character.
  for (int language : {vek::LANG_GENERIC_MULTIBYTE, vek::LANG_GENERIC_SINGLE_BYTE}) {
    vek::set_language(language);
    EXPECT_EQ(read_all("x\xE9", 2), "0:1:x|0:1:\xE9|5:0:|") << language;
    EXPECT_EQ(read_all("a\xA4\xA2" "b\n", 3), "0:2:a\xA4|0:2:\xA2" "b|0:1:\n|5:0:|") << language;
    EXPECT_EQ(read_all("x\xE9", 80), "0:2:x\xE9|5:0:|") << language;
  }
}

TEST_F(Pfa, ScansWithTheLibrarysScanner) {
  yrltest::TempDir dir;
  std::string name = dir.file("wide.txt");
  yrltest::write_file(name, "word 12\n");
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "r", 0);
  ASSERT_NE(file, nullptr);
  vek::set_language(vek::LANG_ENGLISH);
  VynWchar word[16] = {};
  long number = 0;
  EXPECT_EQ(vek::pfa_fscanf(file, "%ws %ld", word, &number), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(std::u16string(word), u"word");
  EXPECT_EQ(number, 12);
  vek::pfa_dispose(&file);
}

TEST_F(PfaFgets, BadArgumentsAndHandlesAreRefused) {
  vek::set_language(vek::LANG_ENGLISH);
  vek::VynFile* file = open_text("text\n");
  char buffer[8] = "junk";
  int count = -1;
  EXPECT_EQ(vek::pfa_fgets(file, 1, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(count, 0);
  EXPECT_EQ(vek::pfa_fgets(file, 0, &count, buffer), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_fgets(file, 8, &count, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_fgets(file, 8, nullptr, buffer), vek::PFA_E_NO_ERROR);  // no count
  EXPECT_STREQ(buffer, "text\n");
  vek::pfa_dispose(&file);

  EXPECT_EQ(vek::pfa_fgets(nullptr, 8, &count, buffer), vek::PFA_E_NOT_VALID);
  vek::VynFile record = {};
  record.magic = vek::VYN_FILE_MAGIC;
  EXPECT_EQ(vek::pfa_fgets(&record, 8, &count, buffer), vek::PFA_E_INACTIVE);
  record.flags = vek::PFA_FLAG_OPEN;
  record.object_type = -5;  // a directory has no lines
  EXPECT_EQ(vek::pfa_fgets(&record, 8, &count, buffer), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_fscanf(&record, "%d", &count), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_fprintf(&record, "x"), vek::PFA_E_NOT_VALID);
}

TEST_F(Pfa, BackslashesInNamesAreDelimiters) {
  yrltest::TempDir dir;
  std::string name = dir.path() + "\\lines.txt";
  vek::VynFile* file = vek::pfa_fopen_file_vers(name.c_str(), "w", 0);
  ASSERT_NE(file, nullptr);
  vek::pfa_fprintf(file, "x");
  vek::pfa_dispose(&file);
  EXPECT_EQ(yrltest::read_file(dir.file("lines.txt")), "x");
}

TEST_F(Pfa, StandardErrorHandleIsMadeOnceAndStaysOpen) {
  vek::VynFile* err = vek::pfa_get_stderr();
  ASSERT_NE(err, nullptr);
  EXPECT_EQ(vek::pfa_get_stderr(), err);
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::pfa_fprintf(err, "to %s\n", "stderr"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
}

}  // namespace
