// Test hooks of the message boxes.
#pragma once

#include <string>

#include "platform/w32/types.h"

namespace w32 {

struct MessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type;
};

// How many boxes were shown since the last reset, and the index-th of them (an empty
// record for an index out of range).
int message_box_testing_count();
MessageBoxRecord message_box_testing_entry(int index);

// Forgets the boxes shown.
void message_box_testing_reset();

}  // namespace w32
