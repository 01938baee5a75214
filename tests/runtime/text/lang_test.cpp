// The language state, the locale table, the environment and the resource loader.
#include "runtime/text/lang.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include <sys/stat.h>

#include "runtime/diag/runmode.h"
#include "runtime/text/lang_testing.h"
#include "runtime/text/wide.h"
#include "tests/support/console_capture.h"
#include "tests/support/runtime_test.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "<unset>";
}

std::string numeric_locale() { return std::setlocale(LC_NUMERIC, nullptr); }

class Lang : public yrltest::RuntimeTest {
 protected:
  // Every variable the language reads or writes is unset for the test and put back after.
  Lang() {
    for (const char* name : {"VYN_LANG", "LANG", "LC_ALL", "CUSTOM_LOCALE_IS_MULTIBYTE",
                             "CUSTOM_LOCALE_TEXT_DIR", "VYN_DIRECTORY"}) {
      env_.set(name, nullptr);
    }
  }
  // These tests start with no language set, as a fresh process does.
  void SetUp() override { yrltest::reset_runtime_state(); }
  yrltest::ScopedEnv env_;
};

// ---- The locale table and the language predicates ------------------------------------

TEST_F(Lang, NamesGiveTheFirstMatchingRowIgnoringCase) {
  struct Case {
    const char* name;
    int id;
  };
  const Case cases[] = {
      {"usascii", 0},   {"USASCII", 0},     {"C", 0},
      {"c", 0},         {"japanese", 1},    {"French", 2},
      {"german", 3},    {"ru", 4},          {"RUSSIAN", 4},
      {"italian", 5},   {"spanish", 7},     {"korean", 8},
      {"chinese_tw", 9}, {"cht", 9},        {"Chinese-Traditional", 9},
      {"chinese_cn", 10}, {"CHS", 10},      {"chinese-simplified", 10},
      {"hebrew", 12},   {"klingon", -1},    {" japanese", -1},  // compared from the first byte
      {"japanese ", -1}, {"a\xE9", -1},     {"", -2},
      {" \t\n", -2},    {"\xE9\xFF", -2},  // bytes 128 to 255 count as blanks
  };
  for (const Case& c : cases) EXPECT_EQ(vek::lang_id_by_name(c.name), c.id) << c.name;
  EXPECT_EQ(vek::lang_id_by_name(nullptr), -1);
}

TEST_F(Lang, IdsGiveTheirFirstRowsName) {
  const std::pair<int, const char*> cases[] = {
      {0, "usascii"},  {1, "japanese"},   {2, "french"},      {3, "german"},
      {4, "russian"},  {5, "italian"},    {6, "usascii"},     {7, "spanish"},
      {8, "korean"},   {9, "chinese_tw"}, {10, "chinese_cn"}, {11, "usascii"},
      {12, "hebrew"},  {13, ""},          {-1, ""},           {1000, ""},
  };
  for (const auto& [id, name] : cases) {
    EXPECT_STREQ(vek::lang_name_by_id(id), name) << id;
    EXPECT_EQ(vek::is_valid_language(id), *name ? 1 : 0) << id;
  }
}

TEST_F(Lang, PredicatesAndCodePagesFollowTheLanguageTable) {
  struct Row {
    int id, code_page, multibyte, generic, right_to_left;
  };
  const Row rows[] = {
      {0, 0, 0, 0, 0},     {1, 932, 1, 0, 0},  {2, 0, 0, 0, 0},   {3, 0, 0, 0, 0},
      {4, 1251, 0, 0, 0},  {5, 0, 0, 0, 0},    {6, 0, 1, 1, 0},   {7, 0, 0, 0, 0},
      {8, 949, 1, 0, 0},   {9, 950, 1, 0, 0},  {10, 936, 1, 0, 0}, {11, 0, 0, 1, 0},
      {12, 28598, 0, 0, 1}, {13, 0, 0, 0, 0},  {-7, 0, 0, 0, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(vek::lang_get_code_page(r.id), r.code_page) << r.id;
    EXPECT_EQ(vek::is_multibyte_language(r.id), r.multibyte) << r.id;
    EXPECT_EQ(vek::is_generic_language(r.id), r.generic) << r.id;
    EXPECT_EQ(vek::is_righttoleft_language(r.id), r.right_to_left) << r.id;
  }
}

TEST_F(Lang, TableIsBuiltOnceAndASecondBuildIsRefused) {
  EXPECT_EQ(vek::lang_locale_init(), 1);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::lang_locale_init(), 0);
  EXPECT_EQ(console.out(), "lang_locale_init: The locale table is already initialized!\n");
  EXPECT_EQ(vek::lang_id_by_name("chs"), 10);
}

