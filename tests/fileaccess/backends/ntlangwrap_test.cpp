// The language-dependent wrappers: the action chosen once per process, and the file
// attributes through the wide, the narrow and the converting entry points.
#include "fileaccess/backends/ntlangwrap.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <vector>
#include <string>

#include "fileaccess/backends/ntlangwrap_testing.h"
#include "fileaccess/core/pfadircache_testing.h"
#include "platform/w32/changenotify.h"
#include "platform/w32/environment.h"
#include "platform/w32/process.h"
#include "platform/w32/fileio.h"
#include "platform/w32/handle.h"
#include "platform/w32/volume.h"
#include "platform/w32/codepage.h"
#include "platform/w32/error.h"
#include "platform/w32/file.h"
#include "platform/w32/system_testing.h"
#include "runtime/memory/getmem.h"
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

// One session per action: the same operations on names holding one non-ASCII character,
// in the session's encoding, reach the files spelled in UTF-8 on disk, and the names
// Windows gives back come back in the session's encoding.
struct Session {
  const char* what;
  int language;
  w32::WORD system;
  w32::UINT code_page;
  int action;
  const char* session;  // the character in the session's encoding
  const char* disk;     // the same in UTF-8
};

class NtLangWrapSession : public NtLangWrap, public ::testing::WithParamInterface<Session> {
 protected:
  void SetUp() override {
    NtLangWrap::SetUp();
    const Session& s = GetParam();
    start(s.language, s.system);
    ASSERT_TRUE(w32::set_system_code_page(s.code_page));
    ASSERT_EQ(vek::ntlangwrap_get_action(), s.action);
  }
  // The session's name of a file in the scratch directory, and its name on disk.
  std::string session(const std::string& relative) {
    return dir.file(expand(relative, GetParam().session));
  }
  std::string disk(const std::string& relative) {
    return dir.file(expand(relative, GetParam().disk));
  }
  static std::string expand(std::string text, const char* character) {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@'))
      text.replace(at, 1, character);
    return text;
  }
  // The names refreshed since the last call.
  std::vector<std::string> refreshed() {
    std::vector<std::string> names;
    for (int i = seen_; i < vek::pfa_dir_cache_testing_refresh_count(); ++i)
      names.push_back(vek::pfa_dir_cache_testing_refreshed(i));
    seen_ = vek::pfa_dir_cache_testing_refresh_count();
    return names;
  }
  using Names = std::vector<std::string>;
  int seen_ = 0;
};

void add_entry(void* names, void*, void*, void*, const char* name, w32::DWORD attributes,
               std::uint64_t size_low, const w32::FILETIME*) {
  static_cast<std::vector<std::string>*>(names)->push_back(
      std::string(name) + ((attributes & w32::FILE_ATTRIBUTE_DIRECTORY) != 0 ? "/" : "") + " " +
      std::to_string(size_low));
}

