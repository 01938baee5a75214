// Test hooks of the drive records (volume.h).
#pragma once

#include "platform/w32/types.h"

namespace w32 {

// Sets the record of a drive: its type, file-system name (null: "NTFS"), label (null:
// empty) and the remote name it is connected to (null: none). FALSE for a bad letter or
// a text too long.
BOOL volume_testing_set_drive(char letter, UINT type, const char* file_system,
                              const char* label, const char* remote);

// Sets the media types a drive's device reports (w32_drive_media_types), at most
// kMediaTypeCount of them. FALSE for a bad letter or count.
BOOL volume_testing_set_drive_media(char letter, const int* types, int count);

// Every drive back to the start record.
void volume_testing_reset();

}  // namespace w32
