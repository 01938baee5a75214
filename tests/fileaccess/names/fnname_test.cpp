// Splitting, joining and building name texts.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fileaccess/names/fnstring.h"
#include "fileaccess/names/fnversion.h"
#include "fileaccess/names/oshelp.h"
#include "platform/w32/codepage.h"
#include "platform/w32/environment.h"
#include "tests/fileaccess/fileaccess_test.h"
#include "tests/fileaccess/names/names_test.h"
#include "runtime/text/lang.h"
#include "tests/support/temp_dir.h"

namespace {

class FnName : public yrltest::FileaccessTest {};

using yrltest::narrow;
using yrltest::widen;
// A wide output of the parsers: "(null)" for no part.
std::string part(const char16_t* w) { return w ? narrow(w) : "(null)"; }

TEST_F(FnName, ParseOsFilenameSplitsByTheGrammar) {
  struct Case {
    std::string name;
    std::string directory, base, extension, version;
  };
  const Case cases[] = {
      {"C:\\dir\\a.prt.3", "C:\\dir\\", "a", "prt", "3"},
      {"dir/sub/a.prt.3", "dir/sub/", "a", "prt", "3"},
      {".cfg.txt", "(null)", ".cfg", "txt", "(null)"},  // a leading dot belongs to the base
      {"\\d\\.cfg", "\\d\\", ".cfg", "(null)", "(null)"},
      {"a.prt.x3", "(null)", "a.prt.x3", "(null)", "(null)"},  // not a version: all base
      {"a.prt;2", "(null)", "a", "prt", "2"},
      {"a.prt.-2", "(null)", "a", "prt", "-2"},
      {"a.prt.", "(null)", "a", "prt", "(null)"},  // an empty version counts
      {"a.b.c.d", "(null)", "a.b.c.d", "(null)", "(null)"},
      {"a.b.c;2", "(null)", "a.b.c;2", "(null)", "(null)"},
      {"plain", "(null)", "plain", "(null)", "(null)"},
      {"dir\\", "dir\\", "(null)", "(null)", "(null)"},
  };
  for (const Case& c : cases) {
    std::u16string name = widen(c.name);
    char16_t *d = nullptr, *b = nullptr, *e = nullptr, *v = nullptr;
    ASSERT_EQ(vek::parse_os_filename(name.c_str(), &d, &b, &e, &v), 0) << c.name;
    EXPECT_EQ(part(d), c.directory) << c.name;
    EXPECT_EQ(part(b), c.base) << c.name;
    EXPECT_EQ(part(e), c.extension) << c.name;
    EXPECT_EQ(part(v), c.version) << c.name;
  }
  std::u16string longest(260, u'a');
  EXPECT_EQ(vek::parse_os_filename(longest.c_str(), nullptr, nullptr, nullptr, nullptr), 0);
  longest += u'a';
  char16_t* b = reinterpret_cast<char16_t*>(1);
  EXPECT_EQ(vek::parse_os_filename(longest.c_str(), nullptr, &b, nullptr, nullptr), 11);
  EXPECT_EQ(b, nullptr);
}

TEST_F(FnName, CatDirsJoinsWithOneDelimiterAndKeepsInnerBlanks) {
  struct Case {
    const char* first;
    const char* second;
    int result;
    std::string out;
  };
  const Case cases[] = {
      {"C:\\a\\", "\\b", 1, "C:\\a\\b"},
      {"C:\\a", "b", 1, "C:\\a\\b"},
      {"  C:\\Program Files ", " sub dir\t", 1, "C:\\Program Files\\sub dir"},
      {"", "b", 1, "b"},
      {"   ", "b", 1, "b"},
      {"a", "", 1, "a"},
      {"a", nullptr, 1, "a"},
      {"a\\\\", "\\\\b", 1, "a\\\\\\b"},  // one delimiter of each side goes
  };
  for (const Case& c : cases) {
    char out[vek::VYN_NAME_MAX] = "junk";
    EXPECT_EQ(vek::vyn_cat_dirs(c.first, c.second, out), c.result) << c.first;
    EXPECT_EQ(std::string(out), c.out) << c.first;
  }
  char out[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::vyn_cat_dirs(nullptr, "b", out), 0);
  EXPECT_EQ(vek::vyn_cat_dirs("a", "b", nullptr), 0);
}

// Built names of 260 characters or more are refused whole, never cut.
TEST_F(FnName, BuiltNamesNeverReachTheNameLimit) {
  std::string half(129, 'a');
  char out[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::vyn_cat_dirs(half.c_str(), half.c_str(), out), 1);  // 259 characters
  EXPECT_EQ(std::strlen(out), 259u);
  std::string more(130, 'a');
  std::strcpy(out, "junk");
  EXPECT_EQ(vek::vyn_cat_dirs(half.c_str(), more.c_str(), out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(vek::vyn_cat_path(half.c_str(), half.c_str(), out), 1);
  EXPECT_EQ(vek::vyn_cat_path(half.c_str(), more.c_str(), out), 0);
  EXPECT_STREQ(out, "");

  std::u16string name(255, u'n');
  char16_t wout[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::vyn_cat_location_name(u"\\d\\", -1, name.c_str(), 0, wout), 1);
  // The version would take the name to 261 characters: refused, not left off.
  EXPECT_EQ(vek::vyn_cat_location_name(u"\\d\\", -1, name.c_str(), 12, wout), 0);
  EXPECT_EQ(wout[0], 0);
  EXPECT_EQ(vek::vyn_cat_location_name_ext(u"", -1, name.c_str(), u"prt", 0, wout), 1);
  EXPECT_EQ(vek::vyn_cat_location_name_ext(u"\\d", -1, name.c_str(), u"prt", 0, wout), 0);
  // A location without its delimiter is written as the file layer forms it.
  struct Case {
    const char16_t* location;
    int type;
    std::string full;
  };
  const Case cases[] = {
      {u"\\d", -1, "\\d\\a.prt.3"},
      {u"C:\\d", 1, "C:\\d\\a.prt.3"},
      {u"C:", -1, "C:a.prt.3"},
      {u"\\\\srv\\share", -1, "\\\\srv\\share\\a.prt.3"},
      {u"\\d\\", 12345, "\\d\\a.prt.3"},  // copied as it stands
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vek::vyn_cat_location_name_ext(c.location, c.type, u"a", u"prt", 3, wout), 1)
        << c.full;
    EXPECT_EQ(yrltest::narrow(wout), c.full);
  }
  EXPECT_EQ(vek::vyn_cat_full_path_name(nullptr, u"c", u"\\d\\", name.c_str(), 0, wout), 0);
  EXPECT_EQ(vek::make_family_fullname_low(u"\\d", name.c_str(), u"g", nullptr, nullptr, wout), 1);
  EXPECT_EQ(wout[0], 0);
}

TEST_F(FnName, CatPathPutsOneDelimiterBetween) {
  struct Case {
    const char* directory;
    const char* name;
    std::string out;
  };
  const Case cases[] = {
      {"C:\\d\\", "a.prt", "C:\\d\\a.prt"},
      {"C:\\d", "a.prt", "C:\\d\\a.prt"},
      {"", "a.prt", "\\a.prt"},
      {"d/", "a", "d/\\a"},  // only '\\' counts as the directory's end here
  };
  for (const Case& c : cases) {
    char out[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::vyn_cat_path(c.directory, c.name, out), 1);
    EXPECT_EQ(std::string(out), c.out);
  }
  char out[vek::VYN_NAME_MAX];
  EXPECT_EQ(vek::vyn_cat_path(nullptr, "a", out), 0);
}

TEST_F(FnName, ExtractsHeadTailAndRelativePath) {
  struct HeadTail {
    std::string directory, head, tail, left;
  };
  const HeadTail cases[] = {
      {"C:\\a\\b\\c\\", "C:\\a\\b", "c", "C:\\a\\b\\c"},
      {"C:\\a\\b", "C:\\a", "b", "C:\\a\\b"},
      {"\\a", "\\", "a", "\\a"},
      {"abc", "", "abc", "abc"},
      {"", "", "", ""},
  };
  for (const HeadTail& c : cases) {
    char out[300];
    EXPECT_EQ(vek::extract_head_from_dir(c.directory.c_str(), out), 1);
    EXPECT_EQ(std::string(out), c.head) << c.directory;
    std::string text = c.directory;
    EXPECT_EQ(vek::extract_tail_from_dir(text.data(), out), 1);
    EXPECT_EQ(std::string(out), c.tail) << c.directory;
    EXPECT_EQ(std::string(text.c_str()), c.left) << c.directory;
  }
  struct Relative {
    const char* base;
    const char* full;
    int result;
    std::string out;
  };
  const Relative relatives[] = {
      {"C:\\a\\b", "C:\\a\\b\\c\\d", 1, "c\\d"},
      {"C:\\a\\b", "D:\\a\\b\\\\c", 1, "c"},  // devices go first; every '\\' after base too
      {"C:\\a\\b", "C:\\a\\b", 1, ""},
      {"C:\\a\\b", "C:\\a\\bc\\d", 0, ""},  // base is a prefix of a component only
      {"C:\\a\\b", "C:\\x", 0, ""},
      {"", "C:\\x", 1, "\\x"},
      {"C:\\a", "", 0, ""},
  };
  for (const Relative& c : relatives) {
    char out[300] = "";
    EXPECT_EQ(vek::extract_relative_path(c.base, c.full, out), c.result) << c.full;
    if (c.result) {
      EXPECT_EQ(std::string(out), c.out) << c.full;
    }
  }
}

TEST_F(FnName, LastDelimiterAndCharacterClasses) {
  const char* path = "C:\\d/e:f";
  const char* at = nullptr;
  EXPECT_EQ(vek::get_last_dir_delim(path, &at, 0, 0), 1);
  EXPECT_EQ(at, path + 4);
  EXPECT_EQ(vek::get_last_dir_delim(path, &at, 1, 1), 1);
  EXPECT_EQ(at, path + 7);
  EXPECT_EQ(vek::get_last_dir_delim("name", &at, 1, 0), 0);
  EXPECT_STREQ(at, "name");
  const char16_t* wpath = u"a\\b";
  const char16_t* wat = nullptr;
  EXPECT_EQ(vek::get_last_dir_w_delim(wpath, &wat, 0, 1), 1);
  EXPECT_EQ(wat, wpath + 2);

  for (const char* bad : {"a\\b", "a/b", "c:", "a*", "a?", "a\"", "a<", "a>", "a|"})
    EXPECT_EQ(vek::has_invalid_filename_chars(bad), 1) << bad;
  EXPECT_EQ(vek::has_invalid_filename_chars("plain name.prt;2"), 0);
  EXPECT_EQ(vek::has_invalid_filename_chars(nullptr), 0);

  std::string special = ".@;/[]\\$<>-~|!():";
  for (int c = 1; c < 0x3000; ++c) {
    bool expected = c < 128 && special.find(static_cast<char>(c)) != std::string::npos;
    EXPECT_EQ(vek::is_special_filename_char(static_cast<char16_t>(c)), expected ? 1 : 0) << c;
  }
  EXPECT_EQ(vek::string_has_special_chars(u"plain"), 0);
  EXPECT_EQ(vek::string_has_special_chars(u"fam<gen>"), 1);
}

TEST_F(FnName, FamilyNames) {
  struct Case {
    const char16_t *directory, *instance, *generic, *extension, *version;
    std::string out;
  };
  const Case cases[] = {
      {nullptr, u"inst", u"gen", nullptr, nullptr, "inst<gen>"},
      {nullptr, u"gen", u"gen", nullptr, nullptr, "gen"},  // equal: the generic alone
      {nullptr, nullptr, u"gen", nullptr, nullptr, "gen"},
      {nullptr, u"inst", nullptr, nullptr, nullptr, "inst"},
      {u"C:\\d", u"i", u"g", u"prt", u"3", "C:\\d\\i<g>.prt.3"},
      {u"C:\\d\\", u"i", u"g", u"", u"", "C:\\d\\i<g>"},
  };
  for (const Case& c : cases) {
    char16_t out[vek::VYN_NAME_MAX];
    EXPECT_EQ(vek::make_family_fullname_low(c.directory, c.instance, c.generic, c.extension,
                                            c.version, out),
              0);
    EXPECT_EQ(narrow(out), c.out);
  }
  EXPECT_EQ(vek::make_family_name(u"a", u"b", nullptr), 92);

  struct Split {
    const char16_t* name;
    int result;
    std::string rest, generic;
  };
  const Split splits[] = {
      {u"C:\\d\\inst<gen>.prt", 0, "C:\\d\\inst.prt", "gen"},
      {u"C:\\x<y>\\plain.prt", 0, "C:\\x<y>\\plain.prt", ""},  // brackets in the path
      {u"inst<gen", 11, "", ""},
      {u"inst<gen>>", 11, "", ""},
  };
  for (const Split& c : splits) {
    char16_t rest[vek::VYN_NAME_MAX + 1], generic[vek::VYN_NAME_MAX + 1];
    EXPECT_EQ(vek::filename_extract_gen_and_inst(c.name, rest, generic), c.result);
    if (c.result == 0) {
      EXPECT_EQ(narrow(rest), c.rest);
      EXPECT_EQ(narrow(generic), c.generic);
    }
  }
  EXPECT_EQ(vek::filename_extract_gen_and_inst(u"a<b>", nullptr, nullptr), 0);
  EXPECT_EQ(vek::is_family_name(u"d\\a<b>.prt"), 1);
  EXPECT_EQ(vek::is_family_name(u"d<b>\\a.prt"), 0);
  EXPECT_EQ(vek::is_family_name(u"a>b<"), 0);
}

TEST_F(FnName, FullPathNames) {
  char16_t out[vek::VYN_NAME_MAX];
  struct Case {
    const char16_t *host, *device, *path, *name;
    int version;
    std::string out;
  };
  const Case cases[] = {
      {nullptr, nullptr, u"\\d\\", u"a.prt", 3, "\\d\\a.prt.3"},
      {nullptr, u"e", u"\\d", u"a.prt", 0, "e:\\d\\a.prt"},
      {nullptr, u"e", u"\\d\\", u"a.prt", 2, "e:\\d\\a.prt.2"},
      {u"host", u"e", u"\\d", u"a", 0, "\\\\host\\e$\\d\\a"},
      {nullptr, u"e", u"srv||", u"a", 0, "srv||a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(vek::vyn_cat_full_path_name(c.host, c.device, c.path, c.name, c.version, out), 1);
    EXPECT_EQ(narrow(out), c.out);
  }
  // No device: the current drive, in lower case; a device given keeps its case.
  EXPECT_EQ(vek::vyn_cat_full_path_name(u"h", u"", u"\\d", u"a", 0, out), 1);
  EXPECT_EQ(narrow(out), "\\\\h\\c$\\d\\a");
  EXPECT_EQ(vek::vyn_cat_full_path_name(nullptr, u"E", u"\\d", u"a", 0, out), 1);
  EXPECT_EQ(narrow(out), "E:\\d\\a");
  // An empty path is the current directory; a relative one is made full, its drive
  // taking the device's place.
  yrltest::TempDir dir;
  ASSERT_TRUE(w32::SetCurrentDirectoryA(dir.path().c_str()));
  std::string current = dir.path();
  for (char& c : current) c = c == '/' ? '\\' : c;
  EXPECT_EQ(vek::vyn_cat_full_path_name(nullptr, u"e", u"", u"a", 0, out), 1);
  EXPECT_EQ(narrow(out), "e:" + current + "\\a");
  EXPECT_EQ(vek::vyn_cat_full_path_name(nullptr, u"e", u"sub", u"a", 0, out), 1);
  EXPECT_EQ(narrow(out), "C:" + current + "\\sub\\a");
  EXPECT_EQ(vek::vyn_cat_full_path_name_ext(nullptr, u"e", u"\\d", u"a", u"prt", 4, out), 1);
  EXPECT_EQ(narrow(out), "e:\\d\\a.prt.4");
  EXPECT_EQ(vek::vyn_cat_full_path_name_ext(nullptr, nullptr, u"\\d\\", u"a", u"prt", 0, out), 1);
  EXPECT_EQ(narrow(out), "\\d\\a.prt");
  // The name may be the output buffer itself.
  std::memcpy(out, u"same", 10);
  EXPECT_EQ(vek::vyn_cat_location_name(u"\\d\\", -1, out, 1, out), 1);
  EXPECT_EQ(narrow(out), "\\d\\same.1");
}

}  // namespace

namespace {

// In a double-byte session the trail byte 0x5C of 0x95 0x5C (one character of code page
// 932) is no delimiter; in English it is.
TEST_F(FnName, NarrowNamesAreReadByWholeCharacters) {
  ASSERT_TRUE(w32::set_system_code_page(932));
  struct Case {
    int language;
    std::string directory, base, extension, tail, no_extension;
    int version;
    int invalid;
  };
  const Case cases[] = {
      {vek::LANG_GENERIC_MULTIBYTE, "d\\", "\x95\x5C", "prt", "\x95\x5C.prt.3", "d\\\x95\x5C", 3,
       0},
      // The file part is ".prt.3": a leading dot begins the base name.
      {vek::LANG_ENGLISH, "d\\\x95\\", ".prt", "3", ".prt.3", "d\\\x95\\.prt", 3, 1},
  };
  const char* name = "d\\\x95\x5C.prt.3";
  for (const Case& c : cases) {
    vek::set_language(c.language);
    char *d = nullptr, *b = nullptr, *e = nullptr;
    ASSERT_EQ(vek::proj_parse_filename(name, &d, &b, &e, nullptr), 0);
    EXPECT_EQ(std::string(d ? d : "(null)"), c.directory) << c.language;
    EXPECT_EQ(std::string(b ? b : "(null)"), c.base) << c.language;
    EXPECT_EQ(std::string(e ? e : "(null)"), c.extension) << c.language;
    char out[64];
    std::strcpy(out, name);
    vek::extract_tail_from_dir(out, out);
    EXPECT_EQ(std::string(out), c.tail) << c.language;
    vek::strip_ext_from_ascii_fname(name, out);
    EXPECT_EQ(std::string(out), c.no_extension) << c.language;
    EXPECT_EQ(vek::get_version_from_ascii_fname(name, out), c.version) << c.language;
    EXPECT_EQ(vek::has_invalid_filename_chars("\x95\x5C"), c.invalid) << c.language;
  }
}

}  // namespace
