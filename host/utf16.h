// UTF-16 text from the plug-in, as UTF-8 for printing.
#pragma once

#include <cstddef>
#include <string>

#include "runtime/vekbase.h"

namespace yrlhost {

// The text up to its terminator or max_units code units, whichever comes first; an
// unpaired surrogate becomes U+FFFD. Null gives "".
std::string utf8_from_utf16(const VynWchar* text, std::size_t max_units);

}  // namespace yrlhost
