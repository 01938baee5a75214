// Numbers and texts as the host's text files keep them (model files, element tree lines,
// pictures): the shortest exact form of a double, and the %XX escapes of a text.
#pragma once

#include <string>

namespace yrlhost {

// A double in the shortest decimal form that reads back to the same bits.
std::string number_text(double value);
// Text as the file keeps it: '%', control characters and DEL as %XX, and blanks as %20
// where reading would lose them (at either end, or anywhere in a one-word field).
std::string escape_text(const std::string& text, bool one_word);
// The text escape_text wrote; false for a '%' without two hex digits.
bool unescape_text(const std::string& text, std::string& out);

}  // namespace yrlhost
