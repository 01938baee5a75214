// Test hook of the code pages.
#pragma once

namespace w32 {

// Closes the cached iconv descriptors and makes 1252 the system code page again.
void codepage_testing_reset();

}  // namespace w32