// ---- Setting and reading the language --------------------------------------------------

TEST_F(Lang, SetLanguageReturnsThePreviousIdAndDrivesTheEucConversions) {
  EXPECT_EQ(vek::set_language(1), -1);
  EXPECT_EQ(vek::get_japanese_for_wchar_conv(), 1);
  EXPECT_EQ(vek::get_language(), 1);
  EXPECT_EQ(vek::set_language(0), 1);
  EXPECT_EQ(vek::get_japanese_for_wchar_conv(), 0);
  EXPECT_EQ(vek::set_language(12), 0);
  EXPECT_EQ(vek::get_language(), 12);
}

TEST_F(Lang, CurrentLanguageIsReadAtEveryCall) {
  // The first use takes the language from the (empty) environment; a later
  // set_language must reach every path that asks for the current language.
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_EQ(vek::lang_get_code_page(-1), 0);
  EXPECT_EQ(vek::isrtol(0xE0, 1), 0);
  vek::set_language(12);
  EXPECT_EQ(vek::lang_get_code_page(-1), 28598);
  EXPECT_EQ(vek::isrtol(0xE0, 1), 1);
  vek::set_language(8);
  EXPECT_EQ(vek::lang_get_code_page(-1), 949);
  setenv("CUSTOM_LOCALE_TEXT_DIR", "custom", 1);
  char dir[vek::LANG_TEXT_DIR_SIZE] = "";
  EXPECT_EQ(vek::get_generic_lang_text_dir(dir), 0);
  vek::set_language(11);
  EXPECT_EQ(vek::get_generic_lang_text_dir(dir), 1);
  EXPECT_STREQ(dir, "custom");
}

// ---- The environment ---------------------------------------------------------------

TEST_F(Lang, WithoutVariablesTheLanguageIsEnglishSilentlyInAUsersRun) {
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_EQ(console.out(), "");
  EXPECT_EQ(numeric_locale(), "C");

  vek::set_run_mode(1);
  EXPECT_EQ(vek::set_local(), 0);
  EXPECT_EQ(console.out(), "\nWARNING: LANG environment is not set. Using default (USASCII).\n");
  EXPECT_EQ(vek::get_language(), 0);
}

TEST_F(Lang, VynLangWinsAndIsPutIntoTheEnvironmentAsLang) {
  setenv("LANG", "german", 1);
  setenv("VYN_LANG", "japanese", 1);
  EXPECT_EQ(vek::set_local(), 1);
  EXPECT_EQ(vek::get_language(), 1);
  EXPECT_EQ(env("LANG"), "japanese");
  EXPECT_STREQ(vek::vyn_get_lang_env(), "japanese");
  EXPECT_EQ(numeric_locale(), "C");
}

TEST_F(Lang, BlankVynLangIsReportedAndLangDecides) {
  setenv("VYN_LANG", "  ", 1);
  setenv("LANG", "German", 1);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::set_local(), 3);
  EXPECT_EQ(console.out(), "WANRNING: VYN_LANG=   is an invalid setting.\n");
  EXPECT_EQ(vek::get_language(), 3);
  EXPECT_EQ(env("LANG"), "German");
}

TEST_F(Lang, UnknownNamesGiveAGenericLanguage) {
  setenv("LANG", "klingon", 1);
  EXPECT_EQ(vek::set_local(), -1);
  EXPECT_EQ(vek::get_language(), 11);
  EXPECT_EQ(numeric_locale(), "C");

  vek::lang_testing_reset();  // the multibyte switch is read once per process
  setenv("CUSTOM_LOCALE_IS_MULTIBYTE", "TRUE", 1);
  EXPECT_EQ(vek::set_local(), -1);
  EXPECT_EQ(vek::get_language(), 6);
}

