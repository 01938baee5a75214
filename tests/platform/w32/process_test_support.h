// Shared by the tests of the process, search and environment functions: the stand-in's
// start state with every handle closed, the message log empty and no shared registry,
// and small helpers for files and programs in a scratch directory.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

#include "platform/w32/commandline_testing.h"
#include "platform/w32/handle_testing.h"
#include "platform/w32/message_box_testing.h"
#include "platform/w32/types.h"
#include "platform/w32/winpath.h"
#include "tests/platform/w32/w32_test_support.h"

namespace yrltest {

class W32ProcessTest : public W32Test {
 protected:
  void SetUp() override {
    W32Test::SetUp();
    reset();
  }
  void TearDown() override {
    EXPECT_EQ(w32::handle_testing_open_count(), 0) << "a test left handles open";
    reset();
    W32Test::TearDown();
  }

  static void reset() {
    w32::handle_testing_reset();
    w32::commandline_testing_reset();
    w32::message_box_testing_reset();
    unsetenv("YRL_W32_REGISTRY");
    unsetenv("YRL_W32_NO_TOOLHELP");
  }

  // The Windows name of a POSIX path, as the layer gives it.
  static std::string windows(const std::string& posix) {
    char name[4096];
    EXPECT_TRUE(w32::w32_windows_path_from_posix(posix.c_str(), name, sizeof name)) << posix;
    return name;
  }

  static std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  // A shell script at path that may be run.
  static void make_script(const std::string& path, const std::string& body) {
    std::ofstream(path, std::ios::binary) << "#!/bin/sh\n" << body << "\n";
    chmod(path.c_str(), 0755);
  }

  static std::u16string u16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
  }
  static std::string narrow(const char16_t* wide) {
    std::string out;
    for (; *wide != 0; ++wide) out.push_back(static_cast<char>(*wide));
    return out;
  }
};

}  // namespace yrltest
