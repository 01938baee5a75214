#include "tests/support/temp_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace yrltest {

TempDir::TempDir() {
  const char* base = std::getenv("YRL_TEST_TMP");
  std::filesystem::path root = base && *base ? base : "/tmp";
  std::filesystem::create_directories(root);
  std::string pattern = (root / "yrl-XXXXXX").string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed under " + root.string());
  path_ = name.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

InTempDir::InTempDir() {
  previous_ = std::filesystem::current_path().string();
  if (chdir(dir_.path().c_str()) != 0) throw std::runtime_error("chdir " + dir_.path());
}

InTempDir::~InTempDir() {
  if (chdir(previous_.c_str()) != 0) std::abort();
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace yrltest