TEST_F(Lang, BlankLangGivesEnglishAndMinusTwo) {
  setenv("LANG", " ", 1);
  EXPECT_EQ(vek::set_local(), -2);
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

TEST_F(Lang, AnUnknownNameTheCLibraryKnowsBecomesTheLocaleExceptForNumbers) {
  if (!std::setlocale(LC_ALL, "C.UTF-8")) GTEST_SKIP() << "no C.UTF-8 locale here";
  std::setlocale(LC_ALL, "C");
  setenv("LANG", "C.UTF-8", 1);
  EXPECT_EQ(vek::set_local(), -1);
  EXPECT_EQ(vek::get_language(), 11);
  EXPECT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C.UTF-8");
  EXPECT_EQ(numeric_locale(), "C");
}

TEST_F(Lang, LongVariablesAreCutNeverOverrun) {
  std::string name(1000, 'k');
  setenv("VYN_LANG", name.c_str(), 1);
  EXPECT_EQ(vek::set_local(), -1);
  EXPECT_EQ(env("LANG"), name.substr(0, 259));
  EXPECT_EQ(std::strlen(vek::vyn_get_lang_env()), 259u);
}

TEST_F(Lang, GenericLanguageIdReadsTheMultibyteSwitchOnce) {
  const std::pair<const char*, int> cases[] = {
      {"true", 6}, {"TRUE", 6}, {"True", 6},  {"yes", 11},
      {"", 11},    {"1", 11},   {" true", 11}, {nullptr, 11},
  };
  for (const auto& [value, id] : cases) {
    vek::lang_testing_reset();
    if (value) {
      setenv("CUSTOM_LOCALE_IS_MULTIBYTE", value, 1);
    } else {
      unsetenv("CUSTOM_LOCALE_IS_MULTIBYTE");
    }
    EXPECT_EQ(vek::get_generic_lang_id(), id) << (value ? value : "<unset>");
  }
  setenv("CUSTOM_LOCALE_IS_MULTIBYTE", "true", 1);
  EXPECT_EQ(vek::get_generic_lang_id(), 11) << "read once";
}

TEST_F(Lang, GenericTextDirectoryNeedsOneTo31Characters) {
  vek::set_language(6);
  char dir[vek::LANG_TEXT_DIR_SIZE];
  EXPECT_EQ(vek::get_generic_lang_text_dir(dir), 0);  // unset
  setenv("CUSTOM_LOCALE_TEXT_DIR", "", 1);
  EXPECT_EQ(vek::get_generic_lang_text_dir(dir), 0);
  std::string longest(31, 'd');
  setenv("CUSTOM_LOCALE_TEXT_DIR", longest.c_str(), 1);
  EXPECT_EQ(vek::get_generic_lang_text_dir(dir), 1);
  EXPECT_EQ(std::string(dir), longest);
  setenv("CUSTOM_LOCALE_TEXT_DIR", (longest + "d").c_str(), 1);
  EXPECT_EQ(vek::get_generic_lang_text_dir(dir), 0);
  EXPECT_EQ(vek::get_generic_lang_text_dir(nullptr), 0);
}

TEST_F(Lang, ResetLanguagePutsTheEnglishNameIntoLang) {
  setenv("LANG", "german", 1);
  EXPECT_EQ(vek::get_language(), 3);
  EXPECT_EQ(vek::reset_language(), 0);
  EXPECT_EQ(env("LANG"), "usascii");
  EXPECT_EQ(vek::get_language(), 0);
}

TEST_F(Lang, ForcedEnglishHoldsAgainstTheEnvironment) {
  setenv("LANG", "japanese", 1);
  EXPECT_EQ(vek::get_language(), 1);
  EXPECT_EQ(vek::lang_get_force_english(), 0);
  EXPECT_EQ(vek::lang_set_force_english(), 0);
  EXPECT_EQ(vek::lang_get_force_english(), 1);
  EXPECT_EQ(env("LANG"), "C");
  EXPECT_EQ(env("LC_ALL"), "C");
  EXPECT_EQ(env("VYN_LANG"), "C");
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_EQ(vek::get_japanese_for_wchar_conv(), 0);

  // A later name is still looked up, but the language stays English.
  setenv("VYN_LANG", "korean", 1);
  EXPECT_EQ(vek::set_local(), 8);
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

// ---- Data of another language ------------------------------------------------------

TEST_F(Lang, RecordedLanguageAndPropagateFlagAreSwapped) {
  EXPECT_EQ(vek::get_ugc_lang_id(), -1);
  EXPECT_EQ(vek::set_ugc_lang_id(3), -1);
  EXPECT_EQ(vek::set_ugc_lang_id(5), 3);
  EXPECT_EQ(vek::get_lang_propagate(), 1);
  EXPECT_EQ(vek::set_lang_propagate(0), 1);
  EXPECT_EQ(vek::get_lang_propagate(), 0);
}

TEST_F(Lang, MultibyteSwitchNeedsALocaleTheCLibraryKnows) {
  vek::set_language(0);
  EXPECT_EQ(vek::set_ugc_mb_lang_env(2), 0);   // no multibyte locale for French
  EXPECT_EQ(vek::set_ugc_mb_lang_env(11), 0);
  EXPECT_EQ(vek::set_ugc_mb_lang_env(6), 1);   // nothing to switch
  EXPECT_EQ(vek::get_language(), 0);

  const std::pair<int, const char*> locales[] = {
      {1, "japanese"}, {8, "korean"}, {9, "cht"}, {10, "chs"}};
  for (const auto& [id, locale] : locales) {
    bool known = std::setlocale(LC_ALL, locale) != nullptr;
    std::setlocale(LC_ALL, "C");
    vek::set_language(0);
    EXPECT_EQ(vek::set_ugc_mb_lang_env(id), known ? 1 : 0) << locale;
    EXPECT_EQ(vek::get_language(), known ? id : 0) << locale;
    EXPECT_EQ(numeric_locale(), "C");
  }
}

TEST_F(Lang, EnglishEnvironmentReturnsThePreviousLanguage) {
  vek::set_language(4);
  EXPECT_EQ(vek::set_ugc_eng_lang_env(), 4);
  EXPECT_EQ(vek::get_language(), 0);
  vek::set_language(9);
  EXPECT_EQ(vek::set_lang_env(), 9);
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");
}

TEST_F(Lang, ReadingSwitchesOnlyFromEnglishToMultibyte) {
  vek::set_language(0);
  EXPECT_EQ(vek::set_ugc_ret_lang_env(0), 0);
  EXPECT_EQ(vek::set_ugc_ret_lang_env(99), 0);  // no such language: the current one
  EXPECT_EQ(vek::set_ugc_ret_lang_env(2), 0);   // single-byte target: no switch
  EXPECT_EQ(vek::get_language(), 0);
  EXPECT_EQ(vek::set_ugc_ret_lang_env(6), 1);   // generic multibyte needs no locale

  // Japanese: switched when the platform knows the locale, else back to English.
  bool known = std::setlocale(LC_ALL, "japanese") != nullptr;
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(vek::set_ugc_ret_lang_env(1), known ? 1 : 0);
  EXPECT_EQ(vek::get_language(), known ? 1 : 0);

  vek::set_language(3);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::set_ugc_ret_lang_env(2), 0);
  EXPECT_EQ(console.out(),
            "Warning:: Loading a non-english file into another non-english session\n"
            "The data integrity is not guranteed\n");
  EXPECT_EQ(vek::get_language(), 3);
}

TEST_F(Lang, SavingRecordsTheLanguageOfTheData) {
  vek::set_language(0);
  EXPECT_EQ(vek::set_ugc_save_lang_env(0), 0);
  EXPECT_EQ(vek::get_ugc_lang_id(), 0);
  EXPECT_EQ(vek::set_ugc_save_lang_env(2), 0);
  EXPECT_EQ(vek::get_ugc_lang_id(), 2);
  EXPECT_EQ(vek::get_language(), 0);

  vek::set_language(3);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::set_ugc_save_lang_env(2), 0);  // propagating: the session's language
  EXPECT_EQ(console.out(),
            "Warning:: A non-english file is saved under a non-english session\n"
            "Data integrity is not guaranteed\n");
  EXPECT_EQ(vek::get_ugc_lang_id(), 3);
  vek::set_lang_propagate(0);
  EXPECT_EQ(vek::set_ugc_save_lang_env(2), 0);
  EXPECT_EQ(vek::get_ugc_lang_id(), 2);
  EXPECT_EQ(vek::set_ugc_save_lang_env(0), 0);  // an English file keeps the session's
  EXPECT_EQ(vek::get_ugc_lang_id(), 3);
  EXPECT_EQ(vek::set_ugc_save_lang_env(3), 0);
  EXPECT_EQ(vek::get_ugc_lang_id(), 3);
}

