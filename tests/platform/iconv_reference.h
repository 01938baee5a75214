// The public reference for code-page conversions: glibc's iconv, called directly.
#pragma once

#include <gtest/gtest.h>
#include <iconv.h>

#include <map>
#include <optional>
#include <string>
#include <utility>

namespace yrltest {

// Converts in from one encoding to another; nullopt when iconv refuses any of it. One
// descriptor per pair of encodings is kept for the whole run.
inline std::optional<std::string> run_iconv(const char* to, const char* from,
                                            const std::string& in) {
  struct Descriptors {
    std::map<std::pair<std::string, std::string>, iconv_t> open;
    ~Descriptors() {
      for (auto& entry : open)
        if (entry.second != reinterpret_cast<iconv_t>(-1)) iconv_close(entry.second);
    }
  };
  static Descriptors descriptors;
  iconv_t& cd = descriptors.open[{to, from}];
  if (cd == nullptr) cd = iconv_open(to, from);
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1)) << to << " " << from;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out(in.size() * 4 + 8, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = out.data();
  std::size_t dst_left = out.size();
  if (iconv(cd, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1))
    return std::nullopt;
  out.resize(out.size() - dst_left);
  return out;
}

// Bytes of the encoding to UTF-16.
inline std::optional<std::u16string> iconv_decode(const char* encoding, const std::string& bytes) {
  std::optional<std::string> out = run_iconv("UTF-16LE", encoding, bytes);
  if (!out) return std::nullopt;
  return std::u16string(reinterpret_cast<const char16_t*>(out->data()), out->size() / 2);
}

// UTF-16 to bytes of the encoding.
inline std::optional<std::string> iconv_encode(const char* encoding, const std::u16string& text) {
  return run_iconv(encoding, "UTF-16LE",
                   std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
}

}  // namespace yrltest
