// Base fixture of the run-time tests: every test starts from the process's start state.
#pragma once

#include <gtest/gtest.h>

namespace yrltest {

// Puts every process-wide switch, registry and cache of the run-time library and the
// file-access layer back to its start value and releases every live memory block.
void reset_runtime_state();

// Sets the language to English without touching the environment or the locale table.
void start_in_english();

// Number of live memory blocks on the chain.
int live_blocks();

// Each test starts in English, whatever the machine's LANG says; a test that needs
// another language, or none set yet, says so itself.
class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_runtime_state();
    start_in_english();
  }
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
