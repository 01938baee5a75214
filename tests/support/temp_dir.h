// A fresh temporary directory for the length of a scope.
#pragma once

#include <string>

namespace yrltest {

// Made below $YRL_TEST_TMP (or /tmp) with mkdtemp; removed with its content at the
// end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A temporary directory that is the process's current directory for the scope.
class InTempDir {
 public:
  InTempDir();
  ~InTempDir();
  InTempDir(const InTempDir&) = delete;
  InTempDir& operator=(const InTempDir&) = delete;

  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::string previous_;
};

// The whole content of a file ("" when it cannot be read).
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);

}  // namespace yrltest
