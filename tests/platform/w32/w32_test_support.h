// Shared by the tests of the Win32 stand-in: a fixture that starts every test from the
// stand-in's start state, and a scratch directory of files to resolve and examine.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/w32/clock_testing.h"
#include "platform/w32/codepage_testing.h"
#include "platform/w32/console_testing.h"
#include "platform/w32/environment_testing.h"
#include "platform/w32/error_testing.h"
#include "platform/w32/fault_testing.h"
#include "platform/w32/file_testing.h"
#include "platform/w32/library_testing.h"
#include "platform/w32/mutex_testing.h"
#include "platform/w32/path_testing.h"
#include "platform/w32/printer_testing.h"
#include "platform/w32/registry_testing.h"
#include "platform/w32/socket_testing.h"
#include "platform/w32/system_testing.h"
#include "platform/w32/volume_testing.h"

namespace yrltest {

inline void reset_w32_state() {
  w32::error_testing_reset();
  w32::codepage_testing_reset();
  w32::path_testing_reset();
  w32::file_testing_reset();
  w32::fault_testing_reset();
  w32::system_testing_reset();
  w32::library_testing_reset();
  w32::registry_testing_reset();
  w32::clock_testing_reset();
  w32::mutex_testing_set_folder(nullptr);
  w32::socket_testing_reset();
  w32::printer_testing_set_spool_folder(nullptr);
  w32::volume_testing_reset();
  w32::console_testing_reset();
  w32::environment_testing_remove_comspec(false);
}

class W32Test : public ::testing::Test {
 protected:
  void SetUp() override { reset_w32_state(); }
  void TearDown() override { reset_w32_state(); }
};

// A fresh directory below $YRL_TEST_TMP (or /tmp), removed with its content at the end
// of the scope.
class ScratchDir {
 public:
  ScratchDir() {
    const char* base = std::getenv("YRL_TEST_TMP");
    std::filesystem::path root = base != nullptr && *base != '\0' ? base : "/tmp";
    std::filesystem::create_directories(root);
    std::string pattern = (root / "w32-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp under " + pattern);
    path_ = name.data();
  }
  ~ScratchDir() {
    // Directories made unreadable by a test must be opened again to be removed.
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
      if (!it->is_symlink(ignored)) chmod(it->path().c_str(), 0700);
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string at(const std::string& relative) const { return path_ + "/" + relative; }

  void make_dir(const std::string& relative) const {
    std::filesystem::create_directories(at(relative));
  }
  void make_file(const std::string& relative, const std::string& text = "x") const {
    std::ofstream(at(relative), std::ios::binary) << text;
  }

 private:
  std::string path_;
};

}  // namespace yrltest
