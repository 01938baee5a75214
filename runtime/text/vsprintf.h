// The run-time library's formatted printing.
#pragma once

#include <cstdarg>

namespace vek {

// Formats into dst, or with a null dst into one internal buffer that the next call
// overwrites (the caller uses the text before formatting again and never frees it).
// Returns dst or the internal buffer; 0 for a format that is too long or fails.
char* vyn_vsprintf(char* dst, const char* format, std::va_list args);
char* vyn_sprintf(char* dst, const char* format, ...);

}  // namespace vek
