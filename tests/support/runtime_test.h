// Base fixture of the run-time tests: every test starts from the process's start state.
#pragma once

#include <gtest/gtest.h>

namespace yrltest {

// Puts every process-wide switch, registry and cache of the run-time library and the
// file-access layer back to its start value and releases every live memory block.
void reset_runtime_state();

// Number of live memory blocks on the chain.
int live_blocks();

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_runtime_state(); }
  void TearDown() override { reset_runtime_state(); }
};

// Death tests fork; "threadsafe" re-executes the test binary, which keeps the child's
// state independent of what the parent did before.
class RuntimeDeathTest : public RuntimeTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    RuntimeTest::SetUp();
  }
};

}  // namespace yrltest