// ---- Right-to-left bytes and localized strings -------------------------------------------

TEST_F(Lang, RightToLeftBytesAreTheHebrewLetters) {
  vek::set_language(0);
  const std::pair<int, int> bytes[] = {{223, 0}, {224, 1}, {237, 1}, {250, 1}, {251, 0}, {'a', 0}};
  for (const auto& [byte, rtl] : bytes) {
    EXPECT_EQ(vek::isrtol(static_cast<unsigned char>(byte), 0), rtl) << byte;
    EXPECT_EQ(vek::isrtol(static_cast<unsigned char>(byte), 1), 0) << byte;
  }
  EXPECT_EQ(vek::iswrtol(u'\u00E0', 0), 1);  // its narrow English form is byte 224
  EXPECT_EQ(vek::iswrtol(u'a', 0), 0);
  vek::set_language(12);
  EXPECT_EQ(vek::isrtol(224, 1), 1);
  EXPECT_EQ(vek::iswrtol(u'\u05D0', 1), 1);
  EXPECT_EQ(vek::iswrtol(u'\u05EA', 1), 1);
  EXPECT_EQ(vek::iswrtol(u'\u05EB', 1), 0);
}

TEST_F(Lang, LocalizedStringsAreEucInAJapaneseSession) {
  const char* text = "a\x82\xA0\xB1";  // 'a', the Shift_JIS pair of row 4 cell 2, a katakana
  const char* out = nullptr;
  int chars = -1, bytes = -1;
  vek::set_language(0);
  EXPECT_EQ(vek::localize_string(text, &out, &chars, &bytes), 0);
  EXPECT_EQ(out, text);
  EXPECT_EQ(bytes, 4);
  EXPECT_EQ(chars, 4);

  vek::set_language(1);
  EXPECT_EQ(vek::localize_string(text, &out, &chars, &bytes), 0);
  EXPECT_STREQ(out, "a\xA4\xA2\x8E\xB1");
  EXPECT_EQ(bytes, 5);
  EXPECT_EQ(chars, 3);
}

