// Whole host files read as text.
#include "host/util/text_read.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace yrlhost {

bool file_text_read(const std::string& posix_path, std::string& text) {
  std::error_code failure;
  // A directory opens for reading here but gives no bytes: it is no file to read.
  if (std::filesystem::is_directory(posix_path, failure)) return false;
  std::ifstream in(posix_path, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  // Copying an empty stream buffer sets failbit on the target: only bad() is a failure.
  content << in.rdbuf();
  if (content.bad() || in.bad()) return false;
  text = content.str();
  return true;
}

}  // namespace yrlhost
