// Text between the plug-in's UTF-16 and the host's UTF-8 (or the plug-in's code pages).
#pragma once

#include <cstddef>
#include <string>

#include "runtime/vekbase.h"

namespace yrlhost {

// The longest wide text the host reads from a plug-in's string that has no stated size
// (labels, titles, file names, drawn text, message values).
inline constexpr std::size_t wide_text_limit = 4096;

// The longest name a VynName holds, its terminator aside.
inline constexpr std::size_t host_name_max = 31;
// A wide name from the plug-in (a VynName), read up to its terminator; false for null or
// a name longer than host_name_max (so never more than the VynName is read).
bool wide_name_read(const VynWchar* text, std::u16string& name);
// Copies name, cut to host_name_max units, into a VynName with its terminator.
void wide_name_write(const std::u16string& name, VynWchar* out);

// The text up to its terminator or max_units code units, whichever comes first; an
// unpaired surrogate becomes U+FFFD. Null gives "".
std::string utf8_from_utf16(const VynWchar* text, std::size_t max_units);
// The same for the host's own wide text, up to its end (or a null unit in it).
std::string utf8_from_utf16(const std::u16string& text);

// text, in the code page (UTF-8 unless given), appended to out as UTF-16; false, with out
// as it was, when the text is not valid in that code page.
bool utf16_append(std::u16string& out, const std::string& text, unsigned code_page = 65001);

// text, in the code page (UTF-8 unless given), as UTF-16; false (and out empty) when
// the text is not valid in that code page.
bool utf16_from_text(const std::string& text, std::u16string& out, unsigned code_page = 65001);

// The same, leniently: what is not valid becomes U+FFFD.
std::u16string utf16_from_text(const std::string& text, unsigned code_page = 65001);

// A narrow string of the plug-in, in the system code page, as UTF-8; null gives "".
std::string utf8_from_narrow(const char* text);

}  // namespace yrlhost