TEST_P(NtLangWrapSession, EveryWrapperReachesTheFileAndRefreshesWhatItChanges) {
  yrltest::ConsoleCapture console;  // the converter reports each change it makes
  std::string d = session("d@");
  EXPECT_EQ(vek::ntlangwrap_make_dir(d.c_str(), nullptr), 0);
  EXPECT_TRUE(std::filesystem::is_directory(disk("d@")));
  EXPECT_EQ(refreshed(), Names{d});

  std::string f = session("d@/f@.txt");
  w32::HANDLE file = vek::ntlangwrap_CreateFile(f.c_str(), w32::GENERIC_WRITE, 0, w32::CREATE_NEW, 0);
  ASSERT_NE(file, w32::INVALID_HANDLE_VALUE);
  w32::DWORD written = 0;
  EXPECT_TRUE(w32::WriteFile(file, "abc", 3, &written, nullptr));
  EXPECT_TRUE(w32::CloseHandle(file));
  EXPECT_EQ(refreshed(), Names{f});
  file = vek::ntlangwrap_CreateFile(f.c_str(), w32::GENERIC_READ, w32::FILE_SHARE_READ,
                                    w32::OPEN_EXISTING, 0);
  ASSERT_NE(file, w32::INVALID_HANDLE_VALUE);
  EXPECT_TRUE(w32::CloseHandle(file));
  EXPECT_EQ(refreshed(), Names{});  // opening what exists changes nothing

  EXPECT_TRUE(vek::ntlangwrap_SetFileAttributes(f.c_str(), w32::FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(vek::ntlangwrap_GetFileAttributes(f.c_str()),
            w32::FILE_ATTRIBUTE_ARCHIVE | w32::FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(vek::ntlangwrap_SetFileAttributes(f.c_str(), w32::FILE_ATTRIBUTE_NORMAL));

  w32::_stat st{};
  std::vector<char> name(f.begin(), f.end());
  name.push_back('\0');
  EXPECT_EQ(vek::ntlangwrap_stat(name.data(), &st), 0);
  EXPECT_EQ(st.st_size, 3);
  std::string with_delimiter = d + "/";
  name.assign(with_delimiter.begin(), with_delimiter.end());
  name.push_back('\0');
  EXPECT_EQ(vek::ntlangwrap_stat(name.data(), &st), 0);
  EXPECT_EQ(st.st_mode & w32::_S_IFMT, w32::_S_IFDIR);
  EXPECT_EQ(std::string(name.data()), d);  // the delimiter was taken off in place

  std::string g = session("d@/g@.txt");
  std::FILE* stream = vek::ntlangwrap_fopen(g.c_str(), "w");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(std::fputs("stream", stream), 1);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(refreshed(), Names{g});
  stream = vek::ntlangwrap_fopen(g.c_str(), "r");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(refreshed(), Names{});
  EXPECT_EQ(yrltest::read_file(disk("d@/g@.txt")), "stream");

  // The descriptor open takes the narrow name as it stands even in the wide action, where
  // the system code page (1252 here) reads it.
  std::string h = session("h@.txt");
  int fd = vek::ntlangwrap_open(h.c_str(), w32::_O_CREAT | w32::_O_WRONLY,
                                w32::_S_IREAD | w32::_S_IWRITE);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::close(fd), 0);
  EXPECT_EQ(refreshed(), Names{h});
  fd = vek::ntlangwrap_open(h.c_str(), w32::_O_RDONLY, 0);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::close(fd), 0);
  EXPECT_EQ(refreshed(), Names{});
  std::string h_disk = GetParam().action == vek::NTLANGWRAP_WIDE
                           ? dir.file("h\xC2\xA4\xC2\xA2.txt")
                           : disk("h@.txt");
  EXPECT_TRUE(std::filesystem::exists(h_disk));
  std::filesystem::remove(h_disk);

  Names listed;
  EXPECT_EQ(vek::ntlangwrap_read_dir(session("d@/*").c_str(), &listed, nullptr, nullptr, nullptr,
                                     add_entry),
            0);
  EXPECT_EQ(listed, (Names{"./ 0", "../ 0", expand("f@.txt 3", GetParam().session),
                           expand("g@.txt 6", GetParam().session)}));
  listed.clear();
  EXPECT_EQ(vek::ntlangwrap_read_dir(session("d@/none*").c_str(), &listed, nullptr, nullptr,
                                     nullptr, add_entry),
            0);
  EXPECT_TRUE(listed.empty());

  std::string f2 = session("d@/f@2.txt");
  EXPECT_EQ(vek::ntlangwrap_move_file(f.c_str(), f2.c_str(), 0), 0);
  EXPECT_EQ(refreshed(), (Names{f, f2}));
  EXPECT_EQ(yrltest::read_file(disk("d@/f@2.txt")), "abc");

  EXPECT_EQ(vek::ntlangwrap_GetDriveType((d + "/").c_str()), w32::DRIVE_NO_ROOT_DIR);
  EXPECT_EQ(vek::ntlangwrap_GetDriveType("C:\\"), w32::DRIVE_FIXED);
  w32::PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(vek::ntlangwrap_GetFileSecurity(f2.c_str(), 7, &descriptor));
  ASSERT_NE(descriptor, nullptr);
  w32::PSID owner = nullptr;
  ASSERT_TRUE(w32::GetSecurityDescriptorOwner(descriptor, &owner, nullptr));
  EXPECT_EQ(static_cast<const w32::DWORD*>(owner)[1], static_cast<w32::DWORD>(geteuid()));
  EXPECT_TRUE(vek::ntlangwrap_SetFileSecurity(f2.c_str(), w32::OWNER_SECURITY_INFORMATION,
                                              descriptor));
  vek::relmem(&descriptor);
  w32::HANDLE watch = vek::ntlangwrap_FindFirstChangeNotification(
      d.c_str(), w32::FALSE, w32::FILE_NOTIFY_CHANGE_FILE_NAME);
  ASSERT_NE(watch, w32::INVALID_HANDLE_VALUE);
  yrltest::write_file(disk("d@/watched"), "w");
  EXPECT_EQ(w32::WaitForSingleObject(watch, 2000), w32::WAIT_OBJECT_0);
  EXPECT_TRUE(w32::FindCloseChangeNotification(watch));
  std::filesystem::remove(disk("d@/watched"));
  EXPECT_TRUE(vek::ntlangwrap_SetCurrentDirectory(d.c_str()));
  char current[vek::NTLANGWRAP_NAME_SIZE];
  w32::DWORD length = vek::ntlangwrap_GetCurrentDirectory(current);
  std::string expected = "C:" + d;
  for (char& c : expected)
    if (c == '/') c = '\\';
  EXPECT_EQ(std::string(current, length), expected);

  for (const std::string& gone : {f2, g}) EXPECT_EQ(vek::ntlangwrap_DeleteFile(gone.c_str()), 0);
  EXPECT_EQ(vek::ntlangwrap_remove_dir(d.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(disk("d@")));
  EXPECT_EQ(refreshed(), (Names{f2, g, d}));
  // Failing calls refresh too.
  EXPECT_EQ(vek::ntlangwrap_DeleteFile(f2.c_str()), 1);
  EXPECT_EQ(vek::ntlangwrap_remove_dir(d.c_str()), 1);
  EXPECT_EQ(vek::ntlangwrap_move_file(f.c_str(), f2.c_str(), 0), 1);
  EXPECT_EQ(refreshed(), (Names{f2, d, f, f2}));
}

INSTANTIATE_TEST_SUITE_P(
    Actions, NtLangWrapSession,
    ::testing::Values(
        Session{"wide", vek::LANG_JAPANESE, 0x0409, 1252, vek::NTLANGWRAP_WIDE, "\xA4\xA2",
                "\xE3\x81\x82"},
        Session{"narrow", vek::LANG_ENGLISH, 0x0409, 1252, vek::NTLANGWRAP_NARROW, "\xE9",
                "\xC3\xA9"},
        Session{"converted", vek::LANG_ENGLISH, 0x0411, 932, vek::NTLANGWRAP_CONVERTED,
                "\xA4\xA2", "\xE3\x81\x82"}),
    [](const ::testing::TestParamInfo<Session>& info) { return std::string(info.param.what); });

TEST_F(NtLangWrap, TheCurrentDirectoryIsNeverCut) {
  // A directory whose name takes 259 characters or more is refused in every action.
  std::string deep = dir.path();
  while (deep.size() < 300) {
    deep += "/" + std::string(40, 'd');
    std::filesystem::create_directory(deep);
  }
  for (int action : {vek::NTLANGWRAP_WIDE, vek::NTLANGWRAP_NARROW, vek::NTLANGWRAP_CONVERTED}) {
    SCOPED_TRACE(action);
    vek::ntlangwrap_testing_set_action(action);
    ASSERT_TRUE(w32::SetCurrentDirectoryA(deep.c_str()));
    char buffer[vek::NTLANGWRAP_NAME_SIZE];
    std::memset(buffer, 'k', sizeof buffer);
    EXPECT_EQ(vek::ntlangwrap_GetCurrentDirectory(buffer), 0u);
    EXPECT_EQ(w32::GetLastError(), w32::ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(buffer[0], 'k');
  }
}

TEST_F(NtLangWrap, EveryWrapperReportsAnInvalidActionWithItsFailureValue) {
  show_serious_reports();
  vek::ntlangwrap_testing_set_action(7);
  std::string name = dir.file("x");
  std::vector<char> editable(name.begin(), name.end());
  editable.push_back('\0');
  w32::_stat st{};
  char buffer[vek::NTLANGWRAP_NAME_SIZE];
  std::vector<std::string> listed;
  struct Case {
    const char* wrapper;
    std::function<bool()> fails;
  } cases[] = {
      {"ntlangwrap_GetDriveType",
       [&] { return vek::ntlangwrap_GetDriveType("C:\\") == w32::DRIVE_UNKNOWN; }},
      {"ntlangwrap_GetFileSecurity",
       [&] {
         w32::PSECURITY_DESCRIPTOR sd = nullptr;
         return vek::ntlangwrap_GetFileSecurity(name.c_str(), 7, &sd) == w32::FALSE;
       }},
      {"ntlangwrap_SetFileSecurity",
       [&] { return vek::ntlangwrap_SetFileSecurity(name.c_str(), 1, nullptr) == w32::FALSE; }},
      {"ntlangwrap_FindFirstChangeNotification",
       [&] {
         return vek::ntlangwrap_FindFirstChangeNotification(dir.path().c_str(), w32::FALSE, 1) ==
                w32::INVALID_HANDLE_VALUE;
       }},
      {"ntlangwrap_SetFileAttributes",
       [&] { return vek::ntlangwrap_SetFileAttributes(name.c_str(), 0) == w32::FALSE; }},
      {"ntlangwrap_CreateFile",
       [&] {
         return vek::ntlangwrap_CreateFile(name.c_str(), w32::GENERIC_WRITE, 0,
                                           w32::CREATE_ALWAYS, 0) == w32::INVALID_HANDLE_VALUE;
       }},
      {"ntlangwrap_DeleteFile", [&] { return vek::ntlangwrap_DeleteFile(name.c_str()) == 1; }},
      {"ntlangwrap_make_dir", [&] { return vek::ntlangwrap_make_dir(name.c_str(), nullptr) == 1; }},
      {"ntlangwrap_remove_dir", [&] { return vek::ntlangwrap_remove_dir(name.c_str()) == 1; }},
      {"ntlangwrap_move_file",
       [&] { return vek::ntlangwrap_move_file(name.c_str(), name.c_str(), 0) == 1; }},
      {"ntlangwrap_stat", [&] { return vek::ntlangwrap_stat(editable.data(), &st) == -1; }},
      {"ntlangwrap_fopen", [&] { return vek::ntlangwrap_fopen(name.c_str(), "w") == nullptr; }},
      {"ntlangwrap_open",
       [&] { return vek::ntlangwrap_open(name.c_str(), w32::_O_CREAT, 0) == -1; }},
      {"ntlangwrap_SetCurrentDirectory",
       [&] { return vek::ntlangwrap_SetCurrentDirectory(dir.path().c_str()) == w32::FALSE; }},
      {"ntlangwrap_GetCurrentDirectory",
       [&] { return vek::ntlangwrap_GetCurrentDirectory(buffer) == 0; }},
      {"ntlangwrap_read_dir",
       [&] {
         return vek::ntlangwrap_read_dir((dir.path() + "/*").c_str(), &listed, nullptr, nullptr,
                                         nullptr, add_entry) == 1;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wrapper);
    yrltest::ConsoleCapture console;
    EXPECT_TRUE(c.fails());
    EXPECT_EQ(console.out().rfind(std::string(c.wrapper) + ":  invalid action\n", 0), 0u)
        << console.out();
  }
  EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_TRUE(listed.empty());
}

}  // namespace
