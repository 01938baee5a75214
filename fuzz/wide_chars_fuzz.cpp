// Wide-character reads of a byte stream: the input's first byte picks a session
// language (and with it the code page) and a line size; the rest is the stream. Read
// with fgetws, every line is terminated within its size and the reads end; in a
// single-byte language every byte is one character, 0xFF included, so the characters
// read are as many as the bytes. The shared reader gives one character or the end for
// any bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/w32/codepage.h"
#include "runtime/text/lang.h"
#include "runtime/text/uniio.h"

namespace {

struct Session {
  int language;
  unsigned code_page;
};

const Session kSessions[] = {{vek::LANG_ENGLISH, 1252},
                             {vek::LANG_RUSSIAN, 1251},
                             {vek::LANG_JAPANESE, 1252},
                             {vek::LANG_GENERIC_MULTIBYTE, 932},
                             {vek::LANG_KOREAN, 1252},
                             {vek::LANG_GENERIC_SINGLE_BYTE, 1251}};

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const Session& session = kSessions[data[0] % (sizeof kSessions / sizeof kSessions[0])];
  const int line_size = 1 + (data[0] >> 4);
  w32::set_system_code_page(session.code_page);
  vek::set_language(session.language);
  std::vector<char> bytes(data + 1, data + size);
  if (bytes.empty()) bytes.push_back('\n');

  std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
  require(stream != nullptr);
  std::vector<VynWchar> line(static_cast<std::size_t>(line_size) + 1, 0x5A5A);
  std::size_t characters = 0;
  for (std::size_t reads = 0; vek::fgetws(line.data(), line_size, stream); ++reads) {
    std::size_t n = 0;
    while (n < static_cast<std::size_t>(line_size) && line[n]) ++n;
    require(n < static_cast<std::size_t>(line_size));  // terminated within the size
    require(line[static_cast<std::size_t>(line_size)] == 0x5A5A);
    characters += n;
    require(reads <= bytes.size());  // each read consumes input (or is an empty line of size 1)
    if (line_size == 1) break;
  }
  std::fclose(stream);
  if (!vek::is_multibyte_language(session.language) && session.language != vek::LANG_JAPANESE &&
      line_size > 1) {
    // Each byte a character; a zero byte ends a line's text early, so count only up to it.
    bool has_zero = false;
    for (char c : bytes) has_zero = has_zero || c == 0;
    if (!has_zero) require(characters == bytes.size());
  }

  stream = fmemopen(bytes.data(), bytes.size(), "rb");
  require(stream != nullptr);
  std::size_t reads = 0;
  while (vek::fget_unicode_wc(stream) != vek::VYN_WEOF && ++reads <= bytes.size()) {
  }
  require(reads <= bytes.size());
  std::fclose(stream);
  return 0;
}
