// Message files of the stand-in host: the input is a file's text. It is parsed as the host
// parses a file; when it has no errors every text is filled in as a message is shown,
// with values that each placeholder type can read (value 10 missing), and put into the
// wide buffer of the message area.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/ui/messages.h"
#include "host/util/utf16.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  yrlhost::MessageFileContent content =
      yrlhost::message_file_parse(std::string(reinterpret_cast<const char*>(data), size));
  if (!content.errors.empty()) return 0;
  // Read as a narrow and a wide string, an int and a double, the bytes give "A", u"A",
  // 65 and a small number.
  alignas(8) static const unsigned char value[16] = {'A'};
  const void* values[10] = {value, value, value, value, value, value, value, value, value, nullptr};
  for (const auto& [key, text] : content.texts) {
    if (key.empty() && text.empty()) std::abort();
    std::string shown = yrlhost::message_format(text, values);
    yrlhost::utf16_from_text(shown);
  }
  return 0;
}
