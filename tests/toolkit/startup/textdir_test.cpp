// The three text directories built from the application's text directory and the
// language's folder.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/w32/path.h"
#include "runtime/text/lang.h"
#include "tests/support/serious_reports.h"
#include "tests/support/temp_dir.h"
#include "tests/toolkit/toolkit_test.h"

namespace {

class TextDirTest : public yrltest::ToolkitTest {
 protected:
  // Makes D/text/<folder> for each folder, D being the scratch directory or base.
  void make_folders(const std::vector<std::string>& folders) { make_folders(dir_.path(), folders); }
  static void make_folders(const std::string& base, const std::vector<std::string>& folders) {
    std::filesystem::remove_all(base + "/text");
    std::filesystem::create_directories(base + "/text");
    for (const std::string& folder : folders) {
      std::filesystem::create_directories(base + "/text/" + folder);
    }
  }

  // A text directory as the host hands it over, and the directory it names on disk.
  struct TextDirForm {
    const char* name;
    std::string text_dir;
    std::string on_disk;
  };

  // The scratch directory as a POSIX path, as a Windows path on C: (which is "/"), and
  // a folder of it as a Windows path on a drive mapped to it.
  std::vector<TextDirForm> text_dir_forms() {
    std::string windows = "C:" + dir_.path();
    for (char& c : windows) c = c == '/' ? '\\' : c;
    EXPECT_TRUE(w32::w32_set_drive('Q', dir_.path().c_str()));
    return {{"POSIX", dir_.path(), dir_.path()},
            {"drive C:", windows, dir_.path()},
            {"mapped drive Q:", "Q:\\app", dir_.path() + "/app"}};
  }

  std::vector<std::string> paths() const { return {msg_path, menu_path, resource_path}; }

  // The three directories for a folder ("" for none) under D.
  static std::vector<std::string> expected(const std::string& d, const std::string& folder) {
    std::string base = d + "\\text" + (folder.empty() ? "" : "\\" + folder);
    return {base, base + "\\menus", base + "\\resource"};
  }

  yrltest::TempDir dir_;
};

struct FolderCase {
  const char* name;
  int language;
  std::vector<std::string> folders;  // made under D/text
  std::string folder;                // the one chosen, "" for none
};

TEST_F(TextDirTest, LanguageFolderAndItsFallbacks) {
  const FolderCase cases[] = {
      {"english", 0, {"usascii"}, "usascii"},
      {"german present", 3, {"german", "usascii"}, "german"},
      {"german absent", 3, {"usascii", "french"}, "usascii"},
      {"french", 2, {"french"}, "french"},
      {"unknown language id", 99, {"usascii"}, "usascii"},
      {"negative language id", -2, {"usascii"}, "usascii"},
      {"no folder at all", 3, {}, ""},
      {"only another language's folder", 0, {"german"}, ""},
      {"generic single-byte id 11 shares usascii", 11, {"usascii"}, "usascii"},
  };
  for (const TextDirForm& form : text_dir_forms()) {
    SCOPED_TRACE(form.name);
    for (const FolderCase& c : cases) {
      SCOPED_TRACE(c.name);
      make_folders(form.on_disk, c.folders);
      my_dpath = form.text_dir.c_str();
      EXPECT_EQ(vdp_uinit_MsgpathMake(c.language), 0);
      EXPECT_EQ(paths(), expected(form.text_dir, c.folder));
      EXPECT_EQ(vek::get_language(), c.language);
    }
  }
  EXPECT_EQ(get_vyndevdll_msg_path(), msg_path);
  EXPECT_EQ(get_vyndevdll_menu_path(), menu_path);
  EXPECT_EQ(get_vynkitdll_resource_path(), resource_path);
}

TEST_F(TextDirTest, FolderThatIsAFileIsNoFolder) {
  make_folders({});
  yrltest::write_file(dir_.path() + "/text/usascii", "not a directory");
  my_dpath = dir_.path().c_str();
  EXPECT_EQ(vdp_uinit_MsgpathMake(0), 0);
  EXPECT_EQ(paths(), expected(dir_.path(), ""));
}

TEST_F(TextDirTest, StartUpBuildsTheDirectoriesForItsLanguage) {
  make_folders({"usascii"});
  yrltest::StartArgs args;
  args.text_dir = dir_.path().c_str();
  args.language = 3;
  ASSERT_EQ(start(args), 0);
  EXPECT_EQ(paths(), expected(dir_.path(), "usascii"));
  EXPECT_EQ(vek::get_language(), 3);
}

TEST_F(TextDirTest, NullTextDirectoryReadsAsEmpty) {
  my_dpath = nullptr;
  EXPECT_EQ(vdp_uinit_MsgpathMake(0), 0);
  EXPECT_EQ(paths(), expected("", ""));
}

// A text directory whose paths do not fit the 260-byte buffers: reported, and all three
// directories left empty rather than overflowed or cut.
TEST_F(TextDirTest, TooLongTextDirectoryIsRefused) {
  // Without a language folder the longest path is D\text\resource: 14 bytes more.
  const std::pair<size_t, bool> lengths[] = {{245, true}, {246, false}, {1000, false}};
  for (const auto& [length, fits] : lengths) {
    SCOPED_TRACE(length);
    std::string d = "/nonexistent" + std::string(length - 12, 'd');
    my_dpath = d.c_str();
    std::strcpy(msg_path, "old");
    yrltest::SeriousReports reports;
    EXPECT_EQ(vdp_uinit_MsgpathMake(0), 0);
    if (fits) {
      EXPECT_EQ(paths(), expected(d, ""));
      EXPECT_EQ(std::string(resource_path).size(), 259u);
      EXPECT_TRUE(reports.lines().empty());
    } else {
      EXPECT_EQ(paths(), std::vector<std::string>({"", "", ""}));
      EXPECT_EQ(reports.lines(),
                std::vector<std::string>({"vdp_uinit_MsgpathMake:  text directory too long: " + d}));
    }
  }
}

TEST_F(TextDirTest, LanguageFolderWhoseResourcePathIsTooLong) {
  // D\text\usascii exists and fits; D\text\usascii\resource does not.
  std::string d = dir_.path() + "/";
  d += std::string(240 - d.size(), 'd');
  std::filesystem::create_directories(d + "/text/usascii");
  my_dpath = d.c_str();
  yrltest::SeriousReports reports;
  EXPECT_EQ(vdp_uinit_MsgpathMake(0), 0);
  EXPECT_EQ(paths(), std::vector<std::string>({"", "", ""}));
  EXPECT_EQ(reports.lines().size(), 1u);
}

}  // namespace
