// Test hook: releases the directory-listing arena, block 0 included.
#pragma once

namespace vek {

void fnstring_testing_reset();

}  // namespace vek
