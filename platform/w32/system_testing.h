// Test hooks of the system facts.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Makes GetSystemDefaultLangID answer lang_id (0x0411 stands for a Japanese system).
void system_testing_set_default_lang_id(WORD lang_id);

// Puts the default language back to 0x0409.
void system_testing_reset();

}  // namespace w32
