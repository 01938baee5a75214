// Message files and the message area, as the host's own modules, the tests and the
// scenario runner see them.
//
// A message file is found by its name under the message directory the plug-in appends to
// its call, read and parsed once, and kept until the host is reset. The format (see
// host/resources/README.md) gives each key a text with placeholders %<n><type>: n from 0
// to 9 picks value n+1 of the call, and the type tells what that value points to:
//   s  a narrow string (the value is the string's address), in the system code page
//   w  a wide string (the value is the string's address)
//   d  an int (the value is the int's address)
//   f  a double (the value is the double's address), printed as printf's "%g" does
// "%%" stands for one '%'. A null value prints as "(null)"; values that no placeholder
// names are never read.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/api/host_types.h"

namespace yrlhost {

// The room of the buffer that VynMessageToBuffer fills, terminator included: the host's
// line length.
inline constexpr std::size_t message_buffer_units = 260;

// One parsed message file: the text of each key, and what was wrong with the file
// ("line N: ..."); a file with errors is not used.
struct MessageFileContent {
  std::map<std::string, std::string> texts;
  std::vector<std::string> errors;
};

MessageFileContent message_file_parse(const std::string& content);
// Reads and parses the file at a POSIX path; nullopt when it cannot be read.
std::optional<MessageFileContent> message_file_read(const std::string& posix_path);

// The text of key in the message file file_name (UTF-8) under the message directory dir
// (the Windows-style path the plug-in built). 0 with the text; -2 for a null name or
// key, -4 for a file that is missing or broken or a key it lacks. The file is read
// once and kept.
VynError message_text_find(const char* dir, const std::string& file_name,
                           const std::string& key, std::string& text);

// The text of format with its placeholders filled from values (ten value addresses);
// value_texts (when given) receives each value that a placeholder read, by its number,
// "" for numbers no placeholder names.
std::string message_format(const std::string& format, const void* const values[10],
                           std::vector<std::string>* value_texts = nullptr);

// What happened in the message area, in order.
enum class MessageEvent {
  display,    // VynMessageDisplay
  to_buffer,  // VynMessageToBuffer
  clear,      // VynMessageClear
  input,      // a VynMessage...Read: text is what the user typed
};

struct MessageRecord {
  MessageEvent event = MessageEvent::display;
  std::string file;                 // the message file's name (UTF-8)
  std::string key;
  std::vector<std::string> values;  // the values the text used, by placeholder number
  std::string text;                 // the formatted text; the key when it was not found
  VynError status = 0;
};

const std::vector<MessageRecord>& message_log();
// The texts that VynMessageDisplay showed (found keys only), in order.
std::vector<std::string> messages_displayed();
// The texts shown since the message area was last cleared.
std::vector<std::string> message_area();
// "file key: text" per display record (failures marked), one line each, for failure texts.
std::string message_log_text();

}  // namespace yrlhost
