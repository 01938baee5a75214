// Splits arbitrary commands into argument lists with small word buffers and small
// argument arrays, each allocated to its exact size, and checks the result against a
// plain split at blanks: the words and their closing null fit and are the same, or the
// call says they do not fit.
//
// Input: one byte for the word buffer's size (0 to 63), one for the entries (0 to 15),
// then the command; half the bytes become blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/system/process.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  int words_size = data[0] % 64;
  int args_size = data[1] % 16;
  std::string command;
  for (std::size_t i = 2; i < size && command.size() < 100; ++i)
    command.push_back(data[i] & 1 ? ' ' : static_cast<char>(data[i] >> 1 | 1));

  std::vector<std::string> words;
  std::size_t needed = 0;
  for (std::size_t at = 0; at < command.size();) {
    std::size_t end = command.find(' ', at);
    if (end == std::string::npos) end = command.size();
    if (end > at) {
      words.push_back(command.substr(at, end - at));
      needed += end - at + 1;
    }
    at = end + 1;
  }
  bool fits = words.size() + 1 <= static_cast<std::size_t>(args_size) &&
              needed <= static_cast<std::size_t>(words_size);

  char* buffer = static_cast<char*>(std::malloc(words_size > 0 ? static_cast<std::size_t>(words_size) : 1));
  char** args = static_cast<char**>(
      std::malloc((args_size > 0 ? static_cast<std::size_t>(args_size) : 1) * sizeof(char*)));
  int result = vek::make_arg_list(command.c_str(), buffer, words_size, args, args_size);
  if (result != (fits ? 0 : -1)) std::abort();
  if (result == 0) {
    for (std::size_t i = 0; i < words.size(); ++i)
      if (args[i] < buffer || args[i] >= buffer + words_size || words[i] != args[i]) std::abort();
    if (args[words.size()] != nullptr) std::abort();
  }
  std::free(args);
  std::free(buffer);
  return 0;
}
