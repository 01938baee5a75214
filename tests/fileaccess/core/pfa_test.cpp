// The file handle: its life (allocate, name, open, read, close, free), the formatted
// write and read, and dispose.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "fileaccess/core/pfa.h"
#include "fileaccess/core/pfaname.h"
#include "platform/w32/codepage.h"
#include "runtime/text/lang.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

class Pfa : public yrltest::FileaccessTest {};

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

class PfaFgets : public yrltest::FileaccessTest {
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

// A limit of 1 leaves room for the terminator alone: every session reads nothing and
// looks at no byte outside the buffer (the sanitizer build shows a read in front of it).
TEST_F(PfaFgets, ALimitOfOneReadsNothingInEverySession) {
  for (int language : {vek::LANG_ENGLISH, vek::LANG_JAPANESE, vek::LANG_GENERIC_MULTIBYTE,
                       vek::LANG_GENERIC_SINGLE_BYTE}) {
    vek::set_language(language);
    vek::VynFile* file = open_text("\xA4\xA2text\n");
    std::vector<char> buffer(1, 'j');  // exactly the limit: nothing in front of it
    int count = -1;
    EXPECT_EQ(vek::pfa_fgets(file, 1, &count, buffer.data()), vek::PFA_E_NO_ERROR) << language;
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(count, 0);
    EXPECT_EQ(read_lines(file, 80), "0:7:\xA4\xA2text\n|5:0:|") << "nothing was taken";
    vek::pfa_dispose(&file);
  }
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

// ---- The handle's life

// The components of a handle as "location|base|extension|version|type".
std::string parts(const vek::VynFile* file) {
  auto component = [file](int i) {
    return std::string(file->text + file->component[i][0], file->text + file->component[i][1]);
  };
  char location[vek::PFA_NAME_SIZE] = "";
  vek::pfa_get_location(file, location, nullptr);
  return location + ("|" + component(3)) + "|" + component(4) + "|" +
         std::to_string(file->version) + "|" + std::to_string(file->object_type);
}

class PfaHandle : public yrltest::FileaccessTest {
 protected:
  void TearDown() override {
    if (file) {
      vek::pfa_dispose(&file);
    }
    FileaccessTest::TearDown();
  }
  // A fresh handle named name.
  void name(const std::string& text) {
    if (!file) {
      ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), vek::PFA_E_NO_ERROR);
    }
    ASSERT_EQ(vek::pfa_parse_to_vyn_file(file, text.c_str()), vek::PFA_E_NO_ERROR) << text;
  }
  // "<result>:<count>:<bytes>" of one read of n bytes.
  std::string read(int n) {
    char buffer[64] = {};
    int count = -1;
    int result = vek::pfa_read_file(file, n, &count, buffer);
    return std::to_string(result) + ":" + std::to_string(count) + ":" +
           std::string(buffer, count > 0 ? count : 0);
  }
  yrltest::TempDir dir;
  vek::VynFile* file = nullptr;
};

