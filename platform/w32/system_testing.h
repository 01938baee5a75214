// Test hooks of the system facts.
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Makes GetSystemDefaultLangID answer lang_id (0x0411 stands for a Japanese system).
void system_testing_set_default_lang_id(WORD lang_id);

// Make GetVersionExA and GetSystemInfo answer this platform id or architecture,
// whatever the environment says.
void system_testing_set_platform(DWORD platform_id);
void system_testing_set_processor(WORD architecture);

// Makes GetUserNameA answer name (copied; at most 256 characters) instead of the
// effective user's; null goes back to that.
void system_testing_set_user_name(const char* name);

// Makes GetComputerNameA answer name (copied; at most HOST_NAME_MAX characters) instead
// of the host name; null or empty goes back to that.
void system_testing_set_computer_name(const char* name);

// Puts the default language back to 0x0409 and forgets the platform, processor, user
// name and computer name set.
void system_testing_reset();

}  // namespace w32
