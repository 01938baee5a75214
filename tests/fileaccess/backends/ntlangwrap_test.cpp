// The language-dependent wrappers: the action chosen once per process, and the file
// attributes through the wide, the narrow and the converting entry points.
#include "fileaccess/backends/ntlangwrap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fileaccess/backends/ntlangwrap_testing.h"
#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "platform/w32/system_testing.h"
#include "runtime/text/lang.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/support/console_capture.h"
#include "tests/support/temp_dir.h"

namespace {

class NtLangWrap : public yrltest::FileaccessTest {
 protected:
  // Starts the process's life of the wrappers in a language on a system.
  static void start(int language, w32::WORD system_lang_id) {
    vek::ntlangwrap_testing_reset();
    vek::set_language(language);
    w32::system_testing_set_default_lang_id(system_lang_id);
  }
  yrltest::TempDir dir;
};

TEST_F(NtLangWrap, ActionFollowsTheSessionLanguageThenTheSystem) {
  struct Case {
    int language;
    w32::WORD system;
    int action;
  };
  const Case cases[] = {
      {vek::LANG_JAPANESE, 0x0409, vek::NTLANGWRAP_WIDE},
      {vek::LANG_JAPANESE, 0x0411, vek::NTLANGWRAP_WIDE},
      {vek::LANG_KOREAN, 0x0411, vek::NTLANGWRAP_WIDE},
      {vek::LANG_GENERIC_MULTIBYTE, 0x0409, vek::NTLANGWRAP_WIDE},
      {vek::LANG_ENGLISH, 0x0411, vek::NTLANGWRAP_CONVERTED},
      {vek::LANG_GENERIC_SINGLE_BYTE, 0x0411, vek::NTLANGWRAP_CONVERTED},
      {vek::LANG_ENGLISH, 0x0409, vek::NTLANGWRAP_NARROW},
      {vek::LANG_FRENCH, 0x040C, vek::NTLANGWRAP_NARROW},
      {vek::LANG_ENGLISH, 0x0412, vek::NTLANGWRAP_NARROW},
  };
  for (const Case& c : cases) {
    start(c.language, c.system);
    EXPECT_EQ(vek::ntlangwrap_get_action(), c.action) << c.language << " " << c.system;
  }
}

TEST_F(NtLangWrap, ActionIsKeptOnceDecided) {
  start(vek::LANG_ENGLISH, 0x0409);
  EXPECT_EQ(vek::ntlangwrap_get_action(), vek::NTLANGWRAP_NARROW);
  vek::set_language(vek::LANG_JAPANESE);
  w32::system_testing_set_default_lang_id(0x0411);
  EXPECT_EQ(vek::ntlangwrap_get_action(), vek::NTLANGWRAP_NARROW);
}

TEST_F(NtLangWrap, NarrowNamesAreInTheSystemCodePage) {
  start(vek::LANG_ENGLISH, 0x0409);
  std::filesystem::create_directory(dir.file("sub"));
  yrltest::write_file(dir.file("caf\xC3\xA9.txt"), "x");  // UTF-8 on disk
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(dir.file("sub").c_str()) &
                w32::FILE_ATTRIBUTE_DIRECTORY,
            w32::FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(dir.file("caf\xE9.txt").c_str()),
            w32::FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(dir.file("none").c_str()),
            w32::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILE_NOT_FOUND);
}

TEST_F(NtLangWrap, MultibyteSessionsUseTheWideEntryPoint) {
  start(vek::LANG_JAPANESE, 0x0411);
  yrltest::write_file(dir.file("\xE3\x81\x82.txt"), "x");  // U+3042 in UTF-8
  // The session's text is EUC: 0xA4 0xA2 is U+3042.
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(dir.file("\xA4\xA2.txt").c_str()),
            w32::FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(vek::ntlangwrap_get_action(), vek::NTLANGWRAP_WIDE);
}

TEST_F(NtLangWrap, JapaneseSystemsGetConvertedNarrowNames) {
  start(vek::LANG_ENGLISH, 0x0411);
  ASSERT_TRUE(w32::set_system_code_page(932));
  yrltest::write_file(dir.file("\xE3\x81\x82.txt"), "x");
  yrltest::ConsoleCapture console;
  // EUC 0xA4 0xA2 becomes Shift_JIS 0x82 0xA0, which code page 932 reads as U+3042.
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(dir.file("\xA4\xA2.txt").c_str()),
            w32::FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(console.out(), "pfa_filename_converter: change made\n   " + dir.file("\xA4\xA2.txt") +
                               "\n   " + dir.file("\x82\xA0.txt") + "\n");
  // A name without a Shift_JIS form (EUC code set 3) is refused, not garbled.
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(dir.file("\x8F\xB0\xA1").c_str()),
            w32::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(w32::GetLastError(), w32::ERROR_NO_UNICODE_TRANSLATION);
}

TEST_F(NtLangWrap, NamesAreBoundedTo259Bytes) {
  for (int action : {vek::NTLANGWRAP_WIDE, vek::NTLANGWRAP_NARROW, vek::NTLANGWRAP_CONVERTED}) {
    vek::ntlangwrap_testing_set_action(action);
    std::string longest = "/" + std::string(128, 'n') + "/" + std::string(129, 'n');
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(longest.c_str()), w32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_PATH_NOT_FOUND) << action;  // looked up
    std::string too_long = longest + "n";
    EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(too_long.c_str()), w32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILENAME_EXCED_RANGE) << action;
    EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(nullptr), w32::INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_INVALID_PARAMETER) << action;
  }
}

TEST_F(NtLangWrap, AnInvalidActionIsReportedAndFails) {
  show_serious_reports();
  yrltest::ConsoleCapture console;
  vek::ntlangwrap_testing_set_action(3);
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes("/"), w32::INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(console.out().rfind("ntlangwrap_GetFileAttributes:  invalid action\n", 0), 0u)
      << console.out();
}

}  // namespace