TEST_F(PfaHandle, AllocOpenReadCloseFreeRoundTrip) {
  yrltest::write_file(dir.file("data.bin"), std::string("\x7F" "ELF\0\1", 6) + "rest");
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file->magic, vek::VYN_FILE_MAGIC);
  EXPECT_EQ(file->object_type, -4);
  EXPECT_EQ(file->version, 0);
  EXPECT_EQ(file->flags, 0u);
  EXPECT_EQ(file->location_type, vek::PFA_LOC_STD_FILESYSTEM);
  EXPECT_EQ(file->location_slot, nullptr);
  EXPECT_EQ(file->appinfo, nullptr);
  name(dir.file("data.bin"));
  ASSERT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file->flags & vek::PFA_FLAG_OPEN, vek::PFA_FLAG_OPEN);
  EXPECT_EQ(read(6), std::string("0:6:\x7F" "ELF\0\1", 10));
  EXPECT_EQ(read(0), "0:0:");
  EXPECT_EQ(read(64), "0:4:rest");
  EXPECT_EQ(read(64), "5:0:");
  EXPECT_EQ(vek::pfa_close(file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file->flags & vek::PFA_FLAG_OPEN, 0u);
  EXPECT_EQ(file->location_slot, nullptr);
  // The same handle opens again.
  ASSERT_EQ(vek::pfa_fopen(file, 0, "rb"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(read(3), "0:3:\x7F" "EL");
  EXPECT_EQ(vek::pfa_close(file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(file, nullptr);
}

TEST_F(PfaHandle, ClosedNullAndInvalidHandlesGetTheirCodes) {
  int count = -1;
  char buffer[8];
  EXPECT_EQ(vek::pfa_alloc_vyn_file(nullptr), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(nullptr), vek::PFA_E_NOT_VALID);
  vek::VynFile* none = nullptr;
  EXPECT_EQ(vek::pfa_free_vyn_file(&none), vek::PFA_E_NOT_VALID);
  vek::VynFile stale = {};  // a record whose magic is gone
  vek::VynFile* stale_handle = &stale;
  EXPECT_EQ(vek::pfa_free_vyn_file(&stale_handle), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(stale_handle, &stale);
  for (vek::VynFile* bad : {static_cast<vek::VynFile*>(nullptr), &stale}) {
    EXPECT_EQ(vek::pfa_parse_to_vyn_file(bad, "x"), vek::PFA_E_NOT_VALID);
    EXPECT_EQ(vek::pfa_fopen(bad, 0, "r"), vek::PFA_E_NOT_VALID);
    EXPECT_EQ(vek::pfa_read_file(bad, 0, &count, buffer), vek::PFA_E_NOT_VALID);
    EXPECT_EQ(vek::pfa_read_file(bad, 4, &count, buffer), vek::PFA_E_NOT_VALID);
    EXPECT_EQ(vek::pfa_close(bad), vek::PFA_E_NOT_VALID);
  }

  yrltest::write_file(dir.file("a.txt"), "abc");
  name(dir.file("a.txt"));
  // Closed: a read of nothing succeeds, any other read and the close are refused.
  EXPECT_EQ(vek::pfa_read_file(file, 0, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(vek::pfa_read_file(file, 0, nullptr, nullptr), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_read_file(file, 4, &count, buffer), vek::PFA_E_INACTIVE);
  EXPECT_EQ(vek::pfa_close(file), vek::PFA_E_INACTIVE);

  ASSERT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_CANT_OPEN);  // already open
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file, "other"), vek::PFA_E_NOT_ALLOWED);
  EXPECT_EQ(vek::pfa_read_file(file, -1, &count, buffer), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_read_file(file, 4, &count, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_read_file(file, 3, nullptr, buffer), vek::PFA_E_NO_ERROR);  // no count
  // An open handle is not freed, and stays open and usable.
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NOT_ALLOWED);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->flags & vek::PFA_FLAG_OPEN, vek::PFA_FLAG_OPEN);
  EXPECT_EQ(read(4), "5:0:");
  EXPECT_EQ(vek::pfa_dispose(&file), vek::PFA_E_NO_ERROR);  // closes, then frees
  EXPECT_EQ(file, nullptr);
}

TEST_F(PfaHandle, OpensThatCannotBeServed) {
  name(dir.file("missing.txt"));
  EXPECT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_ERROR);
  EXPECT_EQ(vek::pfa_fopen(file, 0, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_fopen(file, 2, "r"), vek::PFA_E_CANT_OPEN);  // the next version is written
  EXPECT_EQ(vek::pfa_fopen(file, 1, "r"), vek::PFA_E_NOT_FOUND);     // no version exists
  EXPECT_EQ(vek::pfa_fopen(file, 3, "r"), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(file->flags & vek::PFA_FLAG_OPEN, 0u);
  // A standard-stream location opens only the names of the process's streams.
  file->location_type = vek::PFA_LOC_STDIO;
  EXPECT_EQ(vek::pfa_fopen(file, 0, "w"), vek::PFA_E_NOT_VALID);
  file->location_type = vek::PFA_LOC_STD_FILESYSTEM;
  name(dir.path() + "/");
  EXPECT_EQ(file->object_type, -5);
  EXPECT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_NOT_VALID);  // a directory has no stream
  EXPECT_EQ(vek::pfa_read_file(file, 0, nullptr, nullptr), vek::PFA_E_NOT_VALID);
  // On an unmapped drive the name does not resolve.
  name("Q:\\x.txt");
  EXPECT_EQ(vek::pfa_fopen(file, 0, "w"), vek::PFA_E_ERROR);
}

TEST_F(PfaHandle, NamesSplitIntoLocationBaseExtensionAndVersion) {
  struct Case {
    const char* name;
    const char* parts;
  };
  const Case cases[] = {
      {"C:\\dir\\a.prt.3", "C:\\dir\\|a|prt|3|2"},
      {"/dir/a.prt.40000", "\\dir\\|a.prt|40000|0|-6"},  // beyond a 16-bit version
      {"a.prt.32767", "|a|prt|32767|2"},
      {"a.prt.-32768", "|a|prt|-32768|2"},
      {"a.prt.03", "|a.prt|03|0|-6"},
      {"a.prt.0", "|a.prt|0|0|-6"},
      {"a.-2", "|a||-2|-6"},
      {"a.-02", "|a|-02|0|-6"},
      {"a.+2", "|a|+2|0|-6"},
      {"a3", "|a3||0|-6"},
      {"foo.", "|foo||0|-6"},
      {"x.tar.gz", "|x.tar|gz|0|-6"},
      {".profile", "|.profile||0|-6"},
      {".profile.2", "|.profile.2||0|-6"},
      {"dir.d/.5", "dir.d\\|.5||0|-6"},
      {"C:name.txt", "C:|name|txt|0|146"},
      {"\\\\host\\share\\f.txt", "\\\\host\\share\\|f|txt|0|146"},
      {"dir\\sub/", "dir\\sub\\||DIR|0|-5"},
      {"C:", "C:||DIR|0|-5"},
      {"", "||DIR|0|-5"},
  };
  for (const Case& c : cases) {
    name(c.name);
    EXPECT_EQ(parts(file), c.parts) << c.name;
  }
  // The trail byte 0x5C of a Shift_JIS character does not end the location.
  ASSERT_TRUE(w32::set_system_code_page(932));
  vek::set_language(vek::LANG_GENERIC_MULTIBYTE);
  name("d\\\x95\x5C.txt");
  EXPECT_EQ(parts(file), "d\\|\x95\x5C|txt|0|146");
  vek::set_language(vek::LANG_ENGLISH);
  name("d\\\x95\x5C.txt");
  EXPECT_EQ(parts(file), "d\\\x95\\|.txt||0|-6");

  // A refused name leaves the handle without a name.
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file, nullptr), vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(vek::pfa_parse_to_vyn_file(file, std::string(260, 'n').c_str()),
            vek::PFA_E_INVALID_INPUT);
  EXPECT_EQ(parts(file), "|||0|-4");
  name(std::string(259, 'n'));
  EXPECT_EQ(parts(file), "|" + std::string(259, 'n') + "||0|-6");
}

TEST_F(PfaHandle, WindowsPosixAndRelativeNamesOpenTheSameFile) {
  yrltest::InTempDir here;
  yrltest::write_file(here.path() + "/a.prt.3", "three");
  std::string windows = "C:" + here.path() + "/a.prt.3";
  for (char& c : windows) c = c == '/' ? '\\' : c;
  for (const std::string& text : {here.path() + "/a.prt.3", windows, std::string("a.prt.3"),
                                  std::string(".\\a.prt.3"), std::string("A.PRT.3")}) {
    name(text);
    ASSERT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_NO_ERROR) << text;
    EXPECT_EQ(read(8), "0:5:three") << text;
    EXPECT_EQ(vek::pfa_close(file), vek::PFA_E_NO_ERROR);
  }
}

TEST_F(PfaHandle, ATrailingDotIsNoPartOfTheName) {
  yrltest::write_file(dir.file("foo"), "plain");
  std::string dotted = dir.path() + "/foo.";
  vek::VynFile* opened = vek::pfa_fopen_file_vers(dotted.c_str(), "r", 0);
  ASSERT_NE(opened, nullptr);
  char buffer[16] = {};
  int count = 0;
  EXPECT_EQ(vek::pfa_read_file(opened, 15, &count, buffer), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(std::string(buffer, count), "plain");
  EXPECT_EQ(vek::pfa_dispose(&opened), vek::PFA_E_NO_ERROR);

  // A file made through such a name is made without the dot.
  opened = vek::pfa_fopen_file_vers((dir.path() + "\\made.").c_str(), "w", 0);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(vek::pfa_dispose(&opened), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(std::filesystem::exists(dir.file("made")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("made.")));
}

TEST_F(PfaHandle, FopenFileVersChoosesTheRuleFromTheNameAndTheMode) {
  yrltest::InTempDir here;
  // A version in the name is opened as named.
  vek::VynFile* opened = vek::pfa_fopen_file_vers("x.prt.3", "w", 4);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(vek::pfa_dispose(&opened), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(std::filesystem::exists(here.path() + "/x.prt.3"));
  // Without one, writing makes the next version and reading opens the highest.
  opened = vek::pfa_fopen_file_vers("x.prt", "w", 4);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->version, 4);
  EXPECT_EQ(vek::pfa_dispose(&opened), vek::PFA_E_NO_ERROR);
  EXPECT_TRUE(std::filesystem::exists(here.path() + "/x.prt.4"));
  opened = vek::pfa_fopen_file_vers("x.prt", "r", 4);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->version, 4);
  EXPECT_EQ(vek::pfa_dispose(&opened), vek::PFA_E_NO_ERROR);
  // The drive records of the cache stay for the process; failed opens leave nothing more.
  const int kept = yrltest::live_blocks();
  EXPECT_EQ(vek::pfa_fopen_file_vers("y.prt", "r", 4), nullptr);  // none exists
  EXPECT_FALSE(std::filesystem::exists(here.path() + "/x.prt"));
  EXPECT_EQ(vek::pfa_fopen_file_vers("x.prt.3", nullptr, 0), nullptr);
  EXPECT_EQ(yrltest::live_blocks(), kept);
}

TEST_F(PfaHandle, TraceModePrintsRecordAddressesInFull) {
  vek::set_run_mode(9998);
  yrltest::ConsoleCapture console;
  ASSERT_EQ(vek::pfa_alloc_vyn_file(&file), vek::PFA_E_NO_ERROR);
  char address[32];
  std::snprintf(address, sizeof address, "%lx",
                static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(file)));
  EXPECT_EQ(console.out(), std::string("pfa_alloc_vyn_file:  Created new pfa at: ") + address +
                               "\n (INFO MESSAGE)\n");
  console.clear();
  vek::VynFile* none = nullptr;
  EXPECT_EQ(vek::pfa_free_vyn_file(&none), vek::PFA_E_NOT_VALID);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(console.out(),
            std::string("pfa_free_vyn_file:  Not freeing NULL pfa\n (INFO MESSAGE)\n") +
                "pfa_free_vyn_file:  Freeing pfa at: " + address + "\n (INFO MESSAGE)\n");
}

TEST_F(PfaHandle, FreeingAnOpenHandleIsReported) {
  show_serious_reports();
  yrltest::ConsoleCapture console;
  yrltest::write_file(dir.file("a.txt"), "abc");
  name(dir.file("a.txt"));
  ASSERT_EQ(vek::pfa_fopen(file, 0, "r"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(vek::pfa_free_vyn_file(&file), vek::PFA_E_NOT_ALLOWED);
  EXPECT_EQ(console.out().rfind("pfa_free_vyn_file:  Attempting to free open file\n", 0), 0u)
      << console.out();
}

TEST_F(Pfa, TheStandardErrorHandleIsMadeAgainAfterItWasDisposed) {
  vek::VynFile* err = vek::pfa_get_stderr();
  ASSERT_NE(err, nullptr);
  EXPECT_EQ(vek::pfa_dispose(&err), vek::PFA_E_NO_ERROR);  // the process's stream stays open
  vek::VynFile* again = vek::pfa_get_stderr();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->magic, vek::VYN_FILE_MAGIC);
  testing::internal::CaptureStderr();
  EXPECT_EQ(vek::pfa_fprintf(again, "still %s\n", "there"), vek::PFA_E_NO_ERROR);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "still there\n");
}

}  // namespace

