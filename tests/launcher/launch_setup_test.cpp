// The steps of the launch sequence in the test process, on the Win32 stand-in: the
// process-id record, the process check by both listing methods, the machine type, the
// temporary program name and the copy.
#include "launcher/launch_setup.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "launcher/launch_logic.h"
#include "platform/w32/builtin_module_testing.h"
#include "platform/w32/registry.h"
#include "platform/w32/registry_testing.h"
#include "platform/w32/system_testing.h"

namespace {

namespace fs = std::filesystem;

std::string windows_name(const fs::path& path) {
  std::string text = "C:" + path.string();
  for (char& c : text)
    if (c == '/') c = '\\';
  return text;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

class LaunchSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"YRL_W32_REGISTRY", "YRL_W32_PLATFORM", "YRL_W32_PROCESSOR", "TEMP",
                             "TMP", "VEK_SETUP_REDIRECT"})
      unsetenv(name);
    w32::registry_testing_reset();
    w32::system_testing_reset();
    const char* base = std::getenv("YRL_TEST_TMP");
    fs::path root = base != nullptr && *base != '\0' ? base : "/tmp";
    fs::create_directories(root);
    std::string pattern = (root / "launch-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp " + pattern);
    dir_ = fs::canonical(name.data());
  }
  void TearDown() override {
    for (const char* name : {"YRL_W32_PLATFORM", "TEMP", "TMP", "VEK_SETUP_REDIRECT"}) unsetenv(name);
    w32::registry_testing_reset();
    w32::system_testing_reset();
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  static void set_value(w32::HKEY root, const char* path, const char* name, const std::string& text) {
    w32::HKEY key = nullptr;
    ASSERT_EQ(w32::RegCreateKeyExA(root, path, 0, nullptr, 0, w32::KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    ASSERT_EQ(w32::RegSetValueExA(key, name, 0, w32::REG_SZ, reinterpret_cast<const w32::BYTE*>(text.c_str()),
                                  static_cast<w32::DWORD>(text.size() + 1)),
              0);
    w32::RegCloseKey(key);
  }

  fs::path dir_;
};

TEST_F(LaunchSteps, ProcessIdComesFromTheKeyTheFileNames) {
  char id[trovask::PROCESS_ID_SIZE];
  std::strcpy(id, "junk");
  EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(dir_ / "none_1.txt").c_str(), id), 0);
  EXPECT_STREQ(id, "");

  fs::path file = dir_ / "cd_1.txt";
  write_file(file, "Disk1\r\nPart\n");
  EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(file).c_str(), id), 0);  // no key yet

  w32::HKEY key = nullptr;
  ASSERT_EQ(w32::RegCreateKeyExA(w32::HKEY_CURRENT_USER, "SOFTWARE\\VEK\\VEK.Setup\\Disk1\\Part", 0, nullptr,
                                 0, w32::KEY_ALL_ACCESS, nullptr, &key, nullptr),
            0);
  w32::RegCloseKey(key);
  EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(file).c_str(), id), 1);  // key without value
  EXPECT_STREQ(id, "");

  set_value(w32::HKEY_CURRENT_USER, "SOFTWARE\\VEK\\VEK.Setup\\Disk1\\Part", "ProcessId", "4321");
  EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(file).c_str(), id), 1);
  EXPECT_STREQ(id, "4321");

  // A directory by that name is no file to read, though the key its empty text would
  // name exists.
  fs::create_directory(dir_ / "dir_1.txt");
  set_value(w32::HKEY_CURRENT_USER, "SOFTWARE\\VEK\\VEK.Setup", "ProcessId", "1");
  EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(dir_ / "dir_1.txt").c_str(), id), 0);
  EXPECT_STREQ(id, "");
  EXPECT_EQ(w32::registry_testing_open_handles(), 0);
}

TEST_F(LaunchSteps, OverlongValuesAndPathsStayInTheirBuffers) {
  fs::path file = dir_ / "cd_1.txt";
  write_file(file, "Disk1\n");
  char id[trovask::PROCESS_ID_SIZE];
  for (std::size_t length : {31u, 32u, 254u, 255u, 600u}) {
    set_value(w32::HKEY_CURRENT_USER, "SOFTWARE\\VEK\\VEK.Setup\\Disk1", "ProcessId", std::string(length, '7'));
    EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(file).c_str(), id), 1);
    // Only an id that fits its text is taken; no process has a longer one.
    EXPECT_EQ(std::string(id), length < trovask::PROCESS_ID_SIZE ? std::string(length, '7') : "") << length;
  }
  // A key path longer than its buffer names no key that was meant.
  write_file(file, std::string(300, 'k') + "\n");
  set_value(w32::HKEY_CURRENT_USER, ("SOFTWARE\\VEK\\VEK.Setup\\" + std::string(232, 'k')).c_str(),
            "ProcessId", "1");
  EXPECT_EQ(trovask::ReadSetupProcessId(windows_name(file).c_str(), id), 0);
  EXPECT_STREQ(id, "");
}

