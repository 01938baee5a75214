// Expands environment references of arbitrary text into output buffers of every small
// size, each allocated to its exact size, and checks the result against a plain
// expansion: it fits and is the same, or the call says it does not fit.
//
// Input: one byte for the output's size (0 to 63), then the text. Bytes are mapped so
// that '%' and the names of the variables set below are frequent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

extern char** environ;

#include "runtime/system/process.h"

namespace {

void set_variables() {
  static bool done = false;
  if (done) return;
  done = true;
  setenv("A", "%A%", 1);
  setenv("LONG", std::string(100, 'l').c_str(), 1);
  setenv("EMPTY", "", 1);
}

std::string mapped(const std::uint8_t* data, std::size_t size) {
  static constexpr char kChars[] = "%%%AAx LONG EMPTY";
  std::string s;
  for (std::size_t i = 0; i < size && s.size() < 80; ++i)
    s.push_back(data[i] & 1 ? static_cast<char>(data[i] >> 1 | 1) : kChars[(data[i] >> 1) % (sizeof kChars - 1)]);
  return s;
}

// A variable's value as Win32 finds it: the exact spelling, else one that differs only
// in ASCII case; null for an empty name or one holding '='.
const char* lookup(const std::string& name) {
  if (name.empty() || name.find('=') != std::string::npos) return nullptr;
  if (const char* value = std::getenv(name.c_str())) return value;
  for (char** entry = environ; *entry; ++entry)
    if (strncasecmp(*entry, name.c_str(), name.size()) == 0 && (*entry)[name.size()] == '=')
      return *entry + name.size() + 1;
  return nullptr;
}

// The expansion: a set name between two '%' becomes its value; everything else stays.
std::string expanded(const std::string& text) {
  std::string out;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t open = text.find('%', at);
    if (open == std::string::npos) return out + text.substr(at);
    out += text.substr(at, open - at);
    std::size_t close = text.find('%', open + 1);
    if (close == std::string::npos) return out + text.substr(open);
    std::string name = text.substr(open + 1, close - open - 1);
    const char* value = lookup(name);
    out += value ? std::string(value) : "%" + name + "%";
    at = close + 1;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  set_variables();
  int capacity = data[0] % 64;
  std::string text = mapped(data + 1, size - 1);
  char* out = static_cast<char*>(std::malloc(capacity > 0 ? static_cast<std::size_t>(capacity) : 1));
  int result = vek::handle_nt_env_vars(text.c_str(), out, capacity);
  std::string expected = expanded(text);
  if (capacity < 1) {
    if (result != 0) std::abort();
  } else if (result == 1) {
    if (out != expected) std::abort();
  } else if (result == 0) {
    if (out[0] != '\0' || expected.size() < static_cast<std::size_t>(capacity)) std::abort();
  } else {
    std::abort();
  }
  std::free(out);
  return 0;
}
