// Test hooks of the console output.
#pragma once

#include <cstdio>

namespace vek {

// Receives every piece of console output in place of its stream while installed.
// stream is the stream the text was meant for (stdout for ivek_printf).
typedef void (*ConsoleSink)(std::FILE* stream, const char* text, int length, void* context);

// Installs a sink (null restores normal output); returns the previous one.
ConsoleSink console_testing_set_sink(ConsoleSink sink, void* context);

// Closes the no-console files, clears the no-console flag and the once-flags.
void console_testing_reset();

}  // namespace vek