TEST_F(LaunchSteps, ProcessCheckFindsLiveIdsOnlyByEitherMethod) {
  std::string own = std::to_string(getpid());
  for (bool toolhelp : {true, false}) {
    w32::builtin_module_testing_set_toolhelp_absent(!toolhelp);
    SCOPED_TRACE(toolhelp ? "snapshot" : "enumeration");
    EXPECT_EQ(trovask::IsProcessRunning(own.c_str()), 1);
    EXPECT_EQ(trovask::IsProcessRunning("2147483646"), 0);
    EXPECT_EQ(trovask::IsProcessRunning(""), 0);  // not the idle process, id 0
    EXPECT_EQ(trovask::IsProcessRunning("0"), 1);
    // The snapshot compares the text, the enumeration the number.
    EXPECT_EQ(trovask::IsProcessRunning((own + "x").c_str()), toolhelp ? 0 : 1);
    // A recorded id that starts with no number is no running setup, by either method.
    for (const char* garbage : {"abc", " ", "-", "x0"}) EXPECT_EQ(trovask::IsProcessRunning(garbage), 0) << garbage;
    EXPECT_EQ(w32::builtin_module_testing_loaded_count(), 0);
  }
  w32::builtin_module_testing_reset();
}

TEST_F(LaunchSteps, MachineTypeFromPlatformProcessorAndRegistry) {
  char type[16];
  trovask::GetMachineType(type, sizeof type);
  EXPECT_STREQ(type, "i486_nt");
  setenv("YRL_W32_PROCESSOR", "amd64", 1);
  trovask::GetMachineType(type, sizeof type);
  EXPECT_STREQ(type, "");
  const char* cpu = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
  set_value(w32::HKEY_LOCAL_MACHINE, cpu, "Identifier", "ia64 Family 7");
  trovask::GetMachineType(type, sizeof type);
  EXPECT_STREQ(type, "ia64_nt");
  unsetenv("YRL_W32_PROCESSOR");
  trovask::GetMachineType(type, sizeof type);
  EXPECT_STREQ(type, "ia64_nt");
  for (const char* identifier : {"x86 Family 6", "ia6", "IA64"}) {
    set_value(w32::HKEY_LOCAL_MACHINE, cpu, "Identifier", identifier);
    trovask::GetMachineType(type, sizeof type);
    EXPECT_STREQ(type, "i486_nt") << identifier;
  }
  setenv("YRL_W32_PLATFORM", "windows", 1);
  set_value(w32::HKEY_LOCAL_MACHINE, cpu, "Identifier", "ia64");
  trovask::GetMachineType(type, sizeof type);
  EXPECT_STREQ(type, "");
  unsetenv("YRL_W32_PLATFORM");
  EXPECT_EQ(w32::registry_testing_open_handles(), 0);
}

TEST_F(LaunchSteps, TemporaryNameIsFreshAndPublished) {
  setenv("TEMP", windows_name(dir_).c_str(), 1);
  setenv("TMP", "C:\\nowhere", 1);
  char name[trovask::TEXT_SIZE];
  char directory[trovask::TEXT_SIZE];
  trovask::MakeTempSetupName(name, directory);
  EXPECT_EQ(std::string(directory), windows_name(dir_));
  std::string text = name;
  EXPECT_EQ(text.substr(0, windows_name(dir_).size() + 4), windows_name(dir_) + "\\vek");
  EXPECT_EQ(text.substr(text.size() - 8), "_tmp.exe");
  EXPECT_TRUE(fs::is_empty(dir_));  // the unique file was given back
  ASSERT_NE(std::getenv("VEK_SETUP_REDIRECT"), nullptr);
  EXPECT_EQ(std::string(std::getenv("VEK_SETUP_REDIRECT")), text);

  // An empty variable names no directory: the next one is taken.
  setenv("TEMP", "", 1);
  setenv("TMP", windows_name(dir_).c_str(), 1);
  trovask::MakeTempSetupName(name, directory);
  EXPECT_EQ(std::string(directory), windows_name(dir_));

  unsetenv("TEMP");
  setenv("TMP", "C:\\no\\such\\dir", 1);  // no unique name there: the fallback
  trovask::MakeTempSetupName(name, directory);
  EXPECT_STREQ(directory, "C:\\no\\such\\dir");
  EXPECT_STREQ(name, "C:\\no\\such\\dir\\veksetup_exe.exe");
}

TEST_F(LaunchSteps, CopyReportsEachFailure) {
  fs::path source = dir_ / "veksetup.exe";
  std::string bytes;
  for (int i = 0; i < 3000; ++i) bytes += static_cast<char>(i * 7);
  write_file(source, bytes);
  fs::path copy = dir_ / "copy_tmp.exe";
  testing::internal::CaptureStderr();
  // The trailing blank of the source name is dropped as the file system drops it.
  EXPECT_EQ(trovask::CopyFileToTemp((windows_name(source) + " ").c_str(), windows_name(copy).c_str()), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(read_file(copy), bytes);
  EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_exec, fs::perms::none);

  struct Case {
    std::string source;
    std::string destination;
    const char* message;
  };
  const Case cases[] = {
      {windows_name(dir_ / "missing.exe"), windows_name(dir_ / "a.exe"),
       "Error: Could not copy executable to temp directory\n"},
      {windows_name(source), windows_name(dir_ / "no" / "b.exe"),
       "Error: Could not copy executable to temp directory\n"},
      {windows_name(source), "C:\\dev\\full", "Error: Could not complete copy of executable to temp directory\n"},
  };
  for (const Case& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(trovask::CopyFileToTemp(c.source.c_str(), c.destination.c_str()), 0) << c.destination;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
  }
  EXPECT_FALSE(fs::exists(dir_ / "a.exe"));
}

}  // namespace