TEST_F(Lang, LocalizedStringIsCutAtItsBuffer) {
  vek::set_language(1);
  std::string text(2000, '\xB1');  // each becomes two bytes
  const char* out = nullptr;
  int chars = 0, bytes = 0;
  EXPECT_EQ(vek::localize_string(text.c_str(), &out, &chars, &bytes), 1);
  EXPECT_LT(bytes, 520);
  EXPECT_EQ(static_cast<size_t>(bytes), std::strlen(out));
  EXPECT_EQ(bytes, 2 * chars);
}

// ---- The resource loader -------------------------------------------------------------

class LangResource : public Lang {
 protected:
  std::string write(const std::string& text) {
    std::string path = dir_.file("vyn_i18n.res");
    yrltest::write_file(path, text);
    return path;
  }
  yrltest::TempDir dir_;
};

const char* const kResource =
    "! language resource\n"
    "[OTHER]\n"
    "{WINDOWS}\n"
    "GERMAN other_section\n"
    "[LOCALE]\n"
    "{UNIX}\n"
    "JAPANESE ja_JP.eucJP\n"
    "}\n"
    "! the platform section\n"
    "  {WINDOWS}\n"
    "JAPANESE\tjpn\n"
    "! KOREAN commented\n"
    "KOREAN kor trailing words\n"
    "KLINGON tlh\n"
    "ONLYONE\n"
    "\n"
    "japanese lower_case_language\n"
    "CHINESE_TW  cht_custom\n"
    "GENERIC_LANG_SB sb\n"
    "}\n"
    "GERMAN after_section\n";

TEST_F(LangResource, LoadsTheWindowsLocalesOfTheLocaleSection) {
  std::string path = write(kResource);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::langLoadExtTbl(path.c_str(), 0), 0);
  EXPECT_EQ(console.out(), "Unrecognized language \"KLINGON\" in " + path + ".\n" +
                               "Unrecognized language \"japanese\" in " + path + ".\n");
  const std::pair<const char*, int> names[] = {
      {"jpn", 1}, {"kor", 8}, {"cht_custom", 9}, {"sb", 11},
      {"usascii", -1},  // the table was emptied first
      {"other_section", -1}, {"ja_JP.eucJP", -1}, {"tlh", -1}, {"after_section", -1},
      {"trailing", -1}, {"lower_case_language", -1},
  };
  for (const auto& [name, id] : names) EXPECT_EQ(vek::lang_id_by_name(name), id) << name;
  EXPECT_STREQ(vek::lang_name_by_id(1), "jpn");
  EXPECT_STREQ(vek::lang_name_by_id(0), "");
}

