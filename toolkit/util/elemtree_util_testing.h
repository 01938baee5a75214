// Test hook: the graphics text position of the tree printer as at load.
#pragma once

void elemtree_util_testing_reset();
