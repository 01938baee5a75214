// Readers of the host's plain text: whole files, numbers (typed answers, input panels,
// script words, file fields, options) and the free text that ends a line of a file.
#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <type_traits>

namespace yrlhost {

// The whole content of the file at a POSIX path (a device or pipe too), into text; false
// when it is a directory or cannot be read. An empty file is read as the empty text.
bool file_text_read(const std::string& posix_path, std::string& text);

// The number the whole text gives, blanks around it aside and a leading '+' allowed;
// false (and value unchanged) for anything else, an out-of-range number included. A
// floating-point number must be finite: "nan", "inf" and "infinity" are no numbers.
template <typename T>
bool number_from_text(const std::string& text, T& value) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return false;
  std::size_t last = text.find_last_not_of(" \t") + 1;
  bool plus = text[first] == '+';
  if (plus) ++first;
  if (first == last || (plus && text[first] == '-')) return false;
  T read{};
  auto [end, error] = std::from_chars(text.data() + first, text.data() + last, read);
  if (error != std::errc() || end != text.data() + last) return false;
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(read)) return false;
  }
  value = read;
  return true;
}

// The rest of line after its first n blank-separated words and the blanks after them
// ("" when the line has no more): names and texts that may hold blanks end a line.
inline std::string text_after_words(const std::string& line, int n) {
  std::size_t position = 0;
  for (int word = 0; word < n && position != std::string::npos; ++word) {
    position = line.find_first_not_of(" \t", position);
    if (position != std::string::npos) position = line.find_first_of(" \t", position);
  }
  if (position == std::string::npos) return std::string();
  position = line.find_first_not_of(" \t", position);
  return position == std::string::npos ? std::string() : line.substr(position);
}

}  // namespace yrlhost