TEST_F(LangResource, AppendingKeepsTheBuiltInRowsFirst) {
  std::string path = write(kResource);
  yrltest::ConsoleCapture console;
  EXPECT_EQ(vek::langLoadExtTbl(path.c_str(), 1), 0);
  EXPECT_EQ(vek::lang_id_by_name("usascii"), 0);
  EXPECT_EQ(vek::lang_id_by_name("jpn"), 1);
  EXPECT_STREQ(vek::lang_name_by_id(1), "japanese");
}

TEST_F(LangResource, ASectionLineBeforeThePlatformEndsTheReading) {
  std::string path = write("[LOCALE]\n[NEXT]\n{WINDOWS}\nGERMAN deu\n");
  EXPECT_EQ(vek::langLoadExtTbl(path.c_str(), 0), 0);
  EXPECT_EQ(vek::lang_id_by_name("deu"), -1);
  EXPECT_EQ(vek::lang_id_by_name("usascii"), -1);
}

TEST_F(LangResource, LongNamesAreCutToTheTablesNameField) {
  // 63 characters fit the name field; the line stays within the 81 read at once.
  std::string name(70, 'x');
  std::string path = write("[LOCALE]\n{WINDOWS}\nGERMAN " + name + "\nFRENCH fra");
  EXPECT_EQ(vek::langLoadExtTbl(path.c_str(), 0), 0);
  EXPECT_EQ(vek::lang_id_by_name(name.substr(0, 63).c_str()), 3);
  EXPECT_EQ(std::strlen(vek::lang_name_by_id(3)), 63u);
  EXPECT_EQ(vek::lang_id_by_name("fra"), 2) << "a last line without its newline";
}

// A file written with CRLF line ends gives the same names: the carriage return is no
// part of the last word.
TEST_F(LangResource, CrlfLineEndsAreCutFromTheLocaleNames) {
  std::string path = write(
      "[LOCALE]\r\n{WINDOWS}\r\nFRENCH fra\r\nGERMAN\tdeu \r\nKOREAN\r\n}\r\n");
  EXPECT_EQ(vek::langLoadExtTbl(path.c_str(), 0), 0);
  EXPECT_EQ(vek::lang_id_by_name("fra"), 2);
  EXPECT_EQ(vek::lang_id_by_name("deu"), 3);
  EXPECT_STREQ(vek::lang_name_by_id(2), "fra");
  EXPECT_STREQ(vek::lang_name_by_id(8), "") << "a line of one word is skipped";
}

TEST_F(LangResource, MissingFilesAndPathsAreRefusedWithTheTableUntouched) {
  yrltest::ConsoleCapture console;
  std::string missing = dir_.file("none.res");
  EXPECT_EQ(vek::langLoadExtTbl(missing.c_str(), 0), -1);
  EXPECT_EQ(console.out(), "langLoadExtTbl: File \"" + missing + "\" could not be opened.\n");
  EXPECT_EQ(vek::langLoadExtTbl(nullptr, 0), 100);
  EXPECT_EQ(vek::lang_id_by_name("usascii"), 0);
}

TEST_F(LangResource, InitReadsTheFileBelowTheProductDirectory) {
  EXPECT_EQ(vek::lang_init(0), -1) << "VYN_DIRECTORY unset";
  std::string text_dir = dir_.file("text");
  ASSERT_EQ(mkdir(text_dir.c_str(), 0700), 0);
  yrltest::write_file(text_dir + "/vyn_i18n.res", "[LOCALE]\n{WINDOWS}\nHEBREW heb\n}\n");
  setenv("VYN_DIRECTORY", dir_.path().c_str(), 1);
  EXPECT_EQ(vek::lang_init(0), 0);
  EXPECT_EQ(vek::lang_id_by_name("heb"), 12);
  EXPECT_EQ(vek::lang_id_by_name("hebrew"), -1);

  setenv("VYN_DIRECTORY", std::string(300, 'd').c_str(), 1);
  EXPECT_EQ(vek::lang_init(1), -1) << "path too long";
  EXPECT_EQ(vek::lang_id_by_name("heb"), 12);
}

}  // namespace
