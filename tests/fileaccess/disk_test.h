// Helpers of the file-operation tests: what stands on disk, and Windows names of POSIX
// paths on the stand-in's drive.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "platform/w32/winpath.h"

namespace yrltest {

// Whether anything (a dangling link too) stands at path.
inline bool on_disk(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The permission bits at path, 0 when nothing is there.
inline unsigned mode_on_disk(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0u;
}

inline std::string windows_name(const std::string& posix) {
  char out[4096];
  EXPECT_TRUE(w32::w32_windows_path_from_posix(posix.c_str(), out, sizeof out)) << posix;
  return out;
}

}  // namespace yrltest
