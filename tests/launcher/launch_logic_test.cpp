// The launcher's decisions on their inputs: start directory, options, quoting of the
// passed-on arguments (checked against the stand-in's Windows command-line splitter),
// environment assignments, temporary names and the key path of a process-id file.
#include "launcher/launch_logic.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/w32/codepage.h"
#include "platform/w32/commandline.h"

namespace {

using trovask::TEXT_SIZE;

std::u16string wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

std::string narrow(const char16_t* text) {
  std::string out;
  for (; *text != u'\0'; ++text) out += static_cast<char>(*text);
  return out;
}

TEST(StartDirectory, CompletesEachKindOfDirectory) {
  struct Case {
    const char* dir;
    const char* current;  // null: the current directory cannot be read
    const char* expected;
  };
  const Case cases[] = {
      {"C:", "C:\\work", "C:\\"},                   // a bare drive gets its backslash
      {"d:", nullptr, "d:\\"},
      {"\\\\server\\share\\cd", "C:\\work", "\\\\server\\share\\cd"},  // network path
      {"//server/share", "C:\\work", "//server/share"},
      {"/\\server", "C:\\work", "/\\server"},
      {"E:\\cd\\disk1", "C:\\work", "E:\\cd\\disk1"},  // absolute
      {"e:/cd", "C:\\work", "e:/cd"},
      {".", "C:\\work", "C:\\work"},                 // the current directory itself
      {"medium", "C:\\work", "C:\\work\\medium"},   // relative, one directory
      {"..\\cd", "C:\\work", "C:\\work\\..\\cd"},
      {"C:cd", "C:\\work", "C:\\work\\C:cd"},       // drive-relative reads as relative
      {"\\cd", "C:\\work", "C:\\work\\\\cd"},
      {"1:\\cd", "C:\\work", "C:\\work\\1:\\cd"},   // no letter: relative
      {"medium", nullptr, "medium"},                // unreadable current directory
      {".", nullptr, "."},
  };
  for (const Case& c : cases) {
    char dir[TEXT_SIZE];
    std::strcpy(dir, c.dir);
    EXPECT_TRUE(trovask::complete_start_directory(dir, c.current)) << c.dir;
    EXPECT_STREQ(dir, c.expected) << c.dir;
  }
}

TEST(StartDirectory, DirectoryThatDoesNotFitIsLeftEmptyNotCut) {
  // A cut directory would name another one; an empty one is refused as unusable.
  std::string current = "C:\\" + std::string(1000, 'c');
  char dir[TEXT_SIZE];
  std::strcpy(dir, std::string(100, 'm').c_str());
  EXPECT_FALSE(trovask::complete_start_directory(dir, current.c_str()));
  EXPECT_STREQ(dir, "");
  EXPECT_FALSE(trovask::is_usable_start_directory(dir));
  std::string longest(TEXT_SIZE - 1, 'c');
  longest[0] = 'C';
  longest[1] = ':';
  longest[2] = '\\';
  std::strcpy(dir, ".");
  EXPECT_TRUE(trovask::complete_start_directory(dir, longest.c_str()));
  EXPECT_EQ(std::string(dir), longest);
  std::strcpy(dir, "m");
  EXPECT_FALSE(trovask::complete_start_directory(dir, std::string(TEXT_SIZE - 2, 'c').c_str()));
  EXPECT_STREQ(dir, "");
}

TEST(StartDirectory, OnlyAbsoluteAndNetworkDirectoriesAreUsable) {
  struct Case {
    const char* dir;
    bool usable;
  };
  const Case cases[] = {
      {"C:\\", true},  {"z:/x", true},  {"\\\\h\\s", true}, {"//", true},
      {"C:", false},   {"C:x", false},  {"\\x", false},     {"medium", false},
      {"", false},     {"1:\\", false}, {".", false},       {"/", false},
  };
  for (const Case& c : cases) EXPECT_EQ(trovask::is_usable_start_directory(c.dir), c.usable) << c.dir;
}

TEST(LauncherPath, SplitsAtTheLastBackslashOnly) {
  std::size_t length = 0;
  const char16_t* name = nullptr;
  const char16_t path[] = u"C:\\cd/x\\trovask.exe";
  ASSERT_TRUE(trovask::split_launcher_path(path, &length, &name));
  EXPECT_EQ(length, 7u);
  EXPECT_EQ(narrow(name), "trovask.exe");
  EXPECT_FALSE(trovask::split_launcher_path(u"C:/cd/trovask.exe", &length, &name));
  EXPECT_FALSE(trovask::split_launcher_path(u"trovask.exe", &length, &name));
}

TEST(LauncherPath, OnlyTheExactOwnNameMeansUtility) {
  EXPECT_TRUE(trovask::is_utility_name(u"veksetup.exe"));
  EXPECT_FALSE(trovask::is_utility_name(u"VEKSETUP.EXE"));
  EXPECT_FALSE(trovask::is_utility_name(u"Veksetup.exe"));
  EXPECT_FALSE(trovask::is_utility_name(u"veksetup.exe "));
  EXPECT_FALSE(trovask::is_utility_name(u"veksetup"));
  EXPECT_FALSE(trovask::is_utility_name(u""));
}

struct Parsed {
  bool utility;
  std::string lang;  // "" when not given
  std::string passed;
};

Parsed parse(const std::vector<std::string>& args, bool utility = false) {
  std::vector<std::u16string> storage;
  storage.push_back(u"C:\\cd\\trovask.exe");
  for (const std::string& a : args) storage.push_back(wide(a));
  std::vector<const char16_t*> argv;
  for (const std::u16string& s : storage) argv.push_back(s.c_str());
  trovask::LaunchOptions options;
  options.utility = utility;
  trovask::parse_options(static_cast<int>(argv.size()), argv.data(), &options);
  return {options.utility, options.lang_given ? options.lang : "", options.passed};
}

TEST(Options, LangInAnyCaseSetsLangAndIsNotPassedOn) {
  for (const char* spelling : {"-lang", "-LANG", "-Lang", "-lAnG"}) {
    Parsed p = parse({"one", spelling, "de_DE", "two"});
    EXPECT_EQ(p.lang, "LANG=de_DE") << spelling;
    EXPECT_EQ(p.passed, " one two") << spelling;
  }
  Parsed last = parse({"one", "-lang"});
  EXPECT_EQ(last.lang, "");
  EXPECT_EQ(last.passed, " one");
  Parsed twice = parse({"-lang", "fr", "-lang", "ja"});
  EXPECT_EQ(twice.lang, "LANG=ja");
  // A value too long for its assignment is not taken cut; an earlier one stays.
  std::string long_value(TEXT_SIZE - 3, 'l');
  EXPECT_EQ(parse({"-lang", long_value}).lang, "");
  EXPECT_EQ(parse({"-lang", "fr", "-lang", long_value, "two"}).lang, "LANG=fr");
  EXPECT_EQ(parse({"-lang", "fr", "-lang", long_value, "two"}).passed, " two");
  EXPECT_EQ(parse({"-langx", "fr"}).passed, " -langx fr");
}

TEST(Options, VekutilSetsUtilityAndKeepsTheNextArgument) {
  Parsed p = parse({"word", "-vekutil"});
  EXPECT_TRUE(p.utility);
  EXPECT_EQ(p.passed, " word -vekutil");
  Parsed next = parse({"-VEKUTIL", "after", "-lang", "de"});
  EXPECT_TRUE(next.utility);
  EXPECT_EQ(next.passed, " -vekutil after");
  EXPECT_EQ(next.lang, "LANG=de");
  EXPECT_FALSE(parse({"word"}).utility);
  EXPECT_TRUE(parse({"word"}, true).utility);
}

TEST(Options, ArgumentsThatNeedQuotesAreQuoted) {
  struct Case {
    const char* argument;
    const char* passed;
  };
  const Case cases[] = {
      {"plain", " plain"},
      {"two words", " \"two words\""},
      {"", " \"\""},
      {"tab\there", " \"tab\there\""},
      {"say\"hi\"", " \"say\\\"hi\\\"\""},
      {"C:\\dir\\", " C:\\dir\\"},
      {"C:\\my dir\\", " \"C:\\my dir\\\\\""},
      {"a\\\\\"b c", " \"a\\\\\\\\\\\"b c\""},
  };
  for (const Case& c : cases) EXPECT_EQ(parse({c.argument}).passed, c.passed) << c.argument;
}

// Whatever the arguments, the Windows splitter gives them back from the command line.
TEST(Options, PassedOnArgumentsSplitBackWhole) {
  const std::vector<std::string> args = {"plain", "two words", "", "a\"b", "back\\",
                                         "back\\ space\\", "\\\\\"", "\"", " lead", "x\\\\y z"};
  Parsed p = parse(args);
  std::u16string line = u"prog" + wide(p.passed);
  int count = 0;
  char16_t** argv = w32::CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(argv, nullptr);
  ASSERT_EQ(count, static_cast<int>(args.size()) + 1);
  for (std::size_t i = 0; i < args.size(); ++i) EXPECT_EQ(narrow(argv[i + 1]), args[i]) << i;
  w32::LocalFree(argv);
}

TEST(Options, OverlongArgumentsAreDroppedWholeNotCut) {
  std::string big(600, 'x');
  Parsed p = parse({"first", big, big + " y", "last"});
  // The first big one fits; the quoted second would not, so it is left out whole.
  EXPECT_EQ(p.passed, " first " + big + " last");
  EXPECT_LT(p.passed.size(), TEXT_SIZE);
}

TEST(Options, NarrowTextIsCutAndTerminated) {
  std::u16string long_text(2000, u'a');
  char buffer[TEXT_SIZE];
  EXPECT_FALSE(trovask::narrow_text(long_text.c_str(), buffer, sizeof buffer));
  EXPECT_EQ(std::strlen(buffer), TEXT_SIZE - 1);
  EXPECT_TRUE(trovask::narrow_text(u"caf\u00e9 \u4e2d", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "caf\xe9 ?");  // the system code page lacks the last one
}

TEST(Program, PathsWithBlanksAreQuoted) {
  char command[TEXT_SIZE] = "";
  ASSERT_TRUE(trovask::append_program(command, sizeof command, "C:\\cd\\a.exe"));
  EXPECT_STREQ(command, "C:\\cd\\a.exe");
  command[0] = '\0';
  ASSERT_TRUE(trovask::append_program(command, sizeof command, "C:\\my cd\\a.exe"));
  EXPECT_STREQ(command, "\"C:\\my cd\\a.exe\"");
}

TEST(Program, SetupNamesKeepTheirFormat) {
  char name[TEXT_SIZE];
  ASSERT_TRUE(trovask::setup_program_name("D:\\", "i486_nt", name, sizeof name));
  EXPECT_STREQ(name, "D:\\\\dsrc\\i486_nt\\obj\\veksetup.exe ");
  ASSERT_TRUE(trovask::setup_program_name("C:\\cd", "", name, sizeof name));
  EXPECT_STREQ(name, "C:\\cd\\dsrc\\\\obj\\veksetup.exe ");
  ASSERT_TRUE(trovask::setup_library_name("C:\\cd", "ia64_nt", name, sizeof name));
  EXPECT_STREQ(name, "C:\\cd\\dsrc\\ia64_nt\\obj\\mfc42.dll");
  EXPECT_FALSE(trovask::setup_program_name(std::string(1020, 'x').c_str(), "i486_nt", name, sizeof name));
}

std::vector<std::string> assignments(const trovask::Assignments& list) {
  return std::vector<std::string>(list.text, list.text + list.count);
}

TEST(Environment, AssignmentsInTheirOrder) {
  trovask::Assignments list;
  trovask::base_assignments("i486_nt", false, "C:\\cd", false, &list);
  EXPECT_EQ(assignments(list), (std::vector<std::string>{"VYN_MACHINE_TYPE=i486_nt", "VS_HELP=0"}));
  trovask::base_assignments("", true, "C:\\cd", true, &list);
  EXPECT_EQ(assignments(list),
            (std::vector<std::string>{"VYN_MACHINE_TYPE=", "VEK_CDHOME=C:\\cd\\",
                                      "DVS_DIRECTORY=C:\\cd\\dsrc", "VS_DIRECTORY=C:\\cd\\dsrc",
                                      "USE_NEW_SELECTION_TRAILING=0"}));
  trovask::medium_assignments("\\\\h\\s", &list);
  EXPECT_EQ(assignments(list),
            (std::vector<std::string>{"VEK_CDHOME=\\\\h\\s\\", "DVS_DIRECTORY=\\\\h\\s\\dsrc",
                                      "VS_DIRECTORY=\\\\h\\s\\dsrc"}));
}

TEST(TempName, ExtensionTurnsIntoPartOfTheName) {
  struct Case {
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\tmp\\vek1A.tmp", "C:\\tmp\\vek1A_tmp.exe"},
      {"C:\\tmp\\veksetup.exe", "C:\\tmp\\veksetup_exe.exe"},
      {"C:\\tmp\\name", "C:\\tmp\\name.exe"},
      {".abc", "_abc.exe"},
      {"ab", "ab.exe"},
  };
  for (const Case& c : cases) {
    char name[TEXT_SIZE];
    std::strcpy(name, c.name);
    EXPECT_TRUE(trovask::finish_temp_program_name(name, sizeof name));
    EXPECT_STREQ(name, c.expected);
  }
}

TEST(KeyPath, LinesBecomeKeysAndCarriageReturnsGo) {
  trovask::KeyPath path;
  trovask::key_path_start(&path);
  for (char c : std::string("Disk 1\r\nv2\n")) trovask::key_path_add(&path, static_cast<unsigned char>(c));
  EXPECT_STREQ(path.text, "SOFTWARE\\VEK\\VEK.Setup\\Disk 1\\v2\\");
  EXPECT_FALSE(path.overflow);
}

TEST(KeyPath, OverlongPathIsMarkedAndStaysInItsBuffer) {
  trovask::KeyPath path;
  trovask::key_path_start(&path);
  for (int i = 0; i < 400; ++i) trovask::key_path_add(&path, 'k');
  EXPECT_TRUE(path.overflow);
  EXPECT_EQ(std::strlen(path.text), trovask::KEY_PATH_SIZE - 1);
}

}  // namespace