namespace {

TEST_F(PfaHandle, NamedOpensChooseTheirRuleForStreamsAndDescriptors) {
  yrltest::InTempDir here;
  struct Row {
    const char* name;
    bool descriptor;
    const char* mode;
    int flags;
    int version;  // -1: no handle
  };
  const Row rows[] = {
      {"p.prt", false, "r", 0, -1},          // nothing to read yet
      {"p.prt", true, nullptr, 0, -1},
      {"p.prt", true, nullptr, 0x100 | 1, 1},  // the next version is created
      {"p.prt", false, "w", 0, 2},
      {"p.prt", false, "r", 0, 2},
      {"p.prt", true, nullptr, 0, 2},
      {"p.prt.1", true, nullptr, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + (row.descriptor ? " descriptor" : " stream"));
    std::u16string wide(row.name, row.name + std::strlen(row.name));
    vek::VynFile* opened = row.descriptor ? vek::pfa_open_wfile(wide.c_str(), row.flags, 0x180)
                                          : vek::pfa_fopen_wfile(wide.c_str(), row.mode);
    if (row.version < 0) {
      EXPECT_EQ(opened, nullptr);
      continue;
    }
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->version, row.version);
    EXPECT_EQ(vek::pfa_dispose(&opened), 0);
  }
  EXPECT_TRUE(std::filesystem::exists(here.path() + "/p.prt.1"));
  EXPECT_TRUE(std::filesystem::exists(here.path() + "/p.prt.2"));
  vek::VynFile* opened = vek::pfa_open_file("p.prt.2", 0, 0);
  ASSERT_NE(opened, nullptr);
  vek::pfa_dispose(&opened);
  EXPECT_EQ(vek::pfa_fopen_file("q.prt", "r"), nullptr);
}

}  // namespace
