// Base fixture of the host's tests: every test starts from the host's start state.
#pragma once

#include <gtest/gtest.h>

#include "host/host_testing.h"

namespace yrltest {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { yrlhost::host_testing_reset(); }
  void TearDown() override { yrlhost::host_testing_reset(); }
};

}  // namespace yrltest
