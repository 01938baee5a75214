// ASCII texts between std::string and wide names, for the name tests.
#pragma once

#include <string>

namespace yrltest {

inline std::u16string widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

// The ASCII text of a wide name; "" for null.
inline std::string narrow(const char16_t* w) {
  std::string s;
  if (w)
    for (; *w; ++w) s += static_cast<char>(*w);
  return s;
}

}  // namespace yrltest
